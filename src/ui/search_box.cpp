#include "ui/search_box.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/utf.h"
#include "platform/platform.h"
#include "ui/keys.h"
#include "ui/text_extents.h"

namespace {

// ---- characters ----

enum class CharClass { Space, Word, Punct };

// The Unicode White_Space characters.
constexpr bool is_space(uint32_t cp) {
    return (cp >= 0x09 && cp <= 0x0D) || cp == 0x20 || cp == 0x85 || cp == 0xA0 || cp == 0x1680 ||
           (cp >= 0x2000 && cp <= 0x200A) || cp == 0x2028 || cp == 0x2029 || cp == 0x202F || cp == 0x205F || cp == 0x3000;
}

constexpr CharClass class_of(uint32_t cp) {
    if (is_space(cp)) return CharClass::Space;
    if ((cp >= 'a' && cp <= 'z') || (cp >= 'A' && cp <= 'Z') || (cp >= '0' && cp <= '9') || cp == '_' || cp >= 0x80) return CharClass::Word;
    return CharClass::Punct;
}

// The start of the character before pos (pos > 0).
int prev_start(const SearchBox& b, int pos) {
    --pos;
    while (pos > 0 && !utf8_is_lead(static_cast<unsigned char>(b.text[pos]))) --pos;
    return pos;
}

// The start of the character after the one at pos (pos < length).
int next_start(const SearchBox& b, int pos) {
    ++pos;
    while (pos < b.length && !utf8_is_lead(static_cast<unsigned char>(b.text[pos]))) ++pos;
    return pos;
}

CharClass class_at(const SearchBox& b, int pos) {
    size_t used;
    return class_of(utf8_decode(b.text + pos, static_cast<size_t>(b.length - pos), &used));
}

CharClass class_before(const SearchBox& b, int pos) { return class_at(b, prev_start(b, pos)); }

// Where Ctrl+Left from pos lands: back over the run of the character before pos.
int run_start_before(const SearchBox& b, int pos) {
    if (pos == 0) return 0;
    CharClass c = class_before(b, pos);
    while (pos > 0 && class_before(b, pos) == c) pos = prev_start(b, pos);
    return pos;
}

// The end of the run of the character at pos.
int run_end_at(const SearchBox& b, int pos) {
    if (pos >= b.length) return b.length;
    CharClass c = class_at(b, pos);
    while (pos < b.length && class_at(b, pos) == c) pos = next_start(b, pos);
    return pos;
}

// Where Ctrl+Right from pos lands: over the run at pos and the spaces after it.
int next_run_start(const SearchBox& b, int pos) {
    if (pos >= b.length) return b.length;
    bool space = class_at(b, pos) == CharClass::Space;
    pos = run_end_at(b, pos);
    if (!space) {
        while (pos < b.length && class_at(b, pos) == CharClass::Space) pos = next_start(b, pos);
    }
    return pos;
}

// Bytes of s (at most n, at most room) that form whole, valid characters; stops at a NUL.
int valid_prefix(const char* s, size_t n, int room) {
    int take = 0;
    while (static_cast<size_t>(take) < n && s[take] != 0) {
        size_t used;
        uint32_t cp = utf8_decode(s + take, n - static_cast<size_t>(take), &used);
        bool literal_replacement = used == 3 && std::memcmp(s + take, "\xEF\xBF\xBD", 3) == 0;
        if (cp == 0xFFFD && !literal_replacement) break;
        if (take + static_cast<int>(used) > room) break;
        take += static_cast<int>(used);
    }
    return take;
}

void remove_range(SearchBox& b, int start, int end) {
    std::memmove(b.text + start, b.text + end, static_cast<size_t>(b.length - end + 1));
    b.length -= end - start;
    b.caret = b.anchor = start;
}

// ---- undo history ----

void history_push(BoxHistory& h, const SearchBox& b) {
    int slot;
    if (h.count == kBoxUndoSteps) {
        slot = h.first;
        h.first = (h.first + 1) % kBoxUndoSteps;
    } else {
        slot = (h.first + h.count) % kBoxUndoSteps;
        ++h.count;
    }
    std::memcpy(h.items[slot].text, b.text, static_cast<size_t>(b.length + 1));
    h.items[slot].caret = b.caret;
}

// Moves the newest entry of from into the box, saving the box's state on to first.
bool history_swap(SearchBox& b, BoxHistory& from, BoxHistory& to) {
    box_clamp(b);
    if (from.count == 0) return false;
    history_push(to, b);
    --from.count;
    const BoxSnapshot& s = from.items[(from.first + from.count) % kBoxUndoSteps];
    b.length = static_cast<int>(strnlen(s.text, kBoxTextMax));
    std::memcpy(b.text, s.text, static_cast<size_t>(b.length));
    b.text[b.length] = 0;
    b.caret = b.anchor = s.caret;
    b.last_edit_kind = kEditNone;
    box_clamp(b);
    return true;
}

void caret_moved(SearchBox& b, bool extend) {
    if (!extend) b.anchor = b.caret;
    b.last_edit_kind = kEditNone;
}

// A character's place in the UTF-16 form of the text, for measuring.
struct MeasuredText {
    char16_t units[kBoxTextSize];
    int edges[kBoxTextSize];
    int unit_end[kBoxTextSize];  // per character: units up to its end
    int byte_end[kBoxTextSize];  // per character: bytes up to its end
    int chars = 0;
};

bool measure_text(const SearchBox& b, TextExtents& measure, MeasuredText& m) {
    int units = 0;
    for (int i = 0; i < b.length;) {
        size_t used;
        uint32_t cp = utf8_decode(b.text + i, static_cast<size_t>(b.length - i), &used);
        if (cp >= 0x10000) {
            cp -= 0x10000;
            m.units[units++] = static_cast<char16_t>(0xD800 + (cp >> 10));
            m.units[units++] = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            m.units[units++] = static_cast<char16_t>(cp);
        }
        i += static_cast<int>(used);
        m.unit_end[m.chars] = units;
        m.byte_end[m.chars] = i;
        ++m.chars;
    }
    m.units[units] = 0;
    return measure.extents(m.units, units, m.edges);
}

int char_edge(const MeasuredText& m, int k) { return m.edges[m.unit_end[k] - 1]; }

}  // namespace

