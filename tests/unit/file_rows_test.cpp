#include <gtest/gtest.h>

#include "indexers/file_rows.h"
#include "support/u16.h"

namespace {

TEST(FileRows, ScoreTakesTheBetterOfTheWholeTextAndItsLastPart) {
    EXPECT_EQ(file_row_score(nullptr, u"a.txt"), 0);
    EXPECT_EQ(file_row_score(u"", u"a.txt"), 0);  // an empty scoring text scores like none
    EXPECT_EQ(file_row_score(u"report", u"report"), 110);
    EXPECT_EQ(file_row_score(u"zzz", u"report.txt"), 55);
    // "docs\rep" does not match "report.txt" as a whole, its part after the separator does.
    EXPECT_EQ(file_row_score(u"docs\\rep", u"report.txt"), file_row_score(u"rep", u"report.txt"));
    EXPECT_EQ(file_row_score(u"docs/", u"report.txt"), 55);
}

TEST(FileRows, JoinsWithOneSeparatorAndKeepsDrivesRooted) {
    EXPECT_EQ(u8(file_join_path(u"C:\\", u"a")), "C:\\a");
    EXPECT_EQ(u8(file_join_path(u"C:\\Users", u"a")), "C:\\Users\\a");
    EXPECT_EQ(u8(file_join_path(u"", u"name")), "name");
    EXPECT_EQ(u8(file_join_path(u"", u"C:")), "C:\\");
    EXPECT_EQ(u8(file_join_path(u"\\\\server\\share\\", u"f")), "\\\\server\\share\\f");
}

}  // namespace
