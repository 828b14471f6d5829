#include "sync/CSyncMerge.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    if (QFileInfo::exists(target) || QFileInfo(target).isSymLink()) RemoveFile(target);
    return CopyFileQuick(source, target);
}

// Puts source in target's place, replacing what is there. A rename within the data folder
// moves no bytes and makes no new file; where it cannot be done the file is copied and
// the source removed. false when target could not be made (source is then left).
bool MoveReplacing(const QString& source, const QString& target) {
    if (::rename(QFile::encodeName(source).constData(), QFile::encodeName(target).constData()) == 0) return true;
    if (!CopyReplacing(source, target)) return false;
    QFile::remove(source);
    return true;
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
            if (!RemoveFile(path)) host_.ShowMessage(QString::fromLatin1(synctext::kDeleteFailed), QString());
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
            // The work folder is removed after the merge, so its files are moved, not copied.
            MoveReplacing(in, images + QLatin1Char('/') + FileName(in));
            continue;
        }
        COutlineDatabase incoming;
        if (!incoming.Open(in, 0)) return false;
        if (!indexed && !index()) return false;
        const QString uid = incoming.GetDocUID();
        if (!uid.isEmpty()) {
            for (const Local& mine : byUid.value(uid)) {
                if (gone.contains(mine.path)) continue;
                const bool moved =
                    mine.modified && MoveReplacing(mine.path, conflicts + QLatin1Char('/') + FileName(mine.path));
                if (mine.modified && !moved)
                    host_.ShowMessage(QString::fromLatin1(synctext::kCopyFileFailed), QString());
                if (!moved) RemoveFile(mine.path);
                gone.insert(mine.path);
                break;
            }
        }
        const QString target = dataFolder_ + QLatin1Char('/') + FileName(in);
        MoveReplacing(in, target);
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

constexpr long kHeaderPiece = 8192;

enum class InPlace { Done, NotWritable, NeedsSave };

// Appends up to limit bytes of fd (all of it for -1) to bytes; false on a read error.
bool ReadUpTo(int fd, QByteArray& bytes, long limit) {
    char buffer[65536];
    long taken = 0;
    while (limit < 0 || taken < limit) {
        const long want = limit < 0 ? long(sizeof buffer) : std::min<long>(sizeof buffer, limit - taken);
        const ssize_t n = ::read(fd, buffer, static_cast<std::size_t>(want));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) break;
        bytes.append(buffer, n);
        taken += n;
    }
    return true;
}

// The part of a regular file that holds its header. The header comes first and is short:
// its first piece nearly always holds the flag, so the items (most of the file) are not
// read. Without the header's end in that piece the whole file is taken, so every search
// in it finds what it would in the whole.
// *links (when given) receives the file's link count.
bool ReadHead(int fd, QByteArray& bytes, nlink_t* links = nullptr) {
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return false;
    if (links) *links = st.st_nlink;
    if (!ReadUpTo(fd, bytes, kHeaderPiece)) return false;
    return bytes.size() < kHeaderPiece || bytes.contains("</Header>") || ReadUpTo(fd, bytes, -1);
}

// The first "<Modified>" of the first "<Header>", when it lies inside that header; -1 if not.
qsizetype FlagDigitAt(const QByteArray& bytes) {
    const qsizetype header = bytes.indexOf("<Header>");
    if (header < 0) return -1;
    static const QByteArray open = "<Modified>";
    const qsizetype at = bytes.indexOf(open, header);
    const qsizetype end = bytes.indexOf("</Header>", header);
    if (at < 0 || (end >= 0 && at > end)) return -1;
    return at + open.size();
}

bool HeadReadsClear(const QByteArray& bytes) {
    const qsizetype digit = FlagDigitAt(bytes);
    return digit >= 0 && digit < bytes.size() && bytes[digit] == '0' && bytes.mid(digit + 1, 11) == "</Modified>" &&
           HeaderFlagReadsClear(bytes);
}

// Turns the header's "<Modified>1</Modified>" into "<Modified>0</Modified>" by rewriting
// that one byte where it lies. A sync clears the flag on every outline of the library,
// and a full atomic save (temporary file, flush to disk, rename) of each would cost far
// more than the sync itself; a one-byte write cannot tear, so the file is whole either
// way. Done also when the flag is already clear; NeedsSave (file unchanged) when the flag
// is not written that simply, so the caller loads (and if need be saves) the whole document.
InPlace ClearFlagInPlace(int fd) {
    QByteArray bytes;
    nlink_t links = 0;
    if (!ReadHead(fd, bytes, &links)) return InPlace::NeedsSave;
    const qsizetype digit = FlagDigitAt(bytes);
    if (digit < 0) return InPlace::NeedsSave;
    // Most outlines were not changed since the last sync: when the flag is already clear
    // there is nothing to write and no need to load the whole document to be sure.
    if (HeadReadsClear(bytes)) return InPlace::Done;
    // A file with another link (the session's backup) must not change under that link:
    // the whole save writes a new file in its place.
    if (links > 1) return InPlace::NeedsSave;
    if (digit >= bytes.size() || bytes[digit] < '1' || bytes[digit] > '9') return InPlace::NeedsSave;
    if (bytes.mid(digit + 1, 11) != "</Modified>") return InPlace::NeedsSave;
    // Whatever the text search found, the document itself must read as unmodified once
    // the byte is written (a decoy in a comment must not be the one changed).
    QByteArray cleared = bytes;
    cleared[digit] = '0';
    if (!HeaderFlagReadsClear(cleared)) return InPlace::NeedsSave;
    ssize_t wrote;
    do wrote = ::pwrite(fd, "0", 1, digit);
    while (wrote < 0 && errno == EINTR);
    return wrote == 1 ? InPlace::Done : InPlace::NeedsSave;
}

// Turns the flag off in place when it can. A file we may not write is reported as such,
// so its read-only mark is only looked at for files that have one.
InPlace ClearFlagInPlace(const QString& path) {
    // Non-blocking, so a named pipe of an outline's name cannot hold the open.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return errno == EACCES || errno == EPERM || errno == EROFS ? InPlace::NotWritable : InPlace::NeedsSave;
    const InPlace result = ClearFlagInPlace(fd);
    ::close(fd);
    return result;
}

}  // namespace

bool CSyncMerge::ModifiedFlagReadsClear(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    QByteArray bytes;
    const bool clear = ReadHead(fd, bytes) && HeadReadsClear(bytes);
    ::close(fd);
    return clear;
}

bool CSyncMerge::ClearModifiedFlag(const QString& path) {
    InPlace result = ClearFlagInPlace(path);
    if (result == InPlace::NotWritable) {
        ClearReadOnly(path);
        result = ClearFlagInPlace(path);
    }
    if (result == InPlace::Done) return true;
    ClearReadOnly(path);
    COutlineDatabase outline;
    if (!outline.Open(path, 0)) return true;
    if (outline.GetModified() == 0) return true;  // already clear: nothing to write
    outline.SetModified(0);
    return outline.Save(path, 0);
}
