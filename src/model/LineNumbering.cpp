#include "model/LineNumbering.h"

#include <algorithm>

namespace numbering {

namespace {

constexpr std::array<LevelCodes, 6> kPresets = {{
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    {4, 4, 4, 4, 4, 4, 4, 4, 4, 0},
    {3, 2, 3, 2, 3, 2, 3, 2, 3, 0},
    {1, 1, 1, 1, 1, 1, 1, 1, 1, 0},
    {6, 5, 6, 5, 6, 5, 6, 5, 6, 0},
    {6, 3, 4, 2, 5, 3, 4, 2, 5, 0},
}};

QString Replaced(QString text, QChar widest, bool (*matches)(QChar)) {
    for (QChar& c : text)
        if (matches(c)) c = widest;
    return text;
}

bool IsAsciiDigit(QChar c) { return c >= u'0' && c <= u'9'; }
bool IsAsciiUpper(QChar c) { return c >= u'A' && c <= u'Z'; }
bool IsAsciiLower(QChar c) { return c >= u'a' && c <= u'z'; }

}  // namespace

const std::array<const char*, 7>& LevelCodeNames() {
    static const std::array<const char*, 7> names = {
        "None",
        "Legal (1.,2., 2.1, 2.2, 2.1.1, etc.)",
        "Alpha Lowercase (a, b, c)",
        "Alpha Uppercase (A, B, C)",
        "Numeric (1, 2, 3)",
        "Roman Lowercase (i, ii, iii)",
        "Roman Uppercase (I, II, III)",
    };
    return names;
}

const std::array<const char*, 7>& SchemeNames() {
    static const std::array<const char*, 7> names = {
        "None", "Numeric", "Alphabetic", "Legal", "Roman", "Mixed", "Custom"};
    return names;
}

bool ValidateLevels(LevelCodes& levels) {
    bool clean = true;
    for (uint8_t& code : levels) {
        if (code > kLastValidCode) {
            code = kNone;
            clean = false;
        }
    }
    return clean;
}

int IdentifyScheme(const LevelCodes& levels) {
    for (int s = 0; s < static_cast<int>(kPresets.size()); ++s)
        if (std::equal(levels.begin(), levels.begin() + 4, kPresets[s].begin())) return s;
    return kSchemeCustom;
}

bool GetPresetLevels(int scheme, LevelCodes& levels) {
    if (scheme < 0 || scheme >= static_cast<int>(kPresets.size())) return false;
    levels = kPresets[scheme];
    return true;
}

QString FormatAlpha(int32_t n, bool lowercase) {
    if (n < 0) return QString();
    const char16_t base = lowercase ? u'a' : u'A';
    // 64-bit so that n = INT32_MAX cannot overflow k.
    int64_t k = static_cast<int64_t>(n) + 1;
    QString reversed;
    do {
        k -= 1;
        reversed.append(QChar(static_cast<char16_t>(base + k % 26)));
        k /= 26;
    } while (k != 0);
    std::reverse(reversed.begin(), reversed.end());
    return reversed;
}

QString FormatRoman(int32_t n, bool lowercase) {
    struct Step { int value; const char* upper; const char* lower; bool repeat; };
    static constexpr Step steps[] = {
        {1000, "M", "m", true}, {900, "CM", "cm", false}, {500, "D", "d", true},
        {400, "CD", "cd", false}, {100, "C", "c", true}, {90, "XC", "xc", false},
        {50, "L", "l", true}, {40, "XL", "xl", false}, {10, "X", "x", true},
        {9, "IX", "ix", false}, {5, "V", "v", true}, {4, "IV", "iv", false},
        {1, "I", "i", true},
    };
    QString text;
    if (n <= 0) return text;
    int64_t left = n;
    for (const Step& s : steps) {
        while (left >= s.value) {
            text.append(QLatin1String(lowercase ? s.lower : s.upper));
            left -= s.value;
            if (!s.repeat) break;
        }
    }
    return text;
}

QString FormatNumber(const Numbering& numbering, int level, const int32_t* values, int count) {
    QString text;
    if (level < 0 || level >= kLevelCount || !values) return text;
    const uint8_t code = numbering.levels[static_cast<size_t>(level)];
    for (int i = 0; i < count; ++i) {
        const int64_t v = static_cast<int64_t>(values[i]) + 1;
        switch (code) {
        case kLegal:
            text.prepend(QString::number(v) + (i > 0 ? QStringLiteral(".") : QString()));
            break;
        case kAlphaLower:
        case kAlphaUpper:
            text.prepend(FormatAlpha(values[i], code == kAlphaLower));
            break;
        case kNumeric:
            text.prepend(QString::number(v));
            break;
        case kRomanLower:
        case kRomanUpper:
            text.prepend(FormatRoman(static_cast<int32_t>(std::min<int64_t>(v, INT32_MAX)),
                                     code == kRomanLower));
            break;
        default:
            break;
        }
    }
    if (numbering.divider != 0) text.append(QChar(numbering.divider));
    return text;
}

QString ColumnSample(const Numbering& numbering, int level, const int32_t* widest, int count,
                     const WidestGlyphs& glyphs) {
    if (level < 0 || level >= kLevelCount || !widest || count < 1) return QString();
    const uint8_t code = numbering.levels[static_cast<size_t>(level)];
    switch (code) {
    case kLegal:
        return Replaced(FormatNumber(numbering, level, widest, count), glyphs.digit, IsAsciiDigit);
    case kNumeric:
        return Replaced(FormatNumber(numbering, level, widest, 1), glyphs.digit, IsAsciiDigit);
    case kAlphaUpper:
        return Replaced(FormatNumber(numbering, level, widest, 1), glyphs.upper, IsAsciiUpper);
    case kAlphaLower:
        return Replaced(FormatNumber(numbering, level, widest, 1), glyphs.lower, IsAsciiLower);
    case kRomanLower:
    case kRomanUpper: {
        // Not the numeral itself: a sample at least as wide as any numeral of the same
        // magnitude, so the column does not jump while numbers grow.
        const bool lower = code == kRomanLower;
        const int64_t m = static_cast<int64_t>(widest[0]) + 1;
        QString text;
        text.append(QString(static_cast<qsizetype>(m / 1000), QChar(lower ? u'm' : u'M')));
        text.append(QString(static_cast<qsizetype>(std::min<int64_t>(3, (m % 1000) / 100)),
                            QChar(lower ? u'c' : u'C')));
        text.append(QString(static_cast<qsizetype>(std::min<int64_t>(3, (m % 100) / 10)),
                            QChar(lower ? u'x' : u'X')));
        text.append(lower ? QStringLiteral("viii") : QStringLiteral("VIII"));
        if (numbering.divider != 0) text.append(QChar(numbering.divider));
        return text;
    }
    default:
        return QString();
    }
}

}  // namespace numbering
