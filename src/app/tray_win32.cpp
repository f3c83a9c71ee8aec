// The notification-area icon, its tip and its menu.
#include <windows.h>
#include <shellapi.h>

#include "app/shell.h"
#include "core/format.h"

namespace {

// The version the tip names.
constexpr const char* kTipVersion = "0.4";

NOTIFYICONDATAW& tray_data() {
    static NOTIFYICONDATAW nid{};
    return nid;
}

}  // namespace

void tray_add() {
    ShellState& s = shell();
    if (!s.window) return;
    NOTIFYICONDATAW& nid = tray_data();
    nid = NOTIFYICONDATAW{};
    nid.cbSize = sizeof nid;
    nid.hWnd = s.window;
    nid.uID = kTrayIconId;
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    nid.uCallbackMessage = WM_APP_TRAY;
    // Resource 1 at the notification area's size, so its 16 px drawing is used rather than a
    // shrunken 32 px one (shared: loading again after an Explorer restart makes no new handle).
    nid.hIcon = static_cast<HICON>(LoadImageW(s.instance, MAKEINTRESOURCEW(1), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                              GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    if (!nid.hIcon) nid.hIcon = LoadIconW(s.instance, MAKEINTRESOURCEW(1));
    if (!nid.hIcon) nid.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    char16_t tip[128];
    text_format(tip, 128, "Kestrune %hs", kTipVersion);
    static_assert(sizeof(nid.szTip) / sizeof(nid.szTip[0]) >= 128, "tip buffer");
    lstrcpynW(nid.szTip, reinterpret_cast<const wchar_t*>(tip), 128);
    s.tray_added = Shell_NotifyIconW(NIM_ADD, &nid) != 0;
}

void tray_remove() {
    ShellState& s = shell();
    if (!s.tray_added) return;
    Shell_NotifyIconW(NIM_DELETE, &tray_data());
    s.tray_added = false;
}

void tray_menu() {
    ShellState& s = shell();
    HMENU menu = CreatePopupMenu();
    if (!menu) return;
    AppendMenuW(menu, MF_STRING, kTrayCmdShow, L"Show Kestrune");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, kTrayCmdExit, L"Exit");
    POINT pt{0, 0};
    GetCursorPos(&pt);
    SetForegroundWindow(s.window);
    TrackPopupMenu(menu, TPM_BOTTOMALIGN, pt.x, pt.y, 0, s.window, nullptr);
    DestroyMenu(menu);
}

void on_tray(uint32_t mouse_message) {
    if (mouse_message == WM_LBUTTONUP) {
        if (shell().visible) window_bring_forward();
        else window_show();
    } else if (mouse_message == WM_RBUTTONUP) {
        tray_menu();
    }
}
