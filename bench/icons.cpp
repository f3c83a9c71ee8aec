// icons_queue_draw for a row whose icon is cached (target 20 us or less), with a full cache of
// 128 icons and the row's path compared last; the shell's existence check is a stub here (under
// wine it is one GetFileAttributesW).
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <thread>

#include "ui/icon_loader.h"
#include "ui/metrics.h"

namespace {

class StubShell : public IconShell {
public:
    bool path_exists(std::u16string_view) override { return true; }
    uint32_t drive_type(char16_t) override { return 3; }
    IconHandle load(std::u16string_view) override { return reinterpret_cast<IconHandle>(++next); }
    void destroy(IconHandle) override {}
    void invalidate() override {}
    intptr_t next = 0;
};

std::u16string row_path(int i) {
    std::u16string p = u"C:\\Users\\me\\AppData\\Local\\Programs\\Some Application\\bin\\program";
    for (char c : std::to_string(i)) p += static_cast<char16_t>(c);
    return p + u".exe";
}

void BM_icons_queue_draw_cached(benchmark::State& state) {
    dpi_set(96);
    StubShell shell;
    icons_start(&shell);
    for (int i = 0; i < kIconCacheSize; ++i) {
        icon_queue_draw(row_path(i), 26, 100, 62, 426);
        while (!icons_idle()) std::this_thread::sleep_for(std::chrono::microseconds(50));
    }
    icons_draw(nullptr, nullptr);
    const std::u16string newest = row_path(kIconCacheSize - 1);  // last in insertion order
    for (auto _ : state) {
        benchmark::DoNotOptimize(icon_queue_draw(newest, 26, 100, 62, 426));
        icons_draw(nullptr, nullptr);
    }
    icons_stop();
}
BENCHMARK(BM_icons_queue_draw_cached);

}  // namespace

BENCHMARK_MAIN();
