#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/arena.h"
#include "query/fuzzy.h"
#include "support/u16.h"

namespace {

std::string ranges_text(const MatchRange* r, int32_t n) {
    std::string s;
    for (int32_t i = 0; i < n; ++i) {
        if (i) s += ' ';
        s += std::to_string(r[i].start);
        s += ':';
        s += std::to_string(r[i].length);
    }
    return s;
}

std::string ranges_of(const char16_t* q, const char16_t* t, int32_t cap = 64) {
    std::vector<MatchRange> r(static_cast<size_t>(cap > 0 ? cap : 1));
    return ranges_text(r.data(), fuzzy_ranges(q, t, r.data(), cap));
}

TEST(FuzzyScore, Tiers) {
    struct Case {
        const char16_t* q;
        const char16_t* t;
        int32_t word;
        int32_t want;
    } cases[] = {
        {u"note", u"Notepad", 75, 100},                            // prefix
        {u"NOTEPAD", u"notepad", 85, 110},                         // exact, ASCII case only
        {u"test", u"my-test", 85, 85},                             // word start after "-"
        {u"test", u"a_very_long_test_name_for_sure", 85, 85},      // word start after "_"
        {u"test", u"contest", 85, 86},                             // substring at 3, 3 longer
        {u"xya", u"xylophone zebra", 85, 59},                      // scattered, 12 longer
        {u"test", u"my-test", -1, 86},                             // word tier off: substring at 3
        {u"pad", u"Note pad pad", -1, 89 - 2 - 5},                 // first occurrence counts
        {u"b", u"abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyz", 85, 89 - 8 - 1},
        {u"z", u"abcdefghijklmnopqrstuvwxyzz", 85, 89 - 6 - 20},   // position penalty capped at 20
        {u"az", u"a.............................................................................................z", 85, 49},
        {u"notepad++", u"notepad", 85, -1},                        // longer than the text
        {u"zzz", u"abc", 85, -1},
        {u"\u00c4", u"\u00e4", 85, -1},                            // no folding beyond A-Z
        {u"d", u"C:\\d", 85, 85},
        {u"a", u" a", 85, 85},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fuzzy_score(c.q, c.t, 110, 100, c.word), c.want) << u8(c.q) << " in " << u8(c.t);
    }
    // The caller's tier values come back unchanged.
    EXPECT_EQ(fuzzy_score(u"gen", u"gen", 7, 5, 3), 7);
    EXPECT_EQ(fuzzy_score(u"ge", u"gen", 7, 5, 3), 5);
    EXPECT_EQ(fuzzy_score(u"en", u"g en", 7, 5, 3), 3);
}

TEST(FuzzyScore, MissingAndEmptyInputs) {
    EXPECT_EQ(fuzzy_score(nullptr, u"abc", 110, 100, 85), -1);
    EXPECT_EQ(fuzzy_score(u"abc", nullptr, 110, 100, 85), -1);
    EXPECT_EQ(fuzzy_score(u"", u"abc", 110, 100, 85), -1);
    EXPECT_EQ(fuzzy_score(u"a", u"", 110, 100, 85), -1);
    MatchRange r[4];
    EXPECT_EQ(fuzzy_ranges(u"", u"abc", r, 4), 0);
    EXPECT_EQ(fuzzy_ranges(nullptr, u"abc", r, 4), 0);
    EXPECT_EQ(fuzzy_ranges(u"a", u"abc", r, 0), 0);
    EXPECT_EQ(fuzzy_ranges(u"a", u"abc", nullptr, 4), 0);
}

TEST(FuzzyScore, BandsOrderSubstringAboveScattered) {
    // The worst substring hit still beats the best scattered one.
    std::u16string longest(400, u'x');
    longest += u"ab";
    EXPECT_EQ(fuzzy_score(u"ab", longest.c_str(), 110, 100, 85), 61);
    EXPECT_EQ(fuzzy_score(u"ab", u"a-b", 110, 100, 85), 60);
    std::u16string spread = std::u16string(u"a") + std::u16string(300, u'x') + u"b";
    EXPECT_EQ(fuzzy_score(u"ab", spread.c_str(), 110, 100, 85), 40);
}

