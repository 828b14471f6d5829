#pragma once
// Helpers for outline tests: build an outline from a compact listing, print its shape,
// take its written document, and check every invariant the outline promises.

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <QString>
#include <QStringList>

#include "model/OutlineMan.h"

namespace modeltest {

using Node = COutlineNode;

// One line per item: leading blanks give the Indent written in the record, a leading
// "*" after them marks it checked, "-" marks it collapsed. Items go through BuildTree,
// exactly as a file's items would.
inline void Load(COutlineMan& o, const std::vector<std::string>& lines) {
    o.InitNew(false);
    auto* records = o.GetDatabase()->GetRecords();
    for (const std::string& line : lines) {
        size_t i = 0;
        while (i < line.size() && line[i] == ' ') ++i;
        COutlineRecord* r = records->AddNew();
        r->indent = static_cast<uint8_t>(i);
        for (; i < line.size() && (line[i] == '*' || line[i] == '-'); ++i) {
            if (line[i] == '*') r->checked = true;
            if (line[i] == '-') r->expanded = false;
        }
        r->text = QString::fromStdString(line.substr(i));
    }
    o.BuildTree();
}

// "text" per item in pre-order, children in parentheses: "a(b c(d)) e".
inline std::string ShapeOf(const COutlineMan& o, const Node* parent = nullptr) {
    std::string out;
    for (const Node* n = o.GetFirstChild(parent); n; n = n->next) {
        if (!out.empty()) out += ' ';
        out += n->item.GetText().toStdString();
        if (n->item.checked) out += '*';
        if (n->firstChild) out += "(" + ShapeOf(o, n) + ")";
    }
    return out;
}

inline Node* Find(const COutlineMan& o, const QString& text) {
    for (Node* n = o.GetFirstChild(nullptr); n; n = o.GetNextInPreorder(n))
        if (n->item.GetText() == text) return n;
    return nullptr;
}
inline Node* Find(const COutlineMan& o, const char* text) { return Find(o, QString::fromUtf8(text)); }

// The document as a save would write it (records rebuilt from the tree).
inline QString Written(COutlineMan& o) {
    o.StoreTree();
    o.GetDatabase()->WriteRecords();
    QString xml = o.GetDatabase()->GetXml();
    for (Node* n = o.GetFirstChild(nullptr); n; n = o.GetNextInPreorder(n)) n->item.ReleaseRecordText();
    return xml;
}

// Empty when every invariant holds, else a description of the first faults.
inline std::string CheckInvariants(const COutlineMan& o) {
    std::ostringstream err;
    std::set<const COutlineRecord*> records;
    std::set<const Node*> attached;
    int count = 0;
    struct Walk {
        static void Run(const COutlineMan& o, const Node* parent, int depth, std::ostringstream& err,
                        std::set<const COutlineRecord*>& records, std::set<const Node*>& attached,
                        int& count) {
            const Node* real = parent ? parent : o.Root();
            int children = 0;
            const Node* prev = nullptr;
            for (const Node* n = real->firstChild; n; n = n->next) {
                ++children;
                ++count;
                attached.insert(n);
                const std::string name = n->item.GetText().toStdString();
                if (n->parent != real) err << "bad parent of '" << name << "'; ";
                if (n->previous != prev) err << "bad previous of '" << name << "'; ";
                if (n->item.level != depth) err << "level " << int(n->item.level) << " at depth " << depth << " for '" << name << "'; ";
                if (n->item.removed) err << "attached node '" << name << "' marked removed; ";
                if (!n->item.record) err << "attached node '" << name << "' without record; ";
                else if (!records.insert(n->item.record).second) err << "record shared by '" << name << "'; ";
                Run(o, n, depth + 1, err, records, attached, count);
                prev = n;
            }
            if (real->lastChild != prev) err << "bad last child; ";
            if (real->childCount != children) err << "child count " << real->childCount << " != " << children << "; ";
        }
    };
    Walk::Run(o, nullptr, 0, err, records, attached, count);
    if (count != o.GetCount()) err << "count " << o.GetCount() << " != " << count << " nodes; ";
    if (const COutlineDatabase* db = o.GetDatabase()) {
        auto* rs = db->GetRecords();
        if (rs->GetCount() != count) err << "recordset holds " << rs->GetCount() << " records for " << count << " nodes; ";
        for (int i = 0; i < rs->GetCount(); ++i) {
            if (!records.count(rs->GetAt(i))) err << "record " << i << " belongs to no attached node; ";
            if (rs->GetAt(i)->index != i) err << "record " << i << " has index " << rs->GetAt(i)->index << "; ";
        }
    }
    if (const CUndoOutlineMan* u = o.GetUndo()) {
        std::set<const Node*> held;
        std::vector<const Node*> referenced;
        int total = 0;
        for (int g = 0; g < u->GroupCount(); ++g) {
            for (CUndoRecord* rec : *u->GetGroup(g)) {
                ++total;
                auto* r = dynamic_cast<CUndoOutline*>(rec);
                if (!r) continue;
                if (r->kind == CUndoOutline::kNodeDetached) {
                    if (!held.insert(r->node).second) err << "detached node held twice; ";
                    if (attached.count(r->node)) err << "node held by the history is attached; ";
                    if (!r->node->item.removed || r->node->parent || r->node->firstChild || r->node->item.record)
                        err << "held node not cleanly detached; ";
                } else if (r->node) {
                    referenced.push_back(r->node);
                }
            }
        }
        // Every node a record names is alive: in the tree or held by the history.
        for (const Node* n : referenced)
            if (!attached.count(n) && !held.count(n)) err << "a record names a node that is gone; ";
        if (total != u->TotalRecords()) err << "total " << u->TotalRecords() << " != " << total << "; ";
    }
    return err.str();
}

// One full user action as the view runs it.
template <typename F>
void Act(COutlineMan& o, int32_t kind, F&& change) {
    o.BeginAction(kind, false);
    change();
    o.EndAction();
    o.AfterChange(true);
}

inline bool UndoOnce(COutlineMan& o) {
    Node* n = nullptr;
    TextPos p;
    if (!o.Undo(&n, &p)) return false;
    o.AfterChange(true);
    o.GetUndo()->StepBack();
    return true;
}

inline bool RedoOnce(COutlineMan& o) {
    Node* n = nullptr;
    TextPos p;
    if (!o.Redo(&n, &p)) return false;
    o.AfterChange(false);
    o.GetUndo()->StepForward();
    return true;
}

// An outline whose record creation can be made to fail part way through an insertion, to
// see that nothing is left half done.
class FailingOutline : public COutlineMan {
public:
    int recordsLeft = 1 << 30;

protected:
    COutlineRecord* CreateRecord() override {
        if (recordsLeft <= 0) return nullptr;
        --recordsLeft;
        return COutlineMan::CreateRecord();
    }
};

}  // namespace modeltest
