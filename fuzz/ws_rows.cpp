// What the Windows Search provider hands back, over arbitrary bytes: a fetched row buffer whose
// statuses, lengths and values are the input's (the first byte picks which statuses read OK, the
// next four give the two length fields), decoded and turned into a row; a row comes out only for
// whole columns, and its strings stay within the bound sizes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/arena.h"
#include "core/row.h"
#include "core/text.h"
#include "indexers/windows_search.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    alignas(8) uint8_t buffer[kWsRowBytes] = {};
    if (size < 5) return 0;
    const uint8_t flags = data[0];
    const uint64_t name_len = data[1] | (data[2] << 8);
    const uint64_t folder_len = data[3] | (data[4] << 8);
    std::memcpy(buffer, data + 5, std::min(size - 5, sizeof buffer));
    const OleDbColumn& n = kWsColumns[0];
    const OleDbColumn& f = kWsColumns[1];
    if (flags & 1) std::memset(buffer + n.status_offset, 0, 4);
    if (flags & 2) std::memset(buffer + f.status_offset, 0, 4);
    if (flags & 4) std::memcpy(buffer + n.length_offset, &name_len, 8);
    if (flags & 8) std::memcpy(buffer + f.length_offset, &folder_len, 8);

    std::u16string name, folder;
    if (!ws_decode_row(buffer, name, folder)) return 0;
    if (name.empty() || name.size() > n.max_bytes / 2 - 1 || folder.size() > f.max_bytes / 2 - 1) std::abort();
    if (name.find(u'\0') != std::u16string::npos || folder.find(u'\0') != std::u16string::npos) std::abort();

    Arena* arena = arena_create(16 * 1024);
    RowList rows;
    rowlist_init(&rows, arena);
    if (ws_row_add(&rows, folder, name, (flags & 16) ? name.c_str() : nullptr) == 0) {
        const Row& r = rows.items[0];
        if (rows.count != 1 || !r.title || text_len(r.path) > folder.size() + 1 + name.size()) std::abort();
        if (r.tag != 'W' || r.kind != kKindOpen || r.score < 0) std::abort();
    }
    arena_destroy(arena);
    return 0;
}
