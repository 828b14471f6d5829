#pragma once
// The outline of one open document: the tree of items, the document store that backs
// them and the undo history of their changes.
//
// Invariants, after every public operation and after every Undo and Redo:
// - every attached node's item level equals its depth (top level 0) and is 0..9;
// - every attached node's item has a record, and the recordset holds exactly the
//   records of the attached nodes;
// - every detached node is owned by exactly one undo record of kind 6 (node detached)
//   and has its removed flag set; it has no children and no record;
// - GetCount() is the number of attached nodes, child counts match the sibling lists.
// Destroying the outline (or Clear, Open, Reset) frees every node, attached or held by
// the history.
//
// Nothing here knows a view: the view learns of changes through the notification
// callback (codes below) and brackets every user action with BeginAction, the
// operations, EndAction and AfterChange.

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include <QString>

#include "model/LineNumbering.h"
#include "model/ModelDatabase.h"
#include "model/OutlineNode.h"
#include "model/OutlinePreferences.h"
#include "model/UndoMan.h"
#include "platform/LogFont.h"

class COutlineMan : public COutlineTree {
public:
    using Node = COutlineNode;

    enum NotifyCode : int {
        kNotifyDetaching = 1,      // node is about to be detached by a deletion
        kNotifyTextReplaced = 2,   // a range of node's text was replaced or deleted
        kNotifyTextInserted = 3,   // text was inserted into node
        kNotifyNoteChanged = 4,    // node's note changed length
        kNotifyDrawingChanged = 5, // node gained or lost its drawing
        kNotifyInserted = 6,       // node was inserted or re-inserted
        kNotifyWidestOrdinal = 7,  // the widest ordinal of a level grew (see NotifyLevel)
        kNotifyCheckChanging = 8,  // node's check mark is about to change
    };
    using NotifyFunc = void (*)(void* context, int code, Node* node);
    // For code 7 the node argument carries the level number.
    static int NotifyLevel(Node* arg) { return static_cast<int>(reinterpret_cast<intptr_t>(arg)); }

    struct WidestOrdinal {
        Node* owner = nullptr;  // the parent under which the ordinal was seen
        int32_t ordinal = 0;
    };

    COutlineMan();
    ~COutlineMan() override;

    virtual void OnModified(bool modified);

    // The preferences the outline reads; not owned, must outlive the outline. Null
    // restores the built-in defaults.
    void SetPreferences(const OutlinePreferences* prefs);
    const OutlinePreferences& Preferences() const { return *prefs_; }

    // --- lifecycle ---------------------------------------------------------------------
    void InitNew(bool withFirstItem);
    // 1 on success; 0 when the file does not load (the outline is then empty, without
    // a store).
    int Open(const QString& path);
    // 1 on success; 0 when the file could not be written (nothing else changes).
    int Save(const QString& path);
    void Clear();
    void Reset();

    // Builds the tree from the recordset (repairing Indent values) and writes it back.
    void BuildTree();
    void StoreTree();

    COutlineDatabase* GetDatabase() const { return db_.get(); }
    CUndoOutlineMan* GetUndo() const { return undo_.get(); }

    // --- visibility and display order ---------------------------------------------------
    bool IsVisible(const Node* node) const { return showChecked_ || !node->item.checked; }
    bool IsDisplayed(const Node* node) const;
    bool HasVisibleChildren(const Node* node) const;
    bool CanExpand(const Node* node) const { return !node->item.expanded && HasVisibleChildren(node); }
    bool IsOpen(const Node* node) const { return node->item.expanded && HasVisibleChildren(node); }
    void Expand(Node* node) { node->item.expanded = true; }
    void Collapse(Node* node) { node->item.expanded = false; }
    void ExpandAncestors(Node* node);
    // ExpandAncestors inside an action: every flag it changes gets an undo record.
    void ExpandAncestorsRecorded(Node* node);
    bool AllChildrenChecked(const Node* node) const;
    int GetMaxLevelBelow(const Node* node) const;
    Node* GetNextVisibleSibling(const Node* node) const;
    Node* GetPrevVisibleSibling(const Node* node) const;
    Node* GetFirstVisibleChild(const Node* node) const;
    Node* GetLastVisibleChild(const Node* node) const;
    Node* GetFirstVisibleItem() const { return GetFirstVisibleChild(nullptr); }
    Node* GetNextDisplayed(const Node* node) const;
    Node* GetPrevDisplayed(const Node* node) const;
    Node* GetLastDisplayed() const;
    Node* GetNextInPreorder(const Node* node) const;
    Node* GetPrevInPreorder(const Node* node) const;
    Node* GetNextVisibleInPreorder(const Node* node) const;
    bool IsDisplayedBefore(const Node* a, const Node* b) const;
    bool IsDisplayedAfter(const Node* a, const Node* b) const { return IsDisplayedBefore(b, a); }
    Node* FindParentForLevel(int level, Node* previous) const;
    Node* FindAncestorAtLevel(int level, Node* previous) const;
    Node* AppendEmptyItem();
    Node* EnsureNextItem(Node* node);

