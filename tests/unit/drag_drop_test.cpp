// Which presses may drag a row out, and what the dragged data object answers.
#include <gtest/gtest.h>

#include "actions/drag_drop.h"
#include "core/row.h"
#include "platform/fake/fake_world.h"
#include "ui/main_view.h"
#include "ui/metrics.h"

namespace {

constexpr uint32_t kPreferred = 0xC0F3;  // some registered format number
constexpr uint32_t kCfUnicodeText = 13;

TEST(DragFormats, OfferedInOrderAndAnsweredOnlyForHglobalContent) {
    EXPECT_EQ(drag_format_count(kPreferred), 2);
    EXPECT_EQ(drag_format_at(kPreferred, 0), kCfHdrop);
    EXPECT_EQ(drag_format_at(kPreferred, 1), kPreferred);
    EXPECT_EQ(drag_format_at(kPreferred, 2), 0u);
    // Without the registered format only the file list is offered.
    EXPECT_EQ(drag_format_count(0), 1);
    EXPECT_EQ(drag_format_at(0, 1), 0u);

    struct Case {
        uint32_t format, tymed, aspect, preferred;
        DragData want;
    };
    const Case cases[] = {
        {kCfHdrop, kTymedHglobal, kAspectContent, kPreferred, DragData::Hdrop},
        {kCfHdrop, kTymedHglobal | 4, kAspectContent | 2, kPreferred, DragData::Hdrop},  // other bits too
        {kPreferred, kTymedHglobal, kAspectContent, kPreferred, DragData::PreferredEffect},
        {kCfHdrop, 4 /* TYMED_ISTREAM */, kAspectContent, kPreferred, DragData::BadFormat},
        {kCfHdrop, kTymedHglobal, 2 /* DVASPECT_THUMBNAIL */, kPreferred, DragData::BadFormat},
        {kCfUnicodeText, kTymedHglobal, kAspectContent, kPreferred, DragData::BadFormat},
        {0, kTymedHglobal, kAspectContent, 0, DragData::BadFormat},  // an unregistered format is no match
    };
    for (const Case& c : cases)
        EXPECT_EQ(drag_data_for(c.format, c.tymed, c.aspect, c.preferred), c.want) << c.format << " " << c.tymed;
}

TEST(DragFormats, EnumeratorNextSkipAndReset) {
    int32_t pos = 0;
    DragEnumStep step = drag_enum_next(&pos, 2, 1);
    EXPECT_EQ(step.first, 0);
    EXPECT_EQ(step.copied, 1);
    EXPECT_TRUE(step.all);
    step = drag_enum_next(&pos, 2, 5);  // fewer left than asked: S_FALSE with what there was
    EXPECT_EQ(step.first, 1);
    EXPECT_EQ(step.copied, 1);
    EXPECT_FALSE(step.all);
    step = drag_enum_next(&pos, 2, 1);
    EXPECT_EQ(step.copied, 0);
    EXPECT_FALSE(step.all);
    EXPECT_EQ(pos, 2);

    pos = 0;
    EXPECT_TRUE(drag_enum_skip(&pos, 2, 1));
    EXPECT_EQ(pos, 1);
    EXPECT_TRUE(drag_enum_skip(&pos, 2, 1));  // exactly to the end: all skipped
    EXPECT_EQ(pos, 2);
    pos = 1;
    EXPECT_FALSE(drag_enum_skip(&pos, 2, 0xFFFFFFFFu));  // never past the end, no overflow
    EXPECT_EQ(pos, 2);
    step = drag_enum_next(&pos, 2, 0);
    EXPECT_TRUE(step.all);  // nothing asked, nothing missing
}

class DragRowTest : public ::testing::Test {
protected:
    DragRowTest() : scope(world.platform()) {
        dpi_set(96);
        metrics_rows_set(7);
        view_free_all();
        view_show_reset();
        world.files.add_file(u"C:\\docs\\report.txt", "x");
        world.files.add_folder(u"C:\\docs\\sub");
        RowList* list = view_list_new();
        add(list, u"report", u"C:\\docs\\report.txt", kKindOpen);
        add(list, u"sub", u"C:\\docs\\sub", kKindOpen);
        add(list, u"gone", u"C:\\docs\\gone.txt", kKindOpen);
        add(list, u"Display", u"C:\\docs\\report.txt", kKindSettings);
        add(list, u"Photos", u"shell:AppsFolder\\Photos!App", kKindOpen);
        add(list, u"empty", u"", kKindOpen);
        rows_adopt(list);
    }
    ~DragRowTest() override {
        view_show_reset();
        view_free_all();
    }
    static void add(RowList* list, const char16_t* title, const char16_t* path, int32_t kind) {
        rowlist_add_fields(list, title, u"", path, path, kind, 100);
    }
    // The client y of the middle of shown row i.
    static int row_y(int i) { return list_top() + i * row_height() + row_height() / 2; }

    FakeWorld world;
    PlatformScope scope;
};

TEST_F(DragRowTest, OnlyExistingFileAndFolderRowsDrag) {
    const int32_t want[] = {0, 1, -1, -1, -1, -1};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(drag_row_at(row_y(i)), want[i]) << "row " << i;
    EXPECT_EQ(drag_row_at(list_top() - 1), -1);             // the search box
    EXPECT_EQ(drag_row_at(row_y(6)), -1);                     // below the last row
    EXPECT_EQ(drag_row_at(list_top()), 0);                    // the first pixel of the list
    EXPECT_EQ(drag_row_at(list_top() + row_height()), 1);     // the first pixel of row 1
}

TEST_F(DragRowTest, ScrollingShiftsTheRowUnderThePress) {
    view_state().shown.scroll = row_height();  // row 1 is at the top now
    EXPECT_EQ(drag_row_at(row_y(0)), 1);
    EXPECT_EQ(drag_row_at(row_y(1)), -1);  // "gone"
    EXPECT_EQ(drag_row_at(row_y(5)), -1);  // past the last row
}

TEST_F(DragRowTest, NoDragWhileAMenuDialogOrCaptureIsOpenOrHidden) {
    ViewState& s = view_state();
    s.dialog_open = true;
    EXPECT_EQ(drag_row_at(row_y(0)), -1);
    s.dialog_open = false;
    s.capture_active = true;
    EXPECT_EQ(drag_row_at(row_y(0)), -1);
    s.capture_active = false;
    s.menu.open = true;
    EXPECT_EQ(drag_row_at(row_y(0)), -1);
    s.menu.open = false;
    view_hidden();
    EXPECT_EQ(drag_row_at(row_y(0)), -1);
}

}  // namespace
