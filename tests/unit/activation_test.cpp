// Activation: which rows Enter queues and how, and what the window does after the shell ran the
// queued action (history, menu usage, hide, stay, exit), driven like the paint handler drives it.
#include <gtest/gtest.h>

#include <mutex>
#include <string>

#include "core/row.h"
#include "query/workers.h"
#include "store_fixture.h"
#include "ui/activation.h"
#include "ui/fake_text_measure.h"
#include "ui/keys.h"
#include "ui/main_view.h"
#include "ui/metrics.h"
#include "ui/renderer.h"

namespace {

class ActivationTest : public StoreTest {
public:
    void SetUp() override {
        StoreTest::SetUp();
        dpi_set(96);
        metrics_width_set(768);
        metrics_rows_set(7);
        renderer_init(ui_ctx());
        view_free_all();
        view_hooks() = ViewHooks{};
        view_show_reset();
    }
    void TearDown() override {
        view_show_reset();
        view_free_all();
        view_hooks() = ViewHooks{};
        StoreTest::TearDown();
    }

    // Shows one row of the kind as the search results, selected.
    static void show(int32_t kind, const char16_t* title = u"Notepad", const char16_t* target = u"C:\\Tools\\np.exe") {
        RowList* list = view_list_new();
        rowlist_add_fields(list, title, u"C:\\Tools", target, target, kind, 100);
        on_results(search_generation_newest(), list);
    }
    // What the paint handler does: take the pending row, "run" it, and hand the outcome over.
    static bool run(bool succeeded, Row* ran = nullptr) {
        Row row;
        int32_t mods = 0;
        if (!view_take_pending(&row, &mods)) return false;
        if (ran) *ran = row;
        after_action(&row, succeeded);
        return true;
    }
    static int32_t history_count() {
        std::lock_guard<std::mutex> hold(history_lock());
        history_ensure_loaded_locked();
        return history_store().count;
    }