    // --- document attributes ------------------------------------------------------------
    void GetTitle(QString& s) const;
    void SetTitle(const QString& s);
    void GetCategory(QString& s) const;
    void SetCategory(const QString& s);
    void GetFont(platform::LogFont& font, uint32_t& color) const;
    void SetFont(const platform::LogFont& font, uint32_t color);
    void GetNumbering(numbering::LevelCodes& levels, int& scheme) const;
    void SetNumbering(const numbering::LevelCodes& levels, int scheme);
    // The codes for display: invalid codes read as 0, and the header is corrected.
    numbering::Numbering GetValidNumbering();
    char16_t GetDivider() const;
    void SetDivider(char16_t c);
    int GetCheckState() const;
    void SetCheckState(int n);
    int GetHeadingLevel() const;
    void SetHeadingLevel(int n);
    int GetSelectedIndex() const;
    void SetSelectedIndex(int n);
    void SetShowChecked(bool flag) { showChecked_ = flag; }
    bool GetShowChecked() const { return showChecked_; }
    bool IsNew() const { return isNew_; }
    void SetIsNew(bool flag) { isNew_ = flag; }

    // --- notification -------------------------------------------------------------------
    void SetNotify(NotifyFunc f, void* context) {
        notify_ = f;
        notifyContext_ = context;
    }
    void EnableNotify(bool flag) { notifyEnabled_ = flag; }

    // --- numbering ----------------------------------------------------------------------
    void RenumberAll() { RenumberChildren(nullptr, true); }
    void RenumberChildren(Node* node, bool deep);
    void RenumberFrom(Node* node, int32_t first);
    // values[0] = node's ordinal, then its parent's, ...; *count = level + 1 (at most max).
    void GetOrdinalPath(const Node* node, int32_t* values, int* count, int max = 10) const;
    int32_t GetWidestOrdinal(int level) const;
    const WidestOrdinal& GetWidestEntry(int level) const { return widest_[static_cast<size_t>(level)]; }
    void NoteOrdinal(int level, Node* node, int32_t ordinal);
    void ResetWidest(int level, Node* owner);
    // The number text of node under the outline's numbering.
    QString FormatItemNumber(const Node* node, const numbering::Numbering& numbering) const;

    // --- operations ---------------------------------------------------------------------
    Node* NewItemAfter(Node* node);
    Node* DuplicateItem(Node* node);
    void DeleteItem(Node* node);
    void DeleteNode(Node* node);
    void DeleteSubtree(Node* node);
    void DeleteChecked();
    void UncheckAll();
    void ToggleCheck(Node* node);
    bool CanIndent(const Node* node, int extra) const;
    int GetIndentRoom(const Node* node) const;
    bool CanOutdent(const Node* node) const { return GetParent(node) != nullptr; }
    bool CanMoveUp(const Node* node) const { return GetPrevVisibleSibling(node) != nullptr; }
    bool CanMoveDown(const Node* node) const { return GetNextVisibleSibling(node) != nullptr; }
    void Indent(Node* node);
    void Outdent(Node* node);
    void MoveUp(Node* node);
    void MoveDown(Node* node);
    void SortOutline(bool ascending);
    void ExpandToLevel(int level);
    void SetNote(Node* node, const QString* text);
    void SetNote(Node* node, const QString& text) { SetNote(node, &text); }
    void SetItemDrawing(Node* node, const QString& name);
    bool InsertText(Node* node, TextPos pos, const QString& text, TextPos* end);
    bool DeleteText(Node* node, TextPos from, TextPos to);
    QString GetRangeText(Node* node, TextPos from, TextPos to) const;
    void JoinWithNext(Node* node, Node* next);
    void PasteText(Node* node, TextPos pos, const QString& text, Node** last, TextPos* end);

