// filter QUERY: scores every line of standard input like an app title and prints the matches best
// first. Built for a million lines: the input is read at once, converted to UTF-16 in one pass into
// one buffer, and every table lives in the scratch arena; nothing is allocated per line.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "core/arena.h"
#include "core/text.h"
#include "core/utf.h"
#include "query/fuzzy.h"
#include "tools/cli/cli.h"

namespace {

struct Line {
    uint32_t byte_start;
    uint32_t byte_length;  // without the line break
    uint32_t unit_start;   // in the UTF-16 buffer, null-terminated there
    uint32_t reencode;     // the bytes were not valid UTF-8: print the converted text instead
};

struct Hit {
    int32_t score;
    uint32_t line;
    uint64_t key;  // four folded units of the line from the current depth on, for the text order
};

// Folded units [depth, depth + 4) of s packed high to low, zero past the end. Comparing two keys
// orders those units as text_compare_ci does: a line that ends sorts before one that goes on.
uint64_t text_key(const char16_t* s, size_t depth) {
    uint64_t key = 0;
    int i = 0;
    for (; i < 4 && s[depth + i]; ++i) key = (key << 16) | text_fold(s[depth + i]);
    return i == 0 ? 0 : key << (16 * (4 - i));
}

// A key whose last unit is set belongs to a line that goes on past it.
bool key_continues(uint64_t key) { return (key & 0xFFFF) != 0; }

struct Group {
    size_t start;
    size_t count;
    size_t depth;
};

// Orders hits by score descending, then by line text ignoring ASCII case, then by input order. A most
// significant digit sort: every pass sorts small records by four units of text, and only runs of
// equal keys are refined further, so the long common prefixes of paths cost no string comparisons.
void sort_hits(Hit* hits, size_t n, const char16_t* units, const Line* lines) {
    for (size_t i = 0; i < n; ++i) hits[i].key = text_key(units + lines[hits[i].line].unit_start, 0);
    std::sort(hits, hits + n, [](const Hit& a, const Hit& b) {
        if (a.score != b.score) return a.score > b.score;
        if (a.key != b.key) return a.key < b.key;
        return a.line < b.line;
    });
    std::vector<Group> todo;
    auto push_runs = [&](size_t start, size_t count, size_t depth) {
        for (size_t i = start, end = start + count; i < end;) {
            size_t j = i + 1;
            while (j < end && hits[j].key == hits[i].key && hits[j].score == hits[i].score) ++j;
            if (j - i > 1 && key_continues(hits[i].key)) todo.push_back(Group{i, j - i, depth + 4});
            i = j;
        }
    };
    push_runs(0, n, 0);
    while (!todo.empty()) {
        Group g = todo.back();
        todo.pop_back();
        Hit* h = hits + g.start;
        bool ordered = true;
        for (size_t i = 0; i < g.count; ++i) {
            h[i].key = text_key(units + lines[h[i].line].unit_start, g.depth);
            if (i && h[i].key < h[i - 1].key) ordered = false;
        }
        // A run is in input order on entry; equal lines stay that way without a sort.
        if (!ordered) {
            std::sort(h, h + g.count, [](const Hit& a, const Hit& b) {
                if (a.key != b.key) return a.key < b.key;
                return a.line < b.line;
            });
        }
        push_runs(g.start, g.count, g.depth);
    }
}

// Converts the whole input, one line at a time; returns the number of lines.
uint32_t convert(const std::string& in, char16_t* units, Line* lines) {
    const char* s = in.data();
    const size_t n = in.size();
    uint32_t count = 0;
    size_t i = 0;
    size_t u = 0;
    while (i < n) {
        Line& line = lines[count++];
        line.byte_start = static_cast<uint32_t>(i);
        line.unit_start = static_cast<uint32_t>(u);
        line.reencode = 0;
        size_t end = i;
        while (end < n && s[end] != '\n') {
            auto c = static_cast<unsigned char>(s[end]);
            if (c < 0x80) {
                units[u++] = c;
                ++end;
                continue;
            }
            size_t used = 1;
            uint32_t cp = utf8_decode(s + end, n - end, &used);
            if (cp == 0xFFFD && !(used == 3 && std::memcmp(s + end, "\xEF\xBF\xBD", 3) == 0)) line.reencode = 1;
            if (cp >= 0x10000) {
                cp -= 0x10000;
                units[u++] = static_cast<char16_t>(0xD800 + (cp >> 10));
                units[u++] = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
            } else {
                units[u++] = static_cast<char16_t>(cp);
            }
            end += used;
        }
        size_t stop = end;
        if (stop > i && s[stop - 1] == '\r') {
            --stop;
            --u;
        }
        line.byte_length = static_cast<uint32_t>(stop - i);
        units[u++] = 0;
        i = end + 1;
    }
    return count;
}

}  // namespace

CLI_COMMAND(cli_filter, "filter", "filter QUERY < lines") {
    if (args.size() != 1) {
        cli_err("usage: kestrune-cli filter QUERY < lines\n");
        return 2;
    }
    std::u16string query = utf8_to_utf16(args[0]);
    std::string in = cli_read_stdin();
    if (in.size() >= UINT32_MAX / 2) {
        cli_err("kestrune-cli filter: input too large\n");
        return 1;
    }
    size_t breaks = static_cast<size_t>(std::count(in.begin(), in.end(), '\n'));
    ScratchScope scope;
    // A UTF-8 byte becomes at most one UTF-16 unit; each line adds a terminator.
    auto* units = arena_new_array<char16_t>(scope.arena(), in.size() + breaks + 1);
    auto* lines = arena_new_array<Line>(scope.arena(), breaks + 1);
    auto* hits = arena_new_array<Hit>(scope.arena(), breaks + 1);
    if (!units || !lines || !hits) {
        cli_err("kestrune-cli filter: out of memory\n");
        return 1;
    }
    uint32_t count = convert(in, units, lines);

    uint32_t matched = 0;
    const char16_t* q = query.c_str();
    for (uint32_t i = 0; i < count; ++i) {
        const char16_t* text = units + lines[i].unit_start;
        int32_t score = fuzzy_score(q, text, 110, 100, 85);
        if (score >= 0) hits[matched++] = Hit{score, i, 0};
    }
    sort_hits(hits, matched, units, lines);

    std::string out;
    out.reserve(1 << 20);
    char digits[16];
    for (uint32_t k = 0; k < matched; ++k) {
        const Line& line = lines[hits[k].line];
        int len = std::snprintf(digits, sizeof digits, "%d\t", hits[k].score);
        out.append(digits, static_cast<size_t>(len));
        if (line.reencode) out += utf16_to_utf8(units + line.unit_start);
        else out.append(in.data() + line.byte_start, line.byte_length);
        out += '\n';
        if (out.size() >= (1 << 20) - 4096) {
            cli_out(out);
            out.clear();
        }
    }
    cli_out(out);
    return 0;
}
