#include "ui/theme_names.h"

#include "core/text.h"

int theme_parse(std::u16string_view stored) {
    if (text_equal_ci(stored, u"light")) return kThemeLight;
    if (text_equal_ci(stored, u"hc") || text_equal_ci(stored, u"highcontrast") || text_equal_ci(stored, u"high-contrast"))
        return kThemeHighContrast;
    return kThemeDark;
}

const char16_t* theme_stored_name(int theme) {
    switch (theme) {
        case kThemeLight: return u"light";
        case kThemeHighContrast: return u"hc";
        default: return u"dark";
    }
}

const char16_t* theme_display_name(int theme) {
    switch (theme) {
        case kThemeLight: return u"Light";
        case kThemeHighContrast: return u"High contrast";
        default: return u"Dark";
    }
}

int theme_cycle(int theme, int direction) {
    if (theme < kThemeDark || theme > kThemeHighContrast) theme = kThemeDark;
    return direction < 0 ? (theme + 2) % 3 : (theme + 1) % 3;
}
