#pragma once
// Line numbers of outline items: the per-level codes, the preset schemes, the dividers
// and the texts of the numbers. Pure functions: the ordinals they format are kept by the
// outline (COutlineMan), the header values by the document store.

#include <array>
#include <cstdint>
#include <QString>

namespace numbering {

constexpr int kLevelCount = 10;
using LevelCodes = std::array<uint8_t, kLevelCount>;

enum LevelCode : uint8_t {
    kNone = 0,
    kLegal = 1,
    kAlphaLower = 2,
    kAlphaUpper = 3,
    kNumeric = 4,
    kRomanLower = 5,
    kRomanUpper = 6,
    kLastValidCode = 6,
};

enum Scheme : int {
    kSchemeNone = 0,
    kSchemeNumeric = 1,
    kSchemeAlphabetic = 2,
    kSchemeLegal = 3,
    kSchemeRoman = 4,
    kSchemeMixed = 5,
    kSchemeCustom = 6,
};

// Divider character codes as the header stores them.
enum Divider : char16_t {
    kDividerNothing = 0,
    kDividerSpace = 32,  // shown as "None" in the gallery
    kDividerDot = 46,
    kDividerParen = 41,
};

// The ten codes and the divider, which is all a number's text depends on.
struct Numbering {
    LevelCodes levels{};
    char16_t divider = 0;
};

// Names as the custom numbering dialog lists the codes (index = code).
const std::array<const char*, 7>& LevelCodeNames();
// Names of the scheme gallery entries (index = scheme).
const std::array<const char*, 7>& SchemeNames();

// Replaces every code above 6 by 0; false when it replaced any.
bool ValidateLevels(LevelCodes& levels);
// The first preset (0..5) whose first four codes match, else 6 (custom).
int IdentifyScheme(const LevelCodes& levels);
// The codes of presets 0..5; false (levels untouched) for any other scheme.
bool GetPresetLevels(int scheme, LevelCodes& levels);

// The number of an item on `level` (0-based). For a legal code values holds the ordinal
// path (own ordinal first) with count = level + 1; for other codes the own ordinal alone.
QString FormatNumber(const Numbering& numbering, int level, const int32_t* values, int count);
// Bijective base-26 letters of the 0-based n ("A", ..., "Z", "AA", ...).
QString FormatAlpha(int32_t n, bool lowercase);
// Subtractive roman numeral of the 1-based n; "" for n <= 0; no upper limit.
QString FormatRoman(int32_t n, bool lowercase);

// The glyphs a font draws widest, which stand in for every digit or letter of a number
// when the number column is sized.
struct WidestGlyphs {
    QChar digit = u'0';
    QChar upper = u'W';
    QChar lower = u'w';
};

// The sample text whose width sizes the number column of `level`: widest holds the
// widest ordinals of this level and every shallower one (this level first, count =
// level + 1). Empty when the level has no number.
QString ColumnSample(const Numbering& numbering, int level, const int32_t* widest, int count,
                     const WidestGlyphs& glyphs);

// Finds the widest digit and letters with a width function over single characters.
template <typename WidthOf>
WidestGlyphs FindWidestGlyphs(WidthOf widthOf) {
    WidestGlyphs g;
    auto pick = [&](char16_t from, char16_t to, QChar& out) {
        int best = -1;
        for (char16_t c = from; c <= to; ++c) {
            int w = widthOf(QChar(c));
            if (w > best) { best = w; out = QChar(c); }
        }
    };
    pick(u'0', u'9', g.digit);
    pick(u'A', u'Z', g.upper);
    pick(u'a', u'z', g.lower);
    return g;
}

}  // namespace numbering
