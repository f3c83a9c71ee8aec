// Building a launcher-like frame with the UI core and walking its commands (target: 20 us or less).
#include <benchmark/benchmark.h>

#include <memory>

#include "launcher_frame.h"
#include "ui/fake_text_measure.h"
#include "ui/renderer.h"

namespace {

void BM_LauncherFrameBuildAndWalk(benchmark::State& state) {
    FakeTextScope text;
    metrics_rows_set(8);
    auto ctx = std::make_unique<UiContext>();
    renderer_init(ctx.get());
    ui_input_mouse_move(ctx.get(), 300, 62 + 2 * 52 + 10);
    launcher_frame_build(ctx.get());
    int commands = 0;
    for (auto _ : state) {
        launcher_frame_build(ctx.get());
        int n = 0;
        long sum = 0;
        UiCommand* cmd = nullptr;
        while (ui_cmd_next(ctx.get(), &cmd)) {
            sum += cmd->type;
            n++;
        }
        benchmark::DoNotOptimize(sum);
        commands = n;
    }
    state.counters["commands"] = commands;
}
BENCHMARK(BM_LauncherFrameBuildAndWalk)->Unit(benchmark::kMicrosecond);

void BM_LauncherFrameWalkOnly(benchmark::State& state) {
    FakeTextScope text;
    auto ctx = std::make_unique<UiContext>();
    renderer_init(ctx.get());
    launcher_frame_build(ctx.get());
    for (auto _ : state) benchmark::DoNotOptimize(launcher_frame_command_count(ctx.get()));
}
BENCHMARK(BM_LauncherFrameWalkOnly)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
