// Painting a finished UI core frame: an off-screen 32-bit DIB section, GDI fills and text,
// optional dimming for the inactive window, then one BitBlt to the window.
#include <windows.h>

#include "ui/metrics.h"
#include "ui/palette.h"
#include "ui/renderer.h"
#include "ui/renderer_win32.h"
#include "ui/text_measure.h"
#include "ui/text_utf16.h"

namespace {

RenderIconsFn g_icons = nullptr;
void* g_icons_user = nullptr;

COLORREF gdi_color(UiColor c) { return static_cast<COLORREF>(color_gdi(c)); }

void fill(HDC dc, int x, int y, int w, int h, UiColor color) {
    RECT rc = {x, y, x + w, y + h};
    HBRUSH brush = CreateSolidBrush(gdi_color(color));
    if (!brush) return;
    FillRect(dc, &rc, brush);
    DeleteObject(brush);
}

// Selects each new clip region into the DC and deletes the one it replaces.
class ClipRegion {
public:
    explicit ClipRegion(HDC dc) : dc_(dc) {}
    ~ClipRegion() {
        SelectClipRgn(dc_, nullptr);
        if (region_) DeleteObject(region_);
    }
    ClipRegion(const ClipRegion&) = delete;
    ClipRegion& operator=(const ClipRegion&) = delete;
    void set(int x, int y, int w, int h) {
        HRGN region = CreateRectRgn(x, y, x + w, y + h);
        if (!region) return;
        SelectClipRgn(dc_, region);
        if (region_) DeleteObject(region_);
        region_ = region;
    }

private:
    HDC dc_;
    HRGN region_ = nullptr;
};

// Each glyph goes where the layout measured it: with the advances of the same measurement that
// placed the text (ExtTextOutW's own spacing differs from GetTextExtentPoint32W under wine, which
// would pull highlight pieces apart and leave the caret past the text).
void draw_text(HDC dc, const UiTextCommand& cmd) {
    char16_t wide[kUiTextMaxUnits];
    int dx[kUiTextMaxUnits];
    size_t n = ui_text_to_utf16(cmd.str, -1, wide);
    const bool spaced = text_measure_gdi_advances(cmd.font, wide, static_cast<int>(n), dx);
    HGDIOBJ old = cmd.font ? SelectObject(dc, static_cast<HFONT>(cmd.font)) : nullptr;
    SetTextColor(dc, gdi_color(cmd.color));
    SetBkMode(dc, TRANSPARENT);
    ExtTextOutW(dc, cmd.pos.x, cmd.pos.y, 0, nullptr, reinterpret_cast<const wchar_t*>(wide), static_cast<UINT>(n),
                spaced ? dx : nullptr);
    if (old) SelectObject(dc, old);
}

void draw_commands(HDC dc, int width) {
    ClipRegion clip(dc);
    UiContext* ctx = ui_ctx();
    UiCommand* cmd = nullptr;
    while (ui_cmd_next(ctx, &cmd)) {
        switch (cmd->type) {
            case UI_COMMAND_CLIP: {
                UiRect r = cmd->clip.rect;
                clip.set(r.x, r.y, r.w, r.h);
                break;
            }
            case UI_COMMAND_RECT: {
                UiRect r = cmd->rect.rect;
                fill(dc, r.x, r.y, r.w, r.h, cmd->rect.color);
                break;
            }
            case UI_COMMAND_TEXT: draw_text(dc, cmd->text); break;
            default: break;  // icon commands are not painted: row icons come from the icon loader
        }
    }
    if (g_icons) {
        int top = list_top();
        clip.set(0, top, width, list_bottom() - top);
        g_icons(dc, g_icons_user);
    }
}

}  // namespace

void render_icons_hook_set(RenderIconsFn fn, void* user) {
    g_icons = fn;
    g_icons_user = user;
}

namespace {

// The off-screen bitmap, kept between frames while the client size stays the same: creating a
// DIB section per paint costs more than drawing the whole frame.
class BackBuffer {
public:
    ~BackBuffer() { release(); }
    // A memory DC holding a top-down 32-bit DIB of the size, or null when either cannot be made.
    HDC get(HDC compatible, int width, int height) {
        if (mem_ && width == width_ && height == height_) return mem_;
        release();
        HDC mem = CreateCompatibleDC(compatible);
        if (!mem) return nullptr;
        BITMAPINFO bi = {};
        bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
        bi.bmiHeader.biWidth = width;
        bi.bmiHeader.biHeight = -height;  // top-down
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        HBITMAP dib = CreateDIBSection(compatible, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (!dib || !bits) {
            if (dib) DeleteObject(dib);
            DeleteDC(mem);
            return nullptr;
        }
        mem_ = mem;
        dib_ = dib;
        bits_ = static_cast<unsigned char*>(bits);
        old_bitmap_ = SelectObject(mem_, dib_);
        width_ = width;
        height_ = height;
        return mem_;
    }
    unsigned char* bits() const { return bits_; }
    void release() {
        if (!mem_) return;
        SelectObject(mem_, old_bitmap_);
        DeleteObject(dib_);
        DeleteDC(mem_);
        mem_ = nullptr;
        dib_ = nullptr;
        bits_ = nullptr;
        width_ = height_ = 0;
    }

private:
    HDC mem_ = nullptr;
    HBITMAP dib_ = nullptr;
    HGDIOBJ old_bitmap_ = nullptr;
    unsigned char* bits_ = nullptr;
    int width_ = 0, height_ = 0;
};

BackBuffer g_back;

}  // namespace

void render(HDC dc, int width, int height, bool active) {
    if (!dc || width <= 0 || height <= 0) return;
    HDC mem = g_back.get(dc, width, height);
    if (!mem) return;

    fill(mem, 0, 0, width, height, palette_color(kSlotBackground));
    draw_commands(mem, width);
    if (!active) {
        GdiFlush();
        pixels_dim(g_back.bits(), static_cast<size_t>(width) * static_cast<size_t>(height));
    }
    BitBlt(dc, 0, 0, width, height, mem, 0, 0, SRCCOPY);
}

void render_release() { g_back.release(); }
