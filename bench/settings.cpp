// search_settings over the whole catalog: the merged search's capped call on every keystroke,
// and the all-settings view's uncapped listing.
#include <benchmark/benchmark.h>

#include "core/arena.h"
#include "core/row.h"
#include "platform/fake/fake_world.h"
#include "sources/settings_catalog.h"

namespace {

// A fake machine with the two icon files present, as on Windows.
struct Machine {
    Machine() {
        world.files.add_file(u"C:\\Windows\\ImmersiveControlPanel\\SystemSettings.exe", "MZ");
        world.files.add_file(u"C:\\Windows\\System32\\control.exe", "MZ");
        platform_install(world.platform());
    }
    FakeWorld world;
};

void run(benchmark::State& state, const char16_t* query, int32_t cap) {
    static Machine machine;
    Arena* arena = arena_create(256 * 1024);
    RowList rows;
    int64_t found = 0;
    for (auto _ : state) {
        rowlist_init(&rows, arena);
        found += search_settings(query, &rows, cap);
        benchmark::DoNotOptimize(rows.items);
        arena_reset(arena);
    }
    state.counters["rows"] = benchmark::Counter(static_cast<double>(found), benchmark::Counter::kAvgIterations);
    arena_destroy(arena);
}

void BM_SearchSettingsBlueCap12(benchmark::State& state) { run(state, u"blue", 12); }
BENCHMARK(BM_SearchSettingsBlueCap12)->Unit(benchmark::kMicrosecond);

void BM_SearchSettingsEmptyNoCap(benchmark::State& state) { run(state, u"", kSettingsNoCap); }
BENCHMARK(BM_SearchSettingsEmptyNoCap)->Unit(benchmark::kMicrosecond);

// A query that reaches the keyword stage for most task links.
void BM_SearchSettingsKeywordCap12(benchmark::State& state) { run(state, u"troubleshooter", 12); }
BENCHMARK(BM_SearchSettingsKeywordCap12)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
