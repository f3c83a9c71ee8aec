// The global hotkey: registration with its fallback to Alt+Space, the press and the release rules.
#include <windows.h>

#include "app/shell.h"
#include "store/options.h"
#include "ui/main_view.h"

namespace {

int32_t held_hotkey_mods() {
    int32_t m = 0;
    if (GetAsyncKeyState(VK_MENU) < 0) m |= kHotkeyModAlt;
    if (GetAsyncKeyState(VK_CONTROL) < 0) m |= kHotkeyModCtrl;
    if (GetAsyncKeyState(VK_SHIFT) < 0) m |= kHotkeyModShift;
    if (GetAsyncKeyState(VK_LWIN) < 0 || GetAsyncKeyState(VK_RWIN) < 0) m |= kHotkeyModWin;
    return m;
}

bool register_current() {
    return RegisterHotKey(shell().window, kHotkeyId, static_cast<UINT>(options_hotkey_mod()),
                          static_cast<UINT>(options_hotkey_vk())) != 0;
}

}  // namespace

void hotkey_register() {
    HWND w = shell().window;
    if (!w) return;
    UnregisterHotKey(w, kHotkeyId);
    if (register_current()) return;
    options_set_hotkey(kHotkeyDefaultMod, kHotkeyDefaultVk);
    options_save();
    const bool retried = register_current();
    MessageBoxW(w, retried ? L"That hotkey is already taken - reverted to Alt+Space." : L"The hotkey could not be registered.",
                L"Kestrune", MB_OK | MB_ICONWARNING);
}

void on_hotkey() {
    ShellState& s = shell();
    Foreground front = Foreground::Other;
    if (window_is_foreground()) front = Foreground::Launcher;
    else if (foreground_is_fullscreen()) front = Foreground::OtherFullScreen;
    switch (hotkey_press_action(s.visible, front)) {
        case HotkeyPressAction::Show: window_show(); break;
        case HotkeyPressAction::ForceForegroundThenArm:
            window_bring_forward();
            hotkey_arm(s.hotkey, GetTickCount64());
            break;
        case HotkeyPressAction::Arm: hotkey_arm(s.hotkey, GetTickCount64()); break;
        case HotkeyPressAction::Hide:
            view_state().escape_armed = false;
            hotkey_disarm(s.hotkey);
            window_hide();
            break;
    }
}

bool on_key_up_hotkey(int vk) {
    ShellState& s = shell();
    HotkeyRelease r = hotkey_release(s.hotkey, options_hotkey_mod(), options_hotkey_vk(), vk, held_hotkey_mods(),
                                     GetTickCount64());
    if (r.hide) window_hide();
    return r.swallow;
}
