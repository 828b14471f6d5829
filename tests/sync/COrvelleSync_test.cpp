// Whole sync sessions: the desktop's session against the handheld simulator over real
// loopback TCP, on real files under a temporary home.

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "HandheldSimulator.h"
#include "app/config/CAppSettings.h"
#include "app/config/ConfigTable.h"
#include "app/config/DataFolders.h"
#include "app/config/SharedFlags.h"
#include "platform/MemorySettingsStore.h"
#include "platform/Sockets.h"
#include "storage/CDeletedOutlinesDatabase.h"
#include "storage/COutlineDatabase.h"
#include "sync/COrvelleSync.h"
#include "sync/CUserList.h"
#include "sync/ISyncHost.h"
#include "sync/SyncFolders.h"
#include "support/TempHome.h"
#include "SyncTestFiles.h"

namespace {

using synctest::Outline;
using synctest::Put;

using Outcome = COrvelleSync::Outcome;
using Snapshot = std::map<QString, QByteArray>;

// The program's side as the session sees it: the current user, its data folder, and a
// record of every text and request, in order.
struct RecordingHost : ISyncHost {
    CUserItem* current = nullptr;
    QString folder;
    bool mainWindow = true;
    QStringList statuses, modes, messages, events;
    QString title;
    const std::vector<std::string>* desktopWords = nullptr;
    std::vector<std::string> wordsAtSwitch;
    bool silentDuringSave = false, listRefreshDuringSave = true;

    void ShowMessage(const QString& text, const QString&) override { messages << text; }
    CUserItem* CurrentUser() const override { return current; }
    QString DataFolder() const override { return folder; }
    bool HasMainWindow() const override { return mainWindow; }
    void SwitchUser(CUserItem* user) override {
        events << "switch " + user->GetDeviceID();
        if (desktopWords) wordsAtSwitch = *desktopWords;
        current = user;
        folder = user->GetDefaultDataFolder();
        QDir().mkpath(folder);
    }
    void SaveModifiedDocuments() override {
        events << "save";
        silentDuringSave = config::IsSilentSave();
        listRefreshDuringSave = config::IsRefreshListAfterSave();
    }
    void RefillUsers() override { events << "refill"; }
    void RefreshListPane() override { events << "list"; }
    void RefreshAllViews() override { events << "views"; }
    void ShowProgress() override { events << "progress"; }
    void CloseProgress() override { events << "close"; }
    void SetStatus(const QString& text) override { statuses << text; }
    void SetMode(const QString& text) override { modes << text; }
    void SetUserTitle(const QString& name) override { title = name; }
    void OnUserCreated() override { events << "wizard"; }
};

class Session : public ::testing::Test {
protected:
    void SetUp() override {
        handheldIn = home.path() + "/handheld";
        QDir().mkpath(handheldIn);
        options.inputFolder = handheldIn;
        options.outputFolder = home.path() + "/handheld-out";
        options.deviceName = "Anna's iPhone";
        options.deviceId = "DEV-A";
        options.timeoutMs = 5000;
        StartDesktop();
    }
    void TearDown() override { sync.reset(); }

    void StartDesktop() {
        sync = std::make_unique<COrvelleSync>(settings, users, host);
        sync->SetPort(0);
        sync->SetTimeout(2000);
        sync->SetProgressPauses(false);
        sync->Transport().SetTracer([this](bool sent, const char* data, long size) {
            if (sent && size < 64) desktopWords.emplace_back(data, static_cast<std::size_t>(size));
        });
        host.desktopWords = &desktopWords;
        sync->SetReportSink([this](const COrvelleSync::SessionReport& r) {
            std::lock_guard lock(mutex);
            reports.push_back(r);
            done.notify_all();
        });
        ASSERT_TRUE(sync->StartListener());
    }

    // A user of the desktop, made current.
    CUserItem* CurrentUser(const QString& id, const QString& name = "Anna's iPhone") {
        CUserItem* user = users.CreateUser(name, id);
        host.current = user;
        host.folder = user->GetDefaultDataFolder();
        return user;
    }
    QString Data() const { return host.folder; }

    // One sync, to the end of the desktop's session.
    COrvelleSync::SessionReport Sync() {
        desktopWords.clear();
        std::size_t before;
        {
            std::lock_guard lock(mutex);
            before = reports.size();
        }
        handheld = sim::RunHandheld("127.0.0.1", sync->Port(), options);
        std::unique_lock lock(mutex);
        const bool ended = done.wait_for(lock, std::chrono::seconds(20), [&] { return reports.size() > before; });
        EXPECT_TRUE(ended) << "the desktop's session did not end";
        return ended ? reports.back() : COrvelleSync::SessionReport{};
    }

