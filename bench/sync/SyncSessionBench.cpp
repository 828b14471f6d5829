// Whole sync sessions over loopback against the handheld simulator, beside the bare
// stop-and-wait exchange of 4096-byte chunks they are built on (measured in the same run).
//
//   sync_session_bench --benchmark_counters_tabular=true
//
// DesktopOverwritesHandheld: 1,000 outlines (20 MB in all) and 100 pictures of 100 KB;
// share_of_bare is its throughput over that of a bare exchange of the same bytes.
// Synchronize: 1,000 outlines received, 1,000 local ones, 500 of them with the DocUIDs
// of received ones and half of those changed on the desktop.

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "BareExchange.h"
#include "HandheldSimulator.h"
#include "app/config/CAppSettings.h"
#include "app/config/ConfigTable.h"
#include "platform/MemorySettingsStore.h"
#include "platform/Sockets.h"
#include "storage/COutlineDatabase.h"
#include "sync/COrvelleSync.h"
#include "sync/CUserList.h"
#include "sync/ISyncHost.h"
#include "sync/SyncFolders.h"

namespace {

using syncbench::BareChunkExchange;
BENCHMARK(BareChunkExchange)->Unit(benchmark::kMillisecond)->UseRealTime();

// An outline of about bytes bytes.
void WriteOutline(const QString& path, const QString& uid, int modified, int bytes) {
    COutlineDatabase db;
    db.Init();
    db.SetDocUID(uid);
    db.SetModified(modified);
    db.SetTitle(QStringLiteral("Outline ") + uid);
    const QString text(180, QLatin1Char('w'));
    for (int written = 0; written < bytes; written += 320) {  // an item takes about 320 bytes
        COutlineRecord* r = db.GetRecords()->AddNew();
        r->text = text;
    }
    db.Save(path, 1);
}

QString Uid(int n) { return QStringLiteral("%1").arg(n, 16, 16, QLatin1Char('0')).toUpper(); }

struct Host : ISyncHost {
    CUserItem* current = nullptr;
    QString folder;
    void ShowMessage(const QString&, const QString&) override {}
    CUserItem* CurrentUser() const override { return current; }
    QString DataFolder() const override { return folder; }
    void SwitchUser(CUserItem* user) override {
        current = user;
        folder = user->GetDefaultDataFolder();
    }
};

// A desktop with one user, its sync listening on a port of its own.
struct Desktop {
    Desktop() {
        qputenv("HOME", home.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", (home.path() + "/.config").toUtf8());
        host.SwitchUser(users.CreateUser(QStringLiteral("Bench"), QStringLiteral("BENCH")));
        QDir().mkpath(host.folder);
        sync.SetPort(0);
        sync.SetProgressPauses(false);
        sync.SetReportSink([this](const COrvelleSync::SessionReport& r) {
            std::lock_guard lock(mutex);
            last = r;
            ++served;
            done.notify_all();
        });
        sync.StartListener();
    }
    // One sync; true when both sides saw it end well.
    bool Sync(const sim::HandheldOptions& options) {
        int before;
        {
            std::lock_guard lock(mutex);
            before = served;
        }
        const sim::HandheldResult r = sim::RunHandheld("127.0.0.1", sync.Port(), options);
        std::unique_lock lock(mutex);
        done.wait_for(lock, std::chrono::seconds(60), [&] { return served > before; });
        return r.endConnection && served > before && last.outcome == COrvelleSync::Outcome::Ok;
    }

    QTemporaryDir home;
    platform::MemorySettingsStore store;
    CAppSettings settings{store};
    CUserList users{settings};
    Host host;
    COrvelleSync sync{settings, users, host};
    std::mutex mutex;
    std::condition_variable done;
    int served = 0;
    COrvelleSync::SessionReport last;
};

void DesktopOverwritesHandheld(benchmark::State& state) {
    Desktop desktop;
    config::SetSyncDirection(desktop.settings, 1);
    config::SetSyncDefaultDirection(desktop.settings, 1);
    const QString data = desktop.host.folder;
    QDir().mkpath(data + "/Images");
    long bytes = 0;
    for (int i = 0; i < 1000; ++i) {
        const QString path = data + QStringLiteral("/Outline %1.orv").arg(i);
        WriteOutline(path, Uid(i + 1), 1, 20 * 1000);
        bytes += QFileInfo(path).size();
    }
    const QByteArray picture(100 * 1024, 'p');
    for (int i = 0; i < 100; ++i) {
        QFile f(data + QStringLiteral("/Images/picture %1.png").arg(i));
        f.open(QIODevice::WriteOnly);
        f.write(picture);
        bytes += picture.size();
    }
    sim::HandheldOptions options;
    options.deviceId = QStringLiteral("BENCH");
    // The machine's speed drifts over a run, so each session is paired with a bare
    // exchange of the same bytes right after it; their ratio is the share of the bare rate.
    syncbench::BareLink bare;
    double sessionSeconds = 0;
    double bareSeconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (!desktop.Sync(options)) state.SkipWithError("the sync did not complete");
        sessionSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.PauseTiming();
        bareSeconds += bare.Exchange(bytes);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["MB"] = double(bytes) / 1e6;
    state.counters["share_of_bare"] = sessionSeconds > 0 ? bareSeconds / sessionSeconds : 0;
}
BENCHMARK(DesktopOverwritesHandheld)->Unit(benchmark::kMillisecond)->UseRealTime();

void Synchronize(benchmark::State& state) {
    Desktop desktop;
    config::SetSyncDirection(desktop.settings, 0);
    config::SetSyncDefaultDirection(desktop.settings, 0);
    const QString data = desktop.host.folder;
    QTemporaryDir files;
    const QString pristine = files.filePath("desktop");
    const QString handheld = files.filePath("handheld");
    QDir().mkpath(pristine);
    QDir().mkpath(handheld);
    constexpr int kSize = 20 * 1000;
    // Received: DocUIDs 1..1000. Local: 501..1500, so 500 shared; 250 of those changed here.
    for (int i = 1; i <= 1000; ++i)
        WriteOutline(handheld + QStringLiteral("/Received %1.orv").arg(i), Uid(i), 0, kSize);
    for (int i = 501; i <= 1500; ++i)
        WriteOutline(pristine + QStringLiteral("/Local %1.orv").arg(i), Uid(i), i <= 750 ? 1 : 0, kSize);
    sim::HandheldOptions options;
    options.deviceId = QStringLiteral("BENCH");
    options.inputFolder = handheld;
    for (auto _ : state) {
        state.PauseTiming();
        DeleteFolderTree(data);
        CopyFolder(pristine, data);
        state.ResumeTiming();
        if (!desktop.Sync(options)) state.SkipWithError("the sync did not complete");
    }
    if (QDir(data + "/Conflicts").entryList(QDir::Files).size() != 250) state.SkipWithError("wrong conflicts");
    if (QDir(data).entryList({"*.orv"}, QDir::Files).size() != 1500) state.SkipWithError("wrong outlines");
}
BENCHMARK(Synchronize)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
