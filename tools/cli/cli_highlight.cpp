#include "core/utf.h"
#include "query/highlight.h"
#include "tools/cli/cli.h"
#include "tools/cli/cli_ranges.h"

CLI_COMMAND(cli_highlight, "highlight", "highlight title|path|plain QUERY TEXT") {
    using Fn = int32_t (*)(const char16_t*, const char16_t*, MatchRange*, int32_t);
    Fn fn = nullptr;
    if (args.size() == 3) {
        if (args[0] == "title") fn = highlight_title_ranges;
        else if (args[0] == "path") fn = highlight_path_ranges;
        else if (args[0] == "plain") fn = highlight_ranges;
    }
    if (!fn) {
        cli_err("usage: kestrune-cli highlight title|path|plain QUERY TEXT\n");
        return 2;
    }
    std::u16string q = utf8_to_utf16(args[1]);
    std::u16string t = utf8_to_utf16(args[2]);
    MatchRange r[64];  // the result view's capacity
    cli_out(cli_format_ranges(r, fn(q.c_str(), t.c_str(), r, 64)) + "\n");
    return 0;
}
