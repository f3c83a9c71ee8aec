// filter QUERY: scores every line of standard input like an app title and prints the matches best
// first, each as its score, a tab and the line. Built for a million lines: the input is read in
// blocks that stay in the cache, lines are tested and scored on their bytes where they can be
// (line_filter_read), and the output goes out in large blocks.
#include <cstdio>
#include <cstring>
#include <string>

#include "core/arena.h"
#include "core/utf.h"
#include "query/line_filter.h"
#include "tools/cli/cli.h"

namespace {

constexpr size_t kOutBlock = 1 << 20;
constexpr size_t kInBlock = 1 << 20;

size_t read_stdin(void*, char* buf, size_t n) { return std::fread(buf, 1, n, stdin); }

// Writes the decimal digits of v at p; returns the end.
char* put_int(char* p, int32_t v) {
    char digits[12];
    int n = 0;
    uint32_t u = v < 0 ? 0u - static_cast<uint32_t>(v) : static_cast<uint32_t>(v);
    do {
        digits[n++] = static_cast<char>('0' + u % 10);
        u /= 10;
    } while (u);
    if (v < 0) *p++ = '-';
    while (n) *p++ = digits[--n];
    return p;
}

}  // namespace

CLI_COMMAND(cli_filter, "filter", "filter QUERY < lines") {
    if (args.size() != 1) {
        cli_err("usage: kestrune-cli filter QUERY < lines\n");
        return 2;
    }
    const std::u16string query = utf8_to_utf16(args[0]);
    ScratchScope scope;
    LineFilterResult found;
    if (!line_filter_read(read_stdin, nullptr, kInBlock, query.c_str(), 110, 100, 85, scope.arena(), &found)) {
        cli_err("kestrune-cli filter: out of memory\n");
        return 1;
    }
    if (std::ferror(stdin)) {
        cli_err("kestrune-cli filter: cannot read the input\n");
        return 1;
    }

    std::string out(kOutBlock, '\0');
    size_t used = 0;
    auto flush = [&] {
        cli_out(std::string_view(out.data(), used));
        used = 0;
    };
    for (uint32_t k = 0; k < found.count; ++k) {
        // The lines lie all over memory: fetching a later one early overlaps the cache misses.
        if (k + 16 < found.count) __builtin_prefetch(found.hits[k + 16].line);
        const LineHit& hit = found.hits[k];
        std::string reencoded;
        std::string_view line(hit.line, hit.length);
        if (hit.reencode) {
            reencoded = utf16_to_utf8(std::u16string_view(hit.text, hit.text_length));
            line = reencoded;
        }
        const size_t need = 16 + line.size();
        if (out.size() - used < need) {
            flush();
            if (out.size() < need) out.resize(need);
        }
        char* p = put_int(out.data() + used, hit.score);
        *p++ = '\t';
        std::memcpy(p, line.data(), line.size());
        p += line.size();
        *p++ = '\n';
        used = static_cast<size_t>(p - out.data());
    }
    flush();
    return 0;
}
