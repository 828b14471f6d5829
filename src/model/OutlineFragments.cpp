// Fragments: parts of an outline as complete documents of their own (copy, cut, paste,
// drag and drop, the filing cabinet), deleting a range of items, moving a subtree to a
// drop place, and searching the outline.

#include <unordered_set>

#include "model/OutlineMan.h"

std::vector<COutlineNode*> COutlineMan::SubtreeItems(Node* node) const {
    std::vector<Node*> items;
    if (!node) return items;
    for (Node* n = node; n; n = GetNextInPreorder(n)) {
        if (n != node && !IsAncestorOf(node, n)) break;
        items.push_back(n);
    }
    return items;
}

std::vector<COutlineNode*> COutlineMan::RangeItems(Node* first, Node* last) const {
    std::vector<Node*> items;
    if (!first || !last) return items;
    Node* n = first;
    for (; n && n != last; n = GetNextInPreorder(n)) items.push_back(n);
    if (!n) return items;  // last does not follow first: everything after first
    if (last->item.expanded) items.push_back(last);
    else for (Node* d : SubtreeItems(last)) items.push_back(d);
    return items;
}

static QString BuildFragment(const std::vector<COutlineNode*>& items) {
    COutlineDatabase store;
    auto* records = store.GetRecords();
    for (COutlineNode* n : items) {
        COutlineItem& it = n->item;
        if (!it.record) return QString();
        it.StoreToRecord();
        COutlineRecord* copy = records->AddNew();
        if (!copy) {
            it.ReleaseRecordText();
            return QString();
        }
        copy->CopyFieldsFrom(*it.record);
        it.ReleaseRecordText();
    }
    if (!store.WriteRecords()) return QString();
    return store.GetXml();
}

QString COutlineMan::CopySubtree(Node* node) { return BuildFragment(SubtreeItems(node)); }

QString COutlineMan::CopyRange(Node* first, Node* last) { return BuildFragment(RangeItems(first, last)); }

void COutlineMan::GetSubtreeText(Node* node, QString& text) const {
    text.clear();
    for (Node* n : SubtreeItems(node)) text += n->item.GetText() + QStringLiteral("\r\n");
}

void COutlineMan::GetRangeText(Node* first, Node* last, QString& text) const {
    text.clear();
    for (Node* n : RangeItems(first, last)) text += n->item.GetText() + QStringLiteral("\r\n");
}

bool COutlineMan::ParseFragment(const QString& text, COutlineMan& outline, bool resetIds) {
    if (!outline.db_) return false;
    COutlineDatabase store;
    if (!store.LoadXml(text) || !store.ReadRecords()) return false;
    auto* records = store.GetRecords();
    if (records->GetCount() == 0) return false;
    const COutlineItem fresh;
    Node* previous = nullptr;
    int base = 0;
    for (int i = 0; i < records->GetCount(); ++i) {
        const COutlineRecord* src = records->GetAt(i);
        const int d = src->indent;
        Node* parent = nullptr;
        if (i == 0) {
            base = d;
        } else if (base > 0 && d <= base) {
            base = d;
        } else {
            // Relative to the first item; never deeper than the deepest level.
            parent = outline.FindParentForLevel(std::min(d - base, COutlineItem::kMaxLevel), previous);
        }
        COutlineRecord* record = outline.CreateRecord();
        if (!record) return false;
        record->CopyFieldsFrom(*src);
        if (resetIds) record->id = 0;
        record->indent = static_cast<uint8_t>(parent ? parent->item.level + 1 : 0);
        Node* node = outline.InsertLast(fresh, parent);
        node->item.record = record;
        node->item.LoadFromRecord();
        previous = node;
    }
    return true;
}