    // --- undo ---------------------------------------------------------------------------
    void BeginAction(int32_t kind, bool merge = false) { if (undo_) undo_->BeginAction(kind, merge); }
    void EndAction() { if (undo_) undo_->EndAction(); }
    // Apply one group; node and pos receive the caret place. False when a record could
    // not be applied: the history is then discarded (the outline stays consistent, the
    // group partly applied) and node/pos name the first visible item.
    bool Undo(Node** node, TextPos* pos);
    bool Redo(Node** node, TextPos* pos);
    void AfterChange(bool flag);

    // --- fragments ----------------------------------------------------------------------
    // The fragment text of node's subtree (or of the range first..last); empty on error.
    QString CopySubtree(Node* node);
    QString CopyRange(Node* first, Node* last);
    void GetSubtreeText(Node* node, QString& text) const;
    void GetRangeText(Node* first, Node* last, QString& text) const;
    // The items of a subtree, and of a range, in order.
    std::vector<Node*> SubtreeItems(Node* node) const;
    std::vector<Node*> RangeItems(Node* first, Node* last) const;
    // Fills an empty outline (InitNew(false)) from fragment text; resetIds sets Ids 0.
    static bool ParseFragment(const QString& text, COutlineMan& outline, bool resetIds);
    // The first node inserted; none when nothing could be parsed or the insertion failed
    // part way (the nodes placed by then stay, with their undo records).
    Node* InsertTree(COutlineMan& source, Node* parent, Node* after);
    Node* InsertFragment(const QString& text, Node* parent, Node* after);
    Node* InsertFragmentAt(int where, int level, Node* target, const QString& text, bool resetIds);
    void DeleteRange(Node* first, Node* last);
    Node* MoveSubtreeTo(int where, int level, Node* target, Node* node, bool copy);
    bool FindText(const QString& text, Node* node, TextPos pos, uint32_t flags, bool option,
                  Node** found, TextPos* at);

protected:
    // Creates a record in the recordset; null when none can be made. Virtual so that
    // tests can make creation fail.
    virtual COutlineRecord* CreateRecord();
    void Notify(int code, Node* node) {
        if (notifyEnabled_ && notify_) notify_(notifyContext_, code, node);
    }

private:
    static void DiscardRecord(void* context, int zero, CUndoRecord* record);
    void MakeUndo();
    void RemoveItemRecord(Node* node);
    Node* CreateBoundNode(const COutlineRecord* source, Node* parent, Node* after, bool first);
    void Relevel(Node* node, bool record);
    void SetLevelAndRelevel(Node* node, int level, bool record);
    void OutdentNoRecord(Node* node);
    void DeleteCheckedIn(Node* parent);
    void SortRecursive(Node* parent, bool ascending);
    void ExpandToLevelIn(Node* parent, int level);
    bool RawInsertText(Node* node, TextPos pos, const QString& text, TextPos* end);
    bool RawDeleteText(Node* node, TextPos from, TextPos to);
    bool ApplyRecord(CUndoRecord* record, bool undo, Node** caret, TextPos* pos);
    bool ApplyPosition(CUndoOutlPos* r);
    bool ApplyDetach(CUndoDelete* r);
    bool ApplyAttach(CUndoDelete* r);
    Node* CaretNodeFor(CUndoOutline* r);
    bool ApplyGroup(CUndoGroup* g, bool undo, Node** node, TextPos* pos);
    void RecoverFromFailedApply(Node** node, TextPos* pos);
    Node* InsertSourceItem(const Node* source, Node* parent, Node* after, Node** first);
    void SetExpandedRecorded(Node* node, bool expanded);
    Node* CopySubtreeTo(Node* node, Node* parent, Node* after);

    std::array<WidestOrdinal, 10> widest_{};
    NotifyFunc notify_ = nullptr;
    void* notifyContext_ = nullptr;
    std::unique_ptr<ModelDatabase> db_;
    std::unique_ptr<CUndoOutlineMan> undo_;
    bool isNew_ = true;
    bool showChecked_ = true;
    bool notifyEnabled_ = false;
    const OutlinePreferences* prefs_;
};
