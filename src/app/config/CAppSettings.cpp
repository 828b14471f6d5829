#include "app/config/CAppSettings.h"

#include "platform/SettingsStore.h"

CAppSettings::CAppSettings(platform::SettingsStore& store) : store_(store) {}

QString CAppSettings::ApplicationKey() { return QStringLiteral("Software\\Varnholt\\Orvelle"); }
QString CAppSettings::WorkspaceSection() { return QStringLiteral("Workspace"); }

QString CAppSettings::UserSection(const QString& userKey, const QString& subkey) {
    if (subkey.isEmpty()) return userKey;
    return userKey + QLatin1Char('\\') + subkey;
}

QString CAppSettings::KeyPath(const QString& section) const {
    if (section.isEmpty()) return ApplicationKey();
    return ApplicationKey() + QLatin1Char('\\') + section;
}

int32_t CAppSettings::GetInt(const QString& section, const QString& name, int32_t defaultValue) const {
    return store_.readInt(KeyPath(section), name).value_or(defaultValue);
}

QString CAppSettings::GetString(const QString& section, const QString& name, const QString& defaultValue) const {
    return store_.readString(KeyPath(section), name).value_or(defaultValue);
}

std::optional<QByteArray> CAppSettings::GetBinary(const QString& section, const QString& name) const {
    return store_.readBinary(KeyPath(section), name);
}

std::optional<int32_t> CAppSettings::FindInt(const QString& section, const QString& name) const {
    return store_.readInt(KeyPath(section), name);
}

std::optional<QString> CAppSettings::FindString(const QString& section, const QString& name) const {
    return store_.readString(KeyPath(section), name);
}

bool CAppSettings::WriteInt(const QString& section, const QString& name, int32_t value) {
    return store_.writeInt(KeyPath(section), name, value);
}

bool CAppSettings::WriteString(const QString& section, const QString& name, const QString& value) {
    return store_.writeString(KeyPath(section), name, value);
}

bool CAppSettings::WriteBinary(const QString& section, const QString& name, const QByteArray& value) {
    return store_.writeBinary(KeyPath(section), name, value);
}

bool CAppSettings::RemoveSection(const QString& section) {
    if (section.isEmpty()) return false;  // never the whole application key by accident
    return store_.removeKey(KeyPath(section));
}

bool CAppSettings::SectionExists(const QString& section) const {
    return store_.keyExists(KeyPath(section));
}

QStringList CAppSettings::Subkeys(const QString& section) const {
    return store_.subkeys(KeyPath(section));
}
