// The kill rows over a busy machine's process table (500 processes, many sharing a name, some
// that do not open and are looked up among the services) and the system command search that
// every mixed search runs.
#include <benchmark/benchmark.h>

#include <string>

#include "core/arena.h"
#include "core/row.h"
#include "platform/fake/fake_world.h"
#include "sources/commands.h"
#include "sources/processes.h"

namespace {

struct Machine {
    explicit Machine(uint32_t count = 500) {
        world.processes.clear();
        world.files.add_file(u"C:\\Windows\\System32\\control.exe", "MZ");
        world.display.set_monitor_count(2);
        // 500 processes over 120 names: a few big groups (browsers, helpers) and many single ones.
        // Larger tables keep the same mix, scaled.
        for (uint32_t i = 0; i < count; ++i) {
            uint32_t name = i < count * 2 / 5 ? i % 8 : 8 + (i % (count * 112 / 500));
            std::string exe = "proc" + std::to_string(name) + ".exe";
            std::u16string exe16(exe.begin(), exe.end());
            bool opens = i % 25 != 0;
            world.processes.add(1000 + 4 * i, exe16, u"C:\\Program Files\\Vendor\\" + exe16, opens);
            if (!opens) world.processes.add_service(1000 + 4 * i, u"Svc" + std::u16string(exe16.begin(), exe16.end() - 4));
        }
    }
    FakeWorld world;
};

template <typename Fn>
void run(benchmark::State& state, Fn fn) {
    static Machine machine;
    PlatformScope scope(machine.world.platform());
    Arena* arena = arena_create(256 * 1024);
    RowList rows;
    int64_t found = 0;
    for (auto _ : state) {
        rowlist_init(&rows, arena);
        fn(&rows);
        found += rows.count;
        benchmark::DoNotOptimize(rows.items);
        arena_reset(arena);
    }
    state.counters["rows"] = benchmark::Counter(static_cast<double>(found), benchmark::Counter::kAvgIterations);
    arena_destroy(arena);
}

void BM_KillRows500All(benchmark::State& state) { run(state, [](RowList* r) { kill_rows(u"", r); }); }
BENCHMARK(BM_KillRows500All)->Unit(benchmark::kMicrosecond);

void BM_KillRows500Filtered(benchmark::State& state) { run(state, [](RowList* r) { kill_rows(u"proc1", r); }); }
BENCHMARK(BM_KillRows500Filtered)->Unit(benchmark::kMicrosecond);

// Twice and four times the table: the time grows with it, not with its square.
void BM_KillRowsScaled(benchmark::State& state) {
    Machine machine(static_cast<uint32_t>(state.range(0)));
    PlatformScope scope(machine.world.platform());
    Arena* arena = arena_create(256 * 1024);
    RowList rows;
    for (auto _ : state) {
        rowlist_init(&rows, arena);
        kill_rows(u"", &rows);
        benchmark::DoNotOptimize(rows.items);
        arena_reset(arena);
    }
    arena_destroy(arena);
}
BENCHMARK(BM_KillRowsScaled)->Arg(500)->Arg(1000)->Arg(2000)->Unit(benchmark::kMicrosecond);

void BM_SearchCommandsShut(benchmark::State& state) { run(state, [](RowList* r) { search_commands(u"shut", r); }); }
BENCHMARK(BM_SearchCommandsShut)->Unit(benchmark::kMicrosecond);

void BM_SearchCommandsNoMatch(benchmark::State& state) { run(state, [](RowList* r) { search_commands(u"zqx", r); }); }
BENCHMARK(BM_SearchCommandsNoMatch)->Unit(benchmark::kMicrosecond);

void BM_SearchCommandsIndexing(benchmark::State& state) { run(state, [](RowList* r) { search_commands(u"index", r); }); }
BENCHMARK(BM_SearchCommandsIndexing)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
