#pragma once
// The measuring services the item text code needs from a drawing device: font metrics,
// single-character widths and the width of a run of text with tab stops. The text code
// never touches QPainter or QFontMetrics itself, so wrapping and hit testing run against
// QtTextMeasurer on screen or paper and against FixedTextMeasurer in tests.

#include <cstdint>

#include <QFont>

namespace platform {

// The metrics record of a font as the device reports it, in device pixels.
struct TextMetrics {
    int32_t height = 0;           // ascent + descent
    int32_t ascent = 0;
    int32_t descent = 0;
    int32_t internalLeading = 0;  // height minus the em size
    int32_t externalLeading = 0;  // extra space the font asks for between lines
    int32_t aveCharWidth = 0;
    int32_t maxCharWidth = 0;

    bool operator==(const TextMetrics&) const = default;
};

class TextMeasurer {
public:
    virtual ~TextMeasurer() = default;

    virtual TextMetrics Metrics(const QFont& font) = 0;

    // Fills out[0 .. last-first] with the advance widths of the characters first..last.
    // Does nothing when last < first.
    virtual void CharWidths(const QFont& font, char16_t first, char16_t last, int32_t* out) = 0;

    // The same in 1/64 pixel, for estimates that add up many widths. By default the
    // whole-pixel widths scaled.
    virtual void CharWidthsFine(const QFont& font, char16_t first, char16_t last, int32_t* out) {
        CharWidths(font, first, last, out);
        for (int i = 0; i <= int(last) - int(first); ++i) out[i] *= 64;
    }

    // Width in pixels of text[0 .. count) when drawn from x = 0, a TAB advancing to the
    // next multiple of tabWidth. A tabWidth <= 0 means the default stops, every eight
    // average character widths. 0 when count <= 0 or text is null.
    virtual int32_t TabbedTextExtent(const QFont& font, const char16_t* text, int32_t count,
                                     int32_t tabWidth) = 0;
};

}  // namespace platform
