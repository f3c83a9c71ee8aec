#include "app/searching_timer.h"

namespace {

uint32_t delay_until(uint64_t due, uint64_t now) {
    if (due <= now) return 0;
    const uint64_t d = due - now;
    return d > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(d);
}

}  // namespace

TimerStep searching_timer_sync(SearchingTimer& t, uint64_t due, uint64_t now) {
    if (due == 0) {
        const bool was_armed = t.armed;
        t = SearchingTimer{0, false};
        return TimerStep{was_armed ? TimerOp::Kill : TimerOp::None, 0, false};
    }
    if (due == t.due) return TimerStep{TimerOp::None, 0, false};
    t = SearchingTimer{due, true};
    return TimerStep{TimerOp::Arm, delay_until(due, now), false};
}

TimerStep searching_timer_fired(SearchingTimer& t, uint64_t now) {
    if (t.armed && t.due > now) return TimerStep{TimerOp::Arm, delay_until(t.due, now), false};
    t.armed = false;  // due stays: the same search does not arm it again
    return TimerStep{TimerOp::Kill, 0, true};
}
