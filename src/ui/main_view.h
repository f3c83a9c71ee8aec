// The launcher's main view: one frame rebuilt on every paint (the search box, the rows, the
// footer), the key bindings of the main window, how typed text becomes a search request or a
// filter, and how result lists from the search workers are adopted.
//
// The window procedure only forwards: every key, character, mouse and worker message reaches one
// of the handlers below, and everything it must do in return (hide, move the window, run a row)
// is left in the state for it to act on. Window thread only.
#pragma once
#include <cstdint>

#include "ui/view_state.h"
#include "uicore/uicore.h"

struct RowList;

// The process's view state.
ViewState& view_state();

// What later parts plug in: the rows of the views they own, the context menu, the folder scope and
// the dialogs. An unset entry means the feature is not there yet and the view behaves as empty.
struct ViewHooks {
    // Appends the unfiltered rows of a view (help, options, tools, terminal chooser).
    void (*build_rows)(int32_t view, RowList* out);
    // Appends the rows of a tool page for the text.
    void (*tool_rows)(int32_t tool, const char16_t* text, RowList* out);
    // Opens the context menu for a row (calls view_menu_open with its entries).
    void (*open_menu)(const Row* row);
    // The search text changed in view 0: true when the scope logic took it (entered, left a scope).
    bool (*scope_check)(const char* text);
    // Goes up one level of the folder scope.
    void (*scope_up)();
    // Closes the confirmation dialog (the flag is cleared by the view).
    void (*dialog_close)();
    // Applies an option step (-1 or +1) to the selected options row.
    void (*option_step)(const Row* row, int32_t direction);
    // Draws the hotkey-capture and confirmation popups.
    void (*draw_dialogs)(UiContext* ctx);
    // Enter on a row of the options view or the terminal chooser (direction -1 with Shift).
    void (*view_activate)(const Row* row, int32_t direction);
    // Activating a folder row enters it as the folder scope: true when it did.
    bool (*folder_dive)(const Row* row);
    // Opens the confirmation dialog for a copy of the row.
    void (*confirm_open)(const Row* row);
    // Rebuilds the open menu's entries for its target row after an action that changes them.
    void (*menu_rebuild)(const Row* target);
    // Moves the window to monitor n (1-based).
    void (*move_to_monitor)(int32_t n);
    // A left press in the search box, tried before the caret is placed (breadcrumb chips).
    bool (*box_press)(int x, int y);
    // "Choose shell...": opens the terminal chooser for a folder.
    void (*terminal_chooser)(const char16_t* folder);
    // Asks the verb thread for the shell verbs of target; the answer comes back with the generation.
    void (*verbs_request)(int32_t menu_generation, const char16_t* target, const char16_t* type_key);
};
ViewHooks& view_hooks();

// Rows of a view and how its source rows are built; view 0 has none.
using ViewRowsFn = void (*)(RowList* out);

// --- lifecycle -------------------------------------------------------------------------------
// Back to the plain search state (the window is being shown): view 0, no menu, rows, scope or
// folders-only, an empty box, an empty search request, box focus requested.
void view_show_reset();
// The window was hidden (the last rows stay until the next show).
void view_hidden();
// Frees every list and the action arena (shutdown, tests).
void view_free_all();

// --- views -------------------------------------------------------------------------------------
void view_open(int32_t view);
void view_close();
// Ctrl+F: closes any open view, flips folders-only, invalidates the search cache and re-runs.
void view_toggle_folders_only();
// A fresh list in its own arena (as the workers post them); null when out of memory.
RowList* view_list_new();
void view_list_free(RowList* list);
// Replaces the shown rows: the old list goes with its arena, scroll 0, selection 0 or -1.
void rows_adopt(RowList* list);
// The menu: takes ownership of entries; title is the target row's title (may be null).
void view_menu_open(RowList* entries, const char16_t* title);
// The same for a target row, which is copied (its title shows in the footer).
void view_menu_open_for(RowList* entries, const Row* target);
// Replaces the open menu's entries (a rebuild, merged verbs), keeping the filter and the selected
// entry when it is still there. Takes ownership of entries.
void view_menu_replace(RowList* entries);
void view_menu_close();
// The list drawn now: the menu's entries while it is open, else the shown rows.
ShownList& view_current_list();
int32_t view_row_count();
const Row* view_selected_row();

