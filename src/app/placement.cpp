#include "app/placement.h"

#include <algorithm>

#include "core/text.h"
#include "store/options.h"

ScreenPoint placement_default(const ScreenRect& work, int32_t w, int32_t h) {
    const int64_t width = std::max<int64_t>(int64_t(work.right) - work.left, 0);
    const int64_t height = std::max<int64_t>(int64_t(work.bottom) - work.top, 0);
    const ScreenPoint p{static_cast<int32_t>(work.left + (width - w) / 2),
                        static_cast<int32_t>(work.top + height * 22 / 100)};
    // A tall window (many rows) 22 % down would run off the bottom and hide the footer.
    return placement_clamp(work, p, w, h);
}

ScreenPoint placement_clamp(const ScreenRect& work, ScreenPoint p, int32_t w, int32_t h) {
    const int32_t max_x = std::max(work.right - w, work.left);
    const int32_t max_y = std::max(work.bottom - h, work.top);
    return ScreenPoint{std::min(std::max(p.x, work.left), max_x), std::min(std::max(p.y, work.top), max_y)};
}

size_t monitor_device_clean(std::u16string_view device, char16_t* out, size_t capacity) {
    if (capacity == 0) return 0;
    if (device.substr(0, 4) == u"\\\\.\\") device.remove_prefix(4);
    size_t n = 0;
    for (char16_t c : device) {
        const bool keep = (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9');
        if (!keep) continue;
        if (n + 1 >= capacity) break;
        out[n++] = c;
    }
    out[n] = 0;
    return n;
}

namespace {

bool valid(const PlacementInput& in, int32_t i) { return i >= 0 && i < in.monitor_count; }

}  // namespace

Placement placement_choose(const PlacementInput& in) {
    if (in.mode == kMonitorRemember && in.spot_remembered && in.spot_device && in.spot_device[0]) {
        for (int32_t i = 0; i < in.monitor_count; ++i) {
            if (!text_equal_ci(text_view(in.monitors[i].device), text_view(in.spot_device))) continue;
            return Placement{i, placement_clamp(in.monitors[i].work, in.spot, in.w, in.h)};
        }
    }
    int32_t m = in.mode == kMonitorCursor ? in.under_cursor : in.primary;
    if (!valid(in, m)) m = in.primary;
    if (!valid(in, m)) m = in.monitor_count > 0 ? 0 : -1;
    const ScreenRect& work = m >= 0 ? in.monitors[m].work : in.fallback_work;
    return Placement{m, placement_default(work, in.w, in.h)};
}

ScreenPoint move_end_position(const ScreenRect& old_rect, ScreenPoint cursor, int32_t w, int32_t h,
                              const ScreenRect& work) {
    const int64_t ow = int64_t(old_rect.right) - old_rect.left;
    const int64_t oh = int64_t(old_rect.bottom) - old_rect.top;
    double fx = 0.5, fy = 0.5;
    if (ow > 0 && oh > 0) {
        fx = std::clamp(double(int64_t(cursor.x) - old_rect.left) / double(ow), 0.0, 1.0);
        fy = std::clamp(double(int64_t(cursor.y) - old_rect.top) / double(oh), 0.0, 1.0);
    }
    const ScreenPoint p{static_cast<int32_t>(cursor.x - w * fx), static_cast<int32_t>(cursor.y - h * fy)};
    return placement_clamp(work, p, w, h);
}

ScreenPoint recenter_position(const ScreenRect& current, int32_t w, int32_t h, const ScreenRect& work) {
    const int64_t cx = (int64_t(current.left) + current.right) / 2;
    const int64_t cy = (int64_t(current.top) + current.bottom) / 2;
    const ScreenPoint p{static_cast<int32_t>(cx - w / 2), static_cast<int32_t>(cy - h / 2)};
    return placement_clamp(work, p, w, h);
}
