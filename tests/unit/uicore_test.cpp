// The immediate-mode UI core: ids, focus and hover across frames, popups, clipping, layout,
// windows and z-order, wrapped text and the fatal limits.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "uicore/uicore.h"

namespace {

// Every character is 8 px wide, every line 10 px tall.
int fake_width(UiFont, const char* s, int len) { return 8 * (len < 0 ? int(std::strlen(s)) : len); }
int fake_height(UiFont) { return 10; }

struct Cmd {
    int type;
    UiRect rect;  // clip and rect commands; text: position and measured size
    UiColor color;
    std::string text;
};

std::vector<Cmd> walk(UiContext* ctx) {
    std::vector<Cmd> out;
    UiCommand* cmd = nullptr;
    while (ui_cmd_next(ctx, &cmd)) {
        Cmd c{cmd->type, {}, {}, {}};
        switch (cmd->type) {
            case UI_COMMAND_CLIP: c.rect = cmd->clip.rect; break;
            case UI_COMMAND_RECT:
                c.rect = cmd->rect.rect;
                c.color = cmd->rect.color;
                break;
            case UI_COMMAND_TEXT:
                c.text = cmd->text.str;
                c.rect = ui_rect(cmd->text.pos.x, cmd->text.pos.y, fake_width(nullptr, c.text.c_str(), -1), 10);
                c.color = cmd->text.color;
                break;
            case UI_COMMAND_ICON: c.rect = cmd->icon.rect; break;
        }
        out.push_back(c);
    }
    return out;
}

constexpr int kMainOpts = OPT_NO_RESIZE | OPT_NO_SCROLL | OPT_NO_CLOSE | OPT_NO_TITLE;  // 240
constexpr int kPopupOpts = OPT_POPUP | OPT_NO_TITLE | OPT_NO_CLOSE | OPT_NO_SCROLL | OPT_NO_RESIZE;  // 1264

class UiCore : public ::testing::Test {
protected:
    void SetUp() override {
        ctx_ = std::make_unique<UiContext>();
        ctx = ctx_.get();
        ui_init(ctx);
        ctx->text_width = fake_width;
        ctx->text_height = fake_height;
    }
    // One frame with a "main" window over (0, 0, 400, 300) whose contents `body` builds.
    template <typename F>
    void frame(F body, UiRect rect = ui_rect(0, 0, 400, 300), int opts = kMainOpts | OPT_NO_FRAME) {
        ui_frame_begin(ctx);
        ui_container_find(ctx, "main")->rect = rect;
        if (ui_window_begin(ctx, "main", rect, opts)) {
            body();
            ui_window_end(ctx);
        }
        ui_frame_end(ctx);
    }
    void press(int x, int y) { ui_input_mouse_down(ctx, x, y, UI_MOUSE_LEFT); }
    // The mouse arrives first; the frames after a move find the window and then the control under it.
    void release(int x, int y) { ui_input_mouse_up(ctx, x, y, UI_MOUSE_LEFT); }
    UiId id(const char* s) { return ui_id_of(ctx, s, int(std::strlen(s))); }

