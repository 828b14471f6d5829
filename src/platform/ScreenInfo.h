#pragma once
// Facts about the screen and the desktop's fonts that defaults are computed from.
// Without a running GUI application (tests, tools) fixed values stand in, so defaults
// stay reproducible.

#include "platform/LogFont.h"

namespace platform {

// Vertical logical dots per inch of the primary screen; 96 when there is none.
int screenDpiY();

// The desktop's general-purpose UI font as a font record (height in pixels at
// screenDpiY(), weight 400, the rest zero); "Sans Serif" at 9 points without a GUI.
LogFont defaultGuiFont();

}  // namespace platform
