#include "app/config/AppVersion.h"

#include "orvelle/Version.h"

namespace config {

QString FormatVersionText(int major, int minor, int build) {
    if (build != 0) return QStringLiteral("%1.%2.%3").arg(major).arg(minor).arg(build);
    return QStringLiteral("%1.%2").arg(major).arg(minor);
}

QString GetVersionText() {
    return FormatVersionText(ORVELLE_VERSION_MAJOR, ORVELLE_VERSION_MINOR, ORVELLE_VERSION_PATCH);
}

bool IsWindowsXP() { return false; }

}  // namespace config
