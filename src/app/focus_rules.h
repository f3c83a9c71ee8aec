// Decisions about the keyboard focus: what losing it does to the window, and the start-up retries
// that claim the foreground until the user does something else.
#pragma once
#include <cstdint>

enum class FocusLoss { Nothing, Hide, Dim };
// owned_popup: a visible top-level window owned by the launcher (a message box, a shell menu, a
// dialog raised by an action) is up; the launcher then stays as it is.
FocusLoss focus_loss(bool visible, bool hide_on_focus, bool owned_popup, bool active);

constexpr int32_t kForegroundRetries = 5;
constexpr uint32_t kForegroundTimerId = 101;
constexpr uint32_t kForegroundTimerMs = 600;

struct ForegroundRetries {
    int32_t retries;
    bool activated_once;
};
enum class ForegroundTick { Retry, Stop };
// One tick of the retries timer. user_idle: the last-input time is still the one seen at start
// (or cannot be read). Retry uses one retry; Stop (and a retry that used the last one) means the
// timer is killed; retries are then 0.
ForegroundTick foreground_tick(ForegroundRetries& s, bool visible, bool other_in_front, bool user_idle);
// The retries end at the first deactivation after the window has been active once; returns true
// when they ended (the timer is killed).
bool foreground_deactivated(ForegroundRetries& s);
