// The password tool against the fake generator: option parsing, the shape and the alphabet of
// every style, unbiased draws, and the row a user sees when the generator fails.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "core/row.h"
#include "core/text.h"
#include "platform/fake/fake_world.h"
#include "sources/password.h"
#include "support/u16.h"

namespace {

class Password : public ::testing::Test {
protected:
    void SetUp() override { w_.random.reset(7); }
    // The rows password_rows adds for the text after the prefix.
    std::vector<Row> rows(const char16_t* text) {
        rowlist_free(&list_);
        rowlist_init(&list_, nullptr);
        password_rows(text, &list_);
        return std::vector<Row>(list_.items, list_.items + list_.count);
    }
    void TearDown() override { rowlist_free(&list_); }

    FakeWorld w_;
    PlatformScope scope_{w_.platform()};
    RowList list_{};
};

std::u16string_view view(const char16_t* s) { return text_view(s); }
bool is_consonant(char16_t c) { return std::u16string_view(u"bcdfghjklmnpqrstvwxyz").find(c) != std::u16string_view::npos; }
bool is_vowel(char16_t c) { return std::u16string_view(u"aeiou").find(c) != std::u16string_view::npos; }
bool is_symbol(char16_t c) { return std::u16string_view(u"!@#$%^&*?+-").find(c) != std::u16string_view::npos; }
bool is_digit(char16_t c) { return c >= u'0' && c <= u'9'; }
char16_t lower(char16_t c) { return text_fold(c); }

std::vector<std::u16string> split_dash(std::u16string_view s) {
    std::vector<std::u16string> parts;
    size_t start = 0;
    for (;;) {
        size_t dash = s.find(u'-', start);
        parts.emplace_back(s.substr(start, dash == s.npos ? s.npos : dash - start));
        if (dash == s.npos) return parts;
        start = dash + 1;
    }
}

TEST_F(Password, OptionsFromTheTextAfterThePrefix) {
    struct Case {
        const char16_t* text;
        PasswordStyle style;
        int32_t length;
        bool symbols;
    };
    const Case cases[] = {
        {u"", PasswordStyle::Readable, 18, false},
        {u"24", PasswordStyle::Readable, 24, false},
        {u"24 symbols", PasswordStyle::Readable, 24, true},
        {u"  sym\t30  ", PasswordStyle::Readable, 30, true},
        {u"SYMBOLS", PasswordStyle::Readable, 18, true},
        {u"symbolsx 24", PasswordStyle::Readable, 24, false},
        {u"pin", PasswordStyle::Pin, 6, false},
        {u"pin 8", PasswordStyle::Pin, 8, false},
        {u"8 Digits", PasswordStyle::Pin, 8, false},
        {u"numeric 128", PasswordStyle::Pin, 128, false},
        {u"alpha 10 symbols", PasswordStyle::Alpha, 10, true},
        {u"letters", PasswordStyle::Alpha, 18, false},
        {u"words", PasswordStyle::Words, 4, false},
        {u"words 3", PasswordStyle::Words, 3, false},
        {u"passphrase 40", PasswordStyle::Words, 12, false},
        {u"24 pin words", PasswordStyle::Words, 12, false},  // later words win; the clamp comes last
        {u"words pin", PasswordStyle::Pin, 6, false},
        {u"20 30", PasswordStyle::Readable, 30, false},
        {u"2", PasswordStyle::Readable, 2, false},
        {u"128", PasswordStyle::Readable, 128, false},
        {u"1", PasswordStyle::Readable, 18, false},
        {u"129", PasswordStyle::Readable, 18, false},
        {u"0", PasswordStyle::Readable, 18, false},
        {u"00024", PasswordStyle::Readable, 24, false},
        {u"-24", PasswordStyle::Readable, 18, false},
        {u"24x", PasswordStyle::Readable, 18, false},
        // Past 32 bits: ignored, never wrapped round to 18 or 24.
        {u"4294967314", PasswordStyle::Readable, 18, false},
        {u"4294967320 pin", PasswordStyle::Pin, 6, false},
        {u"99999999999999999999999999", PasswordStyle::Readable, 18, false},
    };
    for (const Case& c : cases) {
        PasswordOptions o = password_options(c.text);
        EXPECT_EQ(o.style, c.style) << u8(c.text);
        EXPECT_EQ(o.length, c.length) << u8(c.text);
        EXPECT_EQ(o.symbols, c.symbols) << u8(c.text);
    }
    // A word longer than 63 units is cut and then never a number, however it ends.
    std::u16string long_digits(70, u'0');
    long_digits += u"24";
    EXPECT_EQ(password_options(long_digits.c_str()).length, 18);
    EXPECT_EQ(password_options((std::u16string(63, u'0') + u"24").c_str()).length, 18);  // 65 units
    EXPECT_EQ(password_options((std::u16string(61, u'0') + u"24").c_str()).length, 24);  // 63 units
    EXPECT_EQ(password_options(nullptr).length, 18);
}

// Checks one readable or alpha password of `length` letters against the rules of its style. The
// groups are cut by position: "-" is also one of the symbols.
void check_grouped(std::u16string_view pw, int32_t length, bool symbols, bool alpha) {
    SCOPED_TRACE(u8(pw));
    const size_t group_count = size_t((length + 5) / 6);
    ASSERT_EQ(pw.size(), size_t(length) + group_count - 1);
    std::vector<std::u16string> groups;
    for (size_t gi = 0; gi < group_count; ++gi) {
        if (gi > 0) {
            EXPECT_EQ(pw[gi * 7 - 1], u'-');
        }
        groups.emplace_back(pw.substr(gi * 7, 6));
    }
    for (size_t gi = 0; gi < groups.size(); ++gi) {
        const std::u16string& g = groups[gi];
        ASSERT_EQ(g.size(), gi + 1 < groups.size() ? 6u : size_t(length - 6 * int(gi)));
        int digits = 0, uppers = 0, syms = 0;
        for (size_t p = 0; p < g.size(); ++p) {
            char16_t c = g[p];
            if (is_digit(c)) {
                ++digits;
                continue;
            }
            if (is_symbol(c)) {
                ++syms;
                continue;
            }
            if (c >= u'A' && c <= u'Z') ++uppers;
            // Letters keep their place in the consonant-vowel pattern, which restarts in each group.
            EXPECT_TRUE(p % 2 == 0 ? is_consonant(lower(c)) : is_vowel(lower(c))) << "position " << p;
        }
        if (alpha) {
            EXPECT_EQ(digits + syms, 0);
            continue;
        }
        EXPECT_EQ(digits, 1);
        EXPECT_EQ(uppers, g.size() >= 3 ? 1 : 0);
        EXPECT_EQ(syms, symbols && g.size() >= 4 ? 1 : 0);
    }
}

TEST_F(Password, EveryReadableAndAlphaCharacterComesFromItsSet) {
    char16_t buf[kPasswordBuffer];
    for (int32_t length : {2, 3, 4, 5, 6, 7, 10, 13, 18, 24, 127, 128}) {
        for (int round = 0; round < 40; ++round) {
            for (int style = 0; style < 3; ++style) {
                bool symbols = style == 1, alpha = style == 2;
                RandomDraws d;
                int32_t n = readable_password(d, length, symbols, alpha, buf, kPasswordBuffer);
                ASSERT_GT(n, 0);
                ASSERT_EQ(size_t(n), text_len(buf));
                check_grouped(std::u16string_view(buf, size_t(n)), length, symbols, alpha);
            }
        }
    }
}

TEST_F(Password, PinsAndPassphrasesComeFromTheirSets) {
    char16_t buf[kPasswordBuffer];
    for (int round = 0; round < 200; ++round) {
        RandomDraws d;
        int32_t length = 2 + round % 127;
        ASSERT_EQ(pin_password(d, length, buf, kPasswordBuffer), length);
        for (int32_t i = 0; i < length; ++i) EXPECT_TRUE(is_digit(buf[i]));

        int32_t words = 2 + round % 11;
        int32_t n = passphrase(d, words, buf, kPasswordBuffer);
        ASSERT_GT(n, 0);
        std::vector<std::u16string> parts = split_dash(std::u16string_view(buf, size_t(n)));
        ASSERT_EQ(parts.size(), size_t(words) + 1) << u8(buf);
        for (int32_t i = 0; i < words; ++i) {
            bool listed = false;
            for (int32_t k = 0; k < password_word_count(); ++k) listed |= parts[i] == password_word(k);
            EXPECT_TRUE(listed) << u8(parts[i]);
        }
        ASSERT_EQ(parts.back().size(), 2u);
        EXPECT_TRUE(is_digit(parts.back()[0]) && is_digit(parts.back()[1]));
    }
    // Too small a buffer gives nothing rather than a cut password.
    RandomDraws d;
    EXPECT_EQ(readable_password(d, 24, false, false, buf, 27), 0);
    EXPECT_EQ(readable_password(d, 24, false, false, buf, 28), 27);
    EXPECT_EQ(pin_password(d, 8, buf, 8), 0);
}

TEST_F(Password, RowsForEachStyle) {
    auto one = [&](const char16_t* text) {
        std::vector<Row> r = rows(text);
        EXPECT_EQ(r.size(), 1u) << u8(text);
        return r.empty() ? Row{} : r[0];
    };
    for (const char16_t* blank : {u"", u"  \t ", static_cast<const char16_t*>(nullptr)}) {
        Row help = one(blank);
        EXPECT_EQ(view(help.title), u"Password generator");
        EXPECT_EQ(view(help.subtitle), u"gen 24 symbols, gen pin 8, gen words 5 - Enter copies");
        EXPECT_EQ(help.kind, kKindInfo);
        EXPECT_EQ(help.score, 90);
        EXPECT_EQ(help.tag, tag::kUtility);
    }
    struct Case {
        const char16_t* text;
        size_t title_length;  // 0: the words style, length varies
        const char16_t* subtitle;
    };
    const Case cases[] = {
        {u"24", 27, u"24 chars - Enter copies - type to regenerate"},
        {u"  24 symbols", 27, u"24 chars - Enter copies - type to regenerate"},
        {u"pin 8", 8, u"8 digits - Enter copies - type to regenerate"},
        {u"pin", 6, u"6 digits - Enter copies - type to regenerate"},
        {u"alpha 10", 11, u"10 chars - Enter copies - type to regenerate"},
        {u"129", 20, u"18 chars - Enter copies - type to regenerate"},
        {u"words 40", 0, u"12 words - Enter copies - type to regenerate"},
        {u"words 3", 0, u"3 words - Enter copies - type to regenerate"},
    };
    for (const Case& c : cases) {
        Row r = one(c.text);
        EXPECT_EQ(r.kind, kKindCopyText) << u8(c.text);
        EXPECT_EQ(r.score, 100);
        EXPECT_EQ(r.tag, tag::kUtility);
        EXPECT_EQ(r.path, nullptr);
        EXPECT_EQ(view(r.target), view(r.title));
        EXPECT_EQ(view(r.subtitle), c.subtitle) << u8(c.text);
        if (c.title_length) {
            EXPECT_EQ(text_len(r.title), c.title_length) << u8(c.text);
        }
    }
    std::u16string words3(rows(u"words 3")[0].title);
    EXPECT_EQ(std::count(words3.begin(), words3.end(), u'-'), 3);
    std::u16string words40(rows(u"words 40")[0].title);
    EXPECT_EQ(split_dash(words40).size(), 13u);
    std::u16string symbols(rows(u"24 symbols")[0].title);
    for (size_t at : {20u, 13u, 6u}) symbols.erase(at, 1);  // the joining dashes ("-" is a symbol too)
    EXPECT_NE(symbols.find_first_of(u"!@#$%^&*?+-"), std::u16string::npos);
    std::u16string alpha(rows(u"alpha 10 symbols")[0].title);
    EXPECT_EQ(alpha.find_first_not_of(u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ-"), std::u16string::npos);
    EXPECT_EQ(alpha.find(u'-'), 6u);
    std::u16string two(rows(u"2")[0].title);
    EXPECT_EQ(two.find_first_of(u"ABCDEFGHIJKLMNOPQRSTUVWXYZ"), std::u16string::npos);
    // A new password on every keystroke.
    EXPECT_NE(std::u16string(rows(u"24")[0].title), std::u16string(rows(u"24")[0].title));
}

TEST_F(Password, RandomBelowRejectsTheBiasedTopOfTheRange) {
    struct Case {
        uint32_t n;
        std::initializer_list<uint32_t> words;
        uint32_t want;
    };
    // For n = 10 the words from 4294967290 up are refused; for n = 3 only 0xFFFFFFFF is.
    const Case cases[] = {
        {10, {0xFFFFFFFFu, 0xFFFFFFFAu, 4294967289u}, 9},
        {10, {7}, 7},
        {3, {0xFFFFFFFFu, 0xFFFFFFFEu}, 2},
        {48, {0xFFFFFFFFu, 95}, 47},
        {1u << 31, {0x80000001u}, 1},
    };
    for (const Case& c : cases) {
        w_.random.reset();
        w_.random.serve_words(c.words);
        RandomDraws d;
        uint32_t v = 99;
        ASSERT_TRUE(random_below(d, c.n, v));
        EXPECT_EQ(v, c.want) << c.n;
        // Every chosen word was read: the accepted one was the last.
        EXPECT_EQ(d.used, 4 * c.words.size());
    }
    RandomDraws d;
    uint32_t v = 5;
    EXPECT_TRUE(random_below(d, 1, v));
    EXPECT_EQ(v, 0u);
    EXPECT_TRUE(random_below(d, 0, v));
    EXPECT_EQ(v, 0u);
}

TEST_F(Password, HundredRejectedDrawsAreAFailureNotAModulo) {
    std::string top;
    for (int i = 0; i < 99; ++i) top += "\xff\xff\xff\xff";
    w_.random.reset();
    w_.random.serve(top + std::string("\x05\x00\x00\x00", 4));
    RandomDraws ok;
    uint32_t v = 0;
    ASSERT_TRUE(random_below(ok, 10, v));
    EXPECT_EQ(v, 5u);
    w_.random.reset();
    w_.random.serve(top + "\xff\xff\xff\xff");
    RandomDraws d;
    EXPECT_FALSE(random_below(d, 10, v));
    EXPECT_TRUE(d.failed);
}

TEST_F(Password, DrawsAreUniform) {
    // A chi-square test on a fixed pseudo-random stream: the same numbers on every run, so the
    // check is exact and never flaky. The bound is the 0.1% critical value for n - 1 degrees of
    // freedom; a modulo bias or an off-by-one in the range shows as a huge statistic.
    struct Case {
        uint32_t n;
        double bound;
    };
    const Case cases[] = {{2, 10.83}, {5, 18.47}, {10, 27.88}, {11, 29.59}, {21, 45.31}, {48, 79.84}};
    for (const Case& c : cases) {
        w_.random.reset(12345 + c.n);
        RandomDraws d;
        std::vector<int> seen(c.n, 0);
        const int draws = 2000 * int(c.n);
        for (int i = 0; i < draws; ++i) {
            uint32_t v = 0;
            ASSERT_TRUE(random_below(d, c.n, v));
            ASSERT_LT(v, c.n);
            ++seen[v];
        }
        double expected = double(draws) / c.n, chi = 0;
        for (int s : seen) chi += (s - expected) * (s - expected) / expected;
        EXPECT_LT(chi, c.bound) << "n=" << c.n;
    }
}

TEST_F(Password, AFailingGeneratorGivesAnInformationRowAndNoPassword) {
    for (const char16_t* text : {u"24", u"pin 8", u"words 5", u"alpha"}) {
        w_.random.fail_now();
        std::vector<Row> r = rows(text);
        ASSERT_EQ(r.size(), 1u) << u8(text);
        EXPECT_EQ(r[0].kind, kKindInfo);
        EXPECT_EQ(r[0].tag, tag::kInfo);
        EXPECT_EQ(r[0].target, nullptr);
        EXPECT_NE(text_view(r[0].title).find(u"random"), std::u16string_view::npos);
    }
    // Failing after the first block of bytes: no half-made password either.
    w_.random.reset();
    w_.random.fail_after(256);
    std::vector<Row> r = rows(u"128 symbols");
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].kind, kKindInfo);
    // The generator recovers: the next keystroke gets a password again.
    w_.random.fail_after(-1);
    r = rows(u"128 symbols");
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].kind, kKindCopyText);
    EXPECT_EQ(text_len(r[0].title), 128u + 21u);
}

}  // namespace
