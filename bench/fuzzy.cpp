// fuzzy_score over 10 000 app and file names with queries of 1 to 12 characters, hits and misses;
// one benchmark iteration is one call, so the reported time is the time per call.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/utf.h"
#include "query/fuzzy.h"
#include "query/highlight.h"
#include "query/query_parser.h"

namespace {

struct Corpus {
    std::vector<std::u16string> names;
    std::vector<std::u16string> queries;
};

uint32_t next(uint32_t* seed) {
    *seed = *seed * 1664525u + 1013904223u;
    return *seed >> 8;
}

const Corpus& corpus() {
    static const Corpus c = [] {
        Corpus c;
        const char* apps[] = {"Notepad", "Notepad++", "Visual Studio Code", "Google Chrome", "Mozilla Firefox",
                              "Microsoft Edge", "Windows PowerShell", "Command Prompt", "Control Panel",
                              "Task Manager", "Paint", "Snipping Tool", "Calculator", "File Explorer",
                              "Microsoft Word", "Microsoft Excel", "Outlook", "Teams", "Spotify", "Steam",
                              "7-Zip File Manager", "VLC media player", "GIMP 2", "Blender", "OBS Studio",
                              "Git Bash", "Windows Terminal", "Remote Desktop Connection", "Registry Editor",
                              "Device Manager", "Disk Cleanup", "Event Viewer", "Character Map"};
        const char* words[] = {"report", "invoice", "setup", "readme", "config", "main", "index", "holiday",
                               "budget", "resume", "thesis", "draft", "final", "summary", "screenshot",
                               "archive", "install", "launcher", "update", "kestrune", "fuzzy", "query"};
        const char* exts[] = {"txt", "pdf", "docx", "xlsx", "exe", "dll", "cpp", "h", "png", "jpg", "json", "md"};
        uint32_t seed = 12345;
        for (const char* a : apps) c.names.push_back(utf8_to_utf16(a));
        while (c.names.size() < 10000) {
            std::string n = words[next(&seed) % 22];
            switch (next(&seed) % 4) {
            case 0: n += std::string("_") + words[next(&seed) % 22]; break;
            case 1: n += "-" + std::to_string(next(&seed) % 1000); break;
            case 2: n[0] = static_cast<char>(n[0] - 32); n += " (" + std::to_string(next(&seed) % 10) + ")"; break;
            default: break;
            }
            n += std::string(".") + exts[next(&seed) % 12];
            c.names.push_back(utf8_to_utf16(n));
        }
        // Hits and misses, 1 to 12 characters.
        const char* qs[] = {"n", "no", "not", "note", "notep", "report", "chrome", "vsc", "ctrl pnl", "inv.pdf",
                            "kestrune.md", "zq", "xyzzy", "taskmgr", "fuzzyquery.h", "setup-", "budget_fin",
                            "powershell", "q", "summaryfinal", "e", "re", "pdf", "fin", "draft", "in", "t",
                            "upd", "sum", "rdm"};
        for (const char* q : qs) c.queries.push_back(utf8_to_utf16(q));
        return c;
    }();
    return c;
}

void BM_fuzzy_score(benchmark::State& state) {
    const Corpus& c = corpus();
    size_t name = 0;
    size_t query = 0;
    int64_t hits = 0;
    for (auto _ : state) {
        int32_t s = fuzzy_score(c.queries[query].c_str(), c.names[name].c_str(), 110, 100, 85);
        benchmark::DoNotOptimize(s);
        hits += s >= 0;
        if (++name == c.names.size()) {
            name = 0;
            if (++query == c.queries.size()) query = 0;
        }
    }
    state.counters["hit_rate"] = benchmark::Counter(static_cast<double>(hits) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_fuzzy_score)->Iterations(3000000);  // ten passes over every query and name

void BM_highlight_title(benchmark::State& state) {
    const Corpus& c = corpus();
    size_t name = 0;
    size_t query = 0;
    MatchRange r[64];
    for (auto _ : state) {
        benchmark::DoNotOptimize(highlight_title_ranges(c.queries[query].c_str(), c.names[name].c_str(), r, 64));
        if (++name == c.names.size()) {
            name = 0;
            if (++query == c.queries.size()) query = 0;
        }
    }
}
BENCHMARK(BM_highlight_title);

void BM_classify_query(benchmark::State& state) {
    const char16_t* texts[] = {u"notepad", u"kill chrome", u"gen 24", u"C:\\Users\\me\\", u"*.pdf report", u":"};
    size_t i = 0;
    for (auto _ : state) {
        ParsedQuery p = classify_query(texts[i], u"C:\\projects\\");
        benchmark::DoNotOptimize(p);
        if (++i == 6) i = 0;
    }
}
BENCHMARK(BM_classify_query);

}  // namespace

BENCHMARK_MAIN();
