#include "storage/COutlineDatabase.h"

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <QDir>

#include "storage/StoreTestSupport.h"
#include "support/TempHome.h"

using storetest::ReadAll;
using storetest::WriteAll;

namespace {

const char kDefaultDocument[] =
    "<OrvelleDoc><Version>1.0</Version><Header><Title>Untitled</Title><Category>Unfiled</Category>"
    "<Numbering><Divider/></Numbering><Font><Name>Calibri</Name><Size>11</Size><Bold>0</Bold>"
    "<Italic>0</Italic><Underline>0</Underline><Strikeout>0</Strikeout><Color><Red>0</Red>"
    "<Green>0</Green><Blue>0</Blue></Color><Trait/></Font><CheckState>1</CheckState>"
    "<HeadingLevel>1</HeadingLevel><SelectedIndex>1</SelectedIndex></Header><OutlineItems/>"
    "</OrvelleDoc>";

QString Doc(const QString& items) {
    return "<OrvelleDoc><Version>1.0</Version><Header><Title>T</Title><Category>Work</Category>"
           "</Header><OutlineItems>" + items + "</OutlineItems></OrvelleDoc>";
}

COutlineRecord* AddRecord(COutlineDatabase& db, int id, int indent, const QString& text, bool checked = false) {
    COutlineRecord* r = db.GetRecords()->AddNew();
    r->id = id;
    r->indent = static_cast<uint8_t>(indent);
    r->text = text;
    r->checked = checked;
    return r;
}

TEST(COutlineDatabaseHeader, NewStoreHoldsTheDefaultHeaderInOrder) {
    COutlineDatabase db;
    EXPECT_EQ(db.GetXml(), kDefaultDocument);
    ASSERT_NE(db.GetRecords(), nullptr);
    EXPECT_EQ(db.GetRecords()->GetCount(), 0);
    // What the outline writes next lands after the defaults.
    const uint8_t levels[10] = {1, 2, 3, 4, 5, 6, 0, 1, 2, 3};
    db.SetLevels(levels);
    db.SetScheme(4);
    db.SetDocUID("00010AFF10203040");
    db.SetModified(5);
    EXPECT_TRUE(db.GetXml().contains("<Numbering><Divider/><Level1>1</Level1>"));
    EXPECT_TRUE(db.GetXml().contains("<Level10>3</Level10><Scheme>4</Scheme></Numbering>"));
    EXPECT_TRUE(db.GetXml().endsWith("<SelectedIndex>1</SelectedIndex><DocUID>00010AFF10203040</DocUID>"
                                     "<Modified>1</Modified></Header><OutlineItems/></OrvelleDoc>"));
    uint8_t back[10] = {};
    db.GetLevels(back);
    EXPECT_TRUE(std::equal(levels, levels + 10, back));
}

TEST(COutlineDatabaseHeader, AccessorsReadWhatTheyWrite) {
    COutlineDatabase db;
    db.SetTitle("Groceries & more");
    db.SetCategory("Home");
    db.SetCheckState(258);   // modulo 256
    db.SetHeadingLevel(10);
    db.SetSelectedIndex(-3);
    db.SetDivider(u'.');
    EXPECT_EQ(db.GetTitle(), "Groceries & more");
    EXPECT_EQ(db.GetCategory(), "Home");
    EXPECT_EQ(db.GetCheckState(), 2);
    EXPECT_EQ(db.GetHeadingLevel(), 10);
    EXPECT_EQ(db.GetSelectedIndex(), -3);
    EXPECT_EQ(db.GetDivider(), u'.');
    EXPECT_EQ(db.GetModified(), 0) << "missing until the first save";
    EXPECT_EQ(db.GetDocUID(), "");
    uint8_t levels[10];
    db.GetLevels(levels);
    EXPECT_EQ(levels[9], 0) << "missing levels read 0";
}

TEST(COutlineDatabaseFont, ConvertsSizesWeightsAndColour) {
    COutlineDatabase db;
    platform::LogFont f;
    uint32_t color = 0;
    db.GetFont(f, color, 96);
    EXPECT_EQ(f.height, -15) << "size 11 at 96 dpi";
    EXPECT_EQ(f.weight, 400);
    EXPECT_EQ(f.faceNameString(), "Calibri");
    EXPECT_EQ(color, 0u);

    const struct { int height, dpi, weight; int size, bold; } cases[] = {
        {-15, 96, 700, 11, 1},   // -MulDiv(72, -15, 96) = 11.25 -> 11
        {-16, 96, 600, 12, 0},   // weight 600 is not bold
        {-20, 120, 400, 12, 0},
        {-13, 96, 400, 10, 0},   // 9.75 rounds to 10
    };
    for (const auto& c : cases) {
        platform::LogFont in;
        in.height = c.height;
        in.weight = c.weight;
        in.italic = 1;
        in.strikeOut = 1;
        in.setFaceName("Liberation Sans");
        db.SetFont(in, 0x00332211, c.dpi);
        EXPECT_EQ(db.GetInt("//OrvelleDoc/Header/Font/Size"), c.size) << c.height;
        EXPECT_EQ(db.GetInt("//OrvelleDoc/Header/Font/Bold"), c.bold) << c.height;
        platform::LogFont out;
        db.GetFont(out, color, c.dpi);
        EXPECT_EQ(out.weight, c.bold ? 700 : 400);
        EXPECT_EQ(out.italic, 1);
        EXPECT_EQ(out.underline, 0);
        EXPECT_EQ(out.strikeOut, 1);
        EXPECT_EQ(out.faceNameString(), "Liberation Sans");
        EXPECT_EQ(color, 0x00332211u);
    }
    EXPECT_EQ(db.GetText("//OrvelleDoc/Header/Font/Color/Red"), "17");
    EXPECT_EQ(db.GetText("//OrvelleDoc/Header/Font/Trait"), "");
}

TEST(COutlineDatabaseFont, ReadsOddStoredValuesSafely) {
    COutlineDatabase db;
    db.SetText("//OrvelleDoc/Header/Font/Name", QString(40, QChar('F')));
    db.SetText("//OrvelleDoc/Header/Font/Italic", "2");
    db.SetText("//OrvelleDoc/Header/Font/Bold", "7");
    db.SetText("//OrvelleDoc/Header/Font/Color/Red", "300");
    db.SetText("//OrvelleDoc/Header/Font/Color/Blue", "-1");
    platform::LogFont f;
    uint32_t color = 0;
    db.GetFont(f, color, 96);
    EXPECT_EQ(f.faceNameString(), QString(31, QChar('F'))) << "a long face name is cut to 31";
    EXPECT_EQ(f.italic, 0) << "only 1 reads as set";
    EXPECT_EQ(f.weight, 400);
    EXPECT_EQ(color, (300u & 0xFF) | (0xFFu << 16));
}

TEST(COutlineDatabaseMulDiv, RoundsToNearestAndGuardsZeroAndOverflow) {
    EXPECT_EQ(COutlineDatabase::MulDiv(11, 96, 72), 15);  // 14.67
    EXPECT_EQ(COutlineDatabase::MulDiv(72, -15, 96), -11);
    EXPECT_EQ(COutlineDatabase::MulDiv(1, 3, 2), 2);      // halves go away from zero
    EXPECT_EQ(COutlineDatabase::MulDiv(-1, 3, 2), -2);
    EXPECT_EQ(COutlineDatabase::MulDiv(5, 5, 0), -1);
    EXPECT_EQ(COutlineDatabase::MulDiv(INT32_MAX, 4, 1), -1);
    EXPECT_EQ(COutlineDatabase::DefaultDpi(), 96) << "no screen in a test";
}

TEST(COutlineDatabaseRecords, ReadsItemsInFileOrderAndWritesThemBackNormalised) {
    COutlineDatabase db;
    ASSERT_TRUE(db.LoadXml(Doc(
        "<Item><Id>12</Id><Indent>258</Indent><Checked>2</Checked><Expanded>0</Expanded>"
        "<Deleted>1</Deleted><Text>a&#13;\nb</Text><Note>n</Note><Drawing>p.png</Drawing></Item>"
        "<Item><Text>only text</Text></Item>")));
    ASSERT_TRUE(db.ReadRecords());
    COutlineRecordset* rs = db.GetRecords();
    ASSERT_EQ(rs->GetCount(), 2);
    const COutlineRecord* a = rs->GetAt(0);
    EXPECT_EQ(a->id, 12);
    EXPECT_EQ(a->indent, 2) << "indent modulo 256";
    EXPECT_TRUE(a->checked);
    EXPECT_FALSE(a->expanded);
    EXPECT_TRUE(a->deleted);
    EXPECT_EQ(a->text, "a\r\nb");
    EXPECT_EQ(a->note, "n");
    EXPECT_EQ(a->drawing, "p.png");
    const COutlineRecord* b = rs->GetAt(1);
    EXPECT_EQ(b->text, "only text");
    EXPECT_TRUE(b->expanded) << "a missing child keeps the record's default";
    EXPECT_EQ(b->index, 1);

    ASSERT_TRUE(db.WriteRecords());
    EXPECT_TRUE(db.GetXml().contains(
        "<OutlineItems><Item><Id>12</Id><Indent>2</Indent><Checked>1</Checked><Expanded>0</Expanded>"
        "<Deleted>1</Deleted><Text>a&#13;\nb</Text><Note>n</Note><Drawing>p.png</Drawing></Item>"
        "<Item><Id>0</Id><Indent>0</Indent><Checked>0</Checked><Expanded>1</Expanded><Deleted>0</Deleted>"
        "<Text>only text</Text><Note/><Drawing/></Item></OutlineItems>"))
        << db.GetXml().toStdString();
}

TEST(COutlineDatabaseRecords, SavedOutlineOpensWithTheSameRecordsAndText) {
    testsupport::TempHome home;
    const QString path = home.documents() + "/Outline.orv";
    COutlineDatabase db;
    db.SetTitle("Trip");
    AddRecord(db, 0, 0, "Pack\r\nbags", true);
    AddRecord(db, 3, 1, QString::fromUtf8("Ünïcödé & <tags> \xF0\x9F\x98\x80"));
    AddRecord(db, 0, 2, " ")->note = "a note\r\nover lines";
    ASSERT_TRUE(db.Save(path, 1));

    COutlineDatabase back;
    ASSERT_EQ(back.Open(path, 1), 1);
    EXPECT_EQ(back.GetTitle(), "Trip");
    ASSERT_EQ(back.GetRecords()->GetCount(), 3);
    for (int i = 0; i < 3; ++i) {
        const COutlineRecord* w = db.GetRecords()->GetAt(i);
        const COutlineRecord* r = back.GetRecords()->GetAt(i);
        EXPECT_EQ(r->text, w->text) << i;
        EXPECT_EQ(r->note, w->note) << i;
        EXPECT_EQ(r->indent, w->indent) << i;
        EXPECT_EQ(r->checked, w->checked) << i;
        EXPECT_EQ(r->id, w->id) << i;
    }
    const QString strict = storetest::StrictParserTexts(path, "Text");
    if (!strict.isNull()) {
        EXPECT_EQ(strict, QString::fromUtf8("Pack\\r\\nbags|Ünïcödé & <tags> \xF0\x9F\x98\x80| "));
    }
}

TEST(COutlineDatabaseRecords, StreamedSaveWritesWhatTheElementsWould) {
    testsupport::TempHome home;
    COutlineDatabase db;
    AddRecord(db, 1, 0, "x\ry");
    AddRecord(db, 2, 1, "");
    ASSERT_TRUE(db.WriteRecords());
    const QString built = db.GetXml();
    ASSERT_TRUE(db.Save(home.path() + "/a.orv", 1));  // streams the records
    EXPECT_EQ(QString::fromUtf8(ReadAll(home.path() + "/a.orv")), built);
    EXPECT_EQ(db.GetXml(), built) << "the recordset stands in for the released elements";
    ASSERT_TRUE(db.Save(home.path() + "/b.orv", 0));
    EXPECT_EQ(QString::fromUtf8(ReadAll(home.path() + "/b.orv")), built);
    EXPECT_EQ(db.GetItems("Item").size(), 2u) << "element access rebuilds them";

    COutlineDatabase empty;
    ASSERT_TRUE(empty.Save(home.path() + "/c.orv", 1));
    EXPECT_EQ(ReadAll(home.path() + "/c.orv"), kDefaultDocument);
}

TEST(COutlineDatabaseRecords, ReleasedElementsAreRebuiltBeforeElementAccess) {
    COutlineDatabase db;
    ASSERT_TRUE(db.LoadXml(Doc("<Item><Text>a</Text></Item><Item><Text>b</Text></Item>")));
    ASSERT_TRUE(db.ReadRecords());
    const QString before = db.GetXml();
    db.ReleaseItemElements();
    db.GetRecords()->GetAt(1)->text = "changed";
    db.SetTitle("New title");  // header writes keep the elements released
    EXPECT_TRUE(db.GetXml().contains("<Text>changed</Text>"));
    EXPECT_EQ(db.GetText("//OrvelleDoc/OutlineItems/Item/Text"), "a");
    const CDBElement items = db.SelectElement("//OrvelleDoc/OutlineItems");
    db.AddChild(items, "Item", "");
    EXPECT_EQ(db.GetItems("Item").size(), 3u);
}

// A disk that fills up mid-save: the written bytes are cut off at a file size limit
// (a full disk fails the same way, with a short write). The save must report the failure
// and the outline already on disk must stay as it was, even when the new file is small
// enough to sit whole in the writer's buffer until the end.
TEST(COutlineDatabaseRecords, SaveCutOffByAFullDiskFailsAndKeepsTheOldFile) {
    testsupport::TempHome home;
    const QString path = home.path() + "/Outline.orv";
    {
        COutlineDatabase old;
        old.SetTitle("Old");
        AddRecord(old, 1, 0, "kept as it was");
        AddRecord(old, 2, 1, "every byte of it");
        ASSERT_TRUE(old.Save(path, 1));
    }
    const QByteArray before = ReadAll(path);
    ASSERT_GT(before.size(), 64);

    COutlineDatabase db;
    db.SetTitle("New");
    AddRecord(db, 1, 0, "one item");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Past the limit a write fails with EFBIG instead of killing the process.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{64, 64};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(3);
        _exit(db.Save(path, 1) ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "a cut-off save reported success";
    EXPECT_EQ(ReadAll(path), before);
    EXPECT_EQ(QDir(home.path()).entryList({"*.orv*"}, QDir::Files | QDir::Hidden), QStringList{"Outline.orv"})
        << "no temporary file is left behind";
}

// Item elements repeated until the content is well past one piece of the reader, so
// that pieces are cut between (or, when an end tag hides in text, inside) items.
QByteArray ManyItems(const QByteArray& item, int count) {
    QByteArray out;
    for (int i = 0; i < count; ++i) out += QByteArray(item).replace("#", QByteArray::number(i));
    return out;
}

// Reading in pieces must give exactly what reading the whole document and releasing its
// items gives, whatever the file holds; the unusual layouts are refused by the piecewise
// reader and go the whole-document way.
TEST(COutlineDatabaseOpen, OpenReleasedReadsWhatTheWholeDocumentHolds) {
    testsupport::TempHome home;
    const QByteArray head = "<OrvelleDoc><Version>1.0</Version><Header><Title>T</Title></Header>";
    const QByteArray plain = "<Item><Id>#</Id><Indent>1</Indent><Checked>1</Checked><Text>item # &amp; more "
                             "text&#13;\nover lines to fill the pieces of the file quickly</Text><Note>n#</Note>"
                             "</Item>";
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"small", head + "<OutlineItems><Item><Id>1</Id><Text>a</Text></Item><Item><Text><![CDATA[x<y]]></Text>"
                  "</Item></OutlineItems></OrvelleDoc>"},
        {"many", head + "<OutlineItems>" + ManyItems(plain, 5000) + "</OutlineItems></OrvelleDoc>"},
        {"many with white space", head + "<OutlineItems>\n  " + ManyItems(plain + "\n  ", 5000) +
                                      "</OutlineItems>\n</OrvelleDoc>\n"},
        {"end tag in CDATA", head + "<OutlineItems>" +
                                 ManyItems("<Item><Id>#</Id><Text><![CDATA[a </Item> b]]> and more text to fill "
                                           "the pieces</Text></Item>",
                                           5000) +
                                 "</OutlineItems></OrvelleDoc>"},
        {"end tag in comment", head + "<OutlineItems>" +
                                   ManyItems("<Item><Id>#</Id><!-- </Item> --><Text>text to fill the pieces "
                                             "of the file</Text></Item>",
                                             5000) +
                                   "</OutlineItems></OrvelleDoc>"},
        {"nested item", head + "<OutlineItems>" +
                            ManyItems("<Item><Id>#</Id><Text>a<Item><Id>9</Id></Item>b, text to fill the "
                                      "pieces</Text></Item>",
                                      5000) +
                            "</OutlineItems></OrvelleDoc>"},
        {"item outside the container", "<OrvelleDoc><Header><Item><Id>7</Id><Text>h</Text></Item></Header>"
                                       "<OutlineItems><Item><Id>1</Id></Item></OutlineItems></OrvelleDoc>"},
        {"container name in a comment", "<OrvelleDoc><!-- <OutlineItems> --><Header/><OutlineItems><Item><Id>1"
                                        "</Id></Item></OutlineItems></OrvelleDoc>"},
        {"two containers", head + "<OutlineItems><Item><Id>1</Id></Item></OutlineItems><OutlineItems><Item>"
                                  "<Id>2</Id></Item></OutlineItems></OrvelleDoc>"},
        {"empty container", head + "<OutlineItems/></OrvelleDoc>"},
        {"container with attribute", head + "<OutlineItems a=\"1\"><Item><Id>1</Id></Item></OutlineItems>"
                                            "</OrvelleDoc>"},
        {"other element among items", head + "<OutlineItems><Item><Id>1</Id></Item><Group><Item><Id>2</Id>"
                                              "</Item></Group></OutlineItems></OrvelleDoc>"},
        {"latin-1", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>" + head + "<OutlineItems><Item><Text>"
                    "caf\xE9</Text></Item></OutlineItems></OrvelleDoc>"},
        {"utf-8 declared", "\xEF\xBB\xBF<?xml version='1.0' encoding='UTF-8'?>" + head + "<OutlineItems><Item>"
                           "<Text>caf\xC3\xA9</Text></Item></OutlineItems></OrvelleDoc>"},
    };
    for (const auto& c : cases) {
        const QString path = home.path() + "/case.orv";
        ASSERT_TRUE(WriteAll(path, c.bytes));
        COutlineDatabase whole;
        ASSERT_EQ(whole.Open(path, 1), 1) << c.name;
        whole.ReleaseItemElements();
        COutlineDatabase pieces;
        ASSERT_EQ(pieces.OpenReleased(path), 1) << c.name;
        ASSERT_EQ(pieces.GetRecords()->GetCount(), whole.GetRecords()->GetCount()) << c.name;
        EXPECT_EQ(pieces.GetXml(), whole.GetXml()) << c.name;
        EXPECT_EQ(ReadAll(path), c.bytes) << c.name;
    }
    // Text in UTF-16, and a bad item far into the file (after a few good pieces).
    const QString utf16 = home.path() + "/utf16.orv";
    const QString text = QString::fromUtf8(head + "<OutlineItems><Item><Text>\xC3\xA9</Text></Item></OutlineItems>"
                                                  "</OrvelleDoc>");
    ASSERT_TRUE(WriteAll(utf16, QByteArray("\xFF\xFE") + QByteArray(reinterpret_cast<const char*>(text.utf16()),
                                                                     text.size() * 2)));
    COutlineDatabase wide;
    ASSERT_EQ(wide.OpenReleased(utf16), 1);
    ASSERT_EQ(wide.GetRecords()->GetCount(), 1);
    EXPECT_EQ(wide.GetRecords()->GetAt(0)->text, QString::fromUtf8("\xC3\xA9"));

