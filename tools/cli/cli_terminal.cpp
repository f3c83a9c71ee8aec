// terminal-profiles FILE: the Windows Terminal profiles the launcher reads from a settings.json,
// one per line: name, icon and guid separated by tabs.
#include <string>

#include "actions/terminal_json.h"
#include "core/text.h"
#include "tools/cli/cli.h"

namespace {
constexpr size_t kSettingsMaxBytes = 524288;  // a larger settings.json is not read
constexpr int kProfileCapacity = 32;
}  // namespace

CLI_COMMAND(cli_terminal_profiles, "terminal-profiles", "terminal-profiles FILE") {
    if (args.size() != 1) {
        cli_err("usage: kestrune-cli terminal-profiles FILE\n");
        return 2;
    }
    std::string bytes;
    if (!cli_read_file(args[0], bytes, kSettingsMaxBytes)) {
        cli_err("terminal-profiles: cannot open " + args[0] + "\n");
        return 1;
    }
    if (bytes.size() > kSettingsMaxBytes) return 0;
    static TerminalProfile profiles[kProfileCapacity];
    int n = terminal_json_profiles(bytes, profiles, kProfileCapacity);
    std::string out;
    for (int i = 0; i < n; ++i) {
        out += cli_field(text_view(profiles[i].name)) + "\t" + cli_field(text_view(profiles[i].icon)) + "\t" +
               cli_field(text_view(profiles[i].guid)) + "\n";
    }
    cli_out(out);
    return 0;
}
