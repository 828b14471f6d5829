#include "library/FileNames.h"

#include <QFileInfo>
#include <QStringList>

void CMyFile::SetPath(const QString& path) {
    m_drive.clear();
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    m_directory = slash >= 0 ? path.left(slash + 1) : QString();
    const QString file = path.mid(slash + 1);
    const qsizetype dot = file.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0) {
        m_name = file.left(dot);
        m_extension = file.mid(dot);
    } else {
        m_name = file;
        m_extension.clear();
    }
}

bool FileExists(const QString& path) {
    return !path.isEmpty() && QFileInfo::exists(path);
}

QString JoinPath(const QString& folder, const QString& name, const QString& extension) {
    if (folder.isEmpty() || folder.endsWith(QLatin1Char('/'))) return folder + name + extension;
    return folder + QLatin1Char('/') + name + extension;
}

namespace {

QString cutToLength(const QString& text, int max) {
    if (text.size() <= max) return text;
    int n = max;
    if (n > 0 && text[n - 1].isHighSurrogate()) --n;
    return text.left(n);
}

}  // namespace

QString MakeFileTitle(const QString& text) {
    static const QString kForbidden = QStringLiteral("\\/:*?\"<>|");
    QString out;
    const QString trimmed = text.trimmed();
    out.reserve(trimmed.size());
    for (QChar c : trimmed) {
        if (kForbidden.contains(c) || c.unicode() < 0x20 || c.unicode() == 0x7F) continue;
        if (out.isEmpty() && c == QLatin1Char('.')) continue;
        out += c;
    }
    out = cutToLength(out, kMaxFileTitleLength);
    if (out.trimmed().isEmpty()) return QStringLiteral("Unfiled");
    return out;
}

namespace {

// The numbering of MakeNumberedName; a candidate whose twin in secondFolder exists is
// taken as well, so a search over two folders moves on instead of offering the same
// candidate again and again.
QString numberedName(const QString& path, const QString& excluded, const QString& secondFolder) {
    const CMyFile file(path);
    const QString& name = file.Name();
    const qsizetype length = name.size();
    for (int n = 1; n <= 1000000; ++n) {
        const qsizetype digits = QString::number(n).size();
        const qsizetype keep = length - digits - 1;
        const QString base = keep > 0 ? cutToLength(name, static_cast<int>(keep)) : QString();
        const QString numbered = base + QLatin1Char('-') + QString::number(n);
        const QString candidate = file.Drive() + file.Directory() + numbered + file.Extension();
        if (!excluded.isEmpty() && candidate == excluded) return candidate;
        if (FileExists(candidate)) continue;
        if (!secondFolder.isEmpty() && FileExists(JoinPath(file.Drive() + secondFolder, numbered, file.Extension())))
            continue;
        return candidate;
    }
    return QString();
}

}  // namespace

QString MakeNumberedName(const QString& path, const QString& excluded) {
    return numberedName(path, excluded, QString());
}

QString MakeUniquePath(const QString& path, const QString& secondFolder, const QString& excluded) {
    CMyFile file(path);
    QString p = path;
    if (file.Name().size() > kMaxFileTitleLength) {
        p = JoinPath(file.Drive() + file.Directory(), cutToLength(file.Name(), kMaxFileTitleLength), file.Extension());
        file.SetPath(p);
    }
    const bool hasTwin = !secondFolder.isEmpty();
    const QString twin = JoinPath(file.Drive() + secondFolder, file.Name(), file.Extension());
    if (!FileExists(p) && !(hasTwin && FileExists(twin))) return p;
    // One call finds a name free in both folders (or the excluded path), so no loop over
    // the twin is needed.
    return numberedName(p, excluded, secondFolder);
}

bool IsTemplateFile(const QString& path) {
    return CMyFile(path).ExtensionWithoutDot().compare(QLatin1String("ort"), Qt::CaseInsensitive) == 0;
}

bool ExtensionMatches(const QString& path, const QStringList& extensions) {
    const QString ext = CMyFile(path).ExtensionWithoutDot();
    if (CMyFile(path).Extension().isEmpty()) return false;
    for (const QString& e : extensions) {
        if (ext.compare(e, Qt::CaseInsensitive) == 0) return true;
    }
    return false;
}
