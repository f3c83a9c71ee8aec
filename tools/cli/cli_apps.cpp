// kestrune-cli apps [QUERY]: the application rows of this machine. Without a query every app (the
// all-apps list); with one the Start Menu and packaged-app rows that match it, best first.
#include <string>

#include "core/arena.h"
#include "core/row.h"
#include "core/text.h"
#include "core/utf.h"
#include "sources/app_index.h"
#include "tools/cli/cli.h"

namespace {

std::string row_line(const Row& r) {
    std::string line;
    line.append(std::to_string(r.score)).append(1, '\t').append(std::to_string(r.kind)).append(1, '\t');
    if (r.tag) line.append(1, r.tag);
    for (const char16_t* field : {r.title, r.subtitle, r.path, r.target}) line.append(1, '\t').append(cli_field(text_view(field)));
    line.append(1, '\n');
    return line;
}

}  // namespace

CLI_COMMAND(cli_apps, "apps", "apps [QUERY]") {
    if (args.size() > 1) {
        cli_err("apps: one QUERY only (quote it)\n");
        return 2;
    }
    Arena* arena = arena_create(64 * 1024);
    if (!arena) {
        cli_err("apps: out of memory\n");
        return 1;
    }
    app_index_build();
    RowList rows;
    rowlist_init(&rows, arena);
    if (args.empty()) {
        list_all_apps(&rows);
    } else {
        std::u16string query = utf8_to_utf16(args[0]);
        search_apps(query.c_str(), &rows);
        search_packaged_apps(query.c_str(), &rows);
        rowlist_sort_by_score(&rows);
    }
    std::string out;
    for (int32_t i = 0; i < rows.count; ++i) out += row_line(rows.items[i]);
    cli_out(out);
    arena_destroy(arena);
    app_index_clear();
    return 0;
}
