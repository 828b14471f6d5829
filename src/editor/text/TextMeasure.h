#pragma once
// Measuring shared by wrapping and hit testing. Counts and indexes are UTF-16 code units.

#include <cstdint>

#include "editor/text/CTextFont.h"
#include "platform/TextMeasurer.h"

// Width of text[0 .. count) with tab stops every font.TabWidth(); 0 when count <= 0.
int32_t TextExtent(platform::TextMeasurer& device, const CTextFont& font, const char16_t* text,
                   int32_t count);

// The index in [from, to] at which a row of `maxWidth` pixels starting at `from` must end:
// the characters from..result-1 fit. Returns the index of an LF as soon as the row reaches
// one (an LF ends a row). Returns `from` when not even one character fits.
int32_t FitChars(platform::TextMeasurer& device, const CTextFont& font, int32_t maxWidth,
                 const char16_t* text, int32_t from, int32_t to);

// Column of a row nearest left of x, for mouse hits: 0 when the row is empty or x is not
// right of rowLeft.
int32_t CharAtX(int32_t x, int32_t rowLeft, platform::TextMeasurer& device, const CTextFont& font,
                const char16_t* rowText, int32_t rowLength);

// Where wrapping may break a row: white space except the no-break spaces.
bool IsWrapSpace(char16_t ch);
