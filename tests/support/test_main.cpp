// Every test starts in a fresh fake world unless it installs something else.
#include <gtest/gtest.h>

#include "platform/fake/fake_world.h"

namespace {
class FakeWorldEnvironment : public ::testing::Environment {
public:
    void SetUp() override { platform_install(world_.platform()); }

private:
    FakeWorld world_;
};
}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new FakeWorldEnvironment);
    return RUN_ALL_TESTS();
}
