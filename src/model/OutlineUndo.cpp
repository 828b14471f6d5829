// Applying undo records, and the pass that follows every change group.
//
// Every record is applied atomically: either it is checked to fit the tree and applied
// whole, or nothing changes and the apply fails. A record's kind always says where its
// node is (5: in the tree, 6: held by the record), so after a failure part way through
// a group the outline is consistent; the history is then discarded, because the rest of
// it no longer describes the outline.

#include <algorithm>

#include "model/OutlineMan.h"

bool COutlineMan::ApplyPosition(CUndoOutlPos* r) {
    Node* node = r->node;
    if (!node || node->item.removed || !node->parent) return false;
    Node* parent = r->first.parent;
    Node* previous = r->first.previous;
    if (parent && (parent->item.removed || !parent->parent || IsAncestorOf(node, parent))) return false;
    if (previous && (previous == node || previous->parent != Real(parent))) return false;
    const UndoPlacement now{GetParent(node), node->previous};
    Detach(node);
    if (previous) AttachAfter(node, parent, previous);
    else AttachFirst(node, parent);
    r->first = now;
    r->second = {parent, previous};
    SetLevelAndRelevel(node, parent ? parent->item.level + 1 : 0, false);
    return true;
}

bool COutlineMan::ApplyDetach(CUndoDelete* r) {
    Node* node = r->node;
    if (!node || node->item.removed || !node->parent || node->firstChild) return false;
    node->item.StoreToRecord();
    if (node->item.record) r->record.CopyFieldsFrom(*node->item.record);
    Notify(kNotifyDetaching, node);
    r->first = {GetParent(node), node->previous};
    RemoveItemRecord(node);
    node->item.removed = true;
    Detach(node);
    r->kind = CUndoOutline::kNodeDetached;
    return true;
}

bool COutlineMan::ApplyAttach(CUndoDelete* r) {
    Node* node = r->node;
    if (!node || !node->item.removed) return false;
    Node* parent = r->first.parent;
    Node* previous = r->first.previous;
    if (parent && (parent->item.removed || !parent->parent)) return false;
    if (previous && previous->parent != Real(parent)) return false;
    COutlineRecord* record = CreateRecord();
    if (!record) return false;
    record->CopyFieldsFrom(r->record);
    node->item.record = record;
    node->item.LoadFromRecord();
    node->item.SetLevel(parent ? parent->item.level + 1 : 0);
    // The item holds text and note again; the copy would only double them.
    r->record.text = QString();
    r->record.note = QString();
    if (previous) AttachAfter(node, parent, previous);
    else AttachFirst(node, parent);
    node->item.removed = false;
    r->kind = CUndoOutline::kNodeAttached;
    Notify(kNotifyInserted, node);
    return true;
}

bool COutlineMan::ApplyRecord(CUndoRecord* record, bool undo, Node** caret, TextPos* pos) {
    auto* r = dynamic_cast<CUndoOutline*>(record);
    if (!r) return true;
    switch (r->kind) {
    case CUndoOutline::kText: {
        auto* t = static_cast<CUndoOutlText*>(r);
        Node* node = t->node;
        if (!node || node->item.removed) return false;
        const bool remove = t->inserted == undo;
        if (remove) {
            if (!node->item.text.IsValidTextPos(t->start) || !node->item.text.IsValidTextPos(t->end))
                return false;
            if (!RawDeleteText(node, t->start, t->end)) return false;
            *pos = t->start;
        } else {
            if (!node->item.text.IsValidTextPos(t->start)) return false;
            TextPos end = t->start;
            if (!RawInsertText(node, t->start, t->text, &end)) return false;
            *pos = end;
        }
        *caret = node;
        return true;
    }
    case CUndoOutline::kCheck: {
        auto* c = static_cast<CUndoOutlCheck*>(r);
        if (!c->node || c->node->item.removed) return false;
        Notify(kNotifyCheckChanging, c->node);
        std::swap(c->node->item.checked, c->value);
        break;
    }
    case CUndoOutline::kExpand: {
        auto* e = static_cast<CUndoOutlExpand*>(r);
        if (!e->node || e->node->item.removed) return false;
        std::swap(e->node->item.expanded, e->value);
        break;
    }
    case CUndoOutline::kPosition:
        if (!ApplyPosition(static_cast<CUndoOutlPos*>(r))) return false;
        break;
    case CUndoOutline::kNodeAttached:
        if (!ApplyDetach(static_cast<CUndoDelete*>(r))) return false;
        break;
    case CUndoOutline::kNodeDetached:
        if (!ApplyAttach(static_cast<CUndoDelete*>(r))) return false;
        break;
    default:
        return true;
    }
    *caret = CaretNodeFor(r);
    *pos = TextPos{0, 0};
    return true;
}

