#include "storage/CDeletedOutlinesDatabase.h"

#include <gtest/gtest.h>

#include "storage/StoreTestSupport.h"
#include "support/TempHome.h"

using storetest::ReadAll;
using storetest::WriteAll;

namespace {

QStringList AllDeleted(CDeletedOutlinesDatabase& db) {
    QStringList out;
    QString uid;
    while (db.NextDeleted(uid)) out << uid;
    return out;
}

TEST(DeletedFilesStore, RemovalsAccumulateInOrderFromAMissingFile) {
    testsupport::TempHome home;
    const QString folder = home.path() + "/Data";
    ASSERT_TRUE(CDeletedOutlinesDatabase::RecordDeletion(folder, "0001000200030004"));
    EXPECT_EQ(ReadAll(folder + "/DeletedFiles.xml"),
              "<OrvelleDeletedFiles><Header><Deleted>0001000200030004</Deleted></Header></OrvelleDeletedFiles>");
    ASSERT_TRUE(CDeletedOutlinesDatabase::RecordDeletion(folder, "00010002000300FF"));

    CDeletedOutlinesDatabase db;
    ASSERT_EQ(db.Open(CDeletedOutlinesDatabase::DeletedFilesPath(folder), 0), 1);
    EXPECT_EQ(AllDeleted(db), QStringList({"0001000200030004", "00010002000300FF"}));
    QString uid;
    EXPECT_FALSE(db.NextDeleted(uid)) << "stays at the end";
    db.RewindDeleted();
    EXPECT_EQ(AllDeleted(db).size(), 2);
    EXPECT_TRUE(db.Contains("00010002000300FF"));
    EXPECT_FALSE(db.Contains("00010002000300ff"));
}

TEST(DeletedFilesStore, FreshListHasJustTheHeaderAndNothingToEnumerate) {
    CDeletedOutlinesDatabase db;
    db.InitNew();
    EXPECT_EQ(db.GetXml(), "<OrvelleDeletedFiles><Header/></OrvelleDeletedFiles>");
    QString uid;
    EXPECT_FALSE(db.NextDeleted(uid));
    db.AddDeleted("AAAAAAAAAAAAAAAA");
    EXPECT_EQ(AllDeleted(db), QStringList({"AAAAAAAAAAAAAAAA"})) << "an addition restarts the enumeration";
}

TEST(DeletedFilesStore, UnreadableFileIsKeptBesideTheNewOne) {
    testsupport::TempHome home;
    const QString folder = home.path();
    const QByteArray damaged = "<OrvelleDeletedFiles><Header><Deleted>0001";
    ASSERT_TRUE(WriteAll(folder + "/DeletedFiles.xml", damaged));
    CDeletedOutlinesDatabase probe;
    EXPECT_EQ(probe.Open(folder + "/DeletedFiles.xml", 0), 0);
    EXPECT_EQ(ReadAll(folder + "/DeletedFiles.xml"), damaged);

    ASSERT_TRUE(CDeletedOutlinesDatabase::RecordDeletion(folder, "0000000000000001"));
    EXPECT_EQ(ReadAll(folder + "/DeletedFiles.xml.unreadable"), damaged);
    ASSERT_TRUE(WriteAll(folder + "/DeletedFiles.xml", damaged));
    ASSERT_TRUE(CDeletedOutlinesDatabase::RecordDeletion(folder, "0000000000000002"));
    EXPECT_EQ(ReadAll(folder + "/DeletedFiles.xml.unreadable.2"), damaged) << "earlier copies are not overwritten";
}

}  // namespace
