// Open, save, renumbering, single edits and undo of a large deletion on generated
// outlines. Run from a Release build:
//   build-perf-rel/bench/model/model_bench
// Opening should stay within 2.5 times pugixml's bare parse of the same file, saving
// within 2.5 times its bare save. BM_ResidentAfterOpen reads the process's resident
// memory, so it means something only as the first benchmark of a run (as registered).
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <QDir>
#include <QString>
#include <pugixml.hpp>

#include "model/ModelDatabase.h"
#include "model/OutlineMan.h"

namespace {

// 90 top-level items, each with 10 children, 100 grandchildren and 1000 great-
// grandchildren: 99,990 items on four levels (about 10 MB).
std::string MakeFile(int top, int fan) {
    const std::string path = QDir::tempPath().toStdString() + "/orvelle-bench-" + std::to_string(top) + "-" +
                             std::to_string(fan) + ".orv";
    std::ofstream f(path, std::ios::binary);
    f << "<OrvelleDoc><Version>1.0</Version><Header><Title>Bench</Title><Category>Unfiled</Category>"
         "<Numbering><Divider>0</Divider><Scheme>0</Scheme></Numbering><Font><Name>Calibri</Name><Size>11</Size>"
         "</Font><CheckState>1</CheckState><HeadingLevel>1</HeadingLevel><SelectedIndex>1</SelectedIndex>"
         "<DocUID>0001020304050607</DocUID><Modified>1</Modified></Header><OutlineItems>";
    int id = 0;
    auto item = [&](int indent) {
        ++id;
        f << "<Item><Id>" << id << "</Id><Indent>" << indent << "</Indent><Checked>" << (id % 7 == 0)
          << "</Checked><Expanded>1</Expanded><Deleted>0</Deleted><Text>Item number " << id
          << " of the generated outline, some words to carry</Text><Note></Note><Drawing></Drawing></Item>";
    };
    for (int a = 0; a < top; ++a) {
        item(0);
        for (int b = 0; b < fan; ++b) {
            item(1);
            for (int c = 0; c < fan; ++c) {
                item(2);
                for (int d = 0; d < fan; ++d) item(3);
            }
        }
    }
    f << "</OutlineItems></OrvelleDoc>";
    return path;
}

const std::string& BigFile() { static const std::string p = MakeFile(90, 10); return p; }
// One top-level item of the same shape: 1,111 items on four levels.
const std::string& SmallFile() { static const std::string p = MakeFile(1, 10); return p; }

// Fresh memory is slow to fault in on some virtual machines (tens of microseconds a
// page), which swamps the work measured and penalises whichever side touches new pages
// first: keep freed memory in the heap and fault a good amount in once, so both sides of
// each comparison run on warm memory. Not for BM_ResidentAfterOpen, which it would blur.
void WarmHeapOnce() {
    static const bool warmed = [] {
        mallopt(M_TRIM_THRESHOLD, INT_MAX);
        mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
        std::vector<void*> blocks;
        for (int i = 0; i < 24; ++i) {
            void* p = std::malloc(16 * 1024 * 1024);
            if (!p) break;
            std::memset(p, 1, 16 * 1024 * 1024);
            blocks.push_back(p);
        }
        for (void* p : blocks) std::free(p);
        return true;
    }();
    (void)warmed;
}

long ResidentKb() {
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) return 0;
    char line[256];
    long kb = 0;
    while (std::fgets(line, sizeof line, f))
        if (std::sscanf(line, "VmRSS: %ld kB", &kb) == 1) break;
    std::fclose(f);
    return kb;
}

void BM_ResidentAfterOpen(benchmark::State& state) {
    const QString path = QString::fromStdString(BigFile());
    for (auto _ : state) {
        const long before = ResidentKb();
        auto* o = new COutlineMan;
        o->Open(path);
        const long after = ResidentKb();
        state.counters["resident_MB"] = double(after) / 1024.0;
        state.counters["outline_MB"] = double(after - before) / 1024.0;
        state.counters["items"] = o->GetCount();
        delete o;
    }
}
BENCHMARK(BM_ResidentAfterOpen)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_PugiParse(benchmark::State& state) {
    WarmHeapOnce();
    for (auto _ : state) {
        pugi::xml_document doc;
        benchmark::DoNotOptimize(doc.load_file(BigFile().c_str()));
    }
}
BENCHMARK(BM_PugiParse)->Unit(benchmark::kMillisecond);

