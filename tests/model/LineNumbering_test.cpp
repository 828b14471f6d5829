#include <gtest/gtest.h>

#include "model/LineNumbering.h"

using namespace numbering;

namespace {

TEST(LineNumbering, Alpha) {
    struct Case { int n; const char* upper; };
    for (const Case& c : {Case{0, "A"}, {25, "Z"}, {26, "AA"}, {27, "AB"}, {701, "ZZ"}, {702, "AAA"}}) {
        EXPECT_EQ(FormatAlpha(c.n, false), QString::fromLatin1(c.upper)) << c.n;
        EXPECT_EQ(FormatAlpha(c.n, true), QString::fromLatin1(c.upper).toLower()) << c.n;
    }
}

TEST(LineNumbering, Roman) {
    struct Case { int n; const char* text; };
    for (const Case& c : {Case{0, ""}, {1, "I"}, {4, "IV"}, {9, "IX"}, {14, "XIV"}, {27, "XXVII"},
                          {40, "XL"}, {90, "XC"}, {400, "CD"}, {1994, "MCMXCIV"}, {3999, "MMMCMXCIX"},
                          {4000, "MMMM"}}) {
        EXPECT_EQ(FormatRoman(c.n, false), QString::fromLatin1(c.text)) << c.n;
    }
    EXPECT_EQ(FormatRoman(14, true), QStringLiteral("xiv"));
}

TEST(LineNumbering, FormatNumberPerCode) {
    Numbering n;
    n.levels = {3, 6, 4, 1, 1, 2, 5, 0, 9, 0};
    const int32_t ord26 = 26;
    EXPECT_EQ(FormatNumber(n, 0, &ord26, 1), "AA");
    EXPECT_EQ(FormatNumber(n, 1, &ord26, 1), "XXVII");
    EXPECT_EQ(FormatNumber(n, 2, &ord26, 1), "27");
    EXPECT_EQ(FormatNumber(n, 5, &ord26, 1), "aa");
    EXPECT_EQ(FormatNumber(n, 6, &ord26, 1), "xxvii");
    EXPECT_EQ(FormatNumber(n, 7, &ord26, 1), "");
    EXPECT_EQ(FormatNumber(n, 8, &ord26, 1), "") << "an invalid code shows nothing";
    // Legal: own ordinal first in values, top first in the text.
    const int32_t path[] = {1, 2};
    n.levels[1] = kLegal;
    EXPECT_EQ(FormatNumber(n, 1, path, 2), "3.2");
    n.divider = kDividerParen;
    EXPECT_EQ(FormatNumber(n, 1, path, 2), "3.2)");
    n.divider = kDividerDot;
    EXPECT_EQ(FormatNumber(n, 2, path, 1), "2.");
}

TEST(LineNumbering, ValidateAndIdentify) {
    LevelCodes levels = {4, 4, 9, 4, 4, 4, 4, 4, 4, 0};
    EXPECT_FALSE(ValidateLevels(levels));
    EXPECT_EQ(levels[2], 0);
    EXPECT_TRUE(ValidateLevels(levels));
    for (int s = 0; s <= 5; ++s) {
        LevelCodes p{};
        ASSERT_TRUE(GetPresetLevels(s, p));
        EXPECT_EQ(p[9], 0) << "every preset leaves level 10 without a number";
        EXPECT_EQ(IdentifyScheme(p), s);
    }
    EXPECT_EQ(IdentifyScheme(levels), kSchemeCustom);
    LevelCodes p{};
    EXPECT_FALSE(GetPresetLevels(6, p));
}

TEST(LineNumbering, ColumnSamples) {
    Numbering n;
    n.levels = {6, 1, 4, 3, 5, 0, 0, 0, 0, 0};
    const WidestGlyphs g{u'8', u'M', u'm'};
    const int32_t widest13 = 13;
    EXPECT_EQ(ColumnSample(n, 0, &widest13, 1, g), "XVIII");
    const int32_t legal[] = {4, 11};
    EXPECT_EQ(ColumnSample(n, 1, legal, 2, g), "88.8");
    const int32_t w = 120;
    EXPECT_EQ(ColumnSample(n, 2, &w, 1, g), "888");
    EXPECT_EQ(ColumnSample(n, 3, &widest13, 1, g), "M");
    n.divider = kDividerDot;
    const int32_t big = 2345;  // m = 2346
    EXPECT_EQ(ColumnSample(n, 4, &big, 1, g), "mmcccxxxviii.");
    EXPECT_EQ(ColumnSample(n, 5, &big, 1, g), "");
    const WidestGlyphs found = FindWidestGlyphs([](QChar c) { return c == u'4' || c == u'W' || c == u'm' ? 9 : 5; });
    EXPECT_EQ(found.digit, u'4');
    EXPECT_EQ(found.upper, u'W');
    EXPECT_EQ(found.lower, u'm');
}

}  // namespace