    const QString bad = home.path() + "/bad.orv";
    ASSERT_TRUE(WriteAll(bad, head + "<OutlineItems>" + ManyItems(plain, 5000) + "<Item><Text>x</Txet></Item>" +
                                  ManyItems(plain, 10) + "</OutlineItems></OrvelleDoc>"));
    COutlineDatabase refused;
    refused.SetTitle("Before");
    EXPECT_EQ(refused.OpenReleased(bad), 0);
    EXPECT_EQ(refused.GetTitle(), "Before");
}

TEST(COutlineDatabaseOpen, RefusesOtherDocumentsAndLeavesThemUntouched) {
    testsupport::TempHome home;
    const struct { const char* name; const char* bytes; } cases[] = {
        {"categories", "<OrvelleCategories><Version>1</Version></OrvelleCategories>"},
        {"html", "<html><body>hello</body></html>"},
        {"truncated", "<OrvelleDoc><Version>1.0</Version><Header><Title>T"},
    };
    for (const auto& c : cases) {
        const QString path = home.path() + "/" + c.name + ".orv";
        ASSERT_TRUE(WriteAll(path, c.bytes));
        COutlineDatabase db;
        EXPECT_EQ(db.Open(path, 1), 0) << c.name;
        EXPECT_EQ(db.GetXml(), kDefaultDocument) << c.name;
        EXPECT_EQ(ReadAll(path), QByteArray(c.bytes)) << c.name;
    }
}

