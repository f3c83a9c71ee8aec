#include "ui/palette.h"

#include "ui/theme_names.h"

namespace {

constexpr UiColor hex(uint32_t rgb) { return UiColor{uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb), 255}; }

constexpr Palette kDark = {{
    hex(0x1e1e2e), hex(0xcdd6f4), hex(0x7f849c), hex(0x45475a), hex(0x313244), hex(0x89b4fa), hex(0xd9b130), hex(0x585b70),
    hex(0xcdd6f4), hex(0x89b4fa), hex(0x585b70), hex(0xcdd6f4), hex(0x45475a), hex(0x585b70), hex(0xf38b8b), hex(0xc97a7e),
}};
constexpr Palette kLight = {{
    hex(0xc3cfe1), hex(0x141422), hex(0x383844), hex(0xa9b3cd), hex(0xb6bcd1), hex(0x144aa8), hex(0x1a73e8), hex(0xafb7cd),
    hex(0x141422), hex(0x144aa8), hex(0x8c91a5), hex(0xffffff), hex(0xafb7cd), hex(0x596074), hex(0x9a1a1a), hex(0x742424),
}};
constexpr Palette kHighContrast = {{
    hex(0x000000), hex(0xffffff), hex(0xffffff), hex(0x663300), hex(0x333333), hex(0xffd700), hex(0xffff00), hex(0x585b70),
    hex(0xffff00), hex(0xffd700), hex(0x555555), hex(0xffffff), hex(0x222222), hex(0xffff00), hex(0xff5555), hex(0xff9999),
}};

int g_theme = kThemeDark;

}  // namespace

const Palette& palette_of(int theme) {
    switch (theme) {
        case kThemeLight: return kLight;
        case kThemeHighContrast: return kHighContrast;
        default: return kDark;
    }
}

void theme_set(int theme) { g_theme = (theme >= kThemeDark && theme <= kThemeHighContrast) ? theme : kThemeDark; }
int theme_current() { return g_theme; }
const Palette& palette() { return palette_of(g_theme); }
