// What the clipboard must do, against the fake natively and against both the fake and Win32 under wine.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "contract/backends.h"

namespace {

class ClipboardContract : public BackendContract {
protected:
    Clipboard& cb() { return *backend_.platform.clipboard; }
};

TEST_P(ClipboardContract, TextRoundTrips) {
    const std::u16string cases[] = {
        u"plain text",
        u"caf\u00e9 \U0001F600 \u4e2d\u6587 end",  // a non-BMP character in the middle
        u"",
        u"line one\r\nline two\t",
    };
    for (const auto& text : cases) {
        ASSERT_EQ(cb().set_text(text), ClipboardResult::Ok);
        std::u16string back = u"stale";
        ASSERT_EQ(cb().get_text(back, 1 << 20), ClipboardResult::Ok);
        EXPECT_EQ(back, text);
    }
}

TEST_P(ClipboardContract, ReadsAreCutToTheLimitAndAtTheFirstNul) {
    ASSERT_EQ(cb().set_text(u"abcdef"), ClipboardResult::Ok);
    std::u16string back;
    ASSERT_EQ(cb().get_text(back, 4), ClipboardResult::Ok);
    EXPECT_EQ(back, u"abcd");
    ASSERT_EQ(cb().get_text(back, 0), ClipboardResult::Ok);
    EXPECT_EQ(back, u"");
    std::u16string with_nul(u"ab\0cd", 5);
    ASSERT_EQ(cb().set_text(with_nul), ClipboardResult::Ok);
    ASSERT_EQ(cb().get_text(back, 100), ClipboardResult::Ok);
    EXPECT_EQ(back, u"ab");
}

TEST_P(ClipboardContract, OneMebibyteOfText) {
    std::u16string big(1 << 20, u'x');
    for (size_t i = 0; i < big.size(); i += 997) big[i] = static_cast<char16_t>(u'a' + i % 26);
    ASSERT_EQ(cb().set_text(big), ClipboardResult::Ok);
    std::u16string back;
    ASSERT_EQ(cb().get_text(back, big.size() + 10), ClipboardResult::Ok);
    EXPECT_TRUE(back == big);
    ASSERT_EQ(cb().get_text(back, 1023), ClipboardResult::Ok);
    EXPECT_TRUE(back == big.substr(0, 1023));
}

TEST_P(ClipboardContract, AFileListReplacesTheText) {
    ASSERT_EQ(cb().set_text(u"before"), ClipboardResult::Ok);
    std::u16string path = backend_.sandbox + u"\\a.txt";
    std::string payload("\x14\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\x01\0\0\0", 20);
    for (char16_t c : path) payload += std::string{char(c & 0xFF), char(c >> 8)};
    payload.append(4, '\0');
    ASSERT_EQ(cb().set_file_drop(payload), ClipboardResult::Ok);
    std::u16string out;
    EXPECT_EQ(cb().get_text(out, 100), ClipboardResult::NoText);
    ASSERT_EQ(cb().set_text(u"after"), ClipboardResult::Ok);
    EXPECT_EQ(cb().get_text(out, 100), ClipboardResult::Ok);
    EXPECT_EQ(out, u"after");
}

#ifdef _WIN32
INSTANTIATE_TEST_SUITE_P(Backends, ClipboardContract, ::testing::Values("fake", "win32"));
#else
INSTANTIATE_TEST_SUITE_P(Backends, ClipboardContract, ::testing::Values("fake"));
#endif

}  // namespace
