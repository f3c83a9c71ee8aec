// What the shell must do, against the fake natively and against both the fake and Win32 under
// wine. Only calls without visible effects are stated here; the launches are tested in
// tests/win32/actions_test.cpp.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "contract/backends.h"

namespace {

class ShellContract : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        if (!contract_backend_open(GetParam(), backend_)) GTEST_SKIP() << GetParam() << " is not available here";
    }
    void TearDown() override { contract_backend_close(backend_); }
    Shell& shell() { return *backend_.platform.shell; }

    ContractBackend backend_;
};

TEST_P(ShellContract, SearchPathOfAMissingProgramFailsWithFileNotFound) {
    std::u16string out = u"stale";
    EXPECT_EQ(shell().search_path(u"kestrune-no-such-program-4711.exe", out), win::kErrFileNotFound);
    EXPECT_TRUE(out.empty());
}

#ifdef _WIN32
INSTANTIATE_TEST_SUITE_P(Backends, ShellContract, ::testing::Values("fake", "win32"));
#else
INSTANTIATE_TEST_SUITE_P(Backends, ShellContract, ::testing::Values("fake"));
#endif

}  // namespace
