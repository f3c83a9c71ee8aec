// The main view painted with this machine's GDI: text lands where the layout measured it, so a
// highlighted piece starts at its measured x and a title's ink ends at its measured width.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/row.h"
#include "platform/fake/fake_world.h"
#include "query/workers.h"
#include "ui/fonts.h"
#include "ui/main_view.h"
#include "ui/metrics.h"
#include "ui/palette.h"
#include "ui/renderer.h"
#include "ui/renderer_win32.h"
#include "ui/text_measure.h"
#include "ui/theme_names.h"

namespace {

constexpr int kTitleX = 14 + 44;  // row x + the title's offset
constexpr int kTitleDy = 5;

class Pixels {
public:
    Pixels(int w, int h) : w_(w), h_(h) {
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
    }
    ~Pixels() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    Pixels(const Pixels&) = delete;
    Pixels& operator=(const Pixels&) = delete;
    HDC dc() const { return dc_; }
    bool ok() const { return dc_ && bitmap_ && bits_; }
    // r, g, b of one pixel.
    void at(int x, int y, int* r, int* g, int* b) const {
        const unsigned char* p = bits_ + (size_t(y) * size_t(w_) + size_t(x)) * 4;
        *r = p[2], *g = p[1], *b = p[0];
    }

private:
    int w_, h_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    unsigned char* bits_ = nullptr;
};

// Columns of a band that hold ink of one kind, over the dark theme's background (#1e1e2e): the
// match colour (#d9b130) is far redder than blue; the title colour (#cdd6f4) is bright and bluish.
enum class Ink { Match, Title, Any };

bool is_ink(int r, int g, int b, Ink kind) {
    const bool match = r - b > 40;
    const bool bright = r + g + b > 30 + 30 + 46 + 60;
    switch (kind) {
        case Ink::Match: return match;
        case Ink::Title: return bright && !match;
        case Ink::Any: return match || bright;
    }
    return false;
}

class GdiMainView : public ::testing::Test {
protected:
    GdiMainView() : scope(world.platform()) {}
    void SetUp() override {
        theme_set(kThemeDark);
        dpi_set(96);
        metrics_width_set(768);
        metrics_rows_set(7);
        text_measure_install(text_measure_gdi());
        renderer_init(ui_ctx());
        fonts_create();
        ASSERT_NE(font_medium(), nullptr);
        view_free_all();
        view_hooks() = ViewHooks{};
        view_show_reset();
        frame();
    }
    void TearDown() override {
        view_show_reset();
        view_free_all();
        fonts_destroy();
        text_measure_install(nullptr);
    }
    void frame() {
        ui_frame_begin(ui_ctx());
        view_frame(ui_ctx(), window_width(), window_height());
        ui_frame_end(ui_ctx());
    }
    // A frame after every few characters, as a typist's paints come (the UI core takes at most
    // 31 bytes of typing between frames).
    void type(const char16_t* text) {
        int n = 0;
        for (const char16_t* p = text; *p; ++p) {
            on_char(*p);
            if (++n % 16 == 0) frame();
        }
        frame();
    }
    // First and last column in [x0, x1) of row k's title line holding ink of a kind; -1 for none.
    void ink_span(const Pixels& px, int row, Ink kind, int x0, int x1, int* first, int* last) const {
        const int top = list_top() + row * row_height() + kTitleDy;
        const int h = text_height(font_medium());
        *first = *last = -1;
        for (int x = x0; x < x1; ++x)
            for (int y = top; y < top + h; ++y) {
                int r, g, b;
                px.at(x, y, &r, &g, &b);
                if (!is_ink(r, g, b, kind)) continue;
                if (*first < 0) *first = x;
                *last = x;
                break;
            }
    }

