#pragma once
// One user of the desktop: a handheld that has synced with it (or the standalone user),
// with its display name, its device ID, a data folder and settings of its own.

#include <QString>

class CAppSettings;

// The three texts a user is made from, copied whole into the CUserItem.
struct UserRecord {
    QString name;      // display name: the device name the handheld gave
    QString deviceId;  // unique among users
    QString kind;      // "IPhone" for every user the program creates
};

class CUserItem {
public:
    // Longest display name and kind kept; longer texts are cut (never inside a surrogate
    // pair). The device ID is kept exactly as given: it identifies the handheld.
    static constexpr int kMaxNameLength = 199;
    static constexpr int kMaxKindLength = 47;

    static QString StandaloneDeviceID();  // "Standalone_123456789"
    static QString HandheldKind();        // "IPhone"

    explicit CUserItem(const UserRecord& record);

    QString GetName() const { return m_name; }
    QString GetDeviceID() const { return m_deviceId; }
    QString GetKind() const { return m_kind; }
    bool IsStandalone() const { return m_standalone; }

    // "IPhone - <device>" ("Standalone - <device>" for the standalone user), the device
    // ID in its reversible name form (config::EncodeDeviceId), so the key is one key of
    // the store whatever the ID holds.
    QString GetUserKeyName() const;
    // Documents/Varnholt/Orvelle/<device folder>; always directly inside
    // config::UsersParentFolder().
    QString GetDefaultDataFolder() const;
    // Writes "UserDisplayName" under the user's key; false when the store refused it.
    bool StoreName(CAppSettings& settings) const;

    // A text cut to at most max UTF-16 units without splitting a surrogate pair.
    static QString CutToLength(const QString& text, int max);

private:
    QString m_name;
    QString m_deviceId;
    QString m_kind;
    bool m_standalone = false;
};
