#include "app/config/ConfigTable.h"

#include <array>

#include "app/config/CAppSettings.h"

namespace config {

namespace {

constexpr ConfigEntry kTable[] = {
    {u"Workspace", false, u"SyncDirection", ValueType::Integer, 0, true},
    {u"Workspace", false, u"SyncDefaultDirection", ValueType::Integer, 0, true},
    {u"Workspace", false, u"FirstSync", ValueType::Integer, 1, true},
    {u"Workspace", false, u"CurrentUser", ValueType::String, 0, true},
    {u"Workspace", false, u"ApplicationLook", ValueType::Integer, kDefaultApplicationLook, true},
    {u"", true, u"UserDisplayName", ValueType::String, 0, false},
    // The preferences record; integer defaults are those of a record that has never
    // been loaded (CPreferences documents what a missing value reads as).
    {u"Preferences", true, u"List font", ValueType::Binary, 0, true},
    {u"Preferences", true, u"Outline font", ValueType::Binary, 0, true},
    {u"Preferences", true, u"Path", ValueType::String, 0, true},
    {u"Preferences", true, u"Save folder", ValueType::Integer, 0, true},
    {u"Preferences", true, u"Create new", ValueType::Integer, 1, true},
    {u"Preferences", true, u"Move to archive", ValueType::Integer, 0, true},
    {u"Preferences", true, u"Auto-checking", ValueType::Integer, 0, true},
    {u"Preferences", true, u"Auto-save", ValueType::Integer, 0, true},
    {u"Preferences", true, u"Paste in a single node", ValueType::Integer, 0, true},
    {u"Preferences", true, u"Word export", ValueType::Integer, 0, true},
    {u"Preferences", true, u"Word export notes", ValueType::Integer, 0, true},
    {u"Preferences", true, u"Print hidden items", ValueType::Integer, 0, true},
    {u"Preferences", true, u"Print notes", ValueType::Integer, 0, true},
    {u"Open Files", true, u"Amount", ValueType::Integer, 0, true},
    {u"Open Files", true, u"File%d", ValueType::String, 0, false},
    {u"FileList", true, u"Columns", ValueType::Binary, 0, false},
    {u"Find", true, u"MatchCase", ValueType::Integer, 0, true},
    {u"Find", true, u"WholeWord", ValueType::Integer, 0, true},
    {u"Find", true, u"FindWhat", ValueType::String, 0, true},
    {u"Replace", true, u"MatchCase", ValueType::Integer, 0, true},
    {u"Replace", true, u"WholeWord", ValueType::Integer, 0, true},
    {u"Replace", true, u"FindWhat", ValueType::String, 0, true},
    {u"Replace", true, u"ReplaceWith", ValueType::String, 0, true},
};

}  // namespace

std::span<const ConfigEntry> ConfigurationTable() { return kTable; }

const ConfigEntry* FindConfigEntry(const QString& section, bool perUser, const QString& name) {
    for (const ConfigEntry& e : kTable) {
        if (e.perUser == perUser && section == QStringView(e.section) && name == QStringView(e.name)) return &e;
    }
    return nullptr;
}

int32_t GetSyncDirection(const CAppSettings& settings) {
    return settings.GetInt(CAppSettings::WorkspaceSection(), kSyncDirection, kSyncSynchronize);
}
bool SetSyncDirection(CAppSettings& settings, int32_t mode) {
    return settings.WriteInt(CAppSettings::WorkspaceSection(), kSyncDirection, mode);
}
int32_t GetSyncDefaultDirection(const CAppSettings& settings) {
    return settings.GetInt(CAppSettings::WorkspaceSection(), kSyncDefaultDirection, kSyncSynchronize);
}
bool SetSyncDefaultDirection(CAppSettings& settings, int32_t mode) {
    return settings.WriteInt(CAppSettings::WorkspaceSection(), kSyncDefaultDirection, mode);
}
int32_t GetFirstSync(const CAppSettings& settings) {
    return settings.GetInt(CAppSettings::WorkspaceSection(), kFirstSync, 1);
}
bool SetFirstSync(CAppSettings& settings, int32_t value) {
    return settings.WriteInt(CAppSettings::WorkspaceSection(), kFirstSync, value);
}
QString GetCurrentUserID(const CAppSettings& settings) {
    return settings.GetString(CAppSettings::WorkspaceSection(), kCurrentUser, QString());
}
bool SetCurrentUserID(CAppSettings& settings, const QString& deviceId) {
    return settings.WriteString(CAppSettings::WorkspaceSection(), kCurrentUser, deviceId);
}
int32_t GetApplicationLook(const CAppSettings& settings) {
    return settings.GetInt(CAppSettings::WorkspaceSection(), kApplicationLook, kDefaultApplicationLook);
}
bool SetApplicationLook(CAppSettings& settings, int32_t look) {
    return settings.WriteInt(CAppSettings::WorkspaceSection(), kApplicationLook, look);
}

}  // namespace config
