#include <gtest/gtest.h>

#include "core/arena.h"
#include "core/text.h"

namespace {

TEST(Text, CopiesNullInNullOut) {
    EXPECT_EQ(text_copy(nullptr, nullptr), nullptr);
    EXPECT_EQ(text_copy_n(nullptr, 3, nullptr), nullptr);
    Arena* a = arena_create(0);
    char16_t* c = text_copy_n(u"abcdef", 3, a);
    EXPECT_EQ(std::u16string(c), u"abc");
    char16_t* h = text_copy(u"heap", nullptr);
    EXPECT_EQ(std::u16string(h), u"heap");
    text_free(h);
    arena_destroy(a);
}

TEST(Text, AsciiOnlyCaseFolding) {
    char16_t buf[8];
    text_lower_copy(buf, u"AbÄZ", 4);
    EXPECT_EQ(std::u16string(buf), u"abÄz");  // only A-Z fold
    EXPECT_EQ(text_starts_with_ci(u"Control Panel", u"CONTROL"), 1);
    EXPECT_EQ(text_starts_with_ci(u"Con", u"Control"), 0);
    EXPECT_EQ(text_starts_with_ci(u"x", u""), 1);
    EXPECT_EQ(text_contains_ci(u"Windows Update", u"UPDATE"), 1);
    EXPECT_EQ(text_contains_ci(u"Windows", u""), 1);
    EXPECT_EQ(text_contains_ci(u"Windows", nullptr), 0);
    EXPECT_EQ(text_contains_ci(nullptr, u"a"), 0);
    EXPECT_EQ(text_contains_ci(u"ääb", u"ÄB"), 0);
    EXPECT_EQ(text_contains_ci(u"aab", u"ab"), 1);
}

TEST(Text, NamePartAndBlanks) {
    struct Case {
        const char16_t* in;
        const char16_t* out;
    } cases[] = {
        {u"C:\\a\\b.txt", u"b.txt"}, {u"a/b/c", u"c"}, {u"C:\\a/b\\c", u"c"},
        {u"plain", u"plain"},        {u"C:\\", u""},   {nullptr, u""},
    };
    for (const auto& c : cases) EXPECT_EQ(std::u16string(path_name_part(c.in)), c.out);
    EXPECT_EQ(std::u16string(skip_blanks(u" \t x ")), u"x ");
    EXPECT_EQ(std::u16string(skip_blanks(u"   ")), u"");
}

TEST(Text, CopyToCutsAndTerminates) {
    char16_t buf[4] = {1, 1, 1, 1};
    EXPECT_EQ(text_copy_to(buf, 4, u"abcdef"), 3u);
    EXPECT_EQ(std::u16string(buf), u"abc");
    EXPECT_EQ(text_copy_to(buf, 1, u"abc"), 0u);
    EXPECT_EQ(buf[0], 0);
    EXPECT_EQ(text_copy_to(nullptr, 4, u"abc"), 0u);
}

}  // namespace

#include "ui/theme_names.h"

namespace {
TEST(Theme, ParseAndCycle) {
    EXPECT_EQ(theme_parse(u"LIGHT"), kThemeLight);
    EXPECT_EQ(theme_parse(u"High-Contrast"), kThemeHighContrast);
    EXPECT_EQ(theme_parse(u"hc"), kThemeHighContrast);
    EXPECT_EQ(theme_parse(u""), kThemeDark);
    EXPECT_EQ(theme_parse(u"solarized"), kThemeDark);
    EXPECT_EQ(std::u16string(theme_stored_name(theme_parse(u"highcontrast"))), u"hc");
    EXPECT_EQ(theme_cycle(kThemeHighContrast, 1), kThemeDark);
    EXPECT_EQ(theme_cycle(kThemeDark, -1), kThemeHighContrast);
    EXPECT_EQ(theme_cycle(kThemeDark, 1), kThemeLight);
}
}  // namespace