void box_clamp(SearchBox& b) {
    b.length = std::clamp(b.length, 0, kBoxTextMax);
    for (int* p : {&b.caret, &b.anchor}) {
        *p = std::clamp(*p, 0, b.length);
        while (*p < b.length && !utf8_is_lead(static_cast<unsigned char>(b.text[*p]))) ++*p;
    }
}

bool box_has_selection(const SearchBox& b) { return b.caret != b.anchor; }

void box_selection(const SearchBox& b, int* start, int* end) {
    *start = std::min(b.caret, b.anchor);
    *end = std::max(b.caret, b.anchor);
}

void box_snapshot(SearchBox& b, int kind) {
    box_clamp(b);
    uint64_t now = os_clock().tick_ms();
    bool coalesces = (kind == kEditTyping || kind == kEditDeletion) && kind == b.last_edit_kind && now >= b.last_edit_ms &&
                     now - b.last_edit_ms < kBoxCoalesceMs;
    if (coalesces) return;
    history_push(b.undo, b);
    b.redo.count = 0;
    b.redo.first = 0;
    b.last_edit_kind = kind;
    b.last_edit_ms = now;
}

int box_insert_room(const SearchBox& b, const char* utf8, size_t length) {
    if (!utf8) return 0;
    return valid_prefix(utf8, length, kBoxTextMax - std::clamp(b.length, 0, kBoxTextMax));
}

int box_insert(SearchBox& b, const char* utf8, size_t length) {
    box_clamp(b);
    int take = box_insert_room(b, utf8, length);
    if (take == 0) return 0;
    std::memmove(b.text + b.caret + take, b.text + b.caret, static_cast<size_t>(b.length - b.caret + 1));
    std::memcpy(b.text + b.caret, utf8, static_cast<size_t>(take));
    b.length += take;
    b.caret += take;
    b.anchor = b.caret;
    return take;
}

