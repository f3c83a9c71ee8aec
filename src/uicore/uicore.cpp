// Context, ids, input, the container pool, frames, commands and clipping.
#include "uicore/uicore.h"

#include <cstddef>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "uicore/uicore_detail.h"

namespace {

constexpr UiStyle kDefaultStyle = {
    nullptr,
    {68, 10},
    5,
    4,
    24,
    24,
    12,
    8,
    {
        {230, 230, 230, 255},  // text
        {25, 25, 25, 255},     // border
        {50, 50, 50, 255},     // window background
        {25, 25, 25, 255},     // title background
        {240, 240, 240, 255},  // title text
        {0, 0, 0, 0},          // panel background
        {75, 75, 75, 255},     // button
        {95, 95, 95, 255},     // button hover
        {115, 115, 115, 255},  // button focus
        {30, 30, 30, 255},     // base
        {35, 35, 35, 255},     // base hover
        {40, 40, 40, 255},     // base focus
        {43, 43, 43, 255},     // scroll base
        {30, 30, 30, 255},     // scroll thumb
    },
};

constexpr uint32_t kHashInitial = 2166136261u;

// Fills the rect and, unless the border colour is transparent, outlines it one pixel outside
// (not for the title bar and the scrollbar, which sit flush against their neighbours).
void default_draw_frame(UiContext* ctx, UiRect rect, int colorid) {
    ui_fill_rect(ctx, rect, ctx->style->colors[colorid]);
    if (colorid == UI_COLOR_SCROLLBASE || colorid == UI_COLOR_SCROLLTHUMB || colorid == UI_COLOR_TITLEBG) return;
    if (ctx->style->colors[UI_COLOR_BORDER].a) ui_outline_rect(ctx, ui_rect_expand(rect, 1), ctx->style->colors[UI_COLOR_BORDER]);
}

void hash_bytes(UiId* hash, const void* data, int size) {
    const unsigned char* p = static_cast<const unsigned char*>(data);
    while (size-- > 0) *hash = (*hash ^ *p++) * 16777619u;
}

}  // namespace

[[noreturn]] void ui_fatal(const char* file, int line, const char* condition) {
    std::fprintf(stderr, "Fatal error: %s:%d: assertion '%s' failed\n", file, line, condition);
    std::fflush(stderr);
    std::abort();
}

void ui_init(UiContext* ctx) {
    std::memset(ctx, 0, sizeof(*ctx));
    ctx->draw_frame = default_draw_frame;
    ctx->style_record = kDefaultStyle;
    ctx->style = &ctx->style_record;
}

void ui_frame_begin(UiContext* ctx) {
    UI_EXPECT(ctx->text_width && ctx->text_height);
    ctx->command_list.idx = 0;
    ctx->root_list.idx = 0;
    ctx->scroll_target = nullptr;
    ctx->hover_root = ctx->next_hover_root;
    ctx->next_hover_root = nullptr;
    ctx->mouse_delta.x = ctx->mouse_pos.x - ctx->last_mouse_pos.x;
    ctx->mouse_delta.y = ctx->mouse_pos.y - ctx->last_mouse_pos.y;
    ctx->frame++;
}

