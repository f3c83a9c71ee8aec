// Pieces of the main view's frame shared by its drawing files, and what the icon loader and the
// options view plug into the row drawing.
#pragma once
#include "ui/view_state.h"
#include "uicore/uicore.h"

struct ViewDrawHooks {
    // Draws the row's icon into rect; false when it cannot be drawn now (a letter tile is drawn).
    bool (*draw_icon)(UiContext* ctx, const char16_t* icon_source, UiRect rect);
    // Width of the toggle, stepper or key caps at the right end of an options row.
    int (*option_widget_width)(const Row* row);
    // Draws that widget inside the row's rect.
    void (*draw_option_widget)(UiContext* ctx, const Row* row, UiRect rect);
    // Draws the scope's breadcrumb chips inside the box; returns the x right after the last chip,
    // or 0 when none are shown.
    int (*draw_chips)(UiContext* ctx, UiRect box);
};
ViewDrawHooks& view_draw_hooks();

void view_draw_footer(UiContext* ctx, ViewState& s, int w);
// The footer's texts for the current state (UTF-8); exposed for tests.
struct FooterTexts {
    char badge[64];
    char count[512];
    char hint[128];
};
void view_footer_texts(FooterTexts* out);
