#pragma once
// The program's version text and the platform facts that pick defaults.

#include <QString>

namespace config {

// "major.minor.build", or "major.minor" when build is 0.
QString FormatVersionText(int major, int minor, int build);
// The version the program was built with (the project version).
QString GetVersionText();
// Only the other platform's version 5.1 picks "Arial" over "Calibri"; never true here.
bool IsWindowsXP();

}  // namespace config