// The node itself when it is displayed, else the nearest displayed item before it. The
// caret never opens collapsed items: Undo gives back the document as it was, expanded
// flags included.
COutlineNode* COutlineMan::CaretNodeFor(CUndoOutline* r) {
    Node* cand = r->node;
    if (!cand || cand->item.removed) {
        cand = nullptr;
        if (auto* p = dynamic_cast<CUndoOutlPos*>(r)) {
            Node* prev = p->first.previous;
            if (prev && !prev->item.removed && prev->parent) {
                cand = prev;
                while (cand->item.expanded)
                    if (Node* c = GetLastVisibleChild(cand)) cand = c; else break;
            } else if (p->first.parent && !p->first.parent->item.removed) {
                cand = p->first.parent;
            }
        }
    }
    while (cand && !IsDisplayed(cand)) cand = GetPrevDisplayed(cand);
    return cand ? cand : GetFirstVisibleItem();
}

bool COutlineMan::ApplyGroup(CUndoGroup* g, bool undo, Node** node, TextPos* pos) {
    Node* caret = nullptr;
    TextPos at{0, 0};
    const size_t n = g->size();
    for (size_t k = 0; k < n; ++k) {
        CUndoRecord* r = (*g)[undo ? n - 1 - k : k];
        if (!ApplyRecord(r, undo, &caret, &at)) {
            RecoverFromFailedApply(node, pos);
            return false;
        }
    }
    if (node) *node = caret;
    if (pos) *pos = at;
    return true;
}

void COutlineMan::RecoverFromFailedApply(Node** node, TextPos* pos) {
    if (undo_) undo_->DiscardAll();
    widest_ = {};
    RenumberAll();
    Node* first = GetFirstVisibleItem();
    if (!first) first = EnsureNextItem(nullptr);
    if (node) *node = first;
    if (pos) *pos = TextPos{0, 0};
}

bool COutlineMan::Undo(Node** node, TextPos* pos) {
    if (!undo_ || !undo_->CanUndo()) return false;
    return ApplyGroup(undo_->GetGroup(undo_->GetPosition() - 1), true, node, pos);
}

bool COutlineMan::Redo(Node** node, TextPos* pos) {
    if (!undo_ || !undo_->CanRedo()) return false;
    return ApplyGroup(undo_->GetGroup(undo_->GetPosition()), false, node, pos);
}

void COutlineMan::AfterChange(bool flag) {
    if (!undo_) return;
    CUndoGroup* g = undo_->GetGroup(flag ? undo_->GetPosition() - 1 : undo_->GetPosition());
    if (!g) return;
    const bool autoCheck = prefs_->AutoChecking();

    struct Touched { Node* node; bool ownCheck; };
    std::vector<Touched> touched;
    std::vector<Node*> parents;  // whose children are renumbered; null is the top level
    auto alive = [](Node* n) { return n && !n->item.removed && n->parent; };
    auto touch = [&](Node* n, bool ownCheck) {
        if (alive(n)) touched.push_back({n, ownCheck});
    };
    auto touchParent = [&](Node* p) {
        if (!p) parents.push_back(nullptr);
        else if (alive(p)) { touched.push_back({p, false}); parents.push_back(p); }
    };

    for (CUndoRecord* rec : *g) {
        auto* r = dynamic_cast<CUndoOutline*>(rec);
        if (!r) continue;
        switch (r->kind) {
        case CUndoOutline::kPosition: {
            auto* p = static_cast<CUndoOutlPos*>(r);
            touch(p->node, false);
            touchParent(p->first.parent);
            touchParent(p->second.parent);
            break;
        }
        case CUndoOutline::kNodeAttached:
            touch(r->node, false);
            break;
        case CUndoOutline::kNodeDetached: {
            auto* d = static_cast<CUndoDelete*>(r);
            if (alive(d->node)) touch(d->node, false);
            else if (!d->first.parent || alive(d->first.parent)) touch(GetFirstVisibleChild(d->first.parent), false);
            touchParent(d->first.parent);
            break;
        }
        case CUndoOutline::kCheck:
            // Hidden checked items change visibility with their check mark, so their
            // siblings' numbers change even without auto-checking.
            if (autoCheck || !showChecked_) touch(r->node, true);
            break;
        default:
            break;
        }
    }

    if (autoCheck) {
        std::stable_sort(touched.begin(), touched.end(), [](const Touched& a, const Touched& b) {
            return a.node->item.level > b.node->item.level;
        });
        for (const Touched& t : touched) {
            // A mark the user set stays as set; its parent follows it. Any other touched
            // node with children follows its own children.
            Node* n = (t.ownCheck || !t.node->firstChild) ? GetParent(t.node) : t.node;
            while (n && n->firstChild) {
                const bool all = AllChildrenChecked(n);
                if (n->item.checked == all) break;
                if (all) Notify(kNotifyCheckChanging, n);
                n->item.checked = all;
                if (!showChecked_) parents.push_back(GetParent(n));
                n = GetParent(n);
            }
        }
    }

    for (const Touched& t : touched) parents.push_back(GetParent(t.node));
    std::sort(parents.begin(), parents.end());
    parents.erase(std::unique(parents.begin(), parents.end()), parents.end());
    for (Node* p : parents) {
        if (p && !alive(p)) continue;
        const int level = p ? p->item.level + 1 : 0;
        if (level > 9) continue;
        ResetWidest(level, p);
        RenumberChildren(p, false);
    }
}