bool box_delete_selection(SearchBox& b) {
    box_clamp(b);
    if (!box_has_selection(b)) return false;
    int start, end;
    box_selection(b, &start, &end);
    remove_range(b, start, end);
    return true;
}

void box_move_char(SearchBox& b, int direction, bool extend) {
    box_clamp(b);
    if (direction < 0) {
        if (b.caret == 0) return;
        b.caret = prev_start(b, b.caret);
    } else {
        if (b.caret == b.length) return;
        b.caret = next_start(b, b.caret);
    }
    caret_moved(b, extend);
}

void box_move_edge(SearchBox& b, int direction, bool extend) {
    box_clamp(b);
    b.caret = direction < 0 ? 0 : b.length;
    caret_moved(b, extend);
}

void box_move_word(SearchBox& b, int direction, bool extend) {
    box_clamp(b);
    int target = direction < 0 ? run_start_before(b, b.caret) : next_run_start(b, b.caret);
    if (target == b.caret) return;
    b.caret = target;
    caret_moved(b, extend);
}

void box_delete_word_left(SearchBox& b) {
    box_clamp(b);
    if (b.caret == 0) return;
    box_snapshot(b, kEditDeletion);
    remove_range(b, run_start_before(b, b.caret), b.caret);
}

void box_delete_word_right(SearchBox& b) {
    box_clamp(b);
    if (b.caret == b.length) return;
    box_snapshot(b, kEditDeletion);
    remove_range(b, b.caret, run_end_at(b, b.caret));
}

bool box_delete_char_before(SearchBox& b) {
    box_clamp(b);
    if (b.caret == 0) return false;
    box_snapshot(b, kEditDeletion);
    remove_range(b, prev_start(b, b.caret), b.caret);
    return true;
}

void box_delete_forward(SearchBox& b, bool ctrl) {
    box_clamp(b);
    if (box_has_selection(b)) {
        box_snapshot(b, kEditDeletion);
        box_delete_selection(b);
    } else if (b.caret < b.length) {
        box_snapshot(b, kEditDeletion);
        if (ctrl) box_delete_word_right(b);
        else remove_range(b, b.caret, next_start(b, b.caret));
    }
}

void box_select_all(SearchBox& b) {
    box_clamp(b);
    if (b.length == 0) return;
    b.anchor = 0;
    b.caret = b.length;
    b.last_edit_kind = kEditNone;
}

void box_select_run_at(SearchBox& b, int offset) {
    box_clamp(b);
    b.last_edit_kind = kEditNone;
    if (b.length == 0) {
        b.caret = b.anchor = 0;
        return;
    }
    offset = std::clamp(offset, 0, b.length);
    if (offset == b.length) offset = prev_start(b, offset);
    while (offset > 0 && !utf8_is_lead(static_cast<unsigned char>(b.text[offset]))) --offset;
    CharClass c = class_at(b, offset);
    if (c == CharClass::Punct) {
        b.anchor = offset;
        b.caret = next_start(b, offset);
        return;
    }
    int start = offset;
    while (start > 0 && class_before(b, start) == c) start = prev_start(b, start);
    b.anchor = start;
    b.caret = run_end_at(b, offset);
}

int box_hit(const SearchBox& b, int x, TextExtents& measure) {
    int rel = x - b.text_origin;
    if (rel <= 0 || b.length <= 0) return 0;
    MeasuredText m;
    if (!measure_text(b, measure, m)) return -1;
    int best = 0;
    int best_distance = rel;
    for (int k = 0; k < m.chars; ++k) {
        int d = std::abs(char_edge(m, k) - rel);
        if (d < best_distance) best = m.byte_end[k], best_distance = d;
    }
    return best;
}

