// The main view on the window thread: one keystroke (the character reaches the box, the change is
// detected and the search request stored; target 5 us or less) and one whole frame with seven
// visible rows, highlights and the footer (target 40 us or less).
#include <benchmark/benchmark.h>

#include <string>

#include "core/row.h"
#include "platform/fake/fake_world.h"
#include "query/workers.h"
#include "ui/fake_text_measure.h"
#include "ui/keys.h"
#include "ui/main_view.h"
#include "ui/metrics.h"
#include "ui/renderer.h"

namespace {

struct ViewBench {
    ViewBench() : scope(world.platform()) {
        dpi_set(96);
        metrics_width_set(768);
        metrics_rows_set(7);
        renderer_init(ui_ctx());
        view_show_reset();
        frame();
    }
    ~ViewBench() { view_free_all(); }
    void frame() {
        ui_frame_begin(ui_ctx());
        view_frame(ui_ctx(), window_width(), window_height());
        ui_frame_end(ui_ctx());
    }
    FakeWorld world;
    PlatformScope scope;
    FakeTextScope text;
};

// One iteration is two keystrokes: a typed character and the Backspace that removes it, each
// carried through editing, change detection and search_request.
void BM_KeystrokeEditDetectRequest(benchmark::State& state) {
    ViewBench b;
    UiContext* ctx = ui_ctx();
    box_set_text(view_state().box, "visual stu", 10);
    view_text_changed();
    for (auto _ : state) {
        on_char(u'd');
        view_consume_typing(ctx, true);
        ctx->input_text[0] = 0;  // what the frame's end does
        view_text_changed();
        on_key_down(vk::kBack, 0);
        view_text_changed();
        benchmark::DoNotOptimize(search_generation_newest());
    }
    state.SetItemsProcessed(state.iterations() * 2);
    state.counters["ns_per_keystroke"] =
        benchmark::Counter(static_cast<double>(state.iterations() * 2), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_KeystrokeEditDetectRequest);

void BM_ViewFrame(benchmark::State& state) {
    ViewBench b;
    static const char16_t* const titles[] = {u"Visual Studio Code", u"Code Runner", u"Codec Settings", u"Decoder",
                                             u"Barcode Scanner",    u"Source code",  u"Encoding options", u"Codex"};
    box_set_text(view_state().box, "code", 4);
    view_text_changed();
    RowList* list = view_list_new();
    for (int i = 0; i < 40; ++i) {
        std::u16string sub(u"C:\\Users\\me\\AppData\\Local\\Programs\\Tools\\");
        sub.append(titles[i % 8]).append(u".exe");
        rowlist_add_fields(list, titles[i % 8], sub.c_str(), sub.c_str(), nullptr, kKindOpen, 100 - i);
    }
    on_results(search_generation_newest(), list);
    view_current_list().selection = 2;
    ui_input_mouse_move(ui_ctx(), 300, 62 + 4 * 52 + 10);
    b.frame();
    int commands = 0;
    for (auto _ : state) {
        b.frame();
        int n = 0;
        UiCommand* cmd = nullptr;
        while (ui_cmd_next(ui_ctx(), &cmd)) n++;
        commands = n;
    }
    state.counters["commands"] = commands;
}
BENCHMARK(BM_ViewFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
