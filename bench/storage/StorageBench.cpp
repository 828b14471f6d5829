// Reading and writing a large outline document against pugixml's own parse and save of
// the same bytes and DOM. Run from a Release build:
//   build-perf-rel/bench/storage/storage_bench
// The store should stay within twice pugixml's time in both directions. Only the load or
// the save is timed; building and destroying the objects around it is not.

#include <malloc.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>
#include <random>

#include <benchmark/benchmark.h>
#include <pugixml.hpp>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "storage/COutlineDatabase.h"

namespace {

constexpr int kItems = 100000;

QString MakeText(std::mt19937& rng, int minLen, int maxLen) {
    static const char16_t kWords[][10] = {u"alpha", u"beta", u"gamma", u"delta", u"mörk", u"ñandú",
                                          u"buy", u"milk", u"&", u"<tag>", u"plan", u"call"};
    const int len = std::uniform_int_distribution<int>(minLen, maxLen)(rng);
    QString s;
    while (s.size() < len) {
        if (!s.isEmpty()) s += (rng() % 9 == 0) ? QStringLiteral("\r\n") : QStringLiteral(" ");
        s += QString::fromUtf16(kWords[rng() % 12]);
    }
    return s;
}

// The sample outline, written once per run into a temporary folder.
struct Sample {
    Sample() {
        path = dir.path() + "/Large.orv";
        COutlineDatabase db;
        db.SetTitle("Large");
        std::mt19937 rng(42);
        int indent = 0;
        for (int i = 0; i < kItems; ++i) {
            COutlineRecord* r = db.GetRecords()->AddNew();
            r->indent = static_cast<uint8_t>(indent);
            // Mostly short items, some long paragraphs.
            r->text = (i % 20 == 0) ? MakeText(rng, 200, 600) : MakeText(rng, 3, 40);
            if (i % 10 == 0) r->note = MakeText(rng, 20, 120);
            r->checked = i % 7 == 0;
            indent = std::clamp(indent + int(rng() % 3) - 1, 0, 9);
        }
        db.Save(path, 1);
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        bytes = f.readAll();
    }
    QTemporaryDir dir;
    QString path;
    QByteArray bytes;
};

Sample& TheSample() {
    static Sample s;
    return s;
}

// Freed small blocks are merged by glibc only at the next large request, which would bill
// the previous iteration's teardown to the next timed load. Called untimed after each
// teardown so that every measured load starts from a settled heap.
void SettleHeap() { std::free(std::malloc(1 << 20)); }

constexpr unsigned kParse = pugi::parse_default | pugi::parse_ws_pcdata_single;

void BM_PugixmlParseFile(benchmark::State& state) {
    const QByteArray path = QFile::encodeName(TheSample().path);
    for (auto _ : state) {
        auto doc = std::make_unique<pugi::xml_document>();
        benchmark::DoNotOptimize(doc->load_file(path.constData(), kParse));
        state.PauseTiming();
        doc.reset();
        SettleHeap();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * TheSample().bytes.size());
}

void BM_PugixmlParseMemory(benchmark::State& state) {
    const QByteArray& bytes = TheSample().bytes;
    for (auto _ : state) {
        auto doc = std::make_unique<pugi::xml_document>();
        benchmark::DoNotOptimize(doc->load_buffer(bytes.constData(), size_t(bytes.size()), kParse));
        state.PauseTiming();
        doc.reset();
        SettleHeap();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

void BM_OpenWithRecords(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto db = std::make_unique<COutlineDatabase>();
        state.ResumeTiming();
        if (db->Open(TheSample().path, 1) != 1 || db->GetRecords()->GetCount() != kItems)
            state.SkipWithError("open failed");
        state.PauseTiming();
        db.reset();
        SettleHeap();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * TheSample().bytes.size());
}

// The records read a piece of the file at a time, the items never held as elements:
// how the outline opens its files.
void BM_OpenReleased(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto db = std::make_unique<COutlineDatabase>();
        state.ResumeTiming();
        if (db->OpenReleased(TheSample().path) != 1 || db->GetRecords()->GetCount() != kItems)
            state.SkipWithError("open failed");
        state.PauseTiming();
        db.reset();
        SettleHeap();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * TheSample().bytes.size());
}

void BM_PugixmlSaveFile(benchmark::State& state) {
    pugi::xml_document doc;
    doc.load_buffer(TheSample().bytes.constData(), size_t(TheSample().bytes.size()), kParse);
    const QByteArray out = QFile::encodeName(TheSample().dir.path() + "/pugi.orv");
    for (auto _ : state) benchmark::DoNotOptimize(doc.save_file(out.constData(), "", pugi::format_raw));
    state.SetBytesProcessed(state.iterations() * TheSample().bytes.size());
}

void BM_OpenWithoutRecords(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto db = std::make_unique<COutlineDatabase>();
        state.ResumeTiming();
        if (db->Open(TheSample().path, 0) != 1) state.SkipWithError("open failed");
        state.PauseTiming();
        db.reset();
        SettleHeap();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * TheSample().bytes.size());
}

// Record reading alone, on a document already parsed.
void BM_ReadRecordsOnly(benchmark::State& state) {
    COutlineDatabase db;
    db.Open(TheSample().path, 0);
    for (auto _ : state) {
        db.ReadRecords();
        state.PauseTiming();
        db.GetRecords()->RemoveAll();
        SettleHeap();
        state.ResumeTiming();
    }
}

// Save with record writing: what the outline does on every save.
void BM_WriteRecordsAndSave(benchmark::State& state) {
    COutlineDatabase db;
    db.Open(TheSample().path, 1);
    db.ReleaseItemElements();
    const QString out = TheSample().dir.path() + "/store.orv";
    for (auto _ : state)
        if (!db.Save(out, 1)) state.SkipWithError("save failed");
    state.SetBytesProcessed(state.iterations() * TheSample().bytes.size());
}

// Building the Item elements first (what a clipboard fragment does), then saving the DOM.
void BM_WriteRecordsElementsThenSave(benchmark::State& state) {
    COutlineDatabase db;
    db.Open(TheSample().path, 1);
    const QString out = TheSample().dir.path() + "/dom.orv";
    for (auto _ : state) {
        db.WriteRecords();
        if (!db.Save(out, 0)) state.SkipWithError("save failed");
    }
    state.SetBytesProcessed(state.iterations() * TheSample().bytes.size());
}

BENCHMARK(BM_PugixmlParseFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PugixmlParseMemory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenWithRecords)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenReleased)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenWithoutRecords)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadRecordsOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PugixmlSaveFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteRecordsAndSave)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteRecordsElementsThenSave)->Unit(benchmark::kMillisecond);

}  // namespace

// Fresh memory is slow to fault in on some virtual machines (tens of microseconds a
// page), which swamps the work being measured and penalises whichever side touches new
// pages first. Keep freed memory in the heap and fault a good amount in up front, so
// both sides of each comparison run on warm memory.
static void WarmHeap() {
    mallopt(M_TRIM_THRESHOLD, INT_MAX);
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    std::vector<void*> blocks;
    for (int i = 0; i < 48; ++i) {
        void* p = std::malloc(16 * 1024 * 1024);
        if (!p) break;
        std::memset(p, 1, 16 * 1024 * 1024);
        blocks.push_back(p);
    }
    for (void* p : blocks) std::free(p);
}

int main(int argc, char** argv) {
    WarmHeap();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
