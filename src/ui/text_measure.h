// How UI text is measured: the GDI screen DC on Windows, a deterministic fake in tests.
// The UI core's text_width and text_height callbacks go through the installed measure.
#pragma once
#include "uicore/uicore.h"

struct FontMetrics {
    int height;            // tmHeight
    int internal_leading;  // tmInternalLeading
    int descent;           // tmDescent
};

class TextMeasure {
public:
    virtual ~TextMeasure() = default;
    // UTF-8 text; len -1 means up to the NUL. Pixels.
    virtual int width(UiFont font, const char* text, int len) = 0;
    virtual int height(UiFont font) = 0;
    virtual FontMetrics metrics(UiFont font) = 0;
};

// The measure in use (window thread). Installing null restores a measure that reports 0 for everything.
void text_measure_install(TextMeasure* measure);
TextMeasure& text_measure();

inline int text_width(UiFont font, const char* text, int len) { return text_measure().width(font, text, len); }
inline int text_height(UiFont font) { return text_measure().height(font); }
inline FontMetrics text_metrics(UiFont font) { return text_measure().metrics(font); }

// Windows only (text_measure_win32.cpp): measuring with a DC compatible with the screen.
TextMeasure* text_measure_gdi();
// Deselects the last measured font from that DC; fonts_create and fonts_destroy call it before
// deleting fonts.
void text_measure_gdi_release_font();
// The advance of each UTF-16 unit of text in font, from the partial extents that DC measures
// (GetTextExtentExPointW): dx[i] = edge[i] - edge[i - 1]. Drawing with them (ExtTextOutW's lpDx)
// puts every glyph where the layout measured it, on every GDI. False when it cannot measure.
bool text_measure_gdi_advances(UiFont font, const char16_t* text, int count, int* dx);
