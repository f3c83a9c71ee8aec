// Measuring UI text with GDI on the screen DC.
#include <windows.h>

#include "ui/text_measure.h"
#include "ui/text_utf16.h"

namespace {

// Selects the font into the screen DC for one measurement and releases the DC afterwards.
class ScreenDc {
public:
    explicit ScreenDc(UiFont font) : dc_(GetDC(nullptr)) {
        if (dc_ && font) old_ = SelectObject(dc_, static_cast<HFONT>(font));
    }
    ~ScreenDc() {
        if (!dc_) return;
        if (old_) SelectObject(dc_, old_);
        ReleaseDC(nullptr, dc_);
    }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
    HGDIOBJ old_ = nullptr;
};

class GdiTextMeasure final : public TextMeasure {
public:
    int width(UiFont font, const char* text, int len) override {
        char16_t wide[kUiTextMaxUnits];
        size_t n = ui_text_to_utf16(text, len, wide);
        if (n == 0) return 0;
        ScreenDc dc(font);
        if (!dc.get()) return 0;
        SIZE size = {};
        if (!GetTextExtentPoint32W(dc.get(), reinterpret_cast<const wchar_t*>(wide), static_cast<int>(n), &size)) return 0;
        return size.cx;
    }
    int height(UiFont font) override { return metrics(font).height; }
    FontMetrics metrics(UiFont font) override {
        ScreenDc dc(font);
        TEXTMETRICW tm = {};
        if (!dc.get() || !GetTextMetricsW(dc.get(), &tm)) return FontMetrics{0, 0, 0};
        return FontMetrics{tm.tmHeight, tm.tmInternalLeading, tm.tmDescent};
    }
};

GdiTextMeasure g_gdi;

}  // namespace

TextMeasure* text_measure_gdi() { return &g_gdi; }
