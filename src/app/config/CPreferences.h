#pragma once
// The preferences record: the current user's settings, one record for the whole run.
// Load and Save work on the user whose key and default data folder they are given; after
// a user switch, a value the new user never stored keeps the previous user's value
// (where the record says "the value held").

#include <cstdint>

#include <QString>

#include "platform/LogFont.h"

class CAppSettings;

class CPreferences {
public:
    // Initial values: the default fonts, an empty data folder, "Create new" on,
    // everything else 0.
    CPreferences();

    CPreferences(const CPreferences& other);
    // Copies every field, the clamped ones through their setters.
    CPreferences& operator=(const CPreferences& other);

    // Reads the user's "Preferences" section. Missing values: fonts -> defaults; "Path" ->
    // defaultDataFolder (also when stored empty); "Save folder", "Auto-save",
    // "Word export notes", "Print notes" -> 0; "Print hidden items" -> 1; every other
    // integer keeps its current value. Stored values outside their range are clamped;
    // a stored font that is not a 92-byte record reads as the default font.
    void Load(const CAppSettings& settings, const QString& userKey, const QString& defaultDataFolder);
    // Writes every field; an empty data folder is written (and kept) as defaultDataFolder.
    // False when the store refused a value.
    bool Save(CAppSettings& settings, const QString& userKey, const QString& defaultDataFolder);

    // The default fonts: the desktop's UI font, and the outline font (Calibri 11 points).
    static platform::LogFont DefaultListFont();
    static platform::LogFont DefaultOutlineFont();
    static platform::LogFont DefaultOutlineFont(int dpiY);

    const platform::LogFont& GetListFont() const { return m_listFont; }
    void SetListFont(const platform::LogFont& font) { m_listFont = font; }
    const platform::LogFont& GetOutlineFont() const { return m_outlineFont; }
    void SetOutlineFont(const platform::LogFont& font) { m_outlineFont = font; }

    // The current user's data folder: every part reads it here when it needs it.
    const QString& GetDataFolder() const { return m_dataFolder; }
    void SetDataFolder(const QString& folder) { m_dataFolder = folder; }

    int32_t GetSaveFolder() const { return m_saveFolder; }
    void SetSaveFolder(int32_t value);     // kept in 0..1
    int32_t GetAutoSave() const { return m_autoSave; }
    void SetAutoSave(int32_t minutes);     // kept in 0..60; 0 = off
    int32_t GetWordExport() const { return m_wordExport; }
    void SetWordExport(int32_t value);     // kept in 0..1

    // Flags: any non-zero value is set; the value is stored as given.
    int32_t GetCreateNew() const { return m_createNew; }
    void SetCreateNew(int32_t v) { m_createNew = v; }
    int32_t GetAutoChecking() const { return m_autoChecking; }
    void SetAutoChecking(int32_t v) { m_autoChecking = v; }
    int32_t GetPasteInSingleNode() const { return m_pasteInSingleNode; }
    void SetPasteInSingleNode(int32_t v) { m_pasteInSingleNode = v; }
    int32_t GetMoveToArchive() const { return m_moveToArchive; }
    void SetMoveToArchive(int32_t v) { m_moveToArchive = v; }
    int32_t GetWordExportNotes() const { return m_wordExportNotes; }
    void SetWordExportNotes(int32_t v) { m_wordExportNotes = v; }
    int32_t GetPrintHiddenItems() const { return m_printHiddenItems; }
    void SetPrintHiddenItems(int32_t v) { m_printHiddenItems = v; }
    int32_t GetPrintNotes() const { return m_printNotes; }
    void SetPrintNotes(int32_t v) { m_printNotes = v; }

    // Used by the outline view for documents whose font colour is -1; nothing changes it.
    uint32_t GetDefaultTextColor() const { return m_defaultTextColor; }

    // Value names in the "Preferences" section.
    static const QString kListFont, kOutlineFont, kPath, kSaveFolder, kCreateNew, kAutoChecking,
        kPasteInSingleNode, kAutoSave, kMoveToArchive, kWordExport, kWordExportNotes,
        kPrintHiddenItems, kPrintNotes;

private:
    platform::LogFont m_listFont;
    platform::LogFont m_outlineFont;
    QString m_dataFolder;
    int32_t m_saveFolder = 0;
    int32_t m_createNew = 1;
    int32_t m_autoChecking = 0;
    int32_t m_pasteInSingleNode = 0;
    int32_t m_autoSave = 0;
    int32_t m_moveToArchive = 0;
    int32_t m_wordExport = 0;
    int32_t m_wordExportNotes = 0;
    int32_t m_printHiddenItems = 0;
    int32_t m_printNotes = 0;
    uint32_t m_defaultTextColor = 0;
};
