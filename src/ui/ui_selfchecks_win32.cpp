// Smoke checks of fonts, measuring and painting with this machine's GDI.
#include <windows.h>

#include <cstring>

#include "core/selftest.h"
#include "ui/fonts.h"
#include "ui/palette.h"
#include "ui/renderer.h"
#include "ui/renderer_win32.h"
#include "ui/text_measure.h"

namespace {

// Uses the launcher's fonts when they exist, else makes them for the check and removes them after.
class FontsForCheck {
public:
    FontsForCheck() : previous_(&text_measure()), made_(font_large() == nullptr) {
        text_measure_install(text_measure_gdi());
        if (made_) fonts_create();
    }
    ~FontsForCheck() {
        if (made_) fonts_destroy();
        text_measure_install(previous_);
    }
    FontsForCheck(const FontsForCheck&) = delete;
    FontsForCheck& operator=(const FontsForCheck&) = delete;

private:
    TextMeasure* previous_;
    bool made_;
};

}  // namespace

SELFTEST_CHECK(check_ui_fonts_measure, "ui fonts are created and measure text") {
    FontsForCheck scope;
    if (!font_large() || !font_medium() || !font_small()) return false;
    int large = text_height(font_large()), medium = text_height(font_medium()), small_height = text_height(font_small());
    int w = text_width(font_medium(), "Kestrune", -1);
    return large > medium && medium > small_height && small_height > 0 && w > 0 && text_width(font_medium(), "Kestrune", 4) < w;
}

SELFTEST_CHECK(check_ui_paint, "ui frame paints into a bitmap, dimmed when inactive") {
    FontsForCheck scope;
    UiContext* ctx = ui_ctx();
    if (!ctx->text_width) renderer_init(ctx);
    const UiColor fill = palette_color(kSlotText);
    ui_frame_begin(ctx);
    ui_container_find(ctx, "main")->rect = ui_rect(0, 0, 64, 32);
    if (ui_window_begin(ctx, "main", ui_rect(0, 0, 64, 32), OPT_NO_RESIZE | OPT_NO_SCROLL | OPT_NO_CLOSE | OPT_NO_TITLE)) {
        ui_fill_rect(ctx, ui_rect(8, 8, 16, 16), fill);
        ui_window_end(ctx);
    }
    ui_frame_end(ctx);

    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) return false;
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = 64;
    bi.bmiHeader.biHeight = -32;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    unsigned char* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
    bool ok = false;
    if (bitmap && bits) {
        HGDIOBJ old = SelectObject(dc, bitmap);
        render(dc, 64, 32, true);
        GdiFlush();
        const unsigned char* p = bits + (10 * 64 + 10) * 4;
        const UiColor bg = palette_color(kSlotBackground);
        ok = p[2] == fill.r && p[1] == fill.g && p[0] == fill.b && bits[2] == bg.r && bits[1] == bg.g && bits[0] == bg.b;
        render(dc, 64, 32, false);
        GdiFlush();
        ok = ok && p[2] == ((fill.r * 5) >> 3) && p[1] == ((fill.g * 5) >> 3) && p[0] == ((fill.b * 5) >> 3);
        SelectObject(dc, old);
    }
    if (bitmap) DeleteObject(bitmap);
    DeleteDC(dc);
    return ok;
}
