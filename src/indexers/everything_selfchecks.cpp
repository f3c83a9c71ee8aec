// Smoke checks of the Everything records on the machine the launcher runs on.
#include <cstring>

#include "core/arena.h"
#include "core/row.h"
#include "core/selftest.h"
#include "core/text.h"
#include "indexers/everything_wire.h"

SELFTEST_CHECK(check_everything_records, "Everything query record and reply list read back") {
    Arena* arena = arena_create(4096);
    if (!arena) return false;
    EverythingRecord q = everything_build_query_v2(arena, 1, u"ab", 0, 0);
    bool ok = q.data && q.size == 34 && q.data[16] == 50 && q.data[20] == 0x53 && q.data[21] == 0x01;
    // One item "a.txt" in "C:\" with name and path only, then an item whose data lies past the end.
    static const uint8_t reply[] = {
        2, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 1, 0, 0, 0,  // header: name and path
        0, 0, 0, 0, 36, 0, 0, 0,                                     // item 1 at byte 36
        0, 0, 0, 0, 255, 0, 0, 0,                                    // item 2 past the end
        5, 0, 0, 0, 'a', 0, '.', 0, 't', 0, 'x', 0, 't', 0, 0, 0,    // name
        3, 0, 0, 0, 'C', 0, ':', 0, '\\', 0, 0, 0,                   // path
    };
    RowList rows;
    rowlist_init(&rows, arena);
    ok = ok && everything_parse_list_v2(reply, sizeof reply, nullptr, &rows) == 1 &&
         text_equal_ci(text_view(rows.items[0].path), u"C:\\a.txt") && text_equal_ci(text_view(rows.items[0].title), u"a.txt");
    arena_destroy(arena);
    return ok;
}
