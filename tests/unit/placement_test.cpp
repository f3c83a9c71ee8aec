#include <gtest/gtest.h>

#include <cstring>

#include "app/monitor_mode.h"
#include "app/placement.h"
#include "store/options.h"
#include "support/u16.h"

namespace {

constexpr ScreenRect kHd{0, 0, 1920, 1080};

TEST(Placement, DefaultPositionCentresDrops22PercentAndStaysInside) {
    struct Case {
        ScreenRect work;
        int32_t w, h;
        ScreenPoint want;
    } cases[] = {
        {kHd, 768, 500, {576, 237}},
        {{1920, -200, 3200, 824}, 768, 500, {2176, 25}},   // second monitor above the origin
        // 15 rows at width 1024 (876 px tall): 22 % down would hide the footer below the screen.
        {kHd, 1024, 876, {448, 204}},
        {{0, 0, 1920, 1040}, 1024, 876, {448, 164}},       // above a taskbar
        {{1920, 0, 3200, 1024}, 1024, 876, {2048, 148}},   // on a second monitor
        {{0, 0, 600, 400}, 768, 500, {0, 0}},              // larger than the area: its top-left corner
        {{100, 50, 50, 10}, 768, 500, {100, 50}},          // an area narrower than nothing
    };
    for (const Case& c : cases) {
        ScreenPoint p = placement_default(c.work, c.w, c.h);
        EXPECT_EQ(p.x, c.want.x) << c.work.left;
        EXPECT_EQ(p.y, c.want.y) << c.work.left;
    }
}

TEST(Placement, ClampKeepsTheWindowInsideTheArea) {
    struct Case {
        ScreenPoint in, want;
        int32_t w, h;
    } cases[] = {
        {{-50, 5000}, {0, 580}, 768, 500},
        {{100, 100}, {100, 100}, 768, 500},
        {{5000, -9}, {1152, 0}, 768, 500},
        {{300, 300}, {0, 0}, 2500, 1500},  // larger than the area: pinned to the left and top edges
    };
    for (const Case& c : cases) {
        ScreenPoint p = placement_clamp(kHd, c.in, c.w, c.h);
        EXPECT_EQ(p.x, c.want.x) << c.in.x;
        EXPECT_EQ(p.y, c.want.y) << c.in.y;
    }
}

TEST(Placement, DeviceNamesAreCleaned) {
    struct Case {
        std::u16string in;
        std::string want;
        size_t cap;
    } cases[] = {
        {u"\\\\.\\DISPLAY2", "DISPLAY2", kMonitorDeviceCap},
        {u"DISPLAY1", "DISPLAY1", kMonitorDeviceCap},
        {u"\\\\?\\Mon-1_A", "Mon1A", kMonitorDeviceCap},  // only the exact prefix is removed
        {u"\\\\.\\D\u00c9V 7", "DV7", kMonitorDeviceCap},
        {u"\\\\.\\DISPLAY12345", "DISP", 5},
        {u"", "", kMonitorDeviceCap},
    };
    for (const Case& c : cases) {
        char16_t out[kMonitorDeviceCap];
        std::memset(out, 0x55, sizeof out);
        size_t n = monitor_device_clean(c.in, out, c.cap);
        EXPECT_EQ(u8(std::u16string(out)), c.want);
        EXPECT_EQ(n, c.want.size());
    }
    char16_t forty[kMonitorDeviceCap];
    monitor_device_clean(std::u16string(40, u'X'), forty, kMonitorDeviceCap);
    EXPECT_EQ(std::u16string(forty).size(), kMonitorDeviceCap - 1);
}

class PlacementChoice : public ::testing::Test {
protected:
    MonitorDesc monitors[2] = {
        {{-1280, 0, 0, 1024}, {-1280, 0, 0, 984}, u"DISPLAY2"},
        {{0, 0, 1920, 1080}, {0, 0, 1920, 1040}, u"DISPLAY1"},
    };
    PlacementInput in() const {
        PlacementInput p{};
        p.monitors = monitors;
        p.monitor_count = 2;
        p.primary = 1;
        p.under_cursor = 0;
        p.fallback_work = kHd;
        p.w = 768;
        p.h = 500;
        return p;
    }
};

TEST_F(PlacementChoice, EachModeOpensOnItsMonitor) {
    PlacementInput p = in();
    p.mode = kMonitorPrimary;
    Placement r = placement_choose(p);
    EXPECT_EQ(r.monitor, 1);
    EXPECT_EQ(r.pos.x, 576);
    EXPECT_EQ(r.pos.y, 228);
    p.mode = kMonitorCursor;
    r = placement_choose(p);
    EXPECT_EQ(r.monitor, 0);
    EXPECT_EQ(r.pos.x, -1024);
    p.under_cursor = -1;  // the cursor could not be read: primary
    EXPECT_EQ(placement_choose(p).monitor, 1);
}

TEST_F(PlacementChoice, RememberedSpotIsFoundByNameAndClamped) {
    PlacementInput p = in();
    p.mode = kMonitorRemember;
    p.spot_remembered = true;
    p.spot = {-2000, 700};
    p.spot_device = u"display2";
    Placement r = placement_choose(p);
    EXPECT_EQ(r.monitor, 0);
    EXPECT_EQ(r.pos.x, -1280);
    EXPECT_EQ(r.pos.y, 484);

    p.spot_device = u"DISPLAY9";  // disconnected: primary with the default placement
    r = placement_choose(p);
    EXPECT_EQ(r.monitor, 1);
    EXPECT_EQ(r.pos.x, 576);

    p.spot_device = u"DISPLAY2";
    p.spot_remembered = false;
    EXPECT_EQ(placement_choose(p).monitor, 1);

    p.spot_remembered = true;
    p.mode = kMonitorPrimary;  // a spot is only used in remember mode
    EXPECT_EQ(placement_choose(p).monitor, 1);
}

TEST_F(PlacementChoice, NoMonitorsUsesTheFallbackArea) {
    PlacementInput p = in();
    p.monitor_count = 0;
    p.primary = -1;
    Placement r = placement_choose(p);
    EXPECT_EQ(r.monitor, -1);
    EXPECT_EQ(r.pos.x, 576);
    EXPECT_EQ(r.pos.y, 237);
}

TEST(Placement, MoveEndKeepsTheCursorsRelativeSpot) {
    const ScreenRect old_rect{100, 100, 868, 600};  // 768 x 500
    struct Case {
        ScreenPoint cursor;
        int32_t w, h;
        ScreenPoint want;
    } cases[] = {
        {{484, 350}, 1152, 750, {-92, -25}},   // the centre stays the centre (clamped to the area)
        {{1000, 900}, 1152, 750, {-152, 150}},  // beyond the bottom-right corner: fractions 1, 1
        {{484, 350}, 768, 500, {100, 100}},     // same size, same place
    };
    const ScreenRect big{-2000, -2000, 4000, 4000};
    for (const Case& c : cases) {
        ScreenPoint p = move_end_position(old_rect, c.cursor, c.w, c.h, big);
        EXPECT_EQ(p.x, c.want.x) << c.cursor.x;
        EXPECT_EQ(p.y, c.want.y) << c.cursor.y;
    }
    // The bottom-right corner lands on the cursor.
    ScreenPoint p = move_end_position(old_rect, {1000, 900}, 1152, 750, big);
    EXPECT_EQ(p.x + 1152, 1000);
    EXPECT_EQ(p.y + 750, 900);
    // An empty old rect uses the middle; the result is kept on the work area.
    p = move_end_position({5, 5, 5, 5}, {400, 300}, 768, 500, kHd);
    EXPECT_EQ(p.x, 16);
    EXPECT_EQ(p.y, 50);
    p = move_end_position(old_rect, {1950, 1100}, 768, 500, kHd);
    EXPECT_EQ(p.x, 1152);
    EXPECT_EQ(p.y, 580);
}

TEST(Placement, RecenterKeepsTheCentre) {
    ScreenPoint p = recenter_position({576, 237, 1344, 737}, 1024, 600, kHd);
    EXPECT_EQ(p.x, 448);
    EXPECT_EQ(p.y, 187);
    p = recenter_position({1400, 700, 1920, 1080}, 1024, 600, kHd);  // near the corner: clamped
    EXPECT_EQ(p.x, 896);
    EXPECT_EQ(p.y, 480);
}

TEST(MonitorMode, StepsAndNames) {
    struct Case {
        int32_t from, forward, backward;
        const char* name;
    } cases[] = {
        {kMonitorPrimary, kMonitorCursor, kMonitorRemember, "Primary"},
        {kMonitorCursor, kMonitorRemember, kMonitorPrimary, "Under cursor"},
        {kMonitorRemember, kMonitorPrimary, kMonitorCursor, "Remember"},
        {7, kMonitorCursor, kMonitorRemember, "Primary"},  // unknown values count as primary
    };
    for (const Case& c : cases) {
        EXPECT_EQ(monitor_mode_step(c.from, +1), c.forward) << c.from;
        EXPECT_EQ(monitor_mode_step(c.from, -1), c.backward) << c.from;
        EXPECT_EQ(u8(monitor_mode_display_name(c.from)), c.name);
    }
    EXPECT_EQ(u8(monitor_mode_description(kMonitorCursor)), "Opens on the display under the mouse");
}

}  // namespace
