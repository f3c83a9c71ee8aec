// Everything's reply lists over arbitrary bytes: the first byte picks the list (even: the code 18
// list, odd: the code 2 list), the rest is the reply. Rows must stay within what the reply holds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "core/arena.h"
#include "core/row.h"
#include "core/text.h"
#include "indexers/everything_wire.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const bool v1 = data[0] & 1;
    // An exact-size copy so that a read past the reply is caught.
    const size_t n = size - 1;
    std::unique_ptr<uint8_t[]> reply(new uint8_t[n ? n : 1]);
    if (n) std::memcpy(reply.get(), data + 1, n);
    Arena* arena = arena_create(65536);
    RowList rows;
    rowlist_init(&rows, arena);
    const int32_t added = v1 ? everything_parse_list_v1(reply.get(), n, u"ab\\c", &rows)
                             : everything_parse_list_v2(reply.get(), n, u"ab\\c", &rows);
    if (added != rows.count) std::abort();
    const size_t entry = v1 ? 12 : 8;
    if (rows.count > 0 && size_t(rows.count) > n / entry) std::abort();
    for (int32_t i = 0; i < rows.count; ++i) {
        const Row& r = rows.items[i];
        if (!r.title || !r.path || !r.target || r.kind != kKindOpen || r.tag != 'E') std::abort();
        if (!*r.title || r.score < 55) std::abort();
        if (text_len(r.path) > n) std::abort();  // every unit came from the reply (plus one separator)
        if (v1 && (r.has_size || r.has_modified || r.is_folder)) std::abort();
        if (r.is_folder && r.has_size) std::abort();
    }
    arena_destroy(arena);
    return 0;
}
