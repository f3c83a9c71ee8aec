// The launcher window's procedure in this process: its creation, the hotkey release rule, focus
// loss, the tray commands and DPI changes, with messages sent to the real window.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "app/searching_timer.h"
#include "app/shell.h"
#include "core/row.h"
#include "query/result_messages.h"
#include "query/workers.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "platform/win32/win32_platform.h"
#include "store/options.h"
#include "ui/fonts.h"
#include "ui/main_view.h"
#include "ui/metrics.h"
#include "ui/renderer.h"
#include "ui/renderer_win32.h"
#include "ui/text_measure.h"

namespace {

class ShellWindow : public ::testing::Test {
protected:
    void SetUp() override {
        scope_ = std::make_unique<PlatformScope>(win32_platform());
        data_ = path_join(os_files().temp_folder(), u"kestrune-shell-test");
        os_files().create_folder(data_);
        os_env().set(u"KESTRUNE_DATA_DIR", data_);
        options_reset();
        metrics_width_set(768);
        metrics_rows_set(7);
        dpi_set(96);
        text_measure_install(text_measure_gdi());
        renderer_init(ui_ctx());
        fonts_create();
        shell() = ShellState{};
        shell().instance = GetModuleHandleW(nullptr);
        window_class_register();  // a second registration fails harmlessly
        if (!window_create()) {
            // Under wine a window needs an X display; the end-to-end run provides one and sets
            // KESTRUNE_REQUIRE_WINDOW so that these tests must run there.
            ASSERT_EQ(GetEnvironmentVariableW(L"KESTRUNE_REQUIRE_WINDOW", nullptr, 0), 0u) << "no launcher window";
            GTEST_SKIP() << "no display: the window cannot be created here";
        }
        hwnd_ = shell().window;
    }
    void TearDown() override {
        if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        }
        shell() = ShellState{};
        view_free_all();
        fonts_destroy();
        render_release();
        text_measure_install(nullptr);
        options_reset();
        dpi_set(96);
        os_files().remove(path_join(data_, u"settings.dat"));
        os_files().remove_folder(data_);
    }
    // Shown the way the hotkey shows it (activation under wine needs a display; it is not needed here).
    void show() {
        window_show();
        shell().visible = true;
        shell().active = true;
    }
    BYTE alpha() {
        BYTE a = 0;
        DWORD flags = 0;
        GetLayeredWindowAttributes(hwnd_, nullptr, &a, &flags);
        return a;
    }
    HWND hwnd_ = nullptr;
    std::u16string data_;
    std::unique_ptr<PlatformScope> scope_;
};

TEST_F(ShellWindow, CreatedLayeredTopmostAtTheDefaultPosition) {
    RECT r;
    ASSERT_TRUE(GetWindowRect(hwnd_, &r));
    EXPECT_EQ(r.right - r.left, 768);
    EXPECT_EQ(r.bottom - r.top, 460);
    EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - 768) / 2);
    EXPECT_EQ(r.top, static_cast<int>(GetSystemMetrics(SM_CYSCREEN) * 0.22));
    const LONG_PTR ex = GetWindowLongPtrW(hwnd_, GWL_EXSTYLE);
    for (LONG_PTR bit : std::initializer_list<LONG_PTR>{WS_EX_LAYERED, WS_EX_TOOLWINDOW, WS_EX_TOPMOST, WS_EX_APPWINDOW}) EXPECT_TRUE(ex & bit) << bit;
    EXPECT_EQ(alpha(), 255);
    EXPECT_FALSE(IsWindowVisible(hwnd_));
    EXPECT_EQ(SendMessageW(hwnd_, WM_ERASEBKGND, 0, 0), 1);
    wchar_t cls[32] = {};
    GetClassNameW(hwnd_, cls, 32);
    EXPECT_STREQ(cls, L"Kestrune");
}

TEST_F(ShellWindow, ReleasingAnArmedHotkeyHidesAndIsSwallowed) {
    show();
    ASSERT_TRUE(IsWindowVisible(hwnd_));
    hotkey_arm(shell().hotkey, GetTickCount64());
    // No modifier is physically down here, so the Space release completes the combination.
    EXPECT_EQ(SendMessageW(hwnd_, WM_KEYUP, VK_SPACE, 0xC0000001), 0);
    EXPECT_FALSE(IsWindowVisible(hwnd_));
    EXPECT_FALSE(shell().visible);
    EXPECT_FALSE(shell().hotkey.armed);
    // The hide remembered the spot and saved it.
    int32_t x = 0, y = 0;
    char16_t dev[32];
    EXPECT_TRUE(options_get_spot(&x, &y, dev, 32));
    EXPECT_EQ(x, (GetSystemMetrics(SM_CXSCREEN) - 768) / 2);
    std::string file;
    EXPECT_EQ(os_files().read(path_join(data_, u"settings.dat"), file, 1 << 20), 0u);
    EXPECT_NE(file.find("monitor_x="), std::string::npos);
}

