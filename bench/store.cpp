// Persistence in the fake world: loading and boosting the history, loading pins, saving each file.
#include <benchmark/benchmark.h>

#include <mutex>
#include <string>

#include "core/arena.h"
#include "core/row.h"
#include "platform/fake/fake_world.h"
#include "store/history.h"
#include "store/menu_usage.h"
#include "store/options.h"
#include "store/pins.h"
#include "store/verb_cache.h"

namespace {

struct World {
    FakeWorld w;
    PlatformScope scope{w.platform()};
    World() {
        w.env.set(u"KESTRUNE_DATA_DIR", u"C:\\KData");
        w.files.add_folder(u"C:\\KData");
    }
};

std::u16string u16(const std::string& s) { return std::u16string(s.begin(), s.end()); }

// A history.dat of 500 entries with realistic paths and titles.
void seed_history(World& world) {
    std::string f = "\xEF\xBB\xBF# Kestrune data v1\r\n";
    for (int i = 0; i < kHistoryMaxEntries; ++i) {
        std::string n = std::to_string(i);
        f += "\r\n[hist]\r\nkey=C:\\\\Users\\\\user\\\\Documents\\\\Projects\\\\item" + n + ".txt\r\ntitle=item" + n +
             ".txt\r\nsub=C:\\\\Users\\\\user\\\\Documents\\\\Projects\r\nparam=C:\\\\Users\\\\user\\\\Documents\\\\Projects\\\\item" +
             n + std::string(".txt\r\nact=1\r\ncount=") + std::to_string(1 + i % 9) + std::string("\r\nlast=") +
             std::to_string(world.w.clock.now_filetime() - static_cast<uint64_t>(i) * 36000000000ull) + "\r\n";
    }
    world.w.files.add_file(u"C:\\KData\\history.dat", f);
}

void BM_HistoryLoad500(benchmark::State& state) {
    World world;
    seed_history(world);
    for (auto _ : state) {
        std::lock_guard<std::mutex> hold(history_lock());
        history_unload_locked();
        history_ensure_loaded_locked();
        benchmark::DoNotOptimize(history_store().count);
    }
    history_unload();
}
BENCHMARK(BM_HistoryLoad500)->Unit(benchmark::kMicrosecond);

void BM_HistoryBoost50(benchmark::State& state) {
    World world;
    seed_history(world);
    Arena* a = arena_create(64 * 1024);
    RowList rows;
    rowlist_init(&rows, a);
    std::u16string texts[50];
    for (int i = 0; i < 50; ++i) {
        // Half the rows are in the history, half are not.
        texts[i] = u16(std::string("C:\\Users\\user\\Documents\\Projects\\item") + std::to_string(i * 20 + (i % 2)) + ".txt");
        rowlist_add_fields(&rows, u"item", nullptr, nullptr, texts[i].c_str(), 1, 100 - i);
    }
    history_boost(&rows, u"it");  // loads the store once
    for (auto _ : state) {
        history_boost(&rows, u"item");
        benchmark::DoNotOptimize(rows.items[0].score);
    }
    arena_destroy(a);
    history_unload();
}
BENCHMARK(BM_HistoryBoost50)->Unit(benchmark::kMicrosecond);

void seed_pins(World& world) {
    std::string f = "\xEF\xBB\xBF# Kestrune data v1\r\n";
    for (int i = 0; i < 50; ++i) {
        std::string n = std::to_string(i);
        if (i % 2)
            f += "\r\n[pin]\r\npath=C:\\\\Users\\\\user\\\\Desktop\\\\Tool " + n + ".lnk\r\nparam=\r\ntitle=Tool " + n + "\r\nsub=\r\nact=1\r\n";
        else
            f += "\r\n[pin]\r\npath=\r\nparam=ms-settings:page" + n + "\r\ntitle=Settings page " + n + "\r\nsub=System\r\nact=2\r\n";
    }
    world.w.files.add_file(u"C:\\KData\\quick_access.dat", f);
}

void BM_PinsLoad50(benchmark::State& state) {
    World world;
    seed_pins(world);
    for (auto _ : state) {
        PinStore s;
        pins_load(&s);
        benchmark::DoNotOptimize(s.count);
        pins_release(&s);
    }
}
BENCHMARK(BM_PinsLoad50)->Unit(benchmark::kMicrosecond);

void BM_SaveHistory500(benchmark::State& state) {
    World world;
    seed_history(world);
    std::lock_guard<std::mutex> hold(history_lock());
    history_ensure_loaded_locked();
    for (auto _ : state) benchmark::DoNotOptimize(history_save_locked());
    history_unload_locked();
}
BENCHMARK(BM_SaveHistory500)->Unit(benchmark::kMicrosecond);

void BM_SavePins50(benchmark::State& state) {
    World world;
    seed_pins(world);
    PinStore s;
    pins_load(&s);
    for (auto _ : state) benchmark::DoNotOptimize(pins_save(&s));
    pins_release(&s);
}
BENCHMARK(BM_SavePins50)->Unit(benchmark::kMicrosecond);

void BM_SaveOptions(benchmark::State& state) {
    World world;
    options_reset();
    options_set_spot(10, 20, u"\\\\.\\DISPLAY1");
    for (auto _ : state) benchmark::DoNotOptimize(options_save());
    options_reset();
}
BENCHMARK(BM_SaveOptions)->Unit(benchmark::kMicrosecond);

void BM_SaveMenuUsage64(benchmark::State& state) {
    World world;
    menu_usage_reset();
    for (int k = 0; k < kMenuUsageMaxEntries; ++k) menu_usage_record(100 + k, nullptr, nullptr);
    for (auto _ : state) menu_usage_record(100, nullptr, nullptr);
    menu_usage_reset();
}
BENCHMARK(BM_SaveMenuUsage64)->Unit(benchmark::kMicrosecond);

void BM_SaveVerbCacheFull(benchmark::State& state) {
    World world;
    verb_cache_reset();
    ShellVerb verbs[16] = {};
    for (int i = 0; i < 16; ++i) {
        std::u16string n = u16(std::string("verb") + std::to_string(i));
        n.copy(verbs[i].verb, n.size());
        n.copy(verbs[i].label, n.size());
        std::u16string icon = u"C:\\Windows\\System32\\shell32.dll,12";
        icon.copy(verbs[i].icon, icon.size());
    }
    for (int k = 0; k < kVerbCacheMaxEntries; ++k) verb_cache_store(u16(std::string("file:.") + std::to_string(k)).c_str(), verbs, 16);
    for (auto _ : state) benchmark::DoNotOptimize(verb_cache_save());
    verb_cache_reset();
}
BENCHMARK(BM_SaveVerbCacheFull)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
