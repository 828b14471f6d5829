#include "editor/text/CTextCtrl.h"

#include <algorithm>
#include <iterator>
#include <string_view>

#include <QChar>

#include "editor/text/CTextFont.h"

namespace {

constexpr char16_t kCR = 13;
constexpr char16_t kLF = 10;

std::u16string_view View(QStringView s) { return {s.utf16(), size_t(s.size())}; }

}  // namespace

CTextCtrl::CTextCtrl() { lines_.emplace_back(); }

void CTextCtrl::SetText(QStringView text) {
    // Like Clear(), but an item that had a line or two keeps its vector block: loading a
    // document sets the text of every freshly made item.
    lines_.clear();
    if (lines_.capacity() > 4) lines_.shrink_to_fit();
    rowCount_ = 0;
    linesRemoved_ = false;
    InsertLine(nullptr, 0, -1);
    InsertText(0, 0, text);
}

QString CTextCtrl::GetText() const {
    if (IsEmpty()) return {};
    return GetRangeText({0, 0}, EndPos());
}

bool CTextCtrl::IsEmpty() const {
    return lines_.empty() || (lines_.size() == 1 && lines_[0].Length() == 0);
}

void CTextCtrl::Clear() {
    lines_.clear();
    lines_.shrink_to_fit();
    rowCount_ = 0;
    linesRemoved_ = false;
}

int32_t CTextCtrl::InsertLine(const char16_t* text, int32_t length, int32_t index) {
    if (text == nullptr)
        length = 0;
    else if (length < 0)
        length = int32_t(std::char_traits<char16_t>::length(text));
    if (index < 0 || index > LineCount()) index = LineCount();
    auto it = lines_.emplace(lines_.begin() + index, text, length);
    it->SetDirty(true);
    return index;
}

void CTextCtrl::RemoveLine(int32_t index) {
    if (index < 0 || index >= LineCount()) return;
    lines_.erase(lines_.begin() + index);
    linesRemoved_ = true;
}

int32_t CTextCtrl::LineLength(int32_t line) const {
    const CTextLine* l = Line(line);
    return l ? l->Length() : 0;
}

const char16_t* CTextCtrl::LineText(int32_t line) const {
    const CTextLine* l = Line(line);
    return l ? l->Text() : nullptr;
}

const CTextLine* CTextCtrl::Line(int32_t line) const {
    if (line < 0 || line >= LineCount()) return nullptr;
    return &lines_[size_t(line)];
}

void CTextCtrl::MarkDirty(CTextLine& line) { line.SetDirty(true); }

bool CTextCtrl::InsertText(int32_t line, int32_t ch, QStringView text, TextPos* end) {
    if (!IsValidTextPos({ch, line})) return false;
    if (text.isEmpty()) {
        if (end) *end = {ch, line};
        return true;
    }
    const char16_t* p = text.utf16();
    const qsizetype n = text.size();

    // Pieces after the first CR become new lines; they are built aside and put in with
    // one vector insert, so a paste of many lines does not shift the vector per line.
    std::vector<CTextLine> added;
    qsizetype pieceStart = 0;
    qsizetype firstEnd = -1;
    for (qsizetype i = 0; i <= n; ++i) {
        if (i < n && p[i] != kCR) continue;
        if (firstEnd < 0)
            firstEnd = i;
        else
            added.emplace_back(p + pieceStart, int32_t(i - pieceStart));
        if (i < n && i + 1 < n && p[i + 1] == kLF) ++i;
        pieceStart = i + 1;
    }

    CTextLine& first = lines_[size_t(line)];
    const int32_t tailLength = first.Length() - ch;
    // A line without a break keeps its tail where it is; otherwise the tail moves to the
    // last new line.
    if (added.empty()) {
        first.Insert(ch, p, int32_t(firstEnd));
        MarkDirty(first);
        if (end) *end = {ch + int32_t(firstEnd), line};
        return true;
    }
    CTextLine& last = added.back();
    const int32_t lastLength = last.Length();
    if (tailLength > 0) {
        last.Append(first.Text() + ch, tailLength);
        first.Remove(ch, tailLength);
    }
    first.Insert(ch, p, int32_t(firstEnd));
    MarkDirty(first);
    for (CTextLine& l : added) MarkDirty(l);
    const int32_t lastIndex = line + int32_t(added.size());
    lines_.insert(lines_.begin() + line + 1, std::make_move_iterator(added.begin()),
                  std::make_move_iterator(added.end()));
    if (end) *end = {lastLength, lastIndex};
    return true;
}

