// Fragments, range deletion, drops inside one outline and find, each on a small outline
// whose shape shows the rule at stake; every change is also undone and redone.
#include <gtest/gtest.h>

#include <QFont>

#include "OutlineTestSupport.h"
#include "model/LineNumbering.h"
#include "platform/FixedTextMeasurer.h"

using namespace modeltest;

namespace {

struct FragmentItem {
    int indent;
    const char* text;
    int id;
};

// A fragment document as another outline's copy would write it, with the Indent values
// given (not repaired).
QString FragmentOf(const std::vector<FragmentItem>& items) {
    COutlineDatabase store;
    for (const FragmentItem& it : items) {
        COutlineRecord* r = store.GetRecords()->AddNew();
        r->indent = static_cast<uint8_t>(it.indent);
        r->text = QString::fromUtf8(it.text);
        r->id = it.id;
    }
    store.WriteRecords();
    return store.GetXml();
}

// "text:level" per item in pre-order.
std::string LevelsOf(const COutlineMan& o) {
    std::string out;
    for (const Node* n = o.GetFirstChild(nullptr); n; n = o.GetNextInPreorder(n)) {
        if (!out.empty()) out += ' ';
        out += n->item.GetText().toStdString() + ":" + std::to_string(n->item.level);
    }
    return out;
}

// The change must undo to exactly the document before it and redo to exactly the one
// after it, with every invariant holding on the way.
void ExpectUndoRedo(COutlineMan& o, const QString& before) {
    const QString after = Written(o);
    ASSERT_TRUE(UndoOnce(o));
    EXPECT_EQ(CheckInvariants(o), "");
    EXPECT_EQ(Written(o), before);
    ASSERT_TRUE(RedoOnce(o));
    EXPECT_EQ(CheckInvariants(o), "");
    EXPECT_EQ(Written(o), after);
}

TEST(OutlineFragments, ParsingKeepsNestingRelativeToTheFirstItem) {
    const struct {
        std::vector<FragmentItem> items;
        const char* shape;
    } cases[] = {
        // Items at or above the first item's level start new top-level trees.
        {{{2, "a", 5}, {3, "b", 6}, {1, "c", 7}, {2, "d", 8}}, "a(b) c(d)"},
        {{{2, "a", 5}, {3, "b", 6}, {3, "c", 7}}, "a(b c)"},
        {{{1, "a", 5}, {0, "b", 6}, {1, "c", 7}}, "a b(c)"},
        // A gap in the levels hangs the item on the deepest item above it.
        {{{0, "a", 5}, {2, "b", 6}, {1, "c", 7}}, "a(b c)"},
        // Deeper than the deepest level: read as the deepest level.
        {{{0, "a", 5}, {1, "b", 6}, {2, "c", 7}, {3, "d", 8}, {4, "e", 9}, {5, "f", 10}, {6, "g", 11},
          {7, "h", 12}, {8, "i", 13}, {9, "j", 14}, {30, "k", 15}},
         "a(b(c(d(e(f(g(h(i(j k)))))))))"},
    };
    for (const auto& c : cases) {
        const QString text = FragmentOf(c.items);
        for (bool resetIds : {false, true}) {
            COutlineMan temp;
            temp.InitNew(false);
            ASSERT_TRUE(COutlineMan::ParseFragment(text, temp, resetIds)) << c.shape;
            EXPECT_EQ(ShapeOf(temp), c.shape);
            EXPECT_EQ(CheckInvariants(temp), "") << c.shape;
            size_t i = 0;
            for (const Node* n = temp.GetFirstChild(nullptr); n; n = temp.GetNextInPreorder(n), ++i) {
                ASSERT_LT(i, c.items.size());
                EXPECT_EQ(n->item.id, resetIds ? 0 : c.items[i].id) << c.shape << " item " << i;
                EXPECT_EQ(n->item.record->indent, n->item.level) << c.shape << " item " << i;
            }
        }
    }
    COutlineMan temp;
    temp.InitNew(false);
    EXPECT_FALSE(COutlineMan::ParseFragment(FragmentOf({}), temp, true)) << "a fragment without items";
    EXPECT_FALSE(COutlineMan::ParseFragment("<OrvelleDoc><OutlineItems><Item>", temp, true));
    EXPECT_FALSE(COutlineMan::ParseFragment("<Other><Item><Text>x</Text></Item></Other>", temp, true));
    EXPECT_EQ(temp.GetCount(), 0);
}

TEST(OutlineFragments, PasteBelowTheDeepestLevelsStaysOnLevelNine) {
    // p with its child q and grandchild r, pasted as first children of an item.
    const QString fragment = FragmentOf({{0, "p", 1}, {1, "q", 2}, {2, "r", 3}});
    const struct {
        const char* parent;
        const char* levels;
    } cases[] = {
        {"l7", "l0:0 l1:1 l2:2 l3:3 l4:4 l5:5 l6:6 l7:7 p:8 q:9 r:9 l8:8 old:9"},
        // Under level 8: p goes to 9, and what would go to 10 follows it on level 9.
        {"l8", "l0:0 l1:1 l2:2 l3:3 l4:4 l5:5 l6:6 l7:7 l8:8 p:9 q:9 r:9 old:9"},
        // Under level 9 nothing can go: the items land after that item, beside it.
        {"old", "l0:0 l1:1 l2:2 l3:3 l4:4 l5:5 l6:6 l7:7 l8:8 old:9 p:9 q:9 r:9"},
    };
    for (const auto& c : cases) {
        COutlineMan o;
        Load(o, {"l0", " l1", "  l2", "   l3", "    l4", "     l5", "      l6", "       l7", "        l8",
                 "         old"});
        const QString before = Written(o);
        Node* first = nullptr;
        Act(o, kActionPaste, [&] { first = o.InsertFragment(fragment, Find(o, c.parent), nullptr); });
        ASSERT_NE(first, nullptr) << c.parent;
        EXPECT_EQ(first->item.GetText(), "p") << c.parent;
        EXPECT_EQ(LevelsOf(o), c.levels) << c.parent;
        EXPECT_EQ(CheckInvariants(o), "") << c.parent;
        ExpectUndoRedo(o, before);
    }
}

TEST(OutlineFragments, PasteFailingPartWayReportsFailureAndUndoesWhatItPlaced) {
    const QString fragment = FragmentOf({{0, "p", 1}, {1, "q", 2}, {0, "r", 3}});
    for (int made : {0, 1, 2}) {
        FailingOutline o;
        Load(o, {"a", "b"});
        const QString before = Written(o);
        o.recordsLeft = made;
        Node* first = reinterpret_cast<Node*>(1);
        Act(o, kActionPaste, [&] { first = o.InsertFragment(fragment, nullptr, Find(o, "a")); });
        EXPECT_EQ(first, nullptr) << made << " of 3 placed";
        EXPECT_EQ(o.GetCount(), 2 + made);
        EXPECT_EQ(CheckInvariants(o), "") << made;
        o.recordsLeft = 1 << 30;
        if (made > 0) {
            ASSERT_TRUE(UndoOnce(o)) << made;
        }
        EXPECT_EQ(Written(o), before) << made;
    }
}

TEST(OutlineFragments, RangeWithACollapsedLastItemTakesItsHiddenChildren) {
    for (bool collapsed : {false, true}) {
        COutlineMan o;
        Load(o, {"a", collapsed ? "-b" : "b", " c", "  d", "e"});
        const QString text = o.CopyRange(Find(o, "a"), Find(o, "b"));
        COutlineMan temp;
        temp.InitNew(false);
        ASSERT_TRUE(COutlineMan::ParseFragment(text, temp, true));
        EXPECT_EQ(ShapeOf(temp), collapsed ? "a b(c(d))" : "a b") << collapsed;
        QString plain;
        o.GetRangeText(Find(o, "a"), Find(o, "b"), plain);
        EXPECT_EQ(plain, collapsed ? "a\r\nb\r\nc\r\nd\r\n" : "a\r\nb\r\n");
        // Copying leaves the source as it was, its texts still with the items.
        EXPECT_EQ(ShapeOf(o), "a b(c(d)) e");
        EXPECT_EQ(CheckInvariants(o), "");
        EXPECT_EQ(Find(o, "c")->item.record->text, QString()) << "record text released again";
    }
}

TEST(OutlineFragments, DeletedRangeLeavesItsOrphansInPlace) {
    const struct {
        std::vector<std::string> lines;
        const char* first;
        const char* last;
        const char* shape;
        const char* collapsed;  // an item expected collapsed afterwards, or none
    } cases[] = {
        // Nothing displayed before the range: the first orphan becomes the first item.
        {{"t1", "t2", " c1", " c2", "t3"}, "t1", "t2", "c1(c2) t3", nullptr},
        // An orphan takes the level of the item before it, or hangs below it.
        {{"a", "b", "c", " d", "  e", "f"}, "b", "c", "a(d(e)) f", nullptr},
        {{"a", " x", "b", "c", " d", "f"}, "b", "c", "a(x d) f", nullptr},
        // A hidden orphan keeps its parent collapsed.
        {{"a", "b", " -d", "  e", "f"}, "b", "b", "a(d(e)) f", "d"},
    };
    for (const auto& c : cases) {
        COutlineMan o;
        Load(o, c.lines);
        const QString before = Written(o);
        Act(o, kActionDeleteSelection, [&] { o.DeleteRange(Find(o, c.first), Find(o, c.last)); });
        EXPECT_EQ(ShapeOf(o), c.shape);
        EXPECT_EQ(CheckInvariants(o), "") << c.shape;
        if (c.collapsed) {
            EXPECT_FALSE(Find(o, c.collapsed)->item.expanded) << c.shape;
        }
        ExpectUndoRedo(o, before);
    }
}

TEST(OutlineFragments, DropOfASubtreeIntoItselfDoesNothing) {
    const struct {
        const char* name;
        int where;
        int level;
        const char* target;
        bool copyToo;  // a copy may go inside the subtree it copies, but not beside itself
    } cases[] = {
        {"beside its own grandchild", 1, 2, "e", false},
        {"as the first child of itself", 1, 1, "c", true},
        {"after its own last descendant", 2, 2, nullptr, false},
        {"after its own last descendant, as its child", 2, 1, nullptr, true},
    };
    for (const auto& c : cases) {
        for (bool copy : {false, true}) {
            if (copy && !c.copyToo) continue;
            COutlineMan o;
            Load(o, {"a", "b", " c", "  d", " e"});
            const QString before = Written(o);
            Node* result = reinterpret_cast<Node*>(1);
            Act(o, kActionDragAndDrop, [&] {
                result = o.MoveSubtreeTo(c.where, c.level, c.target ? Find(o, c.target) : nullptr, Find(o, "b"), copy);
            });
            EXPECT_EQ(result, nullptr) << c.name << " copy " << copy;
            EXPECT_EQ(Written(o), before) << c.name << " copy " << copy;
            EXPECT_EQ(o.GetUndo()->TotalRecords(), 0) << c.name << " copy " << copy;
            EXPECT_EQ(CheckInvariants(o), "") << c.name;
        }
    }
    {
        // A copy dropped inside its own subtree copies the subtree as it was before.
        COutlineMan o;
        Load(o, {"a", "b", " c", "  d", " e"});
        const QString before = Written(o);
        Act(o, kActionDragAndDrop, [&] { EXPECT_NE(o.MoveSubtreeTo(1, 2, Find(o, "e"), Find(o, "b"), true), nullptr); });
        EXPECT_EQ(ShapeOf(o), "a b(c(d b(c(d) e)) e)");
        EXPECT_EQ(CheckInvariants(o), "");
        ExpectUndoRedo(o, before);
    }
    // Onto itself two levels deeper, without children before it: one indent step only.
    COutlineMan o;
    Load(o, {"a", "b"});
    const QString before = Written(o);
    Act(o, kActionDragAndDrop, [&] { EXPECT_EQ(o.MoveSubtreeTo(1, 2, Find(o, "b"), Find(o, "b"), false), Find(o, "b")); });
    EXPECT_EQ(LevelsOf(o), "a:0 b:1");
    ExpectUndoRedo(o, before);
}

TEST(OutlineFind, TheEndOfTheOutlineEndsTheSearch) {
    COutlineMan o;
    Load(o, {"apple pie", "-pear", " *apple hidden", "last apple tart"});
    o.SetShowChecked(false);
    Node* last = Find(o, "last apple tart");
    Node* found = nullptr;
    TextPos at{};
    // From behind the last hit of the last item: no wrapping round to the first item.
    EXPECT_FALSE(o.FindText("apple", last, TextPos{10, 0}, 0, false, &found, &at));
    EXPECT_EQ(found, nullptr);
    // Still found in that item when it lies ahead, case ignored.
    ASSERT_TRUE(o.FindText("APPLE", last, TextPos{2, 0}, 0, false, &found, &at));
    EXPECT_EQ(found, last);
    EXPECT_EQ(at, (TextPos{5, 0}));
    // A checked item is passed over while checked items are hidden.
    ASSERT_TRUE(o.FindText("apple", Find(o, "pear"), TextPos{0, 0}, 0, false, &found, &at));
    EXPECT_EQ(found, last);
    // Upward from the start of the first item: nothing before it.
    found = nullptr;
    EXPECT_FALSE(o.FindText("apple", Find(o, "apple pie"), TextPos{0, 0}, kFindUp, false, &found, &at));
    EXPECT_EQ(found, nullptr);
    // Upward from the start of an item: the previous items, nearest first.
    ASSERT_TRUE(o.FindText("apple", last, TextPos{0, 0}, kFindUp, false, &found, &at));
    EXPECT_EQ(found, Find(o, "apple pie"));
    // A hit below a collapsed item opens it.
    o.SetShowChecked(true);
    ASSERT_TRUE(o.FindText("hidden", Find(o, "apple pie"), TextPos{0, 0}, 0, false, &found, &at));
    EXPECT_EQ(found, Find(o, "apple hidden"));
    EXPECT_TRUE(Find(o, "pear")->item.expanded);
}

TEST(OutlineNumberingColumn, SamplesMeasuredWithTheFontsWidestGlyphs) {
    platform::FixedTextMeasurer m(10);
    m.SetCharWidth(u'7', 14);
    m.SetCharWidth(u'Q', 15);
    m.SetCharWidth(u'w', 13);
    m.SetCharWidth(u'.', 4);
    m.SetCharWidth(u')', 5);
    const numbering::WidestGlyphs g = numbering::FindWidestGlyphs([&](QChar c) { return m.WidthOf(c.unicode()); });
    ASSERT_EQ(g.digit, u'7');
    ASSERT_EQ(g.upper, u'Q');
    ASSERT_EQ(g.lower, u'w');
    const QFont font;
    auto width = [&](const QString& s) {
        return m.TabbedTextExtent(font, reinterpret_cast<const char16_t*>(s.utf16()), int32_t(s.size()), 0);
    };
    const struct {
        uint8_t code;
        char16_t divider;
        std::vector<int32_t> widest;  // this level's first
        const char* sample;
        int32_t pixels;
    } cases[] = {
        {numbering::kNumeric, 0, {99}, "777", 42},
        {numbering::kNumeric, numbering::kDividerParen, {8}, "7)", 19},
        {numbering::kLegal, 0, {9, 11}, "77.77", 60},
        {numbering::kLegal, numbering::kDividerDot, {0}, "7.", 18},
        {numbering::kAlphaUpper, 0, {27}, "QQ", 30},
        {numbering::kAlphaLower, numbering::kDividerDot, {702}, "www.", 43},
        {numbering::kRomanUpper, 0, {13}, "XVIII", 50},
        {numbering::kRomanLower, 0, {2345}, "mmcccxxxviii", 120},
        {numbering::kRomanUpper, numbering::kDividerParen, {0}, "VIII)", 45},
        {numbering::kNone, numbering::kDividerDot, {5}, "", 0},
    };
    for (const auto& c : cases) {
        numbering::Numbering n;
        const int level = int(c.widest.size()) - 1;
        for (auto& code : n.levels) code = c.code;
        n.divider = c.divider;
        const QString sample = numbering::ColumnSample(n, level, c.widest.data(), int(c.widest.size()), g);
        EXPECT_EQ(sample, QString::fromUtf8(c.sample)) << c.sample;
        EXPECT_EQ(width(sample), c.pixels) << c.sample;
    }
}

}  // namespace
