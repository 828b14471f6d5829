#pragma once
// The undo history of one outline: groups of records, one group per user action.
//
// Ownership: a group owns its records. A record of kind 6 (node detached) owns its
// node, which is detached from the tree and reachable from nothing else; the discard
// callback the outline installs deletes it when the record is destroyed. Every other
// record owns nothing but its own data. So discarding history frees exactly the nodes
// that deletions (or undone insertions) took out of the tree.

#include <cstdint>
#include <vector>

#include <QString>

#include "editor/text/TextPos.h"
#include "model/OutlineNode.h"
#include "storage/COutlineDatabase.h"

class CUndoRecord {
public:
    virtual ~CUndoRecord() = default;
    int32_t reserved = 0;
};

class CUndoOutline : public CUndoRecord {
public:
    enum Kind : int32_t {
        kPlain = 1,
        kText = 2,
        kCheck = 3,
        kPosition = 4,
        kNodeAttached = 5,   // undoing it detaches the node
        kNodeDetached = 6,   // undoing it re-attaches the node; owns the node meanwhile
        kExpand = 7,         // an expanded flag an operation changed on the way
    };
    explicit CUndoOutline(COutlineNode* n, int32_t k = kPlain) : node(n), kind(k) {}
    COutlineNode* node = nullptr;
    int32_t kind = kPlain;
};

class CUndoOutlText : public CUndoOutline {
public:
    CUndoOutlText() : CUndoOutline(nullptr, kText) {}
    QString text;
    TextPos start{-1, -1};
    TextPos end{-1, -1};
    bool inserted = false;  // true: the record describes inserted text
};

class CUndoOutlCheck : public CUndoOutline {
public:
    CUndoOutlCheck() : CUndoOutline(nullptr, kCheck) {}
    bool value = false;  // the check mark to put back
};

// Operations that open collapsed items to show what they changed record the old flag,
// so that Undo gives back the document exactly as it was.
class CUndoOutlExpand : public CUndoOutline {
public:
    CUndoOutlExpand() : CUndoOutline(nullptr, kExpand) {}
    bool value = false;  // the expanded flag to put back
};

// A place in the tree: a parent (none for the top level) and the previous sibling
// (none: first child).
struct UndoPlacement {
    COutlineNode* parent = nullptr;
    COutlineNode* previous = nullptr;
};

class CUndoOutlPos : public CUndoOutline {
public:
    CUndoOutlPos() : CUndoOutline(nullptr, kPosition) {}
    UndoPlacement first;   // the placement to return to
    UndoPlacement second;  // the current placement
protected:
    explicit CUndoOutlPos(int32_t k) : CUndoOutline(nullptr, k) {}
};

class CUndoDelete : public CUndoOutlPos {
public:
    explicit CUndoDelete(int32_t k) : CUndoOutlPos(k) {}
    COutlineRecord record;  // the node's data while it is detached
};

class CUndoGroup : public std::vector<CUndoRecord*> {
public:
    explicit CUndoGroup(int32_t k) : kind(k) {}
    int32_t kind = 0;
};

// Action kinds, as the view opens groups with them.
enum UndoAction : int32_t {
    kActionUnknown = 0,
    kActionPaste = 1,
    kActionDeleteSelection = 2,
    kActionCut = 3,
    kActionTyping = 4,
    kActionBackspace = 5,
    kActionInsertDate = 6,
    kActionDragAndDrop = 7,
    kActionReplace = 8,
    kActionDelete = 9,
    kActionInsertTime = 10,
    kActionCreateNode = 11,
    kActionDeleteNode = 12,
    kActionOutdentNode = 13,
    kActionIndentNode = 14,
    kActionMoveUp = 15,
    kActionMoveDown = 16,
    kActionCheckNode = 17,
    kActionExpandCollapse = 18,
    kActionCreateNote = 19,
    kActionDeleteNote = 20,
    kActionCreatePicture = 21,
    kActionDeletePicture = 22,
    kActionDropNodes = 24,
    kActionDropCopy = 26,
    kActionDropMove = 27,
    kActionCopyToCabinet = 28,
    kActionCutToCabinet = 29,
    kActionDeleteChecked = 30,
    kActionUncheckAll = 31,
    kActionCutNodes = 32,
    kActionPasteNodes = 33,
};

class CUndoMan {
public:
    static constexpr int32_t kDefaultLimit = 1024;
    using DiscardFunc = void (*)(void* context, int zero, CUndoRecord* record);

    CUndoMan() = default;
    virtual ~CUndoMan();
    CUndoMan(const CUndoMan&) = delete;
    CUndoMan& operator=(const CUndoMan&) = delete;

    // The name of an action kind as menus show it; false (and no name) in the base.
    virtual bool GetActionName(int32_t kind, QString& name) const;

    void BeginAction(int32_t kind, bool merge);
    void EndAction();

    // Records are appended to the group being recorded. Outside BeginAction/EndAction
    // there is none: the record is discarded at once (so a detached node is deleted),
    // and the change cannot be undone.
    void AddText(COutlineNode* node, bool inserted, TextPos start, TextPos end, const QString& text);
    void AddCheck(COutlineNode* node, bool value);
    void AddExpand(COutlineNode* node, bool value);
    void AddPosition(COutlineNode* node, COutlineNode* p, COutlineNode* q, COutlineNode* r,
                     COutlineNode* s);
    void AddInserted(COutlineNode* node, COutlineNode* parent, COutlineNode* previous);
    void AddDeleted(COutlineNode* node, const COutlineRecord& record, COutlineNode* parent,
                    COutlineNode* previous);
    // Appends an already built record (the outline's own helpers use it).
    void AddRecord(CUndoRecord* record);

    bool CanUndo() const { return position_ > 0; }
    bool CanRedo() const { return position_ < GroupCount(); }
    void GetUndoName(QString& name) const;
    void GetRedoName(QString& name) const;
    // The menu texts of the Undo and Redo commands.
    QString UndoMenuText() const;
    QString RedoMenuText() const;

    // Never leave 0..GroupCount().
    void StepBack();
    void StepForward();

    void SetDiscardCallback(DiscardFunc f, void* context) {
        discard_ = f;
        discardContext_ = context;
    }

    // Destroys every group (the records' owned nodes with them).
    void DiscardAll();

    int32_t GetLimit() const { return limit_; }
    void SetLimit(int32_t limit) { limit_ = limit; }
    int32_t GetPosition() const { return position_; }
    int32_t GroupCount() const { return static_cast<int32_t>(groups_.size()); }
    int32_t TotalRecords() const { return total_; }
    bool IsRecording() const { return recording_; }
    // The group at index i (oldest first), or null.
    CUndoGroup* GetGroup(int32_t i) const {
        return i >= 0 && i < GroupCount() ? groups_[static_cast<size_t>(i)] : nullptr;
    }
    CUndoGroup* CurrentGroup() const { return current_; }

private:
    void Append(CUndoRecord* record);
    void DestroyRecord(CUndoRecord* record);
    void DestroyGroup(CUndoGroup* group);

    int32_t limit_ = kDefaultLimit;
    DiscardFunc discard_ = nullptr;
    void* discardContext_ = nullptr;
    CUndoGroup* current_ = nullptr;
    std::vector<CUndoGroup*> groups_;
    int32_t position_ = 0;
    bool recording_ = false;
    bool startedGroup_ = false;
    int32_t total_ = 0;
};

class CUndoOutlineMan : public CUndoMan {
public:
    ~CUndoOutlineMan() override = default;
    bool GetActionName(int32_t kind, QString& name) const override;
};
