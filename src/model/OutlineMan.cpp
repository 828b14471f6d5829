#include "model/OutlineMan.h"

#include "storage/OutlineUID.h"

namespace {

const DefaultOutlinePreferences& BuiltInPreferences() {
    static const DefaultOutlinePreferences prefs;
    return prefs;
}

// A node held by the history has no children (deletions detach leaves only), but a
// subtree handed over by other means must not leak either.
void DeleteDetachedSubtree(COutlineNode* node) {
    COutlineNode* c = node->firstChild;
    while (c) {
        COutlineNode* next = c->next;
        DeleteDetachedSubtree(c);
        c = next;
    }
    delete node;
}

}  // namespace

COutlineMan::COutlineMan() : prefs_(&BuiltInPreferences()) {}

COutlineMan::~COutlineMan() { Clear(); }

void COutlineMan::OnModified(bool) {}

void COutlineMan::SetPreferences(const OutlinePreferences* prefs) {
    prefs_ = prefs ? prefs : &BuiltInPreferences();
}

void COutlineMan::DiscardRecord(void*, int, CUndoRecord* record) {
    auto* r = dynamic_cast<CUndoOutline*>(record);
    if (r && r->kind == CUndoOutline::kNodeDetached && r->node) {
        DeleteDetachedSubtree(r->node);
        r->node = nullptr;
    }
}

void COutlineMan::MakeUndo() {
    undo_ = std::make_unique<CUndoOutlineMan>();
    undo_->SetDiscardCallback(&COutlineMan::DiscardRecord, this);
}

// --- lifecycle ----------------------------------------------------------------------------

void COutlineMan::Clear() {
    // The history first: it frees the detached nodes, which nothing in the tree reaches.
    undo_.reset();
    RemoveAll();
    db_.reset();
    widest_ = {};
}

void COutlineMan::InitNew(bool withFirstItem) {
    Clear();
    isNew_ = true;
    db_ = std::make_unique<ModelDatabase>();
    db_->SetFont(prefs_->OutlineFont(), prefs_->WindowTextColor());
    const uint8_t zeros[10] = {};
    db_->SetLevels(zeros);
    db_->SetScheme(0);
    db_->SetDivider(0);
    MakeUndo();
    if (withFirstItem) AppendEmptyItem();
}

int COutlineMan::Open(const QString& path) {
    Clear();
    isNew_ = false;
    db_ = std::make_unique<ModelDatabase>();
    MakeUndo();
    // The records hold everything; the document's copies of the items would only double
    // the memory until the next write rebuilds them, so they are never kept.
    if (!db_->OpenReleased(path)) {
        undo_.reset();
        db_.reset();
        return 0;
    }
    BuildTree();
    OnModified(false);
    return 1;
}

int COutlineMan::Save(const QString& path) {
    if (!db_) return 0;
    StoreTree();
    if (isNew_) {
        db_->SetModified(1);
        const QString category = prefs_->CurrentCategory();
        if (!category.isEmpty()) db_->SetCategory(category);
        db_->SetDocUID(UIDToHex(GenerateUID()));
    } else {
        db_->SetModified(1);
    }
    const bool written = db_->Save(path, 1);
    // The items hold their texts; the records need them only while being written.
    for (Node* n = GetFirstChild(nullptr); n; n = GetNextInPreorder(n)) n->item.ReleaseRecordText();
    if (!written) return 0;
    OnModified(false);
    return 1;
}

void COutlineMan::Reset() {
    undo_.reset();
    if (db_) db_->GetRecords()->RemoveAll();
    RemoveAll();
    widest_ = {};
    MakeUndo();
    if (Node* n = AppendEmptyItem()) Notify(kNotifyInserted, n);
}

COutlineRecord* COutlineMan::CreateRecord() {
    if (!db_) return nullptr;
    return db_->Records()->AddNew();
}

void COutlineMan::RemoveItemRecord(Node* node) {
    if (node->item.record && db_) db_->Records()->RemoveRecord(node->item.record);
    node->item.record = nullptr;
}

