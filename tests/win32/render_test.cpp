// Real GDI frames painted into a DIB, checked pixel by pixel.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "ui/fonts.h"
#include "ui/metrics.h"
#include "ui/palette.h"
#include "ui/renderer.h"
#include "ui/renderer_win32.h"
#include "ui/text_measure.h"
#include "ui/theme_names.h"

namespace {

constexpr int kMainOpts = OPT_NO_RESIZE | OPT_NO_SCROLL | OPT_NO_CLOSE | OPT_NO_TITLE;

// A 32-bit top-down DIB selected into a memory DC stands in for the window's DC.
class Target {
public:
    Target(int w, int h) : w_(w), h_(h) {
        dc_ = CreateCompatibleDC(nullptr);
        BITMAPINFO bi = {};
        bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
        bi.bmiHeader.biWidth = w;
        bi.bmiHeader.biHeight = -h;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        bitmap_ = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
        std::memset(bits_, 0xAB, size_t(w) * size_t(h) * 4);
    }
    ~Target() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    Target(const Target&) = delete;
    Target& operator=(const Target&) = delete;

    HDC dc() const { return dc_; }
    bool ok() const { return dc_ && bitmap_ && bits_; }
    // (r, g, b) of one pixel.
    UiColor at(int x, int y) const {
        GdiFlush();
        const unsigned char* p = bits_ + (size_t(y) * size_t(w_) + size_t(x)) * 4;
        return UiColor{p[2], p[1], p[0], 255};
    }
    std::vector<unsigned char> pixels() const {
        GdiFlush();
        return std::vector<unsigned char>(bits_, bits_ + size_t(w_) * size_t(h_) * 4);
    }

private:
    int w_, h_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    unsigned char* bits_ = nullptr;
};

class GdiFrame : public ::testing::Test {
protected:
    void SetUp() override {
        theme_set(kThemeDark);
        dpi_set(96);
        text_measure_install(text_measure_gdi());
        renderer_init(ui_ctx());
        fonts_create();
        ctx = ui_ctx();
    }
    void TearDown() override {
        fonts_destroy();
        text_measure_install(nullptr);
        theme_set(kThemeDark);
    }
    template <typename F>
    void build(F body) {
        ui_frame_begin(ctx);
        ui_container_find(ctx, "main")->rect = ui_rect(0, 0, kW, kH);
        if (ui_window_begin(ctx, "main", ui_rect(0, 0, kW, kH), kMainOpts)) {
            body();
            ui_window_end(ctx);
        }
        ui_frame_end(ctx);
    }
    static constexpr int kW = 160;
    static constexpr int kH = 100;
    UiContext* ctx = nullptr;
};

TEST_F(GdiFrame, FontsAreCreatedAndMeasureText) {
    ASSERT_NE(font_large(), nullptr);
    ASSERT_NE(font_medium(), nullptr);
    ASSERT_NE(font_small(), nullptr);
    EXPECT_EQ(ctx->style->font, font_large());
    int large = text_height(font_large()), medium = text_height(font_medium()), little = text_height(font_small());
    EXPECT_GT(large, medium);
    EXPECT_GT(medium, little);
    EXPECT_GT(little, 0);
    FontMetrics m = text_metrics(font_medium());
    EXPECT_EQ(m.height, medium);
    EXPECT_GT(m.descent, 0);
    int one = text_width(font_medium(), "W", -1);
    EXPECT_GT(one, 0);
    EXPECT_EQ(text_width(font_medium(), "WWWW", -1), 4 * one);
    EXPECT_EQ(text_width(font_medium(), "WWWW", 2), 2 * one);
    EXPECT_EQ(text_width(font_medium(), "", -1), 0);

    // Re-creating at another DPI replaces all three and scales them.
    dpi_set(192);
    fonts_create();
    EXPECT_GT(text_height(font_medium()), medium * 3 / 2);
    dpi_set(96);
}

TEST_F(GdiFrame, BackgroundRectAndClippedText) {
    Target target(kW, kH);
    ASSERT_TRUE(target.ok());
    const UiColor bg = palette_color(kSlotBackground);
    const UiColor accent = palette_color(kSlotAccent);

    // An empty frame is slot 0 everywhere.
    build([] {});
    render(target.dc(), kW, kH, true);
    for (int y = 0; y < kH; y += 7)
        for (int x = 0; x < kW; x += 5) ASSERT_EQ(target.at(x, y), bg) << x << "," << y;

    // A filled rect in its colour, nothing around it.
    build([&] { ui_fill_rect(ctx, ui_rect(20, 30, 40, 10), accent); });
    render(target.dc(), kW, kH, true);
    EXPECT_EQ(target.at(20, 30), accent);
    EXPECT_EQ(target.at(59, 39), accent);
    EXPECT_EQ(target.at(60, 39), bg);
    EXPECT_EQ(target.at(20, 40), bg);
    EXPECT_EQ(target.at(19, 30), bg);

    // Text partly outside its clip shows ink inside the clip and none outside it.
    const UiRect clip = ui_rect(30, 20, 40, 20);
    build([&] {
        ui_clip_push(ctx, clip);
        ui_text_at(ctx, font_large(), "WWWWWWWWWWWW", -1, ui_vec(10, 15), palette_color(kSlotText));
        ui_clip_pop(ctx);
        // Drawn after the clip was reset: not clipped.
        ui_fill_rect(ctx, ui_rect(100, 80, 5, 5), accent);
    });
    render(target.dc(), kW, kH, true);
    int inside = 0, outside = 0;
    for (int y = 0; y < kH; y++)
        for (int x = 0; x < kW; x++) {
            if (x >= 100 && x < 105 && y >= 80 && y < 85) continue;
            bool in = x >= clip.x && x < clip.x + clip.w && y >= clip.y && y < clip.y + clip.h;
            if (!(target.at(x, y) == bg)) (in ? inside : outside)++;
        }
    EXPECT_GT(inside, 20);
    EXPECT_EQ(outside, 0);
    EXPECT_EQ(target.at(102, 82), accent);
}

TEST_F(GdiFrame, DrawnTextStaysInsideItsMeasuredBox) {
    Target target(kW, kH);
    ASSERT_TRUE(target.ok());
    const UiColor bg = palette_color(kSlotBackground);
    const char* text = "Kestrune \xc3\xa9t\xc3\xa9";
    const int x0 = 12, y0 = 20;
    const int w = text_width(font_medium(), text, -1), h = text_height(font_medium());
    ASSERT_LT(x0 + w, kW);
    build([&] { ui_text_at(ctx, font_medium(), text, -1, ui_vec(x0, y0), palette_color(kSlotText)); });
    render(target.dc(), kW, kH, true);
    int min_x = kW, max_x = -1, min_y = kH, max_y = -1;
    for (int y = 0; y < kH; y++)
        for (int x = 0; x < kW; x++)
            if (!(target.at(x, y) == bg)) {
                min_x = std::min(min_x, x);
                max_x = std::max(max_x, x);
                min_y = std::min(min_y, y);
                max_y = std::max(max_y, y);
            }
    ASSERT_GE(max_x, 0) << "no ink";
    EXPECT_GE(min_x, x0 - 1);
    EXPECT_LE(max_x, x0 + w + 1);
    EXPECT_GT(max_x, x0 + w / 2) << "the ink spans the measured width";
    EXPECT_GE(min_y, y0);
    EXPECT_LT(max_y, y0 + h);
}

TEST_F(GdiFrame, InactiveFrameIsFiveEighthsOfTheActiveOne) {
    Target target(kW, kH);
    ASSERT_TRUE(target.ok());
    theme_set(kThemeLight);  // bright colours: the dimming shows in every channel
    style_apply(ctx);
    build([&] {
        ui_fill_rect(ctx, ui_rect(10, 10, 50, 30), palette_color(kSlotKnob));
        ui_fill_rect(ctx, ui_rect(70, 10, 50, 30), palette_color(kSlotMatch));
        ui_text_at(ctx, font_medium(), "Kestrune 0.4", -1, ui_vec(10, 50), palette_color(kSlotText));
    });
    render(target.dc(), kW, kH, true);
    std::vector<unsigned char> active = target.pixels();
    render(target.dc(), kW, kH, false);
    std::vector<unsigned char> inactive = target.pixels();
    ASSERT_EQ(active.size(), inactive.size());
    size_t mismatches = 0;
    for (size_t i = 0; i < active.size(); i++) {
        if (i % 4 == 3) continue;  // alpha
        if (inactive[i] != ((active[i] * 5) >> 3)) mismatches++;
    }
    EXPECT_EQ(mismatches, 0u);
    EXPECT_EQ(target.at(20, 20), (UiColor{(255 * 5) >> 3, (255 * 5) >> 3, (255 * 5) >> 3, 255}));
}

TEST_F(GdiFrame, NothingIsPaintedWithoutADcOrASize) {
    Target target(kW, kH);
    ASSERT_TRUE(target.ok());
    build([] {});
    render(nullptr, kW, kH, true);
    render(target.dc(), 0, kH, true);
    render(target.dc(), kW, -1, true);
    EXPECT_EQ(target.at(0, 0), (UiColor{0xAB, 0xAB, 0xAB, 255}));
}

TEST(Dpi, LookupsGiveUsableValues) {
    dpi_awareness_init();
    int system = dpi_system();
    EXPECT_GE(system, 72);
    EXPECT_LE(system, 960);
    POINT origin = {0, 0};
    HMONITOR monitor = MonitorFromPoint(origin, MONITOR_DEFAULTTOPRIMARY);
    int m = dpi_for_monitor(monitor);
    EXPECT_TRUE(m == 0 || (m >= 72 && m <= 960)) << m;
    EXPECT_EQ(dpi_for_monitor(nullptr), 0);
    EXPECT_EQ(dpi_for_window(nullptr), 0);

    dpi_set(96);
    EXPECT_FALSE(dpi_update(0)) << "unknown keeps the current DPI";
    EXPECT_FALSE(dpi_update(96));
    EXPECT_EQ(dpi_current(), 96);
}

}  // namespace
