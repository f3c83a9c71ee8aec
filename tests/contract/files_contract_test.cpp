// What each file operation must do, stated once and run against every backend: the fake world
// natively, and both the fake and real Win32 under wine. Where they disagree, Win32 is right.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "core/text.h"

#include "contract/backends.h"
#include "platform/fake/fake_world.h"
#include "platform/paths.h"
#include "support/u16.h"

using namespace std::string_literals;

namespace {

class FilesContract : public BackendContract {
protected:
    std::u16string at(std::u16string_view name) const { return path_join(backend_.sandbox, name); }
    Files& fs() { return *backend_.platform.files; }
};

TEST_P(FilesContract, AttributesOfFilesAndFolders) {
    EXPECT_EQ(fs().attributes(at(u"missing")), win::kInvalidAttributes);
    ASSERT_EQ(fs().create_folder(at(u"dir")), 0u);
    EXPECT_TRUE(fs().attributes(at(u"dir")) & win::kAttrDirectory);
    ASSERT_EQ(fs().write(at(u"dir\\f.txt"), "abc"), 0u);
    uint32_t a = fs().attributes(at(u"dir/F.TXT"));  // either separator, any case
    ASSERT_NE(a, win::kInvalidAttributes);
    EXPECT_FALSE(a & win::kAttrDirectory);
    FileInfo fi = fs().info(at(u"dir\\f.txt"));
    EXPECT_EQ(fi.size, 3u);
    EXPECT_NE(fi.write_time, 0u);
}

TEST_P(FilesContract, AttributesTellWhyTheyCannotBeRead) {
    ASSERT_EQ(fs().write(at(u"f.txt"), "x"), 0u);
    struct Case {
        const char16_t* name;
        uint32_t error;
    } cases[] = {
        {u"f.txt", win::kOk},
        {u"missing.txt", win::kErrFileNotFound},
        {u"nodir\\x.txt", win::kErrPathNotFound},
        {u"f.txt\\x", win::kErrPathNotFound},  // a file where a folder should be
    };
    for (const Case& c : cases) {
        uint32_t error = 12345;
        uint32_t a = fs().attributes(at(c.name), &error);
        EXPECT_EQ(error, c.error) << u8(c.name);
        EXPECT_EQ(a == win::kInvalidAttributes, c.error != win::kOk) << u8(c.name);
    }
    // Access denied needs a file the user may not look at; only the fake can make one here (the
    // tests run with full rights under wine).
    if (std::string(GetParam()) == "fake") {
        auto* world = static_cast<FakeWorld*>(backend_.owner.get());
        ASSERT_TRUE(world->files.set_access_denied(at(u"f.txt")));
        uint32_t error = 0;
        EXPECT_EQ(fs().attributes(at(u"f.txt"), &error), win::kInvalidAttributes);
        EXPECT_EQ(error, win::kErrAccessDenied);
        std::string back;
        EXPECT_EQ(fs().read(at(u"f.txt"), back, 100), win::kErrAccessDenied);
    }
}

TEST_P(FilesContract, ReadAndWriteWholeFiles) {
    std::string data = "line one\r\n\xEF\xBB\xBFnul\0byte"s;
    ASSERT_EQ(fs().write(at(u"data.bin"), data), 0u);
    std::string back;
    ASSERT_EQ(fs().read(at(u"DATA.bin"), back, 1 << 20), 0u);
    EXPECT_EQ(back, data);
    ASSERT_EQ(fs().write(at(u"data.bin"), "short"), 0u);  // truncates
    ASSERT_EQ(fs().read(at(u"data.bin"), back, 1 << 20), 0u);
    EXPECT_EQ(back, "short");
    ASSERT_EQ(fs().write(at(u"empty"), ""), 0u);
    ASSERT_EQ(fs().read(at(u"empty"), back, 1 << 20), 0u);
    EXPECT_EQ(back, "");
    EXPECT_EQ(fs().read(at(u"data.bin"), back, 4), win::kErrFileTooLarge);
    EXPECT_EQ(fs().read(at(u"missing.txt"), back, 100), win::kErrFileNotFound);
    EXPECT_EQ(fs().read(at(u"nodir\\x.txt"), back, 100), win::kErrPathNotFound);
    EXPECT_EQ(fs().write(at(u"nodir\\x.txt"), "x"), win::kErrPathNotFound);
    ASSERT_EQ(fs().create_folder(at(u"folder")), 0u);
    EXPECT_EQ(fs().read(at(u"folder"), back, 100), win::kErrAccessDenied);
    EXPECT_EQ(fs().write(at(u"folder"), "x"), win::kErrAccessDenied);
}

TEST_P(FilesContract, ListsEntriesWithoutDots) {
    ASSERT_EQ(fs().create_folder(at(u"list")), 0u);
    ASSERT_EQ(fs().create_folder(at(u"list\\Sub")), 0u);
    ASSERT_EQ(fs().write(at(u"list\\b.txt"), "12345"), 0u);
    ASSERT_EQ(fs().write(at(u"list\\Sub\\deep.txt"), "x"), 0u);
    std::vector<FileEntry> entries;
    ASSERT_EQ(fs().list(at(u"list"), entries), 0u);
    std::sort(entries.begin(), entries.end(), [](const FileEntry& a, const FileEntry& b) { return a.name < b.name; });
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, u"Sub");
    EXPECT_TRUE(entries[0].attributes & win::kAttrDirectory);
    EXPECT_EQ(entries[1].name, u"b.txt");
    EXPECT_EQ(entries[1].size, 5u);
    ASSERT_EQ(fs().list(at(u"list\\"), entries), 0u);  // a trailing separator is fine
    EXPECT_EQ(entries.size(), 2u);
    ASSERT_EQ(fs().create_folder(at(u"empty")), 0u);
    ASSERT_EQ(fs().list(at(u"empty"), entries), 0u);
    EXPECT_TRUE(entries.empty());
    EXPECT_NE(fs().list(at(u"missing"), entries), 0u);
}