    static void DeletedList(const QString& path, const QStringList& uids) {
        CDeletedOutlinesDatabase db;
        db.InitNew();
        for (const QString& u : uids) db.AddDeleted(u);
        ASSERT_TRUE(db.Save(path, 0));
    }
    static QString Title(const QString& path) {
        COutlineDatabase db;
        return db.Open(path, 0) ? db.GetTitle() : QString("<unreadable>");
    }
    static int Modified(const QString& path) {
        COutlineDatabase db;
        return db.Open(path, 0) ? db.GetModified() : -1;
    }
    static Snapshot Take(const QString& folder) {
        Snapshot s;
        QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString p = it.next();
            QFile f(p);
            f.open(QIODevice::ReadOnly);
            s[QDir(folder).relativeFilePath(p)] = f.readAll();
        }
        return s;
    }
    // Every file of before is back with its old contents (files a failed sync added may stay).
    static void ExpectRestored(const Snapshot& before, const Snapshot& after) {
        for (const auto& [path, bytes] : before) {
            auto it = after.find(path);
            if (it == after.end()) ADD_FAILURE() << path.toStdString() << " is missing";
            else EXPECT_EQ(it->second, bytes) << path.toStdString() << " has other contents";
        }
    }
    QStringList ReceivedNames() const {
        QStringList names;
        for (const QString& p : handheld.received) names << QFileInfo(p).fileName();
        return names;
    }
    void ExpectNoSessionFolders() {
        EXPECT_FALSE(QFileInfo::exists(Data() + "/TempData"));
        EXPECT_FALSE(QFileInfo::exists(config::UsersParentFolder() + "/Backup"));
        EXPECT_FALSE(QFileInfo::exists(config::UsersParentFolder() + "/Backup~"));
    }
    int Direction() { return config::GetSyncDirection(settings); }
    void SetDirections(int next, int fallback) {
        config::SetSyncDirection(settings, next);
        config::SetSyncDefaultDirection(settings, fallback);
    }
    // The desktop's word right after the first occurrence of word; "" when none.
    std::string WordAfter(const std::string& word) const {
        auto it = std::find(desktopWords.begin(), desktopWords.end(), word);
        if (it == desktopWords.end() || ++it == desktopWords.end()) return "";
        return *it;
    }

    testsupport::TempHome home;
    platform::MemorySettingsStore store;
    CAppSettings settings{store};
    CUserList users{settings};
    RecordingHost host;
    std::unique_ptr<COrvelleSync> sync;
    sim::HandheldOptions options;
    sim::HandheldResult handheld;
    QString handheldIn;
    std::vector<std::string> desktopWords;
    std::mutex mutex;
    std::condition_variable done;
    std::vector<COrvelleSync::SessionReport> reports;
};

// --- The three modes -------------------------------------------------------------

TEST_F(Session, DesktopOverwritesHandheldSendsEverythingOnceAndTheNextSyncIsSynchronize) {
    CurrentUser("DEV-A");
    SetDirections(1, 0);
    Outline(Data() + "/Plan.orv", "A000000000000001", 1, "plan", {"p.png"});
    Outline(Data() + "/Form.ort", "A000000000000002", 1);
    Put(Data() + "/Images/p.png", "PNG");
    Put(Data() + "/Categories.xml", "<Categories/>");
    Put(Data() + "/notes.txt", "mine");
    Outline(Data() + "/Conflicts/Old.orv", "A000000000000003", 1);

    const auto report = Sync();

    EXPECT_EQ(report.outcome, Outcome::Ok);
    EXPECT_EQ(report.mode, 1);
    EXPECT_EQ(report.deviceId, "DEV-A");
    EXPECT_EQ(ReceivedNames(), QStringList({"Plan.orv", "Form.ort", "p.png"}));
    EXPECT_EQ(Modified(Data() + "/Plan.orv"), 0);
    EXPECT_EQ(Modified(Data() + "/Form.ort"), 0);
    EXPECT_EQ(Modified(Data() + "/Conflicts/Old.orv"), 1) << "Conflicts copies are no part of the library sent";
    EXPECT_EQ(Direction(), 0);
    EXPECT_EQ(host.modes, QStringList({"Mode : Desktop overrides handheld"}));
    EXPECT_EQ(host.statuses, QStringList({"Preparing for Sync...", "Getting handheld user information...",
                                          "Starting Sync...", "Sending files...", "Finalizing Sync..."}));
    EXPECT_EQ(host.events, QStringList({"progress", "save", "refill", "list", "views", "close"}));
    EXPECT_EQ(host.title, "Anna's iPhone");
    EXPECT_TRUE(handheld.endConnection);
    ExpectNoSessionFolders();

    // The one-time mode is spent: the next sync is a Synchronize.
    Sync();
    EXPECT_EQ(handheld.mode, 0);
}