TEST(COutlineDatabaseCategory, SetFileCategoryChangesOnlyMatchingFiles) {
    testsupport::TempHome home;
    const QString folder = home.documents();
    auto make = [&](const QString& name, const QString& category) {
        COutlineDatabase db;
        db.SetCategory(category);
        db.SetModified(0);
        AddRecord(db, 0, 0, "keep me");
        EXPECT_TRUE(db.Save(folder + "/" + name, 1));
    };
    make("a.orv", "Work");
    make("b.ORV", "Work");
    make("c.orv", "work");      // differs in letter case only
    make("d.orv", "Home");
    make("e.ort", "Work");      // another extension
    ASSERT_TRUE(WriteAll(folder + "/broken.orv", "<OrvelleDoc><Header>"));

    EXPECT_EQ(ReplaceCategoryInFolder(folder, "orv", "Work", "Office"), 2);
    const struct { const char* name; const char* category; int modified; } expect[] = {
        {"a.orv", "Office", 1}, {"b.ORV", "Office", 1}, {"c.orv", "work", 0},
        {"d.orv", "Home", 0},   {"e.ort", "Work", 0},
    };
    for (const auto& e : expect) {
        COutlineDatabase db;
        ASSERT_EQ(db.Open(folder + "/" + e.name, 1), 1) << e.name;
        EXPECT_EQ(db.GetCategory(), e.category) << e.name;
        EXPECT_EQ(db.GetModified(), e.modified) << e.name;
        ASSERT_EQ(db.GetRecords()->GetCount(), 1);
        EXPECT_EQ(db.GetRecords()->GetAt(0)->text, "keep me");
    }
    EXPECT_EQ(ReadAll(folder + "/broken.orv"), "<OrvelleDoc><Header>");

    // A deleted category turns into "Unfiled"; force ignores the old name.
    EXPECT_EQ(ReplaceCategoryInFolder(folder, "orv", "Home", ""), 1);
    EXPECT_TRUE(SetFileCategory(folder + "/c.orv", true, "ignored", "Forced"));
    EXPECT_TRUE(SetFileCategory(folder + "/d.orv", false, "Nope", "X")) << "processed, unchanged";
    EXPECT_FALSE(SetFileCategory(folder + "/broken.orv", true, "", "X"));
    EXPECT_FALSE(SetFileCategory(folder + "/missing.orv", true, "", "X"));
    COutlineDatabase c, d;
    ASSERT_EQ(c.Open(folder + "/c.orv", 0), 1);
    ASSERT_EQ(d.Open(folder + "/d.orv", 0), 1);
    EXPECT_EQ(c.GetCategory(), "Forced");
    EXPECT_EQ(d.GetCategory(), "Unfiled");
}

}  // namespace