int box_char_under(const SearchBox& b, int x, TextExtents& measure) {
    int rel = x - b.text_origin;
    if (rel <= 0 || b.length <= 0) return 0;
    MeasuredText m;
    if (!measure_text(b, measure, m)) return -1;
    for (int k = 0; k < m.chars; ++k) {
        if (rel < char_edge(m, k)) return k == 0 ? 0 : m.byte_end[k - 1];
    }
    return m.chars > 1 ? m.byte_end[m.chars - 2] : 0;
}

void box_mouse_down(SearchBox& b, int x, bool extend, TextExtents& measure) {
    box_clamp(b);
    int at = box_hit(b, x, measure);
    if (at < 0) return;
    b.caret = at;
    caret_moved(b, extend);
    b.drag_select = true;
}

void box_mouse_move(SearchBox& b, int x, TextExtents& measure) {
    if (!b.drag_select) return;
    box_clamp(b);
    int at = box_hit(b, x, measure);
    if (at < 0 || at == b.caret) return;
    b.caret = at;
    caret_moved(b, true);
}

void box_mouse_up(SearchBox& b) { b.drag_select = false; }

void box_double_click(SearchBox& b, int x, TextExtents& measure) {
    box_clamp(b);
    b.drag_select = false;
    int at = box_char_under(b, x, measure);
    if (at >= 0) box_select_run_at(b, at);
}

bool box_copy(SearchBox& b) {
    box_clamp(b);
    if (!box_has_selection(b)) return false;
    int start, end;
    box_selection(b, &start, &end);
    char16_t units[kBoxTextSize];
    size_t n = utf8_to_utf16(std::string_view(b.text + start, static_cast<size_t>(end - start)), units, kBoxTextSize);
    return os_clipboard().set_text(std::u16string_view(units, n)) == ClipboardResult::Ok;
}

bool box_cut(SearchBox& b) {
    if (!box_copy(b)) return false;
    box_snapshot(b, kEditCutPaste);
    box_delete_selection(b);
    return true;
}

bool box_paste(SearchBox& b) {
    box_clamp(b);
    // The clipboard holds whatever another program put there. One more unit than the box can
    // take lets the conversion see a surrogate pair whole at the limit.
    std::u16string clip;
    if (os_clipboard().get_text(clip, kBoxTextSize) != ClipboardResult::Ok) return false;
    // A one-line box: line breaks, tabs and other control characters become spaces.
    for (char16_t& c : clip) {
        if (c < 32 || c == 127) c = u' ';
    }
    char utf8[kBoxTextSize];
    size_t n = utf16_to_utf8(clip, utf8, sizeof utf8);
    if (n == 0) return false;
    int start, end;
    box_selection(b, &start, &end);
    int room = kBoxTextMax - (b.length - (end - start));
    if (valid_prefix(utf8, n, room) == 0 && start == end) return false;
    box_snapshot(b, kEditCutPaste);
    box_delete_selection(b);
    box_insert(b, utf8, n);
    return true;
}

bool box_undo(SearchBox& b) { return history_swap(b, b.undo, b.redo); }
bool box_redo(SearchBox& b) { return history_swap(b, b.redo, b.undo); }

void box_type(SearchBox& b, const char* utf8, size_t length) {
    box_clamp(b);
    if (!utf8 || length == 0) return;
    int start, end;
    box_selection(b, &start, &end);
    // A full box still lets typing replace a selection.
    int room = kBoxTextMax - (b.length - (end - start));
    if (valid_prefix(utf8, length, room) == 0 && start == end) return;
    box_snapshot(b, kEditTyping);
    box_delete_selection(b);
    box_insert(b, utf8, length);
}

int box_typed_unit(SearchBox& b, char16_t unit, char* out) {
    if (unit >= 0xD800 && unit <= 0xDBFF) {
        b.pending_high = unit;
        return 0;
    }
    char16_t pair[2] = {b.pending_high, unit};
    b.pending_high = 0;
    std::u16string_view units(pair + 1, 1);
    if (unit >= 0xDC00 && unit <= 0xDFFF) {
        if (pair[0] == 0) return 0;
        units = std::u16string_view(pair, 2);
    } else if (unit < 32 || unit == 127) {
        return 0;
    }
    char buf[5];
    size_t n = utf16_to_utf8(units, buf, sizeof buf);
    std::memcpy(out, buf, n);
    return static_cast<int>(n);
}