TEST_F(Session, SynchronizeExchangesDeletionsAndChangesBothWays) {
    CurrentUser("DEV-A");
    SetDirections(0, 0);
    Outline(Data() + "/Gone.orv", "B000000000000001", 1, "deleted on the handheld");
    Outline(Data() + "/Both.orv", "B000000000000002", 1, "desktop version");
    Outline(Data() + "/Mine.orv", "B000000000000003", 1, "changed here", {"m.jpg"});
    Outline(Data() + "/Quiet.orv", "B000000000000004", 0, "unchanged");
    Put(Data() + "/Images/m.jpg", "JPEG");
    DeletedList(Data() + "/DeletedFiles.xml", {"FFFF000000000001"});
    DeletedList(handheldIn + "/DeletedFiles.xml", {"B000000000000001"});
    Outline(handheldIn + "/Both.orv", "B000000000000002", 0, "handheld version");
    Outline(handheldIn + "/New.orv", "B000000000000005", 0, "new on the handheld");

    const auto report = Sync();

    EXPECT_EQ(report.outcome, Outcome::Ok);
    EXPECT_FALSE(QFile::exists(Data() + "/Gone.orv"));
    EXPECT_EQ(Title(Data() + "/Both.orv"), "handheld version");
    EXPECT_EQ(Title(Data() + "/Conflicts/Both.orv"), "desktop version");
    EXPECT_EQ(Title(Data() + "/New.orv"), "new on the handheld");
    EXPECT_EQ(ReceivedNames(), QStringList({"DeletedFiles.xml", "Mine.orv", "m.jpg"}));
    EXPECT_TRUE(QFile::exists(Data() + "/DeletedFiles.xml")) << "the desktop's list is sent, not emptied";
    for (const char* f : {"/Both.orv", "/Mine.orv", "/New.orv", "/Quiet.orv"}) EXPECT_EQ(Modified(Data() + f), 0) << f;
    EXPECT_EQ(host.modes, QStringList({"Mode : Synchronize"}));
    EXPECT_EQ(host.statuses,
              QStringList({"Preparing for Sync...", "Getting handheld user information...", "Starting Sync...",
                           "Processing...", "Processing deleted files...", "Processing modified files..",
                           "Finalizing Sync..."}));
    EXPECT_TRUE(handheld.endConnection);
    ExpectNoSessionFolders();
}

TEST_F(Session, SynchronizeWithoutDeletedListsOnEitherSide) {
    CurrentUser("DEV-A");
    Outline(Data() + "/Mine.orv", "C000000000000001", 0);

    const auto report = Sync();

    EXPECT_EQ(report.outcome, Outcome::Ok);
    EXPECT_EQ(WordAfter("RecieveDeletedFileList"), "EndOfFiles");
    // The handheld had no list and still gets "ProcessSuccess" for the step.
    const std::vector<std::string> start(desktopWords.begin(), desktopWords.begin() + 8);
    EXPECT_EQ(start, (std::vector<std::string>{"SendDeviceName", "SendDeviceID", "SyncModeSynchronization",
                                               "SendDeletedFileList", "OK", "ProcessSuccess",
                                               "RecieveDeletedFileList", "EndOfFiles"}));
    EXPECT_EQ(Title(Data() + "/Mine.orv"), "t");
}

