#include "app/monitor_mode.h"

#include "store/options.h"

namespace {

int32_t known(int32_t mode) { return mode == kMonitorCursor || mode == kMonitorRemember ? mode : kMonitorPrimary; }

}  // namespace

int32_t monitor_mode_step(int32_t mode, int32_t direction) {
    return (known(mode) + (direction >= 0 ? 1 : 2)) % 3;
}

const char16_t* monitor_mode_display_name(int32_t mode) {
    switch (known(mode)) {
        case kMonitorCursor: return u"Under cursor";
        case kMonitorRemember: return u"Remember";
        default: return u"Primary";
    }
}

const char16_t* monitor_mode_description(int32_t mode) {
    switch (known(mode)) {
        case kMonitorCursor: return u"Opens on the display under the mouse";
        case kMonitorRemember: return u"Reopens where it was last closed";
        default: return u"Always opens on the primary display";
    }
}
