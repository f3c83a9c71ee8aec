// Keys, typed characters, the mouse and the wheel as the window procedure hands them on: each
// either edits the box, changes the list right away (wheel, scrollbar) or leaves a request for the
// next frame.
#include <algorithm>
#include <cstring>

#include "core/arena.h"
#include "core/utf.h"
#include "ui/fonts.h"
#include "ui/keys.h"
#include "ui/activation.h"
#include "ui/main_view.h"
#include "ui/metrics.h"
#include "ui/renderer.h"
#include "ui/search_box_input.h"
#include "ui/text_extents.h"
#include "ui/text_measure.h"

const ShortcutBinding kShortcuts[kShortcutCount] = {
    {1, 0, 0, 0, 'R'}, {1, 0, 0, 0, 'A'}, {1, 0, 0, 0, 'S'}, {1, 0, 0, 0, 'X'},
    {1, 0, 0, 0, 'O'}, {1, 0, 0, 0, 'P'}, {1, 0, 0, 0, 'T'}, {1, 0, 0, 0, 'F'},
};

namespace {

constexpr int32_t kShortcutViews[kShortcutCount] = {kViewRecents, kViewAllApps, kViewSettings, kViewHelp,
                                                    kViewOptions, kViewPins,    kViewTools,    -1};
constexpr int kShortcutAllApps = 1;
constexpr int kShortcutHelp = 3;
constexpr int kShortcutFoldersOnly = 7;
constexpr int kWheelDelta = 120;
constexpr int kWheelRows = 2;

bool binding_matches(const ShortcutBinding& b, int key, int mods) {
    return b.key == key && b.ctrl == ((mods & kModCtrl) != 0) && b.alt == ((mods & kModAlt) != 0) &&
           b.shift == ((mods & kModShift) != 0) && b.win == ((mods & kModWin) != 0);
}

// The view's shortcuts come before every other key, except the two the editor keeps.
bool try_shortcut(int key, int mods) {
    ViewState& s = view_state();
    if (!s.visible || s.menu.open || s.dialog_open || s.capture_active) return false;
    for (int i = 0; i < kShortcutCount; ++i) {
        if (!binding_matches(kShortcuts[i], key, mods)) continue;
        const bool ctrl_only = mods == kModCtrl;
        if (i == kShortcutAllApps && ctrl_only && s.box_has_focus && s.box.length > 0) return false;
        if (i == kShortcutHelp && ctrl_only && s.box_has_focus && box_has_selection(s.box)) return false;
        if (i == kShortcutFoldersOnly) {
            view_toggle_folders_only();
        } else if (s.view == kShortcutViews[i]) {
            view_close();
        } else {
            view_open(kShortcutViews[i]);
        }
        return true;
    }
    return false;
}



// The partial extents of the search text in the medium font, from prefix widths.
class MeasuredExtents final : public TextExtents {
public:
    bool extents(const char16_t* text, int count, int* edges) override {
        char utf8[kBoxTextSize * 2];
        size_t bytes = 0;
        for (int i = 0; i < count; ++i) {
            size_t used = 1;
            const bool pair = i + 1 < count && text[i] >= 0xD800 && text[i] <= 0xDBFF && text[i + 1] >= 0xDC00 &&
                              text[i + 1] <= 0xDFFF;
            if (pair) used = 2;
            bytes += utf16_to_utf8(std::u16string_view(text + i, used), utf8 + bytes, sizeof utf8 - bytes);
            const int w = text_width(font_medium(), utf8, static_cast<int>(bytes));
            if (pair) edges[i++] = w;  // a caret never stands between the halves
            edges[i] = w;
        }
        return true;
    }
};

bool in_box(const ViewState& s, int x, int y) {
    return x >= s.box_x && x < s.box_x + s.box_w && y >= s.box_y && y < s.box_y + s.box_h;
}

}  // namespace

namespace {
TextExtents* g_box_extents = nullptr;
}

void view_box_extents_install(TextExtents* extents) { g_box_extents = extents; }

TextExtents& view_box_extents() {
    static MeasuredExtents measured;
    return g_box_extents ? *g_box_extents : measured;
}

int32_t shortcut_view(int index) { return index >= 0 && index < kShortcutCount ? kShortcutViews[index] : -1; }

