#include "editor/text/TextMeasure.h"

#include <QChar>

int32_t TextExtent(platform::TextMeasurer& device, const CTextFont& font, const char16_t* text,
                   int32_t count) {
    if (count <= 0 || text == nullptr) return 0;
    return device.TabbedTextExtent(font.Font(), text, count, font.TabWidth());
}

int32_t FitChars(platform::TextMeasurer& device, const CTextFont& font, int32_t maxWidth,
                 const char16_t* text, int32_t from, int32_t to) {
    if (text == nullptr || from >= to) return from;
    // A zero tab width (an unmeasured font) must not divide by zero; such a tab is then
    // as wide as a blank.
    const int32_t tab = font.TabWidth() > 0 ? font.TabWidth() : 0;

    // Quick estimate from the width table; no device call per character.
    int32_t x = 0;
    int32_t i = from;
    while (i < to) {
        const char16_t ch = text[i];
        if (ch == u'\t' && tab > 0)
            x += tab - x % tab;
        else
            x += font.CharWidth(ch == u'\t' ? u' ' : ch);
        ++i;
        if (x > maxWidth) break;
        if (i < to && text[i] == u'\n') return i;
    }

    // Exact measure from the estimate, a step at a time: kerning and rounding make the
    // string a little narrower or wider than its table widths add up to.
    x = TextExtent(device, font, text + from, i - from);
    if (x > maxWidth) {
        while (i > from) {
            --i;
            if (TextExtent(device, font, text + from, i - from) <= maxWidth) break;
        }
    } else if (x < maxWidth) {
        while (i < to) {
            if (text[i] == u'\n') break;  // the estimate stopped short of an LF
            ++i;
            if (TextExtent(device, font, text + from, i - from) > maxWidth) {
                --i;
                break;
            }
        }
    }
    return i;
}

int32_t CharAtX(int32_t x, int32_t rowLeft, platform::TextMeasurer& device, const CTextFont& font,
                const char16_t* rowText, int32_t rowLength) {
    if (rowLength <= 0 || rowText == nullptr || x <= rowLeft) return 0;
    return FitChars(device, font, x - rowLeft, rowText, 0, rowLength);
}

bool IsWrapSpace(char16_t ch) {
    switch (ch) {
    case 0x00A0: case 0x2007: case 0x202F:  // no-break spaces hold words together
        return false;
    case 0x0009: case 0x000A: case 0x000B: case 0x000C: case 0x000D: case 0x0020:
        return true;
    default:
        return ch > 0x7F && QChar::isSpace(char32_t(ch));
    }
}
