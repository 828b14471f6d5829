#include "model/UndoMan.h"

#include <utility>

CUndoMan::~CUndoMan() { DiscardAll(); }

bool CUndoMan::GetActionName(int32_t, QString& name) const {
    name.clear();
    return false;
}

void CUndoMan::DestroyRecord(CUndoRecord* record) {
    if (discard_) discard_(discardContext_, 0, record);
    delete record;
}

void CUndoMan::DestroyGroup(CUndoGroup* group) {
    for (CUndoRecord* r : *group) DestroyRecord(r);
    total_ -= static_cast<int32_t>(group->size());
    if (group == current_) current_ = nullptr;
    delete group;
}

void CUndoMan::DiscardAll() {
    // Newest first: a later group may refer to nodes an earlier one still holds.
    while (!groups_.empty()) {
        CUndoGroup* g = groups_.back();
        groups_.pop_back();
        DestroyGroup(g);
    }
    current_ = nullptr;
    position_ = 0;
}

void CUndoMan::BeginAction(int32_t kind, bool merge) {
    if (position_ < GroupCount()) {
        while (GroupCount() > position_) {
            CUndoGroup* g = groups_.back();
            groups_.pop_back();
            DestroyGroup(g);
        }
    }
    while (total_ >= limit_ && !groups_.empty()) {
        CUndoGroup* g = groups_.front();
        groups_.erase(groups_.begin());
        DestroyGroup(g);
    }
    if (position_ > GroupCount()) position_ = GroupCount();
    recording_ = true;
    const bool newGroup = !(merge && position_ > 0 && groups_.back()->kind == kind);
    if (newGroup) {
        current_ = new CUndoGroup(kind);
        groups_.push_back(current_);
    } else {
        current_ = groups_.back();
    }
    startedGroup_ = newGroup;
    position_ = GroupCount();
}

void CUndoMan::EndAction() {
    recording_ = false;
    if (current_ && current_->empty() && !groups_.empty() && groups_.back() == current_) {
        groups_.pop_back();
        DestroyGroup(current_);
    }
    current_ = nullptr;
    position_ = GroupCount();
}

void CUndoMan::Append(CUndoRecord* record) {
    if (!current_) {
        DestroyRecord(record);
        return;
    }
    current_->push_back(record);
    startedGroup_ = false;
    ++total_;
}

void CUndoMan::AddRecord(CUndoRecord* record) { Append(record); }

void CUndoMan::AddText(COutlineNode* node, bool inserted, TextPos start, TextPos end,
                       const QString& text) {
    auto* r = new CUndoOutlText;
    r->node = node;
    r->inserted = inserted;
    r->start = start;
    r->end = end;
    r->text = text;
    Append(r);
}

void CUndoMan::AddCheck(COutlineNode* node, bool value) {
    auto* r = new CUndoOutlCheck;
    r->node = node;
    r->value = value;
    Append(r);
}

void CUndoMan::AddExpand(COutlineNode* node, bool value) {
    auto* r = new CUndoOutlExpand;
    r->node = node;
    r->value = value;
    Append(r);
}

void CUndoMan::AddPosition(COutlineNode* node, COutlineNode* p, COutlineNode* q,
                           COutlineNode* r, COutlineNode* s) {
    auto* rec = new CUndoOutlPos;
    rec->node = node;
    rec->first = {p, q};
    rec->second = {r, s};
    Append(rec);
}

void CUndoMan::AddInserted(COutlineNode* node, COutlineNode* parent, COutlineNode* previous) {
    auto* r = new CUndoDelete(CUndoOutline::kNodeAttached);
    r->node = node;
    r->first = {parent, previous};
    Append(r);
}

void CUndoMan::AddDeleted(COutlineNode* node, const COutlineRecord& record,
                          COutlineNode* parent, COutlineNode* previous) {
    auto* r = new CUndoDelete(CUndoOutline::kNodeDetached);
    r->node = node;
    r->first = {parent, previous};
    r->record.id = record.id;
    r->record.indent = record.indent;
    r->record.checked = record.checked;
    r->record.expanded = record.expanded;
    r->record.drawing = record.drawing;
    r->record.text = record.text;
    r->record.note = record.note;
    r->record.deleted = record.deleted;
    Append(r);
}

void CUndoMan::GetUndoName(QString& name) const {
    name.clear();
    if (const CUndoGroup* g = GetGroup(position_ - 1)) GetActionName(g->kind, name);
}

void CUndoMan::GetRedoName(QString& name) const {
    name.clear();
    if (const CUndoGroup* g = GetGroup(position_)) GetActionName(g->kind, name);
}

QString CUndoMan::UndoMenuText() const {
    QString name;
    GetUndoName(name);
    if (!CanUndo()) return QStringLiteral("&Undo\tCtrl+Z");
    return QStringLiteral("&Undo %1\tCtrl+Z").arg(name);
}

QString CUndoMan::RedoMenuText() const {
    QString name;
    GetRedoName(name);
    if (!CanRedo()) return QStringLiteral("&Redo\tCtrl+Y");
    return QStringLiteral("&Redo %1\tCtrl+Y").arg(name);
}

void CUndoMan::StepBack() {
    if (position_ > 0) --position_;
}

void CUndoMan::StepForward() {
    if (position_ < GroupCount()) ++position_;
}

bool CUndoOutlineMan::GetActionName(int32_t kind, QString& name) const {
    static const char* const names[] = {
        "Unknown", "Paste", "Delete Selection", "Cut", "Typing", "Backspace", "Insert date",
        "Drag And Drop", "Replace", "Delete", "Insert time", "Create node", "Delete node",
        "Outdent node", "Indent node", "Move up", "Move down", "Check/Uncheck node",
        "Expand/Collapse node", "Create note", "Delete note", "Create picture",
        "Delete picture", nullptr, "Drag and Drop", nullptr, "Drag and Drop",
        "Drag and Drop", "Copy to Filing Cabinet", "Cut to Filing Cabinet",
        "Delete all checked items", "Uncheck all checked items", "cut nodes", "paste nodes",
    };
    name.clear();
    if (kind < 0 || kind >= static_cast<int32_t>(std::size(names)) || !names[kind]) return false;
    name = QString::fromLatin1(names[kind]);
    return true;
}
