// Arena allocation and row-list sorting on realistic titles.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "core/arena.h"
#include "core/row.h"
#include "core/utf.h"

namespace {

void BM_ArenaAllocSmall(benchmark::State& state) {
    Arena* a = arena_create(0);
    int n = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(arena_alloc(a, 24));
        if (++n == 4096) {
            state.PauseTiming();
            arena_reset(a);
            n = 0;
            state.ResumeTiming();
        }
    }
    arena_destroy(a);
}
BENCHMARK(BM_ArenaAllocSmall);

// Titles and paths shaped like apps, settings pages and files, with duplicates.
std::vector<std::u16string> make_titles(size_t n, std::mt19937& rng) {
    static const char* words[] = {"Microsoft", "Visual", "Studio", "Code", "Settings", "Control", "Panel",
                                  "Bluetooth", "Display", "report", "final", "invoice", "Notepad", "Paint",
                                  "Windows", "Update", "Terminal", "PowerShell", "photo", "2024", "draft"};
    std::vector<std::u16string> out;
    std::uniform_int_distribution<size_t> w(0, sizeof words / sizeof *words - 1), len(1, 4);
    for (size_t i = 0; i < n; ++i) {
        std::string t;
        size_t k = len(rng);
        for (size_t j = 0; j < k; ++j) (t += j ? " " : "") += words[w(rng)];
        out.push_back(utf8_to_utf16(t));
    }
    return out;
}

struct Fixture {
    std::vector<std::u16string> titles, targets, paths;
    std::vector<int> scores;
    explicit Fixture(size_t n) {
        std::mt19937 rng(42);
        titles = make_titles(n, rng);
        std::uniform_int_distribution<int> s(0, 300);
        for (size_t i = 0; i < n; ++i) {
            std::u16string folder = u"C:\\Users\\user\\Documents\\" + titles[(i * 7) % n] + u"\\";
            paths.push_back(folder + titles[i] + u".txt");
            targets.push_back(i % 5 == 0 ? paths[(i / 5) % n] : paths[i]);
            scores.push_back(s(rng));
        }
    }
    void fill(RowList* l, Arena* a) const {
        rowlist_init(l, a);
        for (size_t i = 0; i < titles.size(); ++i)
            rowlist_add_fields(l, titles[i].c_str(), nullptr, paths[i].c_str(), targets[i].c_str(), kKindOpen, scores[i]);
    }
};

// Times `work` on a fresh 5000-row list each iteration; filling the list is not timed.
template <typename Work>
void run_on_rows(benchmark::State& state, Work work) {
    Fixture f(5000);
    Arena* a = arena_create(0);
    for (auto _ : state) {
        state.PauseTiming();
        arena_reset(a);
        RowList l;
        f.fill(&l, a);
        state.ResumeTiming();
        work(&l);
        benchmark::DoNotOptimize(l.count);
    }
    arena_destroy(a);
}

void BM_SortByScoreThenDedup(benchmark::State& state) {
    run_on_rows(state, [](RowList* l) {
        rowlist_sort_by_score(l);
        rowlist_dedup(l);
    });
}
BENCHMARK(BM_SortByScoreThenDedup)->Unit(benchmark::kMicrosecond);

void BM_SortByScoreOnly(benchmark::State& state) { run_on_rows(state, rowlist_sort_by_score); }
BENCHMARK(BM_SortByScoreOnly)->Unit(benchmark::kMicrosecond);

void BM_SortShortestPath(benchmark::State& state) { run_on_rows(state, rowlist_sort_shortest_path); }
BENCHMARK(BM_SortShortestPath)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
