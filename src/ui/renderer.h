// The launcher's UI core context and how it is set up to draw with the current theme and fonts.
// Painting the finished command list is Windows-only: see renderer_win32.h.
#pragma once
#include <cstddef>

#include "uicore/uicore.h"

// The single context of the launcher (a static object; window thread only).
UiContext* ui_ctx();

// Installs text_width and text_height (through the current TextMeasure) and a draw-frame callback
// that only fills the rect with the style colour of the given id, no border.
void ui_callbacks_install(UiContext* ctx);

// Style from the current fonts, DPI and palette: font = large, padding and spacing scaled, and the
// 14 colours mapped from palette slots. Other style values stay at the UI core's defaults.
void style_apply(UiContext* ctx);

// ui_init, the callbacks and style_apply: what start-up does right after the core exists.
void renderer_init(UiContext* ctx);

// The inactive window's look: blue, green and red of 32-bit BGRA pixels become 5/8 (byte * 5 >> 3);
// alpha bytes are untouched.
void pixels_dim(unsigned char* bgra, size_t pixel_count);
