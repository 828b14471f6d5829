#pragma once
// The text of one outline item: a list of hard lines, each broken into visual rows for
// one width and font. Not a window: views paint the rows, move the caret over them and
// turn mouse positions into text positions; the outline operations edit through it; find
// searches it. Rows are valid only after WrapAll/WrapDirty with the view's font and width;
// edits mark the lines they touch dirty so that WrapDirty re-wraps just those.
//
// Invariant: after every public operation except Clear() there is at least one line.
// Positions are checked: an edit at an invalid place does nothing and returns false, a
// conversion of an invalid place comes back clamped into the text.
//
// One of these lives in every item of an outline, so it is kept small: an item's lines
// sit in one vector, a line's only row inside the line, and dirtiness as a flag per line.

#include <cstdint>
#include <vector>

#include <QString>
#include <QStringView>

#include "editor/text/CTextLine.h"
#include "editor/text/TextPos.h"

class CTextFont;
namespace platform { class TextMeasurer; }

// Search flags, shared with the find and replace dialog.
enum FindFlags : uint32_t {
    kFindMatchCase = 1,
    kFindWholeWord = 2,
    kFindUp = 16,
};

class CTextCtrl {
public:
    CTextCtrl();
    // Copies are independent texts with the same lines and rows (printing wraps copies).
    CTextCtrl(const CTextCtrl&) = default;
    CTextCtrl& operator=(const CTextCtrl&) = default;
    CTextCtrl(CTextCtrl&&) noexcept = default;
    CTextCtrl& operator=(CTextCtrl&&) noexcept = default;

    // Replaces the whole text; CR LF and a lone CR both end a line, an LF alone does not.
    void SetText(QStringView text);
    // Lines joined with CR LF; empty when IsEmpty().
    QString GetText() const;
    bool IsEmpty() const;

    // Deletes every line and forgets the rows. The text has no line until InsertLine.
    void Clear();

    // Inserts a line before `index` (-1 or beyond the end appends) and marks it dirty.
    // length -1 takes text up to its zero terminator; a null text is an empty line.
    // Returns the index of the new line.
    int32_t InsertLine(const char16_t* text, int32_t length, int32_t index);
    // Does nothing when index is out of range.
    void RemoveLine(int32_t index);

    int32_t LineCount() const { return static_cast<int32_t>(lines_.size()); }
    int32_t LineLength(int32_t line) const;        // 0 for an invalid line
    const char16_t* LineText(int32_t line) const;  // null for an invalid or never-filled line
    const CTextLine* Line(int32_t line) const;     // null for an invalid line

    // Inserts text (CR, CR LF: line breaks) at {ch, line}; *end (when given) receives the
    // place right after the inserted text. False, and nothing done, for an invalid place.
    bool InsertText(int32_t line, int32_t ch, QStringView text, TextPos* end = nullptr);
    bool InsertText(TextPos at, QStringView text, TextPos* end = nullptr) {
        return InsertText(at.line, at.ch, text, end);
    }
    // Deletes from `from` up to `to` (from <= to). False, and nothing done, when either
    // place is invalid or they are out of order.
    bool DeleteRange(TextPos from, TextPos to);
    // The text between two places, lines joined with CR LF; empty for invalid places.
    QString GetRangeText(TextPos from, TextPos to) const;
    TextPos EndPos() const;  // end of the last line

    // Return the total row count. WrapDirty returns 0 when no line was dirty.
    int32_t WrapAll(platform::TextMeasurer& device, const CTextFont& font, int32_t width);
    int32_t WrapDirty(platform::TextMeasurer& device, const CTextFont& font, int32_t width);
    // As of the last wrap; 0 means never wrapped.
    int32_t RowCount() const { return rowCount_; }
    int32_t DirtyLineCount() const;

    // A row beyond the last line gives *line = LineCount() and *rowInLine = 0.
    void RowToLine(int32_t row, int32_t* line, int32_t* rowInLine) const;
    // First character and length of a visual row; *text is null when the length is 0.
    // Returns false (null, 0) when the row does not exist.
    bool GetRow(int32_t row, const char16_t** text, int32_t* length) const;

    TextPos VisualToLogical(RowPos pos) const;
    RowPos LogicalToVisual(TextPos pos) const;
    bool IsValidTextPos(TextPos pos) const;
    bool IsValidRowPos(RowPos pos) const;

    // Searches for `what` from `start` (flags: kFindMatchCase, kFindWholeWord, kFindUp).
    // Without kFindMatchCase the caller passes `what` through SearchUpper(). Upward, the
    // nearest hit that ends at or before `start` is found. With `wrap` the search goes
    // round the text once. An empty `what` is never found.
    bool Find(QStringView what, TextPos start, uint32_t flags, bool wrap, TextPos* found) const;

    // Offset of the first (or, with fromEnd, the last) acceptable hit of `what` in `text`,
    // or -1. With wholeWord a hit needs a non-word character (or the start of `text`)
    // before it and a non-word character (or the end) after it.
    static int32_t FindInString(QStringView text, QStringView what, bool wholeWord,
                                bool fromEnd = false);
    // Upper case one code unit at a time, so offsets into the result match the original.
    static QString SearchUpper(QStringView text);
    // Letters, digits, combining marks and '_'.
    static bool IsWordChar(char16_t ch);

    // Heap bytes held by this item's text, for memory accounting.
    size_t HeapBytes() const;

private:
    void MarkDirty(CTextLine& line);

    std::vector<CTextLine> lines_;
    int32_t rowCount_ = 0;
    // A line went away since the last wrap: the row count must be summed again even when
    // no line is dirty.
    bool linesRemoved_ = false;
};
