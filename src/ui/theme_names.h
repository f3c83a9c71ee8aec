// The three colour themes by number, their stored and display names, and stepping between them.
#pragma once
#include <string_view>

enum Theme : int { kThemeDark = 0, kThemeLight = 1, kThemeHighContrast = 2 };

// "light" -> light; "hc", "highcontrast", "high-contrast" -> high contrast; anything else dark (any case).
int theme_parse(std::u16string_view stored);
const char16_t* theme_stored_name(int theme);   // "dark", "light", "hc"
const char16_t* theme_display_name(int theme);  // "Dark", "Light", "High contrast"
// Forward dark -> light -> high contrast -> dark; a negative direction goes backward.
int theme_cycle(int theme, int direction);
