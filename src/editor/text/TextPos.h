#pragma once
// The two ways to name a place in an item's text. A TextPos is stable across re-wraps;
// a RowPos changes meaning whenever the text is wrapped again, so convert a RowPos to a
// TextPos before editing.

#include <cstdint>

// Logical place: before character `ch` of hard line `line`; {length, line} is the end of
// the line.
struct TextPos {
    int32_t ch = 0;
    int32_t line = 0;

    bool operator==(const TextPos&) const = default;
    bool operator<(const TextPos& o) const { return line != o.line ? line < o.line : ch < o.ch; }
    bool operator<=(const TextPos& o) const { return !(o < *this); }
};

// Visual place: column `col` (0 .. row length) of visual row `row`, the rows counted over
// all lines of the item from 0.
struct RowPos {
    int32_t col = 0;
    int32_t row = 0;

    bool operator==(const RowPos&) const = default;
};

// One visual row of a hard line.
struct RowSegment {
    int32_t start = 0;   // first character of the row in the line
    int32_t length = 0;  // characters of the row, the blanks it was broken at included
    int32_t end = 0;     // last character when another row follows; the line length otherwise

    bool operator==(const RowSegment&) const = default;
};
