// Rows, cells and columns: where the next control goes.
#include <cstring>

#include "uicore/uicore.h"
#include "uicore/uicore_detail.h"

namespace {
constexpr int kMaxStart = -0x1000000;
int imax(int a, int b) { return a > b ? a : b; }
}  // namespace

void ui_layout_push(UiContext* ctx, UiRect body, UiVec scroll) {
    UI_EXPECT(ctx->layout_stack.idx < UI_LAYOUTSTACK_SIZE);
    UiLayout* layout = &ctx->layout_stack.items[ctx->layout_stack.idx++];
    std::memset(layout, 0, sizeof(*layout));
    layout->body = ui_rect(body.x - scroll.x, body.y - scroll.y, body.w, body.h);
    layout->max = ui_vec(kMaxStart, kMaxStart);
    int width = 0;
    ui_row_set(ctx, 1, &width, 0);
}

void ui_layout_pop(UiContext* ctx) {
    UI_EXPECT(ctx->layout_stack.idx > 0);
    ctx->layout_stack.idx--;
}

UiLayout* ui_layout_current(UiContext* ctx) {
    UI_EXPECT(ctx->layout_stack.idx > 0);
    return &ctx->layout_stack.items[ctx->layout_stack.idx - 1];
}

void ui_row_set(UiContext* ctx, int items, const int* widths, int height) {
    UiLayout* layout = ui_layout_current(ctx);
    // Checked even without widths: the cells index widths[] by column.
    UI_EXPECT(items <= UI_MAX_WIDTHS);
    if (items < 0) items = 0;
    if (widths) std::memcpy(layout->widths, widths, static_cast<size_t>(items) * sizeof(widths[0]));
    layout->items = items;
    layout->position = ui_vec(layout->indent, layout->next_row);
    layout->size.y = height;
    layout->item_index = 0;
}

void ui_layout_set_next(UiContext* ctx, UiRect rect, int relative) {
    UiLayout* layout = ui_layout_current(ctx);
    layout->next = rect;
    layout->next_type = relative ? UI_LAYOUT_NEXT_RELATIVE : UI_LAYOUT_NEXT_ABSOLUTE;
}

UiRect ui_cell_next(UiContext* ctx) {
    UiLayout* layout = ui_layout_current(ctx);
    UiStyle* style = ctx->style;
    UiRect res;

    if (layout->next_type) {
        int type = layout->next_type;
        layout->next_type = UI_LAYOUT_NEXT_NONE;
        res = layout->next;
        if (type == UI_LAYOUT_NEXT_ABSOLUTE) {
            ctx->last_rect = res;
            return res;
        }
    } else {
        if (layout->item_index == layout->items) ui_row_set(ctx, layout->items, nullptr, layout->size.y);
        res.x = layout->position.x;
        res.y = layout->position.y;
        res.w = layout->items > 0 ? layout->widths[layout->item_index] : layout->size.x;
        res.h = layout->size.y;
        if (res.w == 0) res.w = style->size.x + style->padding * 2;
        if (res.h == 0) res.h = style->size.y + style->padding * 2;
        if (res.w < 0) res.w += layout->body.w - res.x + 1;
        if (res.h < 0) res.h += layout->body.h - res.y + 1;
        layout->item_index++;
    }

    layout->position.x += res.w + style->spacing;
    layout->next_row = imax(layout->next_row, res.y + res.h + style->spacing);
    res.x += layout->body.x;
    res.y += layout->body.y;
    layout->max.x = imax(layout->max.x, res.x + res.w);
    layout->max.y = imax(layout->max.y, res.y + res.h);
    ctx->last_rect = res;
    return res;
}

void ui_column_begin(UiContext* ctx) { ui_layout_push(ctx, ui_cell_next(ctx), ui_vec(0, 0)); }

void ui_column_end(UiContext* ctx) {
    UiLayout* b = ui_layout_current(ctx);
    ui_layout_pop(ctx);
    UiLayout* a = ui_layout_current(ctx);
    a->position.x = imax(a->position.x, b->position.x + b->body.x - a->body.x);
    a->next_row = imax(a->next_row, b->next_row + b->body.y - a->body.y);
    a->max.x = imax(a->max.x, b->max.x);
    a->max.y = imax(a->max.y, b->max.y);
}