    std::unique_ptr<UiContext> ctx_;
    UiContext* ctx = nullptr;
};

TEST_F(UiCore, IdsAreFnv1aSeededByTheEnclosingWindow) {
    EXPECT_EQ(id("a"), 0xe40c292cu);  // the published FNV-1a test vector
    EXPECT_EQ(ctx->last_id, 0xe40c292cu);
    EXPECT_EQ(id(""), 2166136261u);

    UiId in_a = 0, in_b = 0;
    ui_frame_begin(ctx);
    ui_window_begin(ctx, "A", ui_rect(0, 0, 100, 100), kMainOpts);
    in_a = id("ok");
    ui_window_end(ctx);
    ui_window_begin(ctx, "B", ui_rect(0, 0, 100, 100), kMainOpts);
    in_b = id("ok");
    ui_window_end(ctx);
    ui_frame_end(ctx);
    EXPECT_NE(in_a, in_b);
    EXPECT_NE(in_a, id("ok"));
}

TEST_F(UiCore, HoverAndFocusAcrossFrames) {
    UiRect r = ui_rect(10, 10, 50, 20);
    UiId b = 1234;
    auto control = [&] { ui_control_update(ctx, b, r, 0); };

    ui_input_mouse_move(ctx, 20, 15);
    frame(control);  // the mouse is over main only from this frame's end on
    frame(control);
    EXPECT_EQ(ctx->hover, b);
    frame(control);
    frame(control);
    EXPECT_EQ(ctx->hover, b) << "frames without input keep the hover";

    press(20, 15);
    frame(control);
    EXPECT_EQ(ctx->focus, b);
    // Still held: the focus stays while the button is down.
    frame(control);
    EXPECT_EQ(ctx->focus, b);
    release(20, 15);
    frame(control);
    EXPECT_EQ(ctx->focus, 0u) << "without OPT_HOLD_FOCUS the focus ends with the release";

    // With OPT_HOLD_FOCUS the focus survives the release and idle frames, until a frame skips it.
    auto held = [&] { ui_control_update(ctx, b, r, OPT_HOLD_FOCUS); };
    press(20, 15);
    frame(held);
    release(20, 15);
    frame(held);
    frame(held);
    EXPECT_EQ(ctx->focus, b);
    frame([] {});
    EXPECT_EQ(ctx->focus, 0u) << "a frame in which nobody touches the focused id clears it";

    // Moving away clears the hover; a press outside clears a held focus.
    frame(held);
    ui_input_mouse_move(ctx, 200, 200);
    frame(held);
    EXPECT_EQ(ctx->hover, 0u);
    ui_focus_set(ctx, b);
    press(200, 200);
    frame(held);
    EXPECT_EQ(ctx->focus, 0u);
}

TEST_F(UiCore, NoInteractControlsKeepFocusButTakeNoHover) {
    UiRect r = ui_rect(10, 10, 50, 20);
    ui_input_mouse_move(ctx, 20, 15);
    frame([] {});
    ui_focus_set(ctx, 77);
    frame([&] { ui_control_update(ctx, 77, r, OPT_NO_INTERACT); });
    EXPECT_EQ(ctx->focus, 77u);
    EXPECT_EQ(ctx->hover, 0u);
}

TEST_F(UiCore, ButtonSubmitsOnThePressAndDrawsFrameAndLabel) {
    int submitted = 0;
    auto body = [&] { submitted += (ui_button(ctx, "Go", 0, 0) & UI_RES_SUBMIT) ? 1 : 0; };
    const UiRect r = ui_rect(0, 0, 400, 300);
    ctx->style->colors[UI_COLOR_BORDER].a = 0;
    // The first cell of main is at the padding: (5, 5), default size 78 x 20.
    ui_input_mouse_move(ctx, 10, 10);
    frame(body, r, kMainOpts);
    frame(body, r, kMainOpts);
    EXPECT_EQ(submitted, 0);
    press(10, 10);
    frame(body, r, kMainOpts);
    EXPECT_EQ(submitted, 1);
    frame(body, r, kMainOpts);
    EXPECT_EQ(submitted, 1) << "holding the button does not submit again";

    auto cmds = walk(ctx);
    // main's window frame, the button frame (focus colour), its label in a clip bracket.
    ASSERT_GE(cmds.size(), 3u);
    EXPECT_EQ(cmds[0].type, UI_COMMAND_RECT);
    EXPECT_EQ(cmds[0].color, ctx->style->colors[UI_COLOR_WINDOWBG]);
    bool button_frame = false, label = false;
    for (const Cmd& c : cmds) {
        if (c.type == UI_COMMAND_RECT && c.rect == ui_rect(5, 5, 78, 20)) {
            button_frame = true;
            EXPECT_EQ(c.color, ctx->style->colors[UI_COLOR_BUTTONFOCUS]);
        }
        if (c.type == UI_COMMAND_TEXT && c.text == "Go") {
            label = true;
            EXPECT_EQ(c.rect.x, 10);  // left aligned after the padding
            EXPECT_EQ(c.rect.y, 10);  // (20 - 10) / 2 below the top
        }
    }
    EXPECT_TRUE(button_frame);
    EXPECT_TRUE(label);
}

TEST_F(UiCore, LabelAlignment) {
    struct Case {
        int opt;
        int x;
    } cases[] = {{0, 10 + 5}, {OPT_ALIGN_CENTER, 10 + (100 - 24) / 2}, {OPT_ALIGN_RIGHT, 10 + 100 - 24 - 5}};
    for (const Case& c : cases) {
        frame([&] { ui_control_text(ctx, "abc", ui_rect(10, 20, 100, 30), UI_COLOR_TEXT, c.opt); });
        auto cmds = walk(ctx);
        ASSERT_EQ(cmds.size(), 1u);  // wholly inside its clip: no bracket
        EXPECT_EQ(cmds[0].rect.x, c.x) << c.opt;
        EXPECT_EQ(cmds[0].rect.y, 20 + 10);
    }
}

TEST_F(UiCore, PopupSurvivesTheOpeningPressAndClosesOnALaterPressOutside) {
    bool open = false;
    bool shown = false;  // as a view does: the popup is begun only once it was shown
    auto build = [&](bool show) {
        ui_frame_begin(ctx);
        ui_container_find(ctx, "main")->rect = ui_rect(0, 0, 400, 300);
        ui_window_begin(ctx, "main", ui_rect(0, 0, 400, 300), kMainOpts);
        if (show) {
            ui_popup_show(ctx, "Confirm");
            ui_container_find(ctx, "Confirm")->rect = ui_rect(100, 100, 120, 60);
            shown = true;
        }
        open = shown && ui_window_begin(ctx, "Confirm", ui_rect(100, 100, 120, 60), kPopupOpts) != 0;
        if (open) ui_window_end(ctx);
        ui_window_end(ctx);
        ui_frame_end(ctx);
    };
    auto popup = [&] {  // its id is seeded by "main", where it is built
        ui_id_push(ctx, "main", 4);
        UiId popup_id = id("Confirm");
        ui_id_pop(ctx);
        return ui_container_get(ctx, popup_id, OPT_CLOSED);
    };
    ui_input_mouse_move(ctx, 20, 20);
    build(false);
    build(false);
    // A press on main opens the popup in the same frame.
    press(20, 20);
    build(true);
    EXPECT_TRUE(open);
    release(20, 20);
    build(false);
    EXPECT_TRUE(open);
    // A press inside it keeps it.
    ui_input_mouse_move(ctx, 150, 120);
    build(false);
    press(150, 120);
    build(false);
    release(150, 120);
    build(false);
    EXPECT_TRUE(open);
    // A press outside closes it: it is still built in that frame, not in the next.
    ui_input_mouse_move(ctx, 20, 20);
    build(false);
    EXPECT_TRUE(open);
    press(20, 20);
    build(false);
    ASSERT_NE(popup(), nullptr);
    EXPECT_EQ(popup()->open, 0);
    release(20, 20);
    build(false);
    EXPECT_FALSE(open);
    // Shown again, it opens at the mouse and comes to the front.
    ui_frame_begin(ctx);
    ui_id_push(ctx, "main", 4);
    ui_popup_show(ctx, "Confirm");
    ui_id_pop(ctx);
    ui_frame_end(ctx);
    ASSERT_NE(popup(), nullptr);
    EXPECT_EQ(popup()->open, 1);
    EXPECT_EQ(popup()->rect, ui_rect(20, 20, 1, 1));
    EXPECT_EQ(popup()->zindex, ctx->last_zindex);
}

TEST_F(UiCore, ClipTestAndIntersection) {
    ui_frame_begin(ctx);
    ui_window_begin(ctx, "main", ui_rect(0, 0, 400, 300), kMainOpts);
    ui_clip_push(ctx, ui_rect(100, 100, 50, 50));
    struct Case {
        UiRect r;
        int expected;
    } cases[] = {
        {{110, 110, 10, 10}, UI_CLIP_NONE}, {{100, 100, 50, 50}, UI_CLIP_NONE}, {{90, 110, 20, 10}, UI_CLIP_PART},
        {{140, 140, 20, 20}, UI_CLIP_PART}, {{151, 110, 10, 10}, UI_CLIP_ALL},  {{0, 0, 99, 99}, UI_CLIP_ALL},
        {{110, 151, 5, 5}, UI_CLIP_ALL},    {{0, 0, 400, 300}, UI_CLIP_PART},
    };
    for (const Case& c : cases) EXPECT_EQ(ui_clip_test(ctx, c.r), c.expected) << c.r.x << "," << c.r.y;

    // Nested pushes intersect; disjoint rects give an empty clip, never a negative one.
    ui_clip_push(ctx, ui_rect(120, 80, 100, 40));
    EXPECT_EQ(ui_clip_get(ctx), ui_rect(120, 100, 30, 20));
    ui_clip_push(ctx, ui_rect(0, 0, 10, 10));
    UiRect empty = ui_clip_get(ctx);
    EXPECT_EQ(empty.w, 0);
    EXPECT_EQ(empty.h, 0);
    ui_clip_pop(ctx);
    ui_clip_pop(ctx);
    ui_clip_pop(ctx);
    ui_window_end(ctx);
    ui_frame_end(ctx);
}

TEST_F(UiCore, TextPartlyClippedIsBracketedAndTextOutsideIsDropped) {
    frame([&] {
        ui_clip_push(ctx, ui_rect(50, 50, 40, 20));
        ui_text_at(ctx, nullptr, "inside", 2, ui_vec(52, 52), ui_color(1, 2, 3, 255));  // 16 x 10: inside
        ui_text_at(ctx, nullptr, "partly", -1, ui_vec(60, 55), ui_color(1, 2, 3, 255));  // 48 px: past the right
        ui_text_at(ctx, nullptr, "gone", -1, ui_vec(200, 200), ui_color(1, 2, 3, 255));
        ui_fill_rect(ctx, ui_rect(80, 60, 100, 100), ui_color(9, 9, 9, 255));  // cut to the clip
        ui_fill_rect(ctx, ui_rect(0, 0, 10, 10), ui_color(9, 9, 9, 255));      // nothing left
        ui_clip_pop(ctx);
    });
    auto cmds = walk(ctx);
    ASSERT_EQ(cmds.size(), 5u);
    EXPECT_EQ(cmds[0].type, UI_COMMAND_TEXT);
    EXPECT_EQ(cmds[0].text, "in");
    EXPECT_EQ(cmds[1].type, UI_COMMAND_CLIP);
    EXPECT_EQ(cmds[1].rect, ui_rect(50, 50, 40, 20));
    EXPECT_EQ(cmds[2].text, "partly");
    EXPECT_EQ(cmds[3].type, UI_COMMAND_CLIP);
    EXPECT_EQ(cmds[3].rect, UI_UNCLIPPED_RECT);
    EXPECT_EQ(cmds[4].type, UI_COMMAND_RECT);
    EXPECT_EQ(cmds[4].rect, ui_rect(80, 60, 10, 10));
}

TEST_F(UiCore, OutlineIsFourOnePixelRects) {
    frame([&] { ui_outline_rect(ctx, ui_rect(10, 20, 30, 40), ui_color(1, 1, 1, 255)); });
    auto cmds = walk(ctx);
    ASSERT_EQ(cmds.size(), 4u);
    EXPECT_EQ(cmds[0].rect, ui_rect(11, 20, 28, 1));
    EXPECT_EQ(cmds[1].rect, ui_rect(11, 59, 28, 1));
    EXPECT_EQ(cmds[2].rect, ui_rect(10, 20, 1, 40));
    EXPECT_EQ(cmds[3].rect, ui_rect(39, 20, 1, 40));
}

TEST_F(UiCore, CellWidthsDefaultsNegativesAndRows) {
    std::vector<UiRect> cells;
    frame([&] {
        cells.push_back(ui_cell_next(ctx));  // the initial one-column row of width 0, height 0
        int w3[] = {50, 0, -1};
        ui_row_set(ctx, 3, w3, 30);
        for (int i = 0; i < 4; i++) cells.push_back(ui_cell_next(ctx));  // the 4th starts a new row
        int w1[] = {-10};
        ui_row_set(ctx, 1, w1, -5);
        cells.push_back(ui_cell_next(ctx));
    });
    // Body: (5, 5, 390, 290) inside the 5 px padding; spacing 4.
    ASSERT_EQ(cells.size(), 6u);
    EXPECT_EQ(cells[0], ui_rect(5, 5, 68 + 2 * 5, 10 + 2 * 5));
    EXPECT_EQ(cells[1], ui_rect(5, 29, 50, 30));
    EXPECT_EQ(cells[2], ui_rect(59, 29, 78, 30));
    EXPECT_EQ(cells[3], ui_rect(141, 29, 395 - 141, 30)) << "-1 ends exactly at the body's right edge";
    EXPECT_EQ(cells[4], ui_rect(5, 63, 50, 30));
    EXPECT_EQ(cells[5].x + cells[5].w, 395 - 9);
    EXPECT_EQ(cells[5].y, 97);
    EXPECT_EQ(cells[5].y + cells[5].h, 5 + 290 - 4) << "a negative height reaches to the body's bottom less |h| - 1";
    EXPECT_EQ(ctx->last_rect, cells[5]);
}

TEST_F(UiCore, ColumnsNestAndTheOuterLayoutContinuesBelowThem) {
    UiRect after{}, inner_last{};
    frame([&] {
        int w[] = {100, 100};
        ui_row_set(ctx, 2, w, 0);
        ui_column_begin(ctx);
        int iw[] = {-1};
        ui_row_set(ctx, 1, iw, 15);
        ui_cell_next(ctx);
        ui_cell_next(ctx);
        inner_last = ui_cell_next(ctx);
        ui_column_end(ctx);
        after = ui_cell_next(ctx);  // second column of the outer row
        ui_row_set(ctx, 1, nullptr, 10);
        after = ui_cell_next(ctx);  // next outer row: below the tall column
    });
    EXPECT_EQ(inner_last, ui_rect(5, 5 + 2 * 19, 100, 15));
    EXPECT_EQ(after.y, inner_last.y + inner_last.h + 4);
}

TEST_F(UiCore, WindowResizeStopsAtTheMinimumSize) {
    const int opts = OPT_NO_SCROLL | OPT_NO_CLOSE | OPT_NO_TITLE;
    auto build = [&] {
        ui_frame_begin(ctx);
        if (ui_window_begin(ctx, "Sizer", ui_rect(10, 10, 200, 150), opts)) ui_window_end(ctx);
        ui_frame_end(ctx);
    };
    // Handle: a 24 px square at the bottom right corner (186..210, 136..160).
    ui_input_mouse_move(ctx, 200, 150);
    build();
    build();
    press(200, 150);
    build();
    ui_input_mouse_move(ctx, 220, 170);
    build();
    UiContainer* cnt = ui_container_get(ctx, id("Sizer"), OPT_CLOSED);
    ASSERT_NE(cnt, nullptr);
    EXPECT_EQ(cnt->rect, ui_rect(10, 10, 220, 170));
    ui_input_mouse_move(ctx, -500, -500);
    build();
    EXPECT_EQ(cnt->rect.w, 96);
    EXPECT_EQ(cnt->rect.h, 64);
}

TEST_F(UiCore, TitleBarDragsAndCloseBoxCloses) {
    const int opts = OPT_NO_SCROLL | OPT_NO_RESIZE;
    bool open = false;
    auto build = [&] {
        ui_frame_begin(ctx);
        open = ui_window_begin(ctx, "Tool", ui_rect(50, 50, 200, 100), opts) != 0;
        if (open) ui_window_end(ctx);
        ui_frame_end(ctx);
    };
    ui_input_mouse_move(ctx, 60, 60);
    build();
    build();
    press(60, 60);
    build();
    ui_input_mouse_move(ctx, 70, 65);
    build();
    release(70, 65);
    build();
    UiContainer* cnt = ui_container_get(ctx, id("Tool"), OPT_CLOSED);
    ASSERT_NE(cnt, nullptr);
    EXPECT_EQ(cnt->rect, ui_rect(60, 55, 200, 100));
    auto cmds = walk(ctx);
    bool title = false;
    for (const Cmd& c : cmds) title |= c.type == UI_COMMAND_TEXT && c.text == "Tool";
    EXPECT_TRUE(title);

    // The close box is the 24 px square at the bar's right end: (236..260, 55..79).
    ui_input_mouse_move(ctx, 250, 60);
    build();
    press(250, 60);
    build();
    release(250, 60);
    build();
    EXPECT_FALSE(open);
}

TEST_F(UiCore, RootsPaintBackToFrontByZIndex) {
    const char* names[] = {"five", "two", "nine"};
    const int z[] = {5, 2, 9};
    for (int round = 0; round < 2; round++) {
        ui_frame_begin(ctx);
        for (int i = 0; i < 3; i++) {
            UiContainer* cnt = ui_container_find(ctx, names[i]);
            cnt->zindex = z[i];
            cnt->rect = ui_rect(i * 10, 0, 100, 100);
            ASSERT_TRUE(ui_window_begin(ctx, names[i], cnt->rect, kMainOpts));
            ui_fill_rect(ctx, ui_rect(cnt->rect.x, 0, 5, 5), ui_color(z[i], 0, 0, 255));
            ui_window_end(ctx);
        }
        ui_frame_end(ctx);
    }
    std::vector<int> order;
    for (const Cmd& c : walk(ctx))
        if (c.type == UI_COMMAND_RECT && c.rect.w == 5) order.push_back(c.color.r);
    EXPECT_EQ(order, (std::vector<int>{2, 5, 9}));
}

TEST_F(UiCore, APressBringsTheWindowUnderTheMouseToTheFront) {
    auto build = [&] {
        ui_frame_begin(ctx);
        for (const char* name : {"back", "front"}) {
            if (ui_window_begin(ctx, name, ui_rect(0, 0, 100, 100), kMainOpts)) ui_window_end(ctx);
        }
        ui_frame_end(ctx);
    };
    build();
    UiContainer* back = ui_container_get(ctx, id("back"), OPT_CLOSED);
    UiContainer* front = ui_container_get(ctx, id("front"), OPT_CLOSED);
    ASSERT_LT(back->zindex, front->zindex);
    // "front" covers the mouse, so it stays in front; idle frames change nothing.
    ui_input_mouse_move(ctx, 50, 50);
    build();
    press(50, 50);
    build();
    EXPECT_LT(back->zindex, front->zindex);
    // Raise "back" by pushing it over "front" directly.
    back->zindex = front->zindex + 1;
    ctx->last_zindex = back->zindex;
    front->rect = ui_rect(200, 200, 50, 50);
    release(50, 50);
    build();
    build();
    EXPECT_GT(back->zindex, front->zindex);
    ui_input_mouse_move(ctx, 210, 210);
    build();
    build();
    press(210, 210);
    build();
    EXPECT_GT(front->zindex, back->zindex) << "the pressed window came to the front";
}

TEST_F(UiCore, ScrollbarsAppearForTallContentAndClampTheScroll) {
    const int opts = OPT_NO_TITLE | OPT_NO_CLOSE | OPT_NO_RESIZE;
    auto build = [&] {
        ui_frame_begin(ctx);
        if (ui_window_begin(ctx, "List", ui_rect(0, 0, 200, 100), opts)) {
            int w[] = {-1};
            ui_row_set(ctx, 1, w, 30);
            for (int i = 0; i < 10; i++) ui_cell_next(ctx);
            ui_window_end(ctx);
        }
        ui_frame_end(ctx);
    };
    build();
    build();  // the content size is known from the first frame on
    UiContainer* cnt = ui_container_get(ctx, id("List"), OPT_CLOSED);
    ASSERT_NE(cnt, nullptr);
    EXPECT_EQ(cnt->body.w, 200 - 12);
    bool bar = false, thumb = false;
    for (const Cmd& c : walk(ctx)) {
        if (c.type != UI_COMMAND_RECT) continue;
        if (c.rect == ui_rect(188, 0, 12, 100)) bar = true;
        if (c.rect.x == 188 && c.rect.h < 100 && c.rect.h >= 8) thumb = true;
    }
    EXPECT_TRUE(bar);
    EXPECT_TRUE(thumb);

    // The wheel scrolls the container under the mouse; the scroll is clamped to the content.
    ui_input_mouse_move(ctx, 50, 50);
    build();
    build();
    ui_input_scroll(ctx, 0, 100000);
    build();
    build();
    int content = 10 * 30 + 9 * 4 + 2 * 5;
    EXPECT_EQ(cnt->scroll.y, content - 100);
}

TEST_F(UiCore, AutoSizedWindowFollowsItsContent) {
    const int opts = OPT_AUTO_SIZE | OPT_NO_TITLE | OPT_NO_CLOSE | OPT_NO_RESIZE | OPT_NO_SCROLL;
    auto build = [&] {
        ui_frame_begin(ctx);
        if (ui_window_begin(ctx, "Fit", ui_rect(10, 10, 300, 300), opts)) {
            int w[] = {100, 50};
            ui_row_set(ctx, 2, w, 40);
            ui_cell_next(ctx);
            ui_cell_next(ctx);
            ui_window_end(ctx);
        }
        ui_frame_end(ctx);
    };
    build();
    build();
    UiContainer* cnt = ui_container_get(ctx, id("Fit"), OPT_CLOSED);
    ASSERT_NE(cnt, nullptr);
    // Content 100 + 4 + 50 wide and 40 tall, plus the padding on both sides.
    EXPECT_EQ(cnt->rect, ui_rect(10, 10, 154 + 10, 40 + 10));
}

TEST_F(UiCore, CommandsCarryTheirSizes) {
    frame([&] {
        ui_clip_push(ctx, ui_rect(0, 0, 50, 50));
        ui_text_at(ctx, nullptr, "hello", -1, ui_vec(45, 0), ui_color(1, 1, 1, 255));  // partly clipped
        ui_icon_at(ctx, UI_ICON_CHECK, ui_rect(1, 1, 5, 5), ui_color(1, 1, 1, 255));
        ui_fill_rect(ctx, ui_rect(1, 1, 5, 5), ui_color(1, 1, 1, 255));
        ui_clip_pop(ctx);
    });
    std::vector<std::pair<int, int>> seen;  // (type, size)
    UiCommand* cmd = nullptr;
    while (ui_cmd_next(ctx, &cmd)) seen.emplace_back(cmd->type, cmd->base.size);
    // Sizes are rounded up to 8 bytes: a rect is 28 bytes of fields, "hello" needs 32 + 5.
    std::vector<std::pair<int, int>> want = {{UI_COMMAND_CLIP, 24}, {UI_COMMAND_TEXT, 40}, {UI_COMMAND_CLIP, 24},
                                             {UI_COMMAND_ICON, 32}, {UI_COMMAND_RECT, 32}};
    EXPECT_EQ(seen, want);
    // The list holds the head and tail jumps of main too (16 bytes each).
    EXPECT_EQ(ctx->command_list.idx, 16 + 24 + 40 + 24 + 32 + 32 + 16);
}

TEST_F(UiCore, WrappedTextBreaksAtWordsAndNewlines) {
    std::vector<std::string> lines;
    // A narrow window: the body is 100 - 2 x 5 = 90 px, room for 11 characters.
    frame(
        [&] {
            int w[] = {-1};
            ui_row_set(ctx, 1, w, 0);
            ui_wrapped_text(ctx, "alpha beta gamma\ndelta averyveryverylongword x");
        },
        ui_rect(0, 0, 100, 300));
    std::vector<int> ys;
    for (const Cmd& c : walk(ctx))
        if (c.type == UI_COMMAND_TEXT) {
            lines.push_back(c.text);
            ys.push_back(c.rect.y);
        }
    EXPECT_EQ(lines, (std::vector<std::string>{"alpha beta", "gamma", "delta", "averyveryverylongword", "x"}));
    for (size_t i = 1; i < ys.size(); i++) EXPECT_EQ(ys[i] - ys[i - 1], 10 + 4);
}

TEST_F(UiCore, ContainerPoolReusesTheLeastRecentlyUsedSlot) {
    char name[16];
    ui_frame_begin(ctx);
    for (int i = 0; i < UI_CONTAINERPOOL_SIZE; i++) {
        std::snprintf(name, sizeof(name), "w%d", i);
        ui_container_find(ctx, name)->rect = ui_rect(i, 0, 1, 1);
    }
    ui_frame_end(ctx);
    ui_frame_begin(ctx);
    for (int i = 1; i < UI_CONTAINERPOOL_SIZE; i++) {
        std::snprintf(name, sizeof(name), "w%d", i);
        ui_container_find(ctx, name);
    }
    UiContainer* fresh = ui_container_find(ctx, "new");
    ui_frame_end(ctx);
    EXPECT_EQ(fresh, &ctx->containers[0]) << "w0 was the only slot not used this frame";
    EXPECT_EQ(fresh->rect, ui_rect(0, 0, 0, 0)) << "a reused container starts zeroed";
    EXPECT_EQ(fresh->open, 1);
    EXPECT_EQ(ui_container_get(ctx, id("w0"), OPT_CLOSED), nullptr);
}

TEST_F(UiCore, InputTextKeepsWholeCharactersWhenFull) {
    ui_input_chars(ctx, "abc");
    ui_input_chars(ctx, "d");
    EXPECT_STREQ(ctx->input_text, "abcd");
    std::string many(26, 'x');
    ui_input_chars(ctx, many.c_str());  // 30 bytes now, one left
    ui_input_chars(ctx, "\xc3\xa9");    // a two-byte character does not fit
    EXPECT_EQ(std::strlen(ctx->input_text), 30u);
    ui_input_chars(ctx, "yz");
    EXPECT_EQ(std::string(ctx->input_text), "abcd" + many + "y");
    ui_frame_begin(ctx);
    ui_frame_end(ctx);
    EXPECT_STREQ(ctx->input_text, "");
}

TEST_F(UiCore, KeysAndMouseBitsArePressedForOneFrame) {
    ui_input_key_down(ctx, UI_KEY_RETURN);
    ui_input_key_up(ctx, UI_KEY_RETURN);
    ui_input_mouse_down(ctx, 3, 4, UI_MOUSE_LEFT);
    EXPECT_EQ(ctx->key_pressed, UI_KEY_RETURN);
    EXPECT_EQ(ctx->key_down, 0);
    EXPECT_EQ(ctx->mouse_pressed, UI_MOUSE_LEFT);
    ui_frame_begin(ctx);
    EXPECT_EQ(ctx->mouse_delta.x, 3);
    EXPECT_EQ(ctx->mouse_delta.y, 4);
    ui_frame_end(ctx);
    EXPECT_EQ(ctx->key_pressed, 0);
    EXPECT_EQ(ctx->mouse_pressed, 0);
    EXPECT_EQ(ctx->mouse_down, UI_MOUSE_LEFT);
    ui_frame_begin(ctx);
    EXPECT_EQ(ctx->mouse_delta.x, 0);
    ui_frame_end(ctx);
}

TEST_F(UiCore, DefaultFrameCallbackOutlinesWithTheBorderColour) {
    frame([&] { ctx->draw_frame(ctx, ui_rect(10, 10, 20, 20), UI_COLOR_BUTTON); });
    auto cmds = walk(ctx);
    ASSERT_EQ(cmds.size(), 5u);  // the fill and four border rects one pixel outside
    EXPECT_EQ(cmds[0].color, ctx->style->colors[UI_COLOR_BUTTON]);
    EXPECT_EQ(cmds[3].rect, ui_rect(9, 9, 1, 22));
    frame([&] { ctx->draw_frame(ctx, ui_rect(10, 10, 20, 20), UI_COLOR_SCROLLTHUMB); });
    EXPECT_EQ(walk(ctx).size(), 1u);
}

#if GTEST_HAS_DEATH_TEST && !defined(_WIN32)
TEST_F(UiCore, ViolatedLimitsAreFatal) {
    EXPECT_DEATH(
        {
            UiContext* c = ctx;
            c->text_width = nullptr;
            ui_frame_begin(c);
        },
        "Fatal error: .*uicore.cpp:[0-9]+: assertion 'ctx->text_width && ctx->text_height' failed");
    EXPECT_DEATH(
        {
            ui_frame_begin(ctx);
            ui_window_begin(ctx, "main", ui_rect(0, 0, 10, 10), kMainOpts);
            ui_row_set(ctx, UI_MAX_WIDTHS + 1, nullptr, 0);
        },
        "assertion 'items <= UI_MAX_WIDTHS' failed");
    EXPECT_DEATH(
        {
            ui_frame_begin(ctx);
            ui_window_begin(ctx, "main", ui_rect(0, 0, 10, 10), kMainOpts);
            for (int i = 0; i < UI_COMMANDLIST_SIZE; i++) ui_fill_rect(ctx, ui_rect(0, 0, 1, 1), ui_color(0, 0, 0, 0));
        },
        "assertion 'ctx->command_list.idx \\+ size < UI_COMMANDLIST_SIZE' failed");
    EXPECT_DEATH(
        {
            char name[8];
            ui_frame_begin(ctx);
            for (int i = 0; i <= UI_CONTAINERPOOL_SIZE; i++) {
                std::snprintf(name, sizeof(name), "p%d", i);
                ui_container_find(ctx, name);
            }
        },
        "assertion 'n > -1' failed");
    EXPECT_DEATH(
        {
            ui_frame_begin(ctx);
            ui_window_begin(ctx, "main", ui_rect(0, 0, 10, 10), kMainOpts);
            ui_frame_end(ctx);
        },
        "assertion 'ctx->container_stack.idx == 0' failed");
    EXPECT_DEATH({ ui_clip_get(ctx); }, "assertion 'ctx->clip_stack.idx > 0' failed");
}
#endif

}  // namespace