// Places a copy of source (and, recursively, of its children) after `after` under
// parent (first child when after is none). Children that cannot go below level 9 follow
// the copy as its siblings, in fragment order. Returns the last node placed at the
// copy's own level (the copy or such a sibling), or none on failure; *first receives
// the first node created.
COutlineNode* COutlineMan::InsertSourceItem(const Node* source, Node* parent, Node* after, Node** first) {
    const int level = parent ? parent->item.level + 1 : 0;
    COutlineRecord* record = CreateRecord();
    if (!record) return nullptr;
    if (source->item.record) {
        const_cast<Node*>(source)->item.StoreToRecord();
        record->CopyFieldsFrom(*source->item.record);
        const_cast<Node*>(source)->item.ReleaseRecordText();
    }
    record->indent = static_cast<uint8_t>(level);
    const COutlineItem fresh;
    Node* node = after ? InsertAfter(fresh, parent, after) : InsertFirst(fresh, parent);
    if (!node) {
        db_->Records()->RemoveRecord(record);
        return nullptr;
    }
    node->item.record = record;
    node->item.LoadFromRecord();
    Notify(kNotifyInserted, node);
    if (undo_) undo_->AddInserted(node, parent, node->previous);
    if (first && !*first) *first = node;

    Node* tail = node;        // last node placed at this level
    Node* childAfter = nullptr;
    for (const Node* c = source->firstChild; c; c = c->next) {
        if (level >= COutlineItem::kMaxLevel) {
            Node* placed = InsertSourceItem(c, parent, tail, first);
            if (!placed) return nullptr;
            tail = placed;
        } else {
            Node* placed = InsertSourceItem(c, node, childAfter, first);
            if (!placed) return nullptr;
            childAfter = placed;
        }
    }
    return tail;
}

COutlineNode* COutlineMan::InsertTree(COutlineMan& source, Node* parent, Node* after) {
    if (parent && parent->item.level >= COutlineItem::kMaxLevel) {
        // Nothing goes below level 9: the items land right after the level-9 item,
        // beside it, in fragment order.
        after = parent;
        parent = GetParent(parent);
    }
    Node* first = nullptr;
    for (const Node* s = source.GetFirstChild(nullptr); s; s = s->next) {
        Node* placed = InsertSourceItem(s, parent, after, &first);
        // A paste that stopped part way is a failed paste: the items placed so far stay,
        // each with its undo record, so Undo takes them away again.
        if (!placed) return nullptr;
        after = placed;
    }
    return first;
}

COutlineNode* COutlineMan::InsertFragment(const QString& text, Node* parent, Node* after) {
    COutlineMan temp;
    temp.InitNew(false);
    if (!ParseFragment(text, temp, true)) return nullptr;
    return InsertTree(temp, parent, after);
}

COutlineNode* COutlineMan::InsertFragmentAt(int where, int level, Node* target, const QString& text,
                                            bool resetIds) {
    COutlineMan temp;
    temp.InitNew(false);
    if (!ParseFragment(text, temp, resetIds)) return nullptr;
    if (where == 0) return InsertTree(temp, nullptr, nullptr);
    Node* q = where == 1 ? (target ? GetPrevDisplayed(target) : nullptr) : GetLastDisplayed();
    if (!q) return nullptr;
    Node* s = FindAncestorAtLevel(level, q);
    Node* parent = s ? GetParent(s) : FindParentForLevel(level, q);
    return InsertTree(temp, parent, s);
}

void COutlineMan::SetExpandedRecorded(Node* node, bool expanded) {
    if (!node || node->item.expanded == expanded) return;
    if (undo_) undo_->AddExpand(node, node->item.expanded);
    node->item.expanded = expanded;
}

void COutlineMan::DeleteRange(Node* first, Node* last) {
    const std::vector<Node*> items = RangeItems(first, last);
    if (items.empty()) return;
    const std::unordered_set<const Node*> inRange(items.begin(), items.end());

    // Items after the range whose ancestor goes with it survive; they are listed before
    // anything changes.
    struct Orphan { Node* node; int level; bool displayed; };
    std::vector<Orphan> orphans;
    for (Node* n = GetNextInPreorder(items.back()); n; n = GetNextInPreorder(n)) {
        bool orphan = false;
        for (const Node* p = GetParent(n); p; p = GetParent(p))
            if (inRange.count(p)) { orphan = true; break; }
        if (!orphan) break;
        orphans.push_back({n, n->item.level, IsDisplayed(n)});
    }
    Node* r = GetPrevDisplayed(first);

    // Each orphan moves straight to its new place, first orphan first, with one position
    // record per move: replayed in this order (or backwards, for Undo) every record finds
    // the places it names.
    Node* reference = r;
    for (const Orphan& o : orphans) {
        Node* node = o.node;
        const int level = o.level;  // as it was in the tree, before any orphan moved
        Node* oldParent = GetParent(node);
        Node* oldPrev = node->previous;
        Node* parent = nullptr;
        Node* after = nullptr;
        int newLevel = 0;
        bool asFirstChild = true;
        if (reference) {
            if (Node* s = FindAncestorAtLevel(level, reference)) {
                parent = GetParent(s);
                after = s;
                newLevel = s->item.level;
                asFirstChild = false;
            } else {
                parent = FindParentForLevel(level, reference);
                newLevel = parent ? parent->item.level + 1 : 0;
            }
        }
        Detach(node);
        if (asFirstChild) AttachFirst(node, parent);
        else AttachAfter(node, parent, after);
        if (undo_) undo_->AddPosition(node, oldParent, oldPrev, GetParent(node), node->previous);
        SetLevelAndRelevel(node, newLevel, true);
        if (o.displayed) ExpandAncestorsRecorded(node);
        else SetExpandedRecorded(GetParent(node), false);
        Notify(kNotifyInserted, node);
        reference = node;
    }

    for (auto it = items.rbegin(); it != items.rend(); ++it) DeleteNode(*it);
    RenumberAll();
}

