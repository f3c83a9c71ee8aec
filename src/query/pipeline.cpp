#include "query/pipeline.h"

#include <algorithm>

#include "core/arena.h"
#include "core/format.h"
#include "core/row.h"
#include "core/text.h"
#include "platform/platform.h"
#include "query/cache_generation.h"
#include "query/fuzzy.h"
#include "query/indexer_backend.h"
#include "query/pipeline_sources.h"
#include "query/query_cache.h"
#include "query/query_parser.h"
#include "sources/settings_catalog.h"
#include "store/history.h"
#include "store/options.h"
#include "store/pins.h"

namespace {

// Each source's share of the merge, and the merged list's length.
constexpr int32_t kSettingsShare = 12;
constexpr int32_t kAppsShare = 30;
constexpr int32_t kPackagedShare = 30;
constexpr int32_t kPinsShare = 10;
constexpr int32_t kCommandsShare = 10;
constexpr int32_t kFolderPinsShare = 10;
constexpr int32_t kResultCap = 50;

constexpr int32_t kPinBase = 500;
constexpr int32_t kPinStartBonus = 60;
constexpr int32_t kPinMinScore = 80;

bool is_sep(char16_t c) { return c == u'\\' || c == u'/'; }

// A list for one source's rows, in the same arena as the request's list.
RowList temp_list(const RowList* out) {
    RowList l;
    rowlist_init(&l, out->arena);
    return l;
}

// Moves the first `keep` rows of src (all when keep < 0) to the end of out and empties src.
void append_rows(RowList* out, RowList* src, int32_t keep) {
    if (keep >= 0) rowlist_truncate(src, keep);
    for (int32_t i = 0; i < src->count; ++i) rowlist_add(out, &src->items[i]);
    rowlist_drop_array(src);
}

void append_sorted_share(RowList* out, void (*source)(const char16_t*, RowList*), const char16_t* query,
                         int32_t share) {
    if (!source) return;
    RowList tmp = temp_list(out);
    source(query, &tmp);
    rowlist_sort_by_score(&tmp);
    append_rows(out, &tmp, share);
}

void append_pins_share(RowList* out, const char16_t* query, int32_t share) {
    RowList tmp = temp_list(out);
    search_pins(query, &tmp);
    append_rows(out, &tmp, share);  // pin order, not sorted
}

void indexer_search(const char16_t* query, int folders_only, RowList* out, int32_t generation, int many) {
    const IndexerBackend* b = indexer_backend();
    if (b && b->search) b->search(query, folders_only, nullptr, query, out, generation, many);
}

void list_drives(RowList* out) {
    if (auto fn = pipeline_sources().list_drives) fn(out);
}

void list_children(const char16_t* folder, RowList* out) {
    if (auto fn = pipeline_sources().list_children) fn(folder, out);
}

void cap_results(RowList* out, bool extension_query) {
    if (!extension_query && !options_uncapped()) rowlist_truncate(out, kResultCap);
}

void add_info_row(RowList* out, const char16_t* title, const char16_t* subtitle) {
    int32_t from = out->count;
    if (rowlist_add_fields(out, title, subtitle, nullptr, nullptr, kKindInfo, 1) == 0) rowlist_set_tag(out, from, tag::kInfo);
}

bool has_result_row(const RowList* list) {
    for (int32_t i = 0; i < list->count; ++i) {
        if (list->items[i].kind != kKindInfo) return true;
    }
    return false;
}

// The key that makes a scoped row the same as a child row: its path, else its target.
const char16_t* scoped_key(const Row& r) {
    if (r.path && r.path[0]) return r.path;
    if (r.target && r.target[0]) return r.target;
    return nullptr;
}

// Keeps the rows of list whose title matches name (tiers 110/100/85), with their scores unchanged.
void keep_matching_children(RowList* list, const char16_t* name) {
    int32_t kept = 0;
    for (int32_t i = 0; i < list->count; ++i) {
        if (fuzzy_score(name, list->items[i].title, 110, 100, 85) < 0) {
            if (!list->arena) row_free(&list->items[i]);
            continue;
        }
        if (kept != i) list->items[kept] = list->items[i];
        ++kept;
    }
    list->count = kept;
}

// The name a scoped request looks for: the text with leading white space, its trailing run of
// separators and white space, and its leading separators removed. Returns ends_with_slash.
bool scope_name_of(const char16_t* text, char16_t* name, size_t cap) {
    char16_t stripped[kQueryStrippedCap];
    bool ends_with_slash = strip_folder_suffix(skip_blanks(text ? text : u""), stripped, kQueryStrippedCap);
    const char16_t* p = stripped;
    while (is_sep(*p)) ++p;
    text_copy_to(name, cap, p);
    return ends_with_slash;
}

void children_matching(const char16_t* folder, const char16_t* name, bool folders_only, RowList* out) {
    RowList all = temp_list(out);
    list_children(folder, &all);
    keep_matching_children(&all, name);
    if (folders_only) rowlist_keep_folders(&all);
    rowlist_sort_shortest_path(&all);
    append_rows(out, &all, -1);
}

void scoped_search(const char16_t* name, const char16_t* folder, bool folders_only, RowList* out,
                   int32_t generation) {
    const PipelineSources& src = pipeline_sources();
    RowList children = temp_list(out);
    list_children(folder, &children);
    keep_matching_children(&children, name);

    RowList found = temp_list(out);
    const IndexerBackend* b = indexer_backend();
    if (b && b->search_in_folder) b->search_in_folder(name, folder, nullptr, &found, generation);
    if (!has_result_row(&found) && !(src.folder_is_indexed && src.folder_is_indexed(folder, generation))) {
        rowlist_truncate(&found, 0);
        if (src.walk_folder) src.walk_folder(folder, name, &found, generation);
        if (found.count == 0) {
            char16_t query[kQueryStrippedCap + 300];
            char16_t subtitle[kQueryStrippedCap + 320];
            text_format(query, sizeof query / sizeof query[0], "path:\"%s\" %s", folder, name);
            text_format(subtitle, sizeof subtitle / sizeof subtitle[0], "Filename: \"%s\"", query);
            add_info_row(&found, u"No Everything results", subtitle);
        }
    }
    if (folders_only) {
        rowlist_keep_folders(&children);
        rowlist_keep_folders(&found);
    }
    rowlist_sort_shortest_path(&children);
    rowlist_sort_shortest_path(&found);

    // The indexer (or the walk) finds the children again; keep each thing once.
    ScratchScope scratch;
    int32_t nkeys = 0;
    const char16_t** keys = arena_new_array<const char16_t*>(scratch.arena(), static_cast<uint64_t>(children.count) + 1);
    for (int32_t i = 0; keys && i < children.count; ++i) {
        if (const char16_t* k = scoped_key(children.items[i])) keys[nkeys++] = k;
    }
    auto less = [](const char16_t* a, const char16_t* b) { return text_compare_ci(a, b) < 0; };
    if (keys) std::sort(keys, keys + nkeys, less);
    append_rows(out, &children, -1);
    for (int32_t i = 0; i < found.count; ++i) {
        const Row& r = found.items[i];
        const char16_t* k = scoped_key(r);
        if (k && keys && std::binary_search(keys, keys + nkeys, k, less)) {
            if (!found.arena) row_free(&found.items[i]);
            continue;
        }
        rowlist_add(out, &r);
    }
    rowlist_drop_array(&found);
}

// Steps shared by the full merge and the local preview: every indexer-free source, each capped.
void merge_local_sources(const char16_t* query, RowList* out) {
    const PipelineSources& src = pipeline_sources();
    append_sorted_share(out, src.search_apps, query, kAppsShare);
    append_sorted_share(out, src.search_packaged_apps, query, kPackagedShare);
    append_pins_share(out, query, kPinsShare);
    append_sorted_share(out, src.search_commands, query, kCommandsShare);
}

void store_result(const ParsedQuery& p, const RowList* out, uint32_t generation) {
    cache_store_as(p.cache_key, out, generation);
}

// Scores the drive rows of list against the filter and drops those that do not match.
void filter_drives(RowList* list, const char16_t* filter) {
    int32_t kept = 0;
    for (int32_t i = 0; i < list->count; ++i) {
        Row& r = list->items[i];
        int32_t s = fuzzy_score(filter, r.title, 110, 100, 85);
        if (r.subtitle && text_contains_ci(r.subtitle, filter)) s = std::max(s, 90);
        if (s < 0) {
            if (!list->arena) row_free(&r);
            continue;
        }
        r.score = s;
        if (kept != i) list->items[kept] = r;
        ++kept;
    }
    list->count = kept;
}

// A pinned path counts while it exists, or while the system merely refuses to look at it.
bool pin_path_present(const char16_t* path) {
    uint32_t error = 0;
    return os_files().attributes(path, &error) != win::kInvalidAttributes || error == win::kErrAccessDenied;
}

}  // namespace