void ui_frame_end(UiContext* ctx) {
    UI_EXPECT(ctx->container_stack.idx == 0);
    UI_EXPECT(ctx->clip_stack.idx == 0);
    UI_EXPECT(ctx->id_stack.idx == 0);
    UI_EXPECT(ctx->layout_stack.idx == 0);

    if (ctx->scroll_target) {
        ctx->scroll_target->scroll.x += ctx->scroll_delta.x;
        ctx->scroll_target->scroll.y += ctx->scroll_delta.y;
    }
    if (!ctx->updated_focus) ctx->focus = 0;
    ctx->updated_focus = 0;

    if (ctx->mouse_pressed && ctx->next_hover_root && ctx->next_hover_root->zindex < ctx->last_zindex &&
        ctx->next_hover_root->zindex >= 0) {
        ui_bring_to_front(ctx, ctx->next_hover_root);
    }

    ctx->key_pressed = 0;
    ctx->input_text[0] = '\0';
    ctx->mouse_pressed = 0;
    ctx->scroll_delta = ui_vec(0, 0);
    ctx->last_mouse_pos = ctx->mouse_pos;

    // Stable insertion sort by z-index: at most 32 roots.
    int n = ctx->root_list.idx;
    UiContainer** roots = ctx->root_list.items;
    for (int i = 1; i < n; i++) {
        UiContainer* c = roots[i];
        int j = i - 1;
        while (j >= 0 && roots[j]->zindex > c->zindex) {
            roots[j + 1] = roots[j];
            j--;
        }
        roots[j + 1] = c;
    }

    // Link the windows back to front: the list begins with the first-built root's head jump.
    constexpr int kJump = sizeof(UiJumpCommand);
    for (int i = 0; i < n; i++) {
        UiContainer* c = roots[i];
        if (i == 0) ui_jump_at(ctx, 0)->dst = c->head + kJump;
        ui_jump_at(ctx, c->tail)->dst = (i == n - 1) ? ctx->command_list.idx : roots[i + 1]->head + kJump;
    }
}

void ui_focus_set(UiContext* ctx, UiId id) {
    ctx->focus = id;
    ctx->updated_focus = 1;
}

UiId ui_id_of(UiContext* ctx, const void* data, int size) {
    int idx = ctx->id_stack.idx;
    UiId res = idx > 0 ? ctx->id_stack.items[idx - 1] : kHashInitial;
    hash_bytes(&res, data, size);
    ctx->last_id = res;
    return res;
}

void ui_id_push(UiContext* ctx, const void* data, int size) {
    UiId id = ui_id_of(ctx, data, size);
    UI_EXPECT(ctx->id_stack.idx < UI_IDSTACK_SIZE);
    ctx->id_stack.items[ctx->id_stack.idx++] = id;
}

void ui_id_pop(UiContext* ctx) {
    UI_EXPECT(ctx->id_stack.idx > 0);
    ctx->id_stack.idx--;
}

// ---- input ----

void ui_input_mouse_move(UiContext* ctx, int x, int y) { ctx->mouse_pos = ui_vec(x, y); }

void ui_input_mouse_down(UiContext* ctx, int x, int y, int button) {
    ui_input_mouse_move(ctx, x, y);
    ctx->mouse_down |= button;
    ctx->mouse_pressed |= button;
}

void ui_input_mouse_up(UiContext* ctx, int x, int y, int button) {
    ui_input_mouse_move(ctx, x, y);
    ctx->mouse_down &= ~button;
}

void ui_input_scroll(UiContext* ctx, int x, int y) {
    ctx->scroll_delta.x += x;
    ctx->scroll_delta.y += y;
}

void ui_input_key_down(UiContext* ctx, int key) {
    ctx->key_pressed |= key;
    ctx->key_down |= key;
}

void ui_input_key_up(UiContext* ctx, int key) { ctx->key_down &= ~key; }

void ui_input_chars(UiContext* ctx, const char* utf8) {
    if (!utf8) return;
    size_t len = std::strlen(ctx->input_text);
    size_t add = std::strlen(utf8);
    size_t room = UI_INPUT_TEXT_SIZE - 1 - len;
    if (add > room) {
        // Keep whole characters only: back up to the start of the character that would be cut.
        add = room;
        while (add > 0 && (static_cast<unsigned char>(utf8[add]) & 0xC0) == 0x80) add--;
    }
    std::memcpy(ctx->input_text + len, utf8, add);
    ctx->input_text[len + add] = '\0';
}

// ---- containers ----

void ui_bring_to_front(UiContext* ctx, UiContainer* cnt) { cnt->zindex = ++ctx->last_zindex; }

