// The three colour themes as 16-slot palettes, and the current theme. Views never use raw colours:
// they ask for a slot. All alphas are 255 (the renderer ignores them).
#pragma once
#include <cstdint>

#include "uicore/uicore.h"

enum PaletteSlot : int {
    kSlotBackground = 0,  // window background; text over a filled progress bar
    kSlotText = 1,        // titles, search text, caret, key-cap text, percentages, badge text
    kSlotDim = 2,         // subtitles, footer count and hints, captions; hovered scrollbar thumb
    kSlotSelected = 3,    // selected row, footer badge, text selection, idle scrollbar thumb
    kSlotHover = 4,       // hovered row
    kSlotAccent = 5,      // selection bar, progress fill below 90 %, hovered stepper button
    kSlotMatch = 6,       // characters that matched the query
    kSlotTile = 7,        // letter tile, idle stepper buttons, version text, highlighted dialog button
    kSlotTileLetter = 8,  // letter-tile letter
    kSlotToggleOn = 9,
    kSlotToggleOff = 10,  // also the progress track
    kSlotKnob = 11,
    kSlotKeyCap = 12,     // key caps; the dialog button that is not highlighted
    kSlotBorder = 13,     // dialog frames
    kSlotWarning = 14,    // flagged row title, progress fill at 90 % or more, "Everything not found"
    kSlotWarningDim = 15, // flagged row subtitle
    kPaletteSlots = 16
};

struct Palette {
    UiColor slot[kPaletteSlots];
};

const Palette& palette_of(int theme);  // an unknown theme number gives dark

// The current theme (0 dark, 1 light, 2 high contrast); window thread only.
void theme_set(int theme);
int theme_current();
const Palette& palette();
inline UiColor palette_color(int slot) { return palette().slot[slot & (kPaletteSlots - 1)]; }

// GDI colour value r | g << 8 | b << 16.
constexpr uint32_t color_gdi(UiColor c) { return uint32_t(c.r) | uint32_t(c.g) << 8 | uint32_t(c.b) << 16; }
