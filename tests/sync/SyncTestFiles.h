#pragma once
// Files the sync tests lay out in data and handheld folders.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>

#include "storage/COutlineDatabase.h"

namespace synctest {

// Writes an outline with the given identity, Modified flag, title and one item per picture.
inline void Outline(const QString& path, const QString& uid, int modified, const QString& title = "t",
                    const QStringList& drawings = {}) {
    COutlineDatabase db;
    db.Init();
    db.SetDocUID(uid);
    db.SetModified(modified);
    db.SetTitle(title);
    for (const QString& d : drawings) {
        COutlineRecord* r = db.GetRecords()->AddNew();
        r->text = "item";
        r->drawing = d;
    }
    ASSERT_TRUE(db.Save(path, 1));
}

// Writes bytes to path, making its folder first.
inline void Put(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

}  // namespace synctest
