// Building and scanning the library, and refreshing one file in a large one.
//   library_scan_bench --benchmark_filter=...
// Data folders are generated once per run in a temporary folder.

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "library/CRootList.h"
#include "storage/CCategoryDatabase.h"

namespace {

QByteArray outline(int index, int items, int textSize) {
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<OrvelleDoc><Version>1.0</Version><Header><Title>Outline " +
                     QByteArray::number(index) + "</Title><Category>Category " + QByteArray::number(index % 7) +
                     "</Category><Numbering><Divider></Divider></Numbering><Font><Name>Calibri</Name><Size>11</Size>"
                     "<Bold>0</Bold><Italic>0</Italic><Underline>0</Underline><Strikeout>0</Strikeout><Color><Red>0</Red>"
                     "<Green>0</Green><Blue>0</Blue></Color><Trait></Trait></Font><CheckState>1</CheckState>"
                     "<HeadingLevel>1</HeadingLevel><SelectedIndex>1</SelectedIndex><DocUID>00010AFF" +
                     QByteArray::number(10000000 + index) + "</DocUID><Modified>1</Modified></Header><OutlineItems>";
    const QByteArray text(textSize, 'x');
    for (int i = 0; i < items; ++i) {
        xml += "<Item><Id>0</Id><Indent>" + QByteArray::number(i % 4) +
               "</Indent><Checked>0</Checked><Expanded>1</Expanded><Deleted>0</Deleted><Text>" + text +
               "</Text><Note></Note><Drawing></Drawing></Item>";
    }
    xml += "</OutlineItems></OrvelleDoc>\n";
    return xml;
}

struct Folder {
    Folder(int files, int items, int textSize) {
        for (int i = 0; i < files; ++i) {
            QFile f(dir.path() + QStringLiteral("/Outline %1.orv").arg(i));
            f.open(QIODevice::WriteOnly);
            f.write(outline(i, items, textSize));
        }
    }
    QTemporaryDir dir;
};

Folder& manySmall() {
    static Folder folder(5000, 20, 40);
    return folder;
}

Folder& fewLarge() {
    static Folder folder(50, 4000, 120);  // about 1 MB each
    return folder;
}

void buildAndScan(benchmark::State& state, Folder& folder, int expected) {
    for (auto _ : state) {
        CCategoryList categories;
        categories.ResetToUnfiled();
        CRootList roots;
        roots.SetCategoryList(&categories);
        roots.BuildRoots(folder.dir.path());
        roots.ScanAll();
        if (roots.FindRoot(kRootOutlines)->GetCount() != expected) state.SkipWithError("wrong count");
    }
}

void BM_BuildRootsAndScan_5000Outlines(benchmark::State& state) {
    buildAndScan(state, manySmall(), 5000);
}
BENCHMARK(BM_BuildRootsAndScan_5000Outlines)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_BuildRootsAndScan_50OutlinesOf1MB(benchmark::State& state) {
    QFile f(fewLarge().dir.path() + "/Outline 0.orv");
    state.counters["file_bytes"] = static_cast<double>(f.size());
    buildAndScan(state, fewLarge(), 50);
}
BENCHMARK(BM_BuildRootsAndScan_50OutlinesOf1MB)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_UpdateFile_In5000(benchmark::State& state) {
    CCategoryList categories;
    categories.ResetToUnfiled();
    CRootList roots;
    roots.SetCategoryList(&categories);
    roots.BuildRoots(manySmall().dir.path());
    roots.ScanAll();
    const QString path = manySmall().dir.path() + "/Outline 2500.orv";
    for (auto _ : state) {
        roots.UpdateFile(path);
    }
    if (roots.FindRoot(kRootOutlines)->GetCount() != 5000) state.SkipWithError("wrong count");
}
BENCHMARK(BM_UpdateFile_In5000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
