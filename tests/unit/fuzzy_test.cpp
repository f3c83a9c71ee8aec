#include <gtest/gtest.h>

#include <algorithm>
#include <random>
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

char16_t fold_ascii(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

// The tiers computed the plainest way, on folded copies, as a reference for the fast paths.
int32_t reference_score(std::u16string q, std::u16string t, int32_t exact, int32_t prefix, int32_t word) {
    if (q.empty() || t.empty()) return -1;
    for (char16_t& c : q) c = fold_ascii(c);
    for (char16_t& c : t) c = fold_ascii(c);
    const size_t m = q.size(), n = t.size();
    if (q == t) return exact;
    if (m <= n && t.compare(0, m, q) == 0) return prefix;
    if (word >= 0) {
        for (size_t i = 1; i + m <= n; ++i) {
            if (fuzzy_is_word_break(t[i - 1]) && t.compare(i, m, q) == 0) return word;
        }
    }
    size_t p = t.find(q);
    if (p != std::u16string::npos) {
        return static_cast<int32_t>(89 - std::min<size_t>((n - m) / 4, 8) - std::min<size_t>(p, 20));
    }
    size_t j = 0;
    for (char16_t c : t) {
        if (j < m && c == q[j]) ++j;
    }
    if (j < m) return -1;
    return std::max(40, 60 - static_cast<int32_t>((n - m) / 8));
}

// Both scoring paths against the reference; the prepared one also through texts it was not built for.
void expect_same_scores(const std::u16string& q, const std::u16string& t) {
    ScratchScope scratch;
    FuzzyText pq = fuzzy_prepare(q.c_str(), q.size(), scratch.arena());
    FuzzyText pt = fuzzy_prepare(t.c_str(), t.size(), scratch.arena());
    ASSERT_NE(pq.folded, nullptr);
    ASSERT_NE(pt.folded, nullptr);
    for (int32_t word : {85, -1}) {
        int32_t want = reference_score(q, t, 110, 100, word);
        EXPECT_EQ(fuzzy_score(q.c_str(), t.c_str(), 110, 100, word), want) << u8(q) << " in " << u8(t) << " " << word;
        EXPECT_EQ(fuzzy_score_prepared(pq, pt, 110, 100, word), want) << u8(q) << " in " << u8(t) << " " << word;
        // An ASCII text also scores as its bytes.
        if (std::all_of(t.begin(), t.end(), [](char16_t c) { return c > 0 && c < 0x80; })) {
            const std::string bytes = u8(t);
            EXPECT_EQ(fuzzy_score_ascii(pq, bytes.data(), bytes.size(), 110, 100, word), want)
                << u8(q) << " in bytes " << bytes << " " << word;
        }
    }
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

// The unit summaries may only ever reject pairs that cannot match: a unit and its folded form
// set the same bit.
TEST(FuzzyPrepared, UnitBitsFollowFolding) {
    for (uint32_t c = 0; c <= 0xFFFF; ++c) {
        char16_t u = static_cast<char16_t>(c);
        ASSERT_EQ(fuzzy_unit_bit(u), fuzzy_unit_bit(fold_ascii(u))) << c;
    }
    EXPECT_NE(fuzzy_unit_bit(u'a'), fuzzy_unit_bit(u'b'));
    EXPECT_NE(fuzzy_unit_bit(u'z'), fuzzy_unit_bit(u'0'));
}

TEST(FuzzyPrepared, MatchesTheReferenceOnTheExamples) {
    const char16_t* pairs[][2] = {
        {u"note", u"Notepad"}, {u"NOTEPAD", u"notepad"}, {u"test", u"my-test"}, {u"test", u"contest"},
        {u"xya", u"xylophone zebra"}, {u"pad", u"Note pad pad"}, {u"notepad++", u"notepad"},
        {u"\u00c4", u"\u00e4"}, {u"d", u"C:\\d"}, {u"a", u" a"}, {u"pax", u"C:\\projects\\pax\\demo.pax"},
        {u"ab", u"xab.ab"}, {u"\xD800", u"a\xD800\xDC00"}, {u"en", u"g en"}, {u"a", u"a"}, {u"A", u"ba:a"},
    };
    for (const auto& p : pairs) expect_same_scores(p[0], p[1]);
    ScratchScope scratch;
    FuzzyText empty = fuzzy_prepare(u"", 0, scratch.arena());
    FuzzyText abc = fuzzy_prepare(u"abc", 3, scratch.arena());
    EXPECT_EQ(fuzzy_score_prepared(empty, abc, 110, 100, 85), -1);
    EXPECT_EQ(fuzzy_score_prepared(abc, empty, 110, 100, 85), -1);
    FuzzyText unfolded = abc;
    unfolded.folded = nullptr;  // no copy could be made
    EXPECT_EQ(fuzzy_score_prepared(unfolded, abc, 110, 100, 85), -1);
    EXPECT_EQ(fuzzy_score_prepared(abc, abc, 110, 100, 85), 110);
    EXPECT_EQ(fuzzy_score_ascii(empty, "abc", 3, 110, 100, 85), -1);
    EXPECT_EQ(fuzzy_score_ascii(abc, "", 0, 110, 100, 85), -1);
    EXPECT_EQ(fuzzy_score_ascii(unfolded, "abc", 3, 110, 100, 85), -1);
    EXPECT_EQ(fuzzy_score_ascii(abc, "xABCx", 5, 110, 100, 85), 89 - 0 - 1);
    EXPECT_EQ(fuzzy_score_ascii(abc, "ABCxxxx", 3, 110, 100, 85), 110);  // only the bytes given count
}

// Random pairs over a small alphabet (so that every tier comes up) of letters in both cases,
// digits, every word break, a letter beyond ASCII in both cases and surrogate halves; long queries
// are planted in their texts to reach the linear search.
TEST(FuzzyPrepared, MatchesTheReferenceOnRandomPairs) {
    const std::u16string alphabet = u"aAbBcC1 -./:\\_\u00e4\u00c4\xD83C\xDFB5";
    std::mt19937 rng(20261210);
    auto pick = [&](size_t n) {
        std::u16string s;
        std::uniform_int_distribution<size_t> d(0, alphabet.size() - 1);
        for (size_t i = 0; i < n; ++i) s += alphabet[d(rng)];
        return s;
    };
    std::uniform_int_distribution<size_t> qlen(1, 4), tlen(0, 24), coin(0, 3);
    for (int i = 0; i < 20000; ++i) expect_same_scores(pick(qlen(rng)), pick(tlen(rng)));
    for (int i = 0; i < 500; ++i) {
        std::u16string q = pick(33 + coin(rng) * 3);
        std::u16string planted = q;
        for (char16_t& c : planted) {
            if (coin(rng) == 0) c = c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
        }
        if (coin(rng) == 0) planted.pop_back();  // the scattered and no-match tiers as well
        std::u16string t = pick(tlen(rng)) + (coin(rng) < 2 ? u"-" : u"") + planted + pick(tlen(rng));
        expect_same_scores(q, t);
        expect_same_scores(q, planted);
    }
}

}  // namespace
