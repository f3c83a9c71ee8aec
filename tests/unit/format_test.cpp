#include <gtest/gtest.h>

#include <string>

#include "core/format.h"
#include "platform/fake/fake_world.h"
#include "support/u16.h"

namespace {

std::u16string size_text(uint64_t bytes) {
    char16_t buf[32];
    format_size(bytes, buf, 32);
    return buf;
}

TEST(Format, Sizes) {
    struct Case {
        uint64_t bytes;
        const char16_t* text;
    } cases[] = {
        {0, u"0 B"},
        {999, u"999 B"},
        {1024, u"1.0 KiB"},
        {1536, u"1.5 KiB"},
        {1ull << 20, u"1.0 MiB"},
        {(3ull << 20) / 2, u"1.5 MiB"},
        {1ull << 30, u"1.00 GiB"},
        {3ull << 30, u"3.00 GiB"},
    };
    for (const auto& c : cases) EXPECT_EQ(size_text(c.bytes), c.text) << c.bytes;
    char16_t tiny[4] = {9, 9, 9, 9};
    format_size(1536, tiny, 4);
    EXPECT_EQ(std::u16string(tiny), u"1.5");
    format_size(1, nullptr, 4);
    format_size(1, tiny, 0);
    EXPECT_EQ(tiny[0], u'1');
}

TEST(Format, FiletimeInLocalTime) {
    FakeWorld world;
    PlatformScope scope(world.platform());
    char buf[64];
    EXPECT_EQ(format_filetime(nullptr, buf, sizeof buf), 0);
    struct Case {
        int offset_minutes;
        uint64_t ft;
        const char* text;
    } cases[] = {
        {0, civil_to_filetime(2026, 12, 10, 0, 5, 0), "Dec 10 2026 12:05 AM"},
        {0, civil_to_filetime(2026, 1, 2, 12, 0, 0), "Jan 2 2026 12:00 PM"},
        {0, civil_to_filetime(2024, 2, 29, 23, 59, 59), "Feb 29 2024 11:59 PM"},
        {120, civil_to_filetime(2026, 12, 31, 23, 30, 0), "Jan 1 2027 1:30 AM"},
        {-60, civil_to_filetime(2026, 7, 4, 0, 30, 0), "Jul 3 2026 11:30 PM"},
    };
    for (const auto& c : cases) {
        world.clock.set_utc_offset_minutes(c.offset_minutes);
        ASSERT_EQ(format_filetime(&c.ft, buf, sizeof buf), 1);
        EXPECT_STREQ(buf, c.text);
    }
    uint64_t bad = 0xFFFFFFFFFFFFFFFFull;
    EXPECT_EQ(format_filetime(&bad, buf, sizeof buf), 0);
}

TEST(Format, Usage) {
    struct Case {
        uint64_t used, free, total;
        const char* text;
    } cases[] = {
        {3ull << 30, 1ull << 30, 4ull << 30, "3.00 used \xC2\xB7 1.00 free of 4.00 GiB"},
        {1ull << 20, 1ull << 20, 2ull << 20, "1.0 used \xC2\xB7 1.0 free of 2.0 MiB"},
        {1024, 1024, 2048, "1.0 used \xC2\xB7 1.0 free of 2.0 KiB"},
        {100, 900, 1000, "100 used \xC2\xB7 900 free of 1000 B"},
    };
    char16_t buf[80];
    for (const auto& c : cases) {
        format_usage(c.used, c.free, c.total, buf, 80);
        EXPECT_EQ(u8(buf), c.text);
    }
}

TEST(Format, Formatter) {
    char16_t buf[64];
    text_format(buf, 64, "%d results", 12);
    EXPECT_EQ(std::u16string(buf), u"12 results");
    text_format(buf, 64, "PID %lu - %s", 4242ul, u"notepad.exe");
    EXPECT_EQ(std::u16string(buf), u"PID 4242 - notepad.exe");
    text_format(buf, 64, "[%5s|%-3d|%02d|%x|%%|%hs|%c]", u"ab", 7, 5, 255u, "\xC2\xB7", 'z');
    EXPECT_EQ(std::u16string(buf), u"[   ab|7  |05|ff|%|\u00B7|z]");
    text_format(buf, 64, "%llu %.1f %s", 18446744073709551615ull, 2.26, static_cast<const char16_t*>(nullptr));
    EXPECT_EQ(std::u16string(buf), u"18446744073709551615 2.3 (null)");
    char16_t small[5];
    EXPECT_EQ(text_format(small, 5, "%s", u"abcdefgh"), 4u);
    EXPECT_EQ(std::u16string(small), u"abcd");
    // A surrogate pair is not split at the cut.
    char16_t pair[3];
    text_format(pair, 3, "a%s", u"\U0001F680");
    EXPECT_EQ(std::u16string(pair), u"a");
}

}  // namespace