void COutlineMan::BuildTree() {
    if (!db_) return;
    ModelRecordset* records = db_->Records();
    Node* previous = nullptr;
    const COutlineItem fresh;
    const int n = records->GetCount();
    for (int i = 0; i < n; ++i) {
        auto* record = records->GetAt(i);
        record->index = i;
        // Deeper than the deepest level: read as the deepest level, so the item becomes
        // a sibling of a level-9 item instead of a child at a level the outline lacks.
        int indent = record->indent;
        if (indent > COutlineItem::kMaxLevel) indent = COutlineItem::kMaxLevel;
        Node* parent = FindParentForLevel(indent, previous);
        if (!parent) indent = 0;
        else indent = parent->item.level + 1;
        record->indent = static_cast<uint8_t>(indent);
        Node* node = InsertLast(fresh, parent);
        node->item.record = record;
        node->item.LoadFromRecord();
        previous = node;
    }
    if (GetCount() == 0) AppendEmptyItem();
}

void COutlineMan::StoreTree() {
    if (!db_) return;
    ModelRecordset* records = db_->Records();
    records->BeginReorder(GetCount());
    for (Node* n = GetFirstChild(nullptr); n; n = GetNextInPreorder(n)) {
        n->item.StoreToRecord();
        if (n->item.record) records->AppendInOrder(n->item.record);
    }
}

// --- visibility and display order --------------------------------------------------------

bool COutlineMan::IsDisplayed(const Node* node) const {
    if (!IsVisible(node)) return false;
    for (const Node* p = GetParent(node); p; p = GetParent(p))
        if (!p->item.expanded || !IsVisible(p)) return false;
    return true;
}

bool COutlineMan::HasVisibleChildren(const Node* node) const {
    if (showChecked_) return GetChildCount(node) > 0;
    return GetFirstVisibleChild(node) != nullptr;
}

void COutlineMan::ExpandAncestors(Node* node) {
    for (Node* p = GetParent(node); p; p = GetParent(p)) p->item.expanded = true;
}

void COutlineMan::ExpandAncestorsRecorded(Node* node) {
    for (Node* p = GetParent(node); p; p = GetParent(p)) {
        if (p->item.expanded) continue;
        if (undo_) undo_->AddExpand(p, false);
        p->item.expanded = true;
    }
}

bool COutlineMan::AllChildrenChecked(const Node* node) const {
    for (const Node* c = GetFirstChild(node); c; c = c->next)
        if (!c->item.checked) return false;
    return true;
}

int COutlineMan::GetMaxLevelBelow(const Node* node) const {
    int best = node->item.level;
    for (const Node* c = node->firstChild; c; c = c->next) {
        const int m = GetMaxLevelBelow(c);
        if (m > best) best = m;
    }
    return best;
}

COutlineNode* COutlineMan::GetNextVisibleSibling(const Node* node) const {
    for (Node* n = node->next; n; n = n->next)
        if (IsVisible(n)) return n;
    return nullptr;
}

COutlineNode* COutlineMan::GetPrevVisibleSibling(const Node* node) const {
    for (Node* n = node->previous; n; n = n->previous)
        if (IsVisible(n)) return n;
    return nullptr;
}

COutlineNode* COutlineMan::GetFirstVisibleChild(const Node* node) const {
    Node* c = GetFirstChild(node);
    if (!c || IsVisible(c)) return c;
    return GetNextVisibleSibling(c);
}

COutlineNode* COutlineMan::GetLastVisibleChild(const Node* node) const {
    Node* c = GetLastChild(node);
    if (!c || IsVisible(c)) return c;
    return GetPrevVisibleSibling(c);
}

COutlineNode* COutlineMan::GetNextDisplayed(const Node* node) const {
    if (!node) return nullptr;
    if (node->item.expanded)
        if (Node* c = GetFirstVisibleChild(node)) return c;
    for (const Node* n = node; n; n = GetParent(n))
        if (Node* s = GetNextVisibleSibling(n)) return s;
    return nullptr;
}

