// paint-bench: times painting a launcher-like 768 x 460 (seven rows) frame with GDI, active and
// inactive, into an off-screen target; prints the median time per frame. With "icons", every row
// also draws a cached shell icon (loaded before the timing starts) instead of its letter tile.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench/launcher_frame.h"
#include "tools/cli/cli.h"
#include "ui/icon_loader.h"
#include "ui/icon_shell_win32.h"
#include "ui/fonts.h"
#include "ui/metrics.h"
#include "ui/renderer.h"
#include "ui/renderer_win32.h"
#include "ui/text_measure.h"

namespace {

double median_us(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

}  // namespace

// Real files under every Windows (and wine): one icon per row.
constexpr const char16_t* kIconPaths[7] = {
    u"C:\\windows\\system32\\notepad.exe", u"C:\\windows\\system32\\cmd.exe", u"C:\\windows\\regedit.exe",
    u"C:\\windows",                          u"C:\\",                              u"C:\\windows\\win.ini",
    u"C:\\windows\\explorer.exe"};

static void queue_row_icons() {
    const int top = list_top(), rh = row_height();
    for (int i = 0; i < 7; i++)
        icon_queue_draw(kIconPaths[i], scale(14) + scale(12), top + i * rh + (rh - scale(20)) / 2, top, list_bottom());
}

// Starts the loader and waits (up to 10 s) until every row's icon is cached.
static bool icons_preload() {
    icons_start_win32(nullptr, 96);
    for (int round = 0; round < 1000; round++) {
        int shown = 0;
        const int top = list_top(), rh = row_height();
        for (int i = 0; i < 7; i++) shown += icon_queue_draw(kIconPaths[i], 26, top + i * rh + 16, top, list_bottom());
        icons_draw(nullptr, nullptr);
        if (shown == 7) return true;
        Sleep(10);
    }
    return false;
}

CLI_COMMAND(cli_paint_bench, "paint-bench", "paint-bench [frames] [icons]") {
    int frames = args.empty() ? 200 : std::atoi(args[0].c_str());
    const bool with_icons = args.size() > 1 && args[1] == "icons";
    if (frames < 1) frames = 1;
    metrics_width_set(768);
    metrics_rows_set(7);
    dpi_set(96);
    text_measure_install(text_measure_gdi());
    renderer_init(ui_ctx());
    fonts_create();
    const int w = window_width(), h = window_height();

    HDC screen = GetDC(nullptr);
    HDC target = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(target, bitmap);
    if (!screen || !target || !bitmap) {
        cli_err("paint-bench: no screen DC\n");
        return 1;
    }

    if (with_icons && !icons_preload()) {
        cli_err("paint-bench: the row icons did not load\n");
        icons_stop_win32();
        return 1;
    }

    LARGE_INTEGER freq, t0, t1;
    QueryPerformanceFrequency(&freq);
    std::vector<double> build_times, active_times, inactive_times;
    for (int i = 0; i < frames; i++) {
        QueryPerformanceCounter(&t0);
        launcher_frame_build(ui_ctx());
        if (with_icons) queue_row_icons();
        QueryPerformanceCounter(&t1);
        build_times.push_back(double(t1.QuadPart - t0.QuadPart) * 1e6 / double(freq.QuadPart));
        for (int active = 1; active >= 0; active--) {
            QueryPerformanceCounter(&t0);
            if (with_icons && !active) queue_row_icons();  // each paint draws and empties the queue
            render(target, w, h, active != 0);
            GdiFlush();
            QueryPerformanceCounter(&t1);
            (active ? active_times : inactive_times).push_back(double(t1.QuadPart - t0.QuadPart) * 1e6 / double(freq.QuadPart));
        }
    }
    char line[256];
    std::snprintf(line, sizeof line,
                  "paint %dx%d%s, %d commands, median of %d frames: build %.1f us, paint active %.1f us, paint inactive %.1f us\n", w, h,
                  with_icons ? " with 7 icons" : "", launcher_frame_command_count(ui_ctx()), frames, median_us(build_times), median_us(active_times),
                  median_us(inactive_times));
    cli_out(line);

    SelectObject(target, old);
    DeleteObject(bitmap);
    DeleteDC(target);
    ReleaseDC(nullptr, screen);
    if (with_icons) icons_stop_win32();
    render_release();
    fonts_destroy();
    text_measure_install(nullptr);
    return 0;
}
