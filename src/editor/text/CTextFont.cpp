#include "editor/text/CTextFont.h"

#include "platform/QtFont.h"

CTextFont::CTextFont(const platform::LogFont& lf) { SetFont(platform::FontFromLogFont(lf)); }

void CTextFont::SetFont(const QFont& font) {
    font_ = font;
    font_.setKerning(false);
    font_.setStyleStrategy(QFont::StyleStrategy(font_.styleStrategy() | QFont::PreferNoShaping));
    metrics_ = {};
    widths_.fill(0);
    fine_.fill(0);
    tabWidth_ = 0;
    measured_ = false;
}

void CTextFont::Measure(platform::TextMeasurer& device, int32_t tabChars) {
    metrics_ = device.Metrics(font_);
    device.CharWidths(font_, 0, 255, widths_.data());
    device.CharWidthsFine(font_, 0, 255, fine_.data());
    static constexpr char16_t kTab[] = u"\t";
    const int32_t defaultStop = device.TabbedTextExtent(font_, kTab, 1, 0);
    tabWidth_ = tabChars * defaultStop / 32;
    measured_ = true;
}