TEST_F(Session, ANewHandheldGetsAUserAndItsFirstSyncBringsItsOutlines) {
    CUserItem* other = CurrentUser("DEV-OTHER", "Other phone");
    Outline(Data() + "/Others.orv", "D000000000000009", 1);
    SetDirections(0, 0);
    options.deviceId = "DEV-NEW";
    options.deviceName = "New phone";
    Outline(handheldIn + "/From phone.orv", "D000000000000001", 1, "from the phone");
    Put(handheldIn + "/photo.png", "PNG");
    Put(handheldIn + "/Categories.xml", "<Categories/>");

    const auto report = Sync();

    CUserItem* created = users.FindByID("DEV-NEW");
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(created->GetName(), "New phone");
    EXPECT_EQ(host.current, created);
    EXPECT_EQ(Data(), config::DefaultDataFolderFor("DEV-NEW"));
    EXPECT_EQ(report.mode, 2);
    EXPECT_EQ(report.outcome, Outcome::Ok);
    EXPECT_EQ(Title(Data() + "/From phone.orv"), "from the phone");
    EXPECT_EQ(Modified(Data() + "/From phone.orv"), 0);
    EXPECT_TRUE(QFile::exists(Data() + "/Images/photo.png"));
    EXPECT_FALSE(QFile::exists(Data() + "/Categories.xml")) << "side files of the handheld are not taken";
    EXPECT_EQ(Direction(), 0) << "back to the default after the first sync";
    EXPECT_TRUE(host.events.contains("wizard"));
    EXPECT_EQ(host.modes, QStringList({"Mode : Handheld overrides desktop"}));
    EXPECT_EQ(host.statuses, QStringList({"Preparing for Sync...", "Getting handheld user information...",
                                          "Starting Sync...", "Receiving files...", "Finalizing Sync..."}));
    EXPECT_TRUE(QFile::exists(other->GetDefaultDataFolder() + "/Others.orv")) << "the other user is untouched";
    ExpectNoSessionFolders();
}

TEST_F(Session, HandheldOverwritesDesktopReplacesOnlyWhatTheLibraryOwns) {
    CurrentUser("DEV-A");
    SetDirections(2, 0);
    Outline(Data() + "/Old.orv", "E000000000000001", 0);
    Outline(Data() + "/Old template.ort", "E000000000000002", 0);
    Put(Data() + "/Images/old.png", "PNG");
    Put(Data() + "/Categories.xml", "<Categories/>");
    Put(Data() + "/notes.txt", "the user's own");
    Put(Data() + "/Backup/keep.txt", "a folder of the user's that happens to be called Backup");
    Put(handheldIn + "/only.jpg", "JPEG");  // a handheld with pictures and no outlines

    const auto report = Sync();

    EXPECT_EQ(report.outcome, Outcome::Ok);
    EXPECT_FALSE(QFile::exists(Data() + "/Old.orv"));
    EXPECT_FALSE(QFile::exists(Data() + "/Old template.ort"));
    EXPECT_FALSE(QFile::exists(Data() + "/Images/old.png"));
    EXPECT_FALSE(QFile::exists(Data() + "/Categories.xml"));
    EXPECT_TRUE(QFile::exists(Data() + "/Images/only.jpg"));
    EXPECT_EQ(Take(Data() + "/Backup").size(), 1u);
    EXPECT_TRUE(QFile::exists(Data() + "/notes.txt"));
    ExpectNoSessionFolders();
}

// --- The user of the handheld ------------------------------------------------------

TEST_F(Session, AnExistingUserWhoIsNotCurrentIsSwitchedToBeforeAnyFileMoves) {
    CUserItem* b = users.CreateUser("Bob's phone", "DEV-B");
    Outline(b->GetDefaultDataFolder() + "/Bob.orv", "F000000000000001", 1);
    CurrentUser("DEV-A");
    Outline(Data() + "/Anna.orv", "F000000000000002", 1);
    options.deviceId = "DEV-B";
    SetDirections(1, 0);

    const auto report = Sync();

    EXPECT_EQ(report.outcome, Outcome::Ok);
    EXPECT_EQ(host.events.first(2), QStringList({"progress", "switch DEV-B"}));
    EXPECT_EQ(host.wordsAtSwitch, (std::vector<std::string>{"SendDeviceName", "SendDeviceID"}));
    EXPECT_EQ(ReceivedNames(), QStringList({"Bob.orv"}));
    EXPECT_EQ(users.GetCount(), 2);
}

TEST_F(Session, TheCurrentUsersDocumentsAreSavedSilentlyAndNobodyIsSwitched) {
    CurrentUser("DEV-A");
    const auto report = Sync();
    EXPECT_EQ(report.outcome, Outcome::Ok);
    EXPECT_TRUE(host.events.contains("save"));
    EXPECT_FALSE(host.events.join(",").contains("switch"));
    EXPECT_TRUE(host.silentDuringSave);
    EXPECT_FALSE(host.listRefreshDuringSave);
    EXPECT_FALSE(config::IsSilentSave());
    EXPECT_TRUE(config::IsRefreshListAfterSave());
}

