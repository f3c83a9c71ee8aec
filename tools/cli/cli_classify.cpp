#include "core/utf.h"
#include "query/query_parser.h"
#include "tools/cli/cli.h"

CLI_COMMAND(cli_classify, "classify", "classify TEXT [--scope FOLDER]") {
    bool ok = args.size() == 1 || (args.size() == 3 && args[1] == "--scope");
    if (!ok) {
        cli_err("usage: kestrune-cli classify TEXT [--scope FOLDER]\n");
        return 2;
    }
    std::u16string text = utf8_to_utf16(args[0]);
    std::u16string scope = args.size() == 3 ? utf8_to_utf16(args[2]) : std::u16string();
    ParsedQuery p = classify_query(text.c_str(), scope.c_str());
    auto flag = [](bool b) { return std::string(b ? "1" : "0"); };
    std::string out;
    out += "text=" + cli_field(p.text) + "\n";
    out += std::string("command=") + query_command_name(p.command) + "\n";
    out += "command_argument=" + cli_field(p.command_argument) + "\n";
    out += "tool=" + std::to_string(p.tool) + "\n";
    out += "cache_key=" + cli_field(p.cache_key) + "\n";
    out += "stripped=" + cli_field(p.stripped) + "\n";
    out += "ends_with_slash=" + flag(p.ends_with_slash) + "\n";
    out += "is_drive_list=" + flag(p.is_drive_list) + "\n";
    out += "is_drive_filter=" + flag(p.is_drive_filter) + "\n";
    out += "drive_filter=" + cli_field(p.drive_filter) + "\n";
    out += "is_extension_query=" + flag(p.is_extension_query) + "\n";
    out += "is_scoped=" + flag(p.is_scoped) + "\n";
    out += "scope_name=" + cli_field(p.scope_name) + "\n";
    cli_out(out);
    return 0;
}
