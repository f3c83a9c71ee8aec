// kestrune-cli menu KIND TARGET [--title T] [--path P] [--subtitle S] [--sub-kind K] [--number N]
// [--argument A] [--from-history]: the context menu the launcher builds for such a row on this
// machine, one entry a line in menu order: kind, title, subtitle, target, argument. Use counts
// and pins come from the data folder, as in the launcher.
#include <cstdlib>
#include <string>

#include "actions/context_menu.h"
#include "app/wiring.h"
#include "core/arena.h"
#include "core/row.h"
#include "core/text.h"
#include "core/utf.h"
#include "store/menu_usage.h"
#include "tools/cli/cli.h"

namespace {

bool parse_int(const std::string& s, int32_t* out) {
    if (s.empty()) return false;
    char* end = nullptr;
    const long v = std::strtol(s.c_str(), &end, 10);
    if (*end != 0 || v < INT32_MIN || v > INT32_MAX) return false;
    *out = static_cast<int32_t>(v);
    return true;
}

}  // namespace

CLI_COMMAND(cli_menu, "menu",
            "menu KIND TARGET [--title T] [--path P] [--subtitle S] [--sub-kind K] [--number N] [--argument A] "
            "[--from-history]") {
    std::u16string fields[5];  // title, path, subtitle, argument, target
    enum { kTitle, kPath, kSubtitle, kArgument, kTarget };
    int32_t kind = 0, sub_kind = 0, number = 0;
    bool from_history = false;
    int positional = 0;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool needs_value = a == "--title" || a == "--path" || a == "--subtitle" || a == "--argument" ||
                                 a == "--sub-kind" || a == "--number";
        if (needs_value && i + 1 >= args.size()) {
            cli_err("menu: " + a + " needs a value\n");
            return 2;
        }
        if (a == "--title") fields[kTitle] = utf8_to_utf16(args[++i]);
        else if (a == "--path") fields[kPath] = utf8_to_utf16(args[++i]);
        else if (a == "--subtitle") fields[kSubtitle] = utf8_to_utf16(args[++i]);
        else if (a == "--argument") fields[kArgument] = utf8_to_utf16(args[++i]);
        else if (a == "--sub-kind" || a == "--number") {
            if (!parse_int(args[++i], a == "--number" ? &number : &sub_kind)) {
                cli_err("menu: " + a + " needs a number\n");
                return 2;
            }
        } else if (a == "--from-history") from_history = true;
        else if (positional == 0) {
            if (!parse_int(a, &kind)) {
                cli_err("menu: KIND is a number\n");
                return 2;
            }
            ++positional;
        } else if (positional == 1) {
            fields[kTarget] = utf8_to_utf16(a);
            ++positional;
        } else {
            cli_err("menu: unexpected argument " + a + "\n");
            return 2;
        }
    }
    if (positional < 2) {
        cli_err("usage: kestrune-cli menu KIND TARGET [--title T] [--path P] [--subtitle S] [--sub-kind K] [--number N]\n");
        return 2;
    }
    wiring_join_all();
    menu_usage_load();
    Row row{};
    // Empty fields stay null, as a source leaves what it does not fill.
    auto field = [&](int i) { return fields[i].empty() ? nullptr : const_cast<char16_t*>(fields[i].c_str()); };
    row.title = field(kTitle);
    row.path = field(kPath);
    row.subtitle = field(kSubtitle);
    row.argument = field(kArgument);
    row.target = field(kTarget);
    row.kind = kind;
    row.sub_kind = sub_kind;
    row.number = number;
    row.from_history = from_history;
    Arena* arena = arena_create(16 * 1024);
    if (!arena) {
        cli_err("menu: out of memory\n");
        return 1;
    }
    RowList entries;
    rowlist_init(&entries, arena);
    menu_build(&row, &entries, false);
    std::string out;
    for (int32_t i = 0; i < entries.count; ++i) {
        const Row& e = entries.items[i];
        out += std::to_string(e.kind);
        for (const char16_t* f : {e.title, e.subtitle, e.target, e.argument}) out.append(1, '\t').append(cli_field(text_view(f)));
        out += '\n';
    }
    cli_out(out);
    arena_destroy(arena);
    return 0;
}
