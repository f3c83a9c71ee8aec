// The search box editor: clamping, typing, deleting, word moves, the mouse, the clipboard, undo.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/fake/fake_world.h"
#include "support/u16.h"
#include "ui/keys.h"
#include "ui/search_box.h"
#include "ui/text_extents.h"

namespace {

// Every unit 8 px wide, except 'i' (4 px) and 'W' (12 px); a surrogate pair is 10 px, all of it
// on its second unit, so a caret placed between the halves would show.
class FakeExtents : public TextExtents {
public:
    bool extents(const char16_t* text, int count, int* edges) override {
        ++calls;
        if (fail) return false;
        int x = 0;
        for (int i = 0; i < count; ++i) {
            char16_t c = text[i];
            x += c == u'i' ? 4 : c == u'W' ? 12 : (c >= 0xD800 && c <= 0xDBFF) ? 0 : (c >= 0xDC00 && c <= 0xDFFF) ? 10 : 8;
            edges[i] = x;
        }
        return true;
    }
    bool fail = false;
    int calls = 0;
};

class SearchBoxTest : public ::testing::Test {
protected:
    SearchBoxTest() : box_ptr(std::make_unique<SearchBox>()), b(*box_ptr), scope(world.platform()) { box_clear(b); }

    // A fresh box with this text and the caret (and the anchor, when given) at byte offsets.
    void set(std::string_view text, int caret = -1, int anchor = -1) {
        box_clear(b);
        box_set_text(b, text.data(), text.size());
        if (caret >= 0) b.caret = b.anchor = caret;
        if (anchor >= 0) b.anchor = anchor;
    }
    std::string text() const { return std::string(b.text, static_cast<size_t>(b.length)); }
    void type(std::string_view s) { box_type(b, s.data(), s.size()); }
    BoxKey key(int k, int mods = 0) { return box_key(b, k, mods); }
    void wait(uint64_t ms) { world.clock.advance_ms(ms); }

