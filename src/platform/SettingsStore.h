#pragma once
// The per-user configuration store: a tree of keys, each holding named integer, string
// and binary values and subkeys, as the program's settings are organised.
//
// Key paths are written the registry way, components separated by a backslash:
// "Software\Varnholt\Orvelle\Workspace". A component never contains a backslash and is
// never empty; value names may contain any character. Names are case-sensitive.
//
// Contracts shared by every implementation:
// - Reads of what is missing (or of a value of another type) give std::nullopt; nothing
//   throws.
// - A key exists while it (or a key below it) holds a value; creating a key that holds
//   nothing has no lasting effect, so every store lists the same keys.
// - An integer read accepts a string value holding a decimal 32-bit number (text-based
//   stores cannot tell the two apart); a string read of an integer gives its decimal text.
// - Subkeys are listed sorted by name (UTF-16 code unit order).
// - Every operation may be called from any thread.

#include <cstdint>
#include <optional>

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace platform {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    virtual bool keyExists(const QString& key) const = 0;
    // Names of the direct subkeys of key that exist, sorted.
    virtual QStringList subkeys(const QString& key) const = 0;
    // Names of the values held directly by key, sorted.
    virtual QStringList valueNames(const QString& key) const = 0;

    virtual std::optional<int32_t> readInt(const QString& key, const QString& name) const = 0;
    virtual std::optional<QString> readString(const QString& key, const QString& name) const = 0;
    virtual std::optional<QByteArray> readBinary(const QString& key, const QString& name) const = 0;

    // False when the key path is not one the store can hold; the value is then not written.
    virtual bool writeInt(const QString& key, const QString& name, int32_t value) = 0;
    virtual bool writeString(const QString& key, const QString& name, const QString& value) = 0;
    virtual bool writeBinary(const QString& key, const QString& name, const QByteArray& value) = 0;

    // Removing what does not exist succeeds.
    virtual bool removeValue(const QString& key, const QString& name) = 0;
    // Removes the key with all its values and subkeys.
    virtual bool removeKey(const QString& key) = 0;

    // Writes pending changes to permanent storage; false when that failed.
    virtual bool flush() = 0;

    // Splits a key path into its components; empty when the path has an empty component.
    static QStringList splitKey(const QString& key);
};

}  // namespace platform
