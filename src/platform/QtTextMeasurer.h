#pragma once
// TextMeasurer over Qt's font metrics. Measures for the screen by default, or for a
// given paint device (a printer) so that printed rows wrap to the printer's metrics.
// Needs a QGuiApplication. Keeps the metrics of the last font asked about, since a wrap
// asks about one font many times in a row.

#include <optional>

#include <QFont>
#include <QFontMetricsF>

#include "platform/TextMeasurer.h"

class QPaintDevice;

namespace platform {

class QtTextMeasurer : public TextMeasurer {
public:
    // device: not owned, must outlive this object; null measures for the screen.
    explicit QtTextMeasurer(QPaintDevice* device = nullptr);

    TextMetrics Metrics(const QFont& font) override;
    void CharWidths(const QFont& font, char16_t first, char16_t last, int32_t* out) override;
    void CharWidthsFine(const QFont& font, char16_t first, char16_t last, int32_t* out) override;
    int32_t TabbedTextExtent(const QFont& font, const char16_t* text, int32_t count,
                             int32_t tabWidth) override;

private:
    const QFontMetricsF& MetricsFor(const QFont& font);

    QPaintDevice* device_;
    QFont font_;
    std::optional<QFontMetricsF> metrics_;
};

}  // namespace platform
