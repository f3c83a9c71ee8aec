// kestrune-cli query TEXT [--scope FOLDER]: the rows the launcher would show for TEXT, from the
// sources of this build, on the machine the tool runs on.
#include <string>

#include "core/arena.h"
#include "core/row.h"
#include "core/text.h"
#include "core/utf.h"
#include "app/wiring.h"
#include "sources/app_index.h"
#include "query/indexer_backend.h"
#include "query/pipeline.h"
#include "query/query_cache.h"
#include "store/options.h"
#include "tools/cli/cli.h"

namespace {

std::string row_line(const Row& r) {
    std::string line = std::to_string(r.score) + "\t" + std::to_string(r.kind) + "\t";
    if (r.tag) line += r.tag;
    for (const char16_t* field : {r.title, r.subtitle, r.path, r.target}) {
        line += '\t';
        line += cli_field(text_view(field));
    }
    line += '\n';
    return line;
}

}  // namespace

CLI_COMMAND(cli_query, "query", "query TEXT [--scope FOLDER]") {
    std::string text;
    std::u16string scope;
    bool have_text = false;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--scope") {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                cli_err("query: --scope needs a folder\n");
                return 2;
            }
            scope = utf8_to_utf16(args[++i]);
        } else if (!have_text) {
            text = args[i];
            have_text = true;
        } else {
            cli_err("query: one TEXT only (quote it)\n");
            return 2;
        }
    }
    if (!have_text) {
        cli_err("usage: kestrune-cli query TEXT [--scope FOLDER]\n");
        return 2;
    }
    // A scope folder always ends with a backslash, as the result view hands it over.
    char16_t folder[1024];
    size_t n = text_copy_to(folder, sizeof folder / sizeof folder[0] - 1, scope);
    if (n > 0 && folder[n - 1] != u'\\' && folder[n - 1] != u'/') folder[n++] = u'\\', folder[n] = 0;

    // The same start-up as the launcher's: options, every module joined, the app index built
    // (here on this thread, where the launcher builds it in the background).
    wiring_join_all();
    options_load();
    indexer_backend_select(options_indexer());
    app_index_build();
    Arena* arena = arena_create(64 * 1024);
    if (!arena) {
        cli_err("query: out of memory\n");
        return 1;
    }
    RowList rows;
    rowlist_init(&rows, arena);
    std::u16string query = utf8_to_utf16(text);
    run_query(query.c_str(), n ? folder : nullptr, &rows, 0);
    std::string out;
    for (int32_t i = 0; i < rows.count; ++i) out += row_line(rows.items[i]);
    cli_out(out);
    arena_destroy(arena);
    cache_free();
    app_index_clear();
    return 0;
}
