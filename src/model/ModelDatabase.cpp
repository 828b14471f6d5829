#include "model/ModelDatabase.h"

bool ModelRecordset::RemoveRecord(COutlineRecord* record) {
    const int n = GetCount();
    int i = record ? record->index : -1;
    if (i < 0 || i >= n || m_records[static_cast<size_t>(i)] != record) {
        // A record whose index was not kept (added by someone else): find it once and
        // carry on in constant time from then on.
        i = -1;
        for (int k = 0; k < n; ++k)
            if (m_records[static_cast<size_t>(k)] == record) { i = k; break; }
        if (i < 0) return false;
    }
    CDBRecord* last = m_records.back();
    m_records[static_cast<size_t>(i)] = last;
    last->index = i;
    m_records.pop_back();
    delete record;
    return true;
}

void ModelRecordset::BeginReorder(int n) {
    ClearOrder();
    Reserve(n);
}

void ModelRecordset::AppendInOrder(COutlineRecord* record) {
    record->index = GetCount();
    Append(record);
}

ModelDatabase::ModelDatabase() {
    // The base constructor made its recordset before this class existed; replace the
    // (still empty) one with ours.
    m_recordset.reset(new ModelRecordset);
}

CDBRecordset* ModelDatabase::CreateRecordset() { return new ModelRecordset; }
