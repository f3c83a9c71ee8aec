// Monitors through EnumDisplayMonitors and GetMonitorInfoW; the DPI from shcore's
// GetDpiForMonitor when the system has it, looked up at run time.
#include <windows.h>

#include <vector>

#include "platform/display.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_platform.h"

namespace {

using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

GetDpiForMonitorFn dpi_for_monitor() {
    static GetDpiForMonitorFn fn = [] {
        HMODULE shcore = LoadLibraryW(L"shcore.dll");
        return shcore ? reinterpret_cast<GetDpiForMonitorFn>(reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")))
                      : nullptr;
    }();
    return fn;
}

DisplayRect to_rect(const RECT& r) { return DisplayRect{r.left, r.top, r.right, r.bottom}; }

BOOL CALLBACK collect(HMONITOR mon, HDC, LPRECT, LPARAM lp) {
    auto* out = reinterpret_cast<std::vector<DisplayMonitor>*>(lp);
    DisplayMonitor d;
    MONITORINFOEXW mi{};
    mi.cbSize = sizeof mi;
    if (GetMonitorInfoW(mon, &mi)) {
        d.info_ok = true;
        d.primary = (mi.dwFlags & MONITORINFOF_PRIMARY) != 0;
        mi.szDevice[CCHDEVICENAME - 1] = 0;
        d.device = from_wide(mi.szDevice, wcslen(mi.szDevice));
        d.rect = to_rect(mi.rcMonitor);
        d.work = to_rect(mi.rcWork);
        UINT x = 0, y = 0;
        if (auto fn = dpi_for_monitor(); fn && SUCCEEDED(fn(mon, 0 /* MDT_EFFECTIVE_DPI */, &x, &y)) && y > 0) {
            d.dpi = y;
        } else if (HDC dc = GetDC(nullptr)) {
            int v = GetDeviceCaps(dc, LOGPIXELSY);
            if (v > 0) d.dpi = static_cast<uint32_t>(v);
            ReleaseDC(nullptr, dc);
        }
    }
    out->push_back(d);
    return TRUE;
}

class Win32Display : public Display {
public:
    void monitors(std::vector<DisplayMonitor>& out) override {
        out.clear();
        EnumDisplayMonitors(nullptr, nullptr, collect, reinterpret_cast<LPARAM>(&out));
    }
};

}  // namespace

Display* win32_display() {
    static Win32Display d;
    return &d;
}
