#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "OutlineTestSupport.h"
#include "support/TempHome.h"

using namespace modeltest;

namespace {

TEST(OutlineBuildTree, RepairsIndentValues) {
    struct Case { const char* name; std::vector<std::string> lines; const char* shape; };
    const Case cases[] = {
        {"first item too deep", {"  a", "b"}, "a b"},
        {"jump of three", {"a", "   b", " c"}, "a(b c)"},
        {"back up two", {"a", " b", "  c", "d"}, "a(b(c)) d"},
        {"beyond level 9", {"a", " b", "  c", "   d", "    e", "     f", "      g", "       h",
                            "        i", "         j", "            k"},
         "a(b(c(d(e(f(g(h(i(j k)))))))))"},
    };
    for (const Case& c : cases) {
        COutlineMan o;
        Load(o, c.lines);
        EXPECT_EQ(ShapeOf(o), c.shape) << c.name;
        EXPECT_EQ(CheckInvariants(o), "") << c.name;
        o.StoreTree();
        // The records carry the repaired Indent, so a save writes levels equal to depths.
        auto* rs = o.GetDatabase()->GetRecords();
        int i = 0;
        for (Node* n = o.GetFirstChild(nullptr); n; n = o.GetNextInPreorder(n), ++i)
            EXPECT_EQ(rs->GetAt(i)->indent, n->item.level) << c.name;
    }
}

TEST(OutlineBuildTree, NoItemsGiveOneEmptyItem) {
    COutlineMan o;
    Load(o, {});
    ASSERT_EQ(o.GetCount(), 1);
    EXPECT_TRUE(o.GetFirstChild(nullptr)->item.text.IsEmpty());
    EXPECT_EQ(CheckInvariants(o), "");
}

TEST(OutlineItem, RecordRoundTripAndLevelClamp) {
    COutlineMan o;
    o.InitNew(true);
    Node* n = o.GetFirstChild(nullptr);
    COutlineItem& it = n->item;
    it.record->id = 7;
    it.record->indent = 15;
    it.record->checked = true;
    it.record->expanded = false;
    it.record->text = "one\r\ntwo";
    it.record->note = "note";
    it.record->drawing = "pic.png";
    it.LoadFromRecord();
    EXPECT_EQ(it.id, 7);
    EXPECT_EQ(it.level, 0) << "an Indent outside 0..9 loads as 0";
    EXPECT_TRUE(it.checked);
    EXPECT_FALSE(it.expanded);
    EXPECT_EQ(it.GetText(), "one\r\ntwo");
    EXPECT_EQ(it.note, "note");
    EXPECT_TRUE(it.HasDrawing());
    EXPECT_TRUE(it.record->text.isEmpty()) << "text lives in the item only";
    EXPECT_TRUE(it.record->note.isEmpty());
    EXPECT_EQ(it.GetDrawing(), "pic.png");
    it.SetLevel(12);
    EXPECT_EQ(it.level, 9);
    it.StoreToRecord();
    EXPECT_EQ(it.record->indent, 9);
    EXPECT_EQ(it.record->text, "one\r\ntwo");
    it.ClearDrawing();
    EXPECT_FALSE(it.HasDrawing());
    EXPECT_TRUE(it.GetDrawing().isEmpty());
}

TEST(OutlineVisibility, HiddenCheckedChildren) {
    COutlineMan o;
    Load(o, {"-p", " *a", " *b", "q", " c"});
    Node* p = Find(o, "p");
    EXPECT_TRUE(o.CanExpand(p));
    o.SetShowChecked(false);
    EXPECT_FALSE(o.HasVisibleChildren(p));
    EXPECT_FALSE(o.CanExpand(p)) << "all children checked and hidden";
    EXPECT_FALSE(o.IsDisplayed(Find(o, "a")));
    EXPECT_TRUE(o.IsDisplayed(Find(o, "c")));
    EXPECT_TRUE(o.AllChildrenChecked(p));
    EXPECT_TRUE(o.AllChildrenChecked(Find(o, "c"))) << "vacuously";
}

TEST(OutlineVisibility, DisplayOrderWalks) {
    COutlineMan o;
    Load(o, {"a", " b", "  c", " -d", "  e", " *f", "g"});
    o.SetShowChecked(false);
    std::string forward;
    for (Node* n = o.GetFirstVisibleItem(); n; n = o.GetNextDisplayed(n)) forward += n->item.GetText().toStdString();
    EXPECT_EQ(forward, "abcdg");
    std::string backward;
    for (Node* n = o.GetLastDisplayed(); n; n = o.GetPrevDisplayed(n)) backward += n->item.GetText().toStdString();
    EXPECT_EQ(backward, "gdcba");
    EXPECT_TRUE(o.IsDisplayedBefore(Find(o, "c"), Find(o, "g")));
    EXPECT_TRUE(o.IsDisplayedBefore(Find(o, "b"), Find(o, "d")));
    EXPECT_FALSE(o.IsDisplayedBefore(Find(o, "d"), Find(o, "b")));
    EXPECT_TRUE(o.IsDisplayedAfter(Find(o, "g"), Find(o, "a")));
    EXPECT_EQ(o.GetNextVisibleInPreorder(Find(o, "d")), Find(o, "e")) << "ignores collapse";
    EXPECT_EQ(o.GetNextVisibleInPreorder(Find(o, "e")), Find(o, "g")) << "skips hidden f";
    EXPECT_EQ(o.GetPrevInPreorder(Find(o, "g")), Find(o, "f"));
    EXPECT_EQ(o.FindParentForLevel(1, Find(o, "c")), Find(o, "a"));
    EXPECT_EQ(o.FindParentForLevel(0, Find(o, "c")), nullptr);
    EXPECT_EQ(o.FindAncestorAtLevel(1, Find(o, "c")), Find(o, "b"));
    EXPECT_EQ(o.GetMaxLevelBelow(Find(o, "a")), 2);
}

TEST(OutlineVisibility, EnsureNextItem) {
    COutlineMan o;
    Load(o, {"*a", "b", "c"});
    o.SetShowChecked(false);
    EXPECT_EQ(o.EnsureNextItem(Find(o, "b")), Find(o, "c"));
    EXPECT_EQ(o.EnsureNextItem(Find(o, "c")), nullptr) << "not the first visible item";
    EXPECT_EQ(o.EnsureNextItem(nullptr), nullptr) << "a visible item exists";
    COutlineMan single;
    Load(single, {"only"});
    Node* added = single.EnsureNextItem(single.GetFirstChild(nullptr));
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(single.GetCount(), 2);
    EXPECT_EQ(CheckInvariants(single), "");
}

TEST(OutlineNumbering, HiddenItemsDoNotCount) {
    COutlineMan o;
    Load(o, {"a", "*b", "*c", "d"});
    std::vector<int> notified;
    o.SetNotify([](void* ctx, int code, Node* n) {
        if (code == COutlineMan::kNotifyWidestOrdinal)
            static_cast<std::vector<int>*>(ctx)->push_back(COutlineMan::NotifyLevel(n));
    }, &notified);
    o.EnableNotify(true);
    o.SetShowChecked(false);
    o.RenumberAll();
    EXPECT_EQ(Find(o, "a")->item.ordinal, 0);
    EXPECT_EQ(Find(o, "d")->item.ordinal, 1);
    EXPECT_EQ(o.GetWidestOrdinal(0), 1);
    EXPECT_EQ(notified, std::vector<int>{0});
    o.SetShowChecked(true);
    o.RenumberAll();
    EXPECT_EQ(Find(o, "d")->item.ordinal, 3);
    EXPECT_EQ(o.GetWidestOrdinal(0), 3);
}

TEST(OutlineNumbering, LegalNumberOfANestedItem) {
    COutlineMan o;
    Load(o, {"a", "b", "c", " c1", " c2"});
    o.RenumberAll();
    numbering::Numbering n;
    n.levels.fill(numbering::kLegal);
    EXPECT_EQ(o.FormatItemNumber(Find(o, "c2"), n), "3.2");
    n.divider = numbering::kDividerParen;
    EXPECT_EQ(o.FormatItemNumber(Find(o, "c2"), n), "3.2)");
}

TEST(OutlineNumbering, InvalidLevelCodesAreRewritten) {
    COutlineMan o;
    o.InitNew(true);
    numbering::LevelCodes levels = {4, 4, 9, 4, 4, 4, 4, 4, 4, 0};
    o.SetNumbering(levels, 1);
    const numbering::Numbering valid = o.GetValidNumbering();
    EXPECT_EQ(valid.levels[2], 0);
    int scheme = -1;
    o.GetNumbering(levels, scheme);
    EXPECT_EQ(levels[2], 0) << "the header is corrected";
    EXPECT_EQ(scheme, 1);
}

TEST(OutlineLifecycle, NewOutlineHeaderAndFirstSave) {
    testsupport::TempHome home;
    DefaultOutlinePreferences prefs;
    prefs.font.setFaceName("Carlito");
    prefs.currentCategory = "Work";
    COutlineMan o;
    o.SetPreferences(&prefs);
    o.InitNew(true);
    EXPECT_TRUE(o.IsNew());
    EXPECT_EQ(o.GetCount(), 1);
    const QString xml = o.GetDatabase()->GetXml();
    EXPECT_LT(xml.indexOf("<Divider>"), xml.indexOf("<Level1>"));
    EXPECT_LT(xml.indexOf("<Level10>"), xml.indexOf("<Scheme>"));
    EXPECT_LT(xml.indexOf("<Scheme>"), xml.indexOf("<Font>"));
    EXPECT_NE(xml.indexOf("<Name>Carlito</Name>"), -1);

    o.GetFirstChild(nullptr)->item.text.SetText(u"hello");
    const QString path = home.path() + "/a/b.orv";
    ASSERT_EQ(o.Save(path), 1);
    QString category, uid;
    o.GetCategory(category);
    EXPECT_EQ(category, "Work");
    EXPECT_EQ(o.GetDatabase()->GetDocUID().size(), 16);
    EXPECT_EQ(o.GetDatabase()->GetModified(), 1);

    COutlineMan back;
    ASSERT_EQ(back.Open(path), 1);
    EXPECT_FALSE(back.IsNew());
    EXPECT_EQ(ShapeOf(back), "hello");
    EXPECT_EQ(CheckInvariants(back), "");
}

TEST(OutlineLifecycle, FailuresLeaveNothingHalfDone) {
    testsupport::TempHome home;
    COutlineMan o;
    EXPECT_EQ(o.Open(home.path() + "/missing.orv"), 0);
    EXPECT_EQ(o.GetDatabase(), nullptr);
    EXPECT_EQ(o.GetCount(), 0);

    Load(o, {"a", " b"});
    const QString before = Written(o);
    QFile blocker(home.path() + "/file");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_EQ(o.Save(home.path() + "/file/sub/x.orv"), 0) << "a file where the folder should be";
    EXPECT_EQ(ShapeOf(o), "a(b)");
    EXPECT_EQ(CheckInvariants(o), "");
}

TEST(OutlineLifecycle, OpenRepairsAndResetEmpties) {
    testsupport::TempHome home;
    const QString path = home.path() + "/in.orv";
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("<OrvelleDoc><Version>1.0</Version><Header><Title>T</Title></Header><OutlineItems>"
            "<Item><Id>5</Id><Indent>2</Indent><Checked>0</Checked><Expanded>1</Expanded><Deleted>0</Deleted><Text>a</Text><Note/><Drawing/></Item>"
            "<Item><Id>6</Id><Indent>3</Indent><Checked>1</Checked><Expanded>1</Expanded><Deleted>1</Deleted><Text>b</Text><Note>n</Note><Drawing/></Item>"
            "</OutlineItems></OrvelleDoc>");
    f.close();
    COutlineMan o;
    ASSERT_EQ(o.Open(path), 1);
    EXPECT_EQ(ShapeOf(o), "a(b*)");
    const QString xml = Written(o);
    EXPECT_NE(xml.indexOf("<Id>5</Id><Indent>0</Indent>"), -1) << xml.toStdString();
    EXPECT_NE(xml.indexOf("<Id>6</Id><Indent>1</Indent><Checked>1</Checked><Expanded>1</Expanded><Deleted>1</Deleted>"), -1)
        << "Deleted is written back as read";

    int inserted = 0;
    o.SetNotify([](void* ctx, int code, Node*) { if (code == 6) ++*static_cast<int*>(ctx); }, &inserted);
    o.EnableNotify(true);
    o.Reset();
    EXPECT_EQ(o.GetCount(), 1);
    EXPECT_EQ(inserted, 1);
    EXPECT_FALSE(o.GetUndo()->CanUndo());
    EXPECT_EQ(CheckInvariants(o), "");
}

}  // namespace
