#include "platform/ScreenInfo.h"

#include <cmath>

#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>

namespace platform {

int screenDpiY() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const int dpi = qRound(screen->logicalDotsPerInchY());
            if (dpi > 0) return dpi;
        }
    }
    return 96;
}

LogFont defaultGuiFont() {
    QString face = QStringLiteral("Sans Serif");
    double points = 9.0;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        const QFont f = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
        if (!f.family().isEmpty()) face = f.family();
        if (f.pointSizeF() > 0) points = f.pointSizeF();
    }
    LogFont font;
    font.height = -static_cast<int32_t>(std::lround(points * screenDpiY() / 72.0));
    font.weight = 400;
    font.setFaceName(face);
    return font;
}

}  // namespace platform