TEST(FuzzyScore, LongQueriesAndTexts) {
    // Long queries take the linear search path; the tiers must not change.
    std::u16string q(40, u'a');
    q += u'b';
    std::u16string word = std::u16string(u"zz") + std::u16string(100, u'a') + u" " + q + u"tail";
    EXPECT_EQ(fuzzy_score(q.c_str(), word.c_str(), 110, 100, 85), 85);
    std::u16string sub = std::u16string(u"zz") + std::u16string(100, u'a') + u"b" + u"tail";
    EXPECT_EQ(fuzzy_score(q.c_str(), sub.c_str(), 110, 100, 85), 89 - 8 - 20);
    EXPECT_EQ(fuzzy_score(q.c_str(), word.c_str(), 110, 100, -1), 89 - 8 - 20);  // first occurrence at 103
    std::u16string miss(1 << 20, u'a');  // 1 MiB units of "a" against "aaa...b"
    EXPECT_EQ(fuzzy_score(q.c_str(), miss.c_str(), 110, 100, 85), -1);
    std::u16string big_q(1 << 19, u'a');
    EXPECT_EQ(fuzzy_score(big_q.c_str(), miss.c_str(), 110, 100, 85), 100);
    big_q.back() = u'B';
    miss.back() = u'b';
    EXPECT_EQ(fuzzy_score(big_q.c_str(), miss.c_str(), 110, 100, 85), 89 - 8 - 20);
    MatchRange r[1];
    EXPECT_EQ(fuzzy_ranges(big_q.c_str(), miss.c_str(), r, 1), 1);
    EXPECT_EQ(r[0].start, (1 << 19));
    EXPECT_EQ(r[0].length, (1 << 19));
}

TEST(FuzzyScore, LeavesTheScratchArenaAsItFoundIt) {
    Arena* a = scratch_arena();
    uint64_t before = arena_used(a);
    std::u16string q(64, u'q');
    fuzzy_score(q.c_str(), (q + u"x").c_str(), 110, 100, 85);
    fuzzy_score(u"abc", u"xaxbxc", 110, 100, 85);
    EXPECT_EQ(arena_used(a), before);
}

TEST(FuzzyRanges, Examples) {
    struct Case {
        const char16_t* q;
        const char16_t* t;
        const char* want;
    } cases[] = {
        {u"note", u"note", "0:4"},
        {u"note", u"Notepad", "0:4"},
        {u"test", u"my-test", "3:4"},
        {u"test", u"contest", "3:4"},
        {u"xya", u"xylophone zebra", "0:1 1:1 14:1"},
        {u"zzz", u"abc", ""},
        {u"pax", u"C:\\projects\\pax\\demo.pax", "12:3"},  // word start wins over the earlier substring
        {u"ab", u"xab.ab", "4:2"},
        {u"AB", u"xAbab", "1:2"},
        {u"\xD800", u"a\xD800\xDC00", "1:1"},  // unpaired surrogates are plain units
    };
    for (const auto& c : cases) EXPECT_EQ(ranges_of(c.q, c.t), c.want) << u8(c.q) << " in " << u8(c.t);
}

TEST(FuzzyRanges, CapacityLimits) {
    EXPECT_EQ(ranges_of(u"xya", u"xylophone zebra", 3), "0:1 1:1 14:1");
    EXPECT_EQ(ranges_of(u"xya", u"xylophone zebra", 2), "");  // scattered needs one range per letter
    EXPECT_EQ(ranges_of(u"note", u"Notepad", 1), "0:4");
    MatchRange r[2] = {{-7, -7}, {-7, -7}};
    EXPECT_EQ(fuzzy_ranges(u"xy", u"x-y", r, 1), 0);
    EXPECT_EQ(r[1].start, -7);  // nothing written past the capacity
}

// Score and ranges agree on whether there is a match.
TEST(FuzzyRanges, AgreeWithScore) {
    const char16_t* texts[] = {u"Notepad++", u"C:\\Program Files\\Git", u"control panel", u"aaaaab", u"a"};
    const char16_t* queries[] = {u"n", u"pad", u"git", u"fg", u"cpl", u"ab", u"aab", u"zz", u"A", u"files\\"};
    for (const char16_t* t : texts) {
        for (const char16_t* q : queries) {
            MatchRange r[64];
            bool hit = fuzzy_score(q, t, 110, 100, 85) >= 0;
            EXPECT_EQ(fuzzy_ranges(q, t, r, 64) > 0, hit) << u8(q) << " in " << u8(t);
        }
    }
}

}  // namespace
