// Smoke checks of the search pipeline and the lanes on the machine the launcher runs on.
#include <string>

#include "core/arena.h"
#include "core/row.h"
#include "core/selftest.h"
#include "core/text.h"
#include "query/pipeline.h"
#include "query/query_cache.h"

SELFTEST_CHECK(check_pipeline_settings_and_cache, "search pipeline answers from the catalog and the cache") {
    Arena* a = arena_create(64 * 1024);
    if (!a) return false;
    RowList first, second;
    rowlist_init(&first, a);
    rowlist_init(&second, a);
    run_query(u"bluetooth", nullptr, &first, 0);
    run_query(u"bluetooth", nullptr, &second, 0);
    bool found = false;
    for (int32_t i = 0; i < first.count; ++i) {
        const Row& r = first.items[i];
        if (r.tag == 'S' && text_starts_with_ci(text_view(r.target), u"ms-settings:bluetooth")) found = true;
    }
    bool same = first.count == second.count && first.count > 0 &&
                text_compare_ci(first.items[0].title, second.items[0].title) == 0;
    arena_destroy(a);
    cache_flush();
    return found && same;
}
