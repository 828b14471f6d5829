// Long random sequences of user actions, each followed by the invariant check; then
// every action undone and redone, comparing the written document with the one recorded
// before (and after) each action.

#include <gtest/gtest.h>

#include <random>

#include "OutlineTestSupport.h"

using namespace modeltest;

namespace {

std::vector<Node*> AllNodes(const COutlineMan& o) {
    std::vector<Node*> v;
    for (Node* n = o.GetFirstChild(nullptr); n; n = o.GetNextInPreorder(n)) v.push_back(n);
    return v;
}

// Applies one random action; returns false when it chose to do nothing.
int lastOp = -1;

// The items part of a written document, one item a line, for readable failures.
std::string Items(const QString& xml) {
    QString items = xml.mid(xml.indexOf("<OutlineItems>"));
    items.replace("<Item>", "\n<Item>");
    return items.toStdString();
}

bool RandomAction(COutlineMan& o, std::mt19937& rng, int step) {
    std::vector<Node*> nodes = AllNodes(o);
    if (nodes.empty()) return false;
    auto pick = [&]() { return nodes[std::uniform_int_distribution<size_t>(0, nodes.size() - 1)(rng)]; };
    Node* n = pick();
    const int op = std::uniform_int_distribution<int>(0, 15)(rng);
    const QString word = QString("w%1").arg(step);
    bool did = true;
    lastOp = op;
    auto act = [&](int32_t kind, auto&& f) { Act(o, kind, f); };
    switch (op) {
    case 0: act(kActionCreateNode, [&] { if (Node* c = o.NewItemAfter(n)) o.InsertText(c, {0, 0}, word, nullptr); }); break;
    case 1: act(kActionDeleteNode, [&] { o.DeleteItem(n); o.EnsureNextItem(nullptr); }); break;
    case 2: if (o.CanIndent(n, 0)) act(kActionIndentNode, [&] { o.Indent(n); }); else did = false; break;
    case 3: if (o.CanOutdent(n)) act(kActionOutdentNode, [&] { o.Outdent(n); }); else did = false; break;
    case 4: if (o.CanMoveUp(n)) act(kActionMoveUp, [&] { o.MoveUp(n); }); else did = false; break;
    case 5: if (o.CanMoveDown(n)) act(kActionMoveDown, [&] { o.MoveDown(n); }); else did = false; break;
    case 6: act(kActionCheckNode, [&] { o.ToggleCheck(n); }); break;
    case 7: act(kActionTyping, [&] { o.InsertText(n, n->item.text.EndPos(), " " + word + "\r\nx", nullptr); }); break;
    case 8: act(kActionDelete, [&] { o.DeleteText(n, {0, 0}, n->item.text.EndPos()); }); break;
    case 9: act(kActionCreateNode, [&] { o.DuplicateItem(n); }); break;
    case 10: {
        Node* m = pick();
        if (o.IsDisplayedBefore(m, n)) std::swap(m, n);
        act(kActionDeleteSelection, [&] { o.DeleteRange(n, m); o.EnsureNextItem(nullptr); });
        break;
    }
    case 11: {
        const QString frag = o.CopySubtree(n);
        Node* at = pick();
        act(kActionPasteNodes, [&] { o.InsertFragment(frag, o.GetParent(at), at); });
        break;
    }
    case 12: {
        Node* target = pick();
        const int level = std::uniform_int_distribution<int>(0, 9)(rng);
        const bool copy = (rng() & 1) != 0;
        act(copy ? kActionDropCopy : kActionDropMove, [&] { o.MoveSubtreeTo(1 + int(rng() % 2), level, target, n, copy); });
        break;
    }
    case 13: act(kActionPaste, [&] { Node* last; TextPos e; o.PasteText(n, {0, 0}, "p\r\nq" + word, &last, &e); }); break;
    case 14: {
        Node* next = n->next;
        if (next && !next->firstChild) act(kActionDelete, [&] { o.JoinWithNext(n, next); }); else did = false;
        break;
    }
    case 15: act(kActionUncheckAll, [&] { o.UncheckAll(); }); break;
    }
    return did;
}

class UndoRandom : public ::testing::TestWithParam<unsigned> {};

TEST_P(UndoRandom, UndoAllAndRedoAllRestoreTheSameDocuments) {
    std::mt19937 rng(GetParam());
    COutlineMan o;
    o.GetUndo();
    Load(o, {"a", " b", "  c", " d", "e", " f", "  g", "   h", "i"});
    o.GetUndo()->SetLimit(1 << 30);
    if (GetParam() % 2) o.SetShowChecked(false);

    std::vector<QString> docs{Written(o)};
    std::vector<int> ops{-1};
    for (int step = 0; docs.size() < 200 && step < 2000; ++step) {
        const int before = o.GetUndo()->GroupCount();
        if (!RandomAction(o, rng, step)) continue;
        ASSERT_EQ(CheckInvariants(o), "") << "after step " << step;
        if (o.GetUndo()->GroupCount() == before) continue;  // the action changed nothing
        docs.push_back(Written(o));
        ops.push_back(lastOp);
    }
    const int groups = o.GetUndo()->GroupCount();
    ASSERT_EQ(groups + 1, static_cast<int>(docs.size()));

    for (int g = groups; g > 0; --g) {
        ASSERT_TRUE(UndoOnce(o));
        ASSERT_EQ(CheckInvariants(o), "") << "after undoing group " << g;
        ASSERT_EQ(Items(Written(o)), Items(docs[static_cast<size_t>(g - 1)]))
            << "undo of group " << g << " (action " << ops[static_cast<size_t>(g)] << ")\nafter it:\n"
            << Items(docs[static_cast<size_t>(g)]);
        ASSERT_EQ(Written(o), docs[static_cast<size_t>(g - 1)]) << "undo of group " << g;
    }
    EXPECT_FALSE(o.GetUndo()->CanUndo());
    for (int g = 1; g <= groups; ++g) {
        ASSERT_TRUE(RedoOnce(o));
        ASSERT_EQ(CheckInvariants(o), "") << "after redoing group " << g;
        ASSERT_EQ(Items(Written(o)), Items(docs[static_cast<size_t>(g)])) << "redo of group " << g
            << " (action " << ops[static_cast<size_t>(g)] << ")";
        ASSERT_EQ(Written(o), docs[static_cast<size_t>(g)]) << "redo of group " << g;
    }
    // Half way back, then a new action: the redo history (and the nodes it holds) goes.
    for (int g = 0; g < groups / 2; ++g) ASSERT_TRUE(UndoOnce(o));
    Act(o, kActionCreateNode, [&] { o.NewItemAfter(o.GetFirstChild(nullptr)); });
    EXPECT_FALSE(o.GetUndo()->CanRedo());
    EXPECT_EQ(CheckInvariants(o), "");
}

INSTANTIATE_TEST_SUITE_P(Seeds, UndoRandom, ::testing::Values(1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u));

}  // namespace
