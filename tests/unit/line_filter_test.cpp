#include "query/line_filter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/arena.h"
#include "core/text.h"
#include "query/fuzzy.h"
#include "support/u16.h"

namespace {

// A line as the filter shows it: score, tab, the line (re-encoded when its bytes were malformed).
using Shown = std::vector<std::string>;

// The plainest filter: every line converted, scored with fuzzy_score, stably sorted.
Shown reference_filter(const std::string& input, const std::u16string& query) {
    struct Line {
        int32_t score;
        std::u16string text;  // up to the first NUL, as fuzzy_score reads it
        std::string shown;
    };
    std::vector<Line> kept;
    for (size_t i = 0; i < input.size();) {
        size_t end = input.find('\n', i);
        if (end == std::string::npos) end = input.size();
        std::string line = input.substr(i, end - i);
        i = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::u16string units = u16(line);
        std::u16string text(units.c_str());
        int32_t score = fuzzy_score(query.c_str(), text.c_str(), 110, 100, 85);
        if (score < 0) continue;
        // Bytes that survive the round trip are valid UTF-8 and shown as they are.
        std::string shown = u8(units) == line ? line : u8(text);
        kept.push_back(Line{score, text, std::to_string(score) + "\t" + shown});
    }
    std::stable_sort(kept.begin(), kept.end(), [](const Line& a, const Line& b) {
        if (a.score != b.score) return a.score > b.score;
        return text_compare_ci(a.text, b.text) < 0;
    });
    Shown out;
    for (const Line& l : kept) out.push_back(l.shown);
    return out;
}

Shown shown_hits(const LineFilterResult& r) {
    Shown out;
    for (uint32_t k = 0; k < r.count; ++k) {
        const LineHit& h = r.hits[k];
        std::string line(h.line, h.length);
        if (h.reencode) line = u8(std::u16string_view(h.text, h.text_length));
        out.push_back(std::to_string(h.score) + "\t" + line);
    }
    return out;
}

// Hands out the input in pieces of 1 to `most` bytes, as a pipe may.
struct Pieces {
    const std::string* input;
    size_t at;
    size_t most;
    uint32_t seed;
};

size_t read_pieces(void* context, char* buf, size_t n) {
    auto* p = static_cast<Pieces*>(context);
    p->seed = p->seed * 1664525u + 1013904223u;
    size_t k = std::min({n, p->input->size() - p->at, 1 + (p->seed >> 8) % p->most});
    std::memcpy(buf, p->input->data() + p->at, k);
    p->at += k;
    return k;
}

// The filter over input in memory; and read through blocks of block_size (0: not read).
Shown fast_filter(const std::string& input, const std::u16string& query, size_t block_size = 0, size_t most = 1) {
    ScratchScope scope;
    LineFilterResult r;
    if (block_size == 0) {
        EXPECT_TRUE(line_filter(input, query.c_str(), 110, 100, 85, scope.arena(), &r));
    } else {
        Pieces p{&input, 0, most, 7};
        EXPECT_TRUE(line_filter_read(read_pieces, &p, block_size, query.c_str(), 110, 100, 85, scope.arena(), &r));
        EXPECT_EQ(p.at, input.size());
    }
    return shown_hits(r);
}

// A deterministic list of lines: paths with long shared prefixes, names in both cases, every word
// break, letters beyond ASCII (two-, three- and four-byte UTF-8, a literal U+FFFD), malformed bytes
// (a lone lead byte, a stray continuation, an overlong form, an encoded surrogate, a cut four-byte
// form, 0xFF), NULs, carriage returns inside and at the end, empty lines and duplicates.
std::string varied_corpus(size_t lines, uint32_t seed) {
    const char* pieces[] = {"C:\\Users\\", "C:\\Program Files\\", "/usr/share/doc/", "src", "main", ".cpp",
                            "Main", "MAIN", "report", "Report-2026", "notepad", "Notepad++", "kestrune",
                            "_", "-", ".", " ", ":", "/", "\\", "a", "b", "n", "N", "x", "1", "42",
                            "\xC3\xA9",           // é
                            "\xC3\x89",           // É (not folded)
                            "\xE4\xB8\xAD",       // 中
                            "\xF0\x9F\x98\x80",   // U+1F600, a surrogate pair
                            "\xEF\xBF\xBD",       // a literal U+FFFD
                            "\xC3",               // lead byte alone
                            "\x80",               // stray continuation
                            "\xC0\xAF",           // overlong "/"
                            "\xED\xA0\x80",       // encoded surrogate
                            "\xF0\x9F\x98",       // cut four-byte form
                            "\xFF",
                            "",                   // stands for a NUL, added below
                            "\r"};
    const size_t count = sizeof pieces / sizeof pieces[0];
    std::mt19937 rng(seed);
    std::uniform_int_distribution<size_t> pick(0, count - 1), len(0, 12), shape(0, 19);
    std::string out, previous;
    for (size_t i = 0; i < lines; ++i) {
        std::string line;
        const size_t kind = shape(rng);
        if (kind == 0) {
            line = previous;  // a duplicate
        } else if (kind == 1) {
            line = previous;  // the same line in other capitals
            for (char& c : line) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
        } else if (kind == 2) {
            line = std::string(200 + len(rng) * 20, 'a') + "n";  // long, for the sort's many rounds
        } else if (kind != 3) {  // kind 3: an empty line
            for (size_t n = len(rng); n > 0; --n) {
                const size_t p = pick(rng);
                if (p == count - 2) line += '\0';
                else line += pieces[p];
            }
        }
        previous = line;
        out += line;
        out += (kind % 5 == 4) ? "\r\n" : "\n";
    }
    out += "last line without a break: main.cpp";
    return out;
}

TEST(LineFilter, MatchesThePlainFilterOnAVariedCorpus) {
    const std::string input = varied_corpus(4000, 20261211);
    const std::u16string queries[] = {
        u"n", u"N", u"a", u"main", u"MAIN.CPP", u"srcmain", u"c:\\", u"\\", u"usr/doc", u"rep 2026",
        u"notepad++", u"-", u" ", u"42", u"zzqx", u"\u00e9", u"\u00c9", u"\u4e2d", u"\xD83D\xDE00", u"\xD83D",
        u"\uFFFD", u"n\u00e9", u"\u00e9n", u"last line", u"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaan",
        u"kestrune_report_notepad_main_src_cpp",
    };
    for (const auto& q : queries) {
        const Shown want = reference_filter(input, q);
        const Shown got = fast_filter(input, q);
        ASSERT_EQ(got.size(), want.size()) << u8(q);
        for (size_t i = 0; i < want.size(); ++i) ASSERT_EQ(got[i], want[i]) << u8(q) << " at " << i;
    }
    // Read in blocks: lines cut across reads and blocks, lines longer than a block, and pieces from
    // one byte to many blocks.
    struct Reading {
        size_t block_size;
        size_t most;
    } readings[] = {{64, 1}, {64, 300}, {1000, 7}, {1 << 16, 1 << 20}};
    for (const auto& r : readings) {
        for (const char16_t* q : {u"n", u"main.cpp", u"\u00e9"}) {
            EXPECT_EQ(fast_filter(input, q, r.block_size, r.most), reference_filter(input, q))
                << u8(q) << " block " << r.block_size << " pieces " << r.most;
        }
    }
}

TEST(LineFilter, LinesAsTheyAreReadAndShown) {
    struct Case {
        std::string input;
        const char16_t* query;
        Shown want;
    } cases[] = {
        // Best first, then the text ignoring case, then input order; misses and empty lines left out.
        {"my notes\r\nNotepad\r\n\r\nxx\r\nnote\r\nNOTE\r\nNot even\r\n", u"note",
         {"110\tnote", "110\tNOTE", "100\tNotepad", "85\tmy notes", "60\tNot even"}},
        // A shorter text sorts first; a long shared prefix takes several rounds of the sort.
        {"C:\\dir\\deeper\\still\\abd\nC:\\dir\\deeper\\still\\abc\nc:\\DIR\\deeper\\still\\ab\n", u"c:",
         {"100\tc:\\DIR\\deeper\\still\\ab", "100\tC:\\dir\\deeper\\still\\abc", "100\tC:\\dir\\deeper\\still\\abd"}},
        // A line is read up to its first NUL, and shown whole.
        {std::string("ab\0zz\nzz\n", 9), u"zz", {"110\tzz"}},
        {std::string("ab\0zz\n", 6), u"ab", {std::string("110\tab\0zz", 9)}},
        // Malformed bytes are shown as the text they were read as; a literal U+FFFD is kept.
        {"caf\xC3\nno\n", u"caf", {"100\tcaf\xEF\xBF\xBD"}},
        {"caf\xEF\xBF\xBD\n", u"caf", {"100\tcaf\xEF\xBF\xBD"}},
        // A "\r" only ends a line before its break; elsewhere it is part of the text.
        {"a\rb\nab\r", u"ab", {"110\tab", "60\ta\rb"}},
        // No folding beyond A-Z: "É" is not "é".
        {"\xC3\x89t\xC3\xA9\n\xC3\xA9t\xC3\xA9\n", u"\u00e9t\u00e9", {"110\t\xC3\xA9t\xC3\xA9"}},
        {"", u"a", {}},
        {"abc\n", u"", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fast_filter(c.input, c.query), c.want) << c.input;
        EXPECT_EQ(fast_filter(c.input, c.query, 64, 3), c.want) << c.input;
        EXPECT_EQ(reference_filter(c.input, c.query), c.want) << c.input;
    }
}

TEST(LineFilter, MissingQueryMatchesNothingAndReadsToTheEnd) {
    ScratchScope scope;
    LineFilterResult r;
    EXPECT_TRUE(line_filter("abc", nullptr, 110, 100, 85, scope.arena(), &r));
    EXPECT_EQ(r.count, 0u);
    const std::string input(5000, 'a');
    EXPECT_EQ(fast_filter(input, u"", 64, 100), Shown{});  // fast_filter checks that all was read
}

}  // namespace
