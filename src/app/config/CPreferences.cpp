#include "app/config/CPreferences.h"

#include <algorithm>
#include <cmath>

#include "app/config/AppVersion.h"
#include "app/config/CAppSettings.h"
#include "app/config/ConfigTable.h"
#include "platform/ScreenInfo.h"

const QString CPreferences::kListFont = QStringLiteral("List font");
const QString CPreferences::kOutlineFont = QStringLiteral("Outline font");
const QString CPreferences::kPath = QStringLiteral("Path");
const QString CPreferences::kSaveFolder = QStringLiteral("Save folder");
const QString CPreferences::kCreateNew = QStringLiteral("Create new");
const QString CPreferences::kAutoChecking = QStringLiteral("Auto-checking");
const QString CPreferences::kPasteInSingleNode = QStringLiteral("Paste in a single node");
const QString CPreferences::kAutoSave = QStringLiteral("Auto-save");
const QString CPreferences::kMoveToArchive = QStringLiteral("Move to archive");
const QString CPreferences::kWordExport = QStringLiteral("Word export");
const QString CPreferences::kWordExportNotes = QStringLiteral("Word export notes");
const QString CPreferences::kPrintHiddenItems = QStringLiteral("Print hidden items");
const QString CPreferences::kPrintNotes = QStringLiteral("Print notes");

CPreferences::CPreferences() : m_listFont(DefaultListFont()), m_outlineFont(DefaultOutlineFont()) {}

CPreferences::CPreferences(const CPreferences& other) { *this = other; }

CPreferences& CPreferences::operator=(const CPreferences& other) {
    if (this == &other) return *this;
    m_listFont = other.m_listFont;
    m_outlineFont = other.m_outlineFont;
    m_dataFolder = other.m_dataFolder;
    SetSaveFolder(other.m_saveFolder);
    m_createNew = other.m_createNew;
    m_autoChecking = other.m_autoChecking;
    m_pasteInSingleNode = other.m_pasteInSingleNode;
    SetAutoSave(other.m_autoSave);
    m_moveToArchive = other.m_moveToArchive;
    SetWordExport(other.m_wordExport);
    m_wordExportNotes = other.m_wordExportNotes;
    m_printHiddenItems = other.m_printHiddenItems;
    m_printNotes = other.m_printNotes;
    m_defaultTextColor = other.m_defaultTextColor;
    return *this;
}

void CPreferences::SetSaveFolder(int32_t value) { m_saveFolder = std::clamp<int32_t>(value, 0, 1); }
void CPreferences::SetAutoSave(int32_t minutes) { m_autoSave = std::clamp<int32_t>(minutes, 0, 60); }
void CPreferences::SetWordExport(int32_t value) { m_wordExport = std::clamp<int32_t>(value, 0, 1); }

platform::LogFont CPreferences::DefaultListFont() { return platform::defaultGuiFont(); }

platform::LogFont CPreferences::DefaultOutlineFont() { return DefaultOutlineFont(platform::screenDpiY()); }

platform::LogFont CPreferences::DefaultOutlineFont(int dpiY) {
    platform::LogFont font;
    font.height = -static_cast<int32_t>(std::lround(11.0 * dpiY / 72.0));
    font.weight = 0;
    font.charSet = 0;
    font.outPrecision = 4;
    font.clipPrecision = 0;
    font.quality = 2;
    font.pitchAndFamily = 34;  // variable pitch, sans-serif family
    font.setFaceName(config::IsWindowsXP() ? QStringLiteral("Arial") : QStringLiteral("Calibri"));
    return font;
}

namespace {

platform::LogFont readFont(const CAppSettings& settings, const QString& section, const QString& name,
                           const platform::LogFont& fallback) {
    platform::LogFont font;
    const auto bytes = settings.GetBinary(section, name);
    if (bytes && platform::LogFont::fromBinary(*bytes, &font)) return font;
    return fallback;
}

}  // namespace

void CPreferences::Load(const CAppSettings& settings, const QString& userKey, const QString& defaultDataFolder) {
    const QString section = CAppSettings::UserSection(userKey, config::kPreferencesSubkey);

    // An empty stored path would point every part at the working folder.
    m_dataFolder = settings.GetString(section, kPath, QString());
    if (m_dataFolder.isEmpty()) m_dataFolder = defaultDataFolder;

    m_listFont = readFont(settings, section, kListFont, DefaultListFont());
    m_outlineFont = readFont(settings, section, kOutlineFont, DefaultOutlineFont());

    SetSaveFolder(settings.GetInt(section, kSaveFolder, 0));
    m_createNew = settings.GetInt(section, kCreateNew, m_createNew);
    m_moveToArchive = settings.GetInt(section, kMoveToArchive, m_moveToArchive);
    m_autoChecking = settings.GetInt(section, kAutoChecking, m_autoChecking);
    SetAutoSave(settings.GetInt(section, kAutoSave, 0));
    m_pasteInSingleNode = settings.GetInt(section, kPasteInSingleNode, m_pasteInSingleNode);
    SetWordExport(settings.GetInt(section, kWordExport, m_wordExport));
    m_wordExportNotes = settings.GetInt(section, kWordExportNotes, 0);
    m_printHiddenItems = settings.GetInt(section, kPrintHiddenItems, 1);
    m_printNotes = settings.GetInt(section, kPrintNotes, 0);
}

bool CPreferences::Save(CAppSettings& settings, const QString& userKey, const QString& defaultDataFolder) {
    const QString section = CAppSettings::UserSection(userKey, config::kPreferencesSubkey);
    if (m_dataFolder.isEmpty()) m_dataFolder = defaultDataFolder;

    bool ok = settings.WriteString(section, kPath, m_dataFolder);
    ok = settings.WriteBinary(section, kListFont, m_listFont.toBinary()) && ok;
    ok = settings.WriteBinary(section, kOutlineFont, m_outlineFont.toBinary()) && ok;
    ok = settings.WriteInt(section, kSaveFolder, m_saveFolder) && ok;
    ok = settings.WriteInt(section, kCreateNew, m_createNew) && ok;
    ok = settings.WriteInt(section, kMoveToArchive, m_moveToArchive) && ok;
    ok = settings.WriteInt(section, kAutoChecking, m_autoChecking) && ok;
    ok = settings.WriteInt(section, kAutoSave, m_autoSave) && ok;
    ok = settings.WriteInt(section, kPasteInSingleNode, m_pasteInSingleNode) && ok;
    ok = settings.WriteInt(section, kWordExport, m_wordExport) && ok;
    ok = settings.WriteInt(section, kWordExportNotes, m_wordExportNotes) && ok;
    ok = settings.WriteInt(section, kPrintHiddenItems, m_printHiddenItems) && ok;
    ok = settings.WriteInt(section, kPrintNotes, m_printNotes) && ok;
    return ok;
}
