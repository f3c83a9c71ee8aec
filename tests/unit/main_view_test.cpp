// The launcher's main view driven through the handlers the window procedure calls: keys,
// characters, the mouse and the workers' lists, with what each frame draws read back from the
// UI core's command list.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/searching_timer.h"
#include "core/row.h"
#include "core/text.h"
#include "platform/fake/fake_world.h"
#include "query/workers.h"
#include "support/u16.h"
#include "ui/fake_text_measure.h"
#include "ui/keys.h"
#include "ui/main_view.h"
#include "ui/metrics.h"
#include "ui/palette.h"
#include "ui/renderer.h"
#include "ui/view_draw.h"

namespace {

struct DrawnText {
    std::string text;
    UiVec pos;
    UiColor color;
    UiFont font;
    UiRect clip;
};

struct Drawn {
    std::vector<DrawnText> texts;
    std::vector<UiRectCommand> rects;

    // The first text s drawn at or below min_y (62: the list).
    const DrawnText* find(const std::string& s, int min_y = 0) const {
        for (const auto& t : texts)
            if (t.text == s && t.pos.y >= min_y) return &t;
        return nullptr;
    }
    int count(const std::string& s) const {
        int n = 0;
        for (const auto& t : texts) n += t.text == s;
        return n;
    }
    bool has_rect(UiRect r, UiColor c) const {
        for (const auto& x : rects)
            if (x.rect == r && x.color == c) return true;
        return false;
    }
};

class MainViewTest : public ::testing::Test {
protected:
    MainViewTest() : scope(world.platform()) {
        dpi_set(96);
        metrics_width_set(768);
        metrics_rows_set(7);
        theme_set(0);
        renderer_init(ui_ctx());
        view_free_all();
        view_hooks() = ViewHooks{};
        view_show_reset();
        frame();
    }
    ~MainViewTest() override {
        view_show_reset();  // folders-only off, no dialog or menu left behind
        view_free_all();
        view_hooks() = ViewHooks{};
    }

    ViewState& s() { return view_state(); }
    UiContext* ctx() { return ui_ctx(); }

    Drawn frame() {
        ui_frame_begin(ctx());
        view_frame(ctx(), window_width(), window_height());
        ui_frame_end(ctx());
        Drawn d;
        UiRect clip = UI_UNCLIPPED_RECT;
        UiCommand* cmd = nullptr;
        while (ui_cmd_next(ctx(), &cmd)) {
            if (cmd->type == UI_COMMAND_CLIP) clip = cmd->clip.rect;
            if (cmd->type == UI_COMMAND_TEXT)
                d.texts.push_back({cmd->text.str, cmd->text.pos, cmd->text.color, cmd->text.font, clip});
            if (cmd->type == UI_COMMAND_RECT) d.rects.push_back(cmd->rect);
        }
        return d;
    }

    static RowList* rows(int n, const char16_t* prefix = u"Row ") {
        RowList* list = view_list_new();
        for (int i = 0; i < n; ++i) {
            std::u16string title(prefix);
            title.append(u16(std::to_string(i)));
            rowlist_add_fields(list, title.c_str(), u"C:\\somewhere", nullptr, nullptr, kKindOpen, 100);
        }
        return list;
    }
    // A final list for the newest request.
    void results(int n) { on_results(search_generation_newest(), rows(n)); }
    void key(int vk, int mods = 0) {
        on_key_down(vk, mods);
        on_key_up(vk, mods);
    }
    void type(const char* utf8) {
        for (char16_t c : u16(utf8)) on_char(c);
        frame();
    }
    int selection() { return view_current_list().selection; }

