#pragma once
// One row of an outline. While an item is loaded its text and note live here only; its
// record (owned by the outline's recordset) keeps Id, Indent, Checked, Expanded, Deleted
// and Drawing, and receives text and note again from StoreToRecord before a write.

#include <cstdint>

#include <QString>

#include "editor/text/CTextCtrl.h"

class COutlineRecord;

class COutlineItem {
public:
    static constexpr int kMaxLevel = 9;
    static constexpr int kDrawingSize = 100;

    COutlineItem() = default;
    COutlineItem(const COutlineItem&) = delete;
    COutlineItem& operator=(const COutlineItem&) = delete;

    // A node built from a template starts fresh except for the removed flag.
    void TakeTemplate(const COutlineItem& tmpl) { removed = tmpl.removed; }

    // Copies the record's fields in (an Indent outside 0..9 reads as 0), then releases
    // the record's text and note. Does nothing without a record.
    void LoadFromRecord();
    void ReleaseRecordText();
    // Copies id, level, checked, expanded, text and note into the record.
    void StoreToRecord();

    QString GetDrawing() const;
    void SetDrawing(const QString& name);
    void ClearDrawing();
    bool HasDrawing() const { return drawingWidth > 0; }

    // Any n of 10 or more is stored as 9.
    void SetLevel(int n) { level = static_cast<uint8_t>(n < 0 ? 0 : (n > kMaxLevel ? kMaxLevel : n)); }

    QString GetText() const { return text.GetText(); }

    COutlineRecord* record = nullptr;  // not owned
    int32_t id = 0;
    int32_t ordinal = 0;
    uint8_t level = 0;
    bool checked = false;
    bool expanded = false;
    int32_t drawingWidth = 0;
    int32_t drawingHeight = 0;
    CTextCtrl text;
    QString note;
    bool removed = false;
};
