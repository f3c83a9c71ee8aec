// The application source: Start Menu shortcuts and packaged (Store) apps, kept in one index that a
// background thread builds at start-up, and the rows the searches and the all-apps view show.
#pragma once
#include <cstdint>

#include "platform/apps_folder.h"

struct RowList;
class WindowPost;

// Starts the background build; does nothing while a builder handle is held. When the thread cannot
// be started the index is built on the calling thread instead (and nothing is posted). When the
// background build is done, posts `notify_message` (wParam 0, lParam null) through notify_window
// (null: no message).
void app_index_start(WindowPost* notify_window, uint32_t notify_message);
// Builds the index on the calling thread, after any running builder has finished. A build replaces
// what the index held before.
void app_index_build();
// Waits for a running builder, destroys every kept icon and empties the index.
void app_index_clear();
// Clear, build, and move the cache generation on so that cached results are dropped.
void app_index_reload();

// The icon kept for a packaged app's target (compared ignoring case), or null.
IconHandle app_index_icon_get(const char16_t* target);
// Takes ownership of icon: kept by the first packaged entry with that target (its previous icon is
// destroyed), or destroyed at once when no entry matches.
void app_index_icon_put(const char16_t* target, IconHandle icon);

// Every app row (score 100) and the "Windows Settings" row, sorted by score then title.
void list_all_apps(RowList* rows);
// Start Menu rows whose name matches the query, then the "Windows Settings" row when it matches.
void search_apps(const char16_t* query, RowList* rows);
// Packaged-app rows whose name matches and that no shortcut already carries.
void search_packaged_apps(const char16_t* query, RowList* rows);
// The row of the Settings app: score 100 for a null query, else its match score (no row on a miss).
void settings_app_row(const char16_t* query, RowList* rows);
// The all-apps view's search: executable files from the active indexer and the matching apps.
void apps_view_search(const char16_t* query, RowList* rows, int32_t generation);

// Puts the app operations into the search pipeline's source table.
void apps_join_pipeline();

// Counts, for diagnostics and tests.
struct AppIndexCounts {
    int32_t shortcuts;
    int32_t packaged;
};
AppIndexCounts app_index_counts();
