#include "platform/FixedTextMeasurer.h"

#include <algorithm>

namespace platform {

FixedTextMeasurer::FixedTextMeasurer(int32_t charWidth, int32_t height)
    : defaultWidth_(charWidth), height_(height) {}

int32_t FixedTextMeasurer::WidthOf(char16_t ch) const {
    const auto it = widths_.find(ch);
    return it == widths_.end() ? defaultWidth_ : it->second;
}

TextMetrics FixedTextMeasurer::Metrics(const QFont&) {
    TextMetrics m;
    m.height = height_;
    m.ascent = height_ * 3 / 4;
    m.descent = height_ - m.ascent;
    m.aveCharWidth = defaultWidth_;
    m.maxCharWidth = defaultWidth_;
    for (const auto& [ch, w] : widths_) m.maxCharWidth = std::max(m.maxCharWidth, w);
    return m;
}

void FixedTextMeasurer::CharWidths(const QFont&, char16_t first, char16_t last, int32_t* out) {
    if (last < first || out == nullptr) return;
    for (uint32_t c = first; c <= last; ++c) *out++ = WidthOf(char16_t(c));
}

int32_t FixedTextMeasurer::TabbedTextExtent(const QFont&, const char16_t* text, int32_t count,
                                            int32_t tabWidth) {
    ++extentCalls_;
    if (count <= 0 || text == nullptr) return 0;
    const int32_t stop = tabWidth > 0 ? tabWidth : std::max(8 * defaultWidth_, 1);
    int32_t x = 0;
    for (int32_t i = 0; i < count; ++i)
        x = text[i] == u'\t' ? (x / stop + 1) * stop : x + WidthOf(text[i]);
    if (count >= 2) x = std::max(0, x + stringAdjust_);
    return x;
}

}  // namespace platform
