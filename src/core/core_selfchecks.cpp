// Smoke checks of the core on the machine the launcher runs on.
#include "core/arena.h"
#include "core/format.h"
#include "core/row.h"
#include "core/selftest.h"
#include "core/text.h"
#include "core/utf.h"
#include "platform/platform.h"

SELFTEST_CHECK(check_arena_stats, "arena statistics stay consistent") {
    ArenaStats before = arena_stats();
    Arena* a = arena_create(4096);
    if (!a) return false;
    bool ok = arena_alloc(a, 100) && arena_alloc(a, 70000);
    ArenaStats during = arena_stats();
    ok = ok && during.used >= before.used + 100 && during.peak >= during.used && during.reserved >= during.used &&
         during.allocations >= before.allocations + 2;
    arena_destroy(a);
    ArenaStats after = arena_stats();
    return ok && after.used == before.used && after.blocks == before.blocks && after.reserved == before.reserved;
}

SELFTEST_CHECK(check_row_list, "row lists sort and de-duplicate") {
    RowList list;
    rowlist_init(&list, nullptr);
    rowlist_add_fields(&list, u"beta", nullptr, nullptr, u"t", kKindOpen, 5);
    rowlist_add_fields(&list, u"Alpha", nullptr, nullptr, u"t", kKindOpen, 5);
    rowlist_add_fields(&list, u"ALPHA", nullptr, nullptr, u"T", kKindOpen, 5);
    rowlist_sort_by_score(&list);
    rowlist_dedup(&list);
    bool ok = list.count == 2 && text_equal_ci(list.items[0].title, u"alpha") && text_equal_ci(list.items[1].title, u"beta");
    rowlist_free(&list);
    return ok;
}

SELFTEST_CHECK(check_clock, "the clock is sane") {
    uint64_t now = os_clock().now_filetime();
    uint64_t t1 = os_clock().tick_ms();
    LocalTime lt;
    if (!os_clock().to_local(now, lt)) return false;
    char buf[64];
    if (!format_filetime(&now, buf, sizeof buf)) return false;
    uint64_t t2 = os_clock().tick_ms();
    return now > civil_to_filetime(2020, 1, 1, 0, 0, 0) && lt.year >= 2020 && lt.month >= 1 && lt.month <= 12 && t2 >= t1;
}

SELFTEST_CHECK(check_utf_round_trip, "UTF-8 and UTF-16 convert both ways") {
    const char* text = "Kestrune \xC2\xB7 \xE2\x82\xAC \xF0\x9F\x9A\x80";
    return utf16_to_utf8(utf8_to_utf16(text)) == text;
}
