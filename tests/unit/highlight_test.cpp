#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/arena.h"
#include "query/highlight.h"
#include "support/u16.h"

namespace {

using HighlightFn = int32_t (*)(const char16_t*, const char16_t*, MatchRange*, int32_t);

std::string run(HighlightFn fn, const char16_t* q, const char16_t* t, int32_t cap = 64) {
    std::vector<MatchRange> r(static_cast<size_t>(cap > 0 ? cap : 1));
    int32_t n = fn(q, t, r.data(), cap);
    std::string s;
    for (int32_t i = 0; i < n; ++i) {
        if (i) s += ' ';
        s += std::to_string(r[size_t(i)].start);
        s += ':';
        s += std::to_string(r[size_t(i)].length);
    }
    return s;
}

struct Case {
    const char16_t* q;
    const char16_t* t;
    const char* want;
};

TEST(Highlight, PlainRanges) {
    const Case cases[] = {
        {u"note", u"Notepad", "0:4"},
        {u"website/ kest", u"Kestrune", "0:4"},
        {u"website/ kest", u"C:\\Sites\\website\\index.html", "9:7"},
        {u"website/ kest", u"C:\\website\\kest.txt", "3:7 11:4"},
        {u"ext:pdf", u"context.pdf", "8:3"},         // the filter word is not marked after a colon
        {u"ext pdf", u"context.pdf", "4:3 8:3"},     // without a colon it is
        {u"*.pdf", u"report.pdf", "6:4"},
        {u"C:\\Windows", u"Windows", "0:7"},         // one-letter tokens are skipped among several
        {u"C:\\Windows", u"Eclectic", ""},
        {u"kill notepad", u"notepad.exe", "0:7"},    // the command word is skipped
        {u"notepad kill", u"notepad kill", "0:7 8:4"},  // only as the first token
        {u"kill", u"Skill", "1:4"},                  // a lone command word is still searched
        {u"photos\\", u"photos", "0:6"},
        {u"report .pdf", u"report.pdf", "0:10"},    // touching ranges merge
        {u"rep port", u"report", "0:6"},            // overlapping ranges merge
        {u"  \t note \t/\\", u"Notepad", "0:4"},
        {u"... note", u"Note...", "0:4"},           // a token of dots is skipped
        {u"a", u"abc", "0:1"},                      // a single short token is kept
        {u" \t/\\ ", u"abc", ""},
        {u"\"'*+,/:;=?\\|", u"abc", ""},
        {u"note", u"", ""},
        {u"ac", u"abc", "0:1 2:1"},
    };
    for (const auto& c : cases) EXPECT_EQ(run(highlight_ranges, c.q, c.t), c.want) << u8(c.q) << " / " << u8(c.t);
    EXPECT_EQ(run(highlight_ranges, nullptr, u"abc"), "");
    EXPECT_EQ(run(highlight_ranges, u"abc", nullptr), "");
}

TEST(Highlight, Limits) {
    // Up to 1023 units after trimming are searched, 1024 are not; trailing separators do not count.
    std::u16string q(1023, u'a');
    std::u16string t(1023, u'a');
    EXPECT_EQ(run(highlight_ranges, q.c_str(), t.c_str()), "0:255");  // the token is cut to 255
    EXPECT_EQ(run(highlight_ranges, (q + u"a").c_str(), (t + u"a").c_str()), "");
    EXPECT_EQ(run(highlight_ranges, (q + u"  //\\\\").c_str(), t.c_str()), "0:255");
    EXPECT_EQ(run(highlight_ranges, (std::u16string(u" \t") + q).c_str(), t.c_str()), "0:255");
    // Only the first 16 tokens count.
    std::u16string many;
    for (char16_t c = u'a'; c <= u'q'; ++c) many += std::u16string(2, c) + u" ";
    std::u16string letters;
    for (char16_t c = u'a'; c <= u'q'; ++c) letters += std::u16string(2, c) + u"-";
    EXPECT_EQ(run(highlight_ranges, many.c_str(), letters.c_str()).find("48:2"), std::string::npos);
    EXPECT_NE(run(highlight_ranges, many.c_str(), letters.c_str()).find("45:2"), std::string::npos);
    // 1 MiB texts and queries.
    std::u16string huge(1 << 20, u'x');
    EXPECT_EQ(run(highlight_ranges, huge.c_str(), u"xx"), "");
    EXPECT_EQ(run(highlight_ranges, u"xy", (huge + u"y").c_str()), "1048575:2");
}

TEST(Highlight, CapacityIsRespected) {
    MatchRange r[3] = {{-1, -1}, {-1, -1}, {-1, -1}};
    EXPECT_EQ(highlight_ranges(u"ac bd", u"abcd", r, 0), 0);
    EXPECT_EQ(r[0].start, -1);
    EXPECT_EQ(highlight_ranges(u"ac bd", u"abcd", r, 1), 1);  // the first token fills the only slot
    EXPECT_EQ(r[0].start, 0);
    EXPECT_EQ(r[1].start, -1);
    EXPECT_EQ(run(highlight_ranges, u"ac bd", u"abcd", 4), "0:4");
}

TEST(Highlight, TitleRanges) {
    const Case cases[] = {
        {u"website/ kest", u"Kestrune", "0:4"},
        {u"website/ kest", u"Website Manager", ""},
        {u"C:\\Windows", u"Windows", "0:7"},
        {u"photos\\", u"photos", "0:6"},
        {u"/ kest", u"Kestrune", "0:4"},
        {u"pax/ demo.pax", u"demo.pax", "0:8"},
        {u" / \\ ", u"abc", ""},
        {u"note", u"Notepad", "0:4"},
    };
    for (const auto& c : cases) EXPECT_EQ(run(highlight_title_ranges, c.q, c.t), c.want) << u8(c.q) << " / " << u8(c.t);
}

TEST(Highlight, PathRanges) {
    const Case cases[] = {
        {u"website/ kest", u"C:\\website\\kest.txt", "3:7"},
        {u"kest", u"C:\\website\\kest.txt", ""},
        {u"ext:pdf", u"C:\\docs\\report.pdf", ""},
        {u"C:\\Windows", u"C:\\Windows", "0:1"},
        {u"photos\\", u"C:\\photos", ""},
        {u"/ kest", u"C:\\kest", ""},
        {u"pax/ demo.pax", u"C:\\projects\\pax\\demo.pax", "12:3"},
    };
    for (const auto& c : cases) EXPECT_EQ(run(highlight_path_ranges, c.q, c.t), c.want) << u8(c.q) << " / " << u8(c.t);
    Arena* a = scratch_arena();
    uint64_t before = arena_used(a);
    run(highlight_path_ranges, u"website/ kest", u"C:\\website\\kest.txt");
    run(highlight_title_ranges, u"website/ kest", u"kest");
    EXPECT_EQ(arena_used(a), before);
}

TEST(SplitFolderQuery, Parts) {
    struct SplitCase {
        const char16_t* q;
        int want;
        const char* folder;
        const char* name;
    } cases[] = {
        {u"website/ kest", 1, "website", "kest"},
        {u"  C:\\Users\\ \\ me  ", 1, "C:\\Users", "me"},
        {u"photos\\", 1, "photos", ""},
        {u"/ kest", 1, "", "kest"},
        {u"a/b\\c", 1, "a/b", "c"},
        {u"\t folder \t/\t name \t", 1, "folder", "name"},
        {u"plain", 0, "", ""},
        {u"", 0, "", ""},
        {nullptr, 0, "", ""},
    };
    for (const auto& c : cases) {
        char16_t folder[64] = {u'#', 0};
        char16_t name[64] = {u'#', 0};
        EXPECT_EQ(split_folder_query(c.q, folder, 64, name, 64), c.want);
        EXPECT_EQ(u8(folder), c.folder);
        EXPECT_EQ(u8(name), c.name);
    }
    // Parts are cut to the capacity minus one; a capacity of 0 writes nothing.
    char16_t folder[4] = {u'#', u'#', u'#', u'#'};
    char16_t name[1] = {u'#'};
    EXPECT_EQ(split_folder_query(u"abcdef/ghi", folder, 4, name, 1), 1);
    EXPECT_EQ(u8(folder), "abc");
    EXPECT_EQ(name[0], 0);
    char16_t untouched[2] = {u'#', u'#'};
    EXPECT_EQ(split_folder_query(u"ab/cd", untouched, 0, nullptr, 0), 1);
    EXPECT_EQ(untouched[0], u'#');
}

}  // namespace
