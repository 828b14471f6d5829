#include "app/config/CPreferences.h"

#include <gtest/gtest.h>

#include "app/config/AppVersion.h"
#include "app/config/CAppSettings.h"
#include "app/config/ConfigTable.h"
#include "app/config/SharedFlags.h"
#include "platform/MemorySettingsStore.h"

namespace {

const QString kUserA = "IPhone - A";
const QString kUserB = "IPhone - B";
const QString kPrefsA = "IPhone - A\\Preferences";

class PreferencesTest : public ::testing::Test {
protected:
    platform::MemorySettingsStore store_;
    CAppSettings settings_{store_};
};

TEST_F(PreferencesTest, AFreshUserReadsTheDocumentedDefaults) {
    CPreferences p;
    p.Load(settings_, kUserA, "/docs/A");
    EXPECT_EQ(p.GetDataFolder(), "/docs/A");
    EXPECT_EQ(p.GetListFont(), CPreferences::DefaultListFont());
    EXPECT_EQ(p.GetOutlineFont(), CPreferences::DefaultOutlineFont());
    EXPECT_EQ(p.GetCreateNew(), 1);
    EXPECT_EQ(p.GetPrintHiddenItems(), 1);  // unlike the record's initial 0
    EXPECT_EQ(p.GetSaveFolder(), 0);
    EXPECT_EQ(p.GetAutoSave(), 0);
    EXPECT_EQ(p.GetPrintNotes(), 0);
    EXPECT_EQ(p.GetDefaultTextColor(), 0u);
}

TEST_F(PreferencesTest, ValuesNeverStoredAreInheritedFromThePreviousUserWhereTheRecordSaysSo) {
    settings_.WriteInt(kPrefsA, "Create new", 0);
    settings_.WriteInt(kPrefsA, "Auto-checking", 1);
    settings_.WriteInt(kPrefsA, "Paste in a single node", 1);
    settings_.WriteInt(kPrefsA, "Move to archive", 1);
    settings_.WriteInt(kPrefsA, "Word export", 1);
    settings_.WriteInt(kPrefsA, "Word export notes", 1);
    settings_.WriteInt(kPrefsA, "Auto-save", 10);
    settings_.WriteInt(kPrefsA, "Print hidden items", 0);
    settings_.WriteInt(kPrefsA, "Print notes", 1);
    settings_.WriteInt(kPrefsA, "Save folder", 1);
    CPreferences p;
    p.Load(settings_, kUserA, "/docs/A");
    p.Load(settings_, kUserB, "/docs/B");
    // held
    EXPECT_EQ(p.GetCreateNew(), 0);
    EXPECT_EQ(p.GetAutoChecking(), 1);
    EXPECT_EQ(p.GetPasteInSingleNode(), 1);
    EXPECT_EQ(p.GetMoveToArchive(), 1);
    EXPECT_EQ(p.GetWordExport(), 1);
    // fixed defaults
    EXPECT_EQ(p.GetWordExportNotes(), 0);
    EXPECT_EQ(p.GetAutoSave(), 0);
    EXPECT_EQ(p.GetPrintHiddenItems(), 1);
    EXPECT_EQ(p.GetPrintNotes(), 0);
    EXPECT_EQ(p.GetSaveFolder(), 0);
    EXPECT_EQ(p.GetDataFolder(), "/docs/B");
}

TEST_F(PreferencesTest, StoredValuesOutOfRangeAreClamped) {
    struct Case { const char* name; int32_t stored; int32_t (CPreferences::*get)() const; int32_t expected; };
    const Case cases[] = {
        {"Save folder", 7, &CPreferences::GetSaveFolder, 1},
        {"Save folder", -3, &CPreferences::GetSaveFolder, 0},
        {"Word export", 9, &CPreferences::GetWordExport, 1},
        {"Auto-save", 1000, &CPreferences::GetAutoSave, 60},
        {"Auto-save", -5, &CPreferences::GetAutoSave, 0},
        {"Create new", 5, &CPreferences::GetCreateNew, 5},  // flags are kept as stored
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        settings_.WriteInt(kPrefsA, c.name, c.stored);
        CPreferences p;
        p.Load(settings_, kUserA, "/d");
        EXPECT_EQ((p.*c.get)(), c.expected);
    }
}

TEST_F(PreferencesTest, SettersAndCopyKeepTheRanges) {
    CPreferences p;
    p.SetAutoSave(61);
    EXPECT_EQ(p.GetAutoSave(), 60);
    p.SetSaveFolder(2);
    EXPECT_EQ(p.GetSaveFolder(), 1);
    p.SetWordExport(-1);
    EXPECT_EQ(p.GetWordExport(), 0);
    p.SetDataFolder("/x");
    p.SetPrintNotes(1);
    CPreferences copy;
    copy = p;
    EXPECT_EQ(copy.GetAutoSave(), 60);
    EXPECT_EQ(copy.GetSaveFolder(), 1);
    EXPECT_EQ(copy.GetDataFolder(), "/x");
    EXPECT_EQ(copy.GetPrintNotes(), 1);
    CPreferences constructed(p);
    EXPECT_EQ(constructed.GetDataFolder(), "/x");
}

TEST_F(PreferencesTest, SaveThenLoadGivesEveryFieldBackAndWritesEveryName) {
    CPreferences p;
    platform::LogFont f;
    f.height = -20;
    f.weight = 700;
    f.setFaceName("Carlito");
    p.SetListFont(f);
    f.italic = 1;
    p.SetOutlineFont(f);
    p.SetDataFolder("/data/A");
    p.SetSaveFolder(1); p.SetCreateNew(0); p.SetAutoChecking(1); p.SetPasteInSingleNode(1);
    p.SetAutoSave(15); p.SetMoveToArchive(1); p.SetWordExport(1); p.SetWordExportNotes(1);
    p.SetPrintHiddenItems(0); p.SetPrintNotes(1);
    ASSERT_TRUE(p.Save(settings_, kUserA, "/default"));

    QStringList expectedNames;
    for (const auto& e : config::ConfigurationTable()) {
        if (QStringView(e.section) == u"Preferences") expectedNames << QString::fromUtf16(e.name);
    }
    expectedNames.sort();
    EXPECT_EQ(expectedNames.size(), 13);
    EXPECT_EQ(store_.valueNames(settings_.KeyPath(kPrefsA)), expectedNames);

    CPreferences back;
    back.Load(settings_, kUserA, "/default");
    EXPECT_EQ(back.GetListFont(), p.GetListFont());
    EXPECT_EQ(back.GetOutlineFont(), p.GetOutlineFont());
    EXPECT_EQ(back.GetDataFolder(), "/data/A");
    EXPECT_EQ(back.GetSaveFolder(), 1);
    EXPECT_EQ(back.GetCreateNew(), 0);
    EXPECT_EQ(back.GetAutoChecking(), 1);
    EXPECT_EQ(back.GetPasteInSingleNode(), 1);
    EXPECT_EQ(back.GetAutoSave(), 15);
    EXPECT_EQ(back.GetMoveToArchive(), 1);
    EXPECT_EQ(back.GetWordExport(), 1);
    EXPECT_EQ(back.GetWordExportNotes(), 1);
    EXPECT_EQ(back.GetPrintHiddenItems(), 0);
    EXPECT_EQ(back.GetPrintNotes(), 1);
}

TEST_F(PreferencesTest, AMissingOrEmptyPathBecomesTheDefaultFolderAndIsSavedAsSuch) {
    CPreferences p;
    p.Load(settings_, kUserA, "/docs/A");
    ASSERT_TRUE(p.Save(settings_, kUserA, "/docs/A"));
    EXPECT_EQ(settings_.GetString(kPrefsA, "Path", "?"), "/docs/A");

    settings_.WriteString(kPrefsA, "Path", "");
    p.Load(settings_, kUserA, "/docs/A2");
    EXPECT_EQ(p.GetDataFolder(), "/docs/A2");
}

TEST_F(PreferencesTest, AFontOfAnotherSizeReadsAsTheDefault) {
    CPreferences p;
    platform::LogFont custom;
    custom.setFaceName("Custom");
    p.SetOutlineFont(custom);
    p.SetListFont(custom);
    for (int size : {0, 60, 91, 93, 184}) {
        settings_.WriteBinary(kPrefsA, "Outline font", QByteArray(size, '\x01'));
        settings_.WriteString(kPrefsA, "List font", "not binary");
        p.Load(settings_, kUserA, "/d");
        EXPECT_EQ(p.GetOutlineFont(), CPreferences::DefaultOutlineFont()) << size;
        EXPECT_EQ(p.GetListFont(), CPreferences::DefaultListFont()) << size;
    }
}

TEST(DefaultOutlineFont, IsElevenPointCalibriAtTheScreenResolution) {
    const platform::LogFont at96 = CPreferences::DefaultOutlineFont(96);
    EXPECT_EQ(at96.height, -15);
    EXPECT_EQ(CPreferences::DefaultOutlineFont(120).height, -18);  // 18.33 rounds down
    EXPECT_EQ(CPreferences::DefaultOutlineFont(144).height, -22);
    EXPECT_EQ(at96.weight, 0);
    EXPECT_EQ(at96.outPrecision, 4);
    EXPECT_EQ(at96.quality, 2);
    EXPECT_EQ(at96.pitchAndFamily, 34);
    EXPECT_EQ(at96.faceNameString(), "Calibri");
    EXPECT_FALSE(config::IsWindowsXP());
}

TEST(VersionText, LeavesOutABuildOfZero) {
    EXPECT_EQ(config::FormatVersionText(3, 0, 0), "3.0");
    EXPECT_EQ(config::FormatVersionText(3, 0, 2), "3.0.2");
    EXPECT_EQ(config::FormatVersionText(10, 12, 0), "10.12");
    EXPECT_FALSE(config::GetVersionText().isEmpty());
}

TEST(WorkspaceValues, DefaultsAndRoundTrip) {
    platform::MemorySettingsStore store;
    CAppSettings settings(store);
    EXPECT_EQ(config::GetSyncDirection(settings), 0);
    EXPECT_EQ(config::GetSyncDefaultDirection(settings), 0);
    EXPECT_EQ(config::GetFirstSync(settings), 1);
    EXPECT_EQ(config::GetApplicationLook(settings), 215);
    EXPECT_EQ(config::GetCurrentUserID(settings), "");
    config::SetSyncDirection(settings, 2);
    config::SetCurrentUserID(settings, "a/b");
    EXPECT_EQ(store.readInt("Software\\Varnholt\\Orvelle\\Workspace", "SyncDirection"), 2);
    EXPECT_EQ(config::GetCurrentUserID(settings), "a/b");
}

TEST(SharedFlags, ScopesPutBackWhatTheyFound) {
    EXPECT_FALSE(config::IsSilentSave());
    EXPECT_TRUE(config::IsRefreshListAfterSave());
    {
        config::SilentSaveScope silent;
        config::NoListRefreshScope quiet;
        EXPECT_TRUE(config::IsSilentSave());
        EXPECT_FALSE(config::IsRefreshListAfterSave());
        {
            config::SilentSaveScope nested;
        }
        EXPECT_TRUE(config::IsSilentSave());
    }
    EXPECT_FALSE(config::IsSilentSave());
    EXPECT_TRUE(config::IsRefreshListAfterSave());
}

}  // namespace
