// The immediate-mode UI core: every paint rebuilds the interface into a flat command list
// (clip, rect, text, icon) that a renderer walks. Only a little state is kept between frames:
// hover and focus ids, the windows and popups with their rects, scroll offsets and z-order.
//
// No OS calls, no fonts, no allocation: every stack, the container pool and the command list are
// fixed arrays inside UiContext. Text is measured through the installed callbacks. A violated
// limit prints "Fatal error: file:line: assertion '...' failed" to stderr and aborts.
// Strings are UTF-8. Single-threaded: only the window thread touches a context.
#pragma once
#include <cstdint>

enum {
    UI_COMMANDLIST_SIZE = 256 * 1024,
    UI_ROOTLIST_SIZE = 32,
    UI_CONTAINERSTACK_SIZE = 32,
    UI_CLIPSTACK_SIZE = 32,
    UI_IDSTACK_SIZE = 32,
    UI_LAYOUTSTACK_SIZE = 16,
    UI_CONTAINERPOOL_SIZE = 48,
    UI_MAX_WIDTHS = 16,
    UI_INPUT_TEXT_SIZE = 32,
};

enum { UI_COMMAND_JUMP = 1, UI_COMMAND_CLIP, UI_COMMAND_RECT, UI_COMMAND_TEXT, UI_COMMAND_ICON };

// Colour ids of UiStyle::colors. Hover and focus variants are always id + 1 and id + 2.
enum {
    UI_COLOR_TEXT,
    UI_COLOR_BORDER,
    UI_COLOR_WINDOWBG,
    UI_COLOR_TITLEBG,
    UI_COLOR_TITLETEXT,
    UI_COLOR_PANELBG,
    UI_COLOR_BUTTON,
    UI_COLOR_BUTTONHOVER,
    UI_COLOR_BUTTONFOCUS,
    UI_COLOR_BASE,
    UI_COLOR_BASEHOVER,
    UI_COLOR_BASEFOCUS,
    UI_COLOR_SCROLLBASE,
    UI_COLOR_SCROLLTHUMB,
    UI_COLOR_MAX
};

enum { UI_ICON_CLOSE = 1, UI_ICON_CHECK, UI_ICON_COLLAPSED, UI_ICON_EXPANDED };

enum { UI_MOUSE_LEFT = 1, UI_MOUSE_RIGHT = 2, UI_MOUSE_MIDDLE = 4 };
enum { UI_KEY_SHIFT = 1, UI_KEY_CTRL = 2, UI_KEY_ALT = 4, UI_KEY_BACKSPACE = 8, UI_KEY_RETURN = 16 };

enum {
    OPT_ALIGN_CENTER = 1,
    OPT_ALIGN_RIGHT = 2,
    OPT_NO_INTERACT = 4,
    OPT_NO_FRAME = 8,
    OPT_NO_RESIZE = 16,
    OPT_NO_SCROLL = 32,
    OPT_NO_CLOSE = 64,
    OPT_NO_TITLE = 128,
    OPT_HOLD_FOCUS = 256,
    OPT_AUTO_SIZE = 512,
    OPT_POPUP = 1024,
    OPT_CLOSED = 2048,
};

// Control results.
enum { UI_RES_ACTIVE = 1, UI_RES_SUBMIT = 2, UI_RES_CHANGE = 4 };

// How UiLayout::next is used by the next ui_cell_next.
enum { UI_LAYOUT_NEXT_NONE = 0, UI_LAYOUT_NEXT_RELATIVE = 1, UI_LAYOUT_NEXT_ABSOLUTE = 2 };

using UiId = uint32_t;
using UiFont = void*;  // opaque to the core: stored and handed to the measuring callbacks

struct UiVec {
    int x, y;
};
struct UiRect {
    int x, y, w, h;
};
struct UiColor {
    unsigned char r, g, b, a;
};

constexpr UiVec ui_vec(int x, int y) { return UiVec{x, y}; }
constexpr UiRect ui_rect(int x, int y, int w, int h) { return UiRect{x, y, w, h}; }
// Keeps the low byte of each component.
constexpr UiColor ui_color(int r, int g, int b, int a) {
    return UiColor{static_cast<unsigned char>(r & 0xFF), static_cast<unsigned char>(g & 0xFF), static_cast<unsigned char>(b & 0xFF),
                   static_cast<unsigned char>(a & 0xFF)};
}
constexpr bool operator==(UiRect a, UiRect b) { return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h; }
constexpr bool operator==(UiColor a, UiColor b) { return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a; }