TEST_F(Session, AHandheldWithoutDeviceIDIsRefusedWithoutAUser) {
    CurrentUser("DEV-A");
    options.deviceId = "   ";
    const auto report = Sync();
    EXPECT_EQ(report.outcome, Outcome::NoDeviceID);
    EXPECT_EQ(users.GetCount(), 1);
    EXPECT_EQ(handheld.desktopWords.back(), "EndConnection");
}

// The backup lives beside the data folders; a device whose data folder would be there
// keeps its files.
TEST_F(Session, ADeviceCalledBackupKeepsItsDataFolder) {
    CurrentUser("Backup");
    options.deviceId = "Backup";
    Outline(Data() + "/Kept.orv", "G000000000000001", 0);
    ASSERT_EQ(Data(), config::UsersParentFolder() + "/Backup");
    const auto report = Sync();
    EXPECT_EQ(report.outcome, Outcome::Ok);
    EXPECT_TRUE(QFile::exists(Data() + "/Kept.orv"));
    EXPECT_FALSE(QFileInfo::exists(config::UsersParentFolder() + "/Backup~"));
}

// --- Failures ---------------------------------------------------------------------

// The library every failure case starts from: outlines on both sides, deletions, pictures.
class Failing : public Session {
protected:
    void Library() {
        CurrentUser("DEV-A");
        Outline(Data() + "/Gone.orv", "H000000000000001", 0, "deleted on the handheld");
        Outline(Data() + "/Both.orv", "H000000000000002", 1, "desktop version");
        Outline(Data() + "/Mine.orv", "H000000000000003", 1, "changed here", {"m.jpg"});
        Put(Data() + "/Images/m.jpg", "JPEG");
        DeletedList(handheldIn + "/DeletedFiles.xml", {"H000000000000001"});
        Outline(handheldIn + "/Both.orv", "H000000000000002", 0, "handheld version");
        Outline(handheldIn + "/New.orv", "H000000000000004", 0, "new");
    }
    // Makes the data folder hold exactly what the snapshot holds.
    void PutBack(const Snapshot& snapshot) {
        DeleteFolderTree(Data());
        QDir().mkpath(Data());
        for (const auto& [path, bytes] : snapshot) Put(Data() + "/" + path, bytes);
    }
};

TEST_F(Failing, AHandheldFailureRestoresTheDataFolder) {
    struct Case {
        const char* label;
        int mode;
        int failAt;
        bool resets;  // the mode still ran to its final "EndConnection"
    };
    const Case cases[] = {
        {"SynchronizeAfterDeletedLists", 0, 1, true},
        {"SynchronizeAtTheEnd", 0, 2, true},
        {"HandheldOverwritesDesktopAtFinalize", 2, 1, true},
    };
    Library();
    const Snapshot pristine = Take(Data());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        PutBack(pristine);
        SetDirections(c.mode, 1);
        options.failAt = c.failAt;
        const Snapshot before = Take(Data());
        host.statuses.clear();
        const auto report = Sync();
        EXPECT_EQ(report.outcome, Outcome::HandheldFailed);
        ExpectRestored(before, Take(Data()));
        EXPECT_TRUE(host.statuses.contains("Sync failed : Restoring data..."));
        EXPECT_EQ(Direction(), c.resets ? 1 : c.mode);
        EXPECT_FALSE(std::count(desktopWords.begin(), desktopWords.end(), "SyncFailed"))
            << "the desktop sends no failure of its own";
        ExpectNoSessionFolders();
    }
}

