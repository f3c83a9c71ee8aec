// The folder scope driven through the main view's handlers: typed paths (key by key and pasted),
// the drive shortcut, leaving one level per Escape or Backspace, shares, breadcrumb chips and
// their hit tests, and diving into folder rows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/row.h"
#include "core/text.h"
#include "platform/fake/fake_world.h"
#include "query/workers.h"
#include "support/u16.h"
#include "ui/fake_text_measure.h"
#include "ui/keys.h"
#include "ui/main_view.h"
#include "ui/menu_layer.h"
#include "ui/metrics.h"
#include "ui/palette.h"
#include "ui/renderer.h"
#include "ui/scope.h"

namespace {

class ScopeTest : public ::testing::Test {
protected:
    ScopeTest() : scope(world.platform()) {
        dpi_set(96);
        metrics_width_set(768);
        metrics_rows_set(7);
        theme_set(0);
        renderer_init(ui_ctx());
        world.files.add_folder(u"C:\\Users\\Public");
        world.files.add_folder(u"C:\\Users\\me\\Documents");
        world.files.add_file(u"C:\\Users\\me\\notes.txt", "hi");
        world.files.set_cwd(u"C:\\Windows\\System32");
        view_free_all();
        view_hooks() = ViewHooks{};
        menu_scope_join();
        view_show_reset();
        frame();
    }
    ~ScopeTest() override {
        view_show_reset();
        view_free_all();
        view_hooks() = ViewHooks{};
    }

    ViewState& s() { return view_state(); }
    std::string scope_folder() { return u8(text_view(s().scope_folder)); }
    std::string box() { return std::string(s().box.text, static_cast<size_t>(s().box.length)); }

    std::vector<UiRectCommand> frame() {
        ui_frame_begin(ui_ctx());
        view_frame(ui_ctx(), window_width(), window_height());
        ui_frame_end(ui_ctx());
        std::vector<UiRectCommand> rects;
        UiCommand* cmd = nullptr;
        while (ui_cmd_next(ui_ctx(), &cmd))
            if (cmd->type == UI_COMMAND_RECT) rects.push_back(cmd->rect);
        return rects;
    }
    void key(int vk, int mods = 0) {
        on_key_down(vk, mods);
        on_key_up(vk, mods);
        frame();
    }
    // One character per frame, as a user types.
    void type_keys(const char* utf8) {
        for (char16_t c : u16(utf8)) {
            on_char(c);
            frame();
        }
    }
    void paste(const char* utf8) {
        world.clipboard.put(u16(utf8));
        key('V', kModCtrl);
    }

