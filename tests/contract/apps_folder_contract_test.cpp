// What reading the Applications folder must do on every backend: it lists only items with a
// display name and a parsing name, gives the same answer when asked again (a folder that cannot
// be read fails both times and lists nothing), and accepts a null icon to destroy.
#include <gtest/gtest.h>

#include "contract/backends.h"

namespace {

class AppsFolderContract : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        if (!contract_backend_open(GetParam(), backend_)) GTEST_SKIP() << GetParam() << " is not available here";
    }
    void TearDown() override { contract_backend_close(backend_); }
    ContractBackend backend_;
};

TEST_P(AppsFolderContract, ListsNamedItemsTheSameWayTwice) {
    ASSERT_NE(backend_.platform.apps_folder, nullptr);
    AppsFolder& folder = *backend_.platform.apps_folder;
    std::vector<PackagedApp> first, second;
    uint32_t rc = folder.enumerate(first);
    EXPECT_EQ(folder.enumerate(second), rc);
    if (rc != 0) {
        EXPECT_TRUE(first.empty());
    }
    ASSERT_EQ(first.size(), second.size());
    for (size_t i = 0; i < first.size(); ++i) {
        EXPECT_FALSE(first[i].name.empty());
        EXPECT_FALSE(first[i].parsing_name.empty());
        EXPECT_EQ(first[i].name, second[i].name);
        EXPECT_EQ(first[i].parsing_name, second[i].parsing_name);
    }
    folder.destroy_icon(nullptr);
}

#ifdef _WIN32
INSTANTIATE_TEST_SUITE_P(Backends, AppsFolderContract, ::testing::Values("fake", "win32"));
#else
INSTANTIATE_TEST_SUITE_P(Backends, AppsFolderContract, ::testing::Values("fake"));
#endif

}  // namespace
