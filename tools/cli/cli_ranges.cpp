#include "tools/cli/cli_ranges.h"

#include <vector>

#include "core/utf.h"
#include "query/fuzzy.h"
#include "tools/cli/cli.h"

std::string cli_format_ranges(const MatchRange* ranges, int32_t count) {
    std::string s;
    for (int32_t i = 0; i < count; ++i) {
        if (i) s += ' ';
        s += std::to_string(ranges[i].start) + ":" + std::to_string(ranges[i].length);
    }
    return s;
}

CLI_COMMAND(cli_ranges, "ranges", "ranges QUERY TEXT") {
    if (args.size() != 2) {
        cli_err("usage: kestrune-cli ranges QUERY TEXT\n");
        return 2;
    }
    std::u16string q = utf8_to_utf16(args[0]);
    std::u16string t = utf8_to_utf16(args[1]);
    // Room for one range per query unit: the most a scattered match can need.
    std::u16string::size_type cap = q.size() ? q.size() : 1;
    std::string out;
    if (cap <= INT32_MAX) {
        std::vector<MatchRange> r(cap);
        out = cli_format_ranges(r.data(), fuzzy_ranges(q.c_str(), t.c_str(), r.data(), static_cast<int32_t>(cap)));
    }
    cli_out(out + "\n");
    return 0;
}
