#include "indexers/windows_search.h"

#include <atomic>
#include <cstring>
#include <iterator>
#include <memory>
#include <new>
#include <string>
#include <unordered_set>

#include "core/arena.h"
#include "core/format.h"
#include "core/row.h"
#include "core/text.h"
#include "indexers/windows_search_sql.h"
#include "platform/platform.h"
#include "query/workers.h"
#include "store/options.h"

namespace {

std::atomic<EverythingRunningFn> g_everything_probe{nullptr};

// Fetches every batch of an executed statement into rows.
int fetch_all(OleDbRowset& rowset, const char16_t* scoring, RowList* rows, int32_t generation) {
    alignas(8) uint8_t buffer[kWsRowBytes];
    std::u16string name, folder;
    for (;;) {
        if (is_stale(generation)) return 0;
        int32_t got = 0;
        int32_t hr = rowset.next_rows(kWsBatchRows, &got);
        if (hr < 0) return -1;
        if (got <= 0) return 0;
        if (got > kWsBatchRows) got = kWsBatchRows;
        bool out_of_room = false;
        for (int32_t i = 0; i < got; ++i) {
            std::memset(buffer, 0, sizeof buffer);
            if (rowset.get_data(i, buffer) < 0) continue;
            if (!ws_decode_row(buffer, name, folder)) continue;
            if (ws_row_add(rows, folder, name, scoring) != 0) out_of_room = true;
        }
        rowset.release_rows();
        // The end of the rowset may come with the last rows; nothing follows it.
        if (out_of_room || hr == win::kDbSEndOfRowset) return 0;
    }
}

}  // namespace

void ws_drop_repeated_paths(RowList* rows, int32_t from, int32_t like_from) {
    if (like_from >= rows->count) return;
    ScratchScope scratch;
    std::unordered_set<std::u16string_view> seen;
    seen.reserve(static_cast<size_t>(rows->count - from) * 2);
    auto folded = [&](const char16_t* s) -> std::u16string_view {
        size_t n = text_len(s);
        char16_t* copy = arena_new_array<char16_t>(scratch.arena(), n + 1);
        if (!copy) return {};
        for (size_t i = 0; i < n; ++i) copy[i] = text_fold(s[i]);
        copy[n] = 0;
        return std::u16string_view(copy, n);
    };
    for (int32_t i = from; i < like_from; ++i) seen.insert(folded(rows->items[i].subtitle));
    int32_t kept = like_from;
    for (int32_t i = like_from; i < rows->count; ++i) {
        Row& r = rows->items[i];
        if (!seen.insert(folded(r.subtitle)).second) {
            if (!rows->arena) row_free(&r);
            continue;
        }
        if (kept != i) rows->items[kept] = r;
        ++kept;
    }
    rows->count = kept;
}

namespace {

bool has_exact_title(const RowList* rows, int32_t from, const char16_t* query) {
    for (int32_t i = from; i < rows->count; ++i)
        if (text_compare_ci(rows->items[i].title, query) == 0) return true;
    return false;
}

void add_guidance_row(RowList* rows, const char16_t* title, const char16_t* subtitle, const char16_t* target,
                      int32_t kind, int32_t score) {
    int32_t from = rows->count;
    if (rowlist_add_fields(rows, title, subtitle, nullptr, target, kind, score) == 0) rowlist_set_tag(rows, from, tag::kInfo);
}

}  // namespace

int ws_execute(const char16_t* sql, const char16_t* scoring, RowList* rows, int32_t generation) {
    if (!sql || !sql[0] || !rows) return -1;
    OleDb* db = platform().ole_db;
    if (!db) return -1;
    if (db->connect() < 0) return -1;
    std::unique_ptr<OleDbRowset> rowset;
    int32_t hr = db->execute(sql, kWsColumns, static_cast<int32_t>(std::size(kWsColumns)), rowset);
    if (hr < 0 || !rowset) {
        rowset.reset();
        db->disconnect();
        return -1;
    }
    int result = fetch_all(*rowset, scoring, rows, generation);
    rowset.reset();  // accessor, rowset and command released before the data source may go
    if (result < 0) db->disconnect();
    return result;
}

