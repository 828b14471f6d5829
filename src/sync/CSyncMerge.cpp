#include "sync/CSyncMerge.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QList>
#include <QSet>
#include <QXmlStreamReader>

#include "storage/CDeletedOutlinesDatabase.h"
#include "storage/COutlineDatabase.h"
#include "sync/ISyncHost.h"
#include "sync/SyncFolders.h"
#include "sync/SyncTexts.h"

namespace {

QString FileName(const QString& path) { return QFileInfo(path).fileName(); }

// Replaces target by a copy of source; false when the copy could not be made.
bool CopyReplacing(const QString& source, const QString& target) {
    if (QFileInfo::exists(target) || QFileInfo(target).isSymLink()) {
        ClearReadOnly(target);
        QFile::remove(target);
    }
    return CopyFileQuick(source, target);
}

}  // namespace

bool CSyncMerge::IsPictureName(const QString& path) {
    // The file name only: a folder called "Holiday.jpg" must not turn outlines into pictures.
    const QString name = FileName(path);
    for (const char* ext : {".png", ".jpg", ".jpeg", ".gif", ".bmp", ".tiff"})
        if (name.contains(QLatin1String(ext))) return true;
    return false;
}

bool CSyncMerge::IsStrayName(const QString& path) { return FileName(path).contains(QLatin1String(".DS_Store")); }

bool CSyncMerge::IsSafePictureName(const QString& name) {
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'));
}

bool CSyncMerge::ProcessDeletedFiles() {
    QStringList local;
    ListFolderFiles(local, dataFolder_, QString());
    CDeletedOutlinesDatabase received;
    bool receivedOpen = false;
    for (const QString& path : local) {
        COutlineDatabase outline;
        if (!outline.Open(path, 0)) continue;  // not an outline: nothing to match
        const QString uid = outline.GetDocUID();
        if (!receivedOpen) {
            if (!received.Open(workFolder_ + QStringLiteral("/DeletedFiles.xml"), 0)) return false;
            receivedOpen = true;
        }
        if (uid.isEmpty()) continue;  // an outline without identity matches no entry
        if (received.Contains(uid)) {
            ClearReadOnly(path);
            if (!QFile::remove(path)) host_.ShowMessage(QString::fromLatin1(synctext::kDeleteFailed), QString());
        }
    }
    return true;
}

bool CSyncMerge::ProcessModifiedFiles() {
    QStringList received, local;
    ListFolderFiles(received, workFolder_, QString());
    ListFolderFiles(local, dataFolder_, QString());
    const QString conflicts = dataFolder_ + QStringLiteral("/Conflicts");
    const QString images = dataFolder_ + QStringLiteral("/Images");
    QDir().mkpath(conflicts);
    QDir().mkpath(images);

    // Every local outline is read once, not once per received outline: DocUID -> the
    // local files holding it, in listing order. A local file leaves the index when it is
    // deleted or a received file takes its name, which is what made the old rescans see
    // a file "no longer there".
    struct Local {
        QString path;
        bool modified;
    };
    QHash<QString, QList<Local>> byUid;
    QSet<QString> gone;
    bool indexed = false;
    auto index = [&]() -> bool {
        for (const QString& mine : local) {
            if (IsPictureName(mine) || IsStrayName(mine)) continue;
            COutlineDatabase existing;
            if (!existing.Open(mine, 0)) return false;
            const QString uid = existing.GetDocUID();
            if (!uid.isEmpty()) byUid[uid].append(Local{mine, existing.GetModified() != 0});
        }
        indexed = true;
        return true;
    };

    for (const QString& in : received) {
        if (IsStrayName(in)) continue;
        if (IsPictureName(in)) {
            CopyReplacing(in, images + QLatin1Char('/') + FileName(in));
            continue;
        }
        COutlineDatabase incoming;
        if (!incoming.Open(in, 0)) return false;
        if (!indexed && !index()) return false;
        const QString uid = incoming.GetDocUID();
        if (!uid.isEmpty()) {
            for (const Local& mine : byUid.value(uid)) {
                if (gone.contains(mine.path)) continue;
                if (mine.modified && !CopyReplacing(mine.path, conflicts + QLatin1Char('/') + FileName(mine.path)))
                    host_.ShowMessage(QString::fromLatin1(synctext::kCopyFileFailed), QString());
                ClearReadOnly(mine.path);
                QFile::remove(mine.path);
                gone.insert(mine.path);
                break;
            }
        }
        const QString target = dataFolder_ + QLatin1Char('/') + FileName(in);
        CopyReplacing(in, target);
        gone.insert(target);
    }
    return true;
}

