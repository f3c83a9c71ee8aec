#include "sources/password_uninstall_join.h"

#include "actions/actions.h"
#include "query/pipeline_sources.h"
#include "sources/password.h"
#include "sources/tools_table.h"
#include "sources/uninstall.h"

namespace {

// Until the tools hub dispatches every tool itself, the two tools built here answer their prefix
// words; the hub's own dispatcher is kept when it is already in place.
void run_password_or_uninstall(int32_t tool, const char16_t* argument, RowList* out) {
    if (tool == kToolPassword) password_rows(argument ? argument : u"", out);
    else if (tool == kToolUninstall) uninstall_rows(argument ? argument : u"", out);
}

}  // namespace

void password_uninstall_join() {
    ActionServices& services = action_services();
    services.uninstall_split = uninstall_split;
    services.uninstall_invalidate = uninstall_invalidate;

    PipelineSources sources = pipeline_sources();
    if (!sources.run_tool) {
        sources.run_tool = run_password_or_uninstall;
        pipeline_sources_install(sources);
    }
}
