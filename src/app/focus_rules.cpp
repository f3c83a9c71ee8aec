#include "app/focus_rules.h"

FocusLoss focus_loss(bool visible, bool hide_on_focus, bool owned_popup, bool active) {
    if (!visible || owned_popup) return FocusLoss::Nothing;
    if (hide_on_focus) return FocusLoss::Hide;
    return active ? FocusLoss::Dim : FocusLoss::Nothing;
}

ForegroundTick foreground_tick(ForegroundRetries& s, bool visible, bool other_in_front, bool user_idle) {
    if (visible && s.retries > 0 && other_in_front && user_idle) {
        --s.retries;
        return ForegroundTick::Retry;
    }
    s.retries = 0;
    return ForegroundTick::Stop;
}

bool foreground_deactivated(ForegroundRetries& s) {
    if (s.retries <= 0 || !s.activated_once) return false;
    s.retries = 0;
    s.activated_once = false;
    return true;
}
