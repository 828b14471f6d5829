// Throughput of a sync's file transfer, measured against the bare stop-and-wait exchange
// it is built on: the transfer should keep at least half the bare rate.
//
//   sync_transfer_bench --benchmark_counters_tabular=true

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <thread>
#include <vector>

#include "BareExchange.h"
#include "HandheldSimulator.h"
#include "platform/Sockets.h"
#include "sync/CSyncListener.h"
#include "sync/CSyncTransport.h"

namespace {

constexpr long kPayload = syncbench::kBarePayload;  // the same bytes as the yardstick

using syncbench::BareChunkExchange;
BENCHMARK(BareChunkExchange)->Unit(benchmark::kMillisecond)->UseRealTime();

// The desktop's receiving side of Handheld overwrites Desktop, word for word: enough
// of a session to take the simulator's files.
void ReceiveAllFiles(CSyncTransport& t, const QString& work) {
    QString name, id;
    t.ReadDeviceIdentity(name, id);
    t.SendCommand("SyncModeIphoneOverides");
    t.ReceiveReply(CSyncTransport::kAckCapacity);
    t.SendCommand("OK");
    QByteArray reply = t.ReceiveReply(CSyncTransport::kReplyCapacity);
    t.SendCommand("OK");
    while (reply != "EndOfFiles" && !t.ConnectionFailed()) {
        if (reply == "FileSend") {
            const QByteArray file = t.ReceiveReply(CSyncTransport::kNameCapacity);
            t.SendCommand("OK");
            t.ReceiveFile(work, QString::fromUtf8(file));
        }
        reply = t.ReceiveReply(CSyncTransport::kReplyCapacity);
        t.SendCommand("OK");
    }
    t.SendCommand("SyncFinalize");
    t.ReceiveReply(CSyncTransport::kReplyCapacity);
    t.SendCommand("OK");
    t.SendCommand("EndConnection");
    t.CloseConnection();
}

void SimulatorFileTransfer(benchmark::State& state) {
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("handheld");
    QDir(dir.path()).mkpath("work");
    {
        QFile f(dir.filePath("handheld/Big.orv"));
        f.open(QIODevice::WriteOnly);
        f.write(QByteArray(kPayload, 'y'));
    }
    CSyncTransport transport;
    CSyncListener listener(transport, [&] { ReceiveAllFiles(transport, dir.filePath("work")); });
    listener.Start(0);
    sim::HandheldOptions options;
    options.inputFolder = dir.filePath("handheld");
    for (auto _ : state) {
        const sim::HandheldResult r = sim::RunHandheld("127.0.0.1", listener.Port(), options);
        if (!r.endConnection) state.SkipWithError("sync did not complete");
    }
    listener.Stop();
    if (QFileInfo(dir.filePath("work/Big.orv")).size() != kPayload) state.SkipWithError("file arrived incomplete");
    state.SetBytesProcessed(state.iterations() * kPayload);
}
BENCHMARK(SimulatorFileTransfer)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