    FakeWorld world;
    PlatformScope scope;
    FakeTextScope text;
};

TEST_F(MainViewTest, MovesWrapPageAndJump) {
    struct Case {
        int rows, start, key, mods, expect;
    } cases[] = {
        {5, 4, vk::kDown, 0, 0},       {5, 0, vk::kUp, 0, 4},          {5, -1, vk::kUp, 0, 4},
        {5, -1, vk::kDown, 0, 0},      {20, 18, vk::kPageDown, 0, 5},  {20, 5, vk::kPageUp, 0, 18},
        {20, -1, vk::kPageUp, 0, 19},  {20, 7, vk::kHome, 0, 0},       {20, 3, vk::kEnd, 0, 19},
        {0, -1, vk::kEnd, 0, -1},      {0, -1, vk::kDown, 0, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rows << " rows from " << c.start << " key " << c.key);
        results(c.rows);
        view_current_list().selection = c.start;
        view_scroll_into_view();
        key(c.key, c.mods);
        frame();
        EXPECT_EQ(selection(), c.expect);
        // The selection is always in view, and the scroll within its bounds.
        const int sc = view_current_list().scroll;
        if (c.expect >= 0) {
            EXPECT_LE(sc, c.expect * 52);
            EXPECT_GE(sc + 7 * 52, (c.expect + 1) * 52);
        }
        EXPECT_LE(sc, std::max(0, (c.rows - 7) * 52));
    }
}

TEST_F(MainViewTest, MoveFromAnOffScreenSelectionLandsOnTheVisibleRows) {
    results(30);
    view_current_list().selection = 2;
    view_current_list().scroll = 10 * 52;  // rows 10..16 visible
    key(vk::kDown);
    frame();
    EXPECT_EQ(selection(), 10);
    view_current_list().selection = 25;
    view_current_list().scroll = 10 * 52;
    key(vk::kUp);
    frame();
    EXPECT_EQ(selection(), 16);
}

TEST_F(MainViewTest, FinalListAfterItsPreviewKeepsTheUsersRow) {
    const int32_t g = search_generation_newest();
    on_preview(g, rows(12));
    frame();
    for (int i = 0; i < 9; ++i) key(vk::kDown);
    frame();
    ASSERT_EQ(selection(), 1);  // moves are one frame's request: the last one counts
    for (int i = 0; i < 8; ++i) {
        key(vk::kDown);
        frame();
    }
    ASSERT_EQ(selection(), 9);
    const int scroll = view_current_list().scroll;
    EXPECT_GT(scroll, 0);

    on_results(g, rows(15, u"Final "));
    frame();
    EXPECT_EQ(selection(), 9);
    EXPECT_EQ(view_current_list().scroll, scroll);
    EXPECT_EQ(u8(view_selected_row()->title), "Final 9");

    // A final list too short for that row starts over; so does a list of a newer search.
    on_preview(g, rows(12));
    view_current_list().selection = 9;
    on_results(g, rows(4));
    EXPECT_EQ(selection(), 0);
    type("x");
    view_current_list().selection = 3;
    results(8);
    EXPECT_EQ(selection(), 0);
    EXPECT_EQ(view_current_list().scroll, 0);
}

TEST_F(MainViewTest, StaleAndMisdirectedListsAreDropped) {
    results(3);
    const int32_t old = search_generation_newest();
    type("n");
    EXPECT_GT(search_generation_newest(), old);
    on_results(old, rows(9));
    on_preview(old, rows(9));
    EXPECT_EQ(view_row_count(), 3);

    // A null final list empties the rows.
    on_results(search_generation_newest(), nullptr);
    EXPECT_EQ(view_row_count(), 0);
    EXPECT_EQ(selection(), -1);

    // Search lists while another view is shown, and view rows for another view.
    key('R', kModCtrl);
    frame();
    ASSERT_EQ(s().view, kViewRecents);
    on_results(search_generation_newest(), rows(5));
    RowList* apps = rows(4);
    apps->view = kViewAllApps;
    on_view_rows(search_generation_newest(), apps);
    EXPECT_EQ(view_row_count(), 0);
}

TEST_F(MainViewTest, EscapePeelsOneLayerPerPressAndHidesOnRelease) {
    type("abc");
    key(vk::kLeft, kModShift);
    frame();
    ASSERT_TRUE(box_has_selection(s().box));

    on_key_down(vk::kEscape, 0);
    frame();
    EXPECT_FALSE(box_has_selection(s().box));
    on_key_up(vk::kEscape, 0);
    EXPECT_FALSE(s().hide_requested);
    EXPECT_EQ(std::string(s().box.text), "abc");

    on_key_down(vk::kEscape, 0);
    frame();
    EXPECT_FALSE(s().hide_requested);  // only on the release
    on_key_up(vk::kEscape, 0);
    EXPECT_TRUE(s().hide_requested);
}

TEST_F(MainViewTest, EscapeLayersInOrder) {
    // Folders-only under an open view: the view goes first, then folders-only, then it arms.
    key('F', kModCtrl);
    ASSERT_TRUE(s().folders_only);
    key('P', kModCtrl);
    ASSERT_EQ(s().view, kViewPins);
    ASSERT_FALSE(s().folders_only);  // opening a view switches it off
    key('F', kModCtrl);
    EXPECT_EQ(s().view, kViewSearch);
    EXPECT_TRUE(s().folders_only);
    key('R', kModCtrl);
    ASSERT_EQ(s().view, kViewRecents);
    s().folders_only = true;

    key(vk::kEscape);  // applied on the release when no frame ran in between
    EXPECT_EQ(s().view, kViewSearch);
    EXPECT_FALSE(s().hide_requested);
    key(vk::kEscape);
    EXPECT_FALSE(s().folders_only);
    EXPECT_FALSE(s().hide_requested);
    // A scope goes up one level per press.
    text_copy_to(s().scope_folder, kScopeFolderCap, u"C:\\Users\\me\\");
    key(vk::kEscape);
    EXPECT_EQ(u8(s().scope_folder), "C:\\Users\\");
    key(vk::kEscape);
    key(vk::kEscape);
    EXPECT_EQ(u8(s().scope_folder), "");
    EXPECT_FALSE(s().hide_requested);
    key(vk::kEscape);
    EXPECT_TRUE(s().hide_requested);
}

TEST_F(MainViewTest, CtrlAOpensAppsInAnEmptyBoxAndSelectsText) {
    ASSERT_TRUE(s().box_has_focus);
    key('A', kModCtrl);
    EXPECT_EQ(s().view, kViewAllApps);
    frame();
    key('A', kModCtrl);
    EXPECT_EQ(s().view, kViewSearch);
    frame();

    type("abc");
    key('A', kModCtrl);
    EXPECT_EQ(s().view, kViewSearch);
    EXPECT_EQ(s().box.anchor, 0);
    EXPECT_EQ(s().box.caret, 3);
    // Characters typed just before Ctrl+A, with no frame in between, count as text.
    view_show_reset();
    frame();
    on_char(u'q');
    key('A', kModCtrl);
    EXPECT_EQ(s().view, kViewSearch);
    EXPECT_EQ(std::string(s().box.text), "q");
    EXPECT_EQ(s().box.anchor, 0);
    // Ctrl+Shift+A is no binding and no edit.
    EXPECT_FALSE(on_key_down('A', kModCtrl | kModShift));
    EXPECT_EQ(s().view, kViewSearch);
}

TEST_F(MainViewTest, CtrlXCutsASelectionElseOpensHelp) {
    type("hello");
    key('X', kModCtrl);  // no selection: the help view
    EXPECT_EQ(s().view, kViewHelp);
    EXPECT_EQ(s().box.length, 0);
    key(vk::kEscape);
    ASSERT_EQ(s().view, kViewSearch);
    type("hello");
    key('A', kModCtrl);
    key('X', kModCtrl);
    EXPECT_EQ(s().view, kViewSearch);
    EXPECT_EQ(s().box.length, 0);
    EXPECT_EQ(u8(world.clipboard.text()), "hello");
}

TEST_F(MainViewTest, ShortcutsNeedTheExactModifiers) {
    struct Case {
        int key, mods, view;
    } cases[] = {
        {'R', kModCtrl, kViewRecents},         {'R', kModCtrl | kModAlt, kViewSearch},
        {'R', kModCtrl | kModWin, kViewSearch}, {'S', kModCtrl, kViewSettings},
        {'S', kModCtrl | kModShift, kViewSearch}, {'T', kModCtrl, kViewTools},
        {'O', kModCtrl, kViewOptions},          {'R', 0, kViewSearch},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << char(c.key) << " mods " << c.mods);
        view_show_reset();
        frame();
        on_key_down(c.key, c.mods);
        EXPECT_EQ(s().view, c.view);
    }
    // Not while a menu is open.
    view_show_reset();
    view_menu_open(rows(3), u"Target");
    on_key_down('R', kModCtrl);
    EXPECT_EQ(s().view, kViewSearch);
}

