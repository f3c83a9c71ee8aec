// The context menu as a layer over the list, and Enter pressed before the newest rows are shown,
// both driven through the handlers the window procedure calls.
#include <gtest/gtest.h>

#include <string>

#include "actions/context_menu.h"
#include "core/row.h"
#include "core/text.h"
#include "query/workers.h"
#include "store/pins.h"
#include "store/verb_cache.h"
#include "store_fixture.h"
#include "ui/activation.h"
#include "ui/fake_text_measure.h"
#include "ui/keys.h"
#include "ui/main_view.h"
#include "ui/menu_layer.h"
#include "ui/metrics.h"
#include "ui/renderer.h"

namespace {

constexpr const char16_t* kFile = u"C:\\Docs\\report.txt";

ShellVerb verb(const char16_t* name, const char16_t* label) {
    ShellVerb v{};
    std::u16string_view(name).copy(v.verb, 127);
    std::u16string_view(label).copy(v.label, 127);
    return v;
}

// The last shell-verb request the menu made.
struct Requested {
    int32_t generation = 0;
    std::string target, key;
};
Requested requested;

class MenuLayerTest : public StoreTest {
public:
    void SetUp() override {
        StoreTest::SetUp();
        world.files.add_file(kFile, "text");
        dpi_set(96);
        metrics_width_set(768);
        metrics_rows_set(7);
        renderer_init(ui_ctx());
        view_free_all();
        view_hooks() = ViewHooks{};
        menu_scope_join();
        requested = Requested{};
        view_hooks().verbs_request = [](int32_t generation, const char16_t* target, const char16_t* key) {
            requested = Requested{generation, u8(text_view(target)), u8(text_view(key))};
        };
        view_show_reset();
        frame();
    }
    void TearDown() override {
        view_show_reset();
        view_free_all();
        view_hooks() = ViewHooks{};
        StoreTest::TearDown();
    }

    ViewState& s() { return view_state(); }
    void frame() {
        ui_frame_begin(ui_ctx());
        view_frame(ui_ctx(), window_width(), window_height());
        ui_frame_end(ui_ctx());
    }
    void key(int vk, int mods = 0) {
        on_key_down(vk, mods);
        on_key_up(vk, mods);
        frame();
    }
    void type(const char* utf8, bool paint = true) {
        for (char16_t c : u16(utf8)) on_char(c);
        if (paint) frame();
    }
    // Rows titled prefix0, prefix1, ...; row 1 is the text file.
    static RowList* rows(int n, const char* prefix) {
        RowList* list = view_list_new();
        for (int i = 0; i < n; ++i) {
            const std::u16string title = u16(prefix) + u16(std::to_string(i));
            const char16_t* path = i == 1 ? kFile : nullptr;
            rowlist_add_fields(list, title.c_str(), u"somewhere", path, path, kKindOpen, 100 - i);
        }
        return list;
    }
    std::string title_at(int i) {
        const ShownList& l = view_current_list();
        return l.rows && i >= 0 && i < l.rows->count ? u8(text_view(l.rows->items[i].title)) : "";
    }
    std::string box() { return std::string(s().box.text, static_cast<size_t>(s().box.length)); }
    std::string pending_title() {
        Row r;
        int32_t mods;
        return view_take_pending(&r, &mods) ? u8(text_view(r.title)) : "";
    }

