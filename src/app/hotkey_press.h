// The global hotkey's press and release rules. A press while the launcher is in front arms the
// state; the window hides once the hotkey's key and every modifier of the combination have been
// let go, and while armed the releases of that key and of all modifier keys are swallowed so the
// program behind never sees them. An armed state older than 10 s is dropped.
#pragma once
#include <cstdint>

// RegisterHotKey modifier flags as stored in the options.
constexpr int32_t kHotkeyModAlt = 1;
constexpr int32_t kHotkeyModCtrl = 2;
constexpr int32_t kHotkeyModShift = 4;
constexpr int32_t kHotkeyModWin = 8;
constexpr int32_t kHotkeyDefaultMod = kHotkeyModAlt;
constexpr int32_t kHotkeyDefaultVk = 0x20;  // Space
constexpr uint64_t kHotkeyArmLimitMs = 10000;

struct HotkeyPress {
    bool armed;
    bool main_released;
    uint64_t press_ms;
};

// What is in front when the hotkey is pressed.
enum class Foreground { Launcher, OtherFullScreen, Other };
enum class HotkeyPressAction { Show, Arm, ForceForegroundThenArm, Hide };
HotkeyPressAction hotkey_press_action(bool visible, Foreground front);

void hotkey_arm(HotkeyPress& s, uint64_t now_ms);
void hotkey_disarm(HotkeyPress& s);

// The modifier kind (kHotkeyMod*) of a virtual key: Shift, Ctrl, Alt with their left and right
// variants and both Win keys; 0 for any other key.
int32_t hotkey_modifier_kind(int vk);

struct HotkeyRelease {
    bool swallow;  // the release must not reach anyone else
    bool hide;     // the whole combination has been let go
};
// A key-up while the window is visible and not capturing. held_mods: kHotkeyMod* flags of the
// modifier keys physically down now.
HotkeyRelease hotkey_release(HotkeyPress& s, int32_t hotkey_mod, int32_t hotkey_vk, int released_vk,
                             int32_t held_mods, uint64_t now_ms);