TEST_F(MainViewTest, ColonLetterBecomesADriveAndTextChangesRequestSearches) {
    const int32_t before = search_generation_newest();
    type(":c");
    EXPECT_EQ(std::string(s().box.text), "c:");
    EXPECT_EQ(s().box.caret, 2);
    EXPECT_EQ(s().box.anchor, 2);
    EXPECT_GT(search_generation_newest(), before);
    EXPECT_EQ(u8(read_request().search_text), "c:");
    EXPECT_EQ(s().last_request, search_generation_newest());

    // A frame without a change requests nothing.
    const int32_t g = search_generation_newest();
    frame();
    EXPECT_EQ(search_generation_newest(), g);
}

TEST_F(MainViewTest, SettingsViewFiltersAsYouType) {
    key('S', kModCtrl);
    frame();
    const int all = view_row_count();
    EXPECT_GT(all, 100);
    type("bluetooth");
    const int some = view_row_count();
    EXPECT_GT(some, 0);
    EXPECT_LT(some, all);
    for (int i = 0; i < some; ++i) EXPECT_EQ(view_current_list().rows->items[i].kind, kKindSettings);
    Drawn d = frame();
    EXPECT_NE(d.find("SETTINGS"), nullptr);
}

TEST_F(MainViewTest, ViewRowsAreFilteredByTheirTitles) {
    view_hooks().build_rows = [](int32_t view, RowList* out) {
        if (view != kViewHelp) return;
        for (const char16_t* t : {u"Open recents", u"Open pins", u"Folders only"})
            rowlist_add_fields(out, t, u"", nullptr, nullptr, kKindInfo, 100);
    };
    key('X', kModCtrl);
    frame();
    EXPECT_EQ(view_row_count(), 3);
    type("pin");
    ASSERT_EQ(view_row_count(), 1);
    EXPECT_EQ(u8(view_selected_row()->title), "Open pins");
    Drawn d = frame();
    EXPECT_NE(d.find("1 shortcut"), nullptr);
    EXPECT_NE(d.find("HELP"), nullptr);
}

