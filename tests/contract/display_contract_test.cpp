// What the monitor list must hold, against the fake monitors natively and the real desktop under
// wine.
#include <gtest/gtest.h>

#include <vector>

#include "app/placement.h"
#include "contract/backends.h"
#include "platform/display.h"

namespace {

class DisplayContract : public BackendContract {};

TEST_P(DisplayContract, MonitorsHaveNamesWorkAreasInsideThemAndOnePrimary) {
    ASSERT_NE(backend_.platform.display, nullptr);
    std::vector<DisplayMonitor> monitors;
    backend_.platform.display->monitors(monitors);
    ASSERT_FALSE(monitors.empty());
    int primaries = 0;
    for (const auto& m : monitors) {
        ASSERT_TRUE(m.info_ok);
        primaries += m.primary ? 1 : 0;
        char16_t clean[kMonitorDeviceCap];
        EXPECT_GT(monitor_device_clean(m.device, clean, kMonitorDeviceCap), 0u);
        EXPECT_LT(m.rect.left, m.rect.right);
        EXPECT_LT(m.rect.top, m.rect.bottom);
        EXPECT_GE(m.work.left, m.rect.left);
        EXPECT_GE(m.work.top, m.rect.top);
        EXPECT_LE(m.work.right, m.rect.right);
        EXPECT_LE(m.work.bottom, m.rect.bottom);
        EXPECT_GE(m.dpi, 48u);
    }
    EXPECT_EQ(primaries, 1);
}

#ifdef _WIN32
INSTANTIATE_TEST_SUITE_P(Backends, DisplayContract, ::testing::Values("fake", "win32"));
#else
INSTANTIATE_TEST_SUITE_P(Backends, DisplayContract, ::testing::Values("fake"));
#endif

}  // namespace
