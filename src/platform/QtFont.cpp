#include "platform/QtFont.h"

#include <algorithm>
#include <cmath>

#include <QFontInfo>
#include <QFontMetricsF>
#include <QGuiApplication>

namespace platform {

namespace {

constexpr uint8_t kFixedPitch = 0x01;
constexpr uint8_t kFamilyMask = 0xF0;
constexpr uint8_t kRoman = 0x10, kSwiss = 0x20, kModern = 0x30, kScript = 0x40, kDecorative = 0x50;
constexpr int32_t kDefaultPixels = 16;  // 12 points at 96 dots per inch

}  // namespace

int32_t LogHeightFromPoints(double points, int dpi) {
    return -int32_t(std::lround(points * dpi / 72.0));
}

QFont FontFromLogFont(const LogFont& lf) {
    QFont font;
    const QString face = lf.faceNameString();
    if (!face.isEmpty()) font.setFamily(face);
    switch (lf.pitchAndFamily & kFamilyMask) {
    case kRoman: font.setStyleHint(QFont::Serif); break;
    case kSwiss: font.setStyleHint(QFont::SansSerif); break;
    case kModern: font.setStyleHint(QFont::Monospace); break;
    case kScript: font.setStyleHint(QFont::Cursive); break;
    case kDecorative: font.setStyleHint(QFont::Decorative); break;
    default: break;
    }
    if (lf.pitchAndFamily & kFixedPitch) font.setFixedPitch(true);
    if (lf.weight > 0) font.setWeight(QFont::Weight(std::clamp<int32_t>(lf.weight, 1, 1000)));
    font.setItalic(lf.italic != 0);
    font.setUnderline(lf.underline != 0);
    font.setStrikeOut(lf.strikeOut != 0);

    if (lf.height < 0) {
        font.setPixelSize(-lf.height);
    } else if (lf.height > 0) {
        // A cell height includes the internal leading: find the em size that gives it.
        int32_t px = lf.height;
        if (qGuiApp != nullptr) {
            font.setPixelSize(lf.height);
            const QFontMetricsF fm(font);
            const qreal cell = fm.ascent() + fm.descent();
            if (cell > 0) px = std::max<int32_t>(1, int32_t(std::lround(lf.height * lf.height / cell)));
        }
        font.setPixelSize(px);
    } else {
        font.setPixelSize(kDefaultPixels);
    }
    return font;
}

LogFont LogFontFromFont(const QFont& font) {
    LogFont lf;
    if (font.pixelSize() > 0)
        lf.height = -font.pixelSize();
    else
        lf.height = LogHeightFromPoints(font.pointSizeF());
    lf.weight = font.weight();
    lf.italic = font.italic() ? 1 : 0;
    lf.underline = font.underline() ? 1 : 0;
    lf.strikeOut = font.strikeOut() ? 1 : 0;
    uint8_t family = 0;
    switch (font.styleHint()) {
    case QFont::Serif: family = kRoman; break;
    case QFont::SansSerif: family = kSwiss; break;
    case QFont::Monospace: case QFont::TypeWriter: family = kModern; break;
    case QFont::Cursive: family = kScript; break;
    case QFont::Decorative: family = kDecorative; break;
    default: break;
    }
    lf.pitchAndFamily = uint8_t(family | (font.fixedPitch() ? kFixedPitch : 0));
    lf.setFaceName(font.family());
    return lf;
}

}  // namespace platform
