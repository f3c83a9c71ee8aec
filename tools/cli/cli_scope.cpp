// kestrune-cli scope TEXT [--in SCOPE] [--repeat N]: the folder scope that typing TEXT in the
// search box enters on this machine (inside SCOPE when given), or nothing and exit code 1. With
// --repeat it also reports the time one check takes, as the launcher makes one per text change.
#include <chrono>
#include <cstdlib>
#include <string>

#include "core/utf.h"
#include "tools/cli/cli.h"
#include "ui/scope.h"

CLI_COMMAND(cli_scope, "scope", "scope TEXT [--in SCOPE] [--repeat N]") {
    std::u16string text, scope;
    long repeat = 0;
    bool have_text = false;
    for (size_t i = 0; i < args.size(); ++i) {
        if ((args[i] == "--in" || args[i] == "--repeat") && i + 1 >= args.size()) {
            cli_err("scope: " + args[i] + " needs a value\n");
            return 2;
        }
        if (args[i] == "--in") {
            scope = utf8_to_utf16(args[++i]);
        } else if (args[i] == "--repeat") {
            char* end = nullptr;
            repeat = std::strtol(args[++i].c_str(), &end, 10);
            if (*end != 0 || repeat < 1 || repeat > 10000000) {
                cli_err("scope: --repeat needs a count from 1\n");
                return 2;
            }
        } else if (!have_text) {
            text = utf8_to_utf16(args[i]);
            have_text = true;
        } else {
            cli_err("scope: one TEXT only (quote it)\n");
            return 2;
        }
    }
    if (!have_text) {
        cli_err("usage: kestrune-cli scope TEXT [--in SCOPE] [--repeat N]\n");
        return 2;
    }
    std::u16string folder;
    const bool found = scope_resolve_text(text, scope, folder);
    if (found) cli_out(utf16_to_utf8(folder) + "\n");
    if (repeat > 0) {
        const auto t0 = std::chrono::steady_clock::now();
        std::u16string again;
        for (long i = 0; i < repeat; ++i) scope_resolve_text(text, scope, again);
        const double us = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count();
        cli_out("time\t" + std::to_string(us / static_cast<double>(repeat)) + " us per check\n");
    }
    return found ? 0 : 1;
}
