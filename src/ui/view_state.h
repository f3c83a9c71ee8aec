// The launcher main view's state: which view is shown, the shown rows with their selection and
// scroll, the rows a view filters from, the search generations, the modal layers over the list and
// the per-frame requests that key and mouse messages leave for the next frame. Window thread only.
#pragma once
#include <cstdint>

#include "core/row.h"
#include "ui/search_box.h"

enum ViewId : int32_t {
    kViewSearch = 0,
    kViewRecents = 1,
    kViewAllApps = 2,
    kViewSettings = 3,
    kViewHelp = 4,
    kViewOptions = 5,
    kViewPins = 6,
    kViewTools = 7,
    kViewTerminal = 8,
    kViewCount = 9,
};

constexpr int32_t kScopeFolderCap = 260;  // units, terminator included
constexpr int32_t kMenuTitleCap = 260;

// A list on screen: rows live in their own arena (the RowList record inside it, as the workers
// post them), so replacing a list frees everything it held at once.
struct ShownList {
    RowList* rows;   // null: no rows
    int32_t selection;  // -1 for none
    int32_t scroll;     // pixels from the top
};

// The context menu replaces the list while it is open; its entries are filtered by the box text.
struct ViewMenu {
    bool open;
    RowList* entries;  // every entry, owned
    ShownList list;    // the entries that pass the filter, owned
    char16_t title[kMenuTitleCap];  // the target row's title ("" when it could not be copied)
    char saved_text[kBoxTextSize];  // the box text when the menu opened
};

// Requests made by key and mouse messages, consumed by the next frame.
struct FrameRequests {
    bool back;
    bool forward;
    bool escape_pressed;
    int32_t move;  // -1, 0, +1
    int32_t page;  // -1, 0, +1
    int32_t jump;  // -1 first, 0, +1 last
    bool double_click;
    bool focus_box;
    int32_t option_step;  // -1, 0, +1
};

// Enter (or a double click) queues the selected row here; the shell runs it after the next paint.
struct PendingAction {
    bool set;
    Row row;  // strings in the view's action arena; row.record_launch says whether history counts it
    int32_t mods;  // kMod* flags held with Enter
    bool then_exit;    // the launcher exits once the action succeeded (restart the launcher)
    bool from_dialog;  // confirmed in the confirmation dialog, which decides the window afterwards
    bool from_menu;    // chosen from the context menu
};

struct ViewState {
    int32_t view;       // ViewId
    int32_t tool_page;  // tools view: the open tool, -1 for the tools list
    bool tool_page_unselected;  // the page was just opened: its first rows arrive with no selection
    ShownList shown;
    RowList* source;  // views 1 to 8: the unfiltered rows, owned

    int32_t last_adopted;       // generation of the shown search rows, 0 for none
    int32_t last_request;       // generation of the last search request
    uint64_t last_request_ms;   // when it was made
    int32_t last_final;         // generation of the last final list that arrived for view 0

    bool folders_only;
    char16_t scope_folder[kScopeFolderCap];  // "" for none; ends with a backslash
    ViewMenu menu;
    bool dialog_open;      // a confirmation dialog
    bool capture_active;   // hotkey capture
    bool suppress_char;    // the key that completed a new hotkey: its character is dropped

    FrameRequests req;
    bool escape_armed;
    PendingAction pending;
    PendingAction running;  // the action the shell took last (what happens after it depends on it)
    Arena* action_arena;   // the pending row's strings
    Arena* running_arena;  // the running row's strings, kept until the next action is taken

    // Set here, acted on by the shell.
    bool hide_requested;
    bool move_window_requested;
    bool exit_requested;  // the window is destroyed after the current paint
    bool visible;

    // Mouse state kept between messages.
    bool thumb_drag;
    int32_t thumb_grab;  // y of the press inside the thumb
    bool text_drag;      // the press started a text drag in the box

    // Geometry of the current frame, for the window procedure and hit tests.
    int32_t box_x, box_y, box_w, box_h;
    int32_t text_origin;
    bool box_has_focus;  // the box held the UI core focus in the last frame
    int32_t window_w, window_h;

    SearchBox box;
};