    FakeWorld world;
    std::unique_ptr<SearchBox> box_ptr;
    SearchBox& b;
    PlatformScope scope;
    FakeExtents extents;
};

TEST_F(SearchBoxTest, CaretAndAnchorAreClampedOntoCharacterStarts) {
    // "a€b": 'a' at 0, '€' at 1..3, 'b' at 4, length 5.
    struct Case {
        int caret, anchor, want_caret, want_anchor;
    } cases[] = {
        {2, 3, 4, 4}, {3, 1, 4, 1}, {-7, 99, 0, 5}, {5, 2, 5, 4},
    };
    for (const auto& c : cases) {
        set("a\xE2\x82\xAC" "b");
        b.caret = c.caret, b.anchor = c.anchor;
        box_clamp(b);
        EXPECT_EQ(b.caret, c.want_caret) << c.caret;
        EXPECT_EQ(b.anchor, c.want_anchor) << c.anchor;
    }
    // An operation on a caret left inside a character never cuts it: typing lands after the '€'.
    set("a\xE2\x82\xAC" "b", 2);
    type("x");
    EXPECT_EQ(text(), "a\xE2\x82\xAC" "xb");
}

TEST_F(SearchBoxTest, TypingRunsAreOneUndoStepUntilASecondPasses) {
    type("a"), wait(100), type("b"), wait(100), type("c");
    EXPECT_TRUE(box_undo(b));
    EXPECT_EQ(text(), "");

    box_clear(b);
    type("a"), wait(100), type("b"), wait(1001), type("c");
    EXPECT_TRUE(box_undo(b));
    EXPECT_EQ(text(), "ab");
    EXPECT_EQ(b.caret, 2);
    EXPECT_TRUE(box_undo(b));
    EXPECT_EQ(text(), "");
    EXPECT_FALSE(box_undo(b));
}

TEST_F(SearchBoxTest, ACaretMoveOrAChangeOfKindStartsANewStep) {
    type("ab");
    key(vk::kLeft);  // moving ends the typing run
    type("x");
    EXPECT_EQ(text(), "axb");
    box_undo(b);
    EXPECT_EQ(text(), "ab");
    EXPECT_EQ(b.caret, 1);

    box_clear(b);
    type("abc"), key(vk::kBack), key(vk::kBack), type("z");
    EXPECT_EQ(text(), "az");
    box_undo(b);
    EXPECT_EQ(text(), "a");  // the typing after the deletions
    box_undo(b);
    EXPECT_EQ(text(), "abc");  // both backspaces at once
}

TEST_F(SearchBoxTest, RedoMirrorsUndoAndAnyNewEditClearsIt) {
    type("one"), wait(2000), type(" two");
    box_undo(b);
    EXPECT_EQ(text(), "one");
    EXPECT_EQ(key('Z', kModCtrl | kModShift), BoxKey::Handled);
    EXPECT_EQ(text(), "one two");
    key('Z', kModCtrl);
    EXPECT_EQ(key('Y', kModCtrl), BoxKey::Handled);
    EXPECT_EQ(text(), "one two");
    box_undo(b);
    type("!");
    EXPECT_EQ(b.redo.count, 0);
    EXPECT_FALSE(box_redo(b));
    EXPECT_EQ(text(), "one!");
}

TEST_F(SearchBoxTest, UndoKeepsTheNewestSixtyFourSteps) {
    for (int i = 0; i < 70; ++i) {
        type(std::string(1, static_cast<char>('a' + i % 26)));
        wait(1000);
    }
    int undone = 0;
    while (box_undo(b)) ++undone;
    EXPECT_EQ(undone, 64);
    EXPECT_EQ(text(), "abcdef");  // the six oldest steps were dropped
    int redone = 0;
    while (box_redo(b)) ++redone;
    EXPECT_EQ(redone, 64);
    EXPECT_EQ(b.length, 70);
}

TEST_F(SearchBoxTest, BackspacingASelectionAndUndoingBringsItBack) {
    set("hello world", 11, 6);
    EXPECT_EQ(key(vk::kBack), BoxKey::Handled);
    EXPECT_EQ(text(), "hello ");
    box_undo(b);
    EXPECT_EQ(text(), "hello world");
    EXPECT_EQ(b.caret, 11);
    EXPECT_EQ(b.anchor, 11);
}

TEST_F(SearchBoxTest, WordMoves) {
    struct Case {
        const char* text;
        int from;
        int direction;
        int want;
    } cases[] = {
        {"foo bar", 0, +1, 4},      {"foo bar", 7, -1, 4},     {"foo bar", 4, -1, 3},
        {"foo bar", 3, -1, 0},      {"foo bar", 4, +1, 7},     {"foo   bar", 3, +1, 6},
        {"path/to/file", 0, +1, 4}, {"path/to/file", 4, +1, 5}, {"path/to/file", 12, -1, 8},
        {"path/to/file", 8, -1, 7}, {"a..b", 1, +1, 3},        {"x = y", 1, +1, 2},
        // Non-ASCII letters are word characters; a no-break space is a space.
        {"na\xC3\xAFve caf\xC3\xA9", 0, +1, 7}, {"a\xC2\xA0" "b", 0, +1, 3}, {"\xF0\x9F\x98\x80x y", 0, +1, 6},
    };
    for (const auto& c : cases) {
        set(c.text, c.from);
        key(c.direction < 0 ? vk::kLeft : vk::kRight, kModCtrl);
        EXPECT_EQ(b.caret, c.want) << c.text << " from " << c.from;
        EXPECT_EQ(b.anchor, c.want);
    }
    // Ctrl+Shift extends; at the ends nothing happens (and Ctrl+Left at 0 is not Back).
    set("foo bar", 7);
    key(vk::kLeft, kModCtrl | kModShift);
    EXPECT_EQ(b.caret, 4);
    EXPECT_EQ(b.anchor, 7);
    set("foo", 0);
    EXPECT_EQ(key(vk::kLeft, kModCtrl), BoxKey::Handled);
    EXPECT_EQ(b.caret, 0);
}

TEST_F(SearchBoxTest, CtrlBackspaceAndCtrlDeleteRemoveOneRun) {
    set("path/to/file");
    key(vk::kBack, kModCtrl);
    EXPECT_EQ(text(), "path/to/");
    key(vk::kBack, kModCtrl);
    EXPECT_EQ(text(), "path/to");
    EXPECT_EQ(b.caret, 7);

    set("foo   bar", 4);
    key(vk::kBack, kModCtrl);  // the spaces before the caret only
    EXPECT_EQ(text(), "foo  bar");
    EXPECT_EQ(b.caret, 3);

    set("foo   bar baz", 0);
    key(vk::kDelete, kModCtrl);  // the run at the caret, not the spaces after it
    EXPECT_EQ(text(), "   bar baz");
    key(vk::kDelete, kModCtrl);
    EXPECT_EQ(text(), "bar baz");
    set("foo bar", 4);
    key(vk::kBack, kModCtrl);
    key(vk::kDelete, kModCtrl);
    EXPECT_EQ(text(), "foo");
    EXPECT_EQ(b.caret, 3);
    box_undo(b);  // one deletion run
    EXPECT_EQ(text(), "foo bar");
}

TEST_F(SearchBoxTest, BackspaceAndDeleteTakeWholeCharacters) {
    set("a\xE2\x82\xAC\xF0\x9F\x98\x80" "b", 8);  // caret after the emoji
    key(vk::kBack);
    EXPECT_EQ(text(), "a\xE2\x82\xAC" "b");
    key(vk::kBack);
    EXPECT_EQ(text(), "ab");
    set("a\xE2\x82\xAC" "b", 1);
    key(vk::kDelete);
    EXPECT_EQ(text(), "ab");
    EXPECT_EQ(b.caret, 1);
    set("ab", 2);
    key(vk::kDelete);  // at the end: nothing, and no undo step
    EXPECT_EQ(text(), "ab");
    EXPECT_EQ(b.undo.count, 0);
    set("ab", 0);
    EXPECT_EQ(key(vk::kBack), BoxKey::BackspaceAtStart);
    EXPECT_EQ(text(), "ab");
}

TEST_F(SearchBoxTest, CharacterMovesAndTheirMeaningsAtTheEnds) {
    set("a\xE2\x82\xAC" "bc", 4);
    key(vk::kLeft, kModShift);
    EXPECT_EQ(b.caret, 1);
    EXPECT_EQ(b.anchor, 4);
    key(vk::kLeft);  // one back, collapsed
    EXPECT_EQ(b.caret, 0);
    EXPECT_EQ(b.anchor, 0);
    EXPECT_EQ(key(vk::kLeft), BoxKey::Back);
    key(vk::kRight, kModShift);
    EXPECT_EQ(b.caret, 1);
    EXPECT_EQ(b.anchor, 0);
    EXPECT_EQ(key(vk::kRight), BoxKey::Handled);  // plain Right jumps to the end
    EXPECT_EQ(b.caret, 6);
    EXPECT_EQ(b.anchor, 6);
    EXPECT_EQ(key(vk::kRight), BoxKey::Forward);
    EXPECT_EQ(key(vk::kRight, kModShift), BoxKey::Handled);
    EXPECT_EQ(b.caret, 6);

    set("hello", 2);
    EXPECT_EQ(key(vk::kHome), BoxKey::Unhandled);  // the list's key
    key(vk::kHome, kModShift);
    EXPECT_EQ(b.caret, 0);
    EXPECT_EQ(b.anchor, 2);
    key(vk::kEnd, kModShift);
    EXPECT_EQ(b.caret, 5);
    EXPECT_EQ(b.anchor, 2);
}

TEST_F(SearchBoxTest, SelectAllAndTheKeysLeftToTheMainView) {
    EXPECT_EQ(key('A', kModCtrl), BoxKey::Unhandled);  // empty: the all-apps shortcut
    set("abc", 1);
    EXPECT_EQ(key('A', kModCtrl), BoxKey::Handled);
    EXPECT_EQ(b.anchor, 0);
    EXPECT_EQ(b.caret, 3);
    EXPECT_EQ(key('A', kModCtrl | kModShift), BoxKey::Unhandled);
    set("abc", 1);
    EXPECT_EQ(key('X', kModCtrl), BoxKey::Unhandled);  // no selection: the help shortcut
    EXPECT_EQ(key(vk::kLeft, kModAlt), BoxKey::Unhandled);
    EXPECT_EQ(key(vk::kBack, kModWin), BoxKey::Unhandled);
    EXPECT_EQ(text(), "abc");
}

TEST_F(SearchBoxTest, InsertionStopsAtTheLimitOnACharacterBoundary) {
    struct Case {
        const char* ch;
        int want_length;
    } cases[] = {{"\xE2\x82\xAC", 1023}, {"\xC3\xA9", 1022}, {"\xF0\x9F\x98\x80", 1020}, {"a", 1023}};
    for (const auto& c : cases) {
        std::u16string units;
        for (int i = 0; i < 2000; ++i) units += u16(c.ch);
        box_clear(b);
        world.clipboard.put(units);
        EXPECT_TRUE(box_paste(b));
        EXPECT_EQ(b.length, c.want_length) << c.ch;
        EXPECT_EQ(b.caret, c.want_length);
        EXPECT_EQ(b.text[b.length], 0);
        EXPECT_EQ(u8(u16(text())), text()) << "a character was split";
    }
    // A full box takes no more typing and records no step, but typing still replaces a selection.
    int steps = b.undo.count;
    type("x");
    EXPECT_EQ(b.length, 1023);
    type("\xF0\x9F\x98\x80!");
    EXPECT_EQ(b.length, 1023);
    EXPECT_EQ(b.undo.count, steps);
    b.anchor = 0;
    type("x");
    EXPECT_EQ(text(), "x");
    // Directly inserted bytes stop at a NUL or at the first broken character.
    box_clear(b);
    EXPECT_EQ(box_insert(b, "ab\0cd", 5), 2);
    EXPECT_EQ(box_insert(b, "c\xE2\x82" "d", 4), 1);
    EXPECT_EQ(text(), "abc");
}

TEST_F(SearchBoxTest, TypedUnitsBecomeUtf8AndSurrogatePairsArriveWhole) {
    char out[4];
    EXPECT_EQ(box_typed_unit(b, u'a', out), 1);
    EXPECT_EQ(box_typed_unit(b, 0x00E9, out), 2);
    EXPECT_EQ(std::string(out, 2), "\xC3\xA9");
    EXPECT_EQ(box_typed_unit(b, 0xD83D, out), 0);  // waits for its second half
    ASSERT_EQ(box_typed_unit(b, 0xDE00, out), 4);
    EXPECT_EQ(std::string(out, 4), "\xF0\x9F\x98\x80");
    type(std::string(out, 4));
    EXPECT_EQ(text(), "\xF0\x9F\x98\x80");
    // Lone halves, control characters and DEL are dropped.
    EXPECT_EQ(box_typed_unit(b, 0xDE00, out), 0);
    EXPECT_EQ(box_typed_unit(b, 0xD83D, out), 0);
    EXPECT_EQ(box_typed_unit(b, u'x', out), 1);  // the waiting half is forgotten
    EXPECT_EQ(box_typed_unit(b, 0xDE00, out), 0);
    for (char16_t c : {u'\b', u'\t', u'\r', u'\x1b', u'\x7f', u'\0'}) EXPECT_EQ(box_typed_unit(b, c, out), 0) << int(c);
}

TEST_F(SearchBoxTest, PasteCleansWhatTheClipboardHolds) {
    struct Case {
        std::u16string clip;
        std::string want;
    } cases[] = {
        {u"C:\\Users\r\n", "C:\\Users  "},
        {std::u16string(u"a\xD800" "b", 3), "a\xEF\xBF\xBD" "b"},  // a lone surrogate
        {std::u16string(u"x\xDC00", 2), "x\xEF\xBF\xBD"},
        {u"tab\there", "tab here"},
    };
    for (const auto& c : cases) {
        box_clear(b);
        world.clipboard.put(c.clip);
        EXPECT_TRUE(box_paste(b));
        EXPECT_EQ(text(), c.want);
    }
    // Nothing on the clipboard, an empty text or a busy clipboard leave the box as it was.
    set("keep", 2);
    world.clipboard.empty();
    EXPECT_FALSE(box_paste(b));
    world.clipboard.put(u"");
    EXPECT_FALSE(box_paste(b));
    world.clipboard.put(u"zz");
    world.clipboard.busy_opens = 1;
    EXPECT_FALSE(box_paste(b));
    EXPECT_EQ(text(), "keep");
    EXPECT_EQ(b.undo.count, 0);
    // Paste replaces the selection, as one undo step.
    b.anchor = 4;
    EXPECT_EQ(key('V', kModCtrl), BoxKey::Handled);
    EXPECT_EQ(text(), "kezz");
    key(vk::kInsert, kModShift);
    EXPECT_EQ(text(), "kezzzz");
    box_undo(b);
    box_undo(b);
    EXPECT_EQ(text(), "keep");
}

TEST_F(SearchBoxTest, CopyAndCutGoThroughTheClipboard) {
    set("caf\xC3\xA9 \xF0\x9F\x98\x80", 2);
    EXPECT_FALSE(box_copy(b));  // no selection
    EXPECT_FALSE(world.clipboard.has_text());
    key(vk::kEnd, kModShift);
    EXPECT_EQ(key('C', kModCtrl), BoxKey::Handled);
    EXPECT_EQ(world.clipboard.text(), u"f\u00e9 \U0001F600");
    world.clipboard.busy_opens = 1;
    EXPECT_EQ(key('X', kModCtrl), BoxKey::Handled);
    EXPECT_EQ(text(), "caf\xC3\xA9 \xF0\x9F\x98\x80");  // the copy failed, so nothing was cut
    EXPECT_EQ(key('X', kModCtrl), BoxKey::Handled);
    EXPECT_EQ(text(), "ca");
    EXPECT_EQ(world.clipboard.sets, 2);
    box_undo(b);
    EXPECT_EQ(text(), "caf\xC3\xA9 \xF0\x9F\x98\x80");
}

TEST_F(SearchBoxTest, MousePlacementPicksTheNearestBoundary) {
    b.text_origin = 100;
    set("iWa\xF0\x9F\x98\x80" "b", 0);  // edges 4, 16, 24, 34 (pair), 42
    struct Case {
        int x, want;
    } cases[] = {
        {90, 0}, {100, 0}, {101, 0}, {102, 0},  // 2 px from both 0 and 4: the earlier wins
        {103, 1}, {109, 1}, {110, 1}, {111, 2}, {129, 3}, {130, 7}, {200, 8},
    };
    for (const auto& c : cases) EXPECT_EQ(box_hit(b, c.x, extents), c.want) << c.x;
    box_clear(b);
    EXPECT_EQ(box_hit(b, 150, extents), 0);
    EXPECT_EQ(extents.calls, static_cast<int>(sizeof cases / sizeof cases[0]) - 2);  // nothing measured left of the text
}

TEST_F(SearchBoxTest, PressDragAndReleaseSelect) {
    b.text_origin = 10;
    set("abcdef", 0);
    box_mouse_down(b, 10 + 16, false, extents);
    EXPECT_EQ(b.caret, 2);
    EXPECT_EQ(b.anchor, 2);
    EXPECT_TRUE(b.drag_select);
    box_mouse_move(b, 10 + 40, extents);
    EXPECT_EQ(b.caret, 5);
    EXPECT_EQ(b.anchor, 2);
    box_mouse_up(b);
    box_mouse_move(b, 10, extents);  // after the release moves do nothing
    EXPECT_EQ(b.caret, 5);
    box_mouse_down(b, 10 + 8, true, extents);  // Shift+click extends
    EXPECT_EQ(b.caret, 1);
    EXPECT_EQ(b.anchor, 2);
    box_mouse_up(b);
    extents.fail = true;  // unmeasurable text: the caret stays
    box_mouse_down(b, 10 + 40, false, extents);
    EXPECT_EQ(b.caret, 1);
    EXPECT_FALSE(b.drag_select);
}

TEST_F(SearchBoxTest, DoubleClickSelectsTheRunUnderTheMouse) {
    b.text_origin = 0;
    // "hello, world": each character 8 px, so character i covers x = 8i .. 8i + 7.
    struct Case {
        int x;
        int want_anchor, want_caret;
    } cases[] = {
        {8 * 8 + 1, 7, 12},   // left half of 'o' in world
        {11 * 8 + 7, 7, 12},  // right half of the last 'd'
        {5 * 8 + 6, 5, 6},    // right half of the comma: the comma alone
        {4 * 8 + 7, 0, 5},    // right half of the 'o' of hello
        {6 * 8 + 2, 6, 7},    // the space
        {500, 7, 12},         // past the end: the last run
        {-5, 0, 5},
    };
    for (const auto& c : cases) {
        set("hello, world", 0);
        box_double_click(b, c.x, extents);
        EXPECT_EQ(b.anchor, c.want_anchor) << c.x;
        EXPECT_EQ(b.caret, c.want_caret) << c.x;
    }
    set("a  b", 1);
    box_select_run_at(b, 2);
    EXPECT_EQ(b.anchor, 1);
    EXPECT_EQ(b.caret, 3);
    box_clear(b);
    box_double_click(b, 40, extents);
    EXPECT_EQ(b.caret, 0);
    EXPECT_EQ(b.anchor, 0);
}

TEST_F(SearchBoxTest, ChangeDetectionAndClear) {
    EXPECT_FALSE(box_text_changed(b));
    type("ab");
    EXPECT_TRUE(box_text_changed(b));
    box_change_handled(b);
    EXPECT_FALSE(box_text_changed(b));
    key(vk::kBack), type("b");  // back to the same text
    EXPECT_FALSE(box_text_changed(b));
    key(vk::kBack), type("c");
    EXPECT_TRUE(box_text_changed(b));
    box_change_handled(b);
    box_clear(b);
    EXPECT_EQ(text(), "");
    EXPECT_FALSE(box_text_changed(b));
    EXPECT_FALSE(box_undo(b));
    EXPECT_EQ(b.last_edit_kind, kEditNone);
}

}  // namespace