// Commands are a byte stream: each starts with (type, size) and size steps to the next one.
// Sizes are rounded up to UI_COMMAND_ALIGN so that every command starts suitably aligned for its
// fields (a rect command takes 32 bytes, a text command 32 + length rounded up to 8).
enum { UI_COMMAND_ALIGN = 8 };
struct UiBaseCommand {
    int32_t type;
    int32_t size;
};
struct UiJumpCommand {
    UiBaseCommand base;
    int32_t dst;  // byte position in the command list
    int32_t reserved;
};
struct UiClipCommand {
    UiBaseCommand base;
    UiRect rect;
};
struct UiRectCommand {
    UiBaseCommand base;
    UiRect rect;
    UiColor color;
};
struct UiTextCommand {
    UiBaseCommand base;
    UiFont font;
    UiVec pos;
    UiColor color;
    char str[4];  // NUL-terminated; the command's size covers the whole string
};
struct UiIconCommand {
    UiBaseCommand base;
    UiRect rect;
    int32_t id;
    UiColor color;
};
union UiCommand {
    int32_t type;
    UiBaseCommand base;
    UiJumpCommand jump;
    UiClipCommand clip;
    UiRectCommand rect;
    UiTextCommand text;
    UiIconCommand icon;
};

static_assert(sizeof(UiJumpCommand) == 16 && sizeof(UiClipCommand) == 24 && sizeof(UiRectCommand) == 28);
static_assert(sizeof(UiTextCommand) == 32 && sizeof(UiIconCommand) == 32);
static_assert(alignof(UiCommand) <= UI_COMMAND_ALIGN);

struct UiLayout {
    UiRect body;  // cells are placed in it; already shifted by the container's scroll
    UiRect next;  // set by ui_layout_set_next for the next cell
    UiVec position;  // next cell, relative to body
    UiVec size;  // default cell width, row height
    UiVec max;  // largest right and bottom edge reached (absolute)
    int widths[UI_MAX_WIDTHS];
    int items;
    int item_index;
    int next_row;
    int next_type;
    int indent;
};

struct UiContainer {
    int head, tail;  // positions of the head and tail jumps (root containers), -1 when unset
    UiRect rect;
    UiRect body;
    UiVec content_size;
    UiVec scroll;
    int zindex;
    int open;
};

struct UiStyle {
    UiFont font;
    UiVec size;  // default control size
    int padding;
    int spacing;
    int indent;
    int title_height;
    int scrollbar_size;
    int thumb_size;
    UiColor colors[UI_COLOR_MAX];
};

struct UiPoolItem {
    UiId id;
    int last_update;
};

template <typename T, int N>
struct UiStack {
    int idx;
    T items[N];
};

struct UiContext {
    // callbacks
    int (*text_width)(UiFont font, const char* str, int len);  // len -1: up to the NUL
    int (*text_height)(UiFont font);
    void (*draw_frame)(UiContext* ctx, UiRect rect, int colorid);
    // style
    UiStyle style_record;
    UiStyle* style;  // the style in use; points at style_record after ui_init
    // retained and per-frame state
    UiId hover;
    UiId focus;
    UiId last_id;
    UiRect last_rect;
    int last_zindex;
    int updated_focus;
    int frame;
    UiContainer* hover_root;
    UiContainer* next_hover_root;
    UiContainer* scroll_target;
    // stacks
    struct {
        int idx;
        alignas(UI_COMMAND_ALIGN) char items[UI_COMMANDLIST_SIZE];
    } command_list;
    UiStack<UiContainer*, UI_ROOTLIST_SIZE> root_list;
    UiStack<UiContainer*, UI_CONTAINERSTACK_SIZE> container_stack;
    UiStack<UiRect, UI_CLIPSTACK_SIZE> clip_stack;
    UiStack<UiId, UI_IDSTACK_SIZE> id_stack;
    UiStack<UiLayout, UI_LAYOUTSTACK_SIZE> layout_stack;
    // retained containers
    UiPoolItem container_pool[UI_CONTAINERPOOL_SIZE];
    UiContainer containers[UI_CONTAINERPOOL_SIZE];
    // input state
    UiVec mouse_pos;
    UiVec last_mouse_pos;
    UiVec mouse_delta;
    UiVec scroll_delta;
    int mouse_down;
    int mouse_pressed;
    int key_down;
    int key_pressed;
    char input_text[UI_INPUT_TEXT_SIZE];
};

