// Posting results to the launcher window (PostMessageW).
#include <windows.h>

#include <atomic>

#include "platform/win32/win32_platform.h"

namespace {

// Posts to the launcher window once it exists; before that (and after it is gone) posts fail so
// that the caller keeps what it meant to hand over. A null HWND must never reach PostMessageW:
// that would queue the message on the calling worker thread, where nobody reads it.
class Win32WindowPost : public WindowPost {
public:
    bool post(uint32_t message, uintptr_t wparam, void* lparam) override {
        HWND hwnd = window_.load(std::memory_order_acquire);
        if (!hwnd) return false;
        return PostMessageW(hwnd, message, static_cast<WPARAM>(wparam), reinterpret_cast<LPARAM>(lparam)) != 0;
    }
    void set_window(HWND hwnd) { window_.store(hwnd, std::memory_order_release); }

private:
    std::atomic<HWND> window_{nullptr};
};

Win32WindowPost& window_post() {
    static Win32WindowPost post;
    return post;
}

}  // namespace

WindowPost* win32_window_post() { return &window_post(); }

void win32_set_result_window(void* hwnd) { window_post().set_window(static_cast<HWND>(hwnd)); }