int ws_search(const char16_t* query, const char16_t* folder, const char16_t* extensions, const char16_t* scoring,
              RowList* rows, int32_t limit, int32_t generation) {
    if (!rows) return -1;
    // Not in the scratch arena: rows may live there, above any mark taken here.
    std::unique_ptr<char16_t[]> like(new (std::nothrow) char16_t[kWsSqlCap]);
    std::unique_ptr<char16_t[]> contains(new (std::nothrow) char16_t[kWsSqlCap]);
    if (!like || !contains) return -1;
    if (!ws_sql_like(query, folder, extensions, limit, like.get(), kWsSqlCap)) return -1;
    if (!ws_sql_contains(query, folder, extensions, limit, contains.get(), kWsSqlCap))
        return ws_execute(like.get(), scoring, rows, generation);

    const int32_t start = rows->count;
    if (ws_execute(contains.get(), scoring, rows, generation) < 0) return -1;
    // The full-text form usually suffices: the exact name, or as many rows as were asked for.
    if (query && query[0] && has_exact_title(rows, start, query)) return 0;
    if (rows->count - start >= ws_limit(limit)) return 0;

    const int32_t like_from = rows->count;
    int like_result = ws_execute(like.get(), scoring, rows, generation);
    ws_drop_repeated_paths(rows, start, like_from);
    if (like_result < 0) return rows->count == start ? -1 : 0;
    return 0;
}

bool ws_service_running() {
    OleDb* db = platform().ole_db;
    return db && db->search_service_running();
}

void ws_guidance_rows(RowList* rows) {
    if (!rows) return;
    add_guidance_row(rows, u"Windows Search is off", u"Turn it on in Indexing Options, or switch indexer in Options", nullptr,
                     kKindIndexingOptions, 100);
    char16_t subtitle[128];
    std::u16string_view url(kEverythingDownloadUrl);
    std::u16string_view shown = url.substr(url.find(u"://") + 3);
    text_format(subtitle, sizeof subtitle / sizeof subtitle[0], "Instant search by voidtools - %s", std::u16string(shown).c_str());
    add_guidance_row(rows, u"Get Everything", subtitle, kEverythingDownloadUrl, kKindSettings, 90);
}

void windows_search_search(const char16_t* query, int, const char16_t* extension_filter, const char16_t* highlight_query,
                           RowList* out, int32_t generation, int many) {
    if (!out) return;
    const char16_t* scoring = highlight_query ? highlight_query : query;
    if (ws_search(query, nullptr, extension_filter, scoring, out, many ? 2000 : 50, generation) < 0) ws_guidance_rows(out);
}

void windows_search_search_in_folder(const char16_t* name, const char16_t* folder, const char16_t* highlight_query,
                                     RowList* out, int32_t generation) {
    if (!out) return;
    if (ws_search(name, folder, nullptr, highlight_query, out, 2000, generation) < 0) ws_guidance_rows(out);
}

int32_t indexer_status_format(int32_t selected, bool search_running, bool everything_running, char16_t* buf,
                              size_t size) {
    const char16_t* text;
    int32_t code = 0;
    if (selected == kIndexerWindowsSearch) {
        if (!search_running) {
            text = u"Windows Search is off - turn it on or pick Everything";
            code = 1;
        } else if (everything_running) {
            text = u"Windows Search running - Everything also ready";
        } else {
            text = u"Windows Search running - Everything not found";
            code = 2;
        }
    } else if (!everything_running) {
        text = u"Everything is not running - install it or pick Windows Search";
        code = 1;
    } else {
        text = search_running ? u"Everything running - Windows Search also ready" : u"Everything running - Windows Search is off";
    }
    if (buf && size) text_copy_to(buf, size, text);
    return code;
}

void indexer_status_text(char16_t* buf, size_t size, int32_t* code) {
    EverythingRunningFn probe = g_everything_probe.load(std::memory_order_acquire);
    int32_t c = indexer_status_format(options_indexer(), ws_service_running(), probe && probe(), buf, size);
    if (code) *code = c;
}

void indexer_status_set_everything_probe(EverythingRunningFn probe) { g_everything_probe.store(probe, std::memory_order_release); }
