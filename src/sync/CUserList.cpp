#include "sync/CUserList.h"

#include <QDir>

#include "app/config/CAppSettings.h"
#include "app/config/ConfigTable.h"
#include "app/config/DataFolders.h"

CUserList::CUserList(CAppSettings& settings) : m_settings(settings) {
    m_users.reserve(10);
}

CUserList::~CUserList() = default;

QString CUserList::UserKeyPrefix() {
    return CUserItem::HandheldKind() + QStringLiteral(" - ");
}

int CUserList::LoadUsers() {
    if (!m_settings.SectionExists(QString())) return 0;
    const QString prefix = UserKeyPrefix();
    int added = 0;
    for (const QString& key : m_settings.Subkeys()) {
        if (!key.startsWith(prefix)) continue;
        const QString name = m_settings.GetString(key, config::kUserDisplayName, QString());
        if (name.isEmpty()) break;
        const QString rest = key.mid(prefix.size());
        if (rest.isEmpty()) break;
        const auto deviceId = config::DecodeDeviceId(rest);
        if (!deviceId) continue;
        std::lock_guard lock(m_mutex);
        if (FindLocked(*deviceId)) continue;
        m_users.push_back(std::make_unique<CUserItem>(UserRecord{name, *deviceId, QString()}));
        ++added;
    }
    return added;
}

CUserItem* CUserList::FindLocked(const QString& deviceId) const {
    for (const auto& user : m_users) {
        if (user->GetDeviceID() == deviceId) return user.get();
    }
    return nullptr;
}

CUserItem* CUserList::FindByID(const QString& deviceId) const {
    std::lock_guard lock(m_mutex);
    return FindLocked(deviceId);
}

CUserItem* CUserList::CreateUser(const QString& name, const QString& deviceId) {
    {
        std::lock_guard lock(m_mutex);
        if (CUserItem* existing = FindLocked(deviceId)) return existing;
    }
    // A stored empty display name ends loading at start-up and would hide this user and
    // every user after it, so a handheld without a name is named after its device.
    QString displayName = name.trimmed().isEmpty() ? deviceId : name;
    if (displayName.trimmed().isEmpty()) displayName = CUserItem::HandheldKind();
    auto user = std::make_unique<CUserItem>(UserRecord{displayName, deviceId, CUserItem::HandheldKind()});
    QDir().mkpath(user->GetDefaultDataFolder());
    user->StoreName(m_settings);
    std::lock_guard lock(m_mutex);
    m_users.push_back(std::move(user));
    return m_users.back().get();
}

int CUserList::GetCount() const {
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_users.size());
}

CUserItem* CUserList::GetAt(int index) const {
    std::lock_guard lock(m_mutex);
    if (index < 0 || index >= static_cast<int>(m_users.size())) return nullptr;
    return m_users[static_cast<size_t>(index)].get();
}

std::vector<CUserItem*> CUserList::GetUsers() const {
    std::lock_guard lock(m_mutex);
    std::vector<CUserItem*> out;
    out.reserve(m_users.size());
    for (const auto& user : m_users) out.push_back(user.get());
    return out;
}