TEST_P(FilesContract, ReplaceMovesInOneStep) {
    ASSERT_EQ(fs().write(at(u"final.dat"), "old"), 0u);
    ASSERT_EQ(fs().write(at(u"final.dat.tmp"), "new"), 0u);
    ASSERT_EQ(fs().replace(at(u"final.dat.tmp"), at(u"final.dat")), 0u);
    std::string back;
    ASSERT_EQ(fs().read(at(u"final.dat"), back, 100), 0u);
    EXPECT_EQ(back, "new");
    EXPECT_EQ(fs().attributes(at(u"final.dat.tmp")), win::kInvalidAttributes);
    ASSERT_EQ(fs().write(at(u"fresh.tmp"), "x"), 0u);
    EXPECT_EQ(fs().replace(at(u"fresh.tmp"), at(u"fresh.dat")), 0u);  // no file to replace yet
    EXPECT_EQ(fs().replace(at(u"missing.tmp"), at(u"final.dat")), win::kErrFileNotFound);
    ASSERT_EQ(fs().read(at(u"final.dat"), back, 100), 0u);
    EXPECT_EQ(back, "new");
}

TEST_P(FilesContract, RemoveAndFolders) {
    EXPECT_EQ(fs().remove(at(u"missing")), win::kErrFileNotFound);
    ASSERT_EQ(fs().write(at(u"f"), "x"), 0u);
    EXPECT_EQ(fs().remove(at(u"f")), 0u);
    EXPECT_EQ(fs().attributes(at(u"f")), win::kInvalidAttributes);
    ASSERT_EQ(fs().create_folder(at(u"d")), 0u);
    EXPECT_EQ(fs().create_folder(at(u"D")), win::kErrAlreadyExists);
    EXPECT_EQ(fs().create_folder(at(u"no\\such")), win::kErrPathNotFound);
    ASSERT_EQ(fs().write(at(u"d\\inside"), "x"), 0u);
    EXPECT_EQ(fs().remove_folder(at(u"d")), win::kErrDirNotEmpty);
    ASSERT_EQ(fs().remove(at(u"d\\inside")), 0u);
    EXPECT_EQ(fs().remove_folder(at(u"d")), 0u);
    EXPECT_EQ(fs().attributes(at(u"d")), win::kInvalidAttributes);
}

