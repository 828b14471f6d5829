#include "sync/CUserList.h"

#include <set>

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <gtest/gtest.h>

#include "app/config/CAppSettings.h"
#include "app/config/ConfigTable.h"
#include "platform/MemorySettingsStore.h"
#include "platform/QtSettingsStore.h"
#include "support/TempHome.h"
#include "sync/SyncPrefChoice.h"

namespace {

const QString kApp = "Software\\Varnholt\\Orvelle";

std::set<QString> everythingBelow(const QString& root) {
    std::set<QString> out;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) out.insert(it.next());
    return out;
}

TEST(CUserList, HostileDeviceIdsComeBackExactlyAndStayInsideTheUsersFolder) {
    testsupport::TempHome home;
    const QString parent = home.documents() + "/Varnholt/Orvelle";
    const std::set<QString> before = everythingBelow(home.path());
    const QString ids[] = {"../../x", "a/b", "", QString(300, QChar('x')), "a\\b", "..", ".",
                           "IPhone - x", "%41", "tab\tnew\nline", "ABCDEF0123456789"};
    {
        platform::QtSettingsStore store;
        CAppSettings settings(store);
        CUserList users(settings);
        for (const QString& id : ids) {
            CUserItem* user = users.CreateUser("Phone of " + id.left(10), id);
            ASSERT_NE(user, nullptr);
            EXPECT_EQ(user->GetDeviceID(), id);
            EXPECT_EQ(QFileInfo(user->GetDefaultDataFolder()).path(), parent) << id.toStdString();
            EXPECT_TRUE(QFileInfo(user->GetDefaultDataFolder()).isDir()) << id.toStdString();
        }
        EXPECT_EQ(users.GetCount(), static_cast<int>(std::size(ids)));
        store.flush();
    }
    // Only the settings file and the users' folders (one each, all distinct) appeared.
    std::set<QString> created;
    for (const QString& p : everythingBelow(home.path())) {
        if (!before.count(p)) created.insert(p);
    }
    std::set<QString> folders;
    for (const QString& p : created) {
        if (p.startsWith(parent + "/")) {
            EXPECT_EQ(QFileInfo(p).path(), parent) << p.toStdString();
            folders.insert(p);
        } else {
            EXPECT_TRUE(p == home.path() + "/.config/Varnholt" || p == home.path() + "/.config/Varnholt/Orvelle.ini" ||
                        p == home.documents() + "/Varnholt" || p == parent)
                << p.toStdString();
        }
    }
    EXPECT_EQ(folders.size(), std::size(ids));

    platform::QtSettingsStore store;
    CAppSettings settings(store);
    CUserList loaded(settings);
    EXPECT_EQ(loaded.LoadUsers(), static_cast<int>(std::size(ids)));
    for (const QString& id : ids) {
        const CUserItem* user = loaded.FindByID(id);
        ASSERT_NE(user, nullptr) << id.toStdString();
        EXPECT_EQ(user->GetName(), "Phone of " + id.left(10));
        EXPECT_EQ(user->GetKind(), "");
    }
}

class UserStoreTest : public ::testing::Test {
protected:
    void storeUser(const QString& keyName, const QString& displayName) {
        store_.writeString(kApp + "\\" + keyName, "UserDisplayName", displayName);
    }
    testsupport::TempHome home_;  // CreateUser makes folders in the documents folder
    platform::MemorySettingsStore store_;
    CAppSettings settings_{store_};
    CUserList users_{settings_};
};

TEST_F(UserStoreTest, LoadingFollowsTheKeyOrderAndStopsAtAnEmptyName) {
    storeUser("IPhone - A", "Anna");
    storeUser("IPhone - B", "");
    storeUser("IPhone - C", "Carl");
    store_.writeInt(kApp + "\\Workspace", "FirstSync", 0);
    EXPECT_EQ(users_.LoadUsers(), 1);
    ASSERT_EQ(users_.GetCount(), 1);
    EXPECT_EQ(users_.GetAt(0)->GetName(), "Anna");
    EXPECT_EQ(users_.FindByID("C"), nullptr);
}

TEST_F(UserStoreTest, OtherKeysAndHandEditedNamesAreSkippedWithoutEndingTheLoad) {
    storeUser("Standalone - Standalone_123456789", "Desk");
    storeUser("IPhone - a/b", "raw slash is not a name this program writes");
    storeUser("IPhone - ok", "Oskar");
    storeUser("Iphone - lower", "Lena");
    storeUser("IPhone - zed", "Zed");
    EXPECT_EQ(users_.LoadUsers(), 2);
    EXPECT_EQ(users_.GetAt(0)->GetDeviceID(), "ok");
    EXPECT_EQ(users_.GetAt(1)->GetDeviceID(), "zed");
    // Loading again adds nothing and keeps the users where they were.
    CUserItem* first = users_.GetAt(0);
    EXPECT_EQ(users_.LoadUsers(), 0);
    EXPECT_EQ(users_.GetAt(0), first);
}