bool CTextCtrl::DeleteRange(TextPos from, TextPos to) {
    if (!IsValidTextPos(from) || !IsValidTextPos(to) || to < from) return false;
    if (from == to) return true;
    CTextLine& first = lines_[size_t(from.line)];
    if (from.line == to.line) {
        first.Remove(from.ch, to.ch - from.ch);
        MarkDirty(first);
        return true;
    }
    const CTextLine& last = lines_[size_t(to.line)];
    first.Remove(from.ch, first.Length() - from.ch);
    first.Append(last.Text() + to.ch, last.Length() - to.ch);
    MarkDirty(first);
    lines_.erase(lines_.begin() + from.line + 1, lines_.begin() + to.line + 1);
    linesRemoved_ = true;
    if (lines_.empty()) InsertLine(nullptr, 0, -1);
    return true;
}

QString CTextCtrl::GetRangeText(TextPos from, TextPos to) const {
    if (!IsValidTextPos(from) || !IsValidTextPos(to) || to < from) return {};
    const auto chars = [](const CTextLine& l, int32_t at) {
        return reinterpret_cast<const QChar*>(l.Text() + at);
    };
    const CTextLine& first = lines_[size_t(from.line)];
    if (from.line == to.line) return QString(chars(first, from.ch), to.ch - from.ch);
    qsizetype size = first.Length() - from.ch + to.ch;
    for (int32_t l = from.line + 1; l < to.line; ++l) size += lines_[size_t(l)].Length();
    size += 2 * qsizetype(to.line - from.line);
    QString out;
    out.reserve(size);
    out.append(chars(first, from.ch), first.Length() - from.ch);
    for (int32_t l = from.line + 1; l <= to.line; ++l) {
        out.append(u"\r\n");
        const CTextLine& line = lines_[size_t(l)];
        out.append(chars(line, 0), l == to.line ? to.ch : line.Length());
    }
    return out;
}

TextPos CTextCtrl::EndPos() const {
    if (lines_.empty()) return {0, 0};
    return {lines_.back().Length(), LineCount() - 1};
}

int32_t CTextCtrl::WrapAll(platform::TextMeasurer& device, const CTextFont& font, int32_t width) {
    int32_t rows = 0;
    for (CTextLine& l : lines_) {
        l.Wrap(device, font, width);
        l.SetDirty(false);
        rows += l.RowCount();
    }
    rowCount_ = rows;
    linesRemoved_ = false;
    return rowCount_;
}

int32_t CTextCtrl::WrapDirty(platform::TextMeasurer& device, const CTextFont& font, int32_t width) {
    if (rowCount_ <= 0) return WrapAll(device, font, width);
    bool any = linesRemoved_;
    for (CTextLine& l : lines_) {
        if (!l.IsDirty()) continue;
        l.Wrap(device, font, width);
        l.SetDirty(false);
        any = true;
    }
    if (!any) return 0;
    int32_t rows = 0;
    for (const CTextLine& l : lines_) rows += l.RowCount();
    rowCount_ = rows;
    linesRemoved_ = false;
    return rowCount_;
}

int32_t CTextCtrl::DirtyLineCount() const {
    return int32_t(std::count_if(lines_.begin(), lines_.end(),
                                 [](const CTextLine& l) { return l.IsDirty(); }));
}

void CTextCtrl::RowToLine(int32_t row, int32_t* line, int32_t* rowInLine) const {
    int32_t l = 0;
    int32_t r = std::max(row, 0);
    for (; l < LineCount(); ++l) {
        const int32_t n = lines_[size_t(l)].RowCount();
        if (r < n) break;
        r -= n;
    }
    if (l >= LineCount()) r = 0;
    if (line) *line = l;
    if (rowInLine) *rowInLine = r;
}

bool CTextCtrl::GetRow(int32_t row, const char16_t** text, int32_t* length) const {
    if (text) *text = nullptr;
    if (length) *length = 0;
    if (row < 0) return false;
    int32_t l = 0, r = 0;
    RowToLine(row, &l, &r);
    if (l >= LineCount()) return false;
    const CTextLine& line = lines_[size_t(l)];
    const RowSegment seg = line.Row(r);
    if (length) *length = seg.length;
    if (text && seg.length > 0) *text = line.Text() + seg.start;
    return true;
}

TextPos CTextCtrl::VisualToLogical(RowPos pos) const {
    int32_t l = 0, r = 0;
    RowToLine(pos.row, &l, &r);
    if (l >= LineCount()) return EndPos();
    return {lines_[size_t(l)].RowToChar({pos.col, r}), l};
}

RowPos CTextCtrl::LogicalToVisual(TextPos pos) const {
    if (lines_.empty()) return {};
    const int32_t line = std::clamp(pos.line, 0, LineCount() - 1);
    RowPos out = lines_[size_t(line)].CharToRow(pos.ch);
    for (int32_t l = 0; l < line; ++l) out.row += lines_[size_t(l)].RowCount();
    return out;
}

bool CTextCtrl::IsValidTextPos(TextPos pos) const {
    return pos.line >= 0 && pos.line < LineCount() && pos.ch >= 0 &&
           pos.ch <= lines_[size_t(pos.line)].Length();
}

