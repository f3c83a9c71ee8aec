// Enter acts on what was typed: a key pressed before the rows for the newest text are on screen
// waits for that request's first list instead of running a row of the previous text's list.
#include "core/text.h"
#include "platform/platform.h"
#include "ui/activation.h"
#include "ui/keys.h"
#include "ui/main_view.h"

namespace {

constexpr uint64_t kHoldMs = 1000;

uint64_t now_ms() { return platform().clock ? os_clock().tick_ms() : 0; }

void run_enter(int32_t mods) {
    const ViewState& s = view_state();
    if ((mods & kModCtrl) && !s.menu.open)
        activate_selected_ctrl((mods & kModShift) != 0);
    else
        activate_selected(mods);
}

// The newest search request has shown neither its preview nor its final list.
bool newest_rows_missing(const ViewState& s) {
    return s.view == kViewSearch && !s.menu.open && !s.dialog_open && s.last_request != 0 &&
           s.last_adopted != s.last_request && s.last_final != s.last_request;
}

}  // namespace

void view_enter(int32_t mods) {
    ViewState& s = view_state();
    view_enter_cancel();
    // Characters typed since the last frame are a new text: its request is made now, not after
    // the next paint, so that the check below sees it.
    char16_t scope_before[kScopeFolderCap];
    text_copy_to(scope_before, kScopeFolderCap, text_view(s.scope_folder));
    view_text_changed();
    if (text_compare_ci(scope_before, s.scope_folder) != 0) return;  // the text was a folder: it is entered
    if (!newest_rows_missing(s)) {
        run_enter(mods);
        return;
    }
    const ShownList& l = s.shown;
    s.held_enter = HeldEnter{true, s.last_request, mods, now_ms(), s.moved_since_edit ? l.selection : -1};
}

void view_enter_cancel() { view_state().held_enter = HeldEnter{}; }

void view_enter_release(int32_t generation) {
    ViewState& s = view_state();
    HeldEnter h = s.held_enter;
    if (!h.set || h.generation != generation) return;
    view_enter_cancel();
    if (now_ms() - h.at_ms > kHoldMs) return;
    ShownList& l = s.shown;
    const int32_t n = l.rows ? l.rows->count : 0;
    if (h.selection >= 0 && n > 0) {
        l.selection = h.selection < n ? h.selection : n - 1;
        view_scroll_into_view();
    }
    run_enter(h.mods);
}
