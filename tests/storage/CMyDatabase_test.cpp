#include "storage/CMyDatabase.h"

#include <unistd.h>

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "storage/StoreTestSupport.h"
#include "support/TempHome.h"

using storetest::ReadAll;
using storetest::WriteAll;

namespace {

// A store without records and without a required document element.
class PlainStore : public CMyDatabase {
public:
    CDBRecordset* CreateRecordset() override { return nullptr; }
    bool ReadRecords() override { return true; }
    bool WriteRecords() override { return true; }
};

class RootedStore : public PlainStore {
protected:
    QString DocumentElementName() const override { return QStringLiteral("Root"); }
};

struct CountedRecord : CDBRecord {
    explicit CountedRecord(int* live) : live(live) { ++*live; }
    ~CountedRecord() override { --*live; }
    void Reset() override { value = 7; }
    int* live;
    int value = 0;
};

struct CountedRecordset : CDBRecordset {
    explicit CountedRecordset(int* live) : live(live) {}
    CDBRecord* CreateRecord() override {
        auto* r = new CountedRecord(live);
        r->Reset();
        return r;
    }
    int* live;
};

TEST(CMyDatabaseSetText, CreatesMissingElementsInPathOrderAndReusesExistingOnes) {
    PlainStore db;
    db.SetText("//OrvelleDoc/Header/Font/Name", "Arial");
    db.SetText("//OrvelleDoc/Header/Font/Size", "11");
    db.SetText("//OrvelleDoc/Header/Title", "T");
    db.SetText("//OrvelleDoc/Header/Category", "C");
    EXPECT_EQ(db.GetXml(),
              "<OrvelleDoc><Header><Font><Name>Arial</Name><Size>11</Size></Font>"
              "<Title>T</Title><Category>C</Category></Header></OrvelleDoc>");

    // An existing path only changes that element's text.
    db.SetText("//OrvelleDoc/Header/Font/Name", "Carlito");
    db.SetText("//OrvelleDoc/Header/Title", "");
    EXPECT_EQ(db.GetXml(),
              "<OrvelleDoc><Header><Font><Name>Carlito</Name><Size>11</Size></Font>"
              "<Title/><Category>C</Category></Header></OrvelleDoc>");
}

TEST(CMyDatabaseSetText, PathOfAnotherDocumentElementCreatesNothing) {
    PlainStore db;
    db.SetText("//A/B", "1");
    db.SetText("//Other/B", "2");
    EXPECT_EQ(db.GetXml(), "<A><B>1</B></A>");
    EXPECT_EQ(db.GetText("//Other/B"), "");
}

TEST(CMyDatabaseRead, MissingElementsReadEmptyAndIntsFollowLeadingDigits) {
    PlainStore db;
    ASSERT_TRUE(db.LoadXml("<R><Empty/><N1> 42abc</N1><N2>-17</N2><N3>+5</N3><N4>x9</N4>"
                           "<N5>99999999999</N5><N6>\t\n 3</N6><Mixed>a<B>b</B>c</Mixed></R>"));
    QString s = "stale";
    EXPECT_FALSE(db.GetText("//R/Missing", s));
    EXPECT_EQ(s, "");
    EXPECT_EQ(db.GetInt("//R/Missing"), 0);
    EXPECT_EQ(db.GetInt("//R/Empty"), 0);
    const struct { const char* path; int32_t value; } cases[] = {
        {"//R/N1", 42}, {"//R/N2", -17}, {"//R/N3", 5}, {"//R/N4", 0},
        {"//R/N5", INT32_MAX}, {"//R/N6", 3},
    };
    for (const auto& c : cases) EXPECT_EQ(db.GetInt(c.path), c.value) << c.path;
    EXPECT_EQ(db.GetText("//R/Mixed"), "abc");  // text content takes descendants too
    EXPECT_EQ(db.GetText("//R/Missing/Deeper"), "");
}

TEST(CMyDatabaseRead, WhitespaceOnlyTextIsKept) {
    PlainStore db;
    ASSERT_TRUE(db.LoadXml("<R><S> </S><T>\n</T></R>"));
    EXPECT_EQ(db.GetText("//R/S"), " ");
    EXPECT_EQ(db.GetText("//R/T"), "\n");
}

TEST(CMyDatabaseElements, AddChildGetChildTextAndGetItemsInDocumentOrder) {
    PlainStore db;
    db.SetText("//R/List", "");
    const CDBElement list = db.SelectElement("//R/List");
    ASSERT_TRUE(list);
    const CDBElement a = db.AddChild(list, "Item", "");
    db.AddChild(a, "Name", "first & <one>");
    const CDBElement b = db.AddChild(list, "Item", "");
    db.AddChild(b, "Name", "second");
    EXPECT_EQ(db.GetXml(), "<R><List><Item><Name>first &amp; &lt;one&gt;</Name></Item>"
                           "<Item><Name>second</Name></Item></List></R>");
    const std::vector<CDBElement> items = db.GetItems("Item");
    ASSERT_EQ(items.size(), 2u);
    QString name;
    EXPECT_TRUE(db.GetChildText(items[0], "Name", name));
    EXPECT_EQ(name, "first & <one>");
    EXPECT_FALSE(db.GetChildText(items[1], "Nope", name));
    EXPECT_EQ(name, "");
    EXPECT_FALSE(db.AddChild(CDBElement(), "X", "y"));  // null parent: nothing happens
}

TEST(CMyDatabaseLoadXml, CutsAfterLastBracketAndRefusesBadText) {
    PlainStore db;
    EXPECT_TRUE(db.LoadXml("<R><A>1</A></R>\r\n\0junk"));
    EXPECT_EQ(db.GetText("//R/A"), "1");
    EXPECT_FALSE(db.LoadXml("no markup at all"));
    EXPECT_FALSE(db.LoadXml("<R><A>1</A>"));
    EXPECT_EQ(db.GetText("//R/A"), "1") << "a failed load leaves the store as it was";

    RootedStore rooted;
    EXPECT_FALSE(rooted.LoadXml("<Other/>"));
    EXPECT_TRUE(rooted.LoadXml("<Root/>"));
}

TEST(CMyDatabaseText, LineBreaksRoundTripAndUnsafeCharactersAreLeftOut) {
    testsupport::TempHome home;
    const QString path = home.path() + "/t.xml";
    const QString crlf = "one\r\ntwo\rthree\nfour\tend";
    QString unsafe = "a";
    unsafe += QChar(0x01);
    unsafe += QChar(0xFFFE);
    unsafe += QChar(0xD800);  // unpaired
    unsafe += "b";
    unsafe += QString::fromUcs4(U"\U0001F600");  // a valid pair stays
    unsafe += QChar(0xDC00);  // unpaired
    unsafe += "c";

    PlainStore db;
    db.SetText("//R/Crlf", crlf);
    db.SetText("//R/Unsafe", unsafe);
    ASSERT_TRUE(db.Save(path, 0));

    const QByteArray bytes = ReadAll(path);
    EXPECT_TRUE(bytes.contains("one&#13;\ntwo&#13;three\nfour\tend")) << bytes.constData();
    for (char c : bytes) EXPECT_FALSE(static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\t');

    PlainStore back;
    ASSERT_EQ(back.Open(path, 0), 1);
    EXPECT_EQ(back.GetText("//R/Crlf"), crlf);
    EXPECT_EQ(back.GetText("//R/Unsafe"), "ab" + QString::fromUcs4(U"\U0001F600") + "c");

    // And a strict parser agrees.
    const QString strict = storetest::StrictParserTexts(path, "Crlf");
    if (strict.isNull()) GTEST_SKIP() << "no python3 for the strict parser check";
    EXPECT_EQ(strict, "one\\r\\ntwo\\rthree\\nfour\tend");
}

TEST(CMyDatabaseText, CharacterReferencesTheXmlCannotHoldAreDroppedOnWrite) {
    testsupport::TempHome home;
    const QString in = home.path() + "/in.xml";
    const QString out = home.path() + "/out.xml";
    // A lenient reader accepts a reference to U+0001 and invalid UTF-8 bytes; what we
    // write back must still be a well-formed document.
    ASSERT_TRUE(WriteAll(in, QByteArray("<R><T>x&#1;y\xC3(z</T></R>")));
    PlainStore db;
    ASSERT_EQ(db.Open(in, 0), 1);
    ASSERT_TRUE(db.Save(out, 0));
    const QString strict = storetest::StrictParserTexts(out, "T");
    if (strict.isNull()) GTEST_SKIP() << "no python3 for the strict parser check";
    EXPECT_EQ(strict, QString("xy") + QChar(0xFFFD) + "(z");
}

TEST(CMyDatabaseOpen, BadFilesAreRefusedWithoutChangingStoreOrFile) {
    testsupport::TempHome home;
    const QString dir = home.path();
    const struct { const char* name; QByteArray bytes; } cases[] = {
        {"empty", QByteArray()},
        {"truncated", QByteArray("<Root><A>1</A><B>")},
        {"binary", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)},
        {"not xml", QByteArray("Title: something\nnot markup <at> all\n")},
        {"wrong root", QByteArray("<Other><A>1</A></Other>")},
        {"only a declaration", QByteArray("<?xml version=\"1.0\"?>")},
        {"zeros", QByteArray(4096, '\0')},
    };
    for (const auto& c : cases) {
        const QString path = dir + "/" + c.name;
        ASSERT_TRUE(WriteAll(path, c.bytes));
        RootedStore db;
        db.SetText("//Root/Keep", "kept");
        EXPECT_EQ(db.Open(path, 1), 0) << c.name;
        EXPECT_EQ(db.GetText("//Root/Keep"), "kept") << c.name;
        EXPECT_EQ(ReadAll(path), c.bytes) << c.name;
    }
    RootedStore db;
    EXPECT_EQ(db.Open(dir + "/does not exist.xml", 1), 0);
    EXPECT_EQ(db.Open(dir, 1), 0) << "a folder";
}

TEST(CMyDatabaseOpen, LargeNonXmlFileFailsAtOnce) {
    testsupport::TempHome home;
    const QString path = home.path() + "/big.orv";
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_TRUE(f.write("garbage, not markup") > 0);
    ASSERT_TRUE(f.resize(300ll * 1024 * 1024));  // sparse: quick to make
    f.close();
    RootedStore db;
    EXPECT_EQ(db.Open(path, 1), 0);
    EXPECT_EQ(QFileInfo(path).size(), 300ll * 1024 * 1024);

    // Beyond the size limit nothing is read at all, whatever the content.
    const QString huge = home.path() + "/huge.orv";
    QFile h(huge);
    ASSERT_TRUE(h.open(QIODevice::WriteOnly));
    ASSERT_TRUE(h.write("<Root>") > 0);
    ASSERT_TRUE(h.resize(CMyDatabase::kMaxFileSize + 1));
    h.close();
    EXPECT_EQ(db.Open(huge, 1), 0);
}

TEST(CMyDatabaseSave, ReplacesTheFileWholeAndCreatesFolders) {
    testsupport::TempHome home;
    const QString path = home.path() + "/a/b/c/store.xml";
    PlainStore db;
    db.SetText("//R/V", "one");
    ASSERT_TRUE(db.Save(path, 0));
    EXPECT_EQ(ReadAll(path), "<R><V>one</V></R>");

    // The new content arrives by renaming a complete file over the old one, so a second
    // name of the old file still holds the old content: a crash mid-write never leaves
    // a half-written document.
    const QString link = home.path() + "/old-link.xml";
    ASSERT_EQ(::link(QFile::encodeName(path).constData(), QFile::encodeName(link).constData()), 0);
    db.SetText("//R/V", "two");
    ASSERT_TRUE(db.Save(path, 0));
    EXPECT_EQ(ReadAll(path), "<R><V>two</V></R>");
    EXPECT_EQ(ReadAll(link), "<R><V>one</V></R>");
    EXPECT_EQ(QDir(home.path() + "/a/b/c").entryList(QDir::Files | QDir::Hidden).size(), 1)
        << "no temporary file is left behind";
}

TEST(CMyDatabaseSave, FailedSaveReturnsFalseAndLeavesWhatWasThere) {
    testsupport::TempHome home;
    PlainStore db;
    db.SetText("//R/V", "x");
    // The target is a folder.
    const QString folder = home.path() + "/folder.xml";
    ASSERT_TRUE(QDir().mkpath(folder + "/inside"));
    EXPECT_FALSE(db.Save(folder, 0));
    EXPECT_TRUE(QFileInfo(folder + "/inside").isDir());
    // A component of the folder is a file.
    const QString file = home.path() + "/plain";
    ASSERT_TRUE(WriteAll(file, "keep"));
    EXPECT_FALSE(db.Save(file + "/sub/store.xml", 0));
    EXPECT_EQ(ReadAll(file), "keep");
    EXPECT_FALSE(db.Save("", 0));
}

TEST(CMyDatabaseSave, TakesPathsBeyondFiveHundredCharacters) {
    testsupport::TempHome home;
    QString path = home.path();
    while (path.size() < 700) path += "/" + QString(60, QChar('d'));
    path += "/store.xml";
    PlainStore db;
    db.SetText("//R/V", "deep");
    ASSERT_TRUE(db.Save(path, 0));
    PlainStore back;
    ASSERT_EQ(back.Open(path, 0), 1);
    EXPECT_EQ(back.GetText("//R/V"), "deep");
}

TEST(CDBRecordset, OwnsItsRecordsThroughEveryOperation) {
    int live = 0;
    {
        CountedRecordset set(&live);
        CDBRecord* a = set.AddNew();
        CDBRecord* b = set.AddNew();
        CDBRecord* c = set.AddNew();
        ASSERT_EQ(set.GetCount(), 3);
        EXPECT_EQ(a->index, 0);
        EXPECT_EQ(c->index, 2);
        EXPECT_EQ(static_cast<CountedRecord*>(b)->value, 7) << "Reset() gives the defaults";
        EXPECT_EQ(set.GetAt(3), nullptr);
        EXPECT_EQ(set.GetAt(-1), nullptr);

        set.RemoveAt(1);
        EXPECT_EQ(live, 2);
        EXPECT_EQ(set.GetAt(1), c);
        EXPECT_EQ(c->index, 2) << "indexes are not renumbered";

        set.ClearOrder();
        EXPECT_EQ(set.GetCount(), 0);
        EXPECT_EQ(live, 2) << "ClearOrder keeps the records alive";
        set.Append(c);
        set.Append(a);
        EXPECT_EQ(set.GetAt(0), c);
        EXPECT_EQ(a->index, 0);

        EXPECT_TRUE(set.Remove(a));
        EXPECT_FALSE(set.Remove(a));
        EXPECT_EQ(live, 1);
        set.AddNew();
        set.RemoveAll();
        EXPECT_EQ(live, 0);
        set.AddNew();
    }
    EXPECT_EQ(live, 0) << "destroying the recordset deletes what it holds";
}

TEST(CDBVariant, HoldsACopyOfAString) {
    CDBVariant v;
    EXPECT_EQ(v.Type(), CDBVariant::kTypeEmpty);
    QString s = "name";
    v.SetString(s);
    s = "changed";
    EXPECT_EQ(v.Type(), 7);
    EXPECT_EQ(v.Size(), 4);
    EXPECT_EQ(v.String(), "name");
}

}  // namespace