void run_query(const char16_t* text, const char16_t* scope_folder, RowList* out, int32_t generation) {
    if (!out) return;
    // Taken before any source is asked: a change while this query runs makes its result stale.
    const uint32_t cache_gen = cache_generation();
    const PipelineSources& src = pipeline_sources();
    const bool has_scope = scope_folder && scope_folder[0];
    ScratchScope scratch;
    auto* p = arena_new_array<ParsedQuery>(scratch.arena(), 1);
    if (!p) return;
    *p = classify_query(text, scope_folder);

    if (p->command == kQueryExit) {
        int32_t from = out->count;
        if (rowlist_add_fields(out, u"Exit Kestrune", u"Quit the launcher", nullptr, nullptr, kKindExit, 1000) == 0)
            rowlist_set_tag(out, from, tag::kExit);
        return;
    }
    if (p->command == kQueryKill) {
        if (src.kill_rows) src.kill_rows(p->command_argument, out);
        rowlist_sort_by_score(out);
        return;
    }
    if (p->command == kQueryTool) {
        if (src.run_tool) src.run_tool(p->tool, p->command_argument, out);
        return;
    }
    if (text_len(p->cache_key) <= static_cast<size_t>(kCacheKeyMax) && cache_lookup(p->cache_key, out)) return;

    const bool folders_only = options_folders_only();
    if (p->is_drive_list) {
        list_drives(out);
        rowlist_sort_by_score(out);
        history_boost(out, u":");
        store_result(*p, out, cache_gen);
        return;
    }
    if (!p->stripped[0]) {
        if (has_scope) {
            list_children(scope_folder, out);
            if (p->ends_with_slash || folders_only) rowlist_keep_folders(out);
        } else if (p->ends_with_slash || folders_only) {
            list_drives(out);
            rowlist_sort_by_score(out);
        } else if (src.list_all_apps) {
            src.list_all_apps(out);
        }
        history_boost(out, u"");
        if (has_scope) rowlist_sort_shortest_path(out);
        store_result(*p, out, cache_gen);
        return;
    }
    if (has_scope) {
        // Neither history-boosted nor cached.
        scoped_search(p->scope_name, scope_folder, p->ends_with_slash || folders_only, out, generation);
        return;
    }

    const char16_t* query = p->stripped;
    bool ends_with_slash = p->ends_with_slash;
    bool extension_query = p->is_extension_query;
    if (p->is_drive_filter) {
        RowList drives = temp_list(out);
        list_drives(&drives);
        if (p->drive_filter[0]) filter_drives(&drives, p->drive_filter);
        if (drives.count > 0 || !p->drive_filter[0]) {
            rowlist_sort_by_score(&drives);
            append_rows(out, &drives, -1);
            history_boost(out, p->drive_filter);
            store_result(*p, out, cache_gen);
            return;
        }
        // No drive matches: the filter itself is the query.
        rowlist_drop_array(&drives);
        ends_with_slash = strip_folder_suffix(p->drive_filter, p->stripped, kQueryStrippedCap);
        query = p->stripped;
        extension_query = is_extension_query(query);
    }

    if (ends_with_slash) {
        indexer_search(query, 0, out, generation, 1);
        rowlist_sort_by_score(out);
        rowlist_dedup(out);
        rowlist_keep_folders(out);
    } else if (folders_only) {
        indexer_search(query, 1, out, generation, 1);
        append_pins_share(out, query, kFolderPinsShare);
        rowlist_sort_by_score(out);
        rowlist_dedup(out);
        rowlist_keep_folders(out);
        cap_results(out, extension_query);
    } else {
        search_settings(query, out, kSettingsShare);
        indexer_search(query, 0, out, generation, extension_query ? 1 : 0);
        merge_local_sources(query, out);
        rowlist_sort_by_score(out);
        rowlist_dedup(out);
        cap_results(out, extension_query);
    }
    history_boost(out, query);
    store_result(*p, out, cache_gen);
}

