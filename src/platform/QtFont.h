#pragma once
// Conversion between the stored font description (LogFont) and QFont. Heights in a
// LogFont are device pixels at 96 dots per inch: negative for the character (em) height,
// positive for the cell height including internal leading, 0 for the default size.

#include <cstdint>

#include <QFont>

#include "platform/LogFont.h"

namespace platform {

// The LogFont height of a font of the given point size: -round(points * dpi / 72).
int32_t LogHeightFromPoints(double points, int dpi = 96);

// A positive (cell) height needs the font's own metrics to find the em size, so that
// case needs a QGuiApplication; the other cases do not.
QFont FontFromLogFont(const LogFont& lf);

// Height comes back negative (em height in pixels); a font sized in points is converted
// at 96 dots per inch.
LogFont LogFontFromFont(const QFont& font);

}  // namespace platform
