// The paste and insert paths over arbitrary clipboard contents: the bytes are read as UTF-16 units
// (no terminator, lone surrogates, any length) and pasted into a box in a state the first bytes
// choose; then the same bytes go in raw through box_insert and box_type, and the units are typed. The box must stay valid
// UTF-8 within its limit, with caret and anchor on character starts.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "core/utf.h"
#include "platform/fake/fake_world.h"
#include "ui/search_box.h"

namespace {

void check(const SearchBox& b) {
    if (b.length < 0 || b.length > kBoxTextMax || b.text[b.length] != 0) std::abort();
    if (std::strlen(b.text) != static_cast<size_t>(b.length)) std::abort();
    std::string_view text(b.text, static_cast<size_t>(b.length));
    if (utf16_to_utf8(utf8_to_utf16(text)) != text) std::abort();  // valid UTF-8, nothing split
    for (int p : {b.caret, b.anchor}) {
        if (p < 0 || p > b.length) std::abort();
        if (p < b.length && !utf8_is_lead(static_cast<unsigned char>(b.text[p]))) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FakeWorld world;
    static PlatformScope scope(world.platform());
    static auto box = std::make_unique<SearchBox>();
    SearchBox& b = *box;
    box_clear(b);
    // First bytes: how full the box is, where the caret and the anchor are (possibly inside a
    // character or out of range).
    int fill = size > 0 ? data[0] * 4 : 0;
    int caret = size > 1 ? data[1] * 4 - 8 : 0;
    int anchor = size > 2 ? data[2] * 4 - 8 : 0;
    size_t skip = size < 3 ? size : 3;
    data += skip, size -= skip;
    std::string prefill;
    while (static_cast<int>(prefill.size()) < fill) prefill += "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80 /";
    box_set_text(b, prefill.data(), prefill.size());
    b.caret = caret, b.anchor = anchor;

    std::u16string units(size / 2, u'\0');
    std::memcpy(units.data(), data, units.size() * 2);  // the input need not be aligned for char16_t
    world.clipboard.put(units);
    box_paste(b);
    check(b);
    box_undo(b);
    check(b);
    box_redo(b);
    check(b);
    b.anchor = anchor;
    box_insert(b, reinterpret_cast<const char*>(data), size);
    check(b);
    b.caret = caret;
    box_type(b, reinterpret_cast<const char*>(data), size);
    check(b);
    box_delete_word_left(b);
    check(b);
    // The same units typed one at a time, as WM_CHAR delivers them.
    for (char16_t u : units) {
        char typed[4];
        int n = box_typed_unit(b, u, typed);
        if (n < 0 || n > 4) std::abort();
        box_type(b, typed, static_cast<size_t>(n));
    }
    check(b);
    b.anchor = 0;
    if (box_copy(b)) {
        std::u16string back;
        world.clipboard.get_text(back, 1 << 20);
        if (back.size() > kBoxTextSize) std::abort();
    }
    return 0;
}
