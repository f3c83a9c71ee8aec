// The window's fixed metrics at 96 DPI, the width and row-count presets, and their scaling with the
// monitor's DPI. Every length is scaled term by term with MulDiv rounding at the moment of use
// (a sum of scaled terms, not a scaled sum), so the pieces of a layout always add up on screen.
#pragma once
#include <cstddef>

constexpr int kRowHeight = 52;
constexpr int kSearchBoxHeight = 48;
constexpr int kHeaderGap = 8;     // below the search box
constexpr int kListTopGap = 6;    // above the first row
constexpr int kListTop = kSearchBoxHeight + kHeaderGap + kListTopGap;  // 62
constexpr int kFooterHeight = 34;
constexpr int kUiPadding = 5;
constexpr int kUiSpacing = 4;

constexpr int kWidthDefault = 768;
constexpr int kWidthMin = 640;
constexpr int kWidthMax = 1024;
constexpr int kRowsDefault = 7;
constexpr int kRowsMin = 3;
constexpr int kRowsMax = 15;
constexpr int kWidthPresets[] = {640, 768, 880, 1024};
constexpr int kWidthPresetCount = sizeof(kWidthPresets) / sizeof(kWidthPresets[0]);

// a * b / c rounded half away from zero, through 64 bits; -1 when c is 0 or the result overflows
// (the rules of Windows' MulDiv).
int mul_div(int a, int b, int c);

int width_clamp(int width);  // 640..1024
int rows_clamp(int rows);    // 3..15
// One step forward, wrapping: a preset moves to the next (1024 to 640), another width to the first
// preset above it, else 640.
int width_cycle(int width);
// direction >= 0 forward (as width_cycle but falling back to the first preset), < 0 backward:
// a preset moves to the previous (640 to 1024), another width to the greatest preset below it,
// else the last preset.
int width_step(int width, int direction);
int rows_step(int rows, int direction);  // +1 or -1, clamped, no wrap

// Options view texts: "768px" and "7 rows". Return the units written.
size_t width_display_text(int width, char16_t* buf, size_t n);
size_t rows_display_text(int rows, char16_t* buf, size_t n);

// Current DPI (96 = 100 %) and the window's width and row count, as the options hold them
// (stored clamped). Window thread only.
void dpi_set(int dpi);  // values below 1 are ignored
int dpi_current();
void metrics_width_set(int width);
void metrics_rows_set(int rows);
int metrics_width();
int metrics_rows();

int scale_at(int length, int dpi);
int scale(int length);  // at the current DPI
int row_height();
int list_top();
int list_bottom();  // list top + rows x row height
int list_height();  // rows x row height
int footer_height();
int window_width();
int window_height();  // footer + rows x row height + search box + both gaps
