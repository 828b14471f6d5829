#include "storage/CCategoryDatabase.h"

#include <gtest/gtest.h>
#include <QDir>

#include "storage/StoreTestSupport.h"
#include "support/TempHome.h"

using storetest::ReadAll;
using storetest::WriteAll;

namespace {

QStringList Names(const CCategoryList& list) {
    QStringList names;
    for (int i = 0; i < list.GetCount(); ++i) names << list.GetAt(i)->name;
    return names;
}

TEST(CategoriesStore, MissingFileGivesUnfiledAndSavingWritesIt) {
    testsupport::TempHome home;
    const QString folder = home.path() + "/Data";
    CCategoryList list;
    EXPECT_TRUE(CCategoryDatabase::LoadCategories(folder, list));
    ASSERT_EQ(list.GetCount(), 1);
    EXPECT_EQ(list.GetAt(0)->name, "Unfiled");
    EXPECT_EQ(list.GetAt(0)->uid, kUnfiledCategoryUID);
    EXPECT_FALSE(QFileInfo::exists(folder)) << "a load creates nothing";

    ASSERT_TRUE(CCategoryDatabase::SaveCategories(folder, list));
    EXPECT_EQ(ReadAll(folder + "/Categories.xml"),
              "<OrvelleCategories><Version>1</Version><Categories><Item><UID>000000000000FFFF</UID>"
              "<Name>Unfiled</Name></Item></Categories></OrvelleCategories>");
}

TEST(CategoriesStore, RoundTripsInOrderAndDropsLaterDuplicates) {
    testsupport::TempHome home;
    const QString folder = home.path();
    ASSERT_TRUE(WriteAll(folder + "/Categories.xml",
        "<OrvelleCategories><Version>1</Version><Categories>"
        "<Item><UID>0102030405060708</UID><Name>Work</Name></Item>"
        "<Item><UID>000000000000FFFF</UID><Name>Unfiled</Name></Item>"
        "<Item><UID>1111111111111111</UID><Name>Home &amp; Garden</Name></Item>"
        "<Item><UID>2222222222222222</UID><Name>Work</Name></Item>"
        "<Item><UID>3333333333333333</UID><Name>work</Name></Item>"
        "</Categories></OrvelleCategories>"));
    CCategoryList list;
    ASSERT_TRUE(CCategoryDatabase::LoadCategories(folder, list));
    EXPECT_EQ(Names(list), QStringList({"Unfiled", "Work", "Home & Garden", "work"}));
    OutlineUID work{};
    HexToUID("0102030405060708", work);
    EXPECT_EQ(list.FindByName("Work")->uid, work) << "the first occurrence wins";

    list.Add(GenerateUID(), "New");
    ASSERT_TRUE(CCategoryDatabase::SaveCategories(folder, list));
    CCategoryList back;
    ASSERT_TRUE(CCategoryDatabase::LoadCategories(folder, back));
    EXPECT_EQ(Names(back), Names(list));
    EXPECT_EQ(back.GetAt(4)->uid, list.GetAt(4)->uid);
}

TEST(CategoriesStore, UnreadableFileIsNeverLost) {
    testsupport::TempHome home;
    const QString folder = home.path();
    const QByteArray damaged = "<OrvelleCategories><Categories><Item><UID>01";
    ASSERT_TRUE(WriteAll(folder + "/Categories.xml", damaged));
    CCategoryList list;
    EXPECT_FALSE(CCategoryDatabase::LoadCategories(folder, list));
    EXPECT_EQ(Names(list), QStringList({"Unfiled"}));
    EXPECT_EQ(ReadAll(folder + "/Categories.xml"), damaged) << "a load leaves the file alone";

    list.Add(GenerateUID(), "Work");
    ASSERT_TRUE(CCategoryDatabase::SaveCategories(folder, list));
    EXPECT_EQ(ReadAll(folder + "/Categories.xml.unreadable"), damaged);
    CCategoryList back;
    ASSERT_TRUE(CCategoryDatabase::LoadCategories(folder, back));
    EXPECT_EQ(Names(back), QStringList({"Unfiled", "Work"}));
}

TEST(CategoryRecords, NewRecordsGetFreshIdentifiers) {
    CCategoryDatabase db;
    CCategoryRecord* a = db.GetRecords()->AddNew();
    CCategoryRecord* b = db.GetRecords()->AddNew();
    EXPECT_NE(a->uid, b->uid);
    EXPECT_TRUE(a->name.isEmpty());
}

TEST(CategoryList, FindsRemovesAndResets) {
    CCategoryList list;
    list.ResetToUnfiled();
    CCategoryItem* work = list.Add(GenerateUID(), "Work");
    EXPECT_EQ(list.FindByName("work"), nullptr) << "exact comparison";
    EXPECT_EQ(list.FindByUID(work->uid), work);
    EXPECT_EQ(list.IndexOf(work), 1);
    EXPECT_TRUE(list.Remove(work));
    EXPECT_EQ(list.GetCount(), 1);
    EXPECT_EQ(list.GetAt(5), nullptr);
}

}  // namespace