    FakeWorld world;
    PlatformScope scope;
};

TEST_F(GdiMainView, HighlightPiecesAndTitlesLandWhereMeasured) {
    // Row 0 is selected (another background); rows 1 and 2 sit on the window background.
    const char16_t* plain = u"Sample title with many words drawn as one single run";    // no match
    const char16_t* matched = u"Change Bluetooth settings for every paired device here";  // "Bluetooth"
    type(u"bluetooth");
    RowList* list = view_list_new();
    ASSERT_NE(list, nullptr);
    rowlist_add_fields(list, u"Bluetooth", u"", nullptr, nullptr, kKindOpen, 300);
    rowlist_add_fields(list, plain, u"", nullptr, nullptr, kKindOpen, 200);
    rowlist_add_fields(list, matched, u"", nullptr, nullptr, kKindOpen, 100);
    on_results(search_generation_newest(), list);
    frame();
    Pixels px(window_width(), window_height());
    ASSERT_TRUE(px.ok());
    render(px.dc(), window_width(), window_height(), true);

    const int right = window_width() - 14;
    // A title drawn as one run: its ink ends at its measured width (the last glyph, 'n', has
    // about a pixel of side bearing).
    const int plain_w = text_width(font_medium(), "Sample title with many words drawn as one single run", -1);
    int first, last;
    ink_span(px, 1, Ink::Any, kTitleX, right, &first, &last);
    ASSERT_GE(last, 0) << "no ink in the plain title";
    EXPECT_GE(last, kTitleX + plain_w - 3) << "measured " << plain_w;
    EXPECT_LE(last, kTitleX + plain_w + 1) << "measured " << plain_w;

    // The matched piece starts within a pixel of where it was measured, and nothing of the title
    // before it is drawn in the match colour.
    const int piece_x = kTitleX + text_width(font_medium(), "Change ", -1);
    const int piece_end = kTitleX + text_width(font_medium(), "Change Bluetooth", -1);
    ink_span(px, 2, Ink::Match, kTitleX, right, &first, &last);
    ASSERT_GE(first, 0) << "no highlight";
    EXPECT_GE(first, piece_x - 1);
    EXPECT_LE(first, piece_x + 1);
    EXPECT_LE(last, piece_end + 1);
    EXPECT_GE(last, piece_end - 3);
    // The plain text before the piece ends just before it: no gap opens between "Change" and
    // "Bluetooth" ('e' and the space end a few pixels before the 'B').
    int base_first, base_last;
    ink_span(px, 2, Ink::Title, kTitleX, piece_x, &base_first, &base_last);
    ASSERT_GE(base_last, 0);
    const int space_w = text_width(font_medium(), " ", -1);
    EXPECT_GE(base_last, piece_x - space_w - 3);
    // The rest of the title, after the piece, ends at the title's measured width.
    const int matched_w = text_width(font_medium(), "Change Bluetooth settings for every paired device here", -1);
    ink_span(px, 2, Ink::Title, piece_end, right, &base_first, &base_last);
    EXPECT_GE(base_last, kTitleX + matched_w - 3) << "measured " << matched_w;
    EXPECT_LE(base_last, kTitleX + matched_w + 1) << "measured " << matched_w;
}

// The caret stands at the measured end of the typed text, right after its last glyph.
TEST_F(GdiMainView, TheCaretFollowsTheLastTypedGlyph) {
    const char16_t* typed = u"open the settings of every paired device";
    type(typed);
    frame();
    Pixels px(window_width(), window_height());
    ASSERT_TRUE(px.ok());
    render(px.dc(), window_width(), window_height(), true);
    const ViewState& v = view_state();
    ASSERT_EQ(std::string(v.box.text), "open the settings of every paired device");
    const int caret_x = v.box.text_origin + text_width(font_medium(), v.box.text, v.box.length);
    // Columns of the box with text-coloured ink, left of the caret and at it.
    int last_text = -1;
    bool caret = false;
    for (int x = v.box.text_origin; x < v.box_x + v.box_w; ++x) {
        bool ink = false;
        for (int y = v.box_y; y < v.box_y + v.box_h && !ink; ++y) {
            int r, g, b;
            px.at(x, y, &r, &g, &b);
            ink = is_ink(r, g, b, Ink::Title);
        }
        if (ink && x < caret_x) last_text = x;
        if (ink && x == caret_x) caret = true;
    }
    EXPECT_TRUE(caret) << "caret at " << caret_x;
    ASSERT_GE(last_text, 0);
    // 'e' ends about a pixel before its advance.
    EXPECT_GE(last_text, caret_x - 3) << "caret at " << caret_x;
}

}  // namespace