UiContainer* ui_container_get(UiContext* ctx, UiId id, int opt) {
    for (int i = 0; i < UI_CONTAINERPOOL_SIZE; i++) {
        if (ctx->container_pool[i].id == id) {
            UiContainer* cnt = &ctx->containers[i];
            if (cnt->open || !(opt & OPT_CLOSED)) ctx->container_pool[i].last_update = ctx->frame;
            return cnt;
        }
    }
    if (opt & OPT_CLOSED) return nullptr;

    int n = -1;
    int oldest = ctx->frame;
    for (int i = 0; i < UI_CONTAINERPOOL_SIZE; i++) {
        if (ctx->container_pool[i].last_update < oldest) {
            oldest = ctx->container_pool[i].last_update;
            n = i;
        }
    }
    UI_EXPECT(n > -1);
    ctx->container_pool[n].id = id;
    ctx->container_pool[n].last_update = ctx->frame;
    UiContainer* cnt = &ctx->containers[n];
    std::memset(cnt, 0, sizeof(*cnt));
    cnt->head = cnt->tail = -1;
    cnt->open = 1;
    ui_bring_to_front(ctx, cnt);
    return cnt;
}

UiContainer* ui_container_find(UiContext* ctx, const char* name) {
    UiId id = ui_id_of(ctx, name, static_cast<int>(std::strlen(name)));
    return ui_container_get(ctx, id, 0);
}

UiContainer* ui_container_current(UiContext* ctx) {
    UI_EXPECT(ctx->container_stack.idx > 0);
    return ctx->container_stack.items[ctx->container_stack.idx - 1];
}

// ---- commands ----

UiCommand* ui_command_push(UiContext* ctx, int type, int size) {
    size = (size + UI_COMMAND_ALIGN - 1) & ~(UI_COMMAND_ALIGN - 1);
    UI_EXPECT(ctx->command_list.idx + size < UI_COMMANDLIST_SIZE);
    UiCommand* cmd = reinterpret_cast<UiCommand*>(ctx->command_list.items + ctx->command_list.idx);
    cmd->base.type = type;
    cmd->base.size = size;
    ctx->command_list.idx += size;
    return cmd;
}

int ui_cmd_next(UiContext* ctx, UiCommand** cmd) {
    char* items = ctx->command_list.items;
    char* end = items + ctx->command_list.idx;
    char* p = *cmd ? reinterpret_cast<char*>(*cmd) + (*cmd)->base.size : items;
    while (p < end) {
        UiCommand* c = reinterpret_cast<UiCommand*>(p);
        if (c->type != UI_COMMAND_JUMP) {
            *cmd = c;
            return 1;
        }
        p = items + c->jump.dst;
    }
    *cmd = nullptr;
    return 0;
}

// ---- clipping ----

UiRect ui_rect_intersect(UiRect a, UiRect b) {
    int x1 = a.x > b.x ? a.x : b.x;
    int y1 = a.y > b.y ? a.y : b.y;
    int ax2 = a.x + a.w, bx2 = b.x + b.w;
    int ay2 = a.y + a.h, by2 = b.y + b.h;
    int x2 = ax2 < bx2 ? ax2 : bx2;
    int y2 = ay2 < by2 ? ay2 : by2;
    if (x2 < x1) x2 = x1;
    if (y2 < y1) y2 = y1;
    return ui_rect(x1, y1, x2 - x1, y2 - y1);
}

UiRect ui_rect_expand(UiRect r, int n) { return ui_rect(r.x - n, r.y - n, r.w + n * 2, r.h + n * 2); }

void ui_clip_push(UiContext* ctx, UiRect rect) {
    UiRect last = ui_clip_get(ctx);
    UI_EXPECT(ctx->clip_stack.idx < UI_CLIPSTACK_SIZE);
    ctx->clip_stack.items[ctx->clip_stack.idx++] = ui_rect_intersect(rect, last);
}

