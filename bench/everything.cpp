// Reading Everything's replies: a 2000-item code 18 list (about 375 KB) into an arena row list,
// every row scored.
#include <benchmark/benchmark.h>

#include <string>

#include "core/arena.h"
#include "core/row.h"
#include "indexers/everything_wire.h"
#include "tests/unit/everything_reply.h"

namespace {

std::u16string u16(const std::string& s) { return std::u16string(s.begin(), s.end()); }

std::vector<uint8_t> reply_2000() {
    std::vector<EvItem> items;
    for (int i = 0; i < 2000; ++i) {
        const std::string n = std::to_string(i);
        EvItem it;
        it.name = u16("quarterly_report_" + n + (i % 7 == 0 ? "" : ".docx"));
        it.path = u16("C:\\Users\\someone\\Documents\\Finance\\Reports " + std::to_string(i % 40) +
                      "\\Archive");
        it.flags = i % 7 == 0 ? 1 : 0;
        it.size = 1000u + i;
        it.modified = 0x01D9000000000000ull + i;
        it.attributes = i % 7 == 0 ? 0x10 : 0x20;
        items.push_back(it);
    }
    return ev_list_v2(items);
}

void BM_EverythingParseListV2_2000(benchmark::State& state) {
    const std::vector<uint8_t> reply = reply_2000();
    Arena* arena = arena_create(65536);
    for (auto _ : state) {
        arena_reset(arena);
        RowList rows;
        rowlist_init(&rows, arena);
        everything_parse_list_v2(reply.data(), reply.size(), u"report", &rows);
        if (rows.count != 2000) state.SkipWithError("rows missing");
        benchmark::DoNotOptimize(rows.items);
    }
    state.counters["reply_KB"] = double(reply.size()) / 1024.0;
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(reply.size()));
    arena_destroy(arena);
}
BENCHMARK(BM_EverythingParseListV2_2000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
