// Word-wrap speed with the real Qt measuring of the document font most outlines use
// (11-point Calibri), over a mix of item texts like those of a real outline.

#include <cstdint>
#include <cstdio>
#include <random>
#include <vector>

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QString>

#include "editor/text/CTextCtrl.h"
#include "editor/text/CTextFont.h"
#include "platform/QtFont.h"
#include "platform/QtTextMeasurer.h"

namespace {

constexpr int32_t kWidth = 520;  // a typical text column of the outline window, in pixels

// Deterministic prose: words of 1-12 letters, some capitalised, some punctuation, now and
// then a digit run, separated by single blanks.
QString Prose(std::mt19937& rng, int chars) {
    static const char16_t* const kWords[] = {
        u"the", u"outline", u"item", u"of", u"and", u"meeting", u"Tuesday", u"a", u"to",
        u"groceries", u"milk", u"call", u"Anna", u"about", u"the", u"project", u"deadline",
        u"in", u"is", u"review", u"notes", u"for", u"chapter", u"3", u"budget", u"2024,",
        u"remember", u"that", u"it", u"with", u"presentation.", u"quarterly", u"figures",
        u"check", u"email", u"(urgent)", u"buy", u"tickets", u"on", u"Friday;", u"ask"};
    std::uniform_int_distribution<size_t> pick(0, std::size(kWords) - 1);
    QString s;
    while (s.size() < chars) {
        if (!s.isEmpty()) s += u' ';
        s += QString::fromUtf16(kWords[pick(rng)]);
    }
    s.truncate(chars);
    return s;
}

struct Fixture {
    platform::QtTextMeasurer device;
    CTextFont font;
    Fixture() {
        platform::LogFont lf;
        lf.height = platform::LogHeightFromPoints(11);
        lf.setFaceName(QStringLiteral("Calibri"));
        font = CTextFont(lf);
        font.Measure(device, 32);
    }
};

Fixture& Shared() {
    static Fixture f;
    return f;
}

// Lengths as an outline has them: mostly short headings, some sentences, a few paragraphs.
std::vector<CTextCtrl> MixedItems(int64_t* totalChars) {
    std::mt19937 rng(7);
    static const int kLengths[] = {8, 15, 22, 30, 40, 60, 60, 80, 120, 200, 400, 900};
    std::vector<CTextCtrl> items(600);
    int64_t chars = 0;
    for (size_t i = 0; i < items.size(); ++i) {
        const QString text = Prose(rng, kLengths[i % std::size(kLengths)]);
        items[i].SetText(text);
        chars += text.size();
    }
    *totalChars = chars;
    return items;
}

void BM_WrapAllMixed(benchmark::State& state) {
    Fixture& f = Shared();
    int64_t chars = 0;
    std::vector<CTextCtrl> items = MixedItems(&chars);
    for (auto _ : state) {
        int64_t rows = 0;
        for (CTextCtrl& item : items) rows += item.WrapAll(f.device, f.font, kWidth);
        benchmark::DoNotOptimize(rows);
    }
    state.counters["chars/s"] =
        benchmark::Counter(double(chars), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_WrapAllMixed)->Unit(benchmark::kMillisecond);

void BM_WrapAll2000(benchmark::State& state) {
    Fixture& f = Shared();
    std::mt19937 rng(11);
    CTextCtrl item;
    item.SetText(Prose(rng, 2000));
    int32_t rows = 0;
    for (auto _ : state) {
        rows = item.WrapAll(f.device, f.font, int32_t(state.range(0)));
        benchmark::DoNotOptimize(rows);
    }
    state.counters["rows"] = rows;
    state.counters["chars/s"] =
        benchmark::Counter(2000, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_WrapAll2000)->Arg(kWidth)->Arg(200)->Arg(1200)->Unit(benchmark::kMicrosecond);

// A keystroke in one line of a twenty-line item: only that line wraps again.
void BM_WrapDirtyAfterKeystroke(benchmark::State& state) {
    Fixture& f = Shared();
    std::mt19937 rng(13);
    QString text;
    for (int i = 0; i < 20; ++i) {
        if (i) text += u"\r\n";
        text += Prose(rng, 150);
    }
    CTextCtrl item;
    item.SetText(text);
    item.WrapAll(f.device, f.font, kWidth);
    for (auto _ : state) {
        item.InsertText(10, 40, u"x");
        benchmark::DoNotOptimize(item.WrapDirty(f.device, f.font, kWidth));
        item.DeleteRange({40, 10}, {41, 10});
        benchmark::DoNotOptimize(item.WrapDirty(f.device, f.font, kWidth));
    }
}
BENCHMARK(BM_WrapDirtyAfterKeystroke)->Unit(benchmark::kMicrosecond);

// Memory of one item: the object itself and what it holds on the heap.
void BM_ItemFootprint(benchmark::State& state) {
    std::mt19937 rng(17);
    const QString text = Prose(rng, int(state.range(0)));
    size_t heap = 0;
    for (auto _ : state) {
        CTextCtrl item;
        if (!text.isEmpty()) item.SetText(text);
        item.WrapAll(Shared().device, Shared().font, kWidth);
        heap = item.HeapBytes();
        benchmark::DoNotOptimize(heap);
    }
    state.counters["sizeof"] = double(sizeof(CTextCtrl));
    state.counters["heap_bytes"] = double(heap);
}
BENCHMARK(BM_ItemFootprint)->Arg(0)->Arg(20)->Arg(60)->Arg(300);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QGuiApplication app(qtArgc, qtArgv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