// The rect that clips nothing.
constexpr UiRect UI_UNCLIPPED_RECT = {0, 0, 0x1000000, 0x1000000};

[[noreturn]] void ui_fatal(const char* file, int line, const char* condition);
#define UI_EXPECT(x) ((x) ? (void)0 : ui_fatal(__FILE__, __LINE__, #x))

// Context and frames
void ui_init(UiContext* ctx);
void ui_frame_begin(UiContext* ctx);
void ui_frame_end(UiContext* ctx);
void ui_focus_set(UiContext* ctx, UiId id);
UiId ui_id_of(UiContext* ctx, const void* data, int size);
void ui_id_push(UiContext* ctx, const void* data, int size);
void ui_id_pop(UiContext* ctx);

// Input, fed by the window procedure between frames
void ui_input_mouse_move(UiContext* ctx, int x, int y);
void ui_input_mouse_down(UiContext* ctx, int x, int y, int button);
void ui_input_mouse_up(UiContext* ctx, int x, int y, int button);
void ui_input_scroll(UiContext* ctx, int x, int y);
void ui_input_key_down(UiContext* ctx, int key);
void ui_input_key_up(UiContext* ctx, int key);
// Appends to input_text; what does not fit is dropped at a character boundary.
void ui_input_chars(UiContext* ctx, const char* utf8);

// Clipping
void ui_clip_push(UiContext* ctx, UiRect rect);
void ui_clip_pop(UiContext* ctx);
UiRect ui_clip_get(UiContext* ctx);
enum { UI_CLIP_NONE = 0, UI_CLIP_PART = 1, UI_CLIP_ALL = 2 };
int ui_clip_test(UiContext* ctx, UiRect rect);
UiRect ui_rect_intersect(UiRect a, UiRect b);
UiRect ui_rect_expand(UiRect rect, int n);

// Commands. The size is rounded up to UI_COMMAND_ALIGN.
UiCommand* ui_command_push(UiContext* ctx, int type, int size);
// Steps *cmd to the next drawable command of the finished frame (start with *cmd = nullptr);
// returns 0 at the end of the list.
int ui_cmd_next(UiContext* ctx, UiCommand** cmd);

// Containers and windows
UiContainer* ui_container_get(UiContext* ctx, UiId id, int opt);  // null only with OPT_CLOSED
UiContainer* ui_container_find(UiContext* ctx, const char* name);
UiContainer* ui_container_current(UiContext* ctx);
void ui_bring_to_front(UiContext* ctx, UiContainer* cnt);
int ui_window_begin(UiContext* ctx, const char* title, UiRect rect, int opt);
void ui_window_end(UiContext* ctx);
void ui_popup_show(UiContext* ctx, const char* name);

// Layout
void ui_row_set(UiContext* ctx, int items, const int* widths, int height);
UiRect ui_cell_next(UiContext* ctx);
void ui_layout_set_next(UiContext* ctx, UiRect rect, int relative);
void ui_column_begin(UiContext* ctx);
void ui_column_end(UiContext* ctx);
UiLayout* ui_layout_current(UiContext* ctx);

// Controls
int ui_hit(UiContext* ctx, UiRect rect);
void ui_control_update(UiContext* ctx, UiId id, UiRect rect, int opt);
void ui_control_frame(UiContext* ctx, UiId id, UiRect rect, int colorid, int opt);
void ui_control_text(UiContext* ctx, const char* str, UiRect rect, int colorid, int opt);
int ui_button(UiContext* ctx, const char* label, int icon, int opt);
void ui_wrapped_text(UiContext* ctx, const char* text);

// Drawing
void ui_fill_rect(UiContext* ctx, UiRect rect, UiColor color);
void ui_outline_rect(UiContext* ctx, UiRect rect, UiColor color);
void ui_text_at(UiContext* ctx, UiFont font, const char* str, int len, UiVec pos, UiColor color);
void ui_icon_at(UiContext* ctx, int id, UiRect rect, UiColor color);
