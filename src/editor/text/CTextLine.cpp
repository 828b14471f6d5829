#include "editor/text/CTextLine.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include <QChar>

#include "editor/text/CTextFont.h"
#include "editor/text/TextMeasure.h"

CTextLine::CTextLine(const char16_t* text, int32_t length) : CBufMan(kGrowStep) {
    if (text != nullptr && length > 0) Insert(0, text, length);
}

CTextLine::~CTextLine() { FreeRows(); }

CTextLine::CTextLine(CTextLine&& other) noexcept : CBufMan(std::move(other)) {
    rowCount_ = other.rowCount_;
    dirty_ = other.dirty_;
    rows_ = other.rows_;
    other.rowCount_ = 0;
    other.dirty_ = 0;
    other.rows_.one = {};
}

CTextLine& CTextLine::operator=(CTextLine&& other) noexcept {
    if (this != &other) {
        FreeRows();
        CBufMan::operator=(std::move(other));
        rowCount_ = other.rowCount_;
        dirty_ = other.dirty_;
        rows_ = other.rows_;
        other.rowCount_ = 0;
        other.dirty_ = 0;
        other.rows_.one = {};
    }
    return *this;
}

CTextLine::CTextLine(const CTextLine& other) : CBufMan(kGrowStep) { *this = other; }

CTextLine& CTextLine::operator=(const CTextLine& other) {
    if (this == &other) return *this;
    if (Replace(0, length_, other.data_, other.length_) != 0) {
        // No memory for the copy: an empty line, to be wrapped again, beats half a copy.
        Replace(0, length_, nullptr, 0);
        FreeRows();
        dirty_ = 1;
        return *this;
    }
    SetRows(other.Rows(), other.rowCount_);
    dirty_ = other.dirty_;
    return *this;
}

void CTextLine::Insert(int32_t index, const char16_t* text, int32_t count) {
    if (count <= 0 || text == nullptr) return;
    index = std::clamp(index, 0, Length());
    Replace(uint32_t(index) * 2, 0, text, uint32_t(count) * 2);
}

void CTextLine::Remove(int32_t index, int32_t count) {
    if (count <= 0 || index < 0 || index >= Length()) return;
    count = std::min(count, Length() - index);
    Replace(uint32_t(index) * 2, uint32_t(count) * 2, nullptr, 0);
}

void CTextLine::FreeRows() {
    if (rowCount_ > 1) std::free(rows_.many);
    rowCount_ = 0;
    rows_.one = {};
}

void CTextLine::SetRows(const RowSegment* rows, uint32_t count) {
    FreeRows();
    if (count > 1) {
        auto* block = static_cast<RowSegment*>(std::malloc(sizeof(RowSegment) * count));
        if (block == nullptr) {
            // Out of memory: one row holding the whole line is still a valid layout.
            rows_.one = {0, Length(), Length()};
            rowCount_ = 1;
            return;
        }
        std::memcpy(block, rows, sizeof(RowSegment) * count);
        rows_.many = block;
    } else if (count == 1) {
        rows_.one = rows[0];
    }
    rowCount_ = count;
}

void CTextLine::Wrap(platform::TextMeasurer& device, const CTextFont& font, int32_t width) {
    const int32_t size = Length();
    if (size == 0) {
        const RowSegment empty{0, 0, 0};
        SetRows(&empty, 1);
        return;
    }
    // Rows are collected aside and copied once into a block of the exact size.
    thread_local std::vector<RowSegment> rows;
    rows.clear();
    const char16_t* text = Text();
    int32_t pos = 0;
    while (pos < size) {
        const int32_t start = pos;
        int32_t fit = FitChars(device, font, width, text, pos, size);
        // Not even one character fits: the row takes one anyway, so wrapping always ends.
        if (fit <= pos) fit = pos + 1;
        // Never part the halves of a surrogate pair.
        if (fit < size && QChar::isLowSurrogate(text[fit]) && QChar::isHighSurrogate(text[fit - 1]))
            fit = fit - 1 > pos ? fit - 1 : fit + 1;
        int32_t brk = fit;
        if (fit < size) {
            while (brk > pos && !IsWrapSpace(text[brk])) --brk;
            if (brk == pos) brk = fit;  // no blank in the row: cut inside the word
        }
        pos = brk;
        while (pos < fit && IsWrapSpace(text[pos])) ++pos;
        rows.push_back({start, std::max(pos - start, 0), pos < size ? pos - 1 : pos});
    }
    SetRows(rows.data(), uint32_t(rows.size()));
}

RowSegment CTextLine::Row(int32_t r) const {
    if (r < 0 || r >= RowCount()) return {};
    return Rows()[r];
}

int32_t CTextLine::RowToChar(RowPos pos) const {
    const int32_t len = Length();
    if (rowCount_ == 0) return std::clamp(pos.col, 0, len);
    const int32_t r = std::clamp(pos.row, 0, RowCount() - 1);
    const RowSegment& s = Rows()[r];
    const int32_t col = std::max(pos.col, 0);
    // Rows left stale by an edit could point past the text; keep the answer inside it.
    if (col < s.length) return std::min(s.start + col, len);
    return std::min(s.end + 1, len);
}

RowPos CTextLine::CharToRow(int32_t index) const {
    const int32_t len = Length();
    index = std::clamp(index, 0, len);
    if (rowCount_ == 0) return {index, 0};
    const RowSegment* rows = Rows();
    const int32_t last = RowCount() - 1;
    if (index == len) return {rows[last].length, last};
    for (int32_t r = 0; r < last; ++r)
        if (rows[r].start + rows[r].length >= index) return {std::max(index - rows[r].start, 0), r};
    return {std::max(index - rows[last].start, 0), last};
}

uint32_t CTextLine::HeapBytes() const {
    return Capacity() + (rowCount_ > 1 ? uint32_t(sizeof(RowSegment)) * rowCount_ : 0);
}
