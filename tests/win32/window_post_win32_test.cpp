// The real hand-off: results posted to a window arrive in its queue with their generation and
// list pointer intact; once the window is gone, posting fails and the lane keeps the result.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <thread>

#include "core/arena.h"
#include "core/row.h"
#include "platform/win32/win32_platform.h"
#include "query/result_messages.h"
#include "query/workers.h"
#include "store/options.h"
#include "unit/search_test_sources.h"

namespace {

HWND message_window() {
    return CreateWindowExW(0, L"STATIC", L"kestrune-test", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
}

TEST(WindowPostWin32, PostedMessagesReachTheWindowQueue) {
    Platform p = win32_platform();
    HWND hwnd = message_window();
    ASSERT_NE(hwnd, nullptr);
    win32_set_result_window(hwnd);
    int payload = 0;
    ASSERT_TRUE(p.window_post->post(WM_APP_RESULTS, 42, &payload));
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, hwnd, WM_APP_RESULTS, WM_APP_RESULTS, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 42u);
    EXPECT_EQ(reinterpret_cast<int*>(msg.lParam), &payload);
    DestroyWindow(hwnd);
    EXPECT_FALSE(p.window_post->post(WM_APP_RESULTS, 43, &payload));
    win32_set_result_window(nullptr);
    EXPECT_FALSE(p.window_post->post(WM_APP_RESULTS, 44, &payload));
}

// The lanes on real threads, posting to a real window on this thread.
TEST(WindowPostWin32, LanesPostResultsToTheWindow) {
    Platform p = win32_platform();
    Platform mixed = platform();
    mixed.window_post = p.window_post;
    PlatformScope scope(mixed);
    options_reset();
    SearchTestSources sources(0);
    sources.world().echo_apps = true;
    HWND hwnd = message_window();
    ASSERT_NE(hwnd, nullptr);
    win32_set_result_window(hwnd);
    workers_start();
    search_request("qqq", nullptr);
    int32_t g = search_generation_newest();
    MSG msg;
    bool got = false;
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!got && std::chrono::steady_clock::now() < until) {
        if (PeekMessageW(&msg, hwnd, WM_APP_RESULTS, WM_APP_PREVIEW, PM_REMOVE)) {
            auto* list = reinterpret_cast<RowList*>(msg.lParam);
            if (msg.message == WM_APP_RESULTS && static_cast<int32_t>(msg.wParam) == g) {
                got = true;
                ASSERT_GE(list->count, 1);
                EXPECT_EQ(u8s(list->items[0].title), "qqq");
            }
            result_destroy(list);
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    EXPECT_TRUE(got);
    workers_stop();
    win32_set_result_window(nullptr);
    DestroyWindow(hwnd);
}

}  // namespace
