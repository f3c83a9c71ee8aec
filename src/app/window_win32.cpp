// The launcher window: class, creation, the message loop, the window procedure that hands every
// message to the portable handlers, and the paint handler that runs the queued action afterwards.
#include <windows.h>
#include <dwmapi.h>
#include <windowsx.h>

#include "actions/drag_drop_win32.h"
#include "app/searching_timer.h"
#include "app/shell.h"
#include "core/row.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "query/result_messages.h"
#include "query/workers.h"
#include "ui/keys.h"
#include "ui/main_view.h"
#include "ui/metrics.h"
#include "ui/renderer.h"
#include "ui/renderer_win32.h"
#include "uicore/uicore.h"

namespace {

constexpr wchar_t kClassName[] = L"Kestrune";
ShellActionFn g_action = nullptr;
ShellAfterActionFn g_after_action = nullptr;

int key_mods() {
    int m = 0;
    if (GetKeyState(VK_SHIFT) < 0) m |= kModShift;
    if (GetKeyState(VK_CONTROL) < 0) m |= kModCtrl;
    if (GetKeyState(VK_MENU) < 0) m |= kModAlt;
    if (GetKeyState(VK_LWIN) < 0 || GetKeyState(VK_RWIN) < 0) m |= kModWin;
    return m;
}

// Hover ends when the pointer leaves: a leave notice is asked for on the first move inside.
constexpr int kPointerGone = -100000;
bool s_tracking_leave = false;

void track_mouse_leave(HWND hwnd) {
    if (s_tracking_leave) return;
    TRACKMOUSEEVENT t{};
    t.cbSize = sizeof t;
    t.dwFlags = TME_LEAVE;
    t.hwndTrack = hwnd;
    s_tracking_leave = TrackMouseEvent(&t) != 0;
}

void invalidate() {
    if (shell().window) InvalidateRect(shell().window, nullptr, FALSE);
}

// "searching..." needs a paint at the moment it becomes due: a timer set for then.
SearchingTimer s_searching{};

uint64_t tick_now() { return platform().clock ? os_clock().tick_ms() : 0; }

void searching_timer_apply(const TimerStep& step) {
    HWND hwnd = shell().window;
    if (!hwnd) return;
    if (step.op == TimerOp::Arm) SetTimer(hwnd, kSearchingTimerId, step.delay_ms, nullptr);
    if (step.op == TimerOp::Kill) KillTimer(hwnd, kSearchingTimerId);
    if (step.repaint && shell().visible) invalidate();
}

void searching_timer_update() { searching_timer_apply(searching_timer_sync(s_searching, view_searching_due_ms(), tick_now())); }

// What the view left for the shell after a message: a hide or the start of a window move.
void after_view_input() {
    ViewState& v = view_state();
    if (v.move_window_requested) {
        v.move_window_requested = false;
        POINT pt;
        if (GetCursorPos(&pt) && ScreenToClient(shell().window, &pt)) window_move_begin(pt.x, pt.y);
    }
    if (v.hide_requested) {
        v.hide_requested = false;
        if (shell().visible) window_hide();
    }
}

void run_pending_action() {
    Row row;
    int32_t mods = 0;
    if (!view_take_pending(&row, &mods)) return;
    if (!g_action) return;
    const bool ok = g_action(&row, mods);
    if (g_after_action) g_after_action(&row, ok);
}

void on_paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    ShellState& s = shell();
    if (s.painting) {  // a message box raised during an action paints through here: never nested
        EndPaint(hwnd, &ps);
        return;
    }
    s.painting = true;
    RECT rc;
    GetClientRect(hwnd, &rc);
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    UiContext* ctx = ui_ctx();
    ui_frame_begin(ctx);
    view_frame(ctx, w, h);
    ui_frame_end(ctx);
    render(dc, w, h, s.active);
    EndPaint(hwnd, &ps);
    s.painting = false;
    after_view_input();
    run_pending_action();
    after_view_input();  // the action may have asked to hide
    searching_timer_update();  // the frame may have started a search
    if (view_state().exit_requested) s.exit_requested = true;
    if (s.exit_requested) DestroyWindow(hwnd);
}

