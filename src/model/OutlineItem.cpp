#include "model/OutlineItem.h"

#include "storage/COutlineDatabase.h"

void COutlineItem::LoadFromRecord() {
    if (!record) return;
    id = record->id;
    level = record->indent <= kMaxLevel ? record->indent : 0;
    checked = record->checked;
    expanded = record->expanded;
    if (!record->drawing.isEmpty()) {
        drawingWidth = kDrawingSize;
        drawingHeight = kDrawingSize;
    }
    text.SetText(record->text);
    if (!record->note.isEmpty()) note = record->note;
    ReleaseRecordText();
}

void COutlineItem::ReleaseRecordText() {
    if (!record) return;
    record->text = QString();
    if (!record->note.isEmpty()) record->note = QString();
}

void COutlineItem::StoreToRecord() {
    if (!record) return;
    record->id = id;
    record->indent = level;
    record->checked = checked;
    record->expanded = expanded;
    record->text = text.GetText();
    record->note = note;
}

QString COutlineItem::GetDrawing() const { return record ? record->drawing : QString(); }

void COutlineItem::SetDrawing(const QString& name) {
    if (record) record->drawing = name;
    if (!name.isEmpty()) {
        drawingWidth = kDrawingSize;
        drawingHeight = kDrawingSize;
    }
}

void COutlineItem::ClearDrawing() {
    if (record) record->drawing = QString();
    drawingWidth = 0;
    drawingHeight = 0;
}
