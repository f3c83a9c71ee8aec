#include "ui/metrics.h"

#include <cstdint>

#include "core/format.h"

namespace {
int g_dpi = 96;
int g_width = kWidthDefault;
int g_rows = kRowsDefault;

int clamp(int v, int lo, int hi) { return v < lo ? lo : v > hi ? hi : v; }
int preset_index(int width) {
    for (int i = 0; i < kWidthPresetCount; i++)
        if (kWidthPresets[i] == width) return i;
    return -1;
}
}  // namespace

int mul_div(int a, int b, int c) {
    if (c == 0) return -1;
    int64_t p = int64_t(a) * int64_t(b);
    bool negative = (p < 0) != (c < 0);
    uint64_t up = p < 0 ? uint64_t(-p) : uint64_t(p);
    uint64_t uc = c < 0 ? uint64_t(-int64_t(c)) : uint64_t(c);
    uint64_t q = (up + uc / 2) / uc;
    if (q > uint64_t(INT32_MAX)) return -1;
    return negative ? -int(q) : int(q);
}

int width_clamp(int width) { return clamp(width, kWidthMin, kWidthMax); }
int rows_clamp(int rows) { return clamp(rows, kRowsMin, kRowsMax); }

int width_cycle(int width) {
    int i = preset_index(width);
    if (i >= 0) return width_clamp(kWidthPresets[(i + 1) % kWidthPresetCount]);
    for (int p : kWidthPresets)
        if (p > width) return width_clamp(p);
    return width_clamp(kWidthPresets[0]);
}

int width_step(int width, int direction) {
    int i = preset_index(width);
    if (direction >= 0) {
        if (i >= 0) return width_clamp(kWidthPresets[(i + 1) % kWidthPresetCount]);
        for (int p : kWidthPresets)
            if (p > width) return width_clamp(p);
        return width_clamp(kWidthPresets[0]);
    }
    if (i >= 0) return width_clamp(kWidthPresets[(i + kWidthPresetCount - 1) % kWidthPresetCount]);
    for (int k = kWidthPresetCount - 1; k >= 0; k--)
        if (kWidthPresets[k] < width) return width_clamp(kWidthPresets[k]);
    return width_clamp(kWidthPresets[kWidthPresetCount - 1]);
}

int rows_step(int rows, int direction) { return rows_clamp(rows + (direction < 0 ? -1 : 1)); }

size_t width_display_text(int width, char16_t* buf, size_t n) { return text_format(buf, n, "%dpx", width); }
size_t rows_display_text(int rows, char16_t* buf, size_t n) { return text_format(buf, n, "%d rows", rows); }

void dpi_set(int dpi) {
    if (dpi > 0) g_dpi = dpi;
}
int dpi_current() { return g_dpi; }
void metrics_width_set(int width) { g_width = width_clamp(width); }
void metrics_rows_set(int rows) { g_rows = rows_clamp(rows); }
int metrics_width() { return g_width; }
int metrics_rows() { return g_rows; }

int scale_at(int length, int dpi) { return mul_div(length, dpi, 96); }
int scale(int length) { return scale_at(length, g_dpi); }
int row_height() { return scale(kRowHeight); }
int list_top() { return scale(kSearchBoxHeight) + scale(kHeaderGap) + scale(kListTopGap); }
int list_height() { return g_rows * row_height(); }
int list_bottom() { return list_top() + list_height(); }
int footer_height() { return scale(kFooterHeight); }
int window_width() { return scale(g_width); }
int window_height() { return footer_height() + list_height() + list_top(); }
