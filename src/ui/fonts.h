// The three fonts of the interface, all of one face, created together and replaced together.
#pragma once
#include "uicore/uicore.h"

constexpr int kFontPointsLarge = 16;   // the UI core's style font
constexpr int kFontPointsMedium = 12;  // search text, row titles, dialog questions
constexpr int kFontPointsSmall = 9;    // subtitles, footer, hints, key caps, badges, letter tiles

struct UiFonts {
    UiFont large_font;
    UiFont medium_font;
    UiFont small_font;
};

// The current handles (window thread). Null until fonts_create (or a test's fake) sets them.
UiFonts& fonts();
inline UiFont font_large() { return fonts().large_font; }
inline UiFont font_medium() { return fonts().medium_font; }
inline UiFont font_small() { return fonts().small_font; }

// Windows only (fonts_win32.cpp): the face test, (re)creating the three fonts at the current DPI
// (a font replaces the old one only when its creation succeeded; then style_apply runs on the
// launcher's context), and deleting them at shutdown.
bool font_face_cascadia_installed();
void fonts_create();
void fonts_destroy();
