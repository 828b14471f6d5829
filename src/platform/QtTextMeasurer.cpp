#include "platform/QtTextMeasurer.h"

#include <algorithm>
#include <cmath>

#include <QString>

namespace platform {

namespace {

// Widths are whole pixels, as the text code counts them; rounding up keeps a row that was
// measured to fit from overhanging its width by a fraction when drawn.
int32_t Pixels(qreal w) { return int32_t(std::ceil(w - 1.0 / 64)); }

}  // namespace

QtTextMeasurer::QtTextMeasurer(QPaintDevice* device) : device_(device) {}

const QFontMetricsF& QtTextMeasurer::MetricsFor(const QFont& font) {
    if (!metrics_ || !(font == font_)) {
        font_ = font;
        metrics_.emplace(font, device_);
    }
    return *metrics_;
}

TextMetrics QtTextMeasurer::Metrics(const QFont& font) {
    const QFontMetricsF& fm = MetricsFor(font);
    TextMetrics m;
    m.ascent = int32_t(std::lround(fm.ascent()));
    m.descent = int32_t(std::lround(fm.descent()));
    m.height = m.ascent + m.descent;
    const qreal em = font.pixelSize() > 0 ? font.pixelSize() : fm.ascent() + fm.descent() - fm.leading();
    m.internalLeading = std::max<int32_t>(0, m.height - int32_t(std::lround(em)));
    m.externalLeading = std::max<int32_t>(0, int32_t(std::lround(fm.leading())));
    m.aveCharWidth = Pixels(fm.averageCharWidth());
    m.maxCharWidth = Pixels(fm.maxWidth());
    return m;
}

void QtTextMeasurer::CharWidths(const QFont& font, char16_t first, char16_t last, int32_t* out) {
    if (last < first || out == nullptr) return;
    const QFontMetricsF& fm = MetricsFor(font);
    // Rounded to nearest, not up: the table feeds sums, where rounding every term up would
    // make long runs look wider than they measure.
    for (uint32_t c = first; c <= last; ++c)
        *out++ = int32_t(std::lround(fm.horizontalAdvance(QChar(char16_t(c)))));
}

void QtTextMeasurer::CharWidthsFine(const QFont& font, char16_t first, char16_t last, int32_t* out) {
    if (last < first || out == nullptr) return;
    const QFontMetricsF& fm = MetricsFor(font);
    for (uint32_t c = first; c <= last; ++c)
        *out++ = int32_t(std::lround(fm.horizontalAdvance(QChar(char16_t(c))) * 64));
}

int32_t QtTextMeasurer::TabbedTextExtent(const QFont& font, const char16_t* text, int32_t count,
                                         int32_t tabWidth) {
    if (count <= 0 || text == nullptr) return 0;
    const QFontMetricsF& fm = MetricsFor(font);
    qreal stop = tabWidth;
    if (tabWidth <= 0) stop = 8 * Pixels(fm.averageCharWidth());
    if (stop <= 0) stop = 1;

    // Tabs are laid out by hand: each run between tabs is measured as one string (so its
    // kerning counts) and a tab moves on to the next stop from the start of the text.
    qreal x = 0;
    int32_t runStart = 0;
    for (int32_t i = 0; i <= count; ++i) {
        if (i < count && text[i] != u'\t') continue;
        if (i > runStart) {
            const QString run = QString::fromRawData(reinterpret_cast<const QChar*>(text + runStart),
                                                     i - runStart);
            x += fm.horizontalAdvance(run);
        }
        if (i < count) x = (std::floor(x / stop) + 1) * stop;
        runStart = i + 1;
    }
    return Pixels(x);
}

}  // namespace platform