TEST_F(ShellWindow, FocusLossDimsOrHides) {
    options_toggle_hide_on_focus();  // off
    ASSERT_FALSE(options_hide_on_focus());
    show();
    SendMessageW(hwnd_, WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_TRUE(IsWindowVisible(hwnd_));
    EXPECT_FALSE(shell().active);
    EXPECT_EQ(alpha(), 220);
    SendMessageW(hwnd_, WM_ACTIVATE, WA_CLICKACTIVE, 0);
    EXPECT_TRUE(shell().active);
    EXPECT_EQ(alpha(), 255);

    options_toggle_hide_on_focus();  // on again
    SendMessageW(hwnd_, WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_FALSE(IsWindowVisible(hwnd_));
    EXPECT_FALSE(shell().visible);
}

TEST_F(ShellWindow, TrayCommandsShowAndExit) {
    ASSERT_FALSE(IsWindowVisible(hwnd_));
    SendMessageW(hwnd_, WM_APP_TRAY, kTrayIconId, WM_LBUTTONUP);
    EXPECT_TRUE(IsWindowVisible(hwnd_));
    EXPECT_TRUE(shell().visible);
    window_hide();
    SendMessageW(hwnd_, WM_COMMAND, kTrayCmdShow, 0);
    EXPECT_TRUE(IsWindowVisible(hwnd_));
    SendMessageW(hwnd_, WM_COMMAND, kTrayCmdExit, 0);
    EXPECT_FALSE(IsWindow(hwnd_));
    MSG m;
    EXPECT_TRUE(PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));  // the loop would end now
}

TEST_F(ShellWindow, DpiChangeResizesAndPlacesOnTheMonitor) {
    RECT suggested{0, 0, 1152, 690};
    SendMessageW(hwnd_, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(dpi_current(), 144);
    RECT r;
    ASSERT_TRUE(GetWindowRect(hwnd_, &r));
    EXPECT_EQ(r.right - r.left, 1152);
    EXPECT_EQ(r.bottom - r.top, 690);
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromRect(&suggested, MONITOR_DEFAULTTONEAREST), &mi));
    EXPECT_EQ(r.left, mi.rcWork.left + (mi.rcWork.right - mi.rcWork.left - 1152) / 2);

    // While the window is being dragged the notice is ignored.
    shell().moving = true;
    SendMessageW(hwnd_, WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(dpi_current(), 144);
    shell().moving = false;
}

// A timer set for the moment "searching..." is due: the painted frame that started a search arms
// it, it fires once and asks for a repaint; the final list of the search kills it.
TEST_F(ShellWindow, SearchingTimerRepaintsWhenTheSearchIsLate) {
    show();
    auto timer_fires_within = [&](DWORD ms) {
        const ULONGLONG end = GetTickCount64() + ms;
        MSG m;
        while (GetTickCount64() < end) {
            if (PeekMessageW(&m, hwnd_, WM_TIMER, WM_TIMER, PM_REMOVE)) {
                if (m.wParam == kSearchingTimerId) {
                    ValidateRect(hwnd_, nullptr);
                    DispatchMessageW(&m);
                    return true;
                }
                DispatchMessageW(&m);
            }
            Sleep(10);
        }
        return false;
    };
    SendMessageW(hwnd_, WM_CHAR, 'q', 0);
    UpdateWindow(hwnd_);  // the frame takes the character and requests the search
    ValidateRect(hwnd_, nullptr);
    ASSERT_TRUE(timer_fires_within(1000));
    RECT dirty;
    EXPECT_TRUE(GetUpdateRect(hwnd_, &dirty, FALSE)) << "the timer asks for the footer to be painted";
    UpdateWindow(hwnd_);
    EXPECT_FALSE(timer_fires_within(400)) << "once per search";

    // The next keystroke's final list arrives in time: no timer is left to fire.
    SendMessageW(hwnd_, WM_CHAR, 'r', 0);
    UpdateWindow(hwnd_);
    RowList* list = view_list_new();
    ASSERT_NE(list, nullptr);
    SendMessageW(hwnd_, WM_APP_RESULTS, static_cast<WPARAM>(search_generation_newest()), reinterpret_cast<LPARAM>(list));
    UpdateWindow(hwnd_);
    EXPECT_FALSE(timer_fires_within(400));
}

}  // namespace
