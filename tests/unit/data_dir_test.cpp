#include <gtest/gtest.h>

#include <string>

#include "store/data_dir.h"
#include "store/data_files.h"
#include "unit/store_fixture.h"

namespace {

class DataDirTest : public ::testing::Test {
protected:
    void SetUp() override { StoreTest::reset_stores(); }
    void TearDown() override { StoreTest::reset_stores(); }
    std::string path(const char16_t* name, size_t capacity = kDataPathCapacity) {
        char16_t out[kDataPathCapacity * 2];
        if (data_file_path(name, out, capacity) != 0) return "<fail>";
        return u8(out);
    }
    FakeWorld w;
    PlatformScope s{w.platform()};
};

const char16_t* kRoaming = u"C:\\Users\\user\\AppData\\Roaming";

TEST_F(DataDirTest, ResolutionOrder) {
    w.files.set_known_folder(KnownFolder::RoamingAppData, kRoaming);
    w.files.add_folder(kRoaming);
    // Unset: the roaming folder's "Kestrune", created on the way.
    EXPECT_EQ(path(u"history.dat"), "C:\\Users\\user\\AppData\\Roaming\\Kestrune\\history.dat");
    EXPECT_TRUE(w.files.attributes(u"C:\\Users\\user\\AppData\\Roaming\\Kestrune") & win::kAttrDirectory);

    // Set: that folder, created one level deep (a missing parent is not created but still used).
    w.env.set(u"KESTRUNE_DATA_DIR", u"D:\\Data\\Kestrune");
    w.files.add_drive(u'D');
    EXPECT_EQ(path(u"history.dat"), "D:\\Data\\Kestrune\\history.dat");
    EXPECT_EQ(w.files.attributes(u"D:\\Data"), win::kInvalidAttributes);
    w.env.set(u"KESTRUNE_DATA_DIR", u"D:\\Data");
    EXPECT_EQ(path(u"history.dat"), "D:\\Data\\history.dat");
    EXPECT_TRUE(w.files.attributes(u"D:\\Data") & win::kAttrDirectory);
    w.env.set(u"KESTRUNE_DATA_DIR", u"D:\\Data\\");
    EXPECT_EQ(path(u"history.dat"), "D:\\Data\\history.dat");
    w.env.set(u"KESTRUNE_DATA_DIR", u"");
    EXPECT_EQ(path(u"x"), "C:\\Users\\user\\AppData\\Roaming\\Kestrune\\x");

    // Too long for MAX_PATH: the next step is tried.
    w.env.set(u"KESTRUNE_DATA_DIR", cat16(u"C:\\", std::u16string(250, u'd')));
    EXPECT_EQ(path(u"history.dat"), "C:\\Users\\user\\AppData\\Roaming\\Kestrune\\history.dat");
    w.env.set(u"KESTRUNE_DATA_DIR", cat16(u"C:\\", std::u16string(243, u'd')));  // 246 + 11 + 2 = 259 fits
    EXPECT_EQ(path(u"history.dat").size(), 258u);

    // No usable folder: beside the executable.
    w.env.set(u"KESTRUNE_DATA_DIR", std::nullopt);
    w.files.set_known_folder(KnownFolder::RoamingAppData, cat16(u"C:\\", std::u16string(250, u'r')));
    w.files.set_module_path(u"C:\\Tools\\kestrune.exe");
    EXPECT_EQ(path(u"history.dat"), "C:\\Tools\\history.dat");
    w.files.set_module_path(cat16(u"C:\\", std::u16string(250, u'm'), u"\\k.exe"));
    EXPECT_EQ(path(u"history.dat"), "<fail>");
    w.files.set_module_path(u"nomodule");
    EXPECT_EQ(path(u"history.dat"), "<fail>");
}

TEST_F(DataDirTest, DirectoryAndCapacity) {
    w.env.set(u"KESTRUNE_DATA_DIR", u"C:\\KData");
    char16_t out[kDataPathCapacity];
    ASSERT_EQ(data_dir_path(out, kDataPathCapacity), 0);
    EXPECT_EQ(u8(out), "C:\\KData");
    EXPECT_EQ(data_dir_path(out, 8), -1);  // "C:\KData" needs 9 units with its terminator
    EXPECT_EQ(data_dir_path(out, 9), 0);
    EXPECT_EQ(path(u"a.dat", 12), "<fail>");
    EXPECT_EQ(path(u"a.dat", 15), "C:\\KData\\a.dat");
    ASSERT_EQ(data_dir_file(u"settings.dat", out, kDataPathCapacity), 0);
    EXPECT_EQ(u8(out), "C:\\KData\\settings.dat");
}

TEST_F(DataDirTest, LegacyRetireMovesAsideOnceAndNeverOverwritesABackup) {
    w.env.set(u"KESTRUNE_DATA_DIR", u"C:\\KData");
    w.files.add_file(u"C:\\KData\\history.json", "new");
    legacy_file_retire(u"history.dat", u"history.json");
    EXPECT_EQ(w.files.attributes(u"C:\\KData\\history.json"), win::kInvalidAttributes);
    EXPECT_EQ(*w.files.contents(u"C:\\KData\\history.json.bak"), "new");
    w.files.add_file(u"C:\\KData\\history.json", "newer");
    legacy_file_retire(u"history.dat", u"history.json");
    EXPECT_EQ(*w.files.contents(u"C:\\KData\\history.json.bak"), "new");
    EXPECT_EQ(*w.files.contents(u"C:\\KData\\history.json"), "newer");
}

TEST_F(DataDirTest, EnsureCreatesTheFilesInTheChosenFolder) {
    w.env.set(u"KESTRUNE_DATA_DIR", u"C:\\KData");
    data_files_ensure();
    EXPECT_EQ(*w.files.contents(u"C:\\KData\\quick_access.dat"), "\xEF\xBB\xBF# Kestrune data v1\r\n");
    EXPECT_EQ(*w.files.contents(u"C:\\KData\\history.dat"), "\xEF\xBB\xBF# Kestrune data v1\r\n");
}

}  // namespace
