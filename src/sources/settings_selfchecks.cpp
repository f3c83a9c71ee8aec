// Smoke checks of the settings catalog on the machine the launcher runs on.
#include "core/arena.h"
#include "core/row.h"
#include "core/selftest.h"
#include "core/text.h"
#include "sources/settings_catalog.h"

SELFTEST_CHECK(check_windows_build, "the Windows build number is readable") { return windows_build() > 0; }

SELFTEST_CHECK(check_settings_search, "the settings catalog finds Bluetooth") {
    Arena* a = arena_create(64 * 1024);
    if (!a) return false;
    RowList rows;
    rowlist_init(&rows, a);
    bool ok = search_settings(u"bluetooth", &rows, 12) > 0 && rows.count > 0 &&
              text_view(rows.items[0].title) == u"Bluetooth" && rows.items[0].kind == kKindSettings;
    arena_destroy(a);
    return ok;
}
