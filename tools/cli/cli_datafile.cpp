// datafile FILE: what the DataFile reader delivers, one "[name]" line per section followed by its
// pairs as key=value, each value escaped back as the writer writes it.
#include <cstdio>
#include <string>

#include "core/arena.h"
#include "core/utf.h"
#include "store/data_file.h"
#include "tools/cli/cli.h"

namespace {

void print_section(void* ctx, const char16_t* name, int32_t count, const KeyValue* pairs) {
    std::string& out = *static_cast<std::string*>(ctx);
    out += '[';
    out += utf16_to_utf8(name);
    out += "]\n";
    for (int32_t i = 0; i < count; ++i) {
        out += utf16_to_utf8(pairs[i].key);
        out += '=';
        datafile_escape_append(out, pairs[i].value);
        out += '\n';
    }
}

}  // namespace

CLI_COMMAND(cli_datafile, "datafile", "datafile FILE") {
    if (args.size() != 1) {
        cli_err("usage: kestrune-cli datafile FILE\n");
        return 2;
    }
    std::string bytes;
    if (!cli_read_file(args[0], bytes, kDataFileMaxBytes)) {
        cli_err("datafile: cannot open ");
        cli_err(args[0]);
        cli_err("\n");
        return 1;
    }
    Arena* arena = arena_create(64 * 1024);
    std::string out;
    bool read = arena && datafile_parse(bytes, arena, &out, print_section);
    if (arena) arena_destroy(arena);
    if (!read) {
        cli_err("datafile: ");
        cli_err(args[0]);
        cli_err(" was not read (empty or larger than 1 MiB)\n");
        return 1;
    }
    cli_out(out);
    return 0;
}
