// The timer that brings "searching..." into the footer on its own: the footer reads it once the
// final list of the latest search is late, but nothing repaints at that moment unless a timer
// fires then. The window procedure asks after every message that may have started a search or
// delivered its list, and does what the answer says; the decisions are plain arithmetic here.
#pragma once
#include <cstdint>

struct SearchingTimer {
    uint64_t due;  // the moment the timer is set for (or has fired for); 0 for none
    bool armed;    // a timer is set and has not fired yet
};

constexpr uint32_t kSearchingTimerId = 102;

enum class TimerOp : uint8_t { None, Arm, Kill };

struct TimerStep {
    TimerOp op;
    uint32_t delay_ms;  // with Arm: how long from now
    bool repaint;       // the footer should be painted again now
};

// due: when the footer starts to read "searching..." (view_searching_due_ms), 0 when nothing is
// awaited. A new due moment arms the timer (replacing one set for an older search); a due of 0
// kills a timer still set; a due already served stays quiet.
TimerStep searching_timer_sync(SearchingTimer& t, uint64_t due, uint64_t now);

// The timer fired: one that fired early is set again for the rest; otherwise it is killed and the
// window repaints so the footer shows "searching...".
TimerStep searching_timer_fired(SearchingTimer& t, uint64_t now);