int run_local_preview(const char16_t* text, const char16_t* scope_folder, RowList* out) {
    if (!out) return 0;
    if (scope_folder && scope_folder[0]) return 0;
    if (options_folders_only()) return 0;
    ScratchScope scratch;
    auto* p = arena_new_array<ParsedQuery>(scratch.arena(), 1);
    if (!p) return 0;
    *p = classify_query(text, nullptr);
    if (p->command == kQueryKill || p->command == kQueryExit) return 0;
    const char16_t* t = p->text;
    if ((t[0] == u':' && t[1] == 0) || is_sep(t[0])) return 0;
    // The tool forms do not fill stripped; they are plain text here.
    bool ends_with_slash = strip_folder_suffix(t, p->stripped, kQueryStrippedCap);
    const char16_t* query = p->stripped;
    if (!query[0] || ends_with_slash) return 0;

    search_settings(query, out, kSettingsShare);
    merge_local_sources(query, out);
    rowlist_sort_by_score(out);
    rowlist_dedup(out);
    cap_results(out, is_extension_query(query));
    history_boost(out, query);
    return out->count > 0 ? 1 : 0;
}

int run_scoped_preview(const char16_t* text, const char16_t* scope_folder, RowList* out) {
    if (!out || !is_scoped_query(text, scope_folder)) return 0;
    char16_t name[kQueryStrippedCap];
    bool ends_with_slash = scope_name_of(text, name, kQueryStrippedCap);
    children_matching(scope_folder, name, ends_with_slash || options_folders_only(), out);
    return 1;
}