    FakeTextScope text;
};

TEST_F(MenuLayerTest, TabThenEscapeRestoresTheList) {
    type("rep");
    on_results(search_generation_newest(), rows(4, "Item "));
    key(vk::kDown);
    ASSERT_EQ(view_current_list().selection, 1);
    key(vk::kTab);
    ASSERT_TRUE(s().menu.open);
    EXPECT_EQ(title_at(0), "Open");
    EXPECT_EQ(box(), "") << "the box filters the entries";
    EXPECT_EQ(u8(text_view(s().menu.target.title)), "Item 1") << "the menu keeps a copy of its row";
    EXPECT_EQ(requested.target, u8(kFile));
    EXPECT_EQ(requested.key, "file:.txt");
    EXPECT_EQ(requested.generation, s().menu.generation);

    // Typing filters while keeping the selected entry.
    key(vk::kDown);
    key(vk::kDown);
    ASSERT_EQ(title_at(view_current_list().selection), "Open with...");
    type("o");
    EXPECT_EQ(title_at(view_current_list().selection), "Open with...");
    type("py");  // "opy": only the copy entries
    EXPECT_EQ(title_at(0), "Copy path");

    key(vk::kEscape);
    EXPECT_FALSE(s().menu.open);
    EXPECT_EQ(title_at(1), "Item 1");
    EXPECT_EQ(view_current_list().selection, 1);
    EXPECT_EQ(box(), "rep");
    EXPECT_EQ(s().box.caret, 3);
    EXPECT_FALSE(s().hide_requested);
}

TEST_F(MenuLayerTest, VerbsFromTheCacheAtOnceAndLateAnswersDropped) {
    const ShellVerb cached[] = {verb(u"edit", u"Edit"), verb(u"print", u"Print")};
    verb_cache_load();
    verb_cache_store(u"file:.txt", cached, 2);
    on_results(search_generation_newest(), rows(3, "Item "));
    key(vk::kDown);
    key(vk::kTab);
    ASSERT_TRUE(s().menu.open);
    EXPECT_TRUE(s().menu.verbs_merged);
    const int32_t count = view_row_count();
    EXPECT_GE(menu_find_entry(s().menu.entries, kKindShellVerb, u"Print", u"print"), 0);

    const ShellVerb fresh[] = {verb(u"edit", u"Edit"), verb(u"print", u"Print"), verb(u"scan", u"Scan with Guard")};
    const int32_t gen = s().menu.generation;
    menu_on_verbs(gen - 1, kFile, fresh, 3, false);
    EXPECT_EQ(view_row_count(), count) << "an answer for an older menu is dropped";
    menu_on_verbs(gen, u"C:\\Docs\\other.txt", fresh, 3, false);
    EXPECT_EQ(view_row_count(), count) << "an answer for another file is dropped";
    menu_on_verbs(gen, kFile, fresh, 3, false);
    EXPECT_EQ(view_row_count(), count + 1);
    EXPECT_EQ(verb_cache_at(verb_cache_find(u"file:.txt"))->count, 3) << "changed verbs are cached";
    EXPECT_TRUE(file(u"shell_verbs.dat").has_value());

    // After the menu closed, its generation is over.
    key(vk::kEscape);
    key(vk::kTab);
    const int32_t reopened = view_row_count();
    menu_on_verbs(gen, kFile, fresh, 3, false);
    EXPECT_EQ(view_row_count(), reopened);
}

TEST_F(MenuLayerTest, PinFromTheMenuRebuildsItForTheSameRow) {
    options_toggle_stay_open();
    on_results(search_generation_newest(), rows(3, "Item "));
    key(vk::kDown);
    key(vk::kTab);
    type("pin");
    ASSERT_EQ(title_at(0), "Pin to Quick Access");
    key(vk::kReturn);
    Row r;
    int32_t mods;
    ASSERT_TRUE(view_take_pending(&r, &mods));
    ASSERT_TRUE(s().running.from_menu);
    EXPECT_EQ(pin_toggle(kFile, nullptr, u"Item 1", nullptr, kKindOpen), 1);  // what the action does
    after_action(&r, true);
    ASSERT_TRUE(s().menu.open) << "a pin keeps the menu open";
    EXPECT_EQ(menu_usage_count(kKindPinToggle, u"Pin to Quick Access", nullptr), 1);
    EXPECT_EQ(menu_find_entry(s().menu.entries, kKindPinToggle, u"Remove from Quick Access", nullptr), 0)
        << "rebuilt for the row, with the used entry first";
    EXPECT_EQ(u8(text_view(s().menu.target.title)), "Item 1");
    EXPECT_FALSE(s().hide_requested);
}

TEST_F(MenuLayerTest, ChooseShellHandsTheFolderOver) {
    static std::string chosen;
    chosen.clear();
    view_hooks().terminal_chooser = [](const char16_t* folder) { chosen = u8(text_view(folder)); };
    RowList* entries = view_list_new();
    rowlist_add_fields(entries, u"Choose shell...", u"All shells and profiles", nullptr, u"C:\\Docs", kKindChooseShell, 100);
    view_menu_open(entries, u"Docs");
    frame();
    key(vk::kReturn);
    EXPECT_EQ(chosen, "C:\\Docs");
    EXPECT_FALSE(s().menu.open);
    EXPECT_FALSE(s().pending.set);
}

// Typing a name and pressing Enter before its rows are shown must run a row of the new list.
TEST_F(MenuLayerTest, EnterWaitsForTheNewestRows) {
    type("no");
    on_results(search_generation_newest(), rows(3, "Old "));
    frame();
    type("te", false);  // no frame yet: Enter comes with the characters
    key(vk::kReturn);
    EXPECT_FALSE(s().pending.set) << "the old list is not activated";
    const int32_t gen = search_generation_newest();
    EXPECT_EQ(u8(text_view(read_request().search_text)), "note");
    on_results(gen - 1, rows(3, "Older "));  // late rows of an earlier text
    EXPECT_FALSE(s().pending.set);
    on_preview(gen, rows(3, "New "));
    EXPECT_EQ(pending_title(), "New 0");

    // Escape, another key or hiding before the rows arrive runs nothing.
    const auto held_then = [&](auto cancel) {
        type("x", false);
        key(vk::kReturn);
        cancel();
        on_results(search_generation_newest(), rows(3, "Late "));
        return pending_title();
    };
    EXPECT_EQ(held_then([&] { key(vk::kEscape); }), "");
    EXPECT_EQ(held_then([&] { type("y"); }), "");
    EXPECT_EQ(held_then([&] { view_hidden(); }), "");
    view_show_reset();
    frame();

    // Rows that come more than a second late are not run either.
    type("ab", false);
    key(vk::kReturn);
    world.clock.advance_ms(1001);
    on_results(search_generation_newest(), rows(3, "Slow "));
    EXPECT_EQ(pending_title(), "");

    // With the rows shown, Enter runs at once.
    key(vk::kReturn);
    EXPECT_EQ(pending_title(), "Slow 0");
}

TEST_F(MenuLayerTest, HeldEnterKeepsAMoveMadeAfterTyping) {
    on_results(search_generation_newest(), rows(3, "Old "));
    type("n");
    key(vk::kDown);
    key(vk::kReturn, kModCtrl);  // Ctrl+Enter on the second row waits too
    EXPECT_FALSE(s().pending.set);
    on_results(search_generation_newest(), rows(3, "New "));
    Row r;
    int32_t mods;
    ASSERT_TRUE(view_take_pending(&r, &mods));
    EXPECT_EQ(r.kind, kKindContainingFolder) << "Ctrl+Enter on the file row of the new list";
    EXPECT_EQ(text_view(r.target), std::u16string_view(kFile));
}

}  // namespace