COutlineNode* COutlineMan::MoveSubtreeTo(int where, int level, Node* target, Node* node, bool copy) {
    if (!node || node->item.removed) return nullptr;
    Node* q = nullptr;
    if (where == 1) {
        if (target == node) {
            if (level > node->item.level) {
                for (int i = node->item.level; i < level && CanIndent(node, 0); ++i) Indent(node);
            } else if (level < node->item.level && GetParent(node)) {
                Outdent(node);
            }
            RenumberAll();
            return node;
        }
        q = target ? GetPrevDisplayed(target) : nullptr;
        if (!q) where = 0;
    } else if (where == 2) {
        q = GetLastDisplayed();
    }

    Node* result = nullptr;
    if (where == 0) {
        if (copy) {
            result = CopySubtreeTo(node, nullptr, nullptr);
        } else {
            Node* oldParent = GetParent(node);
            Node* oldPrev = node->previous;
            Detach(node);
            AttachFirst(node, nullptr);
            SetLevelAndRelevel(node, 0, true);
            if (undo_) undo_->AddPosition(node, oldParent, oldPrev, nullptr, nullptr);
            result = node;
        }
        if (result) ExpandAncestorsRecorded(result);
        return result;
    }

    if (!q) return nullptr;
    Node* s = FindAncestorAtLevel(level, q);
    Node* parent = s ? GetParent(s) : FindParentForLevel(level, q);
    Node* after = s;
    if (parent == node || after == node) return nullptr;
    if (copy) {
        result = CopySubtreeTo(node, parent, after);
    } else {
        // A subtree cannot go inside itself.
        if (parent && IsAncestorOf(node, parent)) return nullptr;
        Node* oldParent = GetParent(node);
        Node* oldPrev = node->previous;
        Detach(node);
        if (after) AttachAfter(node, parent, after);
        else AttachFirst(node, parent);
        // Descendants that would fall below level 9 move out first (each with its own
        // record), so the move's record goes last: undone first, it finds them outside.
        SetLevelAndRelevel(node, parent ? parent->item.level + 1 : 0, true);
        if (undo_) undo_->AddPosition(node, oldParent, oldPrev, GetParent(node), node->previous);
        result = node;
    }
    if (result) ExpandAncestorsRecorded(result);
    RenumberAll();
    return result;
}

bool COutlineMan::FindText(const QString& text, Node* node, TextPos pos, uint32_t flags, bool option,
                           Node** found, TextPos* at) {
    if (!node || text.isEmpty()) return false;
    const QString what = (flags & kFindMatchCase) ? text : CTextCtrl::SearchUpper(text);
    TextPos hit;
    if (!(flags & kFindUp)) {
        TextPos start = pos;
        for (Node* n = node; n; n = GetNextInPreorder(n)) {
            if (IsVisible(n) && n->item.text.Find(what, start, flags, option, &hit)) {
                if (found) *found = n;
                if (at) *at = hit;
                ExpandAncestors(n);
                return true;
            }
            start = TextPos{0, 0};
        }
        return false;
    }
    Node* n = node;
    TextPos start = pos;
    if (pos.ch == 0) {
        if (pos.line > 0) {
            start = TextPos{n->item.text.LineLength(pos.line - 1), pos.line - 1};
        } else {
            n = GetPrevInPreorder(n);
            if (!n) return false;
            start = n->item.text.EndPos();
        }
    }
    while (n) {
        if (IsVisible(n) && n->item.text.Find(what, start, flags, option, &hit)) {
            if (found) *found = n;
            if (at) *at = hit;
            ExpandAncestors(n);
            return true;
        }
        n = GetPrevInPreorder(n);
        if (n) start = n->item.text.EndPos();
    }
    return false;
}