bool on_key_down(int key, int mods) {
    ViewState& s = view_state();
    if (s.capture_active) return false;  // the capture dialog takes every key
    if (key != vk::kEscape) s.escape_armed = false;
    // Characters typed before this key reach the box first, so that Ctrl+A sees their text.
    box_flush_typed(s.box, ui_ctx(), s.box_has_focus);
    if (try_shortcut(key, mods)) return true;
    const bool shift = mods & kModShift, ctrl = mods & kModCtrl;
    const bool plain = !(mods & (kModShift | kModCtrl | kModAlt | kModWin));
    FrameRequests& q = s.req;
    switch (key) {
    case vk::kUp: q.move = -1; return true;
    case vk::kDown: q.move = +1; return true;
    case vk::kPageUp: q.page = -1; return true;
    case vk::kPageDown: q.page = +1; return true;
    case vk::kHome:
    case vk::kEnd:
        if (shift) return box_on_key(s.box, ui_ctx(), s.box_has_focus, key, mods) != BoxKey::Unhandled;
        q.jump = key == vk::kHome ? -1 : +1;
        return true;
    case vk::kLeft:
    case vk::kRight: {
        if (s.dialog_open) return true;  // the dialog's own highlight moves (dialogs module)
        if (s.menu.open && plain) {
            (key == vk::kLeft ? q.back : q.forward) = true;
            return true;
        }
        BoxKey r = box_on_key(s.box, ui_ctx(), s.box_has_focus, key, mods);
        if (r == BoxKey::Back) q.back = true;
        if (r == BoxKey::Forward) q.forward = true;
        return r != BoxKey::Unhandled;
    }
    case vk::kTab:
        if (s.dialog_open) return true;
        (shift ? q.back : q.forward) = true;
        return true;
    case vk::kReturn:
        if (s.dialog_open) return true;
        activate_selected(mods);
        return true;
    case vk::kEscape:
        q.escape_pressed = true;
        return true;
    case vk::kBack: {
        if (s.menu.open && s.box.length == 0 && s.scope_folder[0]) {
            view_menu_close();
            view_scope_up();
            return true;
        }
        BoxKey r = box_on_key(s.box, ui_ctx(), s.box_has_focus, key, mods);
        if (r == BoxKey::BackspaceAtStart && s.scope_folder[0] && !ctrl) view_scope_up();
        return true;
    }
    default:
        return box_on_key(s.box, ui_ctx(), s.box_has_focus, key, mods) != BoxKey::Unhandled;
    }
}

bool on_key_up(int key, int /*mods*/) {
    ViewState& s = view_state();
    if (key != vk::kEscape) return false;
    // A press whose frame has not run yet is applied now, so a quick tap still peels its layer.
    if (s.req.escape_pressed) view_apply_escape();
    if (s.escape_armed) {
        s.escape_armed = false;
        if (!view_escape_layer_active() && s.visible) s.hide_requested = true;
    }
    return true;
}

void on_char(char16_t unit) {
    ViewState& s = view_state();
    bool ignored = s.capture_active || s.dialog_open || s.suppress_char;
    s.suppress_char = false;
    box_on_char(s.box, ui_ctx(), unit, ignored);
}

void on_mouse_down(int x, int y, int button, bool double_click, int mods) {
    ViewState& s = view_state();
    UiContext* ctx = ui_ctx();
    ui_input_mouse_move(ctx, x, y);
    if (button != UI_MOUSE_LEFT) {
        ui_input_mouse_down(ctx, x, y, button);
        return;
    }
    // Wherever the press lands (box, row, list, footer), the box keeps the keyboard.
    if (!s.dialog_open && !s.capture_active) s.req.focus_box = true;
    if (in_box(s, x, y)) {
        if (double_click)
            box_double_click(s.box, x, view_box_extents());
        else
            box_mouse_down(s.box, x, (mods & kModShift) != 0, view_box_extents());
        s.text_drag = !double_click;
        ui_input_mouse_down(ctx, x, y, button);
        return;
    }
    if (y >= list_bottom()) {
        s.move_window_requested = true;
        return;
    }
    ThumbGeometry g;
    if (view_thumb_geometry(&g) && x >= g.x && x < g.x + scale(8) && y >= g.top && y < g.top + g.list_h) {
        ShownList& l = view_current_list();
        if (y < g.y) {
            l.scroll -= g.list_h;
        } else if (y >= g.y + g.height) {
            l.scroll += g.list_h;
        } else {
            s.thumb_drag = true;
            s.thumb_grab = y - g.y;
        }
        view_scroll_clamp();
        return;
    }
    if (double_click) s.req.double_click = true;
    ui_input_mouse_down(ctx, x, y, button);
}

void on_mouse_move(int x, int y) {
    ViewState& s = view_state();
    ui_input_mouse_move(ui_ctx(), x, y);
    if (s.text_drag) box_mouse_move(s.box, x, view_box_extents());
    ThumbGeometry g;
    if (s.thumb_drag && view_thumb_geometry(&g) && g.track > 0) {
        const int64_t pos = std::clamp(y - s.thumb_grab - g.top, 0, g.track);
        view_current_list().scroll = static_cast<int32_t>(pos * (g.content - g.list_h) / g.track);
        view_scroll_clamp();
    }
}

void on_mouse_up(int x, int y, int button) {
    ViewState& s = view_state();
    ui_input_mouse_up(ui_ctx(), x, y, button);
    if (button == UI_MOUSE_LEFT) {
        if (s.text_drag) box_mouse_up(s.box);
        s.text_drag = false;
        s.thumb_drag = false;
    }
}

void on_mouse_wheel(int delta) {
    ViewState& s = view_state();
    if (s.dialog_open || delta == 0) return;
    int notches = delta / kWheelDelta;
    if (notches == 0) notches = delta > 0 ? 1 : -1;
    view_current_list().scroll -= notches * kWheelRows * row_height();
    view_scroll_clamp();
}

bool view_thumb_geometry(ThumbGeometry* g) {
    const int32_t content = view_content_height();
    const int32_t lh = list_height();
    if (content <= lh || lh <= 0) return false;
    const ViewState& s = view_state();
    g->list_h = lh;
    g->content = content;
    g->top = list_top();
    g->x = s.window_w - scale(8) - scale(2);
    g->height = std::max(static_cast<int32_t>(int64_t(lh) * lh / content), scale(28));
    g->track = lh - g->height;
    g->y = g->top + static_cast<int32_t>(int64_t(g->track) * view_current_list().scroll / (content - lh));
    return true;
}
