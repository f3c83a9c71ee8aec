// The Everything client's Windows side: the message-only reply window "KestruneEvIpc", the
// WM_COPYDATA send with its time-out, and the message pump that keeps the reply window served
// while a worker queries.
#include <windows.h>

#include <atomic>
#include <thread>

#include "core/arena.h"
#include "indexers/everything_client.h"

namespace {

constexpr wchar_t kReplyClass[] = L"KestruneEvIpc";
constexpr wchar_t kEverythingClass[] = L"EVERYTHING_TASKBAR_NOTIFICATION";

std::atomic<HWND> g_reply_window{nullptr};
ATOM g_class_atom = 0;

LRESULT CALLBACK reply_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    if (msg != WM_COPYDATA) return DefWindowProcW(hwnd, msg, wparam, lparam);
    const auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lparam);
    if (!cds) return 0;
    return everything_client_deliver(cds->dwData, cds->lpData, cds->cbData);
}

void close_window() {
    if (HWND w = g_reply_window.exchange(nullptr)) DestroyWindow(w);
    if (g_class_atom) {
        UnregisterClassW(kReplyClass, GetModuleHandleW(nullptr));
        g_class_atom = 0;
    }
}

int open_window() {
    if (g_reply_window.load()) return 0;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = reply_proc;
    wc.hInstance = instance;
    wc.lpszClassName = kReplyClass;
    g_class_atom = RegisterClassExW(&wc);
    if (!g_class_atom) return -1;
    HWND w = CreateWindowExW(0, kReplyClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
    if (!w) {
        close_window();
        return -1;
    }
    g_reply_window.store(w);
    return 0;
}

uint32_t reply_window_low() { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(g_reply_window.load())); }

uintptr_t find_everything() { return reinterpret_cast<uintptr_t>(FindWindowW(kEverythingClass, nullptr)); }

EverythingSend send_copydata(uintptr_t everything, uint32_t code, const void* record, uint32_t size, uint32_t timeout_ms) {
    COPYDATASTRUCT cds{};
    cds.dwData = code;
    cds.cbData = size;
    cds.lpData = const_cast<void*>(record);
    DWORD_PTR answer = 0;
    const LRESULT done = SendMessageTimeoutW(reinterpret_cast<HWND>(everything), WM_COPYDATA,
                                             reinterpret_cast<WPARAM>(g_reply_window.load()),
                                             reinterpret_cast<LPARAM>(&cds), SMTO_ABORTIFHUNG | SMTO_ERRORONEXIT,
                                             timeout_ms, &answer);
    if (!done) return kEverythingSendFailed;  // timed out (1460), hung or gone
    return answer ? kEverythingSendAccepted : kEverythingSendRefused;
}

void run_serviced(void (*fn)(void*), void* ctx) {
    std::atomic<bool> done{false};
    const DWORD me = GetCurrentThreadId();
    std::thread worker([&] {
        fn(ctx);
        scratch_release();
        done.store(true);
        PostThreadMessageW(me, WM_NULL, 0, 0);  // wakes the pump below
    });
    MSG msg;
    while (!done.load()) {
        MsgWaitForMultipleObjectsEx(0, nullptr, 50, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    worker.join();
}

const EverythingTransport kWin32Transport{open_window, close_window, reply_window_low, find_everything, send_copydata,
                                          run_serviced};

struct TransportInstaller {
    TransportInstaller() { everything_transport_install(&kWin32Transport); }
} g_transport_installer;

}  // namespace
