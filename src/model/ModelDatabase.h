#pragma once
// The outline's own document store: the outline document format with a recordset that
// can drop a record in constant time. Between two writes the order of the recordset does
// not matter (StoreTree rebuilds it from the tree before every write), so a removed
// record swaps places with the last one instead of closing a gap; each record's index is
// kept equal to its position so the record can be found without a search.

#include "storage/COutlineDatabase.h"

class ModelRecordset : public COutlineRecordset {
public:
    // Deletes record, which must be held here; false (nothing deleted) when it is not.
    bool RemoveRecord(COutlineRecord* record);
    // Takes every record out of the order without deleting them (see ClearOrder) and
    // reserves room for n re-appended ones.
    void BeginReorder(int n);
    // Re-appends a record taken out by BeginReorder, at the next position.
    void AppendInOrder(COutlineRecord* record);
};

class ModelDatabase : public COutlineDatabase {
public:
    ModelDatabase();
    CDBRecordset* CreateRecordset() override;
    ModelRecordset* Records() const { return static_cast<ModelRecordset*>(GetRecordset()); }
};