TEST_F(MainViewTest, RowsAreDrawnAsLaidOut) {
    RowList* list = view_list_new();
    rowlist_add_fields(list, u"Visual Studio Code", u"C:\\Apps\\Code.exe", nullptr, nullptr, kKindOpen, 100);
    rowlist_add_fields(list, u"9 lives", u"", nullptr, nullptr, kKindOpen, 90);
    rowlist_add_fields(list, u"\u00e9\u00e8", u"", nullptr, nullptr, kKindOpen, 80);
    type("code");
    on_results(search_generation_newest(), list);
    Drawn d = frame();
    const Palette& p = palette();

    // Selected row 0: background and the 3 px bar; letter tiles from the first letter or digit.
    EXPECT_TRUE(d.has_rect(ui_rect(14, 62, 768 - 28, 52), p.slot[kSlotSelected]));
    EXPECT_TRUE(d.has_rect(ui_rect(14, 62, 3, 52), p.slot[kSlotAccent]));
    EXPECT_TRUE(d.has_rect(ui_rect(26, 62 + 16, 20, 20), p.slot[kSlotTile]));
    const DrawnText* v = d.find("V");
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->pos.x, 26 + 6);
    EXPECT_EQ(v->pos.y, 62 + (52 - 13) / 2);
    EXPECT_EQ(v->color, p.slot[kSlotTileLetter]);
    EXPECT_NE(d.find("9"), nullptr);
    EXPECT_NE(d.find("#"), nullptr);

    // The title in two pieces: the match in slot 6 at its measured x (8 px per character).
    const DrawnText* head = d.find("Visual Studio ");
    const DrawnText* match = d.find("Code");
    ASSERT_NE(head, nullptr);
    ASSERT_NE(match, nullptr);
    EXPECT_EQ(head->pos.x, 14 + 44);
    EXPECT_EQ(head->pos.y, 62 + 5);
    EXPECT_EQ(head->color, p.slot[kSlotText]);
    EXPECT_EQ(match->pos.x, 14 + 44 + 14 * 8);
    EXPECT_EQ(match->color, p.slot[kSlotMatch]);
    const DrawnText* sub = d.find("C:\\Apps\\Code.exe");
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(sub->pos.y, 62 + 29);
    EXPECT_EQ(sub->color, p.slot[kSlotDim]);

    // Footer: count, hint, version centred.
    EXPECT_NE(d.find("3 results"), nullptr);
    EXPECT_NE(d.find("Tab menu | ctrl+x help"), nullptr);
    const DrawnText* ver = d.find("v0.4");
    ASSERT_NE(ver, nullptr);
    EXPECT_EQ(ver->pos.x, (768 - 4 * 6) / 2);
    EXPECT_EQ(ver->pos.y, 62 + 7 * 52 + 6);
}

