// Where the launcher window opens and where it goes after a move or a DPI change: plain arithmetic
// on screen rectangles, so every rule is checked without a desktop.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

struct ScreenRect {
    int32_t left, top, right, bottom;
};
struct ScreenPoint {
    int32_t x, y;
};

// Centred horizontally, 22 % down the area, then kept inside it (placement_clamp). An area narrower
// than nothing counts as zero wide.
ScreenPoint placement_default(const ScreenRect& work, int32_t w, int32_t h);
// Keeps a w x h window inside the area; a window larger than the area sticks to its left or top edge.
ScreenPoint placement_clamp(const ScreenRect& work, ScreenPoint p, int32_t w, int32_t h);

// A monitor's device name as it is remembered: a leading "\\.\" removed, then only ASCII letters
// and digits kept, cut to capacity - 1 units. Returns the units written (out is terminated).
constexpr size_t kMonitorDeviceCap = 32;
size_t monitor_device_clean(std::u16string_view device, char16_t* out, size_t capacity);

// One monitor as placement sees it; device is already cleaned.
struct MonitorDesc {
    ScreenRect rect;
    ScreenRect work;
    char16_t device[kMonitorDeviceCap];
};

struct PlacementInput {
    int32_t mode;  // OptionsMonitor
    bool spot_remembered;
    ScreenPoint spot;
    const char16_t* spot_device;  // cleaned
    const MonitorDesc* monitors;  // in enumeration order
    int32_t monitor_count;
    int32_t primary;         // index of the primary monitor, -1 when unknown
    int32_t under_cursor;    // index of the monitor under the cursor, -1 when unknown
    ScreenRect fallback_work;  // used when no monitor is known at all
    int32_t w, h;
};
struct Placement {
    int32_t monitor;  // the monitor used, -1 for the fallback area
    ScreenPoint pos;
};
// Remember mode reopens at the spot on the monitor of that name (clamped); a display that is gone,
// a missing spot and primary mode use the primary monitor, cursor mode the one under the cursor,
// each with the default placement.
Placement placement_choose(const PlacementInput& in);

// After a drag onto a monitor of another DPI the window takes its new size w x h so that the cursor
// keeps its relative spot inside it (fractions of the old rect clamped to 0..1, 0.5 for an empty
// rect), then the result is kept inside the work area.
ScreenPoint move_end_position(const ScreenRect& old_rect, ScreenPoint cursor, int32_t w, int32_t h,
                              const ScreenRect& work);
// A new size around the centre of the current rect, kept inside the work area.
ScreenPoint recenter_position(const ScreenRect& current, int32_t w, int32_t h, const ScreenRect& work);
