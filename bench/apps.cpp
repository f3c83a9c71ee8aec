// The application index: building it from a Start Menu of 2000 shortcuts in 100 folders (fake
// machine), and searching those 2000 entries.
#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "core/arena.h"
#include "core/row.h"
#include "core/utf.h"
#include "platform/fake/fake_world.h"
#include "sources/app_index.h"

namespace {

constexpr int kFolders = 100;
constexpr int kPerFolder = 20;

// Shortcut names shaped like a real Start Menu: vendor, product and a word or two.
std::u16string app_name(std::mt19937& rng, int serial) {
    static const char* words[] = {"Microsoft", "Visual", "Studio", "Code", "Office", "Word", "Excel", "Adobe",
                                  "Acrobat", "Reader", "Notepad++", "Paint", "Windows", "Terminal", "PowerShell",
                                  "Git", "Bash", "Python", "Manual", "Uninstall", "Help", "Tools", "Media",
                                  "Player", "Steam", "Zoom", "Mozilla", "Firefox", "Google", "Chrome"};
    std::uniform_int_distribution<size_t> w(0, sizeof words / sizeof *words - 1), len(1, 3);
    std::string t;
    size_t k = len(rng);
    for (size_t j = 0; j < k; ++j) (t += j ? " " : "") += words[w(rng)];
    t += " " + std::to_string(serial);
    return utf8_to_utf16(t);
}

struct StartMenuWorld {
    StartMenuWorld() : scope(world.platform()) {
        std::mt19937 rng(7);
        const std::u16string roots[2] = {world.files.known_folder(KnownFolder::Programs),
                                         world.files.known_folder(KnownFolder::CommonPrograms)};
        int serial = 0;
        for (int f = 0; f < kFolders; ++f) {
            std::u16string folder = roots[f % 2] + u"\\Vendor " + utf8_to_utf16(std::to_string(f));
            world.files.add_folder(folder);
            for (int i = 0; i < kPerFolder; ++i) {
                const char16_t* ext = i % 5 == 0 ? u".url" : u".lnk";
                world.files.add_file(folder + u"\\" + app_name(rng, serial++) + ext, "L");
            }
        }
    }
    FakeWorld world;
    PlatformScope scope;
};

void BM_BuildIndex2000Shortcuts(benchmark::State& state) {
    StartMenuWorld w;
    for (auto _ : state) app_index_build();
    state.counters["shortcuts"] = app_index_counts().shortcuts;
    app_index_clear();
}
BENCHMARK(BM_BuildIndex2000Shortcuts)->Unit(benchmark::kMillisecond);

void BM_SearchApps2000(benchmark::State& state, const char16_t* query) {
    StartMenuWorld w;
    app_index_build();
    Arena* arena = arena_create(64 * 1024);
    int32_t rows = 0;
    for (auto _ : state) {
        arena_reset(arena);
        RowList list;
        rowlist_init(&list, arena);
        search_apps(query, &list);
        rows = list.count;
        benchmark::DoNotOptimize(list.items);
    }
    state.counters["rows"] = rows;
    arena_destroy(arena);
    app_index_clear();
}
BENCHMARK_CAPTURE(BM_SearchApps2000, word, u"studio")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_SearchApps2000, prefix, u"micro")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_SearchApps2000, scattered, u"vsc")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_SearchApps2000, miss, u"qqzx")->Unit(benchmark::kMicrosecond);
// Shapes that stress the row building (a letter most names carry) and the scoring of long texts.
BENCHMARK_CAPTURE(BM_SearchApps2000, letter, u"e")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_SearchApps2000, upper, u"MICRO")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_SearchApps2000, words, u"visual studio")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_SearchApps2000, digits, u"12")->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
