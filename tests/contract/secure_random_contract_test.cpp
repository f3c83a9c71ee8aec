// What the random-bytes capability must do, against the fake natively and BCryptGenRandom under wine.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "contract/backends.h"
#include "platform/secure_random.h"

namespace {

class SecureRandomContract : public BackendContract {
protected:
    void SetUp() override {
        BackendContract::SetUp();
        if (IsSkipped()) return;
        ASSERT_NE(backend_.platform.random, nullptr);
    }
    SecureRandom& rng() { return *backend_.platform.random; }
};

TEST_P(SecureRandomContract, FillsExactlyTheBytesAskedFor) {
    // Guard bytes on both sides stay untouched; the 37 bytes between them change.
    std::array<uint8_t, 8 + 37 + 8> buf;
    buf.fill(0xA5);
    ASSERT_TRUE(rng().fill(buf.data() + 8, 37));
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(buf[i], 0xA5);
        EXPECT_EQ(buf[buf.size() - 1 - i], 0xA5);
    }
    int unchanged = 0;
    for (size_t i = 8; i < 8 + 37; ++i) unchanged += buf[i] == 0xA5;
    EXPECT_LT(unchanged, 5);
    EXPECT_TRUE(rng().fill(buf.data(), 0));
    EXPECT_EQ(buf[0], 0xA5);
}

TEST_P(SecureRandomContract, SuccessiveFillsDiffer) {
    std::array<uint8_t, 32> a{}, b{};
    ASSERT_TRUE(rng().fill(a.data(), a.size()));
    ASSERT_TRUE(rng().fill(b.data(), b.size()));
    EXPECT_NE(a, b);
}

TEST_P(SecureRandomContract, EveryByteValueIsAboutEquallyLikely) {
    // 1 MiB: each value is expected 4096 times with a spread of about 64; the bounds sit more
    // than fifteen spreads away, so only a broken generator falls outside them.
    std::vector<uint8_t> data(1 << 20);
    ASSERT_TRUE(rng().fill(data.data(), data.size()));
    std::array<int, 256> seen{};
    for (uint8_t b : data) ++seen[b];
    for (int v = 0; v < 256; ++v) {
        EXPECT_GT(seen[v], 3000) << v;
        EXPECT_LT(seen[v], 5200) << v;
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, SecureRandomContract, ::testing::Values("fake", "win32"));

}  // namespace
