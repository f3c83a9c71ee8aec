// Windows and popups: root containers with title bar, close box, scrollbars and resize handle.
#include <cstring>

#include "uicore/uicore.h"
#include "uicore/uicore_detail.h"

namespace {

constexpr int kMinWindowWidth = 96;
constexpr int kMinWindowHeight = 64;

int imax(int a, int b) { return a > b ? a : b; }
int iclamp(int v, int lo, int hi) { return v < lo ? lo : v > hi ? hi : v; }
bool rect_has(UiRect r, UiVec p) { return p.x >= r.x && p.x < r.x + r.w && p.y >= r.y && p.y < r.y + r.h; }

UiId id_of_string(UiContext* ctx, const char* s) { return ui_id_of(ctx, s, static_cast<int>(std::strlen(s))); }

void container_push(UiContext* ctx, UiContainer* cnt) {
    UI_EXPECT(ctx->container_stack.idx < UI_CONTAINERSTACK_SIZE);
    ctx->container_stack.items[ctx->container_stack.idx++] = cnt;
}

void container_pop(UiContext* ctx) {
    UiContainer* cnt = ui_container_current(ctx);
    UiLayout* layout = ui_layout_current(ctx);
    cnt->content_size.x = layout->max.x - layout->body.x;
    cnt->content_size.y = layout->max.y - layout->body.y;
    ctx->container_stack.idx--;
    ui_layout_pop(ctx);
    ui_id_pop(ctx);
}

void root_begin(UiContext* ctx, UiContainer* cnt) {
    container_push(ctx, cnt);
    UI_EXPECT(ctx->root_list.idx < UI_ROOTLIST_SIZE);
    ctx->root_list.items[ctx->root_list.idx++] = cnt;
    cnt->head = ui_jump_push(ctx, 0);
    if (rect_has(cnt->rect, ctx->mouse_pos) && (!ctx->next_hover_root || cnt->zindex > ctx->next_hover_root->zindex))
        ctx->next_hover_root = cnt;
    // Windows are not clipped by whatever was built before them.
    UI_EXPECT(ctx->clip_stack.idx < UI_CLIPSTACK_SIZE);
    ctx->clip_stack.items[ctx->clip_stack.idx++] = UI_UNCLIPPED_RECT;
}

void root_end(UiContext* ctx) {
    UiContainer* cnt = ui_container_current(ctx);
    cnt->tail = ui_jump_push(ctx, 0);
    ui_jump_at(ctx, cnt->head)->dst = ctx->command_list.idx;
    ui_clip_pop(ctx);
    container_pop(ctx);
}

// One axis of the scrollbars; `vertical` picks y/h over x/w.
void scrollbar(UiContext* ctx, UiContainer* cnt, const UiRect* b, UiVec cs, bool vertical) {
    int content = vertical ? cs.y : cs.x;
    int extent = vertical ? b->h : b->w;
    int* scroll = vertical ? &cnt->scroll.y : &cnt->scroll.x;
    int maxscroll = content - extent;
    if (maxscroll > 0 && extent > 0) {
        UiStyle* style = ctx->style;
        UiRect base = *b;
        if (vertical) {
            base.x = b->x + b->w;
            base.w = style->scrollbar_size;
        } else {
            base.y = b->y + b->h;
            base.h = style->scrollbar_size;
        }
        UiId id = id_of_string(ctx, vertical ? "!scrollbary" : "!scrollbarx");
        ui_control_update(ctx, id, base, 0);
        int bar = vertical ? base.h : base.w;
        if (ctx->focus == id && ctx->mouse_down == UI_MOUSE_LEFT && bar > 0)
            *scroll += (vertical ? ctx->mouse_delta.y : ctx->mouse_delta.x) * content / bar;
        *scroll = iclamp(*scroll, 0, maxscroll);

        ctx->draw_frame(ctx, base, UI_COLOR_SCROLLBASE);
        UiRect thumb = base;
        int len = imax(style->thumb_size, bar * extent / content);
        if (vertical) {
            thumb.h = len;
            thumb.y += *scroll * (base.h - thumb.h) / maxscroll;
        } else {
            thumb.w = len;
            thumb.x += *scroll * (base.w - thumb.w) / maxscroll;
        }
        ctx->draw_frame(ctx, thumb, UI_COLOR_SCROLLTHUMB);
        if (ui_hit(ctx, *b)) ctx->scroll_target = cnt;
    } else {
        *scroll = 0;
    }
}

void scrollbars(UiContext* ctx, UiContainer* cnt, UiRect* body) {
    int sz = ctx->style->scrollbar_size;
    UiVec cs = cnt->content_size;
    cs.x += ctx->style->padding * 2;
    cs.y += ctx->style->padding * 2;
    // Room for a bar is judged against last frame's body.
    if (cs.y > cnt->body.h) body->w -= sz;
    if (cs.x > cnt->body.w) body->h -= sz;
    scrollbar(ctx, cnt, body, cs, true);
    scrollbar(ctx, cnt, body, cs, false);
}

void container_body_push(UiContext* ctx, UiContainer* cnt, UiRect body, int opt) {
    if (!(opt & OPT_NO_SCROLL)) scrollbars(ctx, cnt, &body);
    ui_layout_push(ctx, ui_rect_expand(body, -ctx->style->padding), cnt->scroll);
    cnt->body = body;
}

}  // namespace

