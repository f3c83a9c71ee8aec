#include "app/wiring.h"

#include "actions/actions.h"
#include "actions/context_menu.h"
#include "actions/terminal.h"
#include "indexers/everything_client.h"
#include "indexers/windows_search.h"
#include "sources/app_index.h"
#include "sources/drives.h"
#include "sources/processes.h"
#include "sources/tools.h"
#include "ui/menu_layer.h"
#include "ui/icon_loader.h"
#include "ui/view_rows.h"
#include "sources/password_uninstall_join.h"

void wiring_join_all() {
    // Views whose rows other modules build go through one dispatcher.
    view_rows_install();

    // Sources: each module puts its operations into the pipeline's table.
    apps_join_pipeline();
    tools_join();
    processes_join();
    password_uninstall_join();
    drives_join_pipeline();
    // The indexer status line asks whether Everything runs.
    indexer_status_set_everything_probe(everything_is_running);

    // Actions that run another module's operation.
    ActionServices& services = action_services();
    services.app_index_reload = app_index_reload;
    terminal_join();

    // Context-menu entries that other modules supply.
    menu_services().terminal_default_entry = [](MenuTerminalEntry* out) {
        TerminalEntry entry;
        if (!terminal_default_entry(&entry)) return false;
        char16_t key[kTerminalPathCap + kProfileNameCap], icon[kTerminalPathCap + kProfileIconCap];
        terminal_entry_key(entry, key, sizeof key / sizeof key[0]);
        terminal_entry_icon(entry, icon, sizeof icon / sizeof icon[0]);
        out->display_name = entry.display;
        out->key = key;
        out->icon = icon;
        return !out->key.empty();
    };

    // The view: the context menu and the folder scope.
    menu_scope_join();

    // Row drawing asks the icon loader for each row's icon.
    icons_join_view();
}
