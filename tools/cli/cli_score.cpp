#include <cerrno>
#include <cstdlib>

#include "core/utf.h"
#include "query/fuzzy.h"
#include "tools/cli/cli.h"

namespace {
bool parse_tier(const std::string& s, int32_t* out) {
    if (s.empty()) return false;
    errno = 0;
    char* end = nullptr;
    long v = std::strtol(s.c_str(), &end, 10);
    if (errno || *end || v < INT32_MIN || v > INT32_MAX) return false;
    *out = static_cast<int32_t>(v);
    return true;
}
}  // namespace

CLI_COMMAND(cli_score, "score", "score QUERY TEXT [EXACT PREFIX WORD]") {
    int32_t tiers[3] = {110, 100, 85};
    bool ok = args.size() == 2 || args.size() == 5;
    for (size_t i = 2; ok && i < args.size(); ++i) ok = parse_tier(args[i], &tiers[i - 2]);
    if (!ok) {
        cli_err("usage: kestrune-cli score QUERY TEXT [EXACT PREFIX WORD]\n");
        return 2;
    }
    std::u16string q = utf8_to_utf16(args[0]);
    std::u16string t = utf8_to_utf16(args[1]);
    cli_out(std::to_string(fuzzy_score(q.c_str(), t.c_str(), tiers[0], tiers[1], tiers[2])) + "\n");
    return 0;
}