void CSyncMerge::CollectModifiedFiles(QStringList& list, const QString& pattern) const {
    QStringList files;
    ListFolderFiles(files, dataFolder_, pattern);
    for (const QString& path : files) {
        COutlineDatabase header;
        if (!header.Open(path, 0) || header.GetModified() == 0) continue;
        list.append(path);
        COutlineDatabase outline;
        if (!outline.Open(path, 1)) continue;
        const COutlineRecordset* records = outline.GetRecords();
        for (int i = 0; records && i < records->GetCount(); ++i) {
            const QString& drawing = records->GetAt(i)->drawing;
            if (!IsSafePictureName(drawing)) continue;
            const QString picture = dataFolder_ + QStringLiteral("/Images/") + drawing;
            // A missing picture would leave the handheld waiting for a file that never comes.
            if (QFileInfo(picture).isFile()) list.append(picture);
        }
    }
}

namespace {

// true only when the document's own flag (OrvelleDoc/Header/Modified, the first of each)
// reads exactly "0". Reads no further than that element, which our outlines keep near the
// top, so checking a library of unchanged outlines costs next to nothing. false also for
// anything unusual (a syntax error on the way, child elements in the flag, no flag).
bool HeaderFlagReadsClear(const QByteArray& bytes) {
    QXmlStreamReader xml(bytes);
    int depth = 0;
    bool inHeader = false;
    bool headerSeen = false;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            ++depth;
            if (depth == 1 && xml.name() != QLatin1String("OrvelleDoc")) return false;
            if (depth == 2 && !headerSeen && xml.name() == QLatin1String("Header")) {
                inHeader = headerSeen = true;
            } else if (depth == 3 && inHeader && xml.name() == QLatin1String("Modified")) {
                const QString text = xml.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
                return !xml.hasError() && text == QLatin1String("0");
            }
        } else if (token == QXmlStreamReader::EndElement) {
            if (depth == 2 && inHeader) return false;  // the header has no flag
            --depth;
        }
    }
    return false;
}

// Turns the header's "<Modified>1</Modified>" into "<Modified>0</Modified>" by rewriting
// that one byte where it lies. A sync clears the flag on every outline of the library,
// and a full atomic save (temporary file, flush to disk, rename) of each would cost far
// more than the sync itself; a one-byte write cannot tear, so the file is whole either
// way. true also when the flag is already clear. false (file unchanged) when the flag is
// not written that simply, so the caller loads (and if need be saves) the whole document.
bool ClearFlagInPlace(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite)) return false;
    const QByteArray bytes = file.readAll();
    const qsizetype header = bytes.indexOf("<Header>");
    if (header < 0) return false;
    static const QByteArray open = "<Modified>";
    const qsizetype at = bytes.indexOf(open, header);
    const qsizetype end = bytes.indexOf("</Header>", header);
    if (at < 0 || (end >= 0 && at > end)) return false;
    const qsizetype digit = at + open.size();
    // Most outlines were not changed since the last sync: when the flag is already clear
    // there is nothing to write and no need to load the whole document to be sure.
    if (digit < bytes.size() && bytes[digit] == '0' && bytes.mid(digit + 1, 11) == "</Modified>" &&
        HeaderFlagReadsClear(bytes))
        return true;
    if (digit >= bytes.size() || bytes[digit] < '1' || bytes[digit] > '9') return false;
    if (bytes.mid(digit + 1, 11) != "</Modified>") return false;
    // Whatever the text search found, the document itself must read as unmodified once
    // the byte is written (a decoy in a comment must not be the one changed).
    QByteArray cleared = bytes;
    cleared[digit] = '0';
    if (!HeaderFlagReadsClear(cleared)) return false;
    return file.seek(digit) && file.write("0", 1) == 1 && file.flush();
}

}  // namespace

bool CSyncMerge::ClearModifiedFlag(const QString& path) {
    ClearReadOnly(path);
    if (ClearFlagInPlace(path)) return true;
    COutlineDatabase outline;
    if (!outline.Open(path, 0)) return true;
    if (outline.GetModified() == 0) return true;  // already clear: nothing to write
    outline.SetModified(0);
    return outline.Save(path, 0);
}
