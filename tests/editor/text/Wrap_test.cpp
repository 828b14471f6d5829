// Word wrap, row lookup and hit testing with made-up metrics: every character 10 pixels
// wide unless a case says otherwise, tab stops every 40 pixels.

#include <vector>

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>

#include "editor/text/CTextCtrl.h"
#include "editor/text/CTextFont.h"
#include "editor/text/TextMeasure.h"
#include "platform/FixedTextMeasurer.h"

namespace {

class WrapTest : public ::testing::Test {
protected:
    void SetUp() override { Remeasure(); }
    void Remeasure() { font.Measure(device, 16); }  // tab = half a default stop = 40 px

    int32_t Wrap(CTextCtrl& t, QStringView text, int32_t width) {
        t.SetText(text);
        return t.WrapAll(device, font, width);
    }

    QStringList Rows(const CTextCtrl& t) {
        QStringList out;
        for (int32_t r = 0; r < t.RowCount(); ++r) {
            const char16_t* p = nullptr;
            int32_t n = -1;
            EXPECT_TRUE(t.GetRow(r, &p, &n));
            out << QString(reinterpret_cast<const QChar*>(p), n);
        }
        return out;
    }

    platform::FixedTextMeasurer device{10};
    CTextFont font;
};

TEST_F(WrapTest, MeasureFillsTheTables) {
    device.SetCharWidth(u'W', 17);
    Remeasure();
    EXPECT_TRUE(font.IsMeasured());
    EXPECT_EQ(font.CharWidth(u'W'), 17);
    EXPECT_EQ(font.CharWidth(u'a'), 10);
    EXPECT_EQ(font.CharWidth(u'\u4e2d'), font.Metrics().aveCharWidth);
    EXPECT_EQ(font.TabWidth(), 40);
    font.Measure(device, 32);
    EXPECT_EQ(font.TabWidth(), 80);
    font.SetFont(QFont());
    EXPECT_FALSE(font.IsMeasured());
    EXPECT_EQ(font.CharWidth(u'W'), 0);
}

TEST_F(WrapTest, TextExtentAndFitChars) {
    const char16_t* text = u"ab\tcdefgh";
    EXPECT_EQ(TextExtent(device, font, text, 0), 0);
    EXPECT_EQ(TextExtent(device, font, text, -3), 0);
    EXPECT_EQ(TextExtent(device, font, text, 2), 20);
    EXPECT_EQ(TextExtent(device, font, text, 3), 40);  // tab to the first stop
    EXPECT_EQ(TextExtent(device, font, text, 4), 50);

    struct Case { int32_t max, from, to, expected; };
    const Case cases[] = {
        {45, 0, 9, 3},   // "ab\t" = 40 fits, "ab\tc" = 50 does not
        {50, 0, 9, 4},   // exactly full
        {1000, 0, 9, 9}, // everything fits
        {5, 0, 9, 0},    // not even one character
        {25, 3, 9, 5},   // measured from `from`
        {0, 4, 4, 4},    // nothing to fit
    };
    for (const Case& c : cases)
        EXPECT_EQ(FitChars(device, font, c.max, text, c.from, c.to), c.expected)
            << c.max << " " << c.from;
}

TEST_F(WrapTest, FitCharsStopsAtLineFeed) {
    const char16_t* text = u"ab\ncd";
    EXPECT_EQ(FitChars(device, font, 1000, text, 0, 5), 2);
    EXPECT_EQ(FitChars(device, font, 1000, text, 2, 5), 5);
}

TEST_F(WrapTest, ExactMeasureCorrectsTheTableEstimate) {
    const char16_t* text = u"abcdefghij";
    // Strings measure 15 px wider than the table says: the fit must shrink.
    device.SetStringAdjust(15);
    EXPECT_EQ(FitChars(device, font, 60, text, 0, 10), 4);  // 40+15 fits, 50+15 does not
    // ...and 15 px narrower: the fit must grow beyond the estimate.
    device.SetStringAdjust(-15);
    EXPECT_EQ(FitChars(device, font, 60, text, 0, 10), 7);
}

TEST_F(WrapTest, ExactMeasureRunsOnlyAFewTimesPerRow) {
    QString text;
    for (int i = 0; i < 100; ++i) text += u"word ";
    CTextCtrl t;
    t.SetText(text);
    device.ResetExtentCalls();
    const int32_t rows = t.WrapAll(device, font, 300);
    EXPECT_EQ(rows, 17);
    EXPECT_LE(device.ExtentCalls(), 3 * rows);
}

struct RowsCase {
    const char* name;
    QString text;
    int32_t width;
    QStringList rows;
};

TEST_F(WrapTest, BreaksRows) {
    const RowsCase cases[] = {
        {"empty line", u""_qs, 100, {u""_qs}},
        {"fits", u"hello"_qs, 100, {u"hello"_qs}},
        {"blank stays in the upper row", u"hello world"_qs, 70, {u"hello "_qs, u"world"_qs}},
        {"several blanks", u"ab   cd"_qs, 40, {u"ab  "_qs, u" cd"_qs}},
        {"long word is cut", u"abcdefghij"_qs, 40, {u"abcd"_qs, u"efgh"_qs, u"ij"_qs}},
        {"word then long word", u"a bcdefgh"_qs, 50, {u"a "_qs, u"bcdef"_qs, u"gh"_qs}},
        {"LF ends a row", u"a\nb"_qs, 100, {u"a"_qs, u"\nb"_qs}},
        {"LF LF", u"a\n\nb"_qs, 100, {u"a"_qs, u"\n"_qs, u"\nb"_qs}},
        {"two hard lines", u"abc def\r\nxy"_qs, 40, {u"abc "_qs, u"def"_qs, u"xy"_qs}},
        // Whatever the width, every row takes at least one character.
        {"zero width", u"abc"_qs, 0, {u"a"_qs, u"b"_qs, u"c"_qs}},
        {"negative width", u"ab"_qs, -50, {u"a"_qs, u"b"_qs}},
        {"narrower than a char", u"a b"_qs, 5, {u"a"_qs, u" "_qs, u"b"_qs}},
        {"surrogate pair kept whole", u"\U0001F600\U0001F600"_qs, 5,
         {u"\U0001F600"_qs, u"\U0001F600"_qs}},
        {"pair not parted by a cut", u"a\U0001F600\U0001F600"_qs, 45,
         {u"a\U0001F600"_qs, u"\U0001F600"_qs}},
        {"no-break space holds", u"ab\u00a0cd ef"_qs, 40, {u"ab\u00a0c"_qs, u"d ef"_qs}},
    };
    for (const RowsCase& c : cases) {
        CTextCtrl t;
        const int32_t n = Wrap(t, c.text, c.width);
        EXPECT_EQ(Rows(t), c.rows) << c.name;
        EXPECT_EQ(n, c.rows.size()) << c.name;
    }
}

TEST_F(WrapTest, FirstCharacterWiderThanTheRow) {
    device.SetCharWidth(u'W', 500);
    Remeasure();
    CTextCtrl t;
    EXPECT_EQ(Wrap(t, u"Wab", 100), 2);
    EXPECT_EQ(Rows(t), (QStringList{u"W"_qs, u"ab"_qs}));
}

TEST_F(WrapTest, RowSegmentsAndConversions) {
    CTextCtrl t;
    ASSERT_EQ(Wrap(t, u"hello world", 70), 2);
    const CTextLine* line = t.Line(0);
    EXPECT_EQ(line->Row(0), (RowSegment{0, 6, 5}));
    EXPECT_EQ(line->Row(1), (RowSegment{6, 5, 11}));
    // The start of a continuation row names the end of the row above it.
    EXPECT_EQ(t.LogicalToVisual({6, 0}), (RowPos{6, 0}));
    EXPECT_EQ(t.VisualToLogical({0, 1}), (TextPos{6, 0}));
    EXPECT_EQ(t.VisualToLogical({6, 0}), (TextPos{6, 0}));
    EXPECT_EQ(t.LogicalToVisual({7, 0}), (RowPos{1, 1}));
    EXPECT_EQ(t.LogicalToVisual({11, 0}), (RowPos{5, 1}));
    EXPECT_EQ(t.VisualToLogical({5, 1}), (TextPos{11, 0}));
}

TEST_F(WrapTest, ConversionsRoundTripOverSeveralLines) {
    CTextCtrl t;
    ASSERT_EQ(Wrap(t, u"aaa bbb ccc\r\n\r\nddd eee", 40), 6);
    for (int32_t line = 0; line < t.LineCount(); ++line)
        for (int32_t ch = 0; ch <= t.LineLength(line); ++ch) {
            const RowPos v = t.LogicalToVisual({ch, line});
            EXPECT_TRUE(t.IsValidRowPos(v)) << ch << "," << line;
            EXPECT_EQ(t.VisualToLogical(v), (TextPos{ch, line})) << ch << "," << line;
        }
    int32_t line = -1, rowInLine = -1;
    t.RowToLine(3, &line, &rowInLine);
    EXPECT_EQ(line, 1);
    EXPECT_EQ(rowInLine, 0);
    t.RowToLine(5, &line, &rowInLine);
    EXPECT_EQ(line, 2);
    EXPECT_EQ(rowInLine, 1);
    t.RowToLine(6, &line, &rowInLine);
    EXPECT_EQ(line, 3);
    EXPECT_EQ(rowInLine, 0);
    EXPECT_EQ(t.VisualToLogical({0, 6}), t.EndPos());  // beyond the rows: the end
}

TEST_F(WrapTest, ValidRowPositions) {
    CTextCtrl t;
    EXPECT_FALSE(t.IsValidRowPos({0, 0}));  // never wrapped
    ASSERT_EQ(Wrap(t, u"hello world", 70), 2);
    EXPECT_TRUE(t.IsValidRowPos({6, 0}));
    EXPECT_FALSE(t.IsValidRowPos({7, 0}));
    EXPECT_TRUE(t.IsValidRowPos({5, 1}));
    EXPECT_FALSE(t.IsValidRowPos({6, 1}));
    EXPECT_FALSE(t.IsValidRowPos({0, 2}));
    EXPECT_FALSE(t.IsValidRowPos({-1, 0}));
    const char16_t* p = u"sentinel";
    int32_t n = 9;
    EXPECT_FALSE(t.GetRow(2, &p, &n));
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(n, 0);
}

TEST_F(WrapTest, EmptyTextHasOneEmptyRow) {
    CTextCtrl t;
    EXPECT_EQ(Wrap(t, u"", 100), 1);
    const char16_t* p = u"x";
    int32_t n = -1;
    EXPECT_TRUE(t.GetRow(0, &p, &n));
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(t.LogicalToVisual({0, 0}), (RowPos{0, 0}));
}

TEST_F(WrapTest, OnlyDirtyLinesWrapAgain) {
    CTextCtrl t;
    ASSERT_EQ(Wrap(t, u"aaaa\r\nbbbb\r\ncccc", 100), 3);
    EXPECT_EQ(t.DirtyLineCount(), 0);
    EXPECT_EQ(t.WrapDirty(device, font, 100), 0);  // nothing to do

    ASSERT_TRUE(t.InsertText(TextPos{4, 1}, u" bbbb bbbb"));
    EXPECT_EQ(t.DirtyLineCount(), 1);
    device.ResetExtentCalls();
    EXPECT_EQ(t.WrapDirty(device, font, 100), 4);
    EXPECT_EQ(Rows(t), (QStringList{u"aaaa"_qs, u"bbbb bbbb "_qs, u"bbbb"_qs, u"cccc"_qs}));
    const int32_t oneLineCalls = device.ExtentCalls();
    EXPECT_GT(oneLineCalls, 0);
    EXPECT_EQ(t.DirtyLineCount(), 0);

    // A width change is the view's business: WrapDirty keeps the old rows of clean lines.
    EXPECT_EQ(t.WrapDirty(device, font, 30), 0);
    EXPECT_EQ(t.WrapAll(device, font, 30), 10);
}

TEST_F(WrapTest, RemovedLinesAreRecounted) {
    CTextCtrl t;
    ASSERT_EQ(Wrap(t, u"a\r\nb\r\nc", 100), 3);
    t.RemoveLine(2);
    EXPECT_EQ(t.WrapDirty(device, font, 100), 2);
    EXPECT_EQ(t.RowCount(), 2);
    ASSERT_TRUE(t.DeleteRange({1, 0}, {1, 1}));
    EXPECT_EQ(t.DirtyLineCount(), 1);
    EXPECT_EQ(t.WrapDirty(device, font, 100), 1);
}

TEST_F(WrapTest, SetTextNeedsAFullWrap) {
    CTextCtrl t;
    ASSERT_EQ(Wrap(t, u"abc", 100), 1);
    t.SetText(u"abc def ghi");
    EXPECT_EQ(t.RowCount(), 0);
    EXPECT_EQ(t.WrapDirty(device, font, 40), 3);
}

TEST_F(WrapTest, CopiesAreIndependent) {
    CTextCtrl original;
    ASSERT_EQ(Wrap(original, u"hello world\r\nsecond line here", 70), 5);
    CTextCtrl copy = original;
    EXPECT_EQ(copy.RowCount(), 5);
    EXPECT_EQ(Rows(copy), Rows(original));
    EXPECT_EQ(copy.WrapAll(device, font, 1000), 2);
    ASSERT_TRUE(copy.InsertText(TextPos{0, 0}, u"x"));
    EXPECT_EQ(original.GetText(), u"hello world\r\nsecond line here"_qs);
    EXPECT_EQ(original.RowCount(), 5);
    EXPECT_EQ(Rows(original).front(), u"hello "_qs);
    copy = original;
    EXPECT_EQ(copy.GetText(), original.GetText());
    EXPECT_EQ(Rows(copy), Rows(original));
}

TEST_F(WrapTest, CharAtX) {
    const char16_t* row = u"abcdef";
    struct Case { int32_t x, left, expected; };
    const Case cases[] = {
        {5, 20, 0},    // left of the row
        {20, 20, 0},   // on its left edge
        {29, 20, 0},   // inside the first character
        {30, 20, 1},
        {55, 20, 3},
        {999, 20, 6},  // right of the end
    };
    for (const Case& c : cases)
        EXPECT_EQ(CharAtX(c.x, c.left, device, font, row, 6), c.expected) << c.x;
    EXPECT_EQ(CharAtX(500, 0, device, font, row, 0), 0);
}

TEST_F(WrapTest, StaleRowsNeverPointOutsideTheLine) {
    CTextCtrl t;
    ASSERT_EQ(Wrap(t, u"abcdefghij", 40), 3);
    ASSERT_TRUE(t.DeleteRange({2, 0}, {10, 0}));  // rows still describe ten characters
    for (int32_t row = 0; row < 3; ++row)
        for (int32_t col = 0; col <= 4; ++col)
            EXPECT_TRUE(t.IsValidTextPos(t.VisualToLogical({col, row}))) << col << "," << row;
    EXPECT_TRUE(t.LogicalToVisual({2, 0}).col >= 0);
}

}  // namespace
