#pragma once
// The settings store kept in an INI file through QSettings.
//
// One key path, the root (normally "Software\Varnholt\Orvelle"), stands for the file
// itself: its subkeys are the file's groups, nested the QSettings way. Key paths outside
// the root are not held: reads give nothing and writes fail. QSettings reads "/" and "\"
// in names as group separators, so every component and value name is escaped ("%" ->
// "%25", "/" -> "%2F", "\" -> "%5C") before it reaches QSettings; any name survives a
// round trip unchanged.

#include <memory>
#include <mutex>

#include "platform/SettingsStore.h"

class QSettings;

namespace platform {

class QtSettingsStore : public SettingsStore {
public:
    // The program's own key and file: organisation "Varnholt", application "Orvelle".
    static QString defaultRootKey();
    // <XDG config folder>/Varnholt/Orvelle.ini, looked up anew at every call so a changed
    // environment (tests) is followed.
    static QString defaultFilePath();

    // The program's store: defaultRootKey() in defaultFilePath().
    QtSettingsStore();
    QtSettingsStore(const QString& rootKey, const QString& iniFilePath);
    ~QtSettingsStore() override;

    QString filePath() const;

    bool keyExists(const QString& key) const override;
    QStringList subkeys(const QString& key) const override;
    QStringList valueNames(const QString& key) const override;
    std::optional<int32_t> readInt(const QString& key, const QString& name) const override;
    std::optional<QString> readString(const QString& key, const QString& name) const override;
    std::optional<QByteArray> readBinary(const QString& key, const QString& name) const override;
    bool writeInt(const QString& key, const QString& name, int32_t value) override;
    bool writeString(const QString& key, const QString& name, const QString& value) override;
    bool writeBinary(const QString& key, const QString& name, const QByteArray& value) override;
    bool removeValue(const QString& key, const QString& name) override;
    bool removeKey(const QString& key) override;
    bool flush() override;

    static QString escapeName(const QString& name);
    static QString unescapeName(const QString& name);

private:
    // The QSettings group of a key path: "" for the root; nullopt when not held here.
    std::optional<QString> groupOf(const QString& key) const;
    std::optional<QString> valueKeyOf(const QString& key, const QString& name) const;
    bool writeVariant(const QString& key, const QString& name, const class QVariant& value);
    // The unescaped names of key's subgroups or values (children picks which), sorted.
    QStringList childNames(const QString& key, QStringList (QSettings::*children)() const) const;

    QString rootKey_;
    mutable std::mutex mutex_;
    std::unique_ptr<QSettings> settings_;
};

}  // namespace platform
