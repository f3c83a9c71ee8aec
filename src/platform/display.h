// The monitors of the desktop: in EnumDisplayMonitors order, each with its device name
// (MONITORINFOEXW szDevice, as the system gives it), its rectangle, its work area and its DPI.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct DisplayRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};

struct DisplayMonitor {
    bool info_ok = false;  // GetMonitorInfoW succeeded; the fields below are only read when it did
    bool primary = false;
    std::u16string device;  // e.g. "\\.\DISPLAY1"
    DisplayRect rect;
    DisplayRect work;
    uint32_t dpi = 96;  // effective DPI (96 when the system cannot say)
};

class Display {
public:
    virtual ~Display() = default;
    // Every monitor in enumeration order; a monitor whose information cannot be read is still
    // listed (info_ok false) so that the numbers of the others stay what the system counts.
    virtual void monitors(std::vector<DisplayMonitor>& out) = 0;
};
