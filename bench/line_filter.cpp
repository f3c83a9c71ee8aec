// The line filter behind `kestrune-cli filter` over 200 000 file-path-like lines in memory (a few
// with letters beyond ASCII), one query per benchmark: BM_line_filter scores on the bytes and
// converts only what can match; BM_line_filter_converted is the plain way, every line converted to
// UTF-16 and scored with fuzzy_score, without the sort, for comparison. One iteration is one pass
// over every line; `lines_per_second` counts input lines.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "core/arena.h"
#include "core/utf.h"
#include "query/fuzzy.h"
#include "query/line_filter.h"

namespace {

constexpr size_t kLines = 200000;

uint32_t next(uint32_t* seed) {
    *seed = *seed * 1664525u + 1013904223u;
    return *seed >> 8;
}

const std::string& corpus() {
    static const std::string text = [] {
        const char* dirs[] = {"Users", "Program Files", "Windows", "projects", "src", "docs", "build", "assets",
                              "photos", "music", "Downloads", "Desktop", "AppData", "Local", "Roaming",
                              "kestrune", "website", "reports", "node_modules", "include", "Caf\xC3\xA9"};
        const char* words[] = {"report", "invoice", "notepad", "setup", "readme", "config", "main", "index",
                               "fuzzy", "matcher", "query", "kernel32", "holiday", "budget", "r\xC3\xA9sum\xC3\xA9",
                               "thesis", "draft", "final", "summary", "archive", "launcher", "update"};
        const char* exts[] = {"txt", "pdf", "docx", "exe", "dll", "cpp", "h", "png", "json", "md", "lnk"};
        std::string out;
        uint32_t seed = 20261211;
        for (size_t i = 0; i < kLines; ++i) {
            out += "C:";
            for (uint32_t d = 1 + next(&seed) % 4; d > 0; --d) {
                out += '\\';
                out += dirs[next(&seed) % (sizeof dirs / sizeof dirs[0])];
            }
            out += '\\';
            out += words[next(&seed) % (sizeof words / sizeof words[0])];
            if (next(&seed) % 2) out += "-" + std::to_string(next(&seed) % 1000);
            out += '.';
            out += exts[next(&seed) % (sizeof exts / sizeof exts[0])];
            out += '\n';
        }
        return out;
    }();
    return text;
}

const char16_t* const kQueries[] = {u"n", u"rep", u"notepad", u"srcmain.cpp", u"zzqx", u"caf\u00e9"};

void BM_line_filter(benchmark::State& state) {
    const std::string& in = corpus();
    const char16_t* q = kQueries[state.range(0)];
    uint32_t matches = 0;
    for (auto _ : state) {
        ScratchScope scope;
        LineFilterResult r;
        if (!line_filter(in, q, 110, 100, 85, scope.arena(), &r)) state.SkipWithError("out of memory");
        matches = r.count;
        benchmark::DoNotOptimize(r.hits);
    }
    state.SetLabel(utf16_to_utf8(q));
    state.counters["matches"] = matches;
    state.counters["lines_per_second"] =
        benchmark::Counter(static_cast<double>(kLines), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_line_filter)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

void BM_line_filter_converted(benchmark::State& state) {
    const std::string& in = corpus();
    const char16_t* q = kQueries[state.range(0)];
    std::u16string units;
    uint32_t matches = 0;
    for (auto _ : state) {
        matches = 0;
        for (size_t i = 0; i < in.size();) {
            size_t end = in.find('\n', i);
            if (end == std::string::npos) end = in.size();
            units = utf8_to_utf16(std::string_view(in).substr(i, end - i));
            matches += fuzzy_score(q, units.c_str(), 110, 100, 85) >= 0;
            i = end + 1;
        }
        benchmark::DoNotOptimize(matches);
    }
    state.SetLabel(utf16_to_utf8(q));
    state.counters["matches"] = matches;
    state.counters["lines_per_second"] =
        benchmark::Counter(static_cast<double>(kLines), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_line_filter_converted)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
