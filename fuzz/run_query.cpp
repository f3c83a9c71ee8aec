// run_query end to end over the fake world: the real settings catalog, the app index built from a
// fake Start Menu, the pins and the history read from the fuzzer's own quick_access.dat and
// history.dat, and an indexer whose rows come from the input. Checks that every result is usable,
// that a repeat (answered by the cache) equals the first answer, that the previews and the pin
// search hold up, and that the scratch arena is rewound.
//
// Input: byte 0 holds the switches (folders only, no cap, a scope folder, Everything); then
// length-prefixed UTF-16 fields: the search text, the scope folder, three indexer rows (title and
// path each); the rest of the bytes, cut at the first 0xFF byte, are quick_access.dat and then
// history.dat.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/wiring.h"
#include "core/arena.h"
#include "core/row.h"
#include "core/text.h"
#include "fuzz_input.h"
#include "platform/fake/fake_world.h"
#include "query/fuzzy.h"
#include "query/indexer_backend.h"
#include "query/pipeline.h"
#include "query/query_cache.h"
#include "sources/app_index.h"
#include "store/history.h"
#include "store/options.h"
#include "store/pins.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

constexpr const char16_t* kDataDir = u"C:\\KData";

struct IndexerRow {
    std::u16string title, path;
};
std::vector<IndexerRow> g_indexer_rows;

void add_indexer_rows(RowList* out, const char16_t* name) {
    for (const IndexerRow& r : g_indexer_rows) {
        if (name && name[0] && fuzzy_score(name, r.title.c_str(), 110, 100, 85) < 0) continue;
        int32_t from = out->count;
        if (rowlist_add_fields(out, r.title.c_str(), r.path.c_str(), r.path.c_str(), r.path.c_str(), kKindOpen,
                               static_cast<int32_t>(r.title.size() % 120)) == 0)
            rowlist_set_tag(out, from, 'W');
    }
}

void fuzz_search(const char16_t* query, int, const char16_t*, const char16_t*, RowList* out, int32_t, int) {
    add_indexer_rows(out, query);
}

void fuzz_search_in_folder(const char16_t* name, const char16_t*, const char16_t*, RowList* out, int32_t) {
    add_indexer_rows(out, name);
}

const IndexerBackend kFuzzIndexer{kIndexerWindowsSearch, fuzz_search, fuzz_search_in_folder};

// Files the pins and the history can name: present, behind a locked folder, and a Start Menu.
void seed_world(FakeWorld& w) {
    w.env.set(u"KESTRUNE_DATA_DIR", kDataDir);
    w.files.add_folder(kDataDir);
    w.files.add_file(u"C:\\Apps\\brave.exe", "x");
    w.files.add_file(u"C:\\Apps\\Notes.lnk", "x");
    w.files.add_file(u"C:\\Locked\\secret.exe", "x");
    w.files.set_access_denied(u"C:\\Locked\\secret.exe");
    std::u16string programs = w.files.known_folder(KnownFolder::Programs);
    for (const char16_t* name : {u"Code.lnk", u"Notepad.lnk", u"Terminal.lnk", u"Brave.url", u"raddbg.lnk"})
        w.files.add_file(programs + u"\\" + name, "L");
}

struct Once {
    Once() {
        wiring_join_all();
        indexer_backend_install(&kFuzzIndexer);
        FakeWorld w;
        seed_world(w);
        PlatformScope scope(w.platform());
        app_index_build();
    }
};

bool same_rows(const RowList& a, const RowList& b) {
    if (a.count != b.count) return false;
    for (int32_t i = 0; i < a.count; ++i) {
        const Row& x = a.items[i];
        const Row& y = b.items[i];
        if (x.score != y.score || x.kind != y.kind || x.tag != y.tag) return false;
        if (text_compare_ci(x.title, y.title) != 0 || text_view(x.title) != text_view(y.title)) return false;
        if (text_view(x.target) != text_view(y.target)) return false;
    }
    return true;
}

void check_rows(const RowList& list) {
    check(list.count >= 0 && list.count <= list.capacity);
    for (int32_t i = 0; i < list.count; ++i) {
        const Row& r = list.items[i];
        check(r.title != nullptr);
        text_len(r.title), text_len(r.subtitle), text_len(r.path), text_len(r.target);
    }
}

std::string_view take_bytes(const uint8_t*& p, const uint8_t* end) {
    const uint8_t* start = p;
    while (p != end && *p != 0xFF) ++p;
    std::string_view out(reinterpret_cast<const char*>(start), static_cast<size_t>(p - start));
    if (p != end) ++p;
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Once once;
    if (size < 1) return 0;
    const uint8_t flags = data[0];
    const uint8_t* p = data + 1;
    const uint8_t* end = data + size;
    std::u16string text = fuzz_take_utf16(p, end, 1, 200);
    std::u16string scope = fuzz_take_utf16(p, end, 1, 80);
    g_indexer_rows.clear();
    for (int i = 0; i < 3; ++i) {
        IndexerRow r{fuzz_take_utf16(p, end, 1, 60), fuzz_take_utf16(p, end, 1, 80)};
        if (!r.title.empty()) g_indexer_rows.push_back(std::move(r));
    }
    for (std::u16string* s : {&text, &scope})
        for (char16_t& c : *s)
            if (c == 0) c = u' ';  // the interfaces take null-terminated texts
    for (IndexerRow& r : g_indexer_rows)
        for (std::u16string* s : {&r.title, &r.path})
            for (char16_t& c : *s)
                if (c == 0) c = u'_';
    std::string_view pins = take_bytes(p, end);
    std::string_view history(reinterpret_cast<const char*>(p), static_cast<size_t>(end - p));

    FakeWorld world;
    seed_world(world);
    if (!pins.empty()) world.files.add_file(u"C:\\KData\\quick_access.dat", pins);
    if (!history.empty()) world.files.add_file(u"C:\\KData\\history.dat", history);
    PlatformScope installed(world.platform());
    options_reset();
    if (flags & 1) options_toggle_folders_only();
    if (flags & 2) options_toggle_uncapped();
    if (flags & 8) options_set_indexer(kIndexerEverything);
    indexer_backend_install(&kFuzzIndexer);
    cache_flush();

    const char16_t* scope_arg = (flags & 4) ? scope.c_str() : nullptr;
    Arena* scratch = scratch_arena();
    const uint64_t scratch_before = scratch ? arena_used(scratch) : 0;
    Arena* arena = arena_create(64 * 1024);
    check(arena != nullptr);
    RowList first, again, preview, scoped, pin_rows, recents;
    for (RowList* l : {&first, &again, &preview, &scoped, &pin_rows, &recents}) rowlist_init(l, arena);

    run_query(text.c_str(), scope_arg, &first, 1);
    check_rows(first);
    run_query(text.c_str(), scope_arg, &again, 2);
    check_rows(again);
    check(same_rows(first, again));

    int local = run_local_preview(text.c_str(), scope_arg, &preview);
    check(local == (preview.count > 0 ? 1 : 0));
    check_rows(preview);
    run_scoped_preview(text.c_str(), scope_arg, &scoped);
    check_rows(scoped);
    search_pins(text.c_str(), &pin_rows);
    check_rows(pin_rows);
    for (int32_t i = 0; i < pin_rows.count; ++i) {
        check(pin_rows.items[i].tag == 'P');
        check(pin_rows.items[i].score >= 580 && pin_rows.items[i].score <= 670);
    }
    history_recents(&recents);
    check_rows(recents);
    check(!scratch || arena_used(scratch) == scratch_before);

    arena_destroy(arena);
    cache_free();
    options_reset();
    return 0;
}
