#include "app/wiring.h"

#include "actions/actions.h"
#include "actions/context_menu.h"
#include "actions/terminal.h"
#include "sources/app_index.h"
#include "ui/menu_layer.h"

void wiring_join_all() {
    // Sources: each module puts its operations into the pipeline's table.
    apps_join_pipeline();

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
}