void box_clear(SearchBox& b) {
    b.text[0] = 0;
    b.length = 0;
    b.caret = b.anchor = 0;
    b.undo.first = b.undo.count = 0;
    b.redo.first = b.redo.count = 0;
    b.last_edit_kind = kEditNone;
    b.last_edit_ms = 0;
    b.previous[0] = 0;
    b.previous_length = 0;
    b.drag_select = false;
    b.pending_high = 0;
}

void box_set_text(SearchBox& b, const char* utf8, size_t length) {
    int take = utf8 ? valid_prefix(utf8, length, kBoxTextMax) : 0;
    std::memmove(b.text, utf8, static_cast<size_t>(take));
    b.text[take] = 0;
    b.length = take;
    b.caret = b.anchor = take;
}

bool box_text_changed(const SearchBox& b) {
    return b.length != b.previous_length || std::memcmp(b.text, b.previous, static_cast<size_t>(b.length)) != 0;
}

void box_change_handled(SearchBox& b) {
    std::memcpy(b.previous, b.text, static_cast<size_t>(b.length + 1));
    b.previous_length = b.length;
}

BoxKey box_key(SearchBox& b, int key, int mods) {
    if (mods & (kModAlt | kModWin)) return BoxKey::Unhandled;
    const bool shift = mods & kModShift;
    const bool ctrl = mods & kModCtrl;
    const bool ctrl_only = ctrl && !shift;
    box_clamp(b);
    switch (key) {
    case vk::kLeft:
        if (ctrl) box_move_word(b, -1, shift);
        else if (shift) box_move_char(b, -1, true);
        else if (b.caret == 0) return BoxKey::Back;
        else box_move_char(b, -1, false);
        return BoxKey::Handled;
    case vk::kRight:
        if (ctrl) box_move_word(b, +1, shift);
        else if (shift) box_move_char(b, +1, true);
        else if (b.caret == b.length) return BoxKey::Forward;
        else box_move_edge(b, +1, false);
        return BoxKey::Handled;
    case vk::kHome:
    case vk::kEnd:
        if (!shift) return BoxKey::Unhandled;  // without Shift these move the list
        box_move_edge(b, key == vk::kHome ? -1 : +1, true);
        return BoxKey::Handled;
    case vk::kBack:
        if (box_has_selection(b)) {
            box_snapshot(b, kEditDeletion);
            box_delete_selection(b);
        } else if (ctrl && b.length > 0) {
            box_delete_word_left(b);
        } else if (!box_delete_char_before(b)) {
            return BoxKey::BackspaceAtStart;
        }
        return BoxKey::Handled;
    case vk::kDelete:
        box_delete_forward(b, ctrl);
        return BoxKey::Handled;
    case vk::kInsert:
        if (ctrl_only) box_copy(b);
        else if (shift && !ctrl) box_paste(b);
        else return BoxKey::Unhandled;
        return BoxKey::Handled;
    case 'A':
        if (!ctrl_only || b.length == 0) return BoxKey::Unhandled;
        box_select_all(b);
        return BoxKey::Handled;
    case 'C':
        if (!ctrl_only) return BoxKey::Unhandled;
        box_copy(b);
        return BoxKey::Handled;
    case 'X':
        if (!ctrl_only || !box_has_selection(b)) return BoxKey::Unhandled;
        box_cut(b);
        return BoxKey::Handled;
    case 'V':
        if (!ctrl_only) return BoxKey::Unhandled;
        box_paste(b);
        return BoxKey::Handled;
    case 'Z':
        if (!ctrl) return BoxKey::Unhandled;
        if (shift) box_redo(b);
        else box_undo(b);
        return BoxKey::Handled;
    case 'Y':
        if (!ctrl_only) return BoxKey::Unhandled;
        box_redo(b);
        return BoxKey::Handled;
    default:
        return BoxKey::Unhandled;
    }
}
