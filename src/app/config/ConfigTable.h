#pragma once
// Every configuration value the program keeps: its section, name, type and default, in
// one table, and typed accessors for the application-wide values of "Workspace".
//
// Per-user values live below the user's key (CUserItem::GetUserKeyName); their sections
// are CAppSettings::UserSection(userKey, subkey) with the subkeys named here.

#include <cstdint>
#include <span>

#include <QString>

class CAppSettings;

namespace config {

// Subkeys of a user's key.
inline const QString kPreferencesSubkey = QStringLiteral("Preferences");
inline const QString kOpenFilesSubkey = QStringLiteral("Open Files");
inline const QString kFileListSubkey = QStringLiteral("FileList");
inline const QString kFindSubkey = QStringLiteral("Find");
inline const QString kReplaceSubkey = QStringLiteral("Replace");

// Value names.
inline const QString kSyncDirection = QStringLiteral("SyncDirection");
inline const QString kSyncDefaultDirection = QStringLiteral("SyncDefaultDirection");
inline const QString kFirstSync = QStringLiteral("FirstSync");
inline const QString kCurrentUser = QStringLiteral("CurrentUser");
inline const QString kApplicationLook = QStringLiteral("ApplicationLook");
inline const QString kUserDisplayName = QStringLiteral("UserDisplayName");
inline const QString kOpenFilesAmount = QStringLiteral("Amount");
inline const QString kOpenFilesEntryPattern = QStringLiteral("File%1");  // File0, File1, ...
inline const QString kFileListColumns = QStringLiteral("Columns");
inline const QString kMatchCase = QStringLiteral("MatchCase");
inline const QString kWholeWord = QStringLiteral("WholeWord");
inline const QString kFindWhat = QStringLiteral("FindWhat");
inline const QString kReplaceWith = QStringLiteral("ReplaceWith");

// Sync modes as "SyncDirection" and "SyncDefaultDirection" hold them.
enum SyncMode : int32_t {
    kSyncSynchronize = 0,
    kSyncDesktopOverwritesHandheld = 1,
    kSyncHandheldOverwritesDesktop = 2,
};

constexpr int32_t kDefaultApplicationLook = 215;

enum class ValueType { Integer, String, Binary };

struct ConfigEntry {
    const char16_t* section;  // "Workspace", or a subkey of the user key ("" = the key itself)
    bool perUser;
    const char16_t* name;     // a pattern for the numbered "File%d" entries
    ValueType type;
    int32_t intDefault;
    bool hasDefault;          // false: absent means "no such value" (e.g. UserDisplayName)
};

// The whole table, in the order the settings are documented for users.
std::span<const ConfigEntry> ConfigurationTable();
// The entry of a value, or null.
const ConfigEntry* FindConfigEntry(const QString& section, bool perUser, const QString& name);

// "Workspace" values.
int32_t GetSyncDirection(const CAppSettings& settings);
bool SetSyncDirection(CAppSettings& settings, int32_t mode);
int32_t GetSyncDefaultDirection(const CAppSettings& settings);
bool SetSyncDefaultDirection(CAppSettings& settings, int32_t mode);
int32_t GetFirstSync(const CAppSettings& settings);
bool SetFirstSync(CAppSettings& settings, int32_t value);
QString GetCurrentUserID(const CAppSettings& settings);
bool SetCurrentUserID(CAppSettings& settings, const QString& deviceId);
int32_t GetApplicationLook(const CAppSettings& settings);
bool SetApplicationLook(CAppSettings& settings, int32_t look);

}  // namespace config
