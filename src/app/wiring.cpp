#include "app/wiring.h"

#include "actions/actions.h"
#include "actions/terminal.h"
#include "sources/app_index.h"
#include "sources/processes.h"
#include "sources/tools.h"
#include "ui/icon_loader.h"
#include "ui/view_rows.h"

void wiring_join_all() {
    // Views whose rows other modules build go through one dispatcher.
    view_rows_install();

    // Sources: each module puts its operations into the pipeline's table.
    apps_join_pipeline();
    tools_join();
    processes_join();

    // Actions that run another module's operation.
    ActionServices& services = action_services();
    services.app_index_reload = app_index_reload;
    terminal_join();

    // Row drawing asks the icon loader for each row's icon.
    icons_join_view();
}
