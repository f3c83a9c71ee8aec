// paint-bench: times painting a launcher-like 768 x 460 (seven rows) frame with GDI, active and
// inactive, into an off-screen target; prints the median time per frame.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench/launcher_frame.h"
#include "tools/cli/cli.h"
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

CLI_COMMAND(cli_paint_bench, "paint-bench", "paint-bench [frames]") {
    int frames = args.empty() ? 200 : std::atoi(args[0].c_str());
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

    LARGE_INTEGER freq, t0, t1;
    QueryPerformanceFrequency(&freq);
    std::vector<double> build_times, active_times, inactive_times;
    for (int i = 0; i < frames; i++) {
        QueryPerformanceCounter(&t0);
        launcher_frame_build(ui_ctx());
        QueryPerformanceCounter(&t1);
        build_times.push_back(double(t1.QuadPart - t0.QuadPart) * 1e6 / double(freq.QuadPart));
        for (int active = 1; active >= 0; active--) {
            QueryPerformanceCounter(&t0);
            render(target, w, h, active != 0);
            GdiFlush();
            QueryPerformanceCounter(&t1);
            (active ? active_times : inactive_times).push_back(double(t1.QuadPart - t0.QuadPart) * 1e6 / double(freq.QuadPart));
        }
    }
    char line[256];
    std::snprintf(line, sizeof line,
                  "paint %dx%d, %d commands, median of %d frames: build %.1f us, paint active %.1f us, paint inactive %.1f us\n", w, h,
                  launcher_frame_command_count(ui_ctx()), frames, median_us(build_times), median_us(active_times),
                  median_us(inactive_times));
    cli_out(line);

    SelectObject(target, old);
    DeleteObject(bitmap);
    DeleteDC(target);
    ReleaseDC(nullptr, screen);
    render_release();
    fonts_destroy();
    text_measure_install(nullptr);
    return 0;
}