void BM_Open(benchmark::State& state) {
    WarmHeapOnce();
    const QString path = QString::fromStdString(BigFile());
    for (auto _ : state) {
        COutlineMan o;
        benchmark::DoNotOptimize(o.Open(path));
        state.PauseTiming();  // the teardown is not part of opening
        o.Clear();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Open)->Unit(benchmark::kMillisecond);

// The store's part of opening: the parse with the records (0), and with the item
// elements released as the outline does (1).
void BM_OpenStore(benchmark::State& state) {
    WarmHeapOnce();
    const QString path = QString::fromStdString(BigFile());
    for (auto _ : state) {
        auto db = std::make_unique<ModelDatabase>();
        benchmark::DoNotOptimize(db->Open(path, 1));
        if (state.range(0)) db->ReleaseItemElements();
        state.PauseTiming();
        db.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenStore)->ArgName("release")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_PugiSave(benchmark::State& state) {
    WarmHeapOnce();
    pugi::xml_document doc;
    doc.load_file(BigFile().c_str());
    const std::string out = BigFile() + ".pugi";
    for (auto _ : state) benchmark::DoNotOptimize(doc.save_file(out.c_str(), "", pugi::format_raw));
}
BENCHMARK(BM_PugiSave)->Unit(benchmark::kMillisecond);

void BM_Save(benchmark::State& state) {
    WarmHeapOnce();
    COutlineMan o;
    o.Open(QString::fromStdString(BigFile()));
    const QString out = QString::fromStdString(BigFile() + ".saved");
    for (auto _ : state) benchmark::DoNotOptimize(o.Save(out));
}
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond);

void BM_RenumberAll(benchmark::State& state) {
    WarmHeapOnce();
    COutlineMan o;
    o.Open(QString::fromStdString(BigFile()));
    for (auto _ : state) o.RenumberAll();
}
BENCHMARK(BM_RenumberAll)->Unit(benchmark::kMillisecond);

// One edit with its action bracket and post-change pass, on a deep item in the middle
// of the outline. Edits that undo each other alternate so the outline keeps its shape.
enum EditOp { kNewDelete, kIndentOutdent, kMoveUpDown, kToggle };

void BM_Edit(benchmark::State& state) {
    WarmHeapOnce();
    const bool big = state.range(0) != 0;
    const EditOp op = static_cast<EditOp>(state.range(1));
    COutlineMan o;
    o.Open(QString::fromStdString(big ? BigFile() : SmallFile()));
    o.RenumberAll();
    // A level-3 item in the middle, with a previous sibling.
    COutlineNode* n = o.GetFirstChild(nullptr);
    for (int i = 0; i < o.GetChildCount(nullptr) / 2; ++i) n = n->next;
    n = n->firstChild->next->firstChild->next->firstChild->next->next;
    bool flip = false;
    COutlineNode* made = nullptr;
    auto act = [&](int kind, auto&& f) {
        o.BeginAction(kind, false);
        f();
        o.EndAction();
        o.AfterChange(true);
    };
    for (auto _ : state) {
        switch (op) {
        case kNewDelete:
            if (!flip) act(kActionCreateNode, [&] { made = o.NewItemAfter(n); });
            else act(kActionDeleteNode, [&] { o.DeleteItem(made); });
            break;
        case kIndentOutdent:
            if (!flip) act(kActionIndentNode, [&] { o.Indent(n); });
            else act(kActionOutdentNode, [&] { o.Outdent(n); });
            break;
        case kMoveUpDown:
            if (!flip) act(kActionMoveUp, [&] { o.MoveUp(n); });
            else act(kActionMoveDown, [&] { o.MoveDown(n); });
            break;
        case kToggle:
            act(kActionCheckNode, [&] { o.ToggleCheck(n); });
            break;
        }
        flip = !flip;
    }
    state.counters["items"] = o.GetCount();
}
BENCHMARK(BM_Edit)
    ->ArgNames({"big", "op"})
    ->ArgsProduct({{1, 0}, {kNewDelete, kIndentOutdent, kMoveUpDown, kToggle}})
    ->Unit(benchmark::kMicrosecond);

// Undo and Redo of deleting a subtree of about 10,000 items (nine top-level items).
void BM_UndoRedoDeleteSubtree(benchmark::State& state) {
    WarmHeapOnce();
    const bool redo = state.range(0) != 0;
    COutlineMan o;
    o.Open(QString::fromStdString(BigFile()));
    // Nine consecutive top-level items moved under one parent give a 10,000-item subtree.
    COutlineNode* parent = o.GetFirstChild(nullptr);
    for (int i = 0; i < 9; ++i) {
        COutlineNode* next = parent->next;
        o.Detach(next);
        o.AttachLast(next, parent);
    }
    o.RenumberAll();
    for (COutlineNode* c = parent->firstChild; c; c = c->next) {
        c->item.SetLevel(1);
        for (COutlineNode* d = o.GetNextInPreorder(c); d && o.IsAncestorOf(c, d); d = o.GetNextInPreorder(d))
            d->item.SetLevel(o.GetParent(d)->item.level + 1);
    }
    o.BeginAction(kActionDeleteNode, false);
    o.DeleteItem(parent);
    o.EndAction();
    o.AfterChange(true);
    state.counters["records"] = o.GetUndo()->TotalRecords();
    COutlineNode* caret = nullptr;
    TextPos pos;
    for (auto _ : state) {
        if (redo) {
            state.PauseTiming();
            o.Undo(&caret, &pos); o.AfterChange(true); o.GetUndo()->StepBack();
            state.ResumeTiming();
            o.Redo(&caret, &pos); o.AfterChange(false); o.GetUndo()->StepForward();
        } else {
            o.Undo(&caret, &pos); o.AfterChange(true); o.GetUndo()->StepBack();
            state.PauseTiming();
            o.Redo(&caret, &pos); o.AfterChange(false); o.GetUndo()->StepForward();
            state.ResumeTiming();
        }
    }
}
BENCHMARK(BM_UndoRedoDeleteSubtree)->ArgName("redo")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
