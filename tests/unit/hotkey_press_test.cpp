#include <gtest/gtest.h>

#include "app/focus_rules.h"
#include "app/hotkey_press.h"

namespace {

constexpr int kSpace = 0x20, kAlt = 0x12, kLAlt = 0xA4, kLShift = 0xA0, kA = 0x41, kK = 0x4B;
constexpr int kCtrl = 0x11, kRCtrl = 0xA3;

TEST(HotkeyPress, PressDependsOnWhatIsInFront) {
    EXPECT_EQ(hotkey_press_action(false, Foreground::Other), HotkeyPressAction::Show);
    EXPECT_EQ(hotkey_press_action(false, Foreground::Launcher), HotkeyPressAction::Show);
    EXPECT_EQ(hotkey_press_action(true, Foreground::Launcher), HotkeyPressAction::Arm);
    EXPECT_EQ(hotkey_press_action(true, Foreground::OtherFullScreen), HotkeyPressAction::ForceForegroundThenArm);
    EXPECT_EQ(hotkey_press_action(true, Foreground::Other), HotkeyPressAction::Hide);
}

// One release of a sequence: the key let go, the modifiers still held, and what must happen.
struct Step {
    int vk;
    int32_t held;
    bool swallow, hide;
};

void run(int32_t mod, int vk, std::initializer_list<Step> steps, const char* name) {
    HotkeyPress s{};
    hotkey_arm(s, 1000);
    int i = 0;
    for (const Step& step : steps) {
        HotkeyRelease r = hotkey_release(s, mod, vk, step.vk, step.held, 1000 + 10 * i);
        EXPECT_EQ(r.swallow, step.swallow) << name << " step " << i;
        EXPECT_EQ(r.hide, step.hide) << name << " step " << i;
        ++i;
    }
}

TEST(HotkeyPress, HidesWhenTheWholeCombinationIsLetGo) {
    // Space first, then Alt: the Alt release hides and neither reaches the program behind.
    run(kHotkeyModAlt, kSpace, {{kSpace, kHotkeyModAlt, true, false}, {kLAlt, 0, true, true}}, "space then alt");
    // Alt first: nothing yet; the Space release hides.
    run(kHotkeyModAlt, kSpace, {{kAlt, 0, true, false}, {kSpace, 0, true, true}}, "alt then space");
    // Held modifiers that are not part of the hotkey do not keep it up.
    run(kHotkeyModAlt, kSpace, {{kSpace, kHotkeyModShift, true, true}}, "shift held");
    // The physical state still reports the key kind being released as down: it is not counted.
    run(kHotkeyModAlt, kSpace, {{kSpace, kHotkeyModAlt, true, false}, {kAlt, kHotkeyModAlt, true, true}},
        "alt still reported down");
    // Ctrl+Shift+K: both modifiers must go.
    run(kHotkeyModCtrl | kHotkeyModShift, kK,
        {{kK, kHotkeyModCtrl | kHotkeyModShift, true, false},
         {kRCtrl, kHotkeyModShift, true, false},
         {kLShift, 0, true, true}},
        "ctrl shift k");
    // Other keys are not swallowed; before the main key is released they change nothing.
    run(kHotkeyModAlt, kSpace, {{kA, kHotkeyModAlt, false, false}, {kSpace, kHotkeyModAlt, true, false},
                                {kA, 0, false, true}},
        "other key");
    run(kHotkeyModCtrl, kSpace, {{kSpace, kHotkeyModCtrl, true, false}, {kCtrl, 0, true, true}}, "ctrl space");
}

TEST(HotkeyPress, DisarmedOrExpiredReleasesAreOrdinary) {
    HotkeyPress s{};
    HotkeyRelease r = hotkey_release(s, kHotkeyModAlt, kSpace, kSpace, 0, 5);
    EXPECT_FALSE(r.swallow);
    EXPECT_FALSE(r.hide);

    hotkey_arm(s, 1000);
    r = hotkey_release(s, kHotkeyModAlt, kSpace, kSpace, 0, 1000 + kHotkeyArmLimitMs);  // at the limit: still armed
    EXPECT_TRUE(r.hide);
    hotkey_arm(s, 1000);
    r = hotkey_release(s, kHotkeyModAlt, kSpace, kSpace, 0, 1001 + kHotkeyArmLimitMs);
    EXPECT_FALSE(r.swallow);
    EXPECT_FALSE(r.hide);
    EXPECT_FALSE(s.armed);
    r = hotkey_release(s, kHotkeyModAlt, kSpace, kLAlt, 0, 1002 + kHotkeyArmLimitMs);
    EXPECT_FALSE(r.swallow);

    hotkey_arm(s, 1000);
    hotkey_disarm(s);
    EXPECT_FALSE(hotkey_release(s, kHotkeyModAlt, kSpace, kSpace, 0, 1001).hide);
}

TEST(HotkeyPress, ModifierKinds) {
    for (int vk : {0x10, 0xA0, 0xA1}) EXPECT_EQ(hotkey_modifier_kind(vk), kHotkeyModShift);
    for (int vk : {0x11, 0xA2, 0xA3}) EXPECT_EQ(hotkey_modifier_kind(vk), kHotkeyModCtrl);
    for (int vk : {0x12, 0xA4, 0xA5}) EXPECT_EQ(hotkey_modifier_kind(vk), kHotkeyModAlt);
    for (int vk : {0x5B, 0x5C}) EXPECT_EQ(hotkey_modifier_kind(vk), kHotkeyModWin);
    for (int vk : {0x20, 0x41, 0x5D, 0x14}) EXPECT_EQ(hotkey_modifier_kind(vk), 0);
}

TEST(FocusRules, FocusLoss) {
    EXPECT_EQ(focus_loss(true, true, false, true), FocusLoss::Hide);
    EXPECT_EQ(focus_loss(true, false, false, true), FocusLoss::Dim);
    EXPECT_EQ(focus_loss(true, false, false, false), FocusLoss::Nothing);  // already dimmed
    EXPECT_EQ(focus_loss(true, true, true, true), FocusLoss::Nothing);     // a message box of ours is up
    EXPECT_EQ(focus_loss(false, true, false, true), FocusLoss::Nothing);
}

TEST(FocusRules, StartUpRetriesClaimTheForegroundFiveTimesAtMost) {
    ForegroundRetries s{kForegroundRetries, false};
    int retries = 0;
    while (foreground_tick(s, true, true, true) == ForegroundTick::Retry) ++retries;
    EXPECT_EQ(retries, kForegroundRetries);
    EXPECT_EQ(s.retries, 0);

    struct Case {
        bool visible, other, idle;
    } stops[] = {{false, true, true}, {true, false, true}, {true, true, false}};
    for (const Case& c : stops) {
        ForegroundRetries t{kForegroundRetries, false};
        EXPECT_EQ(foreground_tick(t, c.visible, c.other, c.idle), ForegroundTick::Stop);
        EXPECT_EQ(t.retries, 0);
    }

    ForegroundRetries d{3, false};
    EXPECT_FALSE(foreground_deactivated(d));  // never active yet: the retries go on
    d.activated_once = true;
    EXPECT_TRUE(foreground_deactivated(d));
    EXPECT_EQ(d.retries, 0);
    EXPECT_FALSE(d.activated_once);
}

}  // namespace