void ui_clip_pop(UiContext* ctx) {
    UI_EXPECT(ctx->clip_stack.idx > 0);
    ctx->clip_stack.idx--;
}

UiRect ui_clip_get(UiContext* ctx) {
    UI_EXPECT(ctx->clip_stack.idx > 0);
    return ctx->clip_stack.items[ctx->clip_stack.idx - 1];
}

int ui_clip_test(UiContext* ctx, UiRect r) {
    UiRect cr = ui_clip_get(ctx);
    if (r.x > cr.x + cr.w || r.x + r.w < cr.x || r.y > cr.y + cr.h || r.y + r.h < cr.y) return UI_CLIP_ALL;
    if (r.x >= cr.x && r.x + r.w <= cr.x + cr.w && r.y >= cr.y && r.y + r.h <= cr.y + cr.h) return UI_CLIP_NONE;
    return UI_CLIP_PART;
}

// ---- drawing ----

namespace {
void set_clip(UiContext* ctx, UiRect rect) {
    UiCommand* cmd = ui_command_push(ctx, UI_COMMAND_CLIP, sizeof(UiClipCommand));
    cmd->clip.rect = rect;
}
}  // namespace

void ui_fill_rect(UiContext* ctx, UiRect rect, UiColor color) {
    rect = ui_rect_intersect(rect, ui_clip_get(ctx));
    if (rect.w > 0 && rect.h > 0) {
        UiCommand* cmd = ui_command_push(ctx, UI_COMMAND_RECT, sizeof(UiRectCommand));
        cmd->rect.rect = rect;
        cmd->rect.color = color;
    }
}

void ui_outline_rect(UiContext* ctx, UiRect r, UiColor color) {
    ui_fill_rect(ctx, ui_rect(r.x + 1, r.y, r.w - 2, 1), color);
    ui_fill_rect(ctx, ui_rect(r.x + 1, r.y + r.h - 1, r.w - 2, 1), color);
    ui_fill_rect(ctx, ui_rect(r.x, r.y, 1, r.h), color);
    ui_fill_rect(ctx, ui_rect(r.x + r.w - 1, r.y, 1, r.h), color);
}

void ui_text_at(UiContext* ctx, UiFont font, const char* str, int len, UiVec pos, UiColor color) {
    if (!str) str = "";
    UiRect rect = ui_rect(pos.x, pos.y, ctx->text_width(font, str, len), ctx->text_height(font));
    int clipped = ui_clip_test(ctx, rect);
    if (clipped == UI_CLIP_ALL) return;
    if (clipped == UI_CLIP_PART) set_clip(ctx, ui_clip_get(ctx));
    if (len < 0) len = static_cast<int>(std::strlen(str));
    UiCommand* cmd = ui_command_push(ctx, UI_COMMAND_TEXT, static_cast<int>(sizeof(UiTextCommand)) + len);
    // The string runs past the declared str[4]: write it through a plain byte pointer.
    char* dst = reinterpret_cast<char*>(cmd) + offsetof(UiTextCommand, str);
    std::memcpy(dst, str, static_cast<size_t>(len));
    dst[len] = '\0';
    cmd->text.pos = pos;
    cmd->text.color = color;
    cmd->text.font = font;
    if (clipped) set_clip(ctx, UI_UNCLIPPED_RECT);
}

void ui_icon_at(UiContext* ctx, int id, UiRect rect, UiColor color) {
    int clipped = ui_clip_test(ctx, rect);
    if (clipped == UI_CLIP_ALL) return;
    if (clipped == UI_CLIP_PART) set_clip(ctx, ui_clip_get(ctx));
    UiCommand* cmd = ui_command_push(ctx, UI_COMMAND_ICON, sizeof(UiIconCommand));
    cmd->icon.id = id;
    cmd->icon.rect = rect;
    cmd->icon.color = color;
    if (clipped) set_clip(ctx, UI_UNCLIPPED_RECT);
}
