// run_query's full local merge in the fake world: 500 history entries, 20 pins, the settings
// catalog, and the real app index built from a Start Menu of 2000 shortcuts.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "app/wiring.h"
#include "core/arena.h"
#include "core/row.h"
#include "core/text.h"
#include "core/utf.h"
#include "platform/fake/fake_world.h"
#include "query/pipeline.h"
#include "query/pipeline_sources.h"
#include "query/query_cache.h"
#include "sources/app_index.h"
#include "store/history.h"
#include "store/pins.h"

namespace {

PipelineSources g_joined{};  // the table as the launcher fills it

FakeWorld* world() {
    static FakeWorld* w = [] {
        auto* fw = new FakeWorld;
        platform_install(fw->platform());
        const char* words[] = {"Code", "Note", "Studio", "Player", "Manager", "Editor", "Viewer", "Tools",
                               "Setup", "Monitor", "Terminal", "Browser", "Office", "Paint", "Sync", "Help"};
        // 2000 shortcuts in 100 folders, half per user and half for all users.
        const std::u16string roots[2] = {fw->files.known_folder(KnownFolder::Programs),
                                         fw->files.known_folder(KnownFolder::CommonPrograms)};
        for (int f = 0; f < 100; ++f) {
            std::u16string folder = roots[f % 2] + u"\\Vendor " + utf8_to_utf16(std::to_string(f));
            fw->files.add_folder(folder);
            for (int j = 0; j < 20; ++j) {
                int i = f * 20 + j;
                std::string t = std::string(words[i % 16]) + " " + words[(i / 16) % 16] + " " + std::to_string(i);
                fw->files.add_file(folder + u"\\" + utf8_to_utf16(t) + u".lnk", "L");
            }
        }
        wiring_join_all();
        g_joined = pipeline_sources();
        app_index_build();
        for (int i = 0; i < 500; ++i) {
            std::u16string title = utf8_to_utf16("Launched " + std::string(words[i % 16]) + " " + std::to_string(i));
            std::u16string target = u"C:\\Launched\\" + title + u".exe";
            Row r{};
            r.title = title.data();
            r.target = target.data();
            r.kind = kKindOpen;
            history_record(&r);
        }
        for (int i = 0; i < 20; ++i) {
            std::u16string name = utf8_to_utf16(std::string(words[i % 16]) + " pin " + std::to_string(i));
            std::u16string path = u"C:\\Pins\\" + name + u".exe";
            fw->files.add_file(path, "x");
            pin_toggle(path.c_str(), nullptr, name.c_str(), nullptr, kKindOpen);
        }
        return fw;
    }();
    return w;
}

void use_apps(bool on) {
    PipelineSources s = pipeline_sources();
    s.search_apps = on ? g_joined.search_apps : nullptr;
    pipeline_sources_install(s);
}

void run(benchmark::State& state, const char16_t* query, bool miss, bool apps) {
    world();
    use_apps(apps);
    cache_flush();
    Arena* arena = arena_create(64 * 1024);
    RowList out;
    rowlist_init(&out, arena);
    run_query(query, nullptr, &out, 0);  // loads the history, warms the cache
    int64_t rows = out.count;
    for (auto _ : state) {
        if (miss) cache_invalidate();
        arena_reset(arena);
        rowlist_init(&out, arena);
        run_query(query, nullptr, &out, 0);
        benchmark::DoNotOptimize(out.count);
    }
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["apps"] = apps ? app_index_counts().shortcuts : 0;
    arena_destroy(arena);
}

void BM_RunQueryMiss(benchmark::State& state) { run(state, u"code", true, true); }
void BM_RunQueryHit(benchmark::State& state) { run(state, u"code", false, true); }
void BM_RunQueryMissScattered(benchmark::State& state) { run(state, u"ntr", true, true); }
void BM_RunQueryMissWithoutApps(benchmark::State& state) { run(state, u"code", true, false); }

// The pin search alone, as every keystroke runs it: 20 pins on disk.
void BM_SearchPins(benchmark::State& state) {
    world();
    Arena* arena = arena_create(64 * 1024);
    RowList out;
    int64_t rows = 0;
    for (auto _ : state) {
        arena_reset(arena);
        rowlist_init(&out, arena);
        search_pins(u"code", &out);
        rows = out.count;
        benchmark::DoNotOptimize(out.count);
    }
    state.counters["rows"] = static_cast<double>(rows);
    arena_destroy(arena);
}

}  // namespace

BENCHMARK(BM_RunQueryMiss)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RunQueryHit)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RunQueryMissScattered)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RunQueryMissWithoutApps)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SearchPins)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
