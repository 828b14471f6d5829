#include "sync/CUserItem.h"

#include "app/config/CAppSettings.h"
#include "app/config/ConfigTable.h"
#include "app/config/DataFolders.h"

QString CUserItem::StandaloneDeviceID() { return QStringLiteral("Standalone_123456789"); }
QString CUserItem::HandheldKind() { return QStringLiteral("IPhone"); }

QString CUserItem::CutToLength(const QString& text, int max) {
    if (text.size() <= max) return text;
    int n = max;
    if (n > 0 && text[n - 1].isHighSurrogate()) --n;
    return text.left(n);
}

CUserItem::CUserItem(const UserRecord& record)
    : m_name(CutToLength(record.name, kMaxNameLength)),
      m_deviceId(record.deviceId),
      m_kind(CutToLength(record.kind, kMaxKindLength)),
      m_standalone(record.deviceId == StandaloneDeviceID()) {}

QString CUserItem::GetUserKeyName() const {
    const QString kind = m_standalone ? QStringLiteral("Standalone") : HandheldKind();
    return QStringLiteral("%1 - %2").arg(kind, config::EncodeDeviceId(m_deviceId));
}

QString CUserItem::GetDefaultDataFolder() const {
    return config::DefaultDataFolderFor(m_deviceId);
}

bool CUserItem::StoreName(CAppSettings& settings) const {
    return settings.WriteString(GetUserKeyName(), config::kUserDisplayName, m_name);
}
