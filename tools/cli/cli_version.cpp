#include "core/version.h"
#include "tools/cli/cli.h"

CLI_COMMAND(cli_version, "version", "version") {
    (void)args;
    cli_out(std::string("kestrune ") + kKestruneVersion + "\n");
    return 0;
}