TEST_P(FilesContract, FullPaths) {
    struct Case {
        const char16_t* in;
        const char16_t* out;
    } cases[] = {
        {u"C:\\a\\..\\b", u"C:\\b"},
        {u"C:/a/./b", u"C:\\a\\b"},
        {u"c:\\a\\b\\", u"c:\\a\\b\\"},  // the drive letter keeps its case
        {u"C:\\a\\\\b", u"C:\\a\\b"},
        {u"C:\\..\\..\\x", u"C:\\x"},
        {u"C:\\dir\\name. ", u"C:\\dir\\name"},
    };
    for (const auto& c : cases) {
        std::u16string out;
        ASSERT_EQ(fs().full_path(c.in, out), 0u);
        EXPECT_EQ(out, c.out);
    }
    std::u16string out;
    EXPECT_NE(fs().full_path(u"", out), 0u);
}

TEST_P(FilesContract, SystemFolders) {
    std::u16string temp = fs().temp_folder();
    ASSERT_FALSE(temp.empty());
    EXPECT_EQ(temp.back(), u'\\');
    EXPECT_TRUE(fs().attributes(temp) & win::kAttrDirectory);
    for (KnownFolder id : {KnownFolder::RoamingAppData, KnownFolder::Programs, KnownFolder::CommonPrograms,
                           KnownFolder::Windows, KnownFolder::System}) {
        std::u16string p = fs().known_folder(id);
        ASSERT_FALSE(p.empty());
        EXPECT_EQ(p[1], u':');
        EXPECT_NE(p.back(), u'\\');
    }
    std::u16string exe = fs().module_path();
    ASSERT_GT(exe.size(), 4u);
    EXPECT_TRUE(text_ends_with_ci(exe, u".exe"));
}

TEST_P(FilesContract, ClockAndEnvironment) {
    Clock& clock = *backend_.platform.clock;
    uint64_t now = clock.now_filetime();
    EXPECT_GT(now, civil_to_filetime(2020, 1, 1, 0, 0, 0));
    LocalTime lt;
    ASSERT_TRUE(clock.to_local(now, lt));
    EXPECT_GE(lt.year, 2020);
    EXPECT_FALSE(clock.to_local(0x8000000000000000ull, lt));
    uint64_t t1 = clock.tick_ms();
    EXPECT_GE(clock.tick_ms(), t1);

    Environment& env = *backend_.platform.env;
    ASSERT_TRUE(env.set(u"Kestrune_Contract", u"value"));
    EXPECT_EQ(env.get(u"KESTRUNE_CONTRACT").value_or(u"?"), u"value");
    EXPECT_EQ(env.expand(u"a%kestrune_contract%b%NO_SUCH_VAR_XYZ%c"), u"avalueb%NO_SUCH_VAR_XYZ%c");
    ASSERT_TRUE(env.set(u"KESTRUNE_CONTRACT", std::nullopt));
    EXPECT_FALSE(env.get(u"Kestrune_Contract").has_value());
    EXPECT_TRUE(env.get(u"SystemRoot").has_value());
}

#ifdef _WIN32
INSTANTIATE_TEST_SUITE_P(Backends, FilesContract, ::testing::Values("fake", "win32"));
#else
INSTANTIATE_TEST_SUITE_P(Backends, FilesContract, ::testing::Values("fake"));
#endif

}  // namespace
