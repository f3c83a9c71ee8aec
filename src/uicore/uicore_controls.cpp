// Hover and focus, control frames and labels, buttons and word-wrapped text.
#include <cstring>

#include "uicore/uicore.h"

namespace {

bool rect_has(UiRect r, UiVec p) { return p.x >= r.x && p.x < r.x + r.w && p.y >= r.y && p.y < r.y + r.h; }

// True when the container being built belongs to the root under the mouse.
bool in_hover_root(UiContext* ctx) {
    for (int i = ctx->container_stack.idx - 1; i >= 0; i--) {
        UiContainer* c = ctx->container_stack.items[i];
        if (c == ctx->hover_root) return true;
        if (c->head >= 0) break;  // reached a root container
    }
    return false;
}

}  // namespace

int ui_hit(UiContext* ctx, UiRect rect) {
    return rect_has(rect, ctx->mouse_pos) && rect_has(ui_clip_get(ctx), ctx->mouse_pos) && in_hover_root(ctx);
}

void ui_control_update(UiContext* ctx, UiId id, UiRect rect, int opt) {
    int over = ui_hit(ctx, rect);
    if (ctx->focus == id) ctx->updated_focus = 1;
    if (opt & OPT_NO_INTERACT) return;
    if (over && !ctx->mouse_down) ctx->hover = id;

    if (ctx->focus == id) {
        if (ctx->mouse_pressed && !over) ui_focus_set(ctx, 0);
        if (!ctx->mouse_down && !(opt & OPT_HOLD_FOCUS)) ui_focus_set(ctx, 0);
    }
    if (ctx->hover == id) {
        if (ctx->mouse_pressed)
            ui_focus_set(ctx, id);
        else if (!over)
            ctx->hover = 0;
    }
}

void ui_control_frame(UiContext* ctx, UiId id, UiRect rect, int colorid, int opt) {
    if (opt & OPT_NO_FRAME) return;
    colorid += (ctx->focus == id) ? 2 : (ctx->hover == id) ? 1 : 0;
    ctx->draw_frame(ctx, rect, colorid);
}

void ui_control_text(UiContext* ctx, const char* str, UiRect rect, int colorid, int opt) {
    UiFont font = ctx->style->font;
    int tw = ctx->text_width(font, str, -1);
    ui_clip_push(ctx, rect);
    UiVec pos;
    pos.y = rect.y + (rect.h - ctx->text_height(font)) / 2;
    if (opt & OPT_ALIGN_CENTER)
        pos.x = rect.x + (rect.w - tw) / 2;
    else if (opt & OPT_ALIGN_RIGHT)
        pos.x = rect.x + rect.w - tw - ctx->style->padding;
    else
        pos.x = rect.x + ctx->style->padding;
    ui_text_at(ctx, font, str, -1, pos, ctx->style->colors[colorid]);
    ui_clip_pop(ctx);
}

int ui_button(UiContext* ctx, const char* label, int icon, int opt) {
    UiId id = label ? ui_id_of(ctx, label, static_cast<int>(std::strlen(label))) : ui_id_of(ctx, &icon, sizeof(icon));
    UiRect r = ui_cell_next(ctx);
    ui_control_update(ctx, id, r, opt);
    int res = 0;
    if ((ctx->mouse_pressed & UI_MOUSE_LEFT) && ctx->focus == id) res |= UI_RES_SUBMIT;
    ui_control_frame(ctx, id, r, UI_COLOR_BUTTON, opt);
    if (label) ui_control_text(ctx, label, r, UI_COLOR_TEXT, opt);
    if (icon) ui_icon_at(ctx, icon, r, ctx->style->colors[UI_COLOR_TEXT]);
    return res;
}

void ui_wrapped_text(UiContext* ctx, const char* text) {
    UiFont font = ctx->style->font;
    UiColor color = ctx->style->colors[UI_COLOR_TEXT];
    ui_column_begin(ctx);
    int width = -1;
    ui_row_set(ctx, 1, &width, ctx->text_height(font));
    const char* p = text ? text : "";
    const char* end;
    do {
        UiRect r = ui_cell_next(ctx);
        int w = 0;
        const char* start = p;
        end = p;
        do {
            const char* word = p;
            while (*p && *p != ' ' && *p != '\n') p++;
            w += ctx->text_width(font, word, static_cast<int>(p - word));
            if (w > r.w && end != start) break;
            if (*p == ' ') w += ctx->text_width(font, p, 1);
            end = p++;
        } while (*end && *end != '\n');
        ui_text_at(ctx, font, start, static_cast<int>(end - start), ui_vec(r.x, r.y), color);
        p = end + 1;
    } while (*end);
    ui_column_end(ctx);
}
