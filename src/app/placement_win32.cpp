// Showing, hiding and placing the launcher window: monitors and their work areas, the full-screen
// window in front, forcing the foreground, moving by the footer and following DPI changes.
#include <windows.h>

#include <vector>

#include "app/placement.h"
#include "app/shell.h"
#include "query/query_cache.h"
#include "store/options.h"
#include "ui/icon_loader.h"
#include "ui/main_view.h"
#include "ui/metrics.h"
#include "ui/renderer_win32.h"

namespace {

ScreenRect to_screen(const RECT& r) { return ScreenRect{r.left, r.top, r.right, r.bottom}; }

struct MonitorList {
    std::vector<MonitorDesc> desc;
    std::vector<HMONITOR> handle;
    int32_t primary = -1;
};

BOOL CALLBACK collect_monitor(HMONITOR mon, HDC, LPRECT, LPARAM lp) {
    auto* list = reinterpret_cast<MonitorList*>(lp);
    MONITORINFOEXW mi{};
    mi.cbSize = sizeof mi;
    if (!GetMonitorInfoW(mon, &mi)) return TRUE;
    MonitorDesc d{};
    d.rect = to_screen(mi.rcMonitor);
    d.work = to_screen(mi.rcWork);
    monitor_device_clean(std::u16string_view(reinterpret_cast<const char16_t*>(mi.szDevice)), d.device,
                         kMonitorDeviceCap);
    if ((mi.dwFlags & MONITORINFOF_PRIMARY) && list->primary < 0) list->primary = static_cast<int32_t>(list->desc.size());
    list->desc.push_back(d);
    list->handle.push_back(mon);
    return TRUE;
}

int32_t index_of(const MonitorList& l, HMONITOR mon) {
    for (size_t i = 0; i < l.handle.size(); ++i)
        if (l.handle[i] == mon) return static_cast<int32_t>(i);
    return -1;
}

MonitorList monitors_enumerate() {
    MonitorList l;
    EnumDisplayMonitors(nullptr, nullptr, collect_monitor, reinterpret_cast<LPARAM>(&l));
    if (l.primary < 0) l.primary = index_of(l, MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY));
    return l;
}

HMONITOR monitor_under_cursor() {
    POINT pt{0, 0};
    if (!GetCursorPos(&pt)) pt = POINT{0, 0};
    return MonitorFromPoint(pt, MONITOR_DEFAULTTONEAREST);
}

bool work_area(HMONITOR mon, ScreenRect* out) {
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    if (!mon || !GetMonitorInfoW(mon, &mi)) return false;
    *out = to_screen(mi.rcWork);
    return true;
}

