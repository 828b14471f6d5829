#include <gtest/gtest.h>

#include "OutlineTestSupport.h"

using namespace modeltest;

namespace {

TEST(OutlineOperations, NewItemPlacement) {
    struct Case { const char* name; std::vector<std::string> lines; const char* after; const char* shape; };
    const Case cases[] = {
        {"expanded parent: first child", {"a", " b"}, "a", "a(new b)"},
        {"collapsed parent: next sibling", {"-a", " b"}, "a", "a(b) new"},
        {"expanded level 8: child on level 9",
         {"0", " 1", "  2", "   3", "    4", "     5", "      6", "       7", "        8", "         9"}, "8",
         "0(1(2(3(4(5(6(7(8(new 9)))))))))"},
    };
    for (const Case& c : cases) {
        COutlineMan o;
        Load(o, c.lines);
        Node* n = nullptr;
        Act(o, kActionCreateNode, [&] { n = o.NewItemAfter(Find(o, c.after)); });
        ASSERT_NE(n, nullptr) << c.name;
        n->item.text.SetText(u"new");
        EXPECT_EQ(ShapeOf(o), c.shape) << c.name;
        EXPECT_EQ(CheckInvariants(o), "") << c.name;
        EXPECT_TRUE(UndoOnce(o)) << c.name;
        EXPECT_EQ(o.GetCount(), static_cast<int>(c.lines.size())) << c.name;
    }
}

TEST(OutlineOperations, FailedCreationLeavesNothingBehind) {
    FailingOutline o;
    Load(o, {"a", " b"});
    o.recordsLeft = 0;
    Act(o, kActionCreateNode, [&] { EXPECT_EQ(o.NewItemAfter(Find(o, "a")), nullptr); });
    EXPECT_EQ(o.GetCount(), 2);
    EXPECT_FALSE(o.GetUndo()->CanUndo()) << "an action that recorded nothing leaves no group";
    EXPECT_EQ(CheckInvariants(o), "");
}

TEST(OutlineOperations, DuplicateDropsDrawingAndId) {
    COutlineMan o;
    Load(o, {"a", " b", "c"});
    Find(o, "a")->item.id = 42;
    o.SetItemDrawing(Find(o, "a"), "pic.png");
    Node* copy = nullptr;
    Act(o, kActionCreateNode, [&] { copy = o.DuplicateItem(Find(o, "a")); });
    EXPECT_EQ(ShapeOf(o), "a(b) a(b) c");
    EXPECT_EQ(copy->item.id, 0);
    EXPECT_FALSE(copy->item.HasDrawing());
    EXPECT_EQ(o.GetUndo()->GetGroup(0)->size(), 2u) << "one record per copied node";
    EXPECT_EQ(CheckInvariants(o), "");
}

TEST(OutlineOperations, DeleteCheckedTakesDescendantsAlong) {
    COutlineMan o;
    Load(o, {"*p", " a", " b", "q", " *c", "  d"});
    Act(o, kActionDeleteChecked, [&] { o.DeleteChecked(); });
    EXPECT_EQ(ShapeOf(o), "q");
    EXPECT_EQ(CheckInvariants(o), "");
    UndoOnce(o);
    EXPECT_EQ(ShapeOf(o), "p*(a b) q(c*(d))");
}

TEST(OutlineOperations, IndentAndOutdentRules) {
    COutlineMan o;
    Load(o, {"p", " a", " b", " c", "q"});
    EXPECT_FALSE(o.CanIndent(Find(o, "a"), 0)) << "first child";
    EXPECT_TRUE(o.CanIndent(Find(o, "b"), 0));
    Act(o, kActionOutdentNode, [&] { o.Outdent(Find(o, "b")); });
    EXPECT_EQ(ShapeOf(o), "p(a c) b q");
    EXPECT_EQ(CheckInvariants(o), "");
}

TEST(OutlineOperations, OutdentOfTheMiddleChildKeepsTheThirdUnderTheOldParent) {
    COutlineMan o;
    Load(o, {"p", " a", " b", " c"});
    Act(o, kActionOutdentNode, [&] { o.Outdent(Find(o, "b")); });
    EXPECT_EQ(ShapeOf(o), "p(a c) b");
    UndoOnce(o);
    EXPECT_EQ(ShapeOf(o), "p(a b c)");
    COutlineMan deep;
    Load(deep, {"0", " 1", "  2", "   3", "    4", "     5", "      6", "       7", "        8", "x", " y"});
    EXPECT_FALSE(deep.CanIndent(Find(deep, "x"), 0) && deep.GetMaxLevelBelow(Find(deep, "x")) + 1 > 9);
    EXPECT_EQ(deep.GetIndentRoom(Find(deep, "1")), 1 - 8 + 9);
    EXPECT_FALSE(deep.CanIndent(Find(deep, "1"), 1)) << "the subtree would pass level 9";
}

TEST(OutlineOperations, MoveUpPassesHiddenSiblings) {
    COutlineMan o;
    Load(o, {"a", "b", "*h1", "*h2", "c"});
    o.SetShowChecked(false);
    Act(o, kActionMoveUp, [&] { o.MoveUp(Find(o, "c")); });
    EXPECT_EQ(ShapeOf(o), "a c b h1* h2*");
    Act(o, kActionMoveDown, [&] { o.MoveDown(Find(o, "a")); });
    EXPECT_EQ(ShapeOf(o), "c a b h1* h2*");
    UndoOnce(o);
    UndoOnce(o);
    EXPECT_EQ(ShapeOf(o), "a b h1* h2* c");
}

TEST(OutlineOperations, PasteOfThreeLines) {
    for (bool single : {false, true}) {
        DefaultOutlinePreferences prefs;
        prefs.pasteInSingleNode = single;
        COutlineMan o;
        o.SetPreferences(&prefs);
        Load(o, {"xy"});
        Node* last = nullptr;
        TextPos end;
        Act(o, kActionPaste, [&] { o.PasteText(Find(o, "xy"), {1, 0}, "a\r\nb\r\nc", &last, &end); });
        if (single) {
            EXPECT_EQ(o.GetFirstChild(nullptr)->item.GetText(), "xa\r\nb\r\ncy");
            EXPECT_EQ(last, o.GetFirstChild(nullptr));
            EXPECT_EQ(end, (TextPos{1, 2}));
        } else {
            EXPECT_EQ(ShapeOf(o), "xa b cy");
            EXPECT_EQ(last->item.GetText(), "cy");
            EXPECT_EQ(end, (TextPos{1, 0})) << "before the tail";
        }
        EXPECT_EQ(CheckInvariants(o), "");
        UndoOnce(o);
        EXPECT_EQ(ShapeOf(o), "xy");
    }
}

TEST(OutlineOperations, SortIgnoresCaseOfLatinLetters) {
    COutlineMan o;
    Load(o, {"b", " z", " Y", "A", "c"});
    o.SortOutline(true);
    EXPECT_EQ(ShapeOf(o), "A b(Y z) c");
    o.SortOutline(false);
    EXPECT_EQ(ShapeOf(o), "c b(z Y) A");
}

TEST(OutlineOperations, TextEditsAndJoin) {
    COutlineMan o;
    Load(o, {"abc", "def"});
    TextPos end;
    Act(o, kActionTyping, [&] { EXPECT_TRUE(o.InsertText(Find(o, "abc"), {1, 0}, "x\r\ny", &end)); });
    EXPECT_EQ(end, (TextPos{1, 1}));
    EXPECT_EQ(o.GetRangeText(o.GetFirstChild(nullptr), {0, 0}, {1, 1}), "ax\r\ny");
    Act(o, kActionDelete, [&] { EXPECT_FALSE(o.DeleteText(o.GetFirstChild(nullptr), {1, 0}, {1, 0})); });
    EXPECT_FALSE(o.GetUndo()->GetGroup(1)) << "an empty range records nothing";
    Act(o, kActionDelete, [&] { o.JoinWithNext(o.GetFirstChild(nullptr), Find(o, "def")); });
    EXPECT_EQ(ShapeOf(o), "ax\r\nybcdef");
    EXPECT_EQ(CheckInvariants(o), "");
    UndoOnce(o);
    EXPECT_EQ(ShapeOf(o), "ax\r\nybc def");
    UndoOnce(o);
    EXPECT_EQ(ShapeOf(o), "abc def");
}

TEST(OutlineOperations, NotesDrawingsAndHeadingLevels) {
    COutlineMan o;
    Load(o, {"a", " b", "  c"});
    std::vector<int> codes;
    o.SetNotify([](void* ctx, int code, Node*) { static_cast<std::vector<int>*>(ctx)->push_back(code); }, &codes);
    o.EnableNotify(true);
    Node* a = Find(o, "a");
    o.SetNote(a, "n");
    o.SetNote(a, "m");  // same length: no notice
    o.SetNote(a, nullptr);
    o.SetItemDrawing(a, "p.png");
    o.SetItemDrawing(a, "q.png");
    o.SetItemDrawing(a, "");
    EXPECT_EQ(codes, (std::vector<int>{4, 4, 5, 5}));
    o.ExpandToLevel(1);
    EXPECT_TRUE(a->item.expanded);
    EXPECT_FALSE(Find(o, "b")->item.expanded);
}

}  // namespace
