// What handing a result to the launcher window must do on every backend: with no window the post
// fails, so that the sender keeps (and frees) what it meant to hand over.
#include <gtest/gtest.h>

#include "contract/backends.h"

namespace {

class WindowPostContract : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        if (!contract_backend_open(GetParam(), backend_)) GTEST_SKIP() << GetParam() << " is not available here";
    }
    void TearDown() override { contract_backend_close(backend_); }
    ContractBackend backend_;
};

TEST_P(WindowPostContract, PostWithoutAWindowFails) {
    ASSERT_NE(backend_.platform.window_post, nullptr);
    int payload = 0;
    EXPECT_FALSE(backend_.platform.window_post->post(0x8001, 7, &payload));
}

#ifdef _WIN32
INSTANTIATE_TEST_SUITE_P(Backends, WindowPostContract, ::testing::Values("fake", "win32"));
#else
INSTANTIATE_TEST_SUITE_P(Backends, WindowPostContract, ::testing::Values("fake"));
#endif

}  // namespace
