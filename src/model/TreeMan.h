#pragma once
// An ordered tree of nodes that each embed one item. The tree owns its attached nodes;
// a detached node belongs to whoever detached it (the undo history, for the outline)
// until it is attached again or deleted. Every linking operation is O(1); nothing here
// walks siblings except the operations whose job it is (sorting, ancestry tests).

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

template <typename Item>
class CTreeMan {
public:
    class CTreeNode {
    public:
        CTreeNode() = default;
        // An item that knows how to start from a template (the outline item copies only
        // its removed flag) does so; a plain value type is copied.
        explicit CTreeNode(const Item& tmpl) {
            if constexpr (requires(Item& i) { i.TakeTemplate(tmpl); }) item.TakeTemplate(tmpl);
            else item = tmpl;
        }
        virtual ~CTreeNode() = default;
        CTreeNode(const CTreeNode&) = delete;
        CTreeNode& operator=(const CTreeNode&) = delete;

        CTreeNode* parent = nullptr;
        CTreeNode* previous = nullptr;
        CTreeNode* next = nullptr;
        CTreeNode* firstChild = nullptr;
        CTreeNode* lastChild = nullptr;
        int32_t childCount = 0;
        Item item;
    };

    // Two pointers to node pointers, as an array sort hands them over.
    using CompareFunc = int (*)(CTreeNode* const* a, CTreeNode* const* b);

    CTreeMan() = default;
    virtual ~CTreeMan() { RemoveAll(); }
    CTreeMan(const CTreeMan&) = delete;
    CTreeMan& operator=(const CTreeMan&) = delete;

    // --- linking -------------------------------------------------------------------------

    void AttachFirst(CTreeNode* node, CTreeNode* parent) {
        CTreeNode* p = Real(parent);
        node->parent = p;
        node->previous = nullptr;
        node->next = p->firstChild;
        if (p->firstChild) p->firstChild->previous = node; else p->lastChild = node;
        p->firstChild = node;
        ++p->childCount;
        ++count_;
    }

    void AttachLast(CTreeNode* node, CTreeNode* parent) {
        CTreeNode* p = Real(parent);
        node->parent = p;
        node->next = nullptr;
        node->previous = p->lastChild;
        if (p->lastChild) p->lastChild->next = node; else p->firstChild = node;
        p->lastChild = node;
        ++p->childCount;
        ++count_;
    }

    // Returns node, or none (and links nothing) when `after` is not a child of parent.
    CTreeNode* AttachAfter(CTreeNode* node, CTreeNode* parent, CTreeNode* after) {
        CTreeNode* p = Real(parent);
        if (after == nullptr || after == p->lastChild) {
            AttachLast(node, parent);
            return node;
        }
        if (after->parent != p) return nullptr;
        node->parent = p;
        node->previous = after;
        node->next = after->next;
        after->next->previous = node;
        after->next = node;
        ++p->childCount;
        ++count_;
        return node;
    }

    CTreeNode* InsertFirst(const Item& tmpl, CTreeNode* parent) {
        CTreeNode* n = Create(tmpl);
        AttachFirst(n, parent);
        return n;
    }
    CTreeNode* InsertLast(const Item& tmpl, CTreeNode* parent) {
        CTreeNode* n = Create(tmpl);
        AttachLast(n, parent);
        return n;
    }
    CTreeNode* InsertAfter(const Item& tmpl, CTreeNode* parent, CTreeNode* after) {
        CTreeNode* n = Create(tmpl);
        if (!AttachAfter(n, parent, after)) {
            delete n;
            return nullptr;
        }
        return n;
    }

    // Unlinks node with its subtree; the caller owns it afterwards. Counts drop by one:
    // the tree counts links, so a detached subtree's inner nodes were detached first by
    // every caller that keeps count equal to the number of reachable nodes.
    void Detach(CTreeNode* node) {
        CTreeNode* p = node->parent;
        if (!p) return;
        if (node->previous) node->previous->next = node->next; else p->firstChild = node->next;
        if (node->next) node->next->previous = node->previous; else p->lastChild = node->previous;
        --p->childCount;
        --count_;
        node->parent = node->previous = node->next = nullptr;
    }

    // Deletes node and its subtree.
    void Remove(CTreeNode* node) {
        while (node->firstChild) Remove(node->firstChild);
        Detach(node);
        delete node;
    }

    void RemoveAll() {
        while (root_.firstChild) Remove(root_.firstChild);
        count_ = 0;
    }

    // --- navigation ----------------------------------------------------------------------

    CTreeNode* GetParent(const CTreeNode* node) const {
        return node->parent == &root_ ? nullptr : node->parent;
    }
    CTreeNode* GetFirstChild(const CTreeNode* node) const { return Real(node)->firstChild; }
    CTreeNode* GetLastChild(const CTreeNode* node) const { return Real(node)->lastChild; }
    CTreeNode* GetNextSibling(const CTreeNode* node) const { return node->next; }
    CTreeNode* GetPrevSibling(const CTreeNode* node) const { return node->previous; }
    int GetChildCount(const CTreeNode* node) const { return Real(node)->childCount; }

    CTreeNode* GetTopAncestor(CTreeNode* node) const {
        while (node && node->parent && node->parent != &root_) node = node->parent;
        return node;
    }

    bool IsAncestorOf(const CTreeNode* a, const CTreeNode* b) const {
        for (const CTreeNode* n = b; n && n != &root_; n = n->parent)
            if (n == a) return true;
        return false;
    }

    CompareFunc SetCompareFunc(CompareFunc f) { return std::exchange(compare_, f); }

    // Relinks parent's children in sorted order; 0 without compare or children, else 1.
    int SortChildren(CTreeNode* parent, bool ascending) {
        CTreeNode* p = Real(parent);
        if (!compare_ || !p->firstChild) return 0;
        std::vector<CTreeNode*> nodes;
        nodes.reserve(static_cast<size_t>(p->childCount));
        for (CTreeNode* c = p->firstChild; c; c = c->next) nodes.push_back(c);
        CompareFunc cmp = compare_;
        std::sort(nodes.begin(), nodes.end(),
                  [cmp](CTreeNode* a, CTreeNode* b) { return cmp(&a, &b) < 0; });
        if (!ascending) std::reverse(nodes.begin(), nodes.end());
        CTreeNode* prev = nullptr;
        for (CTreeNode* c : nodes) {
            c->previous = prev;
            c->next = nullptr;
            if (prev) prev->next = c; else p->firstChild = c;
            prev = c;
        }
        p->lastChild = prev;
        return 1;
    }

    int GetCount() const { return count_; }

    // The sentinel; never handed out as a parent (none stands for it).
    const CTreeNode* Root() const { return &root_; }

protected:
    CTreeNode* Real(const CTreeNode* node) const {
        return const_cast<CTreeNode*>(node ? node : &root_);
    }
    // Builds the node's item from the template the way a fresh item would be; the item
    // type decides what it copies (see its template constructor).
    virtual CTreeNode* Create(const Item& tmpl) { return new CTreeNode(tmpl); }

    CTreeNode root_;
    int32_t count_ = 0;
    CompareFunc compare_ = nullptr;
};