// Every place where the handheld may answer "SyncHasToStop", in each mode.
TEST_F(Failing, StopAtEachPointEndsTheConnectionAndRestores) {
    struct Case {
        const char* label;
        int mode;
        int points;  // places the handheld can stop at with the library above
    };
    // Synchronize: the deleted-list request, each of the 2 modified-file slots and the
    // end, the 2 desktop files (Mine.orv and its picture) and the desktop's end of files.
    // Desktop overwrites: one per file (3 outlines, 1 picture). Handheld overwrites: one
    // per handheld file (2; its deleted list is not sent there) and the end.
    const Case cases[] = {{"Synchronize", 0, 7}, {"DesktopOverwrites", 1, 4}, {"HandheldOverwrites", 2, 3}};
    Library();
    const Snapshot pristine = Take(Data());
    for (const Case& c : cases) {
        for (int at = 1; at <= c.points + 1; ++at) {
            PutBack(pristine);
            SCOPED_TRACE(std::string(c.label) + " stop at " + std::to_string(at));
            SetDirections(c.mode, 5);  // 5: no mode, so a reset shows
            options.stopAt = at;
            const Snapshot before = Take(Data());
            const auto report = Sync();
            if (at > c.points) {
                EXPECT_EQ(report.outcome, Outcome::Ok) << "one stop place more than counted";
                continue;
            }
            EXPECT_EQ(report.outcome, Outcome::StoppedByHandheld);
            EXPECT_EQ(handheld.desktopWords.back(), "EndConnection");
            EXPECT_EQ(Direction(), c.mode) << "the same mode runs next time";
            ExpectRestored(before, Take(Data()));
            ExpectNoSessionFolders();
        }
    }
}

// A handheld that hangs up after any one of its messages ends the session as a failure;
// the desktop restores, keeps the mode, removes its folders and serves the next handheld.
TEST_F(Failing, AHangUpAfterEachMessageOfEachModeFailsTheSession) {
    Library();
    for (int mode : {0, 1, 2}) {
        SetDirections(mode, 5);
        options.hangUpAfter = 0;
        const Snapshot pristine = Take(Data());
        Sync();
        PutBack(pristine);
        int messages = 0;
        for (const std::string& line : handheld.transcript) messages += line.rfind("> ", 0) == 0;
        ASSERT_GT(messages, 10);

        for (int after = 1; after < messages; ++after) {
            SCOPED_TRACE("mode " + std::to_string(mode) + " hang-up after " + std::to_string(after));
            SetDirections(mode, 5);
            options.hangUpAfter = after;
            const Snapshot before = Take(Data());
            const auto start = std::chrono::steady_clock::now();
            const auto report = Sync();
            EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1900))
                << "the desktop waited for a handheld that had gone";
            if (report.outcome == Outcome::Ok) {
                // Only after the handheld had confirmed the sync.
                EXPECT_GE(after, messages - 3);
                PutBack(pristine);
                continue;
            }
            EXPECT_EQ(report.outcome, Outcome::ConnectionLost);
            EXPECT_EQ(Direction(), mode);
            if (mode != 1) ExpectRestored(before, Take(Data()));
            else EXPECT_EQ(Take(Data()), before) << "Desktop overwrites Handheld changes nothing here";
            ExpectNoSessionFolders();
            PutBack(pristine);
        }
    }
    options.hangUpAfter = 0;
    SetDirections(0, 0);
    EXPECT_EQ(Sync().outcome, Outcome::Ok) << "the listener serves the next connection";
}

// A handheld that goes silent: the time-out ends the session, and the next one is served.
TEST_F(Failing, ASilentHandheldTimesOutAndTheNextConnectionIsServed) {
    Library();
    SetDirections(0, 0);
    sync->SetTimeout(300);
    const Snapshot before = Take(Data());
    const int fd = platform::ConnectTo("127.0.0.1", sync->Port());
    ASSERT_GE(fd, 0);
    {
        std::unique_lock lock(mutex);
        EXPECT_TRUE(done.wait_for(lock, std::chrono::seconds(5), [&] { return !reports.empty(); }));
        ASSERT_FALSE(reports.empty());
        EXPECT_EQ(reports.back().outcome, Outcome::ConnectionLost);
    }
    platform::CloseSocket(fd);
    EXPECT_EQ(users.GetCount(), 1) << "no user for a handheld that never said who it is";
    sync->SetTimeout(2000);
    EXPECT_EQ(Sync().outcome, Outcome::Ok);
    EXPECT_EQ(Title(Data() + "/Both.orv"), "handheld version");
    (void)before;
}

// A stray file in the data folder makes the merge fail: the desktop says so and restores.
TEST_F(Failing, AFailedMergeSendsProcessFailureAndRestores) {
    Library();
    Put(Data() + "/readme.txt", "not an outline");
    SetDirections(0, 0);
    const Snapshot before = Take(Data());
    const auto report = Sync();
    EXPECT_EQ(report.outcome, Outcome::DesktopFailed);
    EXPECT_NE(std::find(desktopWords.begin(), desktopWords.end(), "ProcessFailure"), desktopWords.end());
    ExpectRestored(before, Take(Data()));
    EXPECT_EQ(Direction(), 0);
    ExpectNoSessionFolders();
}

}  // namespace
