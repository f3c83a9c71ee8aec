// DPI awareness and the system, monitor and window DPI. The newer functions are looked up by name
// so that the launcher still starts where they do not exist.
#include <windows.h>

#include "ui/fonts.h"
#include "ui/metrics.h"
#include "ui/renderer_win32.h"

namespace {

using SetAwarenessContextFn = BOOL(WINAPI*)(HANDLE);
using GetDpiForSystemFn = UINT(WINAPI*)();
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

constexpr int kMdtEffectiveDpi = 0;

template <typename Fn>
Fn proc(HMODULE module, const char* name) {
    if (!module) return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

HMODULE user32() { return GetModuleHandleW(L"user32.dll"); }

GetDpiForMonitorFn monitor_dpi_fn() {
    static bool looked_up = false;
    static GetDpiForMonitorFn fn = nullptr;
    if (!looked_up) {
        looked_up = true;
        HMODULE shcore = GetModuleHandleW(L"shcore.dll");
        if (!shcore) shcore = LoadLibraryW(L"shcore.dll");
        fn = proc<GetDpiForMonitorFn>(shcore, "GetDpiForMonitor");
    }
    return fn;
}

}  // namespace

void dpi_awareness_init() {
    auto set_context = proc<SetAwarenessContextFn>(user32(), "SetProcessDpiAwarenessContext");
    // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2 is the pseudo-handle -4.
    if (set_context && set_context(reinterpret_cast<HANDLE>(static_cast<intptr_t>(-4)))) return;
    SetProcessDPIAware();
}

int dpi_system() {
    if (auto fn = proc<GetDpiForSystemFn>(user32(), "GetDpiForSystem")) {
        UINT dpi = fn();
        if (dpi > 0) return static_cast<int>(dpi);
    }
    int dpi = 0;
    if (HDC dc = GetDC(nullptr)) {
        dpi = GetDeviceCaps(dc, LOGPIXELSY);
        ReleaseDC(nullptr, dc);
    }
    return dpi > 0 ? dpi : 96;
}

int dpi_for_monitor(HMONITOR monitor) {
    auto fn = monitor_dpi_fn();
    if (!fn || !monitor) return 0;
    UINT x = 0, y = 0;
    if (FAILED(fn(monitor, kMdtEffectiveDpi, &x, &y))) return 0;
    return static_cast<int>(y);
}

int dpi_for_window(HWND window) {
    if (!window) return 0;
    if (auto fn = proc<GetDpiForWindowFn>(user32(), "GetDpiForWindow")) {
        UINT dpi = fn(window);
        if (dpi > 0) return static_cast<int>(dpi);
    }
    return dpi_for_monitor(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST));
}

bool dpi_update(int dpi) {
    if (dpi <= 0 || dpi == dpi_current()) return false;
    dpi_set(dpi);
    fonts_create();
    return true;
}
