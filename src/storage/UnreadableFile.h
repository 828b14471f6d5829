#pragma once
// Private to this folder: keeping a store file that exists but cannot be read, before a
// fresh one takes its name, so that a damaged file is never lost by a rewrite.

#include <QFile>
#include <QFileInfo>
#include <QString>

namespace storage_detail {

// Copies path to "<path>.unreadable" (or "<path>.unreadable.2", ".3", ...) when it
// exists. False when a copy was needed and could not be made.
inline bool KeepUnreadableCopy(const QString& path) {
    if (!QFileInfo::exists(path)) return true;
    QString target = path + QStringLiteral(".unreadable");
    for (int n = 2; QFileInfo::exists(target); ++n) {
        if (n > 1000) return false;
        target = path + QStringLiteral(".unreadable.") + QString::number(n);
    }
    return QFile::copy(path, target);
}

}  // namespace storage_detail