    FakeWorld world;
    PlatformScope scope;
    FakeTextScope text;
};

TEST_F(ScopeTest, TypedTextResolvesToFolders) {
    world.files.set_cwd(u"C:\\Users");
    struct Case {
        const char16_t* text;
        const char16_t* scope;
        const char* expect;  // "" for no folder
    };
    const Case cases[] = {
        {u"c:", u"", "C:\\"},
        {u"C:\\", u"", "C:\\"},
        {u"c:/users/public", u"", "C:\\users\\public\\"},
        {u"C:\\Users\\me\\", u"", "C:\\Users\\me\\"},
        {u"me\\", u"", "C:\\Users\\me\\"},  // outside a scope: the working folder
        {u"q:", u"", ""},                   // no such drive
        {u"c:\\\\", u"", "C:\\"},            // not the drive form, but a path that names the root
        {u"C:\\Users\\me\\notes.txt", u"", ""},
        {u"C:\\Users\\nobody\\", u"", ""},
        {u"C:\\Users\\\"me\\", u"", ""},
        {u"Users", u"C:\\", ""},  // no separator: plain text
        {u"Users\\", u"C:\\", "C:\\Users\\"},
        {u"me\\Documents", u"C:\\Users\\", "C:\\Users\\me\\Documents\\"},
        {u"\\Users\\Public\\", u"C:\\Users\\me\\", "C:\\Users\\Public\\"},
        {u"..\\Public\\", u"C:\\Users\\me\\", "C:\\Users\\Public\\"},
        {u"C:\\Users\\Public", u"C:\\Users\\me\\", "C:\\Users\\Public\\"},
    };
    for (const Case& c : cases) {
        std::u16string out;
        const bool ok = scope_resolve_text(c.text, c.scope, out);
        EXPECT_EQ(ok ? u8(out) : std::string(), c.expect) << u8(c.text) << " in [" << u8(c.scope) << "]";
    }
}

// The path typed key by key used to end in the working folder: "C:" enters C:\ at once and the
// rest is then read against the scope, so every step lands where the user is going.
TEST_F(ScopeTest, DeepPathKeyByKeyOrPasted) {
    type_keys("C:");
    EXPECT_EQ(scope_folder(), "C:\\");
    EXPECT_EQ(box(), "");
    type_keys("Users\\me\\");
    EXPECT_EQ(scope_folder(), "C:\\Users\\me\\");
    EXPECT_EQ(box(), "");
    const SearchRequest r = read_request();
    EXPECT_EQ(u8(text_view(r.scope_folder)), "C:\\Users\\me\\") << "the scoped search runs in the folder";
    EXPECT_EQ(u8(text_view(r.search_text)), "");

    view_show_reset();
    frame();
    paste("C:\\Users\\me\\");
    EXPECT_EQ(scope_folder(), "C:\\Users\\me\\");
    EXPECT_EQ(box(), "");

    // A name that is no folder stays text and is searched inside the scope.
    type_keys("notes");
    EXPECT_EQ(scope_folder(), "C:\\Users\\me\\");
    EXPECT_EQ(box(), "notes");
    EXPECT_EQ(u8(text_view(read_request().search_text)), "notes");
}

TEST_F(ScopeTest, ColonLetterEntersDriveAndBackspaceLeaves) {
    type_keys(":c");
    EXPECT_EQ(scope_folder(), "C:\\");
    EXPECT_EQ(box(), "");
    key(vk::kBack);
    EXPECT_EQ(scope_folder(), "");
    // A drive that is not there stays text.
    type_keys(":q");
    EXPECT_EQ(scope_folder(), "");
    EXPECT_EQ(box(), "q:");
}

TEST_F(ScopeTest, EscapeWalksUpThenLeaves) {
    paste("C:\\Users\\Public\\");
    ASSERT_EQ(scope_folder(), "C:\\Users\\Public\\");
    const char* steps[] = {"C:\\Users\\", "C:\\", ""};
    for (const char* want : steps) {
        key(vk::kEscape);
        EXPECT_EQ(scope_folder(), want);
        EXPECT_TRUE(s().visible) << "Escape peels the scope before it may hide the window";
        EXPECT_FALSE(s().hide_requested);
    }
    key(vk::kEscape);
    EXPECT_TRUE(s().hide_requested) << "from the plain search state Escape hides";
}

TEST_F(ScopeTest, SharesAndSegments) {
    struct Case {
        const char16_t* scope;
        std::vector<std::string> segments;
        std::string parent, cut1, cut2;
    };
    const std::u16string long_name(100, u'x');
    const std::u16string long_scope = u"C:\\" + long_name + u"\\";
    const Case cases[] = {
        {u"C:\\", {"C:"}, "", "C:\\", ""},
        {u"C:\\Users\\Public\\", {"C:", "Users", "Public"}, "C:\\Users\\", "C:\\", "C:\\Users\\"},
        {u"\\\\srv\\share\\", {"\\\\srv\\share"}, "", "\\\\srv\\share\\", ""},
        {u"\\\\srv\\share\\a\\b\\", {"\\\\srv\\share", "a", "b"}, "\\\\srv\\share\\a\\", "\\\\srv\\share\\", "\\\\srv\\share\\a\\"},
        {long_scope.c_str(), {"C:", std::string(80, 'x')}, "C:\\", "C:\\", u8(long_scope)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(u8(c.scope));
        std::u16string segs[kBreadcrumbMax];
        const int32_t n = scope_segments(c.scope, segs, kBreadcrumbMax);
        std::vector<std::string> got;
        for (int32_t i = 0; i < n; ++i) got.push_back(u8(segs[i]));
        EXPECT_EQ(got, c.segments);
        EXPECT_EQ(u8(scope_parent(c.scope)), c.parent);
        EXPECT_EQ(u8(scope_cut_at_segment(c.scope, 1)), c.cut1);
        EXPECT_EQ(u8(scope_cut_at_segment(c.scope, 2)), c.cut2);
    }
    // Going up from a share's root leaves the scope, as from a drive root.
    text_copy_to(s().scope_folder, kScopeFolderCap, u"\\\\srv\\share\\");
    key(vk::kBack);
    EXPECT_EQ(scope_folder(), "");
}

TEST_F(ScopeTest, ChipsDrawnAndHit) {
    paste("C:\\Users\\Public\\");
    const std::vector<UiRectCommand> rects = frame();
    const Breadcrumbs& b = breadcrumbs();
    ASSERT_EQ(b.count, 3);
    EXPECT_FALSE(b.ellipsis);
    // Fake medium font: 8 px a character; chips are the text plus 6 px a side, 4 px apart, from x 14.
    const int32_t lefts[] = {14, 14 + 28 + 4, 14 + 28 + 4 + 52 + 4};
    const int32_t widths[] = {2 * 8 + 12, 5 * 8 + 12, 6 * 8 + 12};
    const UiColor chip = palette_color(kSlotKeyCap);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(b.chips[i].left, lefts[i]);
        EXPECT_EQ(b.chips[i].right, lefts[i] + widths[i]);
        const UiRect want = ui_rect(lefts[i], s().box_y + 11, widths[i], s().box_h - 22);
        bool drawn = false;
        for (const UiRectCommand& r : rects) drawn |= r.rect == want && r.color == chip;
        EXPECT_TRUE(drawn) << "chip " << i;
    }
    EXPECT_EQ(s().text_origin, lefts[2] + widths[2] + 4) << "the text starts 4 px after the last chip";

    const int32_t mid = s().box_y + s().box_h / 2;
    EXPECT_EQ(breadcrumb_hit(lefts[1], mid), 2);
    EXPECT_EQ(breadcrumb_hit(lefts[1] + widths[1], mid), 0) << "the right edge is outside";
    EXPECT_EQ(breadcrumb_hit(lefts[1] + 2, s().box_y + 10), 0) << "above the band";
    // A press on the "Users" chip keeps the scope up to it, through the window's mouse handler.
    on_mouse_down(lefts[1] + 3, mid, UI_MOUSE_LEFT, false, 0);
    on_mouse_up(lefts[1] + 3, mid, UI_MOUSE_LEFT);
    EXPECT_EQ(scope_folder(), "C:\\Users\\");
}

TEST_F(ScopeTest, ManyLevelsShowFirstEllipsisAndLast) {
    std::u16string deep = u"C:";
    for (int i = 0; i < 12; ++i) deep += u"\\level" + u16(std::to_string(i));
    world.files.add_folder(deep);
    paste(u8(deep).c_str());
    ASSERT_EQ(scope_folder(), u8(deep) + "\\");
    frame();
    const Breadcrumbs& b = breadcrumbs();
    ASSERT_TRUE(b.ellipsis);
    ASSERT_GE(b.count, 2);
    EXPECT_EQ(b.chips[0].segment, 1);
    EXPECT_EQ(b.chips[b.count - 1].segment, 13) << "the last folder is always shown";
    for (int i = 1; i < b.count; ++i) EXPECT_EQ(b.chips[i].segment, 13 - (b.count - 1) + i) << "the last chips, in order";
    EXPECT_EQ(b.ellipsis_x, b.chips[0].right + 4);
    EXPECT_EQ(b.chips[1].left, b.ellipsis_x + b.ellipsis_w + 4);
    EXPECT_LE(b.chips[b.count - 1].right - 14, s().box_w - 14 - 8 - 40 - 8) << "within the chip space";
    // The marker goes up one level.
    const int32_t mid = s().box_y + s().box_h / 2;
    EXPECT_TRUE(ellipsis_hit(b.ellipsis_x, mid));
    on_mouse_down(b.ellipsis_x + 1, mid, UI_MOUSE_LEFT, false, 0);
    EXPECT_EQ(scope_folder(), u8(deep.substr(0, deep.rfind(u'\\') + 1)));
}

TEST_F(ScopeTest, EnterDivesIntoFolderRows) {
    RowList* list = view_list_new();
    rowlist_add_fields(list, u"Public", u"C:\\Users", u"C:\\Users\\Public", u"C:\\Users\\Public", kKindOpen, 100);
    rowlist_add_fields(list, u"Gone", u"C:\\Users", u"C:\\Users\\Gone", u"C:\\Users\\Gone", kKindOpen, 90);
    list->items[1].is_folder = 1;  // said to be a folder, but not there any more
    on_results(search_generation_newest(), list);
    frame();
    key(vk::kReturn);
    EXPECT_EQ(scope_folder(), "C:\\Users\\Public\\");
    EXPECT_FALSE(s().pending.set) << "diving runs no action";

    view_show_reset();
    list = view_list_new();
    rowlist_add_fields(list, u"Gone", u"C:\\Users", u"C:\\Users\\Gone", u"C:\\Users\\Gone", kKindOpen, 90);
    list->items[0].is_folder = 1;
    on_results(search_generation_newest(), list);
    frame();
    key(vk::kReturn);
    EXPECT_EQ(scope_folder(), "");
    EXPECT_TRUE(s().pending.set) << "a folder that is gone runs the row's own action";
}

TEST_F(ScopeTest, CtrlEnterActsOnThePath) {
    struct Case {
        const char16_t* path;
        int mods;
        int32_t kind;  // -1: nothing queued
    };
    const Case cases[] = {
        {u"C:\\Users\\Public", kModCtrl, kKindOpen},
        {u"C:\\Users\\Public", kModCtrl | kModShift, -1},  // run as administrator needs a file
        {u"C:\\Users\\me\\notes.txt", kModCtrl, kKindContainingFolder},
        {u"C:\\Users\\me\\notes.txt", kModCtrl | kModShift, kKindRunAsAdmin},
        {u"C:\\nowhere\\x.txt", kModCtrl, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(u8(c.path) + " mods " + std::to_string(c.mods));
        view_show_reset();
        RowList* list = view_list_new();
        rowlist_add_fields(list, u"Item", u"somewhere", c.path, u"shell:elsewhere", kKindSettings, 100);
        on_results(search_generation_newest(), list);
        frame();
        key(vk::kReturn, c.mods);
        EXPECT_EQ(scope_folder(), "") << "Ctrl+Enter never dives";
        Row ran;
        int32_t mods = 0;
        const bool queued = view_take_pending(&ran, &mods);
        EXPECT_EQ(queued ? ran.kind : -1, c.kind);
        if (!queued) continue;
        EXPECT_EQ(text_view(ran.target), std::u16string_view(c.path));
        EXPECT_EQ(text_view(ran.subtitle), std::u16string_view(c.path));
        EXPECT_EQ(text_view(ran.title), u"Item");
        EXPECT_TRUE(ran.record_launch);
    }
}

}  // namespace
