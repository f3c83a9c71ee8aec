// The face test and the three fonts, created with GDI for the current DPI.
#include <windows.h>

#include <initializer_list>

#include "ui/fonts.h"
#include "ui/metrics.h"
#include "ui/renderer.h"
#include "ui/text_measure.h"

namespace {

constexpr wchar_t kPreferredFace[] = L"Cascadia Code";
constexpr wchar_t kFallbackFace[] = L"Segoe UI";

int g_face_state = -1;  // -1 not tested yet, 0 missing, 1 installed

bool equal_ci_ascii(const wchar_t* a, const wchar_t* b) {
    for (;; a++, b++) {
        wchar_t ca = (*a >= L'A' && *a <= L'Z') ? wchar_t(*a + 32) : *a;
        wchar_t cb = (*b >= L'A' && *b <= L'Z') ? wchar_t(*b + 32) : *b;
        if (ca != cb) return false;
        if (!ca) return true;
    }
}

HFONT font_create(int points, const wchar_t* face) {
    int height = -MulDiv(points, dpi_current(), 72);
    return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                       CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
}

void font_replace(UiFont* slot, HFONT font) {
    if (!font) return;  // keep the previous font
    text_measure_gdi_release_font();
    if (*slot) DeleteObject(static_cast<HFONT>(*slot));
    *slot = font;
}

}  // namespace

// GDI substitutes another face for one that is not installed; reading the selected face back
// tells whether the requested one exists.
bool font_face_cascadia_installed() {
    if (g_face_state >= 0) return g_face_state == 1;
    g_face_state = 0;
    HFONT font = CreateFontW(0, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, kPreferredFace);
    if (!font) return false;
    if (HDC dc = GetDC(nullptr)) {
        HGDIOBJ old = SelectObject(dc, font);
        wchar_t face[33] = {};
        if (GetTextFaceW(dc, 32, face) > 0 && equal_ci_ascii(face, kPreferredFace)) g_face_state = 1;
        SelectObject(dc, old);
        ReleaseDC(nullptr, dc);
    }
    DeleteObject(font);
    return g_face_state == 1;
}

void fonts_create() {
    const wchar_t* face = font_face_cascadia_installed() ? kPreferredFace : kFallbackFace;
    UiFonts& f = fonts();
    font_replace(&f.large_font, font_create(kFontPointsLarge, face));
    font_replace(&f.medium_font, font_create(kFontPointsMedium, face));
    font_replace(&f.small_font, font_create(kFontPointsSmall, face));
    style_apply(ui_ctx());
}

void fonts_destroy() {
    text_measure_gdi_release_font();
    UiFonts& f = fonts();
    for (UiFont* slot : {&f.large_font, &f.medium_font, &f.small_font}) {
        if (*slot) DeleteObject(static_cast<HFONT>(*slot));
        *slot = nullptr;
    }
    style_apply(ui_ctx());
}
