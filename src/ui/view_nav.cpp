// Moving through the list (with wrap-around, by pages, to either end), keeping the selection in
// view, the Escape layers, and Forward and Back.
#include <algorithm>

#include "core/text.h"
#include "query/cache_generation.h"
#include "query/query_cache.h"
#include "store/options.h"
#include "ui/main_view.h"
#include "ui/metrics.h"

namespace {

int32_t content_height(int32_t n) { return n * row_height(); }

// Default when no scope module is installed: the scope loses its last folder ("C:\a\b\" becomes
// "C:\a\"); a drive root leaves the scope.
void scope_up_default() {
    char16_t* f = view_state().scope_folder;
    size_t n = text_len(f);
    if (n > 0 && f[n - 1] == u'\\') --n;
    while (n > 0 && f[n - 1] != u'\\') --n;
    f[n] = 0;
    view_search_rerun();
}

}  // namespace

void view_scope_up() {
    if (view_hooks().scope_up)
        view_hooks().scope_up();
    else
        scope_up_default();
}

void view_scroll_clamp() {
    ShownList& l = view_current_list();
    const int32_t n = l.rows ? l.rows->count : 0;
    const int32_t max_scroll = std::max(0, (n - metrics_rows()) * row_height());
    l.scroll = std::clamp(l.scroll, 0, max_scroll);
}

void view_scroll_into_view() {
    ShownList& l = view_current_list();
    if (l.selection >= 0) {
        const int32_t rh = row_height();
        const int32_t top = l.selection * rh, bottom = top + rh;
        if (top < l.scroll)
            l.scroll = top;
        else if (bottom > l.scroll + list_height())
            l.scroll = bottom - list_height();
    }
    view_scroll_clamp();
}

void view_apply_navigation() {
    ViewState& s = view_state();
    FrameRequests& q = s.req;
    ShownList& l = view_current_list();
    const int32_t n = l.rows ? l.rows->count : 0;
    const bool any = q.move || q.page || q.jump;
    if (q.move && n > 0) {
        if (l.selection < 0 || l.selection >= n) {
            l.selection = q.move < 0 ? n - 1 : 0;
        } else {
            const int32_t rh = row_height();
            const int32_t first = l.scroll / rh;
            const int32_t last = (list_height() + l.scroll - 1) / rh;
            if (l.selection < first)
                l.selection = first;
            else if (l.selection > last)
                l.selection = std::min(n - 1, last);
            else
                l.selection = (l.selection + q.move + n) % n;
        }
    }
    if (q.page && n > 0) {
        if (l.selection < 0 || l.selection >= n) {
            l.selection = q.page < 0 ? n - 1 : 0;
        } else {
            const int64_t r = metrics_rows();
            l.selection = static_cast<int32_t>((l.selection + r * (n + q.page)) % n);
        }
    }
    if (q.jump) l.selection = n > 0 ? (q.jump < 0 ? 0 : n - 1) : -1;
    q.move = q.page = q.jump = 0;
    if (any) view_scroll_into_view();
}

// True when something would take an Escape press before the window may hide.
bool view_escape_layer_active() {
    const ViewState& s = view_state();
    return s.dialog_open || s.menu.open || s.view != kViewSearch || box_has_selection(s.box) || s.scope_folder[0] ||
           s.folders_only;
}

void view_apply_escape() {
    ViewState& s = view_state();
    if (!s.req.escape_pressed) return;
    s.req.escape_pressed = false;
    if (s.dialog_open) {
        if (view_hooks().dialog_close) view_hooks().dialog_close();
        s.dialog_open = false;
    } else if (s.menu.open) {
        view_menu_close();
    } else if (s.view == kViewTools && s.tool_page >= 0) {
        s.tool_page = -1;
        box_clear(s.box);
        view_refilter();
    } else if (s.view != kViewSearch) {
        view_close();
    } else if (box_has_selection(s.box)) {
        s.box.anchor = s.box.caret;
    } else if (s.scope_folder[0]) {
        view_scope_up();
    } else if (s.folders_only) {
        s.folders_only = false;
        options_set_folders_only(false);
        cache_invalidate();
        view_search_rerun();
    } else {
        s.escape_armed = true;
    }
}

void view_apply_forward_back() {
    ViewState& s = view_state();
    FrameRequests& q = s.req;
    const bool forward = q.forward, back = q.back;
    q.forward = q.back = false;
    if (s.capture_active) return;
    if (forward && !s.menu.open && view_row_count() > 0 && s.view != kViewOptions) {
        const Row* row = view_selected_row();
        if (row && view_hooks().open_menu) view_hooks().open_menu(row);
    }
    if (back) {
        if (s.menu.open)
            view_menu_close();
        else if (s.view != kViewSearch)
            view_close();
    }
}

int32_t view_content_height() { return content_height(view_row_count()); }
