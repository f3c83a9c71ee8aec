// Smoke checks of the Windows Search client on the machine the launcher runs on.
#include "core/arena.h"
#include "core/row.h"
#include "core/selftest.h"
#include "core/text.h"
#include "indexers/windows_search.h"
#include "indexers/windows_search_sql.h"
#include "query/indexer_backend.h"

SELFTEST_CHECK(check_ws_sql, "Windows Search SQL for a plain word") {
    char16_t buf[kWsSqlCap];
    return ws_sql_contains(u"terminal", nullptr, nullptr, 50, buf, kWsSqlCap) &&
           text_compare_ci(buf, u"SELECT TOP 50 System.ItemName, System.ItemFolderPathDisplay FROM SYSTEMINDEX WHERE "
                                u"CONTAINS(System.FileName, '\"terminal*\"')") == 0;
}

SELFTEST_CHECK(check_ws_answers, "Windows Search answers with file rows or the two guidance rows") {
    Arena* a = arena_create(64 * 1024);
    if (!a) return false;
    RowList rows;
    rowlist_init(&rows, a);
    kWindowsSearchBackend.search(u"kestrune", 0, nullptr, u"kestrune", &rows, 0, 0);
    bool guidance = rows.count == 2 && rows.items[0].tag == '?' && rows.items[1].tag == '?' &&
                    rows.items[0].kind == kKindIndexingOptions;
    bool files = true;
    for (int32_t i = 0; i < rows.count; ++i) files = files && rows.items[i].tag == 'W';
    bool ok = ws_service_running() ? (guidance || files) : guidance;
    arena_destroy(a);
    return ok;
}