COutlineNode* COutlineMan::GetPrevDisplayed(const Node* node) const {
    if (!node) return nullptr;
    Node* p = GetPrevVisibleSibling(node);
    if (!p) return GetParent(node);
    while (p->item.expanded) {
        Node* c = GetLastVisibleChild(p);
        if (!c) break;
        p = c;
    }
    return p;
}

COutlineNode* COutlineMan::GetLastDisplayed() const {
    // Where GetNextDisplayed from the first visible item would end, found from the end.
    Node* p = GetLastVisibleChild(nullptr);
    while (p && p->item.expanded) {
        Node* c = GetLastVisibleChild(p);
        if (!c) break;
        p = c;
    }
    return p;
}

COutlineNode* COutlineMan::GetNextInPreorder(const Node* node) const {
    if (node->firstChild) return node->firstChild;
    for (const Node* n = node; n && n != &root_; n = n->parent)
        if (n->next) return n->next;
    return nullptr;
}

COutlineNode* COutlineMan::GetPrevInPreorder(const Node* node) const {
    if (Node* p = node->previous) {
        while (p->lastChild) p = p->lastChild;
        return p;
    }
    return GetParent(node);
}

COutlineNode* COutlineMan::GetNextVisibleInPreorder(const Node* node) const {
    if (Node* c = GetFirstVisibleChild(node)) return c;
    for (const Node* n = node; n && n != &root_; n = n->parent)
        if (Node* s = GetNextVisibleSibling(n)) return s;
    return nullptr;
}

bool COutlineMan::IsDisplayedBefore(const Node* a, const Node* b) const {
    if (!a || !b || a == b) return false;
    Node* ta = GetTopAncestor(const_cast<Node*>(a));
    Node* tb = GetTopAncestor(const_cast<Node*>(b));
    if (ta != tb) {
        for (Node* n = ta->next; n; n = n->next)
            if (n == tb) return true;
        return false;
    }
    for (Node* n = GetNextDisplayed(a); n; n = GetNextDisplayed(n))
        if (n == b) return true;
    return false;
}

COutlineNode* COutlineMan::FindParentForLevel(int level, Node* previous) const {
    for (Node* p = previous; p; p = GetParent(p))
        if (p->item.level < level) return p;
    return nullptr;
}

COutlineNode* COutlineMan::FindAncestorAtLevel(int level, Node* previous) const {
    for (Node* p = previous; p; p = GetParent(p))
        if (p->item.level == level) return p;
    return nullptr;
}

COutlineNode* COutlineMan::AppendEmptyItem() {
    COutlineRecord* record = CreateRecord();
    if (!record) return nullptr;
    const COutlineItem fresh;
    Node* node = InsertLast(fresh, nullptr);
    node->item.record = record;
    node->item.LoadFromRecord();
    // Inside an action (the last row was deleted) Undo must take the new row away again;
    // outside one the record goes at once.
    if (undo_) undo_->AddInserted(node, nullptr, node->previous);
    return node;
}

COutlineNode* COutlineMan::EnsureNextItem(Node* node) {
    Node* first = GetFirstVisibleItem();
    if (node) {
        if (node != first) return nullptr;
        if (Node* next = GetNextVisibleSibling(node)) return next;
        return AppendEmptyItem();
    }
    return first ? nullptr : AppendEmptyItem();
}

// --- document attributes -----------------------------------------------------------------

void COutlineMan::GetTitle(QString& s) const { if (db_) db_->GetTitle(s); else s.clear(); }
void COutlineMan::SetTitle(const QString& s) { if (db_) db_->SetTitle(s); }
void COutlineMan::GetCategory(QString& s) const { if (db_) db_->GetCategory(s); else s.clear(); }
void COutlineMan::SetCategory(const QString& s) { if (db_) db_->SetCategory(s); }
void COutlineMan::GetFont(platform::LogFont& font, uint32_t& color) const {
    if (db_) db_->GetFont(font, color);
}
void COutlineMan::SetFont(const platform::LogFont& font, uint32_t color) {
    if (db_) db_->SetFont(font, color);
}

