// settings [QUERY] [--cap N] [--build B]: the rows the settings catalog gives for a query.
#include <cstdlib>
#include <string>

#include "core/arena.h"
#include "core/row.h"
#include "core/text.h"
#include "core/utf.h"
#include "sources/settings_catalog.h"
#include "tools/cli/cli.h"

namespace {

bool parse_int(const std::string& s, long lo, long hi, long& out) {
    if (s.empty()) return false;
    char* end = nullptr;
    long v = std::strtol(s.c_str(), &end, 10);
    if (*end != '\0' || v < lo || v > hi) return false;
    out = v;
    return true;
}

}  // namespace

CLI_COMMAND(cli_settings, "settings", "settings [QUERY] [--cap N] [--build B]") {
    std::string query;
    bool have_query = false;
    long cap = kSettingsNoCap;
    long build = 0;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--cap" || a == "--build") {
            long v = 0;
            bool ok = i + 1 < args.size() && parse_int(args[i + 1], 0, 0x7FFFFFFF, v);
            if (!ok) {
                cli_err("settings: " + a + " needs a number\n");
                return 2;
            }
            (a == "--cap" ? cap : build) = v;
            ++i;
        } else if (!have_query) {
            query = a;
            have_query = true;
        } else {
            cli_err("usage: settings [QUERY] [--cap N] [--build B]\n");
            return 2;
        }
    }
    // --build 0 means "no build known": nothing is filtered by build.
    bool build_given = false;
    for (const auto& a : args) build_given = build_given || a == "--build";
    if (build_given) settings_set_build_override(build == 0 ? -1 : static_cast<int32_t>(build));

    Arena* arena = arena_create(64 * 1024);
    RowList rows;
    rowlist_init(&rows, arena);
    std::u16string q = utf8_to_utf16(query);
    search_settings(q.c_str(), &rows, static_cast<int32_t>(cap));
    std::string out;
    for (int32_t i = 0; i < rows.count; ++i) {
        const Row& r = rows.items[i];
        out += std::to_string(r.score) + "\t" + std::to_string(r.kind) + "\t" + std::string(1, r.tag) + "\t";
        out += cli_field(text_view(r.title)) + "\t" + cli_field(text_view(r.subtitle)) + "\t" +
               cli_field(text_view(r.path)) + "\t" + cli_field(text_view(r.target)) + "\n";
    }
    cli_out(out);
    rowlist_free(&rows);
    arena_destroy(arena);
    settings_set_build_override(0);
    return 0;
}
