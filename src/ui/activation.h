// Activation: what Enter and a double click do with the selected row, and what the window does
// once the queued action has run (record it, hide or stay, refresh what changed). The action
// itself runs in the shell's paint handler, after the frame that queued it. Window thread only.
#pragma once
#include <cstdint>

struct Row;

// Enter in the box or a double click on a row. Rows that act on the launcher itself (a view, a
// tool page, another monitor, exit) are handled at once; the shutdown-like kinds go to the
// confirmation dialog; every other row is queued as the pending action.
void activate_selected(int32_t mods);

// Ctrl+Enter (outside the menu) acts on the selected row's existing path: a folder opens, a file's
// folder opens with it selected; with Shift (Ctrl+Shift+Enter) a file runs as administrator, and a
// folder does nothing.
void activate_selected_ctrl(bool shift);

// Queues a copy of row as the pending action, replacing any; remembers whether the context menu
// was open. False when the copy failed (nothing is queued then).
bool action_queue(const Row* row, bool then_exit, bool from_dialog, int32_t mods = 0);

// Whether a launch of this kind, chosen outside the context menu, counts in the history.
bool kind_records_launch(int32_t kind);

// After the shell ran the action it took last (view_take_pending): on success records it, then
// hides the window, exits, or keeps it open and refreshes the list; on failure changes nothing.
void after_action(const Row* row, bool succeeded);