TEST_F(MainViewTest, LongTitlesAreShortenedAndNonAsciiRangesMapOntoUtf8) {
    RowList* list = view_list_new();
    std::u16string long_title(200, u'x');
    rowlist_add_fields(list, long_title.c_str(), u"", nullptr, nullptr, kKindOpen, 100);
    rowlist_add_fields(list, u"\u00e9\U0001F600code", u"", nullptr, nullptr, kKindOpen, 100);
    type("code");
    on_results(search_generation_newest(), list);
    Drawn d = frame();
    bool shortened = false;
    for (const auto& t : d.texts)
        if (t.text.size() > 3 && t.text.compare(t.text.size() - 3, 3, "...") == 0) {
            shortened = true;
            EXPECT_LE(int(t.text.size()) * 8, 768 - 28 - 44 - 16);
        }
    EXPECT_TRUE(shortened);
    const DrawnText* head = d.find("\xC3\xA9\xF0\x9F\x98\x80");
    const DrawnText* match = d.find("code", 62);
    ASSERT_NE(head, nullptr);
    ASSERT_NE(match, nullptr);
    EXPECT_EQ(match->pos.x, head->pos.x + 2 * 8);
    EXPECT_EQ(match->color, palette().slot[kSlotMatch]);
}

TEST_F(MainViewTest, DriveAt95PercentShowsTheWarningBar) {
    RowList* list = view_list_new();
    Row r{};
    r.title = const_cast<char16_t*>(u"Local Disk (C:)");
    r.subtitle = const_cast<char16_t*>(u"5 GB free of 100 GB");
    r.kind = kKindOpen;
    r.has_usage = 1;
    r.used_bytes = 95;
    r.total_bytes = 100;
    r.is_folder = 1;
    rowlist_add(list, &r);
    r.title = const_cast<char16_t*>(u"Data (D:)");
    r.used_bytes = 50;
    rowlist_add(list, &r);
    results(0);
    on_results(search_generation_newest(), list);
    Drawn d = frame();
    const Palette& p = palette();
    const int bar_w = 768 - 28 - 44 - 12;
    EXPECT_TRUE(d.has_rect(ui_rect(58, 62 + 29, bar_w, 18), p.slot[kSlotToggleOff]));
    EXPECT_TRUE(d.has_rect(ui_rect(58, 62 + 29, int(bar_w * 0.95), 18), p.slot[kSlotWarning]));
    const UiRect half = ui_rect(58, 62 + 52 + 29, bar_w / 2, 18);
    EXPECT_TRUE(d.has_rect(half, p.slot[kSlotAccent]));

    ASSERT_EQ(d.count("95%"), 2);
    const DrawnText* first = d.find("95%");
    EXPECT_EQ(first->color, p.slot[kSlotText]);
    EXPECT_EQ(first->pos.x, 58 + (bar_w - 3 * 6) / 2);
    const DrawnText* second = nullptr;
    for (const auto& t : d.texts)
        if (t.text == "95%" && &t != first) second = &t;
    EXPECT_EQ(second->color, p.slot[kSlotBackground]);
    // At 50 % the percentage straddles the fill's end: its second copy is clipped to the fill.
    ASSERT_EQ(d.count("50%"), 2);
    const DrawnText* clipped = nullptr;
    for (const auto& t : d.texts)
        if (t.text == "50%" && t.color == p.slot[kSlotBackground]) clipped = &t;
    ASSERT_NE(clipped, nullptr);
    EXPECT_EQ(clipped->clip, half);
    // The subtitle moves to the title line, right-aligned to the text area.
    const DrawnText* sub = d.find("5 GB free of 100 GB");
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(sub->pos.x + 19 * 6, 58 + 768 - 28 - 44 - 16);
    EXPECT_EQ(sub->pos.y, 62 + 5 + (16 - 12));
}