    FakeTextScope text;
};

TEST_F(ActivationTest, EnterQueuesByKind) {
    int32_t confirmed = -1;
    static int32_t* seen;
    seen = &confirmed;
    view_hooks().confirm_open = [](const Row* row) { *seen = row->kind; };
    struct Case {
        int32_t kind;
        bool queued, record, then_exit, exits;
    };
    const Case cases[] = {
        {kKindOpen, true, true, false, false},          {kKindSettings, true, true, false, false},
        {kKindProcess, true, false, false, false},      {kKindCopyText, true, false, false, false},
        {kKindPinToggle, true, false, false, false},    {kKindLock, true, true, false, false},
        {kKindOpenInTerminal, true, true, false, false}, {kKindRestartLauncher, true, true, true, false},
        {kKindExit, false, false, false, true},         {kKindShutdown, false, false, false, false},
        {kKindQuietUninstall, false, false, false, false}, {kKindInfo, false, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        view_state().exit_requested = false;
        confirmed = -1;
        show(c.kind);
        on_key_down(vk::kReturn, 0);
        const PendingAction p = view_state().pending;
        EXPECT_EQ(p.set, c.queued);
        if (c.queued) {
            EXPECT_EQ(p.row.record_launch != 0, c.record);
            EXPECT_EQ(p.then_exit, c.then_exit);
            EXPECT_FALSE(p.from_menu);
            EXPECT_EQ(u8(p.row.title), "Notepad");
        }
        EXPECT_EQ(view_state().exit_requested, c.exits);
        const bool needs_dialog = c.kind == kKindShutdown || c.kind == kKindQuietUninstall;
        EXPECT_EQ(confirmed, needs_dialog ? c.kind : -1);
        view_take_pending(nullptr, nullptr);
    }
}

TEST_F(ActivationTest, SuccessRecordsAndHidesFailureChangesNothing) {
    show(kKindOpen);
    activate_selected(0);
    ASSERT_TRUE(run(false));
    EXPECT_EQ(history_count(), 0);
    EXPECT_FALSE(view_state().hide_requested);
    EXPECT_EQ(view_row_count(), 1);

    activate_selected(0);
    Row ran;
    ASSERT_TRUE(run(true, &ran));
    EXPECT_EQ(history_count(), 1);
    EXPECT_TRUE(view_state().hide_requested);
    EXPECT_TRUE(file(u"history.dat").has_value());

    // Kinds that are not launches are not remembered, but still hide.
    view_state().hide_requested = false;
    show(kKindCopyText, u"Copy", u"some text");
    activate_selected(0);
    ASSERT_TRUE(run(true));
    EXPECT_EQ(history_count(), 1);
    EXPECT_TRUE(view_state().hide_requested);
}

TEST_F(ActivationTest, StayOpenKeepsTheWindowExceptForOpeningKinds) {
    options_toggle_stay_open();
    ASSERT_TRUE(options_stay_open());
    show(kKindSettings, u"Bluetooth", u"ms-settings:bluetooth");
    activate_selected(0);
    ASSERT_TRUE(run(true));
    EXPECT_FALSE(view_state().hide_requested);
    EXPECT_EQ(history_count(), 1);

    show(kKindOpen);
    activate_selected(0);
    ASSERT_TRUE(run(true));
    EXPECT_TRUE(view_state().hide_requested);
    view_state().hide_requested = false;

    // A killed process: the box empties and the search runs again for the empty text.
    show(kKindProcess, u"notepad.exe", u"1234");
    box_set_text(view_state().box, "kill note", 9);
    const int32_t before = search_generation_newest();
    activate_selected(0);
    ASSERT_TRUE(run(true));
    EXPECT_FALSE(view_state().hide_requested);
    EXPECT_EQ(view_state().box.length, 0);
    EXPECT_GT(search_generation_newest(), before);
}

TEST_F(ActivationTest, RestartExitsAfterSuccessOnly) {
    show(kKindRestartLauncher, u"Restart Kestrune", u"");
    activate_selected(0);
    ASSERT_TRUE(run(false));
    EXPECT_FALSE(view_state().exit_requested);
    activate_selected(0);
    ASSERT_TRUE(run(true));
    EXPECT_TRUE(view_state().exit_requested);
    EXPECT_FALSE(view_state().hide_requested);
}

TEST_F(ActivationTest, MenuEntriesCountInMenuUsageNotHistory) {
    options_toggle_stay_open();
    view_hooks().open_menu = [](const Row* row) {
        RowList* entries = view_list_new();
        rowlist_add_fields(entries, u"Run as administrator", u"", row->target, row->target, kKindRunAsAdmin, 0);
        rowlist_add_fields(entries, u"Copy path", u"", row->target, row->target, kKindCopyText, 0);
        view_menu_open(entries, row->title);
    };
    show(kKindOpen);
    on_key_down(vk::kTab, 0);
    ui_frame_begin(ui_ctx());
    view_frame(ui_ctx(), window_width(), window_height());
    ui_frame_end(ui_ctx());
    ASSERT_TRUE(view_state().menu.open);
    view_current_list().selection = 1;
    activate_selected(0);
    ASSERT_TRUE(view_state().pending.from_menu);
    EXPECT_EQ(view_state().pending.row.record_launch, 0);
    ASSERT_TRUE(run(true));
    EXPECT_EQ(history_count(), 0);
    EXPECT_EQ(menu_usage_count(kKindCopyText, u"Copy path", nullptr), 1);
    EXPECT_TRUE(view_state().menu.open);  // a copy keeps the menu open on its row
    EXPECT_FALSE(view_state().hide_requested);
}

TEST_F(ActivationTest, QueuedRowOutlivesTheListItCameFrom) {
    show(kKindOpen, u"First", u"C:\\a.exe");
    activate_selected(kModCtrl);
    show(kKindOpen, u"Second", u"C:\\b.exe");  // frees the first list
    activate_selected(0);                       // replaces the pending row
    show(kKindOpen, u"Third", u"C:\\c.exe");
    Row ran;
    ASSERT_TRUE(run(false, &ran));
    EXPECT_EQ(u8(ran.title), "Second");
    EXPECT_EQ(u8(ran.target), "C:\\b.exe");
    // The running row stays readable while the next one is queued.
    activate_selected(0);
    EXPECT_EQ(u8(ran.title), "Second");
    EXPECT_EQ(u8(view_state().pending.row.title), "Third");
}

}  // namespace