// --- text --------------------------------------------------------------------------------------
// The once-per-frame change check after the box: ":c" becomes "c:", then a search request, a
// filter request or a refilter. Returns true when the text had changed.
bool view_text_changed();
// Shown rows from the view rows for the current text.
void view_refilter();
// Builds the current view's rows again (after an edit changed them) and refilters.
void view_rebuild_source();
// Tools view: opens tool page n (0 to 2) with an empty box; other numbers are ignored.
void view_open_tool(int32_t n);
// Re-runs the search for the current text (view 0).
void view_search_rerun();
// Text typed since the last frame reaches the box (when it has focus).
void view_consume_typing(UiContext* ctx, bool box_focused);

// --- worker messages -----------------------------------------------------------------------------
// Each takes the list: adopted or freed with its arena.
void on_results(int32_t generation, RowList* list);
void on_preview(int32_t generation, RowList* list);
void on_view_rows(int32_t generation, RowList* list);
void on_apps_changed();

// --- keys, characters, mouse ----------------------------------------------------------------------
// mods: kMod* flags. Returns false when the key is not the view's (DefWindowProcW).
bool on_key_down(int vk, int mods);
bool on_key_up(int vk, int mods);
// One UTF-16 unit of WM_CHAR.
void on_char(char16_t unit);
void on_mouse_down(int x, int y, int button, bool double_click, int mods);
void on_mouse_move(int x, int y);
void on_mouse_up(int x, int y, int button);
// delta in WHEEL_DELTA units (120 per notch).
void on_mouse_wheel(int delta);
// Enter (Ctrl, Shift in mods) in the main window: runs the selected row, or, when the rows of the
// newest text are not on screen yet, holds the activation for the first list of that request.
void view_enter(int32_t mods);
// Drops a held Enter (Escape, another key, hiding).
void view_enter_cancel();
// The first list of a request was adopted: a held Enter for it runs now (within 1 s of the key).
void view_enter_release(int32_t generation);
// The pending action, taken by the shell to run it: it becomes the running action (its strings
// stay valid until the next one is taken) and the pending slot is cleared. False when none.
bool view_take_pending(Row* out, int32_t* mods);

// --- navigation (the frame applies the requests; exposed for tests) -----------------------------
void view_apply_navigation();
void view_apply_escape();
void view_apply_forward_back();
void view_scroll_clamp();
void view_scroll_into_view();
// One level up the folder scope (the scope module's, or dropping the last folder).
void view_scope_up();
// True while an Escape press still has a layer to peel (dialog, menu, view, selection, scope,
// folders-only), so releasing an armed Escape must not hide the window.
bool view_escape_layer_active();
int32_t view_content_height();
// The scrollbar of the list drawn now (window coordinates); false when the rows fit.
struct ThumbGeometry {
    int32_t x, top, height, y, track, content, list_h;
};
bool view_thumb_geometry(ThumbGeometry* g);
// The search text's partial extents in the medium font (mouse placement in the box).
class TextExtents;
TextExtents& view_box_extents();
// The shell installs the screen DC's extents (text_extents_gdi); without one they come from the
// installed text measure. Null restores that.
void view_box_extents_install(TextExtents* extents);

// --- the frame --------------------------------------------------------------------------------------
// Builds one frame between ui_frame_begin and ui_frame_end; w and h are the window's size.
void view_frame(UiContext* ctx, int w, int h);

// When the footer starts to read "searching..." (a tick count; the window procedure repaints
// then), or 0 while the final list of the latest request is in or nothing is awaited.
uint64_t view_searching_due_ms();

// The UI core id of the search box.
UiId view_box_id(UiContext* ctx);

// Shortcut bindings: Ctrl, Alt, Shift, Win and a virtual-key code; index 7 is folders-only.
struct ShortcutBinding {
    int ctrl, alt, shift, win, key;
};
constexpr int kShortcutCount = 8;
extern const ShortcutBinding kShortcuts[kShortcutCount];
// The view a shortcut index opens (-1 for folders-only).
int32_t shortcut_view(int index);