TEST_F(MainViewTest, SearchBoxTextCaretAndSelection) {
    type("hello");
    key(vk::kLeft, kModShift);
    Drawn d = frame();
    const DrawnText* t = d.find("hello");
    ASSERT_NE(t, nullptr);
    // Medium font: height 16, leading 2, descent 4; box at y 5, 48 high.
    const int top = std::max(5, 5 + (48 - 14 + 1) / 2 + 2 - 2);
    EXPECT_EQ(t->pos.x, 14);
    EXPECT_EQ(t->pos.y, top);
    const Palette& p = palette();
    EXPECT_TRUE(d.has_rect(ui_rect(14 + 4 * 8, top, 8, 16), p.slot[kSlotSelected]));
    EXPECT_TRUE(d.has_rect(ui_rect(14 + 4 * 8, top, 2, 16), ctx()->style->colors[UI_COLOR_TEXT]));
    EXPECT_EQ(s().box.text_origin, 14);

    // A text longer than the box is shifted so the caret at its end stays inside.
    view_show_reset();
    frame();
    // Typed between two frames, characters stop at the UI core's 32-byte buffer.
    type(std::string(120, 'w').c_str());
    EXPECT_EQ(s().box.length, 31);
    box_set_text(s().box, std::string(120, 'w').c_str(), 120);
    frame();
    d = frame();
    const int box_right = 5 + 768 - 10;
    const int caret_x = s().box.text_origin + 120 * 8;
    EXPECT_EQ(caret_x + 2, box_right - 9);
    EXPECT_TRUE(d.has_rect(ui_rect(caret_x, top, 2, 16), ctx()->style->colors[UI_COLOR_TEXT]));
}

TEST_F(MainViewTest, SearchingHintAfter250ms) {
    type("slow");
    Drawn d = frame();
    EXPECT_EQ(d.find("searching..."), nullptr);
    world.clock.advance_ms(249);
    EXPECT_EQ(frame().find("searching..."), nullptr);
    world.clock.advance_ms(1);
    EXPECT_NE(frame().find("searching..."), nullptr);
    // A preview does not count; the final list does.
    on_preview(search_generation_newest(), rows(2));
    EXPECT_NE(frame().find("searching..."), nullptr);
    results(2);
    d = frame();
    EXPECT_EQ(d.find("searching..."), nullptr);
    EXPECT_NE(d.find("2 results"), nullptr);
}

// What the window procedure does with the timer: after the frame that started a search it is set
// for 250 ms; when it fires the next paint reads "searching..."; the final list kills it.
TEST_F(MainViewTest, SearchingTimerBringsTheHintWithoutOtherPaints) {
    SearchingTimer timer{};
    type("slow");
    const uint64_t start = world.clock.tick_ms();
    TimerStep step = searching_timer_sync(timer, view_searching_due_ms(), world.clock.tick_ms());
    EXPECT_EQ(step.op, TimerOp::Arm);
    EXPECT_EQ(step.delay_ms, 250u);
    world.clock.advance_ms(step.delay_ms);
    step = searching_timer_fired(timer, world.clock.tick_ms());
    EXPECT_TRUE(step.repaint);
    EXPECT_NE(frame().find("searching..."), nullptr);
    EXPECT_EQ(searching_timer_sync(timer, view_searching_due_ms(), world.clock.tick_ms()).op, TimerOp::None);

    // A new keystroke waits again from its own request; its final list kills the timer.
    type("r");
    step = searching_timer_sync(timer, view_searching_due_ms(), world.clock.tick_ms());
    EXPECT_EQ(step.op, TimerOp::Arm);
    EXPECT_EQ(view_searching_due_ms(), start + 250 + 250);
    results(1);
    EXPECT_EQ(searching_timer_sync(timer, view_searching_due_ms(), world.clock.tick_ms()).op, TimerOp::Kill);
    EXPECT_EQ(frame().find("searching..."), nullptr);
}

TEST_F(MainViewTest, FooterTextsPerState) {
    FooterTexts t;
    view_footer_texts(&t);
    EXPECT_STREQ(t.hint, "type to search | ext:pdf *.pdf | kill");
    EXPECT_STREQ(t.count, "0 results");
    key('F', kModCtrl);
    results(1);
    view_footer_texts(&t);
    EXPECT_STREQ(t.badge, "FOLDERS");
    EXPECT_STREQ(t.count, "1 result");
    EXPECT_STREQ(t.hint, "folders only | ctrl+f all | Tab menu");
    key('P', kModCtrl);
    view_footer_texts(&t);
    EXPECT_STREQ(t.badge, "PINS");
    EXPECT_STREQ(t.count, "0 pins");
    EXPECT_STREQ(t.hint, "Esc back");
    view_show_reset();
    view_menu_open(rows(4), u"Notepad");
    view_footer_texts(&t);
    EXPECT_STREQ(t.badge, "context menu");
    EXPECT_STREQ(t.count, "4 options - Notepad");

    // The selected file's size in the count.
    view_show_reset();
    world.files.add_file(u"C:\\data\\report.pdf", std::string(2048, 'x'));
    RowList* list = view_list_new();
    rowlist_add_fields(list, u"report.pdf", u"C:\\data\\report.pdf", u"C:\\data\\report.pdf", nullptr, kKindOpen, 100);
    on_results(search_generation_newest(), list);
    view_footer_texts(&t);
    EXPECT_EQ(std::string(t.count).rfind("1 result \xC2\xB7 ", 0), 0u) << t.count;
    EXPECT_STREQ(t.hint, "Enter open | Tab menu");
}

