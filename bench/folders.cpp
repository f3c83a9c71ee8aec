// Drives and folders over the fake machine: child rows of a folder of 5000 entries, the walk over
// a tree of 20 × 20 × 50 entries (none matches, so every entry is looked at), and the Windows
// Search client's removal of LIKE rows that CONTAINS found already (2000 + 2000 rows, half repeated).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>

#include "core/arena.h"
#include "core/row.h"
#include "core/text.h"
#include "indexers/windows_search.h"
#include "platform/fake/fake_world.h"
#include "sources/drives.h"
#include "sources/folder_walk.h"

namespace {

std::u16string num(int i) {
    std::string s = std::to_string(i);
    return std::u16string(s.begin(), s.end());
}

void BM_ListChildren(benchmark::State& state) {
    FakeWorld world;
    const int n = static_cast<int>(state.range(0));
    for (int i = 0; i < n; ++i) {
        if (i % 10 == 0) world.files.add_folder(u"C:\\Big\\folder " + num(i));
        else world.files.add_file(u"C:\\Big\\file number " + num(i) + u".txt", "x", 1000 + i);
    }
    PlatformScope scope(world.platform());
    Arena* arena = arena_create(1 << 20);
    for (auto _ : state) {
        arena_reset(arena);
        RowList rows;
        rowlist_init(&rows, arena);
        list_children(u"C:\\Big\\", &rows);
        benchmark::DoNotOptimize(rows.count);
    }
    arena_destroy(arena);
    state.SetItemsProcessed(state.iterations() * n);
    state.counters["ns_per_entry"] = benchmark::Counter(static_cast<double>(state.iterations() * n),
                                                        benchmark::Counter::kIsRate | benchmark::Counter::kInvert,
                                                        benchmark::Counter::kIs1000);
}
BENCHMARK(BM_ListChildren)->Arg(5000)->Unit(benchmark::kMicrosecond);

void BM_WalkFolder(benchmark::State& state) {
    FakeWorld world;
    int entries = 0;
    for (int a = 0; a < 20; ++a) {
        std::u16string da = u"C:\\Tree\\dir" + num(a);
        world.files.add_folder(da);
        ++entries;
        for (int b = 0; b < 20; ++b) {
            std::u16string db = da + u"\\sub" + num(b);
            world.files.add_folder(db);
            ++entries;
            for (int c = 0; c < 50; ++c, ++entries) world.files.add_file(db + u"\\document " + num(c) + u".txt", "");
        }
    }
    PlatformScope scope(world.platform());
    Arena* arena = arena_create(1 << 20);
    for (auto _ : state) {
        arena_reset(arena);
        RowList rows;
        rowlist_init(&rows, arena);
        WalkState s = walk_folder_state(u"C:\\Tree\\", u"qqq", &rows, 0);
        benchmark::DoNotOptimize(s.dirs_visited);
    }
    arena_destroy(arena);
    state.SetItemsProcessed(state.iterations() * entries);
}
BENCHMARK(BM_WalkFolder)->Unit(benchmark::kMillisecond);

void BM_WsDropRepeatedPaths(benchmark::State& state) {
    Arena* arena = arena_create(1 << 20);
    RowList base;
    rowlist_init(&base, arena);
    for (int i = 0; i < 2000; ++i)
        ws_row_add(&base, u"C:\\Users\\user\\Documents\\Projects", u"report " + num(i) + u".txt", nullptr);
    // LIKE rows: every other one repeats a CONTAINS row, in other letter case.
    for (int i = 0; i < 2000; ++i)
        ws_row_add(&base, i % 2 ? u"C:\\USERS\\USER\\DOCUMENTS\\PROJECTS" : u"C:\\Users\\user\\Documents\\Other",
                   u"report " + num(i) + u".txt", nullptr);
    Row* copy = new Row[4000];
    for (auto _ : state) {
        std::copy(base.items, base.items + base.count, copy);
        RowList rows{copy, base.count, base.count, arena, 0};
        ws_drop_repeated_paths(&rows, 0, 2000);
        benchmark::DoNotOptimize(rows.count);
        if (rows.count != 3000) state.SkipWithError("wrong count");
    }
    delete[] copy;
    arena_destroy(arena);
}
BENCHMARK(BM_WsDropRepeatedPaths)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
