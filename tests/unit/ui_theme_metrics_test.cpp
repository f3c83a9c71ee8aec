// Themes, palettes, layout presets and DPI scaling, the style and callbacks given to the UI core,
// text fitting and the inactive dimming.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "support/u16.h"
#include "ui/fake_text_measure.h"
#include "ui/fonts.h"
#include "ui/metrics.h"
#include "ui/palette.h"
#include "ui/renderer.h"
#include "ui/text_fit.h"
#include "ui/theme_names.h"

namespace {

// Restores the renderer's window-thread state after each test.
class UiState : public ::testing::Test {
protected:
    void TearDown() override {
        dpi_set(96);
        theme_set(kThemeDark);
        metrics_width_set(kWidthDefault);
        metrics_rows_set(kRowsDefault);
    }
};

TEST(Theme, ParsingStoredNamesAndCycling) {
    struct Case {
        const char16_t* stored;
        int theme;
    } cases[] = {{u"light", kThemeLight}, {u"LIGHT", kThemeLight}, {u"hc", kThemeHighContrast}, {u"HC", kThemeHighContrast},
                 {u"High-Contrast", kThemeHighContrast}, {u"highcontrast", kThemeHighContrast}, {u"dark", kThemeDark},
                 {u"bogus", kThemeDark}, {u"", kThemeDark}, {u"high contrast", kThemeDark}};
    for (const Case& c : cases) EXPECT_EQ(theme_parse(c.stored), c.theme) << u8(c.stored);

    for (int t : {kThemeDark, kThemeLight, kThemeHighContrast}) EXPECT_EQ(theme_parse(theme_stored_name(t)), t);
    EXPECT_EQ(std::u16string(theme_stored_name(kThemeHighContrast)), u"hc");
    EXPECT_EQ(std::u16string(theme_display_name(kThemeHighContrast)), u"High contrast");

    EXPECT_EQ(theme_cycle(kThemeDark, 1), kThemeLight);
    EXPECT_EQ(theme_cycle(kThemeLight, 1), kThemeHighContrast);
    EXPECT_EQ(theme_cycle(kThemeHighContrast, 1), kThemeDark);
    EXPECT_EQ(theme_cycle(kThemeDark, -1), kThemeHighContrast);
    EXPECT_EQ(theme_cycle(kThemeHighContrast, -1), kThemeLight);
}

TEST_F(UiState, PalettesHaveSixteenOpaqueSlotsAndFollowTheTheme) {
    struct Spot {
        int theme, slot;
        UiColor color;
    } spots[] = {
        {kThemeDark, kSlotBackground, {0x1e, 0x1e, 0x2e, 255}},   {kThemeDark, kSlotMatch, {0xd9, 0xb1, 0x30, 255}},
        {kThemeDark, kSlotWarningDim, {0xc9, 0x7a, 0x7e, 255}},   {kThemeLight, kSlotBackground, {0xc3, 0xcf, 0xe1, 255}},
        {kThemeLight, kSlotKnob, {0xff, 0xff, 0xff, 255}},        {kThemeLight, kSlotBorder, {0x59, 0x60, 0x74, 255}},
        {kThemeHighContrast, kSlotSelected, {0x66, 0x33, 0x00, 255}}, {kThemeHighContrast, kSlotTile, {0x58, 0x5b, 0x70, 255}},
        {kThemeHighContrast, kSlotWarning, {0xff, 0x55, 0x55, 255}},
    };
    for (const Spot& s : spots) EXPECT_EQ(palette_of(s.theme).slot[s.slot], s.color) << s.theme << "/" << s.slot;
    for (int t : {kThemeDark, kThemeLight, kThemeHighContrast})
        for (int i = 0; i < kPaletteSlots; i++) EXPECT_EQ(palette_of(t).slot[i].a, 255) << t << "/" << i;

    theme_set(kThemeLight);
    EXPECT_EQ(palette_color(kSlotText), (UiColor{0x14, 0x14, 0x22, 255}));
    theme_set(42);
    EXPECT_EQ(theme_current(), kThemeDark);
    EXPECT_EQ(color_gdi(UiColor{0x12, 0x34, 0x56, 255}), 0x563412u);
}

TEST(Metrics, WidthAndRowPresets) {
    struct Case {
        int from, cycle, forward, backward;
    } cases[] = {
        {768, 880, 880, 640},   {1024, 640, 640, 880}, {640, 768, 768, 1024}, {880, 1024, 1024, 768},
        {700, 768, 768, 640},   {1000, 1024, 1024, 880}, {2000, 640, 640, 1024}, {100, 640, 640, 1024},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(width_cycle(c.from), c.cycle) << c.from;
        EXPECT_EQ(width_step(c.from, 1), c.forward) << c.from;
        EXPECT_EQ(width_step(c.from, -1), c.backward) << c.from;
    }
    EXPECT_EQ(width_clamp(9999), 1024);
    EXPECT_EQ(width_clamp(10), 640);
    EXPECT_EQ(rows_clamp(99), 15);
    EXPECT_EQ(rows_clamp(-4), 3);
    EXPECT_EQ(rows_step(3, -1), 3);
    EXPECT_EQ(rows_step(15, 1), 15);
    EXPECT_EQ(rows_step(7, 1), 8);
    EXPECT_EQ(rows_step(7, -1), 6);

    char16_t buf[32];
    width_display_text(768, buf, 32);
    EXPECT_EQ(std::u16string(buf), u"768px");
    rows_display_text(7, buf, 32);
    EXPECT_EQ(std::u16string(buf), u"7 rows");
}

TEST(Metrics, MulDivRoundsHalfAwayFromZero) {
    struct Case {
        int a, b, c, r;
    } cases[] = {{5, 144, 96, 8},  {-5, 144, 96, -8}, {5, -144, 96, -8}, {3, 120, 96, 4}, {1, 1, 3, 0},
                 {2, 1, 3, 1},     {52, 96, 96, 52},  {7, 5, 0, -1},     {0x40000000, 4, 1, -1}, {0x40000000, 4, 8, 0x20000000}};
    for (const Case& c : cases) EXPECT_EQ(mul_div(c.a, c.b, c.c), c.r) << c.a << "*" << c.b << "/" << c.c;
}

TEST_F(UiState, LengthsScaleTermByTerm) {
    metrics_width_set(768);
    metrics_rows_set(7);
    EXPECT_EQ(window_width(), 768);
    EXPECT_EQ(window_height(), 460);
    EXPECT_EQ(list_top(), 62);
    EXPECT_EQ(list_bottom(), 62 + 7 * 52);

    dpi_set(144);
    EXPECT_EQ(row_height(), 78);
    EXPECT_EQ(window_height(), 51 + 7 * 78 + 72 + 12 + 9);
    EXPECT_EQ(window_height(), 690);
    EXPECT_EQ(window_width(), 1152);

    // 120 DPI: 6 px scale to 7.5 and 8 px to 10, so the terms round apart from a scaled sum.
    dpi_set(120);
    EXPECT_EQ(list_top(), 60 + 10 + 8);
    EXPECT_EQ(scale(62), 78);
    EXPECT_EQ(list_bottom(), list_top() + 7 * 65);

    dpi_set(0);  // ignored
    EXPECT_EQ(dpi_current(), 120);
    metrics_width_set(9999);
    metrics_rows_set(99);
    EXPECT_EQ(metrics_width(), 1024);
    EXPECT_EQ(metrics_rows(), 15);
}

TEST_F(UiState, StyleFollowsThemeFontsAndDpi) {
    FakeTextScope text;
    auto ctx = std::make_unique<UiContext>();
    theme_set(kThemeHighContrast);
    dpi_set(144);
    renderer_init(ctx.get());
    const UiStyle& s = *ctx->style;
    const Palette& p = palette_of(kThemeHighContrast);
    EXPECT_EQ(s.font, font_large());
    EXPECT_EQ(s.padding, 8);
    EXPECT_EQ(s.spacing, 6);
    EXPECT_EQ(s.size.x, 68);
    EXPECT_EQ(s.title_height, 24);
    EXPECT_EQ(s.scrollbar_size, 12);
    const int mapping[][2] = {{UI_COLOR_TEXT, kSlotText},          {UI_COLOR_BORDER, kSlotBorder},      {UI_COLOR_WINDOWBG, kSlotBackground},
                              {UI_COLOR_TITLEBG, kSlotBackground}, {UI_COLOR_TITLETEXT, kSlotText},      {UI_COLOR_PANELBG, kSlotBackground},
                              {UI_COLOR_BUTTON, kSlotSelected},    {UI_COLOR_BUTTONHOVER, kSlotTile},    {UI_COLOR_BUTTONFOCUS, kSlotSelected},
                              {UI_COLOR_BASE, kSlotBackground},    {UI_COLOR_BASEHOVER, kSlotBackground}, {UI_COLOR_BASEFOCUS, kSlotBackground},
                              {UI_COLOR_SCROLLTHUMB, kSlotSelected}};
    for (const auto& m : mapping) EXPECT_EQ(s.colors[m[0]], p.slot[m[1]]) << m[0];
    EXPECT_EQ(s.colors[UI_COLOR_SCROLLBASE], ui_color(0, 0, 0, 0));

    // The callbacks measure through the installed measure, and frames are fills without a border.
    EXPECT_EQ(ctx->text_width(font_medium(), "h\xc3\xa9!", -1), 3 * 8);
    EXPECT_EQ(ctx->text_height(font_small()), 12);
    ui_frame_begin(ctx.get());
    ui_window_begin(ctx.get(), "main", ui_rect(0, 0, 100, 50), OPT_NO_RESIZE | OPT_NO_SCROLL | OPT_NO_CLOSE | OPT_NO_TITLE);
    ui_control_frame(ctx.get(), 5, ui_rect(10, 10, 20, 20), UI_COLOR_BASE, 0);
    ui_window_end(ctx.get());
    ui_frame_end(ctx.get());
    int rects = 0;
    UiCommand* cmd = nullptr;
    while (ui_cmd_next(ctx.get(), &cmd)) rects += cmd->type == UI_COMMAND_RECT;
    EXPECT_EQ(rects, 2) << "window background and the control: no border rects";
}

TEST(TextFit, KeepsFittingTextAndCutsOnCharacterBoundaries) {
    FakeTextScope text;
    UiFont f = font_medium();  // 8 px a character
    char buf[64];
    const char* fits = "Notepad";
    EXPECT_EQ(text_fit(f, fits, 56, buf, sizeof buf), fits) << "unchanged text is the same pointer";
    EXPECT_STREQ(text_fit(f, "Notepad++", 56, buf, sizeof buf), "Note...");
    // "é" is two bytes: room for 4 characters plus the dots never splits it.
    EXPECT_STREQ(text_fit(f, "caf\xc3\xa9 cr\xc3\xa8me", 56, buf, sizeof buf), "caf\xc3\xa9...");
    EXPECT_STREQ(text_fit(f, "\xe2\x82\xac\xe2\x82\xac\xe2\x82\xac\xe2\x82\xac\xe2\x82\xac\xe2\x82\xac", 40, buf, sizeof buf),
                 "\xe2\x82\xac\xe2\x82\xac...");
    EXPECT_STREQ(text_fit(f, "abcdef", 10, buf, sizeof buf), "...") << "nothing but the dots fits";

    // The buffer caps the result, with room for the dots and the terminator.
    char small[8];
    std::string long_text(100, 'x');
    const char* r = text_fit(f, long_text.c_str(), 10000 - 1, small, sizeof small);
    EXPECT_EQ(r, long_text.c_str()) << "fits by width: returned as it is";
    r = text_fit(f, long_text.c_str(), 500, small, sizeof small);
    EXPECT_STREQ(r, "xxxx...");
    r = text_fit(f, "\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9", 16, small, sizeof small);
    EXPECT_STREQ(r, "...");
    r = text_fit(f, "\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9", 40, small, sizeof small);
    EXPECT_STREQ(r, "\xc3\xa9\xc3\xa9...") << "4 bytes of room holds two whole characters";
    char tiny[3];
    EXPECT_STREQ(text_fit(f, "abcdef", 10, tiny, sizeof tiny), "");
}

TEST(TextFit, AgreesWithDroppingOneCharacterAtATime) {
    FakeTextScope text;
    text.measure.medium_font.advance = 7;
    UiFont f = font_medium();
    const std::string s = "C:\\Users\\J\xc3\xb6rg\\\xe2\x82\xac uro\\\xf0\x9f\x98\x80 smile\\file name.txt";
    // The rule as stated: whole characters dropped from the end until the rest plus "..." fits.
    auto reference = [&](int max_width, size_t cap) {
        if (text_width(f, s.c_str(), -1) <= max_width) return s;
        size_t n = std::min(s.size(), cap - 4);
        while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) n--;
        for (;;) {
            std::string t = s.substr(0, n) + "...";
            if (n == 0 || text_width(f, t.c_str(), -1) <= max_width) return t;
            do n--;
            while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80);
        }
    };
    for (size_t cap : {size_t(6), size_t(12), size_t(64)}) {
        std::vector<char> buf(cap);
        for (int w = 0; w <= 7 * 50; w++) ASSERT_EQ(text_fit(f, s.c_str(), w, buf.data(), cap), reference(w, cap)) << w << " cap " << cap;
    }
}

TEST(Render, InactiveDimmingIsFiveEighthsOfColourAndKeepsAlpha) {
    unsigned char px[] = {255, 128, 8, 200, 7, 1, 0, 9};
    pixels_dim(px, 2);
    const unsigned char want[] = {159, 80, 5, 200, 4, 0, 0, 9};
    EXPECT_EQ(std::memcmp(px, want, sizeof want), 0);

    // Every byte value in every channel: exactly byte * 5 >> 3, alpha untouched.
    std::vector<unsigned char> all(256 * 4);
    for (int b = 0; b < 256; b++)
        for (int c = 0; c < 4; c++) all[size_t(b) * 4 + size_t(c)] = static_cast<unsigned char>((b + c * 67) & 0xFF);
    std::vector<unsigned char> dimmed = all;
    pixels_dim(dimmed.data(), 256);
    for (size_t i = 0; i < all.size(); i++) {
        unsigned char want_byte = (i % 4 == 3) ? all[i] : static_cast<unsigned char>((all[i] * 5) >> 3);
        ASSERT_EQ(dimmed[i], want_byte) << i;
    }
}

}  // namespace