TEST_F(UserStoreTest, AnEmptyStoreGivesNoUsers) {
    EXPECT_EQ(users_.LoadUsers(), 0);
    EXPECT_EQ(users_.GetCount(), 0);
    EXPECT_EQ(users_.GetAt(0), nullptr);
}

TEST_F(UserStoreTest, LongDisplayNamesAreCutWhenLoaded) {
    storeUser("IPhone - L", QString(250, QChar('n')));
    QString pairAtEdge = QString(198, QChar('p')) + QString::fromUtf16(u"\U0001F600") + "tail";
    storeUser("IPhone - M", pairAtEdge);
    ASSERT_EQ(users_.LoadUsers(), 2);
    EXPECT_EQ(users_.FindByID("L")->GetName(), QString(199, QChar('n')));
    EXPECT_EQ(users_.FindByID("M")->GetName(), QString(198, QChar('p')));  // pair not split
}

TEST_F(UserStoreTest, FindByIDIsExact) {
    users_.CreateUser("Anna", "abc");
    EXPECT_NE(users_.FindByID("abc"), nullptr);
    EXPECT_EQ(users_.FindByID("ABC"), nullptr);
    EXPECT_EQ(users_.FindByID("abc "), nullptr);
}

TEST_F(UserStoreTest, CreatingAUserStoresItsNameAndKeepsIdsUnique) {
    CUserItem* a = users_.CreateUser("Anna's phone", "dev1");
    EXPECT_EQ(a->GetKind(), "IPhone");
    EXPECT_EQ(a->GetUserKeyName(), "IPhone - dev1");
    EXPECT_EQ(a->GetDefaultDataFolder(), home_.documents() + "/Varnholt/Orvelle/dev1");
    EXPECT_EQ(settings_.GetString("IPhone - dev1", "UserDisplayName", ""), "Anna's phone");
    EXPECT_EQ(users_.CreateUser("Other name", "dev1"), a);
    EXPECT_EQ(users_.GetCount(), 1);
    // A nameless handheld must not store the empty name that would end loading.
    CUserItem* nameless = users_.CreateUser("  ", "dev2");
    EXPECT_EQ(nameless->GetName(), "dev2");
    CUserList reloaded(settings_);
    EXPECT_EQ(reloaded.LoadUsers(), 2);
}

TEST(CUserItem, TheStandaloneUserHasItsOwnKeyPrefix) {
    const CUserItem standalone(UserRecord{"Desk", "Standalone_123456789", "IPhone"});
    EXPECT_TRUE(standalone.IsStandalone());
    EXPECT_EQ(standalone.GetUserKeyName(), "Standalone - Standalone_123456789");
    const CUserItem phone(UserRecord{"P", "Standalone_12345678", "IPhone"});
    EXPECT_FALSE(phone.IsStandalone());
    EXPECT_EQ(phone.GetUserKeyName(), "IPhone - Standalone_12345678");
}

TEST(SyncPrefChoice, BothGroupsOpenAtTheDefaultMode) {
    struct Case { int stored; syncpref::Selection expected; };
    const Case cases[] = {
        {0, {syncpref::kNextSynchronize, syncpref::kDefaultSynchronize}},
        {1, {syncpref::kNextDesktopOverwritesHandheld, syncpref::kDefaultDesktopOverwritesHandheld}},
        {2, {syncpref::kNextHandheldOverwritesDesktop, syncpref::kDefaultHandheldOverwritesDesktop}},
        {7, {}},
    };
    for (const Case& c : cases) {
        platform::MemorySettingsStore store;
        CAppSettings settings(store);
        config::SetSyncDirection(settings, 2);  // the one-time mode does not show
        config::SetSyncDefaultDirection(settings, c.stored);
        EXPECT_EQ(syncpref::InitialSelection(settings), c.expected) << c.stored;
    }
}

TEST(SyncPrefChoice, OkWritesWhatIsSelected) {
    struct Case { syncpref::Selection selection; int direction; int defaultDirection; };
    const Case cases[] = {
        {{syncpref::kNextHandheldOverwritesDesktop, syncpref::kDefaultDesktopOverwritesHandheld}, 2, 1},
        {{syncpref::kNextDesktopOverwritesHandheld, syncpref::kDefaultHandheldOverwritesDesktop}, 1, 2},
        {{syncpref::kNextSynchronize, syncpref::kDefaultSynchronize}, 0, 0},
        {{syncpref::kNone, syncpref::kNone}, 5, 0},  // nothing selected: direction untouched
    };
    for (const Case& c : cases) {
        platform::MemorySettingsStore store;
        CAppSettings settings(store);
        config::SetSyncDirection(settings, 5);
        config::SetSyncDefaultDirection(settings, 9);
        syncpref::ApplySelection(settings, c.selection);
        EXPECT_EQ(config::GetSyncDirection(settings), c.direction);
        EXPECT_EQ(config::GetSyncDefaultDirection(settings), c.defaultDirection);
    }
}

}  // namespace
