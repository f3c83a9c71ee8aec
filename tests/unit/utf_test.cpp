#include <gtest/gtest.h>

#include "core/utf.h"

namespace {

TEST(Utf, MalformedUtf8BecomesReplacement) {
    struct Case {
        std::string in;
        std::u16string out;
    } cases[] = {
        {"abc", u"abc"},
        {"\xC2\xB7", u"\u00B7"},
        {"\xF0\x9F\x9A\x80", u"\U0001F680"},
        {"\xC0\x80", u"\uFFFD\uFFFD"},          // overlong NUL
        {"\xED\xA0\x80", u"\uFFFD"},            // encoded surrogate
        {"\xE2\x82", u"\uFFFD"},                // truncated at the end
        {"\xE2\x82x", u"\uFFFDx"},              // truncated before an ASCII byte
        {"\x80\xBF", u"\uFFFD\uFFFD"},          // stray continuation bytes
        {"\xF4\x90\x80\x80", u"\uFFFD"},        // past U+10FFFF
        {"\xFF", u"\uFFFD"},
    };
    for (const auto& c : cases) EXPECT_EQ(utf8_to_utf16(c.in), c.out) << c.in;
}

TEST(Utf, UnpairedSurrogatesBecomeReplacement) {
    std::u16string lone_high = u"a";
    lone_high += char16_t(0xD83D);
    lone_high += u"b";
    EXPECT_EQ(utf16_to_utf8(lone_high), "a\xEF\xBF\xBD" "b");
    std::u16string lone_low(1, char16_t(0xDE80));
    EXPECT_EQ(utf16_to_utf8(lone_low), "\xEF\xBF\xBD");
    EXPECT_EQ(utf16_to_utf8(u"\U0001F680"), "\xF0\x9F\x9A\x80");
}

TEST(Utf, BufferedConversionCutsOnCharacterBoundaries) {
    char16_t w[3];
    // The rocket needs two units; with room for only one besides "a" it is left out whole.
    EXPECT_EQ(utf8_to_utf16("a\xF0\x9F\x9A\x80", w, 3), 1u);
    EXPECT_EQ(w[0], u'a');
    EXPECT_EQ(w[1], 0);
    char n[4];
    EXPECT_EQ(utf16_to_utf8(u"a\u00B7\u00B7", n, 4), 3u);  // "a" + 2-byte dot; the second dot does not fit
    EXPECT_EQ(std::string(n), "a\xC2\xB7");
    EXPECT_EQ(utf8_to_utf16("abc", w, 0), 0u);
    EXPECT_EQ(utf16_to_utf8(u"abc", nullptr, 4), 0u);
}

}  // namespace
