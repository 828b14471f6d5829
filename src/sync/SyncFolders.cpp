#include "sync/SyncFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QDir::Filters kEverything = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;

}  // namespace

void ClearReadOnly(const QString& path) {
    const QFileInfo info(path);
    if (info.isSymLink() || !info.exists()) return;
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::WriteOwner);
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
        else {
            ClearReadOnly(path);
            ok = QFile::remove(path);
        }
        if (!ok) return false;
    }
    return QDir().rmdir(folder);
}

bool CopyFolder(const QString& sourceFolder, const QString& targetFolder) {
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
            ok = CopyFolder(info.filePath(), target) && ok;
        } else {
            if (QFileInfo::exists(target) || QFileInfo(target).isSymLink()) {
                ClearReadOnly(target);
                QFile::remove(target);
            }
            ok = QFile::copy(info.filePath(), target) && ok;
        }
    }
    return ok;
}
