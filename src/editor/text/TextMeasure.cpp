#include "editor/text/TextMeasure.h"

#include <algorithm>

#include <QChar>

int32_t TextExtent(platform::TextMeasurer& device, const CTextFont& font, const char16_t* text,
                   int32_t count) {
    if (count <= 0 || text == nullptr) return 0;
    return device.TabbedTextExtent(font.Font(), text, count, font.TabWidth());
}

namespace {

// Table estimate, in 1/64 pixel, of the x reached after `ch` from x (tab stops count
// from the row's start; tab is in 1/64 pixel too).
int64_t Advance(const CTextFont& font, int64_t tab, int64_t x, char16_t ch) {
    if (ch == u'\t' && tab > 0) return x + tab - x % tab;
    return x + font.FineWidth(ch == u'\t' ? u' ' : ch);
}

}  // namespace

int32_t FitChars(platform::TextMeasurer& device, const CTextFont& font, int32_t maxWidth,
                 const char16_t* text, int32_t from, int32_t to) {
    if (text == nullptr || from >= to || maxWidth < 0) return from;
    // A zero tab width (an unmeasured font) must not divide by zero; such a tab is then
    // as wide as a blank.
    const int64_t tab = font.TabWidth() > 0 ? int64_t(font.TabWidth()) * 64 : 0;
    const int64_t max64 = int64_t(maxWidth) * 64;

    // Quick estimate from the width table; no device call per character.
    int64_t x64 = 0;
    int32_t i = from;
    while (i < to) {
        x64 = Advance(font, tab, x64, text[i]);
        ++i;
        if (x64 > max64) break;
        if (i < to && text[i] == u'\n') return i;
    }

    // Exact measure from the estimate: kerning and rounding make a string a little
    // narrower or wider than its table widths add up to. The answer is the last index
    // whose extent fits (never past an LF). Each further guess is a table estimate from
    // the last index measured to fit, so a row costs two or three exact measures however
    // far off the first estimate was; bisection bounds the rest.
    const int32_t x = TextExtent(device, font, text + from, i - from);
    if (x == maxWidth) return i;
    int32_t lim = to;
    for (int32_t k = i; k < to; ++k)
        if (text[k] == u'\n') {
            lim = k;
            break;
        }
    int32_t lo = from, loX = 0;  // the empty run always fits
    int32_t hi = lim + 1;        // first index known not to fit, or past the end
    if (x < maxWidth)
        lo = i, loX = x;
    else
        hi = i;
    for (int round = 0; hi - lo > 1; ++round) {
        int32_t guess = lo + (hi - lo) / 2;
        if (round < 2) {
            guess = lo;
            for (int64_t gx = int64_t(loX) * 64; guess < hi - 1; ++guess) {
                gx = Advance(font, tab, gx, text[guess]);
                if (gx > max64) break;
            }
            guess = std::max(guess, lo + 1);
        }
        const int32_t ex = TextExtent(device, font, text + from, guess - from);
        if (ex <= maxWidth) {
            lo = guess, loX = ex;
            if (ex == maxWidth) break;
        } else {
            hi = guess;
        }
    }
    return lo;
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
