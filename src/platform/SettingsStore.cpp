#include "platform/SettingsStore.h"

namespace platform {

QStringList SettingsStore::splitKey(const QString& key) {
    if (key.isEmpty()) return {};
    QStringList parts = key.split(QLatin1Char('\\'));
    for (const QString& p : parts) {
        if (p.isEmpty()) return {};
    }
    return parts;
}

}  // namespace platform
