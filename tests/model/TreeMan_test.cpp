#include <gtest/gtest.h>

#include <string>

#include "model/TreeMan.h"

namespace {

using Tree = CTreeMan<std::string>;
using Node = Tree::CTreeNode;

std::string Children(const Tree& t, const Node* parent) {
    std::string s;
    for (const Node* n = t.GetFirstChild(parent); n; n = n->next) s += n->item;
    return s;
}

int ByText(Node* const* a, Node* const* b) { return (*a)->item.compare((*b)->item); }

TEST(TreeMan, LinkingKeepsCountsAndOrder) {
    Tree t;
    Node* b = t.InsertLast("b", nullptr);
    Node* a = t.InsertFirst("a", nullptr);
    Node* d = t.InsertAfter("d", nullptr, b);
    Node* c = t.InsertAfter("c", nullptr, b);
    t.InsertLast("x", c);
    EXPECT_EQ(Children(t, nullptr), "abcd");
    EXPECT_EQ(t.GetCount(), 5);
    EXPECT_EQ(t.GetChildCount(nullptr), 4);
    EXPECT_EQ(t.GetParent(a), nullptr);
    EXPECT_EQ(t.GetTopAncestor(c->firstChild), c);
    EXPECT_TRUE(t.IsAncestorOf(c, c->firstChild));
    EXPECT_FALSE(t.IsAncestorOf(d, c->firstChild));

    t.Detach(c);  // moves with its child
    t.AttachLast(c, a);
    EXPECT_EQ(Children(t, nullptr), "abd");
    EXPECT_EQ(Children(t, a), "c");
    EXPECT_EQ(t.GetCount(), 5);

    t.Remove(a);  // a with c and x
    EXPECT_EQ(t.GetCount(), 2);
    EXPECT_EQ(t.GetLastChild(nullptr), d);
}

TEST(TreeMan, AttachAfterANodeOfAnotherParentLinksNothing) {
    Tree t;
    Node* p = t.InsertLast("p", nullptr);
    Node* q = t.InsertLast("q", nullptr);
    Node* child = t.InsertLast("c", p);
    EXPECT_EQ(t.InsertAfter("n", q, child), nullptr);
    EXPECT_EQ(t.GetChildCount(q), 0);
    EXPECT_EQ(t.GetCount(), 3);
}

TEST(TreeMan, SortDescendingIsTheReverseOfAscending) {
    Tree t;
    for (const char* s : {"m", "c", "x", "a", "q"}) t.InsertLast(s, nullptr);
    EXPECT_EQ(t.SortChildren(nullptr, true), 0) << "no compare installed";
    t.SetCompareFunc(&ByText);
    EXPECT_EQ(t.SortChildren(nullptr, true), 1);
    const std::string up = Children(t, nullptr);
    EXPECT_EQ(up, "acmqx");
    t.SortChildren(nullptr, false);
    EXPECT_EQ(Children(t, nullptr), std::string(up.rbegin(), up.rend()));
    EXPECT_EQ(t.GetFirstChild(nullptr)->previous, nullptr);
    EXPECT_EQ(t.GetLastChild(nullptr)->next, nullptr);
    EXPECT_EQ(t.SortChildren(t.GetFirstChild(nullptr), true), 0) << "no children";
}

}  // namespace