ScreenRect primary_fallback() {
    return ScreenRect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

void move_window(ScreenPoint p, int w, int h) {
    SetWindowPos(shell().window, nullptr, p.x, p.y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
}

bool is_fullscreen(HWND w) {
    if (!w || w == shell().window || !IsWindowVisible(w)) return false;
    wchar_t cls[64] = {};
    GetClassNameW(w, cls, 64);
    if (!lstrcmpW(cls, L"Shell_TrayWnd") || !lstrcmpW(cls, L"Shell_SecondaryTrayWnd") || !lstrcmpW(cls, L"Kestrune"))
        return false;
    RECT wr;
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    if (!GetWindowRect(w, &wr) || !GetMonitorInfoW(MonitorFromWindow(w, MONITOR_DEFAULTTONEAREST), &mi)) return false;
    return wr.left <= mi.rcMonitor.left && wr.top <= mi.rcMonitor.top && wr.right >= mi.rcMonitor.right &&
           wr.bottom >= mi.rcMonitor.bottom;
}

bool is_topmost(HWND w) { return (GetWindowLongPtrW(w, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

void set_topmost(HWND w) { SetWindowPos(w, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE); }

void set_alpha(uint8_t a) { SetLayeredWindowAttributes(shell().window, 0, a, LWA_ALPHA); }

// The DPI changed: fonts follow (dpi_update) and the list keeps its selection in view.
void after_dpi_change() {
    icons_set_dpi(dpi_current());
    view_scroll_clamp();
    view_scroll_into_view();
}

struct OwnedSearch {
    HWND owner;
    bool found;
};

BOOL CALLBACK find_owned(HWND w, LPARAM lp) {
    auto* s = reinterpret_cast<OwnedSearch*>(lp);
    if (IsWindowVisible(w) && GetWindow(w, GW_OWNER) == s->owner) {
        s->found = true;
        return FALSE;
    }
    return TRUE;
}

bool owned_popup_visible() {
    OwnedSearch s{shell().window, false};
    EnumWindows(find_owned, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

}  // namespace

bool window_is_foreground() { return shell().window && GetForegroundWindow() == shell().window; }

bool foreground_is_fullscreen() { return is_fullscreen(GetForegroundWindow()); }

void window_place() {
    ShellState& s = shell();
    if (!s.window) return;
    MonitorList l = monitors_enumerate();
    char16_t spot_dev[kMonitorDeviceCap] = {};
    int32_t sx = 0, sy = 0;
    PlacementInput in{};
    in.mode = options_monitor();
    in.spot_remembered = options_get_spot(&sx, &sy, spot_dev, kMonitorDeviceCap);
    in.spot = ScreenPoint{sx, sy};
    in.spot_device = spot_dev;
    in.monitors = l.desc.data();
    in.monitor_count = static_cast<int32_t>(l.desc.size());
    in.primary = l.primary;
    in.under_cursor = index_of(l, monitor_under_cursor());
    in.fallback_work = primary_fallback();
    in.w = window_width();
    in.h = window_height();
    Placement p = placement_choose(in);
    move_window(p.pos, in.w, in.h);
}

void window_fit_dpi() {
    ShellState& s = shell();
    if (!s.window) return;
    const int dpi = dpi_for_monitor(MonitorFromWindow(s.window, MONITOR_DEFAULTTONEAREST));
    if (dpi_update(dpi)) after_dpi_change();
    RECT r;
    if (GetWindowRect(s.window, &r) && (r.right - r.left != window_width() || r.bottom - r.top != window_height()))
        SetWindowPos(s.window, nullptr, 0, 0, window_width(), window_height(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void window_bring_forward() {
    HWND me = shell().window;
    if (!me) return;
    AllowSetForegroundWindow(GetCurrentProcessId());
    HWND front = GetForegroundWindow();
    if (front == me) {
        SetActiveWindow(me);
        SetFocus(me);
        return;
    }
    const DWORD mine = GetCurrentThreadId();
    const DWORD theirs = front ? GetWindowThreadProcessId(front, nullptr) : 0;
    if (front && theirs && theirs != mine) {
        const bool attached = AttachThreadInput(mine, theirs, TRUE) != 0;
        BringWindowToTop(me);
        SetForegroundWindow(me);
        SetActiveWindow(me);
        if (attached) AttachThreadInput(mine, theirs, FALSE);
    } else {
        BringWindowToTop(me);
        SetForegroundWindow(me);
        SetActiveWindow(me);
    }
    SetFocus(me);
}

void window_show() {
    ShellState& s = shell();
    if (!s.window) return;
    view_show_reset();
    icons_show_reset();  // paths that had no icon are tried again once
    window_place();
    window_fit_dpi();
    HWND front = GetForegroundWindow();
    s.had_fullscreen = is_fullscreen(front);
    s.fullscreen = s.had_fullscreen ? front : nullptr;
    view_state().escape_armed = false;
    hotkey_disarm(s.hotkey);
    set_alpha(kAlphaActive);
    ShowWindow(s.window, SW_SHOWNOACTIVATE);
    if (s.had_fullscreen && is_topmost(s.fullscreen)) set_topmost(s.fullscreen);
    set_topmost(s.window);
    window_bring_forward();
    s.visible = true;
    s.active = true;
    set_alpha(kAlphaActive);
    window_repaint();
}

void window_hide() {
    ShellState& s = shell();
    if (!s.window) return;
    RECT r;
    if (GetWindowRect(s.window, &r)) {
        MONITORINFOEXW mi{};
        mi.cbSize = sizeof mi;
        char16_t dev[kMonitorDeviceCap] = {};
        if (GetMonitorInfoW(MonitorFromWindow(s.window, MONITOR_DEFAULTTONEAREST), &mi))
            monitor_device_clean(std::u16string_view(reinterpret_cast<const char16_t*>(mi.szDevice)), dev,
                                 kMonitorDeviceCap);
        options_set_spot(r.left, r.top, dev);
        options_save();
    }
    view_state().escape_armed = false;
    hotkey_disarm(s.hotkey);
    if (s.moving || view_state().thumb_drag) {
        s.moving = false;
        view_state().thumb_drag = false;
        ReleaseCapture();
    }
    s.suppressed_key = 0;
    HWND fullscreen = s.had_fullscreen ? s.fullscreen : nullptr;
    s.fullscreen = nullptr;
    s.had_fullscreen = false;
    const bool was_front = GetForegroundWindow() == s.window;
    ShowWindow(s.window, SW_HIDE);
    s.visible = false;
    view_hidden();
    if (fullscreen && IsWindow(fullscreen)) {
        if (was_front) SetForegroundWindow(fullscreen);
        else if (is_topmost(fullscreen)) set_topmost(fullscreen);
    }
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
    }
    cache_flush();
    cache_invalidate();
    SetProcessWorkingSetSize(GetCurrentProcess(), static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1));
}

void window_recenter() {
    ShellState& s = shell();
    RECT r;
    ScreenRect work;
    if (!s.window || !GetWindowRect(s.window, &r)) return;
    if (!work_area(MonitorFromWindow(s.window, MONITOR_DEFAULTTONEAREST), &work)) work = primary_fallback();
    const int w = window_width(), h = window_height();
    move_window(recenter_position(to_screen(r), w, h, work), w, h);
}

void window_move_to_monitor(int n) {
    ShellState& s = shell();
    if (!s.window) return;
    MonitorList l = monitors_enumerate();
    if (n < 1 || n > static_cast<int>(l.desc.size())) return;
    const int w = window_width(), h = window_height();
    move_window(placement_default(l.desc[n - 1].work, w, h), w, h);
    window_fit_dpi();
    window_repaint();
}

void window_move_begin(int client_x, int client_y) {
    ShellState& s = shell();
    ViewState& v = view_state();
    if (!s.window || v.dialog_open || v.menu.open || v.capture_active) return;
    s.grab_x = client_x;
    s.grab_y = client_y;
    s.moving = true;
    SetCapture(s.window);
}

void window_move_track() {
    ShellState& s = shell();
    POINT pt;
    if (!s.moving || !GetCursorPos(&pt)) return;
    SetWindowPos(s.window, nullptr, pt.x - s.grab_x, pt.y - s.grab_y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void window_move_end() {
    ShellState& s = shell();
    if (!s.moving) return;
    s.moving = false;
    POINT pt;
    RECT old;
    if (!GetCursorPos(&pt) || !GetWindowRect(s.window, &old)) return;
    HMONITOR mon = MonitorFromPoint(pt, MONITOR_DEFAULTTONEAREST);
    const int dpi = dpi_for_monitor(mon);
    if (dpi <= 0 || dpi == dpi_current()) return;
    dpi_update(dpi);
    ScreenRect work;
    if (!work_area(mon, &work)) work = primary_fallback();
    const int w = window_width(), h = window_height();
    move_window(move_end_position(to_screen(old), ScreenPoint{pt.x, pt.y}, w, h, work), w, h);
    after_dpi_change();
    window_repaint();
}

void on_dpi_changed(int dpi, const void* suggested) {
    ShellState& s = shell();
    if (s.moving || !s.window) return;
    const RECT* r = static_cast<const RECT*>(suggested);
    dpi_update(dpi);
    const int w = window_width(), h = window_height();
    ScreenPoint p{r ? r->left : 0, r ? r->top : 0};
    ScreenRect work;
    if (r && work_area(MonitorFromRect(r, MONITOR_DEFAULTTONEAREST), &work)) p = placement_default(work, w, h);
    after_dpi_change();
    SetWindowPos(s.window, nullptr, p.x, p.y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
    window_repaint();
}

void on_activate(int state) {
    ShellState& s = shell();
    ViewState& v = view_state();
    s.suppressed_key = 0;
    const bool activation = state == WA_ACTIVE || state == WA_CLICKACTIVE;
    if (!activation && foreground_deactivated(s.fg)) KillTimer(s.window, kForegroundTimerId);
    if (activation) {
        if (!s.visible) return;
        if (!v.dialog_open && !v.capture_active) {
            v.req.focus_box = true;
            s.fg.activated_once = true;
        }
        set_alpha(kAlphaActive);
        if (!s.active) {
            s.active = true;
            window_repaint();
        }
        return;
    }
    hotkey_disarm(s.hotkey);
    switch (focus_loss(s.visible, options_hide_on_focus(), s.visible && owned_popup_visible(), s.active)) {
        case FocusLoss::Hide: window_hide(); break;
        case FocusLoss::Dim:
            s.active = false;
            set_alpha(kAlphaInactive);
            window_repaint();
            break;
        case FocusLoss::Nothing: break;
    }
}

void on_foreground_timer() {
    ShellState& s = shell();
    LASTINPUTINFO li{};
    li.cbSize = sizeof li;
    const bool read = GetLastInputInfo(&li) != 0;
    const bool idle = !read || li.dwTime == s.start_input_time;
    const bool other = !window_is_foreground();
    if (foreground_tick(s.fg, s.visible, other, idle) == ForegroundTick::Retry) window_bring_forward();
    if (s.fg.retries <= 0) KillTimer(s.window, kForegroundTimerId);
}
