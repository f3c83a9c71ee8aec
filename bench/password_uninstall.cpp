// The password tool ("gen 128 symbols", the longest readable password, on the fake generator) and
// the uninstall rows over a warm cache of 2048 programs, listed whole and filtered.
#include <benchmark/benchmark.h>

#include <string>

#include "core/arena.h"
#include "core/row.h"
#include "core/utf.h"
#include "platform/fake/fake_world.h"
#include "sources/password.h"
#include "sources/uninstall.h"

namespace {

void BM_Gen128Symbols(benchmark::State& state) {
    FakeWorld world;
    PlatformScope scope(world.platform());
    Arena* arena = arena_create(64 * 1024);
    for (auto _ : state) {
        arena_reset(arena);
        RowList rows;
        rowlist_init(&rows, arena);
        password_rows(u"128 symbols", &rows);
        benchmark::DoNotOptimize(rows.items);
    }
    arena_destroy(arena);
}
BENCHMARK(BM_Gen128Symbols)->Unit(benchmark::kMicrosecond);

struct ProgramsWorld {
    ProgramsWorld() : scope(world.platform()) {
        static const char* vendors[] = {"Microsoft", "Adobe", "Google", "Mozilla", "Oracle", "JetBrains", "Valve", "NVIDIA"};
        static const char* products[] = {"Visual C++ Redistributable", "Chrome", "Firefox", "Reader", "Java Runtime",
                                         "IntelliJ IDEA", "Steam", "Graphics Driver", "Office", "Teams"};
        for (int i = 0; i < kUninstallMaxEntries; ++i) {
            const UninstallLocation& loc = kUninstallLocations[i % 4];
            std::string serial = std::to_string(i);
            std::u16string key = std::u16string(loc.key) + u"\\{" + utf8_to_utf16(serial) + u"}";
            std::string name = std::string(vendors[i % 8]) + " " + products[(i / 8) % 10] + " " + serial;
            world.registry.set_string(loc.root, key, u"DisplayName", utf8_to_utf16(name));
            world.registry.set_string(loc.root, key, u"UninstallString", u"MsiExec.exe /X{" + utf8_to_utf16(serial) + u"}");
            world.registry.set_string(loc.root, key, u"Publisher", utf8_to_utf16(vendors[i % 8]));
            world.registry.set_string(loc.root, key, u"DisplayVersion", u"1.2." + utf8_to_utf16(serial));
            world.registry.set_dword(loc.root, key, u"EstimatedSize", uint32_t(1000 + i * 37));
            world.registry.set_string(loc.root, key, u"DisplayIcon", u"C:\\Program Files\\App " + utf8_to_utf16(serial) + u"\\app.exe,0");
        }
        uninstall_invalidate();
        RowList warm;
        rowlist_init(&warm, nullptr);
        uninstall_rows(u"", &warm);
        rowlist_free(&warm);
    }
    ~ProgramsWorld() { uninstall_invalidate(); }
    FakeWorld world;
    PlatformScope scope;
};

void BM_UninstallRows2048(benchmark::State& state, const char16_t* query) {
    ProgramsWorld w;
    Arena* arena = arena_create(256 * 1024);
    int32_t count = 0;
    for (auto _ : state) {
        arena_reset(arena);
        RowList rows;
        rowlist_init(&rows, arena);
        uninstall_rows(query, &rows);
        count = rows.count;
        benchmark::DoNotOptimize(rows.items);
    }
    state.counters["rows"] = count;
    state.counters["scans"] = double(uninstall_scan_count());
    arena_destroy(arena);
}
BENCHMARK_CAPTURE(BM_UninstallRows2048, all, u"")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_UninstallRows2048, chrome, u"chrome")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_UninstallRows2048, scattered_vsc, u"vsc")->Unit(benchmark::kMicrosecond);

void BM_UninstallScan2048(benchmark::State& state) {
    ProgramsWorld w;
    for (auto _ : state) uninstall_scan();
    state.counters["entries"] = uninstall_cached_count();
}
BENCHMARK(BM_UninstallScan2048)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
