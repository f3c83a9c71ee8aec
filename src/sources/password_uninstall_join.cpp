#include "sources/password_uninstall_join.h"

#include "actions/actions.h"
#include "actions/context_menu.h"
#include "sources/password.h"
#include "sources/tools.h"
#include "sources/tools_table.h"
#include "sources/uninstall.h"

void password_uninstall_join() {
    ActionServices& services = action_services();
    services.uninstall_split = uninstall_split;
    services.uninstall_invalidate = uninstall_invalidate;

    menu_services().uninstall_lookup = [](const char16_t* name, const char16_t* command, MenuUninstallInfo* out) {
        return uninstall_lookup(name, command, out->quiet_command, out->install_location);
    };

    // The tools hub builds each tool's page with its module's builder.
    tool_set_builder(kToolPassword, [](const char16_t* argument, RowList* out) { password_rows(argument ? argument : u"", out); });
    tool_set_builder(kToolUninstall, [](const char16_t* argument, RowList* out) { uninstall_rows(argument ? argument : u"", out); });
}
