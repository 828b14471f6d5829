#pragma once
// The font an item's text is wrapped and drawn with, and the measures wrapping uses
// for its quick first estimate: the metrics record, the widths of characters 0..255 and
// the tab width. Measure() fills them for one device; changing the font clears them.

#include <array>
#include <cstdint>

#include <QFont>

#include "platform/LogFont.h"
#include "platform/TextMeasurer.h"

class CTextFont {
public:
    CTextFont() = default;
    explicit CTextFont(const QFont& font) : font_(font) {}
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

    const platform::TextMetrics& Metrics() const { return metrics_; }
    int32_t TabWidth() const { return tabWidth_; }
    bool IsMeasured() const { return measured_; }

private:
    QFont font_;
    platform::TextMetrics metrics_;
    std::array<int32_t, 256> widths_{};
    int32_t tabWidth_ = 0;
    bool measured_ = false;
};