bool CTextCtrl::IsValidRowPos(RowPos pos) const {
    if (pos.row < 0 || pos.row >= rowCount_ || pos.col < 0) return false;
    int32_t l = 0, r = 0;
    RowToLine(pos.row, &l, &r);
    if (l >= LineCount()) return false;
    return pos.col <= lines_[size_t(l)].Row(r).length;
}

bool CTextCtrl::Find(QStringView what, TextPos start, uint32_t flags, bool wrap,
                     TextPos* found) const {
    if (what.isEmpty() || lines_.empty()) return false;
    const bool matchCase = flags & kFindMatchCase;
    const bool wholeWord = flags & kFindWholeWord;
    if (start.line < 0) start = {0, 0};
    start.ch = std::max(start.ch, 0);

    const auto searchIn = [&](int32_t line, int32_t from, int32_t to, bool fromEnd) -> int32_t {
        const QStringView text(lines_[size_t(line)].Text() + from, to - from);
        if (matchCase) return FindInString(text, what, wholeWord, fromEnd);
        return FindInString(SearchUpper(text), what, wholeWord, fromEnd);
    };

    if (!(flags & kFindUp)) {
        for (;;) {
            int32_t ch = start.ch;
            for (int32_t line = start.line; line < LineCount(); ++line, ch = 0) {
                const int32_t len = LineLength(line);
                if (ch >= len) continue;
                const int32_t k = searchIn(line, ch, len, false);
                if (k >= 0) {
                    if (found) *found = {ch + k, line};
                    return true;
                }
            }
            if (!wrap) return false;
            wrap = false;
            start = {0, 0};
        }
    }

    // Upward: only what lies wholly before the start counts, the nearest first.
    if (start.line >= LineCount()) start = EndPos();
    for (;;) {
        int32_t limit = start.ch;
        for (int32_t line = start.line; line >= 0; --line) {
            if (line != start.line) limit = LineLength(line);
            limit = std::min(limit, LineLength(line));
            if (limit <= 0) continue;
            const int32_t k = searchIn(line, 0, limit, true);
            if (k >= 0) {
                if (found) *found = {k, line};
                return true;
            }
        }
        if (!wrap) return false;
        wrap = false;
        start = EndPos();
    }
}

int32_t CTextCtrl::FindInString(QStringView text, QStringView what, bool wholeWord,
                                bool fromEnd) {
    const std::u16string_view t = View(text);
    const std::u16string_view w = View(what);
    if (w.empty() || w.size() > t.size()) return -1;
    const auto acceptable = [&](size_t k) {
        if (!wholeWord) return true;
        if (k > 0 && IsWordChar(t[k - 1])) return false;
        const size_t after = k + w.size();
        return after >= t.size() || !IsWordChar(t[after]);
    };
    if (!fromEnd) {
        for (size_t k = t.find(w); k != t.npos; k = t.find(w, k + 1))
            if (acceptable(k)) return int32_t(k);
        return -1;
    }
    for (size_t k = t.rfind(w); k != t.npos; k = k == 0 ? t.npos : t.rfind(w, k - 1))
        if (acceptable(k)) return int32_t(k);
    return -1;
}

QString CTextCtrl::SearchUpper(QStringView text) {
    QString out(text.size(), Qt::Uninitialized);
    char16_t* o = reinterpret_cast<char16_t*>(out.data());
    const char16_t* p = text.utf16();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = p[i];
        if (c < 0x80) {
            o[i] = (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c;
        } else if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(p[i + 1])) {
            const char32_t u = QChar::toUpper(QChar::surrogateToUcs4(c, p[i + 1]));
            if (QChar::requiresSurrogates(u)) {
                o[i] = QChar::highSurrogate(u);
                o[i + 1] = QChar::lowSurrogate(u);
            } else {
                o[i] = c;
                o[i + 1] = p[i + 1];
            }
            ++i;
        } else {
            const char32_t u = QChar::toUpper(char32_t(c));
            o[i] = QChar::requiresSurrogates(u) ? c : char16_t(u);
        }
    }
    return out;
}

bool CTextCtrl::IsWordChar(char16_t ch) {
    if (ch < 0x80)
        return (ch >= u'a' && ch <= u'z') || (ch >= u'A' && ch <= u'Z') ||
               (ch >= u'0' && ch <= u'9') || ch == u'_';
    if (QChar::isSurrogate(ch)) return false;
    return QChar::isLetterOrNumber(char32_t(ch)) || QChar::isMark(char32_t(ch));
}

size_t CTextCtrl::HeapBytes() const {
    size_t bytes = lines_.capacity() * sizeof(CTextLine);
    for (const CTextLine& l : lines_) bytes += l.HeapBytes();
    return bytes;
}