void COutlineMan::GetNumbering(numbering::LevelCodes& levels, int& scheme) const {
    levels = {};
    scheme = 0;
    if (!db_) return;
    db_->GetLevels(levels.data());
    scheme = db_->GetScheme();
}

void COutlineMan::SetNumbering(const numbering::LevelCodes& levels, int scheme) {
    if (!db_) return;
    db_->SetLevels(levels.data());
    db_->SetScheme(scheme);
}

numbering::Numbering COutlineMan::GetValidNumbering() {
    numbering::Numbering n;
    int scheme = 0;
    GetNumbering(n.levels, scheme);
    if (!numbering::ValidateLevels(n.levels)) SetNumbering(n.levels, scheme);
    n.divider = GetDivider();
    return n;
}

char16_t COutlineMan::GetDivider() const { return db_ ? db_->GetDivider() : 0; }
void COutlineMan::SetDivider(char16_t c) { if (db_) db_->SetDivider(c); }
int COutlineMan::GetCheckState() const { return db_ ? db_->GetCheckState() : 1; }
void COutlineMan::SetCheckState(int n) { if (db_) db_->SetCheckState(n); }
int COutlineMan::GetHeadingLevel() const { return db_ ? db_->GetHeadingLevel() : 1; }
void COutlineMan::SetHeadingLevel(int n) { if (db_) db_->SetHeadingLevel(n); }
int COutlineMan::GetSelectedIndex() const { return db_ ? db_->GetSelectedIndex() : 1; }
void COutlineMan::SetSelectedIndex(int n) { if (db_) db_->SetSelectedIndex(n); }

// --- numbering ---------------------------------------------------------------------------

void COutlineMan::RenumberChildren(Node* node, bool deep) {
    int32_t counter = 0;
    for (Node* c = GetFirstVisibleChild(node); c; c = GetNextVisibleSibling(c)) {
        c->item.ordinal = counter;
        NoteOrdinal(c->item.level, c, counter);
        ++counter;
        if (deep) RenumberChildren(c, true);
    }
}

void COutlineMan::RenumberFrom(Node* node, int32_t first) {
    for (Node* c = node; c; c = GetNextVisibleSibling(c)) {
        c->item.ordinal = first;
        NoteOrdinal(c->item.level, c, first);
        ++first;
    }
}

void COutlineMan::GetOrdinalPath(const Node* node, int32_t* values, int* count, int max) const {
    int n = 0;
    for (const Node* p = node; p && n < max; p = GetParent(p)) values[n++] = p->item.ordinal;
    *count = n;
}

int32_t COutlineMan::GetWidestOrdinal(int level) const {
    if (level < 0 || level >= 10) return 0;
    return widest_[static_cast<size_t>(level)].ordinal;
}

void COutlineMan::NoteOrdinal(int level, Node* node, int32_t ordinal) {
    if (level < 0 || level >= 10) return;
    WidestOrdinal& e = widest_[static_cast<size_t>(level)];
    if (e.ordinal >= ordinal) return;
    e.ordinal = ordinal;
    e.owner = GetParent(node);
    Notify(kNotifyWidestOrdinal, reinterpret_cast<Node*>(static_cast<intptr_t>(level)));
}

void COutlineMan::ResetWidest(int level, Node* owner) {
    if (level < 0 || level >= 10) return;
    WidestOrdinal& e = widest_[static_cast<size_t>(level)];
    if (e.owner == owner) e = WidestOrdinal{};
}

QString COutlineMan::FormatItemNumber(const Node* node, const numbering::Numbering& n) const {
    const int level = node->item.level;
    int32_t values[10];
    int count = 1;
    if (n.levels[static_cast<size_t>(level)] == numbering::kLegal) GetOrdinalPath(node, values, &count);
    else values[0] = node->item.ordinal;
    return numbering::FormatNumber(n, level, values, count);
}