void forward_mouse_button(int x, int y, bool double_click) {
    on_mouse_down(x, y, UI_MOUSE_LEFT, double_click, key_mods());
}

// Results are handed over whatever the state; the window repaints only while it is shown.
LRESULT worker_message(UINT msg, WPARAM wp, LPARAM lp) {
    RowList* list = reinterpret_cast<RowList*>(lp);
    const int32_t gen = static_cast<int32_t>(wp);
    switch (msg) {
        case WM_APP_RESULTS: on_results(gen, list); break;
        case WM_APP_PREVIEW: on_preview(gen, list); break;
        case WM_APP_VIEW_ROWS: on_view_rows(gen, list); break;
        default: on_apps_changed(); break;
    }
    searching_timer_update();  // a final list ends the wait
    if (shell().visible) invalidate();
    return 0;
}

LRESULT CALLBACK window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    ShellState& s = shell();
    ViewState& v = view_state();
    if (s.taskbar_created_msg && msg == s.taskbar_created_msg) {
        tray_remove();
        tray_add();
        return 0;
    }
    switch (msg) {
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        case WM_ACTIVATE:
            on_activate(LOWORD(wp));
            return 0;
        case WM_PAINT:
            on_paint(hwnd);
            return 0;
        case WM_MOUSEACTIVATE:
            if (!s.visible) break;
            if (v.dialog_open && !s.active) return MA_ACTIVATEANDEAT;
            return MA_ACTIVATE;
        case WM_ERASEBKGND:
            return 1;
        case WM_KEYDOWN:
            if (v.capture_active && !v.dialog_open) return 0;  // the capture dialog takes the keys
            if (!on_key_down(static_cast<int>(wp), key_mods())) break;
            after_view_input();
            invalidate();
            return 0;
        case WM_KEYUP:
        case WM_SYSKEYUP: {
            const int key = static_cast<int>(wp);
            if (s.suppressed_key && key == s.suppressed_key) {
                s.suppressed_key = 0;
                return 0;
            }
            if (v.capture_active) return 0;
            if (s.hotkey.armed && s.visible && on_key_up_hotkey(key)) return 0;
            if (on_key_up(key, key_mods())) {
                after_view_input();
                invalidate();
                return 0;
            }
            break;
        }
        case WM_CHAR:
            if (s.suppressed_key) return 0;
            on_char(static_cast<char16_t>(wp));
            invalidate();
            return 0;
        case WM_SYSKEYDOWN:
            if (v.capture_active && !v.dialog_open) return 0;
            break;
        case WM_SYSCHAR:
            if (s.suppressed_key || v.capture_active) return 0;
            break;
        case WM_COMMAND:
            if (LOWORD(wp) == kTrayCmdShow) {
                on_tray(WM_LBUTTONUP);
                return 0;
            }
            if (LOWORD(wp) == kTrayCmdExit) {
                DestroyWindow(hwnd);
                return 0;
            }
            break;
        case WM_TIMER:
            if (wp == kSearchingTimerId) {
                searching_timer_apply(searching_timer_fired(s_searching, tick_now()));
                return 0;
            }
            if (wp != kForegroundTimerId) break;
            on_foreground_timer();
            return 0;
        case WM_MOUSEMOVE:
            if (s.moving) {
                window_move_track();
                return 0;
            }
            track_mouse_leave(hwnd);
            on_mouse_move(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
            invalidate();
            return 0;
        case WM_MOUSELEAVE:
            // The pointer left the window: no row stays hovered.
            s_tracking_leave = false;
            if (!s.moving) on_mouse_move(kPointerGone, kPointerGone);
            invalidate();
            return 0;
        case WM_LBUTTONDOWN:
            // The UI core sees the press first (the row under it is selected), then a file row may
            // be dragged out; DragDetect took the release then, so it is handed on here.
            forward_mouse_button(GET_X_LPARAM(lp), GET_Y_LPARAM(lp), false);
            if (s.visible && !s.moving && drag_try_start(hwnd, GET_X_LPARAM(lp), GET_Y_LPARAM(lp))) {
                POINT pt{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
                if (GetCursorPos(&pt)) ScreenToClient(hwnd, &pt);
                on_mouse_up(pt.x, pt.y, UI_MOUSE_LEFT);
            }
            after_view_input();
            invalidate();
            return 0;
        case WM_LBUTTONDBLCLK:
            forward_mouse_button(GET_X_LPARAM(lp), GET_Y_LPARAM(lp), true);
            after_view_input();
            invalidate();
            return 0;
        case WM_LBUTTONUP:
            if (s.moving) {
                window_move_end();
                ReleaseCapture();
            }
            on_mouse_up(GET_X_LPARAM(lp), GET_Y_LPARAM(lp), UI_MOUSE_LEFT);
            after_view_input();
            invalidate();
            return 0;
        case WM_MOUSEWHEEL:
            on_mouse_wheel(GET_WHEEL_DELTA_WPARAM(wp));
            invalidate();
            return 0;
        case WM_CAPTURECHANGED:
            if (s.moving) window_move_end();
            return 0;
        case WM_DPICHANGED:
            on_dpi_changed(HIWORD(wp), reinterpret_cast<const RECT*>(lp));
            return 0;
        case WM_CUT:
        case WM_COPY:
        case WM_PASTE: {
            if (!s.visible || v.dialog_open) return 0;
            if (msg != WM_PASTE && !box_has_selection(v.box)) return 0;
            if (msg == WM_CUT) box_cut(v.box);
            else if (msg == WM_COPY) box_copy(v.box);
            else box_paste(v.box);
            invalidate();
            return 0;
        }
        case WM_HOTKEY:
            if (wp == kHotkeyId && !v.capture_active) on_hotkey();
            return 0;
        case WM_APP_RESULTS:
        case WM_APP_PREVIEW:
        case WM_APP_VIEW_ROWS:
        case WM_APP_APPS_CHANGED:
            return worker_message(msg, wp, lp);
        case WM_APP_TRAY:
            on_tray(static_cast<uint32_t>(LOWORD(lp)));
            return 0;
        case WM_APP_VERBS:
            return 0;  // no shell-verb thread posts in this build
        default:
            break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

ShellState& shell() {
    static ShellState state{};
    return state;
}

void shell_action_set(ShellActionFn fn) { g_action = fn; }
void shell_after_action_set(ShellAfterActionFn fn) { g_after_action = fn; }

bool window_class_register() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS | CS_DROPSHADOW;
    wc.lpfnWndProc = window_proc;
    wc.hInstance = shell().instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    // Kestrune's own icon (resource 1), for Alt+Tab and the task manager; none when it is missing.
    wc.hIcon = LoadIconW(shell().instance, MAKEINTRESOURCEW(1));
    wc.hIconSm = static_cast<HICON>(LoadImageW(shell().instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    wc.lpszClassName = kClassName;
    return RegisterClassExW(&wc) != 0;
}

bool window_create() {
    ShellState& s = shell();
    const int w = window_width(), h = window_height();
    const int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2;
    const int y = static_cast<int>(GetSystemMetrics(SM_CYSCREEN) * 0.22);
    s.window = CreateWindowExW(WS_EX_LAYERED | WS_EX_APPWINDOW | WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kClassName,
                               L"Kestrune", WS_POPUP, x, y, w, h, nullptr, nullptr, s.instance, nullptr);
    if (!s.window) return false;
    SetLayeredWindowAttributes(s.window, 0, kAlphaActive, LWA_ALPHA);
    // DWMWA_WINDOW_CORNER_PREFERENCE (33) = DWMWCP_ROUND (2); older systems refuse it harmlessly.
    const DWORD round = 2;
    DwmSetWindowAttribute(s.window, 33, &round, sizeof round);
    return true;
}

int message_loop() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}

void window_repaint() { invalidate(); }

void shell_request_exit() { shell().exit_requested = true; }
