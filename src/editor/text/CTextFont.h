#pragma once
// The font an item's text is wrapped and drawn with, and the measures wrapping uses
// for its quick first estimate: the metrics record, the widths of characters 0..255 and
// the tab width. Measure() fills them for one device; changing the font clears them.
//
// Item text is measured and drawn without pair kerning and, in scripts that do not need
// it, without shaping (no ligatures), as classic text output draws it: a row's width is
// then the sum of its characters' widths, so the table estimate is close to the exact
// measure and the exact measure is cheap. Views paint rows with Font() so that what is
// drawn is what was measured.

#include <array>
#include <cstdint>

#include <QFont>

#include "platform/LogFont.h"
#include "platform/TextMeasurer.h"

class CTextFont {
public:
    CTextFont() { SetFont(QFont()); }
    explicit CTextFont(const QFont& font) { SetFont(font); }
    explicit CTextFont(const platform::LogFont& lf);

    const QFont& Font() const { return font_; }
    void SetFont(const QFont& font);

    // Fills metrics, widths and tab width from the device. tabChars 32 makes the tab
    // width one default tab stop (eight average characters); 4 makes it one average
    // character.
    void Measure(platform::TextMeasurer& device, int32_t tabChars = 32);

    // The table width for 0..255, the average character width for anything else; 0 for
    // everything before Measure().
    int32_t CharWidth(char16_t ch) const {
        return ch < 256 ? widths_[ch] : metrics_.aveCharWidth;
    }

    // The same in 1/64 pixel, for the quick estimate that adds many of them up.
    int32_t FineWidth(char16_t ch) const {
        return ch < 256 ? fine_[ch] : metrics_.aveCharWidth * 64;
    }

    const platform::TextMetrics& Metrics() const { return metrics_; }
    int32_t TabWidth() const { return tabWidth_; }
    bool IsMeasured() const { return measured_; }

private:
    QFont font_;
    platform::TextMetrics metrics_;
    std::array<int32_t, 256> widths_{};
    std::array<int32_t, 256> fine_{};
    int32_t tabWidth_ = 0;
    bool measured_ = false;
};
