#include <gtest/gtest.h>

#include <string>

#include "store/menu_usage.h"
#include "unit/store_fixture.h"

namespace {

using MenuUsageTest = StoreTest;

std::string key(int32_t kind, const char16_t* label, const char16_t* verb) {
    char16_t out[kMenuUsageKeyCapacity];
    menu_usage_key(kind, label, verb, out, kMenuUsageKeyCapacity);
    return u8(out);
}

TEST_F(MenuUsageTest, Keys) {
    EXPECT_EQ(key(40, u"Edit", u"edit"), "verb:edit");
    EXPECT_EQ(key(40, u"Edit", u""), "act:40");
    EXPECT_EQ(key(8, u"Pin to Quick Access", nullptr), "pin");
    EXPECT_EQ(key(9, u"Copy path", nullptr), "copy:Copy path");
    EXPECT_EQ(key(9, nullptr, nullptr), "act:9");
    EXPECT_EQ(key(10, u"Copy file", nullptr), "copy:file");
    EXPECT_EQ(key(5, u"Open containing folder", nullptr), "act:5");
    EXPECT_EQ(key(40, nullptr, std::u16string(300, u'v').c_str()).size(), 127u);
}

TEST_F(MenuUsageTest, RecordCountsAndRewritesTheFile) {
    for (int i = 0; i < 5; ++i) menu_usage_record(9, u"Copy name", nullptr);
    menu_usage_record(8, u"Remove from Quick Access", nullptr);
    menu_usage_record(8, u"Pin to Quick Access", nullptr);
    EXPECT_EQ(menu_usage_count(9, u"COPY NAME", nullptr), 5);  // keys ignore case
    EXPECT_EQ(menu_usage_count(8, nullptr, nullptr), 2);
    EXPECT_EQ(menu_usage_count(7, nullptr, nullptr), 0);
    EXPECT_EQ(*file(u"menu_usage.dat"), "\xEF\xBB\xBF" "5\tcopy:Copy name\r\n2\tpin\r\n");
    menu_usage_reset();
    EXPECT_EQ(menu_usage_count(9, u"Copy name", nullptr), 5);
}

TEST_F(MenuUsageTest, FullTableEvictsTheLowestCount) {
    for (int32_t k = 100; k < 100 + kMenuUsageMaxEntries; ++k) {
        menu_usage_record(k, nullptr, nullptr);
        if (k != 110) menu_usage_record(k, nullptr, nullptr);
    }
    menu_usage_record(500, nullptr, nullptr);
    EXPECT_EQ(menu_usage_size(), kMenuUsageMaxEntries);
    EXPECT_EQ(menu_usage_count(110, nullptr, nullptr), 0);
    EXPECT_EQ(menu_usage_count(500, nullptr, nullptr), 1);
    EXPECT_EQ(u8(menu_usage_at(10)->key), "act:500");
}

TEST_F(MenuUsageTest, CountStopsAtTheCap) {
    put(u"menu_usage.dat", "999999\tact:5\n");
    menu_usage_record(5, nullptr, nullptr);
    menu_usage_record(5, nullptr, nullptr);
    EXPECT_EQ(menu_usage_count(5, nullptr, nullptr), kMenuUsageMaxCount);
}

TEST_F(MenuUsageTest, ReaderSkipsBadLines) {
    std::string longkey(300, 'k');
    menu_usage_parse(
        "\xEF\xBB\xBF" "7\tact:5\r\n0\tzero\n-3\tneg\nx\tletter\n4 space\n3\t\n2\tACT:5\n 6\tpadded\r\n"
        "9999999\tbig\n12\t" + longkey + std::string("\n5\tlast"));
    ASSERT_EQ(menu_usage_size(), 5);
    EXPECT_EQ(u8(menu_usage_at(0)->key), "act:5");
    EXPECT_EQ(menu_usage_at(0)->count, 7);
    EXPECT_EQ(u8(menu_usage_at(1)->key), "padded");
    EXPECT_EQ(menu_usage_at(2)->count, kMenuUsageMaxCount);
    EXPECT_EQ(u8(menu_usage_at(3)->key).size(), 127u);  // the line is cut at 255, the key at 127
    EXPECT_EQ(u8(menu_usage_at(4)->key), "last");

    menu_usage_reset();
    std::string many;
    for (int i = 0; i < 80; ++i) many += cat("1\tk", std::to_string(i), "\n");
    menu_usage_parse(many);
    EXPECT_EQ(menu_usage_size(), kMenuUsageMaxEntries);
}

}  // namespace
