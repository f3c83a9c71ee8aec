// Measuring UI text with GDI on the screen DC.
#include <windows.h>

#include "ui/text_measure.h"
#include "ui/text_utf16.h"

namespace {

// One memory DC compatible with the screen, kept for the process: it measures exactly as the
// screen DC does, without a GetDC/ReleaseDC round trip per measurement (each text command is
// measured when a frame is built). The font is reselected only when it changes.
class MeasureDc {
public:
    ~MeasureDc() {
        if (!dc_) return;
        if (old_) SelectObject(dc_, old_);
        DeleteDC(dc_);
    }
    HDC with(UiFont font) {
        if (!dc_) {
            dc_ = CreateCompatibleDC(nullptr);
            if (!dc_) return nullptr;
        }
        if (font != current_) {
            HGDIOBJ prev = SelectObject(dc_, font ? static_cast<HGDIOBJ>(font) : GetStockObject(SYSTEM_FONT));
            if (!prev) return nullptr;
            if (!old_) old_ = prev;
            current_ = font;
        }
        return dc_;
    }
    // Called before fonts are deleted, so that no deleted font stays selected.
    void release_font() {
        if (dc_ && old_) SelectObject(dc_, old_);
        current_ = nullptr;
        old_ = nullptr;
    }

private:
    HDC dc_ = nullptr;
    HGDIOBJ old_ = nullptr;
    UiFont current_ = nullptr;
};

class GdiTextMeasure final : public TextMeasure {
public:
    int width(UiFont font, const char* text, int len) override {
        char16_t wide[kUiTextMaxUnits];
        size_t n = ui_text_to_utf16(text, len, wide);
        if (n == 0) return 0;
        HDC dc = dc_.with(font);
        if (!dc) return 0;
        SIZE size = {};
        if (!GetTextExtentPoint32W(dc, reinterpret_cast<const wchar_t*>(wide), static_cast<int>(n), &size)) return 0;
        return size.cx;
    }
    int height(UiFont font) override { return metrics(font).height; }
    FontMetrics metrics(UiFont font) override {
        HDC dc = dc_.with(font);
        TEXTMETRICW tm = {};
        if (!dc || !GetTextMetricsW(dc, &tm)) return FontMetrics{0, 0, 0};
        return FontMetrics{tm.tmHeight, tm.tmInternalLeading, tm.tmDescent};
    }
    void release_font() { dc_.release_font(); }
    bool advances(UiFont font, const char16_t* text, int count, int* dx) {
        if (count <= 0) return true;
        HDC dc = dc_.with(font);
        if (!dc) return false;
        SIZE size = {};
        // Without a fit count the maximum extent is ignored and every unit's right edge is stored.
        if (!GetTextExtentExPointW(dc, reinterpret_cast<const wchar_t*>(text), count, 0, nullptr, dx, &size))
            return false;
        for (int i = count - 1; i > 0; --i) dx[i] -= dx[i - 1];
        return true;
    }

private:
    MeasureDc dc_;
};

GdiTextMeasure g_gdi;

}  // namespace

TextMeasure* text_measure_gdi() { return &g_gdi; }

void text_measure_gdi_release_font() { g_gdi.release_font(); }

bool text_measure_gdi_advances(UiFont font, const char16_t* text, int count, int* dx) {
    return g_gdi.advances(font, text, count, dx);
}