void search_pins(const char16_t* query, RowList* out) {
    if (!out || !query || !query[0]) return;
    std::shared_ptr<const PinStore> pins = pins_shared();
    const PinStore& store = *pins;
    if (store.count == 0) return;
    const char16_t* q = skip_blanks(query);
    size_t qlen = text_len(q);
    if (qlen == 0) return;
    ScratchScope scratch;
    char16_t* folded = arena_new_array<char16_t>(scratch.arena(), qlen + 1);
    if (!folded) return;
    text_lower_copy(folded, q, qlen);  // qlen units and the terminator
    for (int32_t i = 0; i < store.count; ++i) {
        const PinEntry& pin = store.items[i];
        Row row{};
        if (pin.act == kKindOpen) {
            const char16_t* path = pin.path;
            if (!path || !path[0]) continue;
            bool shell_item = text_starts_with_ci(path, u"shell:");
            if (!shell_item && !pin_path_present(path)) continue;
            const char16_t* name = path_name_part(path);
            int32_t s = std::max(fuzzy_score(folded, pin.title, 110, 100, 85), fuzzy_score(folded, name, 110, 100, 85));
            if (s < kPinMinScore) continue;
            int32_t bonus = (text_starts_with_ci(pin.title, folded) || text_starts_with_ci(name, folded)) ? kPinStartBonus : 0;
            row.title = text_copy(pin.title, out->arena);
            row.subtitle = text_copy((pin.is_shortcut || shell_item) ? u"Application" : path, out->arena);
            row.path = text_copy(path, out->arena);
            row.target = text_copy(path, out->arena);
            row.kind = kKindOpen;
            row.score = s + bonus + kPinBase;
            if (!row.title || !row.subtitle || !row.path || !row.target) {
                if (!out->arena) row_free(&row);
                continue;
            }
        } else {
            if (pin.act == kKindSettings && (!pin.param || !pin.param[0])) continue;
            int32_t s = fuzzy_score(folded, pin.title, 110, 100, 85);
            if (s < kPinMinScore) continue;
            int32_t bonus = text_starts_with_ci(pin.title, folded) ? kPinStartBonus : 0;
            row.title = text_copy(pin.title, out->arena);
            row.subtitle = text_copy(pin.sub ? pin.sub : u"", out->arena);
            if (pin.act == kKindSettings) row.target = text_copy(pin.param, out->arena);
            row.kind = pin.act;
            row.score = s + bonus + kPinBase;
            if (!row.title || !row.subtitle || (pin.act == kKindSettings && !row.target)) {
                if (!out->arena) row_free(&row);
                continue;
            }
        }
        row.tag = tag::kPin;
        rowlist_add(out, &row);
    }
}
