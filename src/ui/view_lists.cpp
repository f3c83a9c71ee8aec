// The main view's lists: who owns which rows, opening and closing views, filtering a view's rows,
// what a change of the search text means, and adopting the lists the search workers post.
#include <cstring>
#include <string_view>

#include "core/arena.h"
#include "core/text.h"
#include "core/utf.h"
#include "platform/platform.h"
#include "query/cache_generation.h"
#include "query/query_cache.h"
#include "query/fuzzy.h"
#include "query/pipeline_sources.h"
#include "query/workers.h"
#include "sources/settings_catalog.h"
#include "store/history.h"
#include "store/options.h"
#include "store/pins.h"
#include "ui/main_view.h"
#include "ui/search_box_input.h"

namespace {

constexpr uint64_t kListArenaBlock = 16 * 1024;

ViewState g_state{};
ViewHooks g_hooks{};

void list_free(ShownList& l) {
    view_list_free(l.rows);
    l = ShownList{nullptr, -1, 0};
}

// The box text as UTF-16 (up to 1023 units).
void box_text16(char16_t* out, size_t cap) {
    const SearchBox& b = g_state.box;
    utf8_to_utf16(std::string_view(b.text, static_cast<size_t>(b.length)), out, cap);
}

std::string_view box_view() { return std::string_view(g_state.box.text, static_cast<size_t>(g_state.box.length)); }

void set_folders_only(bool on) {
    g_state.folders_only = on;
    options_set_folders_only(on);
}

// The source rows of a view, freshly built; null when the list could not be created.
RowList* build_source(int32_t view) {
    RowList* out = view_list_new();
    if (!out) return nullptr;
    out->view = view;
    switch (view) {
    case kViewRecents: history_recents(out); break;
    case kViewAllApps:
        if (auto fn = pipeline_sources().list_all_apps) fn(out);
        break;
    case kViewPins: pins_view(out); break;
    case kViewSettings: break;  // filtered straight from the catalog
    default:
        if (g_hooks.build_rows) g_hooks.build_rows(view, out);
        break;
    }
    return out;
}

bool clone_into(RowList* out, const Row* row) {
    Row copy;
    if (row_clone(row, &copy, out->arena) != 0) return false;
    return rowlist_add(out, &copy) == 0;
}

}  // namespace

ViewState& view_state() { return g_state; }
ViewHooks& view_hooks() { return g_hooks; }

RowList* view_list_new() {
    Arena* arena = arena_create(kListArenaBlock);
    if (!arena) return nullptr;
    RowList* list = arena_new_array<RowList>(arena, 1);
    if (!list) {
        arena_destroy(arena);
        return nullptr;
    }
    rowlist_init(list, arena);
    return list;
}

void view_list_free(RowList* list) {
    if (!list) return;
    if (list->arena) {
        result_destroy(list);
    } else {
        rowlist_free(list);
        delete list;
    }
}

void rows_adopt(RowList* list) {
    ShownList& s = g_state.shown;
    if (s.rows != list) view_list_free(s.rows);
    s.rows = list;
    s.scroll = 0;
    s.selection = (list && list->count > 0) ? 0 : -1;
}

ShownList& view_current_list() { return g_state.menu.open ? g_state.menu.list : g_state.shown; }

int32_t view_row_count() {
    const ShownList& l = view_current_list();
    return l.rows ? l.rows->count : 0;
}

const Row* view_selected_row() {
    const ShownList& l = view_current_list();
    if (!l.rows || l.selection < 0 || l.selection >= l.rows->count) return nullptr;
    return &l.rows->items[l.selection];
}

void view_free_all() {
    list_free(g_state.shown);
    view_list_free(g_state.source);
    g_state.source = nullptr;
    view_menu_close();
    if (g_state.action_arena) arena_destroy(g_state.action_arena);
    if (g_state.running_arena) arena_destroy(g_state.running_arena);
    g_state.action_arena = nullptr;
    g_state.running_arena = nullptr;
    g_state.pending = PendingAction{};
    g_state.running = PendingAction{};
}

// --- menu ---------------------------------------------------------------------------------------

void view_menu_open(RowList* entries, const char16_t* title) {
    ViewMenu& m = g_state.menu;
    if (m.open) view_menu_close();
    if (!entries) return;
    // Late results for the query under the menu are of no use any more.
    search_generation_next();
    m.open = true;
    m.entries = entries;
    m.title[0] = 0;
    if (title) text_copy_to(m.title, kMenuTitleCap, text_view(title));
    std::memcpy(m.saved_text, g_state.box.text, static_cast<size_t>(g_state.box.length) + 1);
    m.list = ShownList{nullptr, -1, 0};
    // The box filters the entries while the menu is open; it starts empty.
    box_clear(g_state.box);
    RowList* all = view_list_new();
    if (all) {
        for (int32_t i = 0; i < entries->count; ++i) clone_into(all, &entries->items[i]);
        m.list.rows = all;
        m.list.selection = all->count > 0 ? 0 : -1;
    }
    g_state.req.focus_box = true;
}

