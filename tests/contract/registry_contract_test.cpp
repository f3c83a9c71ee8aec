// What each registry read must do, run against the fake natively and against the fake and the
// real registry under wine. Only values every Windows has are read.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "contract/backends.h"
#include "core/text.h"

namespace {

constexpr const char16_t* kVersion = u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";

class RegistryContract : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        if (!contract_backend_open(GetParam(), backend_)) GTEST_SKIP() << GetParam() << " is not available here";
        ASSERT_NE(backend_.platform.registry, nullptr);
    }
    void TearDown() override { contract_backend_close(backend_); }
    Registry& reg() { return *backend_.platform.registry; }

    ContractBackend backend_;
};

bool all_digits(const std::u16string& s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; });
}

TEST_P(RegistryContract, ReadsStringValues) {
    std::u16string build;
    uint32_t kind = 0;
    ASSERT_EQ(reg().read_string(RegistryRoot::LocalMachine, kVersion, u"CurrentBuildNumber", build, &kind), 0u);
    EXPECT_TRUE(all_digits(build)) << "\"" << std::string(build.begin(), build.end()) << "\"";
    EXPECT_EQ(kind, win::kRegSz);
    std::u16string again;
    // Key and value names ignore case; a trailing separator on the key is accepted.
    ASSERT_EQ(reg().read_string(RegistryRoot::LocalMachine, u"software\\microsoft\\windows nt\\currentversion\\",
                                u"currentbuildnumber", again),
              0u);
    EXPECT_EQ(again, build);
    std::u16string program_files;
    ASSERT_EQ(reg().read_string(RegistryRoot::LocalMachine, u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                                u"ProgramFilesDir", program_files),
              0u);
    EXPECT_TRUE(program_files.size() > 3 && program_files[1] == u':');
}

TEST_P(RegistryContract, MissingKeysAndValuesAreNotFound) {
    std::u16string s = u"stale";
    uint32_t d = 7;
    EXPECT_EQ(reg().read_string(RegistryRoot::LocalMachine, kVersion, u"NoSuchValueKestrune", s), win::kErrFileNotFound);
    EXPECT_TRUE(s.empty());
    EXPECT_EQ(reg().read_string(RegistryRoot::LocalMachine, u"SOFTWARE\\NoSuchKeyKestrune", u"x", s), win::kErrFileNotFound);
    EXPECT_EQ(reg().read_dword(RegistryRoot::LocalMachine, u"SOFTWARE\\NoSuchKeyKestrune", u"x", d), win::kErrFileNotFound);
    EXPECT_EQ(d, 0u);
    std::vector<std::u16string> names{u"stale"};
    EXPECT_EQ(reg().list_subkeys(RegistryRoot::LocalMachine, u"SOFTWARE\\NoSuchKeyKestrune", names), win::kErrFileNotFound);
    EXPECT_TRUE(names.empty());
}

TEST_P(RegistryContract, ReadsDwordValues) {
    uint32_t major = 0;
    ASSERT_EQ(reg().read_dword(RegistryRoot::LocalMachine, kVersion, u"CurrentMajorVersionNumber", major), 0u);
    EXPECT_EQ(major, 10u);
}

TEST_P(RegistryContract, ValuesOfAnotherTypeAreRefused) {
    std::u16string s = u"stale";
    EXPECT_EQ(reg().read_string(RegistryRoot::LocalMachine, kVersion, u"CurrentMajorVersionNumber", s),
              win::kErrUnsupportedType);
    EXPECT_TRUE(s.empty());
    uint32_t d = 7;
    EXPECT_EQ(reg().read_dword(RegistryRoot::LocalMachine, kVersion, u"CurrentBuildNumber", d), win::kErrUnsupportedType);
    EXPECT_EQ(d, 0u);
}

TEST_P(RegistryContract, ListsSubkeysByName) {
    std::vector<std::u16string> names;
    ASSERT_EQ(reg().list_subkeys(RegistryRoot::LocalMachine, u"SOFTWARE\\Microsoft", names), 0u);
    auto has = [&](std::u16string_view n) {
        return std::any_of(names.begin(), names.end(), [&](const std::u16string& s) { return text_equal_ci(s, n); });
    };
    EXPECT_TRUE(has(u"Windows NT"));
    EXPECT_TRUE(has(u"Windows"));
    for (const auto& n : names) EXPECT_EQ(n.find(u'\\'), n.npos);
    ASSERT_EQ(reg().list_subkeys(RegistryRoot::LocalMachine, u"software\\microsoft\\windows nt", names), 0u);
    EXPECT_TRUE(has(u"CurrentVersion"));
}

TEST_P(RegistryContract, ABatchReadGivesWhatSingleReadsGive) {
    RegistryRead reads[5];
    reads[0].name = u"CurrentBuildNumber";
    reads[1] = RegistryRead{u"CurrentMajorVersionNumber", true};
    reads[2].name = u"NoSuchValueKestrune";
    reads[3].name = u"CurrentMajorVersionNumber";  // a DWORD asked for as a string
    reads[4] = RegistryRead{u"currentbuildnumber", true};
    reads[4].text = u"stale";
    ASSERT_EQ(reg().read_values(RegistryRoot::LocalMachine, kVersion, reads, 5), 0u);
    std::u16string build;
    uint32_t kind = 0, major = 0;
    ASSERT_EQ(reg().read_string(RegistryRoot::LocalMachine, kVersion, u"CurrentBuildNumber", build, &kind), 0u);
    ASSERT_EQ(reg().read_dword(RegistryRoot::LocalMachine, kVersion, u"CurrentMajorVersionNumber", major), 0u);
    EXPECT_EQ(reads[0].err, 0u);
    EXPECT_EQ(reads[0].text, build);
    EXPECT_EQ(reads[0].kind, kind);
    EXPECT_EQ(reads[1].err, 0u);
    EXPECT_EQ(reads[1].value, major);
    EXPECT_EQ(reads[2].err, win::kErrFileNotFound);
    EXPECT_EQ(reads[3].err, win::kErrUnsupportedType);
    EXPECT_TRUE(reads[3].text.empty());
    EXPECT_EQ(reads[4].err, win::kErrUnsupportedType);
    EXPECT_TRUE(reads[4].text.empty());

    RegistryRead missing[2];
    missing[0].name = u"x";
    missing[1] = RegistryRead{u"y", true};
    EXPECT_EQ(reg().read_values(RegistryRoot::LocalMachine, u"SOFTWARE\\NoSuchKeyKestrune", missing, 2), win::kErrFileNotFound);
    EXPECT_EQ(missing[0].err, win::kErrFileNotFound);
    EXPECT_EQ(missing[1].err, win::kErrFileNotFound);
}

INSTANTIATE_TEST_SUITE_P(Backends, RegistryContract, ::testing::Values("fake", "win32"));

}  // namespace
