// paint-during-search: paints the launcher's real main-view frame with GDI while the fast lane is
// busy in a search source that takes 300 ms per call, and prints how long each frame took. The
// window thread never waits for a search, so every frame stays far below 16 ms.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "query/pipeline_sources.h"
#include "query/workers.h"
#include "store/options.h"
#include "tools/cli/cli.h"
#include "ui/fonts.h"
#include "ui/main_view.h"
#include "ui/metrics.h"
#include "ui/renderer.h"
#include "ui/renderer_win32.h"
#include "ui/text_measure.h"
#include "uicore/uicore.h"

namespace {

std::atomic<int> g_in_source{0};
std::atomic<int> g_source_calls{0};

void slow_commands(const char16_t*, RowList*) {
    g_in_source.fetch_add(1);
    g_source_calls.fetch_add(1);
    Sleep(300);
    g_in_source.fetch_sub(1);
}

double ms_between(const LARGE_INTEGER& a, const LARGE_INTEGER& b, const LARGE_INTEGER& f) {
    return double(b.QuadPart - a.QuadPart) * 1000.0 / double(f.QuadPart);
}

}  // namespace

CLI_COMMAND(cli_paint_search, "paint-during-search", "paint-during-search [frames]") {
    int frames = args.empty() ? 61 : std::atoi(args[0].c_str());
    if (frames < 2) frames = 2;
    options_load();
    metrics_width_set(768);
    metrics_rows_set(7);
    dpi_set(96);
    text_measure_install(text_measure_gdi());
    renderer_init(ui_ctx());
    fonts_create();
    PipelineSources sources = pipeline_sources();
    sources.search_commands = slow_commands;
    PipelineSources saved = pipeline_sources_install(sources);
    workers_start();

    const int w = window_width(), h = window_height();
    HDC screen = GetDC(nullptr);
    LARGE_INTEGER f, t0, t1;
    QueryPerformanceFrequency(&f);
    std::vector<double> busy, all;
    double first = 0;
    view_show_reset();
    const char* words[] = {"b", "bl", "blu", "blue", "bluet", "blueto", "bluetoo", "bluetooth"};
    for (int i = 0; i < frames; ++i) {
        // A new request every few frames keeps the lane inside the slow source.
        if (i % 4 == 0) search_request(words[(i / 4) % 8], nullptr);
        Sleep(10);
        const bool searching = g_in_source.load() > 0;
        QueryPerformanceCounter(&t0);
        UiContext* ctx = ui_ctx();
        ui_frame_begin(ctx);
        view_frame(ctx, w, h);
        ui_frame_end(ctx);
        render(screen, w, h, true);
        GdiFlush();
        QueryPerformanceCounter(&t1);
        const double ms = ms_between(t0, t1, f);
        if (i == 0) {  // makes the off-screen bitmap and warms GDI's glyph cache
            first = ms;
            continue;
        }
        all.push_back(ms);
        if (searching) busy.push_back(ms);
    }
    workers_stop();
    pipeline_sources_install(saved);
    std::sort(all.begin(), all.end());
    std::sort(busy.begin(), busy.end());
    char line[256];
    std::snprintf(line, sizeof line,
                  "first frame %.2f ms; then %zu frames (%zu while the lane was inside the 300 ms source, %d source calls): median %.2f ms, "
                  "max %.2f ms; while searching: median %.2f ms, max %.2f ms\n",
                  first, all.size(), busy.size(), g_source_calls.load(), all[all.size() / 2], all.back(),
                  busy.empty() ? 0.0 : busy[busy.size() / 2], busy.empty() ? 0.0 : busy.back());
    cli_out(line);
    ReleaseDC(nullptr, screen);
    view_free_all();
    render_release();
    fonts_destroy();
    text_measure_install(nullptr);
    return busy.empty() ? 1 : 0;
}
