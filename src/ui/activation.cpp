#include "ui/activation.h"

#include "core/arena.h"
#include "core/row.h"
#include "core/text.h"
#include "platform/platform.h"
#include "store/history.h"
#include "store/menu_usage.h"
#include "store/options.h"
#include "ui/keys.h"
#include "ui/main_view.h"

namespace {

// Kinds that never count as a launch: processes, the launcher's own commands and options, list
// edits and clipboard copies.
constexpr int32_t kNotRecorded[] = {kKindProcess,       kKindPinToggle,  kKindCopyText,      kKindCopyFile,
                                    kKindForget,        kKindOptStayOpen, kKindOptHideOnFocus, kKindOptRunAtLogon,
                                    kKindOptNoCap,      kKindOptHotkey,  kKindOptIndexer,    kKindUninstall,
                                    kKindQuietUninstall, kKindOptMonitor, kKindMoveToMonitor, kKindOptTheme,
                                    kKindOptWidth,      kKindOptRows};

// Kinds confirmed in a dialog before they run.
constexpr int32_t kConfirmed[] = {kKindShutdown, kKindRestart,   kKindRestartAdvanced, kKindLogOff,
                                  kKindSleep,    kKindHibernate, kKindUninstall,       kKindQuietUninstall};

template <size_t N>
constexpr bool in(const int32_t (&table)[N], int32_t kind) {
    for (int32_t k : table)
        if (k == kind) return true;
    return false;
}

// The list drawn now, rebuilt after an edit that changed it, with the selection kept in place.
void rebuild_keeping_selection() {
    ViewState& s = view_state();
    const int32_t selection = s.shown.selection;
    view_rebuild_source();
    const int32_t count = s.shown.rows ? s.shown.rows->count : 0;
    if (count == 0) s.shown.selection = -1;
    else s.shown.selection = selection < 0 ? 0 : (selection >= count ? count - 1 : selection);
    view_scroll_into_view();
}

}  // namespace

bool kind_records_launch(int32_t kind) { return !in(kNotRecorded, kind); }

bool action_queue(const Row* row, bool then_exit, bool from_dialog, int32_t mods) {
    ViewState& s = view_state();
    if (!row) return false;
    if (!s.action_arena) s.action_arena = arena_create(4096);
    if (!s.action_arena) return false;
    // The copy goes to the arena's other half first: the row may be the pending row itself, whose
    // strings an early reset would free.
    Row copy;
    Arena* fresh = arena_create(4096);
    if (!fresh) return false;
    if (row_clone(row, &copy, fresh) != 0) {
        arena_destroy(fresh);
        return false;
    }
    arena_destroy(s.action_arena);
    s.action_arena = fresh;
    PendingAction& p = s.pending;
    p.row = copy;
    p.mods = mods;
    p.then_exit = then_exit;
    p.from_dialog = from_dialog;
    p.from_menu = s.menu.open;
    p.set = true;
    return true;
}

void activate_selected(int32_t mods) {
    ViewState& s = view_state();
    const Row* selected = view_selected_row();
    if (!selected || selected->kind == kKindInfo) return;
    const Row row = *selected;  // the strings stay in the shown list until something replaces it
    ViewHooks& hooks = view_hooks();

    if (!s.menu.open && (s.view == kViewOptions || s.view == kViewTerminal)) {
        // Option rows step in place and the chooser picks a shell; both belong to their modules.
        if (hooks.view_activate) hooks.view_activate(&row, (mods & kModShift) ? -1 : 1);
        return;
    }
    if (s.menu.open && row.kind == kKindChooseShell) {
        // The chooser belongs to the terminal module; the folder outlives the menu's entries.
        char16_t folder[kScopeFolderCap];
        text_copy_to(folder, kScopeFolderCap, text_view(row.target));
        view_menu_close();
        if (hooks.terminal_chooser) hooks.terminal_chooser(folder);
        return;
    }
    if (s.menu.open && row.kind == kKindUnused28) {
        view_menu_close();
        view_open(kViewOptions);
        return;
    }
    if (!s.menu.open && row.kind == kKindMoveToMonitor) {
        if (hooks.move_to_monitor) hooks.move_to_monitor(row.number);
        return;
    }
    if (s.view == kViewTools && !s.menu.open && row.kind == kKindToolPage) {
        view_open_tool(row.number);
        return;
    }

    s.req.focus_box = true;
    if (!s.menu.open && !s.dialog_open && hooks.folder_dive && hooks.folder_dive(&row)) return;

    if (row.kind == kKindExit) {
        s.exit_requested = true;
        return;
    }
    if (in(kConfirmed, row.kind)) {
        // Without the dialog these never run: ending the session unasked would lose the user's work.
        if (hooks.confirm_open) hooks.confirm_open(&row);
        return;
    }
    Row queued = row;
    queued.record_launch = !s.menu.open && kind_records_launch(row.kind);
    action_queue(&queued, row.kind == kKindRestartLauncher, false, mods);
}

void activate_selected_ctrl(bool shift) {
    ViewState& s = view_state();
    if (s.menu.open) {
        activate_selected(0);
        return;
    }
    const Row* row = view_selected_row();
    if (!row || row->kind == kKindInfo) return;
    // The row's path when it exists, else its subtitle when that names something.
    const char16_t* path = nullptr;
    uint32_t attributes = win::kInvalidAttributes;
    for (const char16_t* p : {row->path, row->subtitle}) {
        if (!p || !p[0]) continue;
        attributes = os_files().attributes(text_view(p));
        if (attributes != win::kInvalidAttributes) {
            path = p;
            break;
        }
    }
    if (!path) return;
    const bool folder = (attributes & win::kAttrDirectory) != 0;
    int32_t kind;
    if (shift) {
        if (folder) return;  // running as administrator needs a file
        kind = kKindRunAsAdmin;
    } else {
        kind = folder ? kKindOpen : kKindContainingFolder;
    }
    Row made{};
    char16_t* p = const_cast<char16_t*>(path);
    made.title = row->title && row->title[0] ? row->title : p;
    made.subtitle = p;
    made.target = p;
    made.kind = kind;
    made.record_launch = 1;
    s.req.focus_box = true;
    action_queue(&made, false, false, 0);
}

void after_action(const Row* row, bool succeeded) {
    ViewState& s = view_state();
    const PendingAction& ran = s.running;
    if (!succeeded || !row) return;
    if (row->record_launch) history_record(row);
    if (ran.from_menu) menu_usage_record(row->kind, row->title, row->argument);

    if (ran.then_exit) {
        s.exit_requested = true;
        return;
    }
    if (ran.from_dialog) return;  // the dialog already hid the window or kept it
    if (!options_stays_open_after(row->kind)) {
        if (s.visible) s.hide_requested = true;
        return;
    }
    if (s.menu.open) {
        const int32_t kind = row->kind;
        if (kind == kKindPinToggle || kind == kKindCopyText || kind == kKindCopyFile) {
            // The entries change (pinned, unpinned, reordered by use); the menu stays on its row.
            if (view_hooks().menu_rebuild && s.menu.has_target) view_hooks().menu_rebuild(&s.menu.target);
        } else if (kind == kKindForget && s.view == kViewRecents) {
            view_menu_close();
            rebuild_keeping_selection();
        } else {
            view_menu_close();
            view_search_rerun();
        }
        return;
    }
    if (row->kind == kKindProcess) {
        box_clear(s.box);
        box_change_handled(s.box);
        view_search_rerun();
    }
}