void view_menu_close() {
    ViewMenu& m = g_state.menu;
    if (!m.open && !m.entries && !m.list.rows) return;
    bool was_open = m.open;
    view_list_free(m.entries);
    m.entries = nullptr;
    list_free(m.list);
    m.open = false;
    m.title[0] = 0;
    if (was_open) {
        // Back to the text the list was shown for, without treating it as an edit; no undo
        // steps from the menu's filter survive.
        box_clear(g_state.box);
        box_set_text(g_state.box, m.saved_text, std::strlen(m.saved_text));
        box_change_handled(g_state.box);
    }
}

namespace {

void menu_filter() {
    ViewMenu& m = g_state.menu;
    if (!m.entries) return;
    char16_t text[kBoxTextSize];
    box_text16(text, kBoxTextSize);
    RowList* out = view_list_new();
    if (!out) return;
    for (int32_t i = 0; i < m.entries->count; ++i) {
        const Row& r = m.entries->items[i];
        if (text[0] == 0 || text_contains_ci(r.title, text) || text_contains_ci(r.subtitle, text)) clone_into(out, &r);
    }
    view_list_free(m.list.rows);
    m.list = ShownList{out, out->count > 0 ? 0 : -1, 0};
}

}  // namespace

// --- views --------------------------------------------------------------------------------------

void view_search_rerun() {
    search_request(box_view(), g_state.scope_folder[0] ? g_state.scope_folder : nullptr);
    g_state.last_request = search_generation_newest();
    g_state.last_request_ms = platform().clock ? os_clock().tick_ms() : 0;
}

void view_refilter() {
    ViewState& s = g_state;
    if (s.menu.open || s.view == kViewSearch) return;
    char16_t text[kBoxTextSize];
    box_text16(text, kBoxTextSize);

    if (s.view == kViewAllApps && text[0] != 0) {
        apps_filter_request(box_view());
        return;
    }
    RowList* out = view_list_new();
    if (!out) return;  // the previous rows stay
    out->view = s.view;
    if (s.view == kViewSettings) {
        search_settings(text, out, kSettingsNoCap);
        rowlist_sort_by_score(out);
        history_boost(out, text);
    } else if (s.view == kViewTools && s.tool_page >= 0) {
        s.tool_page_unselected = false;
        if (g_hooks.tool_rows) {
            g_hooks.tool_rows(s.tool_page, text, out);
        } else if (workers_fast_lane_running()) {
            // A tool may scan the system (installed programs): its rows come from the fast lane.
            view_list_free(out);
            tool_rows_request(s.tool_page, box_view());
            return;
        } else if (auto fn = pipeline_sources().run_tool) {
            fn(s.tool_page, text, out);
        }
    } else if (s.source) {
        for (int32_t i = 0; i < s.source->count; ++i) {
            const Row& r = s.source->items[i];
            if (text[0] == 0 || (r.title && fuzzy_score(text, r.title, 110, 100, 85) >= 0)) clone_into(out, &r);
        }
    }
    rows_adopt(out);
}

void view_open(int32_t view) {
    ViewState& s = g_state;
    if (s.menu.open || view <= kViewSearch || view >= kViewCount) return;
    search_generation_next();
    RowList* source = build_source(view);
    if (!source) return;
    view_list_free(s.source);
    s.source = source;
    s.scope_folder[0] = 0;
    if (s.folders_only) set_folders_only(false);
    box_clear(s.box);
    s.view = view;
    s.tool_page = -1;
    s.last_adopted = 0;
    view_refilter();
    s.shown.scroll = 0;
    s.req.focus_box = true;
}

void view_close() {
    ViewState& s = g_state;
    s.view = kViewSearch;
    s.tool_page = -1;
    view_list_free(s.source);
    s.source = nullptr;
    s.last_adopted = 0;
    view_search_rerun();
}

void view_toggle_folders_only() {
    ViewState& s = g_state;
    if (s.view != kViewSearch) {
        s.view = kViewSearch;
        s.tool_page = -1;
        view_list_free(s.source);
        s.source = nullptr;
        s.last_adopted = 0;
    }
    set_folders_only(!s.folders_only);
    cache_invalidate();
    view_search_rerun();
}

