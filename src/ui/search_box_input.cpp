#include "ui/search_box_input.h"

#include <cstring>

namespace {
constexpr size_t kInputGuard = 30;  // input_text holding more than this takes no more characters
}

void box_on_char(SearchBox& b, UiContext* ctx, char16_t unit, bool ignored) {
    if (ignored) {
        b.pending_high = 0;
        return;
    }
    char utf8[5];
    int n = box_typed_unit(b, unit, utf8);
    if (n == 0) return;
    size_t used = strnlen(ctx->input_text, UI_INPUT_TEXT_SIZE - 1);
    if (used > kInputGuard || used + static_cast<size_t>(n) > UI_INPUT_TEXT_SIZE - 1) return;
    utf8[n] = 0;
    ui_input_chars(ctx, utf8);
}

void box_flush_typed(SearchBox& b, UiContext* ctx, bool focused) {
    if (!focused || ctx->input_text[0] == 0) return;
    box_type(b, ctx->input_text, strnlen(ctx->input_text, UI_INPUT_TEXT_SIZE - 1));
    ctx->input_text[0] = 0;
}

BoxKey box_on_key(SearchBox& b, UiContext* ctx, bool focused, int key, int mods) {
    box_flush_typed(b, ctx, focused);
    return box_key(b, key, mods);
}
