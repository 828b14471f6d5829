#pragma once
// The program's view of the configuration store: every value lives under the application
// key "Software\Varnholt\Orvelle", in a section (a key below it) such as "Workspace" or a
// user's key with one of its subkeys ("IPhone - <device>\Preferences").
//
// Every call names its section: there is no "current section" to set and restore, so the
// sync thread reading "Workspace" can never see a section that the UI thread has switched
// to a user's key for a moment.
//
// The store is not owned; it must outlive this object. Safe from any thread as far as the
// store is (SettingsStore contracts).

#include <cstdint>
#include <optional>

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace platform {
class SettingsStore;
}

class CAppSettings {
public:
    explicit CAppSettings(platform::SettingsStore& store);

    static QString ApplicationKey();  // "Software\Varnholt\Orvelle"
    static QString WorkspaceSection();  // "Workspace"
    // userKey + "\" + subkey, the section of one of a user's groups of settings.
    static QString UserSection(const QString& userKey, const QString& subkey);

    platform::SettingsStore& Store() const { return store_; }
    // ApplicationKey() + "\" + section (the application key itself for an empty section).
    QString KeyPath(const QString& section) const;

    int32_t GetInt(const QString& section, const QString& name, int32_t defaultValue) const;
    QString GetString(const QString& section, const QString& name, const QString& defaultValue) const;
    // The stored bytes; nullopt when there is no binary value of that name.
    std::optional<QByteArray> GetBinary(const QString& section, const QString& name) const;
    std::optional<int32_t> FindInt(const QString& section, const QString& name) const;
    std::optional<QString> FindString(const QString& section, const QString& name) const;

    bool WriteInt(const QString& section, const QString& name, int32_t value);
    bool WriteString(const QString& section, const QString& name, const QString& value);
    bool WriteBinary(const QString& section, const QString& name, const QByteArray& value);
    // Removes a whole section with its values and subkeys.
    bool RemoveSection(const QString& section);

    bool SectionExists(const QString& section) const;
    // Subkeys of the application key (or of a section below it), in store order.
    QStringList Subkeys(const QString& section = QString()) const;

private:
    platform::SettingsStore& store_;
};