int ui_window_begin(UiContext* ctx, const char* title, UiRect rect, int opt) {
    UI_EXPECT(title);
    UiId id = id_of_string(ctx, title);
    UiContainer* cnt = ui_container_get(ctx, id, opt);
    if (!cnt || !cnt->open) return 0;
    UI_EXPECT(ctx->id_stack.idx < UI_IDSTACK_SIZE);
    ctx->id_stack.items[ctx->id_stack.idx++] = id;

    if (cnt->rect.w == 0) cnt->rect = rect;
    root_begin(ctx, cnt);
    rect = cnt->rect;
    UiRect body = rect;

    if (!(opt & OPT_NO_FRAME)) ctx->draw_frame(ctx, rect, UI_COLOR_WINDOWBG);

    if (!(opt & OPT_NO_TITLE)) {
        UiRect tr = rect;
        tr.h = ctx->style->title_height;
        ctx->draw_frame(ctx, tr, UI_COLOR_TITLEBG);

        UiId tid = id_of_string(ctx, "!title");
        ui_control_update(ctx, tid, tr, opt);
        ui_control_text(ctx, title, tr, UI_COLOR_TITLETEXT, opt);
        if (tid == ctx->focus && (ctx->mouse_down & UI_MOUSE_LEFT)) {
            cnt->rect.x += ctx->mouse_delta.x;
            cnt->rect.y += ctx->mouse_delta.y;
        }
        body.y += tr.h;
        body.h -= tr.h;

        if (!(opt & OPT_NO_CLOSE)) {
            UiId cid = id_of_string(ctx, "!close");
            UiRect r = ui_rect(tr.x + tr.w - tr.h, tr.y, tr.h, tr.h);
            ui_icon_at(ctx, UI_ICON_CLOSE, r, ctx->style->colors[UI_COLOR_TITLETEXT]);
            ui_control_update(ctx, cid, r, opt);
            if ((ctx->mouse_pressed & UI_MOUSE_LEFT) && cid == ctx->focus) cnt->open = 0;
        }
    }

    container_body_push(ctx, cnt, body, opt);

    if (!(opt & OPT_NO_RESIZE)) {
        int sz = ctx->style->title_height;
        UiId rid = id_of_string(ctx, "!resize");
        UiRect r = ui_rect(rect.x + rect.w - sz, rect.y + rect.h - sz, sz, sz);
        ui_control_update(ctx, rid, r, opt);
        if (rid == ctx->focus && (ctx->mouse_down & UI_MOUSE_LEFT)) {
            cnt->rect.w = imax(kMinWindowWidth, cnt->rect.w + ctx->mouse_delta.x);
            cnt->rect.h = imax(kMinWindowHeight, cnt->rect.h + ctx->mouse_delta.y);
        }
    }

    if (opt & OPT_AUTO_SIZE) {
        UiRect r = ui_layout_current(ctx)->body;
        cnt->rect.w = cnt->content_size.x + (cnt->rect.w - r.w);
        cnt->rect.h = cnt->content_size.y + (cnt->rect.h - r.h);
    }

    if ((opt & OPT_POPUP) && ctx->mouse_pressed && ctx->hover_root != cnt) cnt->open = 0;

    ui_clip_push(ctx, cnt->body);
    return UI_RES_ACTIVE;
}

void ui_window_end(UiContext* ctx) {
    ui_clip_pop(ctx);
    root_end(ctx);
}

void ui_popup_show(UiContext* ctx, const char* name) {
    UiContainer* cnt = ui_container_find(ctx, name);
    // Hover root now, so the press that opened the popup does not close it.
    ctx->hover_root = ctx->next_hover_root = cnt;
    cnt->rect = ui_rect(ctx->mouse_pos.x, ctx->mouse_pos.y, 1, 1);
    cnt->open = 1;
    ui_bring_to_front(ctx, cnt);
}
