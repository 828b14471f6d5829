#include "sync/SyncFolders.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QDir::Filters kEverything = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;

}  // namespace

bool CopyFileQuick(const QString& source, const QString& target) {
    const int in = ::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return false;
    struct stat st {};
    if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(in);
        return false;
    }
    const QByteArray targetName = QFile::encodeName(target);
    const int out = ::open(targetName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, st.st_mode & 07777);
    if (out < 0) {
        ::close(in);
        return false;
    }
    bool ok = true;
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) { ok = false; break; }
        if (n == 0) break;
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(out, buffer + done, static_cast<std::size_t>(n - done));
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) { ok = false; break; }
            done += w;
        }
        if (!ok) break;
    }
    ::close(in);
    if (::close(out) != 0) ok = false;
    if (!ok) ::unlink(targetName.constData());
    return ok;
}

bool LinkOrCopyFile(const QString& source, const QString& target) {
    const QFileInfo info(source);
    if (!info.isSymLink() && info.isFile() &&
        ::link(QFile::encodeName(source).constData(), QFile::encodeName(target).constData()) == 0)
        return true;
    return CopyFileQuick(source, target);
}

bool RemoveFile(const QString& path) {
    if (QFile::remove(path)) return true;
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink()) return false;
    ClearReadOnly(path);
    return QFile::remove(path);
}

void ClearReadOnly(const QString& path) {
    const QFileInfo info(path);
    if (info.isSymLink() || !info.exists()) return;
    // Called for every file a sync touches: a file that is writable already needs no chmod.
    const QFileDevice::Permissions permissions = info.permissions();
    if (permissions & QFileDevice::WriteOwner) return;
    QFile::setPermissions(path, permissions | QFileDevice::WriteOwner);
}

void ListFolderFiles(QStringList& list, const QString& folder, const QString& pattern) {
    QDir dir(folder);
    if (!pattern.isEmpty() && pattern != QLatin1String("*.*")) dir.setNameFilters({pattern});
    const QFileInfoList entries =
        dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QFileInfo& info : entries) {
        const QString name = info.fileName();
        if (name == QLatin1String("DeletedFiles.xml") || name == QLatin1String("Categories.xml")) continue;
        if (info.isSymLink() && !info.isFile()) continue;
        list.append(folder + QLatin1Char('/') + name);
    }
}

bool DeleteFolderTree(const QString& folder) {
    const QFileInfo top(folder);
    if (top.isSymLink()) return QFile::remove(folder);  // the link goes, never its target
    if (!top.isDir()) return false;
    QDir dir(folder);
    if (!dir.isReadable()) return false;
    for (const QFileInfo& info : dir.entryInfoList(kEverything)) {
        const QString path = info.filePath();
        bool ok;
        if (info.isSymLink()) ok = QFile::remove(path);
        else if (info.isDir()) ok = DeleteFolderTree(path);
        else ok = RemoveFile(path);
        if (!ok) return false;
    }
    return QDir().rmdir(folder);
}

bool CopyFolder(const QString& sourceFolder, const QString& targetFolder, FileCopy how) {
    if (!QDir().mkpath(targetFolder)) return false;
    const QDir source(sourceFolder);
    if (!source.exists()) return false;
    bool ok = true;
    for (const QFileInfo& info : source.entryInfoList(kEverything)) {
        const QString target = targetFolder + QLatin1Char('/') + info.fileName();
        if (info.isSymLink()) {
            // Recreated as a link with the same target: copying through it could pull in
            // (or loop over) whatever it points at.
            QFile::remove(target);
            ok = QFile::link(info.symLinkTarget(), target) && ok;
        } else if (info.isDir()) {
            ok = CopyFolder(info.filePath(), target, how) && ok;
        } else {
            if (QFileInfo::exists(target) || QFileInfo(target).isSymLink()) RemoveFile(target);
            ok = (how == FileCopy::LinkWherePossible ? LinkOrCopyFile(info.filePath(), target)
                                                     : CopyFileQuick(info.filePath(), target)) &&
                 ok;
        }
    }
    return ok;
}