TEST_F(MainViewTest, WheelAndScrollbar) {
    results(20);
    frame();
    on_mouse_wheel(-120);
    EXPECT_EQ(view_current_list().scroll, 2 * 52);
    on_mouse_wheel(-30);  // less than a notch still scrolls one
    EXPECT_EQ(view_current_list().scroll, 4 * 52);
    on_mouse_wheel(+1200);
    EXPECT_EQ(view_current_list().scroll, 0);

    ThumbGeometry g;
    ASSERT_TRUE(view_thumb_geometry(&g));
    EXPECT_EQ(g.x, 768 - 10);
    EXPECT_EQ(g.height, 364 * 364 / (20 * 52));
    // Below the thumb: one list height down; then drag the thumb to the bottom.
    on_mouse_down(g.x + 2, g.top + g.height + 10, UI_MOUSE_LEFT, false, 0);
    EXPECT_EQ(view_current_list().scroll, 364);
    on_mouse_up(g.x + 2, g.top + g.height + 10, UI_MOUSE_LEFT);
    ASSERT_TRUE(view_thumb_geometry(&g));
    on_mouse_down(g.x + 2, g.y + 5, UI_MOUSE_LEFT, false, 0);
    on_mouse_move(g.x + 2, 2000);
    EXPECT_EQ(view_current_list().scroll, (20 - 7) * 52);
    on_mouse_up(g.x + 2, 2000, UI_MOUSE_LEFT);
    EXPECT_FALSE(s().thumb_drag);
    Drawn d = frame();
    ASSERT_TRUE(view_thumb_geometry(&g));
    EXPECT_EQ(g.y + g.height, 62 + 364);
    EXPECT_TRUE(d.has_rect(ui_rect(g.x, g.y, 8, g.height), palette().slot[kSlotSelected]));
}

TEST_F(MainViewTest, MouseSelectsAndDoubleClickQueuesTheRow) {
    results(5);
    frame();
    const int y = 62 + 2 * 52 + 10;
    on_mouse_move(100, y);
    frame();
    on_mouse_down(100, y, UI_MOUSE_LEFT, false, 0);
    frame();
    on_mouse_up(100, y, UI_MOUSE_LEFT);
    frame();
    EXPECT_EQ(selection(), 2);
    on_mouse_move(100, y + 52);
    frame();
    on_mouse_down(100, y + 52, UI_MOUSE_LEFT, true, 0);
    frame();
    on_mouse_up(100, y + 52, UI_MOUSE_LEFT);
    frame();
    Row row;
    int32_t mods = -1;
    ASSERT_TRUE(view_take_pending(&row, &mods));
    EXPECT_EQ(u8(row.title), "Row 3");
    EXPECT_FALSE(view_take_pending(&row, &mods));

    // Enter queues the selection with its modifiers; the footer press asks to move the window.
    key(vk::kReturn, kModCtrl);
    ASSERT_TRUE(view_take_pending(&row, &mods));
    EXPECT_EQ(mods, kModCtrl);
    on_mouse_down(100, 62 + 7 * 52 + 10, UI_MOUSE_LEFT, false, 0);
    EXPECT_TRUE(s().move_window_requested);
}

