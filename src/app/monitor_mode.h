// The monitor modes as the options view shows and steps them (the stored words are read and
// written by the options store).
#pragma once
#include <cstdint>

// direction >= 0: primary -> under cursor -> remember -> primary; < 0 the other way round.
int32_t monitor_mode_step(int32_t mode, int32_t direction);
const char16_t* monitor_mode_display_name(int32_t mode);
const char16_t* monitor_mode_description(int32_t mode);
