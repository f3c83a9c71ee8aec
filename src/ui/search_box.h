// The search box: a one-line editor over a 1024-byte UTF-8 buffer with a caret, a selection,
// word-wise moves and deletion, clipboard cut, copy and paste, mouse placement and drag
// selection, and 64 steps of undo and redo.
//
// Offsets are byte offsets into the text. Every operation first clamps the caret and the anchor
// to the text and onto character starts. Time comes from os_clock(), the clipboard is
// os_clipboard(). Window thread only. The UI core glue (typed characters, focus) is in
// search_box_input.h; drawing the box belongs to the main view.
#pragma once
#include <cstddef>
#include <cstdint>

class TextExtents;

constexpr int kBoxTextSize = 1024;  // bytes, terminator included
constexpr int kBoxTextMax = kBoxTextSize - 1;
constexpr int kBoxUndoSteps = 64;
constexpr uint64_t kBoxCoalesceMs = 1000;

// What the last recorded undo step was for. A run of typing or of deletions shares one step.
enum BoxEditKind {
    kEditNone = 0,
    kEditTyping = 1,
    kEditDeletion = 2,
    kEditCutPaste = 3,
};

struct BoxSnapshot {
    char text[kBoxTextSize];
    int caret;
};

// A bounded stack that drops its oldest entry when a push finds it full.
struct BoxHistory {
    BoxSnapshot items[kBoxUndoSteps];
    int first;  // slot of the oldest entry
    int count;
};

struct SearchBox {
    char text[kBoxTextSize];  // NUL-terminated, valid UTF-8
    int length;               // bytes before the terminator
    int caret;
    int anchor;  // the selection is the range between anchor and caret
    char previous[kBoxTextSize];  // the text as it was when its last change was handled
    int previous_length;
    BoxHistory undo;
    BoxHistory redo;
    int last_edit_kind;
    uint64_t last_edit_ms;
    int text_origin;  // window x of the text's first character in the current frame (set by the drawing)
    bool drag_select;  // the left button went down in the box and is still held
    char16_t pending_high;  // the first half of a surrogate pair typed as two characters
};

// Clamps caret and anchor to 0..length and moves one that points at a continuation byte forward
// to the next character start.
void box_clamp(SearchBox& b);
bool box_has_selection(const SearchBox& b);
void box_selection(const SearchBox& b, int* start, int* end);

// Records an undo step before an edit of the given kind (see kBoxCoalesceMs).
void box_snapshot(SearchBox& b, int kind);
// Inserts at the caret as much of the UTF-8 text as fits (whole characters only; the text ends
// at a NUL or an invalid byte), leaving caret and anchor after it. Returns the bytes inserted.
int box_insert(SearchBox& b, const char* utf8, size_t length);
// How many bytes of utf8 box_insert would take.
int box_insert_room(const SearchBox& b, const char* utf8, size_t length);
// Removes the selected bytes; false when there was no selection.
bool box_delete_selection(SearchBox& b);

// direction -1 or +1. Without extend the selection collapses to the new caret.
void box_move_char(SearchBox& b, int direction, bool extend);
void box_move_edge(SearchBox& b, int direction, bool extend);  // to the start (-1) or the end (+1)
void box_move_word(SearchBox& b, int direction, bool extend);
void box_delete_word_left(SearchBox& b);
void box_delete_word_right(SearchBox& b);
// Backspace without a selection: the character before the caret; false at offset 0.
bool box_delete_char_before(SearchBox& b);
// The Delete key; ctrl deletes the run at the caret.
void box_delete_forward(SearchBox& b, bool ctrl);

void box_select_all(SearchBox& b);
// Selects the run of word characters or spaces around the character at offset, or a punctuation
// character alone (the last character when offset is the end).
void box_select_run_at(SearchBox& b, int offset);
// The character boundary nearest to window x, or -1 when the text cannot be measured.
int box_hit(const SearchBox& b, int x, TextExtents& measure);
// The start of the character drawn under window x (the last one right of the text), or -1.
int box_char_under(const SearchBox& b, int x, TextExtents& measure);

// Mouse: a press places the caret (extend keeps the anchor: Shift+click) and starts drag-select,
// moves while dragging move only the caret, the release ends the drag. A double click selects
// the run under the mouse.
void box_mouse_down(SearchBox& b, int x, bool extend, TextExtents& measure);
void box_mouse_move(SearchBox& b, int x, TextExtents& measure);
void box_mouse_up(SearchBox& b);
void box_double_click(SearchBox& b, int x, TextExtents& measure);

bool box_copy(SearchBox& b);  // false without a selection or when the clipboard refused
bool box_cut(SearchBox& b);
bool box_paste(SearchBox& b);  // false when nothing was inserted
bool box_undo(SearchBox& b);
bool box_redo(SearchBox& b);

// Text typed since the last frame (UTF-8): one typing step that replaces the selection.
void box_type(SearchBox& b, const char* utf8, size_t length);
// Converts one typed UTF-16 unit to UTF-8 in out (4 bytes). Returns the bytes, 0 when the unit
// is a control character, the first half of a surrogate pair (kept until its second half comes)
// or a lone half.
int box_typed_unit(SearchBox& b, char16_t unit, char* out);

// Empties everything: text, caret and anchor, both stacks, the last edit kind, the previous text.
void box_clear(SearchBox& b);
// Replaces the whole text (cut to fit) with caret and anchor at its end; records no undo step.
void box_set_text(SearchBox& b, const char* utf8, size_t length);

// Change detection, once per frame: has the text changed since the change was last handled?
bool box_text_changed(const SearchBox& b);
void box_change_handled(SearchBox& b);

// What a key meant to the box. Back, Forward and BackspaceAtStart are for the main view to act
// on (Left at the start, Right at the end, Backspace at offset 0).
enum class BoxKey { Unhandled, Handled, Back, Forward, BackspaceAtStart };
// One key press (a virtual-key code and kMod* flags) for the box.
BoxKey box_key(SearchBox& b, int key, int mods);
