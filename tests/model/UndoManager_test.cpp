#include <gtest/gtest.h>

#include "OutlineTestSupport.h"

using namespace modeltest;

namespace {

TEST(UndoManager, TypingMergesIntoOneGroup) {
    COutlineMan o;
    Load(o, {""});
    Node* n = o.GetFirstChild(nullptr);
    o.BeginAction(kActionTyping, true);
    o.InsertText(n, {0, 0}, "a", nullptr);
    o.EndAction();
    o.BeginAction(kActionTyping, true);
    o.InsertText(n, {1, 0}, "b", nullptr);
    o.EndAction();
    EXPECT_EQ(o.GetUndo()->GroupCount(), 1);
    QString name;
    o.GetUndo()->GetUndoName(name);
    EXPECT_EQ(name, "Typing");
    EXPECT_EQ(o.GetUndo()->UndoMenuText(), "&Undo Typing\tCtrl+Z");
    EXPECT_EQ(o.GetUndo()->RedoMenuText(), "&Redo\tCtrl+Y");
    UndoOnce(o);
    EXPECT_TRUE(n->item.text.IsEmpty());
    EXPECT_EQ(o.GetUndo()->RedoMenuText(), "&Redo Typing\tCtrl+Y");
}

TEST(UndoManager, ActionNames) {
    CUndoOutlineMan u;
    struct Case { int kind; const char* name; };
    for (const Case& c : {Case{0, "Unknown"}, {7, "Drag And Drop"}, {24, "Drag and Drop"}, {17, "Check/Uncheck node"},
                          {31, "Uncheck all checked items"}, {33, "paste nodes"}}) {
        QString name;
        EXPECT_TRUE(u.GetActionName(c.kind, name));
        EXPECT_EQ(name, c.name);
    }
    for (int kind : {23, 25, 34, -1}) {
        QString name = "x";
        EXPECT_FALSE(u.GetActionName(kind, name)) << kind;
        EXPECT_TRUE(name.isEmpty());
    }
}

TEST(UndoManager, DeleteUndoRedoReusesTheNode) {
    COutlineMan o;
    Load(o, {"a", "b", " c", "d"});
    Node* b = Find(o, "b");
    Act(o, kActionDeleteNode, [&] { o.DeleteItem(b); });
    EXPECT_EQ(ShapeOf(o), "a d");
    const QString afterDelete = Written(o);
    UndoOnce(o);
    EXPECT_EQ(ShapeOf(o), "a b(c) d");
    EXPECT_EQ(Find(o, "b"), b) << "the same node object comes back";
    RedoOnce(o);
    EXPECT_EQ(Written(o), afterDelete);
    EXPECT_EQ(CheckInvariants(o), "");
}

TEST(UndoManager, HistoryIsBoundedBeforeAnActionStarts) {
    COutlineMan o;
    Load(o, {"a"});
    Node* a = o.GetFirstChild(nullptr);
    for (int i = 0; i < 1100; ++i) Act(o, kActionCheckNode, [&] { o.ToggleCheck(a); });
    EXPECT_LT(o.GetUndo()->TotalRecords(), 1025);
    EXPECT_EQ(o.GetUndo()->TotalRecords(), o.GetUndo()->GroupCount());
    // Whole groups go, oldest first: a big group is dropped at once.
    COutlineMan big;
    Load(big, {"a"});
    Act(big, kActionCreateNode, [&] { for (int i = 0; i < 1500; ++i) big.NewItemAfter(big.GetFirstChild(nullptr)); });
    EXPECT_EQ(big.GetUndo()->TotalRecords(), 1500);
    Act(big, kActionCheckNode, [&] { big.ToggleCheck(big.GetFirstChild(nullptr)); });
    EXPECT_EQ(big.GetUndo()->GroupCount(), 1);
    EXPECT_EQ(big.GetUndo()->TotalRecords(), 1);
}

TEST(UndoManager, AutoCheckingFollowsChildren) {
    DefaultOutlinePreferences prefs;
    prefs.autoChecking = true;
    COutlineMan o;
    o.SetPreferences(&prefs);
    Load(o, {"g", " p", "  *a", "  b"});
    Act(o, kActionCheckNode, [&] { o.ToggleCheck(Find(o, "b")); });
    EXPECT_EQ(ShapeOf(o), "g*(p*(a* b*))") << "the parent and, in turn, the grandparent";
    UndoOnce(o);
    EXPECT_EQ(ShapeOf(o), "g(p(a* b))");
    RedoOnce(o);
    EXPECT_EQ(ShapeOf(o), "g*(p*(a* b*))");
}

TEST(UndoManager, FailedUndoKeepsTheOutlineConsistent) {
    class Failing : public COutlineMan {
    public:
        bool fail = false;
    protected:
        COutlineRecord* CreateRecord() override { return fail ? nullptr : COutlineMan::CreateRecord(); }
    };
    Failing o;
    Load(o, {"a", "b", " c", " d", "e"});
    Act(o, kActionDeleteNode, [&] { o.DeleteItem(Find(o, "b")); });
    o.fail = true;
    Node* caret = nullptr;
    TextPos pos;
    EXPECT_FALSE(o.Undo(&caret, &pos));
    EXPECT_EQ(caret, o.GetFirstVisibleItem());
    EXPECT_FALSE(o.GetUndo()->CanUndo());
    EXPECT_FALSE(o.GetUndo()->CanRedo());
    o.AfterChange(true);
    o.GetUndo()->StepBack();
    EXPECT_EQ(CheckInvariants(o), "");
    EXPECT_EQ(ShapeOf(o), "a e");
}

TEST(UndoManager, RecordsOutsideAnActionAreDroppedAtOnce) {
    COutlineMan o;
    Load(o, {"a", "b"});
    o.DeleteItem(Find(o, "b"));  // no group: the node goes for good (the sanitizers watch)
    EXPECT_EQ(o.GetUndo()->GroupCount(), 0);
    EXPECT_EQ(o.GetUndo()->TotalRecords(), 0);
    EXPECT_EQ(CheckInvariants(o), "");
}

}  // namespace
