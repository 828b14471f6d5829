// The editing operations: each keeps tree, records and numbering consistent and adds
// its undo records to the group the caller opened.

#include "model/OutlineMan.h"

#include <QStringList>

namespace {

// Only A to Z are folded, so the order does not depend on the locale.
int CompareTexts(const QString& a, const QString& b) {
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        char16_t x = a[i].unicode(), y = b[i].unicode();
        if (x >= u'a' && x <= u'z') x = static_cast<char16_t>(x - 32);
        if (y >= u'a' && y <= u'z') y = static_cast<char16_t>(y - 32);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

int CompareItems(COutlineNode* const* a, COutlineNode* const* b) {
    return CompareTexts((*a)->item.GetText(), (*b)->item.GetText());
}

}  // namespace

// Creates a node with a new record copied from source (or the defaults), placed as
// first child of parent (first) or after `after`; loads it. None, with nothing left
// behind, when the record cannot be made.
COutlineNode* COutlineMan::CreateBoundNode(const COutlineRecord* source, Node* parent,
                                           Node* after, bool first) {
    COutlineRecord* record = CreateRecord();
    if (!record) return nullptr;
    if (source) record->CopyFieldsFrom(*source);
    const COutlineItem fresh;
    Node* node = first ? InsertFirst(fresh, parent) : InsertAfter(fresh, parent, after);
    if (!node) {
        db_->Records()->RemoveRecord(record);
        return nullptr;
    }
    node->item.record = record;
    node->item.LoadFromRecord();
    return node;
}

COutlineNode* COutlineMan::NewItemAfter(Node* node) {
    Node* parent = nullptr;
    Node* after = nullptr;
    bool first = false;
    int level = 0;
    if (!node) {
        first = true;
    } else if (IsOpen(node) && node->item.level + 1 <= COutlineItem::kMaxLevel) {
        parent = node;
        first = true;
        level = node->item.level + 1;
    } else {
        parent = GetParent(node);
        after = node;
        level = node->item.level;
    }
    Node* created = CreateBoundNode(nullptr, parent, after, first);
    if (!created) return nullptr;
    created->item.SetLevel(level);
    if (undo_) undo_->AddInserted(created, parent, created->previous);
    ExpandAncestorsRecorded(created);
    return created;
}

// Copies node's subtree (as it is now: the source is listed before anything is made,
// so a target inside the subtree cannot feed the copy) to parent after `after` (first
// child when none). Copies get Id 0 and no drawing; each gets an inserted-node record.
// Descendants keep their depth relative to node, except that none goes below level 9:
// such a copy is placed at level 9 as the last child of the copy at level 8.
// Returns the copy of node, or none when not even that could be made.
COutlineNode* COutlineMan::CopySubtreeTo(Node* node, Node* parent, Node* after) {
    struct Source { Node* node; int depth; };
    std::vector<Source> items;
    const int baseDepth = node->item.level;
    for (Node* n = node; n; n = GetNextInPreorder(n)) {
        if (n != node && !IsAncestorOf(node, n)) break;
        items.push_back({n, n->item.level - baseDepth});
    }
    const int rootLevel = parent ? parent->item.level + 1 : 0;
    std::vector<Node*> stack;  // stack[d]: the latest copy at relative depth d
    Node* result = nullptr;
    Node* lastTop = nullptr;   // the latest copy placed at depth 0
    for (const Source& s : items) {
        int d = std::max(0, std::min(s.depth, COutlineItem::kMaxLevel - rootLevel));
        d = std::min(d, static_cast<int>(stack.size()));
        stack.resize(static_cast<size_t>(d));
        s.node->item.StoreToRecord();
        COutlineRecord copy;
        copy.CopyFieldsFrom(*s.node->item.record);
        s.node->item.ReleaseRecordText();
        copy.id = 0;
        copy.drawing.clear();
        copy.deleted = false;
        Node* created = nullptr;
        if (d == 0) {
            // The root goes after `after`; a descendant that cannot go deeper than the
            // root's level (the root is at level 9) follows the copies before it.
            Node* a = lastTop ? lastTop : after;
            created = CreateBoundNode(&copy, parent, a, a == nullptr);
        } else {
            created = CreateBoundNode(&copy, stack[static_cast<size_t>(d - 1)], nullptr, false);
        }
        if (!created) break;
        created->item.SetLevel(rootLevel + d);
        if (undo_) undo_->AddInserted(created, GetParent(created), created->previous);
        Notify(kNotifyInserted, created);
        if (!result) result = created;
        if (d == 0) lastTop = created;
        stack.push_back(created);
    }
    return result;
}

COutlineNode* COutlineMan::DuplicateItem(Node* node) {
    if (!node || !node->item.record) return nullptr;
    return CopySubtreeTo(node, GetParent(node), node);
}

void COutlineMan::DeleteNode(Node* node) {
    if (!node || node->item.removed) return;
    // Only leaves go into the history: a node's children are deleted (each with its
    // own record) before it, so no detached node keeps records or nodes of its own.
    if (node->firstChild) DeleteSubtree(node);
    Notify(kNotifyDetaching, node);
    node->item.StoreToRecord();
    auto* r = new CUndoDelete(CUndoOutline::kNodeDetached);
    r->node = node;
    r->first = {GetParent(node), node->previous};
    if (node->item.record) r->record.CopyFieldsFrom(*node->item.record);
    RemoveItemRecord(node);
    node->item.removed = true;
    Detach(node);
    // Without an open group the record is discarded at once, and the node with it.
    if (undo_) {
        undo_->AddRecord(r);
    } else {
        DiscardRecord(this, 0, r);
        delete r;
    }
}

void COutlineMan::DeleteSubtree(Node* node) {
    while (Node* c = node->firstChild) {
        DeleteSubtree(c);
        DeleteNode(c);
    }
}

void COutlineMan::DeleteItem(Node* node) {
    if (!node) return;
    Node* parent = GetParent(node);
    DeleteSubtree(node);
    DeleteNode(node);
    if (Node* first = GetFirstVisibleChild(parent)) RenumberFrom(first, 0);
}

void COutlineMan::DeleteCheckedIn(Node* parent) {
    Node* c = GetFirstChild(parent);
    while (c) {
        Node* next = c->next;
        if (c->item.checked) {
            DeleteSubtree(c);
            DeleteNode(c);
        } else {
            DeleteCheckedIn(c);
        }
        c = next;
    }
}

void COutlineMan::DeleteChecked() {
    DeleteCheckedIn(nullptr);
    if (GetFirstVisibleItem()) RenumberAll();
}

void COutlineMan::UncheckAll() {
    for (Node* n = GetFirstChild(nullptr); n; n = GetNextInPreorder(n)) {
        if (!n->item.checked) continue;
        if (undo_) undo_->AddCheck(n, true);
        n->item.checked = false;
    }
    RenumberAll();
}

void COutlineMan::ToggleCheck(Node* node) {
    Notify(kNotifyCheckChanging, node);
    const bool old = node->item.checked;
    node->item.checked = !old;
    if (undo_) undo_->AddCheck(node, old);
}

bool COutlineMan::CanIndent(const Node* node, int extra) const {
    return GetPrevVisibleSibling(node) != nullptr &&
           extra + GetMaxLevelBelow(node) + 1 <= COutlineItem::kMaxLevel;
}

int COutlineMan::GetIndentRoom(const Node* node) const {
    return node->item.level - GetMaxLevelBelow(node) + COutlineItem::kMaxLevel;
}

void COutlineMan::OutdentNoRecord(Node* node) {
    Node* oldParent = GetParent(node);
    if (!oldParent) return;
    Node* newParent = GetParent(oldParent);
    Detach(node);
    AttachAfter(node, newParent, oldParent);
}

// Gives node's children node's level + 1, recursively. A child that would land on
// level 10 moves out beside its parent instead; with `record` each such move gets a
// position record, so that Undo puts it back.
void COutlineMan::Relevel(Node* node, bool record) {
    const int childLevel = node->item.level + 1;
    Node* c = node->firstChild;
    while (c) {
        Node* next = c->next;
        if (childLevel > COutlineItem::kMaxLevel) {
            Node* oldPrev = c->previous;
            OutdentNoRecord(c);
            if (record && undo_) undo_->AddPosition(c, node, oldPrev, GetParent(c), c->previous);
            c->item.SetLevel(node->item.level);
            Relevel(c, record);
        } else {
            c->item.SetLevel(childLevel);
            Relevel(c, record);
        }
        c = next;
    }
}

void COutlineMan::SetLevelAndRelevel(Node* node, int level, bool record) {
    node->item.SetLevel(level);
    Relevel(node, record);
}

void COutlineMan::Indent(Node* node) {
    Node* target = GetPrevVisibleSibling(node);
    if (!target) return;
    Node* oldParent = GetParent(node);
    Node* oldPrev = node->previous;
    Detach(node);
    AttachLast(node, target);
    if (undo_) undo_->AddPosition(node, oldParent, oldPrev, target, node->previous);
    ExpandAncestorsRecorded(node);
    SetLevelAndRelevel(node, target->item.level + 1, false);
    OnModified(true);
}

void COutlineMan::Outdent(Node* node) {
    Node* oldParent = GetParent(node);
    if (!oldParent) return;
    Node* oldPrev = node->previous;
    Node* newParent = GetParent(oldParent);
    Detach(node);
    AttachAfter(node, newParent, oldParent);
    if (undo_) undo_->AddPosition(node, oldParent, oldPrev, newParent, node->previous);
    SetLevelAndRelevel(node, newParent ? newParent->item.level + 1 : 0, false);
    ExpandAncestorsRecorded(node);
    OnModified(true);
}

void COutlineMan::MoveUp(Node* node) {
    Node* p = GetPrevVisibleSibling(node);
    if (!p) return;
    Node* q = GetPrevVisibleSibling(p);
    Node* parent = GetParent(node);
    Node* oldPrev = node->previous;
    Detach(node);
    if (q) AttachAfter(node, parent, q);
    else AttachFirst(node, parent);
    if (undo_) undo_->AddPosition(node, parent, oldPrev, parent, node->previous);
}

void COutlineMan::MoveDown(Node* node) {
    Node* n = GetNextVisibleSibling(node);
    if (!n) return;
    Node* parent = GetParent(node);
    Node* oldPrev = node->previous;
    Detach(node);
    AttachAfter(node, parent, n);
    if (undo_) undo_->AddPosition(node, parent, oldPrev, parent, node->previous);
}

void COutlineMan::SortRecursive(Node* parent, bool ascending) {
    SortChildren(parent, ascending);
    for (Node* c = GetFirstChild(parent); c; c = c->next)
        if (c->firstChild) SortRecursive(c, ascending);
}

void COutlineMan::SortOutline(bool ascending) {
    CompareFunc old = SetCompareFunc(&CompareItems);
    SortRecursive(nullptr, ascending);
    SetCompareFunc(old);
    RenumberAll();
}

void COutlineMan::ExpandToLevelIn(Node* parent, int level) {
    for (Node* c = GetFirstChild(parent); c; c = c->next) {
        if (c->item.level == level) {
            c->item.expanded = false;
        } else {
            c->item.expanded = true;
            ExpandToLevelIn(c, level);
        }
    }
}

void COutlineMan::ExpandToLevel(int level) { ExpandToLevelIn(nullptr, level); }

void COutlineMan::SetNote(Node* node, const QString* text) {
    const qsizetype before = node->item.note.size();
    node->item.note = text ? *text : QString();
    if (node->item.note.size() != before) Notify(kNotifyNoteChanged, node);
}

void COutlineMan::SetItemDrawing(Node* node, const QString& name) {
    const bool had = node->item.HasDrawing();
    if (name.isEmpty()) node->item.ClearDrawing();
    else node->item.SetDrawing(name);
    if (node->item.HasDrawing() != had) Notify(kNotifyDrawingChanged, node);
}

bool COutlineMan::RawInsertText(Node* node, TextPos pos, const QString& text, TextPos* end) {
    const bool ok = node->item.text.InsertText(pos, text, end);
    Notify(kNotifyTextInserted, node);
    return ok;
}

bool COutlineMan::RawDeleteText(Node* node, TextPos from, TextPos to) {
    const bool ok = node->item.text.DeleteRange(from, to);
    Notify(kNotifyTextReplaced, node);
    return ok;
}

bool COutlineMan::InsertText(Node* node, TextPos pos, const QString& text, TextPos* end) {
    if (text.isEmpty()) {
        if (end) *end = pos;
        Notify(kNotifyTextInserted, node);
        return false;
    }
    TextPos after = pos;
    if (!node->item.text.InsertText(pos, text, &after)) {
        if (end) *end = pos;
        return false;
    }
    if (end) *end = after;
    Notify(kNotifyTextInserted, node);
    if (undo_) undo_->AddText(node, true, pos, after, text);
    return true;
}

bool COutlineMan::DeleteText(Node* node, TextPos from, TextPos to) {
    if (from == to) return false;
    if (to < from) std::swap(from, to);
    const QString removed = node->item.text.GetRangeText(from, to);
    if (!node->item.text.DeleteRange(from, to)) return false;
    Notify(kNotifyTextReplaced, node);
    if (undo_) undo_->AddText(node, false, from, to, removed);
    return true;
}

QString COutlineMan::GetRangeText(Node* node, TextPos from, TextPos to) const {
    if (from == to) return QString();
    if (to < from) std::swap(from, to);
    return node->item.text.GetRangeText(from, to);
}

void COutlineMan::JoinWithNext(Node* node, Node* next) {
    if (!node || !next || node == next) return;
    const QString text = next->item.GetText();
    DeleteNode(next);
    const int32_t lastLine = node->item.text.LineCount() - 1;
    const TextPos end{node->item.text.LineLength(lastLine), lastLine};
    InsertText(node, end, text, nullptr);
}

void COutlineMan::PasteText(Node* node, TextPos pos, const QString& text, Node** last,
                            TextPos* end) {
    // 1. Cut the tail off.
    const TextPos textEnd = node->item.text.EndPos();
    QString tail;
    if (pos < textEnd) {
        tail = node->item.text.GetRangeText(pos, textEnd);
        if (!tail.isEmpty()) DeleteText(node, pos, textEnd);
    }
    // 2. Lines as the item text splits them: CR LF or a lone CR.
    QStringList lines;
    {
        qsizetype start = 0;
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text[i] == u'\r') {
                lines.append(text.mid(start, i - start));
                if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
                start = i + 1;
            }
        }
        lines.append(text.mid(start));
    }
    TextPos at = pos;
    if (lines.size() <= 1 || prefs_->PasteInSingleNode()) {
        InsertText(node, pos, text, &at);
        TextPos ignored;
        InsertText(node, at, tail, &ignored);
        if (last) *last = node;
        if (end) *end = at;
        return;
    }
    InsertText(node, pos, lines.front(), &at);
    Node* previous = node;
    Node* parent = GetParent(node);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        Node* created = CreateBoundNode(nullptr, parent, previous, false);
        if (!created) break;
        created->item.SetLevel(node->item.level);
        created->item.text.SetText(lines[i]);
        if (undo_) undo_->AddInserted(created, parent, created->previous);
        Notify(kNotifyInserted, created);
        previous = created;
    }
    at = previous->item.text.EndPos();
    TextPos ignored;
    InsertText(previous, at, tail, &ignored);
    if (last) *last = previous;
    if (end) *end = at;
}
