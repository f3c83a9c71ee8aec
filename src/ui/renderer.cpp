#include "ui/renderer.h"

#include <cstdint>
#include <cstring>

#include "ui/fonts.h"
#include "ui/metrics.h"
#include "ui/palette.h"
#include "ui/text_measure.h"

namespace {

UiContext g_ctx;

int measure_width(UiFont font, const char* str, int len) { return text_width(font, str, len); }
int measure_height(UiFont font) { return text_height(font); }
void fill_frame(UiContext* ctx, UiRect rect, int colorid) { ui_fill_rect(ctx, rect, ctx->style->colors[colorid]); }

}  // namespace

UiContext* ui_ctx() { return &g_ctx; }

void ui_callbacks_install(UiContext* ctx) {
    ctx->text_width = measure_width;
    ctx->text_height = measure_height;
    ctx->draw_frame = fill_frame;
}

void style_apply(UiContext* ctx) {
    if (!ctx || !ctx->style) return;  // ui_init has not run yet: the style comes with renderer_init
    const Palette& p = palette();
    UiStyle* s = ctx->style;
    s->font = font_large();
    s->padding = scale(kUiPadding);
    s->spacing = scale(kUiSpacing);
    UiColor* c = s->colors;
    c[UI_COLOR_TEXT] = p.slot[kSlotText];
    c[UI_COLOR_BORDER] = p.slot[kSlotBorder];
    c[UI_COLOR_WINDOWBG] = p.slot[kSlotBackground];
    c[UI_COLOR_TITLEBG] = p.slot[kSlotBackground];
    c[UI_COLOR_TITLETEXT] = p.slot[kSlotText];
    c[UI_COLOR_PANELBG] = p.slot[kSlotBackground];
    c[UI_COLOR_BUTTON] = p.slot[kSlotSelected];
    c[UI_COLOR_BUTTONHOVER] = p.slot[kSlotTile];
    c[UI_COLOR_BUTTONFOCUS] = p.slot[kSlotSelected];
    c[UI_COLOR_BASE] = p.slot[kSlotBackground];
    c[UI_COLOR_BASEHOVER] = p.slot[kSlotBackground];
    c[UI_COLOR_BASEFOCUS] = p.slot[kSlotBackground];
    c[UI_COLOR_SCROLLBASE] = ui_color(0, 0, 0, 0);
    c[UI_COLOR_SCROLLTHUMB] = p.slot[kSlotSelected];
}

void renderer_init(UiContext* ctx) {
    ui_init(ctx);
    ui_callbacks_install(ctx);
    style_apply(ctx);
}

// Blue and red sit in two 16-bit lanes of one word, so a single multiply and shift dims both
// (255 * 5 fits a lane; the bits shifted across lanes are masked off); green alone; alpha kept.
void pixels_dim(unsigned char* bgra, size_t pixel_count) {
    for (size_t i = 0; i < pixel_count; i++, bgra += 4) {
        uint32_t v;
        std::memcpy(&v, bgra, 4);
        uint32_t br = (((v & 0x00FF00FFu) * 5u) >> 3) & 0x00FF00FFu;
        uint32_t g = ((((v >> 8) & 0xFFu) * 5u) >> 3) << 8;
        v = br | g | (v & 0xFF000000u);
        std::memcpy(bgra, &v, 4);
    }
}
