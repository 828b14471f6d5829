#pragma once
// A TextMeasurer with made-up, exactly predictable metrics for tests: every character is
// the same number of pixels wide unless a width of its own has been set. The font passed
// in is ignored. Counts the extent calls so tests can see how often exact measuring runs.

#include <cstdint>
#include <unordered_map>

#include "platform/TextMeasurer.h"

namespace platform {

class FixedTextMeasurer : public TextMeasurer {
public:
    explicit FixedTextMeasurer(int32_t charWidth = 10, int32_t height = 16);

    void SetCharWidth(char16_t ch, int32_t width) { widths_[ch] = width; }
    void SetDefaultWidth(int32_t width) { defaultWidth_ = width; }
    // Pixels added to (or, negative, taken from) the extent of every string of two or more
    // characters, so tests can make the exact measure disagree with the width table.
    void SetStringAdjust(int32_t pixels) { stringAdjust_ = pixels; }
    int32_t WidthOf(char16_t ch) const;

    int32_t ExtentCalls() const { return extentCalls_; }
    void ResetExtentCalls() { extentCalls_ = 0; }

    TextMetrics Metrics(const QFont& font) override;
    void CharWidths(const QFont& font, char16_t first, char16_t last, int32_t* out) override;
    int32_t TabbedTextExtent(const QFont& font, const char16_t* text, int32_t count,
                             int32_t tabWidth) override;

private:
    int32_t defaultWidth_;
    int32_t height_;
    int32_t stringAdjust_ = 0;
    int32_t extentCalls_ = 0;
    std::unordered_map<char16_t, int32_t> widths_;
};

}  // namespace platform
