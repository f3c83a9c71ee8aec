// The footer's "searching..." timer: armed for the due moment of the latest search, killed when
// its final list arrives, fired once per search.
#include <gtest/gtest.h>

#include "app/searching_timer.h"

namespace {

TEST(SearchingTimer, FollowsTheLatestSearch) {
    struct Step {
        const char* what;
        bool fired;     // the timer fired (else: a sync with due)
        uint64_t due;   // for a sync
        uint64_t now;
        TimerOp op;
        uint32_t delay;
        bool repaint;
    } steps[] = {
        {"nothing awaited", false, 0, 1000, TimerOp::None, 0, false},
        {"a search at 1000 arms for 1250", false, 1250, 1000, TimerOp::Arm, 250, false},
        {"the same search again: quiet", false, 1250, 1100, TimerOp::None, 0, false},
        {"a newer search re-arms", false, 1400, 1150, TimerOp::Arm, 250, false},
        {"fired a little early: set again for the rest", true, 0, 1395, TimerOp::Arm, 5, false},
        {"fired on time: killed, the footer repaints", true, 0, 1400, TimerOp::Kill, 0, true},
        {"the served search does not arm again", false, 1400, 1500, TimerOp::None, 0, false},
        {"its final list: no timer left to kill", false, 0, 1600, TimerOp::None, 0, false},
        {"a search whose due already passed fires at once", false, 1700, 1900, TimerOp::Arm, 0, false},
        {"its final list before the timer fired kills it", false, 0, 1901, TimerOp::Kill, 0, false},
        {"a late WM_TIMER after the kill only repaints", true, 0, 1950, TimerOp::Kill, 0, true},
    };
    SearchingTimer t{};
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        const TimerStep got = s.fired ? searching_timer_fired(t, s.now) : searching_timer_sync(t, s.due, s.now);
        EXPECT_EQ(got.op, s.op);
        if (s.op == TimerOp::Arm) {
            EXPECT_EQ(got.delay_ms, s.delay);
        }
        EXPECT_EQ(got.repaint, s.repaint);
    }
}

}  // namespace
