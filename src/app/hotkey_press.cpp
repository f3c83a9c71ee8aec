#include "app/hotkey_press.h"

HotkeyPressAction hotkey_press_action(bool visible, Foreground front) {
    if (!visible) return HotkeyPressAction::Show;
    switch (front) {
        case Foreground::Launcher: return HotkeyPressAction::Arm;
        case Foreground::OtherFullScreen: return HotkeyPressAction::ForceForegroundThenArm;
        default: return HotkeyPressAction::Hide;
    }
}

void hotkey_arm(HotkeyPress& s, uint64_t now_ms) {
    s.armed = true;
    s.main_released = false;
    s.press_ms = now_ms;
}

void hotkey_disarm(HotkeyPress& s) {
    s.armed = false;
    s.main_released = false;
}

int32_t hotkey_modifier_kind(int vk) {
    switch (vk) {
        case 0x10: case 0xA0: case 0xA1: return kHotkeyModShift;    // VK_SHIFT, VK_LSHIFT, VK_RSHIFT
        case 0x11: case 0xA2: case 0xA3: return kHotkeyModCtrl;     // VK_CONTROL, VK_LCONTROL, VK_RCONTROL
        case 0x12: case 0xA4: case 0xA5: return kHotkeyModAlt;      // VK_MENU, VK_LMENU, VK_RMENU
        case 0x5B: case 0x5C: return kHotkeyModWin;                 // VK_LWIN, VK_RWIN
        default: return 0;
    }
}

HotkeyRelease hotkey_release(HotkeyPress& s, int32_t hotkey_mod, int32_t hotkey_vk, int released_vk,
                             int32_t held_mods, uint64_t now_ms) {
    if (!s.armed) return {false, false};
    if (now_ms - s.press_ms > kHotkeyArmLimitMs) {
        hotkey_disarm(s);
        return {false, false};
    }
    const int32_t kind = hotkey_modifier_kind(released_vk);
    const bool ours = released_vk == hotkey_vk || kind != 0;
    if (released_vk == hotkey_vk) s.main_released = true;
    bool hide = false;
    if (s.main_released) {
        const int32_t still_held = held_mods & hotkey_mod & ~kind;
        hide = still_held == 0;
    }
    return {ours, hide};
}
