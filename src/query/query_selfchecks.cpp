// Smoke checks of the matcher and the query parser on the machine the launcher runs on.
#include "core/arena.h"
#include "core/selftest.h"
#include "core/text.h"
#include "query/fuzzy.h"
#include "query/highlight.h"
#include "query/query_parser.h"

SELFTEST_CHECK(check_fuzzy_tiers, "fuzzy matcher ranks exact, prefix, word, substring and scattered hits") {
    uint64_t before = arena_used(scratch_arena());
    bool ok = fuzzy_score(u"notepad", u"Notepad", 110, 100, 85) == 110 && fuzzy_score(u"note", u"Notepad", 110, 100, 85) == 100 &&
              fuzzy_score(u"test", u"my-test", 110, 100, 85) == 85 && fuzzy_score(u"test", u"contest", 110, 100, 85) == 86 &&
              fuzzy_score(u"xya", u"xylophone zebra", 110, 100, 85) == 59 && fuzzy_score(u"zzz", u"abc", 110, 100, 85) == -1;
    MatchRange r[64];
    ok = ok && highlight_title_ranges(u"website/ kest", u"Kestrune", r, 64) == 1 && r[0].start == 0 && r[0].length == 4;
    return ok && arena_used(scratch_arena()) == before;
}

SELFTEST_CHECK(check_query_classes, "query parser recognises commands, tools, drives and scopes") {
    ParsedQuery kill = classify_query(u"kill note", nullptr);
    ParsedQuery tool = classify_query(u"uninstall chrome", nullptr);
    ParsedQuery scoped = classify_query(u"photos\\", u"C:\\Users\\");
    return classify_query(u"EXIT", nullptr).command == kQueryExit && kill.command == kQueryKill &&
           text_equal_ci(kill.command_argument, u"note") && tool.command == kQueryTool && tool.tool == 1 &&
           classify_query(u":", nullptr).is_drive_list && scoped.is_scoped && scoped.ends_with_slash &&
           text_equal_ci(scoped.scope_name, u"photos") && is_extension_query(u"*.pdf");
}
