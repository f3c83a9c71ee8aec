// kestrune-cli sql QUERY [--scope FOLDER] [--ext LIST] [--limit N]: the two statements the Windows
// Search client would send for QUERY, the CONTAINS form on the first line and the LIKE form on
// the second (an empty line for a form that cannot be built).
#include <cerrno>
#include <cstdlib>
#include <string>

#include "core/utf.h"
#include "indexers/windows_search_sql.h"
#include "tools/cli/cli.h"

namespace {

bool parse_limit(const std::string& s, int32_t& out) {
    if (s.empty()) return false;
    errno = 0;
    char* end = nullptr;
    long long v = std::strtoll(s.c_str(), &end, 10);
    if (errno != 0 || !end || *end != 0) return false;
    // Past the int32 range the limit rules give the same statements as the range's ends.
    out = v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : static_cast<int32_t>(v);
    return true;
}

}  // namespace

CLI_COMMAND(cli_sql, "sql", "sql QUERY [--scope FOLDER] [--ext LIST] [--limit N]") {
    const char* usage = "usage: kestrune-cli sql QUERY [--scope FOLDER] [--ext LIST] [--limit N]\n";
    std::string query;
    bool have_query = false, have_ext = false;
    std::u16string folder, extensions;
    int32_t limit = kWsDefaultLimit;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--scope" || a == "--ext" || a == "--limit") {
            if (i + 1 >= args.size()) {
                cli_err(a + " needs a value\n" + usage);
                return 2;
            }
            const std::string& v = args[++i];
            if (a == "--scope") {
                folder = utf8_to_utf16(v);
            } else if (a == "--ext") {
                extensions = utf8_to_utf16(v);
                have_ext = true;
            } else if (!parse_limit(v, limit)) {
                cli_err("sql: --limit takes a whole number\n");
                return 2;
            }
        } else if (!have_query) {
            query = a;
            have_query = true;
        } else {
            cli_err("sql: one QUERY only (quote it)\n");
            return 2;
        }
    }
    if (!have_query) {
        cli_err(usage);
        return 2;
    }
    // A scope folder ends with a backslash, as the result view hands it over.
    if (!folder.empty() && folder.back() != u'\\' && folder.back() != u'/') folder += u'\\';
    std::u16string q = utf8_to_utf16(query);
    const char16_t* scope = folder.empty() ? nullptr : folder.c_str();
    const char16_t* ext = have_ext ? extensions.c_str() : nullptr;
    std::u16string buf(kWsSqlCap, u'\0');
    std::string out;
    for (int form = 0; form < 2; ++form) {
        bool ok = form == 0 ? ws_sql_contains(q.c_str(), scope, ext, limit, buf.data(), kWsSqlCap)
                            : ws_sql_like(q.c_str(), scope, ext, limit, buf.data(), kWsSqlCap);
        if (ok) out += utf16_to_utf8(std::u16string_view(buf.c_str()));
        out += '\n';
    }
    cli_out(out);
    return 0;
}