// A click anywhere in the window leaves the keyboard with the box: typing goes on, the caret
// stays, Ctrl+A selects the text instead of opening All apps.
TEST_F(MainViewTest, TypingGoesOnIntoTheBoxAfterAClick) {
    struct Case {
        const char* where;
        int x, y;
        bool double_click;
    } cases[] = {
        {"a row", 100, 62 + 2 * 52 + 10, false},
        {"the selected row", 100, 62 + 10, false},
        {"the list below the last row", 100, 62 + 5 * 52 + 10, false},
        {"the box", 600, 20, false},
        {"a double click on an information row", 100, 62 + 3 * 52 + 10, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.where);
        view_show_reset();
        frame();
        type("ab");
        RowList* list = rows(3);
        rowlist_add_fields(list, u"Nothing to run", u"", nullptr, nullptr, kKindInfo, 0);
        on_results(search_generation_newest(), list);
        frame();
        on_mouse_move(c.x, c.y);
        frame();
        on_mouse_down(c.x, c.y, UI_MOUSE_LEFT, c.double_click, 0);
        frame();
        on_mouse_up(c.x, c.y, UI_MOUSE_LEFT);
        frame();
        frame();  // a frame with no input: nothing claims the focus back
        EXPECT_TRUE(s().box_has_focus);
        type("c");
        EXPECT_EQ(std::string(s().box.text), "abc");
        Drawn d = frame();
        const int top = std::max(5, 5 + (48 - 14 + 1) / 2 + 2 - 2);
        EXPECT_TRUE(d.has_rect(ui_rect(s().box.text_origin + 3 * 8, top, 2, 16), ctx()->style->colors[UI_COLOR_TEXT]))
            << "caret after the text";
        key('A', kModCtrl);
        EXPECT_EQ(s().view, kViewSearch);
        EXPECT_EQ(s().box.anchor, 0);
        EXPECT_EQ(s().box.caret, 3);
        Row row;
        int32_t mods;
        EXPECT_FALSE(view_take_pending(&row, &mods));
    }
}

TEST_F(MainViewTest, ForwardOpensTheMenuAndBackClosesIt) {
    view_hooks().open_menu = [](const Row* row) {
        RowList* entries = view_list_new();
        rowlist_add_fields(entries, u"Open", u"", nullptr, nullptr, kKindOpen, 0);
        rowlist_add_fields(entries, u"Copy path", u"", nullptr, nullptr, kKindCopyText, 0);
        view_menu_open(entries, row->title);
    };
    results(3);
    key(vk::kTab);
    frame();
    ASSERT_TRUE(s().menu.open);
    EXPECT_EQ(view_row_count(), 2);
    type("copy");
    EXPECT_EQ(view_row_count(), 1);
    // Search lists are not taken while the menu is open.
    results(9);
    key(vk::kLeft);
    frame();
    EXPECT_FALSE(s().menu.open);
    EXPECT_EQ(view_row_count(), 3);
}

TEST_F(MainViewTest, AllAppsFilterGoesToTheFastLaneAndItsRowsAreAdopted) {
    key('A', kModCtrl);
    frame();
    ASSERT_EQ(s().view, kViewAllApps);
    type("no");
    const SearchRequest req = read_request();
    EXPECT_EQ(u8(req.apps_text), "no");
    EXPECT_EQ(req.apps_generation, search_generation_newest());
    RowList* list = rows(2, u"Notepad ");
    list->view = kViewAllApps;
    on_view_rows(req.apps_generation, list);
    EXPECT_EQ(view_row_count(), 2);
    EXPECT_EQ(selection(), 0);
    // An older filter's rows are dropped.
    type("t");
    RowList* late = rows(5);
    late->view = kViewAllApps;
    on_view_rows(req.apps_generation, late);
    EXPECT_EQ(view_row_count(), 2);
    // The app index changed: the filter is asked again.
    const int32_t g = search_generation_newest();
    on_apps_changed();
    EXPECT_GT(search_generation_newest(), g);
    EXPECT_EQ(u8(read_request().apps_text), "not");
}

TEST_F(MainViewTest, BackspaceAtTheStartOfAScopeGoesUp) {
    text_copy_to(s().scope_folder, kScopeFolderCap, u"C:\\Users\\");
    type("a");
    key(vk::kBack);
    frame();
    EXPECT_EQ(u8(s().scope_folder), "C:\\Users\\");  // the character went first
    key(vk::kBack);
    EXPECT_EQ(u8(s().scope_folder), "C:\\");
    EXPECT_EQ(u8(read_request().scope_folder), "C:\\");
    FooterTexts t;
    results(3);
    view_footer_texts(&t);
    EXPECT_STREQ(t.hint, "Enter dive | Bksp up | Tab menu");
}

}  // namespace