void view_show_reset() {
    ViewState& s = g_state;
    view_menu_close();
    s.view = kViewSearch;
    s.tool_page = -1;
    view_list_free(s.source);
    s.source = nullptr;
    list_free(s.shown);
    s.last_adopted = 0;
    if (s.dialog_open && g_hooks.dialog_close) g_hooks.dialog_close();
    s.dialog_open = false;
    s.capture_active = false;
    s.scope_folder[0] = 0;
    if (s.folders_only) set_folders_only(false);
    box_clear(s.box);
    s.req = FrameRequests{};
    s.escape_armed = false;
    s.hide_requested = false;
    s.thumb_drag = false;
    s.text_drag = false;
    s.visible = true;
    view_search_rerun();
    s.req.focus_box = true;
}

void view_hidden() {
    g_state.visible = false;
    g_state.escape_armed = false;
    g_state.thumb_drag = false;
    g_state.text_drag = false;
}

// --- text changes ---------------------------------------------------------------------------------

bool view_text_changed() {
    ViewState& s = g_state;
    SearchBox& b = s.box;
    if (!box_text_changed(b)) return false;
    if (s.view == kViewSearch && !s.menu.open && !s.dialog_open && b.length == 2 && b.text[0] == ':') {
        char c = b.text[1];
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
            const char drive[2] = {c, ':'};
            box_set_text(b, drive, 2);
        }
    }
    box_change_handled(b);
    if (s.menu.open) {
        menu_filter();
    } else if (s.view == kViewSearch) {
        if (!(g_hooks.scope_check && g_hooks.scope_check(b.text))) view_search_rerun();
    } else {
        view_refilter();
    }
    return true;
}

void view_consume_typing(UiContext* ctx, bool box_focused) {
    box_frame_input(g_state.box, ctx, box_focused);
}

// --- worker messages ------------------------------------------------------------------------------

namespace {

bool search_list_wanted(int32_t generation) {
    return generation == search_generation_newest() && !g_state.menu.open && g_state.view == kViewSearch;
}

}  // namespace

void on_results(int32_t generation, RowList* list) {
    ViewState& s = g_state;
    if (!search_list_wanted(generation)) {
        view_list_free(list);
        return;
    }
    s.last_final = generation;
    if (!list) {
        list_free(s.shown);
        s.last_adopted = 0;
        return;
    }
    if (generation == s.last_adopted && s.shown.rows) {
        // Its preview is on screen: keep the row the user moved to when it is still there.
        const int32_t sel = s.shown.selection, scroll = s.shown.scroll;
        rows_adopt(list);
        if (sel >= 0 && sel < list->count) {
            s.shown.selection = sel;
            s.shown.scroll = scroll;
        }
    } else {
        rows_adopt(list);
    }
    s.last_adopted = generation;
}

void on_preview(int32_t generation, RowList* list) {
    if (!search_list_wanted(generation) || !list) {
        view_list_free(list);
        return;
    }
    rows_adopt(list);
    g_state.last_adopted = generation;
}

void on_view_rows(int32_t generation, RowList* list) {
    ViewState& s = g_state;
    if (!list || generation != search_generation_newest() || s.menu.open || list->view != s.view ||
        (s.view == kViewTools && s.tool_page < 0)) {
        view_list_free(list);
        return;
    }
    rows_adopt(list);
    if (s.view == kViewTools && s.tool_page_unselected) {
        s.tool_page_unselected = false;
        s.shown.selection = -1;
    }
}

void on_apps_changed() {
    ViewState& s = g_state;
    cache_invalidate();
    if (!s.visible || s.menu.open) return;
    if (s.view == kViewAllApps) {
        RowList* source = build_source(kViewAllApps);
        if (!source) return;
        view_list_free(s.source);
        s.source = source;
        view_refilter();
    } else if (s.view == kViewSearch) {
        view_search_rerun();
    }
}

bool view_take_pending(Row* out, int32_t* mods) {
    ViewState& s = g_state;
    if (!s.pending.set) return false;
    if (s.running_arena) arena_destroy(s.running_arena);
    s.running_arena = s.action_arena;
    s.action_arena = nullptr;
    s.running = s.pending;
    s.pending = PendingAction{};
    if (out) *out = s.running.row;
    if (mods) *mods = s.running.mods;
    return true;
}

void view_rebuild_source() {
    ViewState& s = g_state;
    if (s.view == kViewSearch) {
        view_search_rerun();
        return;
    }
    if (s.view == kViewSettings || (s.view == kViewTools && s.tool_page >= 0)) {
        view_refilter();
        return;
    }
    RowList* source = build_source(s.view);
    if (!source) return;  // the rows shown stay
    view_list_free(s.source);
    s.source = source;
    view_refilter();
}

void view_open_tool(int32_t n) {
    ViewState& s = g_state;
    if (s.view != kViewTools || n < 0 || n > 2) return;
    search_generation_next();
    s.tool_page = n;
    box_clear(s.box);
    box_change_handled(s.box);
    view_refilter();
    s.tool_page_unselected = true;
    s.shown.selection = -1;
    s.shown.scroll = 0;
    s.req.focus_box = true;
}
