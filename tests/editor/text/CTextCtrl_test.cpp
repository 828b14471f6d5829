// The item text as the outline operations see it: setting, reading and editing lines.

#include "editor/text/CTextCtrl.h"

#include <vector>

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>

namespace {

QStringList Lines(const CTextCtrl& t) {
    QStringList out;
    for (int32_t i = 0; i < t.LineCount(); ++i)
        out << QString(reinterpret_cast<const QChar*>(t.LineText(i)), t.LineLength(i));
    return out;
}

CTextCtrl Make(QStringView text) {
    CTextCtrl t;
    t.SetText(text);
    return t;
}

TEST(CTextCtrlSetText, LineBreaksAndReadBack) {
    struct Case {
        const char* name;
        QString text;
        QStringList lines;
        QString readBack;
    };
    const Case cases[] = {
        {"empty", u""_qs, {u""_qs}, u""_qs},
        {"one line", u"abc"_qs, {u"abc"_qs}, u"abc"_qs},
        {"CR LF", u"a\r\nb"_qs, {u"a"_qs, u"b"_qs}, u"a\r\nb"_qs},
        {"lone CR", u"a\rb"_qs, {u"a"_qs, u"b"_qs}, u"a\r\nb"_qs},
        {"lone LF stays in the line", u"a\nb"_qs, {u"a\nb"_qs}, u"a\nb"_qs},
        {"CR CR LF", u"a\r\r\nb"_qs, {u"a"_qs, u""_qs, u"b"_qs}, u"a\r\n\r\nb"_qs},
        {"LF CR", u"a\n\rb"_qs, {u"a\n"_qs, u"b"_qs}, u"a\n\r\nb"_qs},
        {"trailing break", u"a\r\n"_qs, {u"a"_qs, u""_qs}, u"a\r\n"_qs},
        {"only a break", u"\r\n"_qs, {u""_qs, u""_qs}, u"\r\n"_qs},
    };
    for (const Case& c : cases) {
        const CTextCtrl t = Make(c.text);
        EXPECT_EQ(Lines(t), c.lines) << c.name;
        EXPECT_EQ(t.GetText(), c.readBack) << c.name;
        EXPECT_EQ(t.IsEmpty(), c.text.isEmpty()) << c.name;
    }
}

TEST(CTextCtrlSetText, ReplacesEverythingBefore) {
    CTextCtrl t = Make(u"one\r\ntwo\r\nthree");
    t.SetText(u"x");
    EXPECT_EQ(Lines(t), QStringList{u"x"_qs});
    t.SetText(u"");
    EXPECT_TRUE(t.IsEmpty());
    EXPECT_EQ(t.LineCount(), 1);
}

TEST(CTextCtrlSetText, LongTextSurvivesBufferGrowth) {
    QString text;
    for (int i = 0; i < 500; ++i) text += QString::number(i % 10);
    EXPECT_EQ(Make(text).GetText(), text);
}

TEST(CTextCtrlInsertText, SplitsAtBreaksAndReportsTheEnd) {
    struct Case {
        const char* name;
        QString before;
        TextPos at;
        QString inserted;
        QStringList lines;
        TextPos end;
    };
    const Case cases[] = {
        {"break in the middle", u"abc"_qs, {1, 0}, u"x\r\ny"_qs, {u"ax"_qs, u"ybc"_qs}, {1, 1}},
        {"plain text", u"abc"_qs, {1, 0}, u"xy"_qs, {u"axybc"_qs}, {3, 0}},
        {"at the end", u"abc"_qs, {3, 0}, u"\r\n"_qs, {u"abc"_qs, u""_qs}, {0, 1}},
        {"at the start", u"abc"_qs, {0, 0}, u"1\r2\r"_qs, {u"1"_qs, u"2"_qs, u"abc"_qs}, {0, 2}},
        {"empty text", u"abc"_qs, {2, 0}, u""_qs, {u"abc"_qs}, {2, 0}},
        {"into a later line", u"a\r\nb\r\nc"_qs, {0, 1}, u"x\r\ny"_qs,
         {u"a"_qs, u"x"_qs, u"yb"_qs, u"c"_qs}, {1, 2}},
    };
    for (const Case& c : cases) {
        CTextCtrl t = Make(c.before);
        TextPos end{-7, -7};
        EXPECT_TRUE(t.InsertText(c.at, c.inserted, &end)) << c.name;
        EXPECT_EQ(Lines(t), c.lines) << c.name;
        EXPECT_EQ(end, c.end) << c.name;
    }
}

TEST(CTextCtrlInsertText, InvalidPlaceChangesNothing) {
    CTextCtrl t = Make(u"abc\r\nde");
    for (const TextPos at : {TextPos{4, 0}, TextPos{-1, 0}, TextPos{0, 2}, TextPos{0, -1}}) {
        TextPos end{9, 9};
        EXPECT_FALSE(t.InsertText(at, u"x\r\ny", &end));
        EXPECT_EQ(end, (TextPos{9, 9}));
    }
    EXPECT_EQ(t.GetText(), u"abc\r\nde"_qs);
}

TEST(CTextCtrlDeleteRange, JoinsAndShortensLines) {
    struct Case {
        const char* name;
        QString before;
        TextPos from, to;
        QStringList lines;
    };
    const Case cases[] = {
        {"across two lines", u"abc\r\ndef"_qs, {2, 0}, {1, 1}, {u"abef"_qs}},
        {"within one line", u"abcdef"_qs, {1, 0}, {4, 0}, {u"aef"_qs}},
        {"nothing", u"abc"_qs, {1, 0}, {1, 0}, {u"abc"_qs}},
        {"a line break only", u"ab\r\ncd"_qs, {2, 0}, {0, 1}, {u"abcd"_qs}},
        {"lines in between", u"a\r\nb\r\nc\r\nd"_qs, {1, 0}, {1, 2}, {u"a"_qs, u"d"_qs}},
        {"everything", u"ab\r\ncd"_qs, {0, 0}, {2, 1}, {u""_qs}},
    };
    for (const Case& c : cases) {
        CTextCtrl t = Make(c.before);
        EXPECT_TRUE(t.DeleteRange(c.from, c.to)) << c.name;
        EXPECT_EQ(Lines(t), c.lines) << c.name;
    }
}

TEST(CTextCtrlDeleteRange, RefusesInvalidOrReversedEnds) {
    CTextCtrl t = Make(u"abc\r\ndef");
    EXPECT_FALSE(t.DeleteRange({1, 1}, {2, 0}));
    EXPECT_FALSE(t.DeleteRange({0, 0}, {4, 1}));
    EXPECT_FALSE(t.DeleteRange({0, 0}, {0, 2}));
    EXPECT_EQ(t.GetText(), u"abc\r\ndef"_qs);
}

TEST(CTextCtrlGetRangeText, JoinsLinesWithCrLf) {
    const CTextCtrl t = Make(u"abc\r\ndef\r\nghi");
    EXPECT_EQ(t.GetRangeText({1, 0}, {2, 0}), u"b"_qs);
    EXPECT_EQ(t.GetRangeText({1, 0}, {2, 2}), u"bc\r\ndef\r\ngh"_qs);
    EXPECT_EQ(t.GetRangeText({3, 0}, {0, 1}), u"\r\n"_qs);
    EXPECT_EQ(t.GetRangeText({2, 2}, {1, 0}), u""_qs);  // reversed
    EXPECT_EQ(t.GetRangeText({0, 0}, {9, 2}), u""_qs);  // invalid end
}

TEST(CTextCtrlLines, InsertRemoveAndClear) {
    CTextCtrl t = Make(u"b");
    EXPECT_EQ(t.InsertLine(u"a", -1, 0), 0);
    EXPECT_EQ(t.InsertLine(u"zzz", 1, -1), 2);
    EXPECT_EQ(t.InsertLine(nullptr, 5, 99), 3);
    EXPECT_EQ(Lines(t), (QStringList{u"a"_qs, u"b"_qs, u"z"_qs, u""_qs}));
    t.RemoveLine(1);
    t.RemoveLine(7);
    EXPECT_EQ(Lines(t), (QStringList{u"a"_qs, u"z"_qs, u""_qs}));
    EXPECT_EQ(t.LineLength(9), 0);
    EXPECT_EQ(t.LineText(-1), nullptr);
    t.Clear();
    EXPECT_EQ(t.LineCount(), 0);
    EXPECT_EQ(t.RowCount(), 0);
    EXPECT_EQ(t.GetText(), u""_qs);
    EXPECT_FALSE(t.InsertText(0, 0, u"x"));
}

TEST(CTextCtrlPositions, ValidTextPositions) {
    const CTextCtrl t = Make(u"abc\r\n");
    EXPECT_TRUE(t.IsValidTextPos({0, 0}));
    EXPECT_TRUE(t.IsValidTextPos({3, 0}));
    EXPECT_TRUE(t.IsValidTextPos({0, 1}));
    EXPECT_FALSE(t.IsValidTextPos({4, 0}));
    EXPECT_FALSE(t.IsValidTextPos({1, 1}));
    EXPECT_FALSE(t.IsValidTextPos({0, 2}));
    EXPECT_FALSE(t.IsValidTextPos({-1, 0}));
    EXPECT_EQ(t.EndPos(), (TextPos{0, 1}));
}

// --- find ---------------------------------------------------------------------------

TEST(CTextCtrlFindInString, WholeWordNeedsNonWordNeighbours) {
    struct Case {
        QString text, what;
        bool whole, fromEnd;
        int32_t expected;
    };
    const Case cases[] = {
        {u"aaa"_qs, u"aa"_qs, true, false, -1},
        {u"x aa"_qs, u"aa"_qs, true, false, 2},
        {u"aa_b aa"_qs, u"aa"_qs, true, false, 5},
        {u"aaa"_qs, u"aa"_qs, false, false, 0},
        {u"aaa"_qs, u"aa"_qs, false, true, 1},
        {u"aa x aa"_qs, u"aa"_qs, true, true, 5},
        {u"aa x aab"_qs, u"aa"_qs, true, true, 0},
        {u"(aa)"_qs, u"aa"_qs, true, false, 1},
        {u"caf\u00e9"_qs, u"caf"_qs, true, false, -1},  // an accented letter is a letter
        {u"Stra\u00dfe Stra"_qs, u"Stra"_qs, true, false, 7},
        {u"abc"_qs, u""_qs, false, false, -1},  // nothing to find never matches
        {u"ab"_qs, u"abc"_qs, false, false, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CTextCtrl::FindInString(c.text, c.what, c.whole, c.fromEnd), c.expected)
            << c.text.toStdString() << " / " << c.what.toStdString();
}

struct FindCase {
    const char* name;
    QString text;
    QString what;
    TextPos start;
    uint32_t flags;
    bool wrap;
    bool found;
    TextPos at;
};

TEST(CTextCtrlFind, DownwardUpwardAndWrapping) {
    const FindCase cases[] = {
        {"down, same line", u"one two one"_qs, u"ONE"_qs, {1, 0}, 0, false, true, {8, 0}},
        {"down, match case", u"One one"_qs, u"one"_qs, {0, 0}, kFindMatchCase, false, true, {4, 0}},
        {"down, case folded", u"xx One"_qs, u"ONE"_qs, {0, 0}, 0, false, true, {3, 0}},
        {"down, next line", u"abc\r\nxabc"_qs, u"ABC"_qs, {1, 0}, 0, false, true, {1, 1}},
        {"down, start past line end", u"abc\r\nabc"_qs, u"ABC"_qs, {9, 0}, 0, false, true, {0, 1}},
        {"down, no wrap", u"abc def"_qs, u"ABC"_qs, {1, 0}, 0, false, false, {}},
        {"down, wraps round", u"abc def"_qs, u"ABC"_qs, {1, 0}, 0, true, true, {0, 0}},
        {"down, before the start", u"xabc"_qs, u"ABC"_qs, {-5, -2}, 0, false, true, {1, 0}},
        {"down, whole word", u"abcd abc"_qs, u"ABC"_qs, {0, 0}, kFindWholeWord, false, true, {5, 0}},
        // Searching from mid-word treats the start as a word boundary.
        {"down, whole word from mid-line", u"xabc"_qs, u"ABC"_qs, {1, 0}, kFindWholeWord, false, true, {1, 0}},
        {"up, nearest before the start", u"a a a"_qs, u"A"_qs, {4, 0}, kFindUp, false, true, {2, 0}},
        {"up, hit must end before start", u"abab"_qs, u"AB"_qs, {3, 0}, kFindUp, false, true, {0, 0}},
        {"up, from line start goes up", u"abc\r\nabc"_qs, u"ABC"_qs, {0, 1}, kFindUp, false, true, {0, 0}},
        {"up, no wrap", u"x abc"_qs, u"ABC"_qs, {1, 0}, kFindUp, false, false, {}},
        {"up, wraps to the end", u"abc\r\nx abc"_qs, u"ABC"_qs, {0, 0}, kFindUp, true, true, {2, 1}},
        {"up, start beyond the text", u"abc"_qs, u"ABC"_qs, {0, 5}, kFindUp, false, true, {0, 0}},
        {"empty what", u"abc"_qs, u""_qs, {0, 0}, 0, true, false, {}},
    };
    for (const FindCase& c : cases) {
        CTextCtrl t;
        t.SetText(c.text);
        TextPos at{-9, -9};
        EXPECT_EQ(t.Find(c.what, c.start, c.flags, c.wrap, &at), c.found) << c.name;
        if (c.found) {
            EXPECT_EQ(at, c.at) << c.name;
        }
    }
}

TEST(CTextCtrlFind, RepeatedUpwardSearchVisitsEveryHit) {
    CTextCtrl t;
    t.SetText(u"a a\r\na a");
    std::vector<TextPos> hits;
    TextPos at = t.EndPos();
    while (t.Find(u"A", at, kFindUp, false, &at)) hits.push_back(at);
    EXPECT_EQ(hits, (std::vector<TextPos>{{2, 1}, {0, 1}, {2, 0}, {0, 0}}));
}

TEST(CTextCtrlFind, SearchUpperKeepsOffsets) {
    EXPECT_EQ(CTextCtrl::SearchUpper(u"abc\u00e9\u00df"), u"ABC\u00c9\u00df"_qs);
    // U+10428 DESERET SMALL LETTER LONG I upper-cases to U+10400, still a surrogate pair.
    EXPECT_EQ(CTextCtrl::SearchUpper(u"x\U00010428y"), u"X\U00010400Y"_qs);
    CTextCtrl t;
    t.SetText(u"stra\u00dfe abc");
    TextPos at;
    ASSERT_TRUE(t.Find(CTextCtrl::SearchUpper(u"abc"), {0, 0}, 0, false, &at));
    EXPECT_EQ(at, (TextPos{7, 0}));
}

}  // namespace
