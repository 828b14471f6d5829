#pragma once
// One hard line of an item's text (no CR, no terminator) and its visual rows for the last
// width and font it was wrapped to. Wrapped lines always have at least one row; a line
// that was never wrapped has none. A single row is kept inside the object, so a short
// line costs no heap block beyond its characters.

#include <cstdint>

#include "editor/text/CBufMan.h"
#include "editor/text/TextPos.h"

class CTextFont;
namespace platform { class TextMeasurer; }

class CTextLine : public CBufMan {
public:
    static constexpr uint32_t kGrowStep = 40;  // bytes: twenty characters

    CTextLine() : CBufMan(kGrowStep) {}
    CTextLine(const char16_t* text, int32_t length);
    ~CTextLine();
    CTextLine(CTextLine&& other) noexcept;
    CTextLine& operator=(CTextLine&& other) noexcept;
    // A deep copy, rows and dirtiness included (printing wraps copies of item texts).
    CTextLine(const CTextLine& other);
    CTextLine& operator=(const CTextLine& other);

    // Both ignore out-of-range requests (index beyond the line is clamped to its end).
    void Insert(int32_t index, const char16_t* text, int32_t count);
    void Remove(int32_t index, int32_t count);
    void Append(const char16_t* text, int32_t count) { Insert(Length(), text, count); }

    int32_t Length() const { return static_cast<int32_t>(length_ / 2); }
    // Null while the line has never held a character.
    const char16_t* Text() const { return reinterpret_cast<const char16_t*>(data_); }

    // Recomputes the rows for `width` pixels. Every row holds at least one character, so
    // this always ends, whatever the width.
    void Wrap(platform::TextMeasurer& device, const CTextFont& font, int32_t width);

    int32_t RowCount() const { return static_cast<int32_t>(rowCount_); }
    // Row r of the line; {0, 0, 0} when r is out of range.
    RowSegment Row(int32_t r) const;

    // Within this line only. Rows out of range clamp to the last row; a line never
    // wrapped behaves as one row holding the whole line.
    int32_t RowToChar(RowPos pos) const;
    RowPos CharToRow(int32_t index) const;

    bool IsDirty() const { return dirty_; }
    void SetDirty(bool dirty) { dirty_ = dirty; }

    // Heap bytes held (characters and rows), for memory accounting.
    uint32_t HeapBytes() const;

private:
    void SetRows(const RowSegment* rows, uint32_t count);
    void FreeRows();
    const RowSegment* Rows() const { return rowCount_ > 1 ? rows_.many : &rows_.one; }

    uint32_t rowCount_ : 31 = 0;
    uint32_t dirty_ : 1 = 0;
    union RowStore {
        RowSegment one;
        RowSegment* many;
        RowStore() : one{} {}
    } rows_;
};
