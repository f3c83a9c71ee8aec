// Typed characters through the UI core's input_text, and the order of typing and editing keys.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "ui/keys.h"
#include "ui/search_box_input.h"

namespace {

class SearchBoxInputTest : public ::testing::Test {
protected:
    SearchBoxInputTest() : ctx(std::make_unique<UiContext>()), box(std::make_unique<SearchBox>()) {
        ui_init(ctx.get());
        ctx->text_width = [](UiFont, const char*, int) { return 0; };
        ctx->text_height = [](UiFont) { return 0; };
        box_clear(*box);
    }
    void chars(std::u16string_view units, bool ignored = false) {
        for (char16_t u : units) box_on_char(*box, ctx.get(), u, ignored);
    }
    std::string input() const { return ctx->input_text; }
    std::string text() const { return std::string(box->text, static_cast<size_t>(box->length)); }

    std::unique_ptr<UiContext> ctx;
    std::unique_ptr<SearchBox> box;
};

TEST_F(SearchBoxInputTest, InputTextTakesWholeCharactersBelowItsGuard) {
    struct Case {
        const char16_t* unit;
        size_t want_bytes;
    } cases[] = {{u"a", 31}, {u"\u20ac", 30}, {u"\U0001F600", 28}, {u"\u00e9", 30}};
    for (const auto& c : cases) {
        ctx->input_text[0] = 0;
        for (int i = 0; i < 40; ++i) chars(c.unit);
        EXPECT_EQ(input().size(), c.want_bytes) << input();
        box_frame_input(*box, ctx.get(), true);
        box_clear(*box);
    }
    chars(u"\U0001F600");
    EXPECT_EQ(input(), "\xF0\x9F\x98\x80");
    chars(u"\x01\x7f\r\t");  // control characters and DEL
    chars(u"x", true);       // while a key is suppressed or a dialog is open
    chars(u"\xD83D");
    chars(u"\xDE00", true);  // an ignored message also drops the half that was waiting
    chars(u"\xDE00");
    EXPECT_EQ(input(), "\xF0\x9F\x98\x80");
}

TEST_F(SearchBoxInputTest, TypedTextReachesTheBoxOnlyWithFocus) {
    chars(u"ab");
    box_frame_input(*box, ctx.get(), false);
    EXPECT_EQ(text(), "");
    box_frame_input(*box, ctx.get(), true);
    EXPECT_EQ(text(), "ab");
    EXPECT_EQ(input(), "");
    // The frame's end empties input_text as usual.
    chars(u"z");
    ui_frame_begin(ctx.get());
    ui_frame_end(ctx.get());
    EXPECT_EQ(input(), "");
}

TEST_F(SearchBoxInputTest, EditingKeysKeepTheOrderOfTyping) {
    // "ab", Backspace, Backspace, "c", Left, "x" typed faster than one frame.
    chars(u"ab");
    EXPECT_EQ(box_on_key(*box, ctx.get(), true, vk::kBack, 0), BoxKey::Handled);
    EXPECT_EQ(box_on_key(*box, ctx.get(), true, vk::kBack, 0), BoxKey::Handled);
    chars(u"c");
    box_on_key(*box, ctx.get(), true, vk::kLeft, 0);
    chars(u"x");
    box_frame_input(*box, ctx.get(), true);
    EXPECT_EQ(text(), "xc");
    EXPECT_EQ(box->caret, 1);
    EXPECT_EQ(box_on_key(*box, ctx.get(), true, vk::kLeft, 0), BoxKey::Handled);
    EXPECT_EQ(box_on_key(*box, ctx.get(), true, vk::kLeft, 0), BoxKey::Back);
}

}  // namespace
