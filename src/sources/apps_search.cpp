// The rows of the application source: listing, searching, the Settings app and the all-apps view.
#include <cstring>
#include <string>

#include "core/arena.h"
#include "core/row.h"
#include "core/text.h"
#include "platform/platform.h"
#include "query/fuzzy.h"
#include "query/indexer_backend.h"
#include "query/pipeline_sources.h"
#include "query/query_parser.h"
#include "sources/app_index.h"
#include "sources/app_index_data.h"
#include "store/options.h"

namespace {

constexpr int32_t kExactScore = 110;
constexpr int32_t kPrefixScore = 100;
constexpr int32_t kWordScore = 85;
constexpr int32_t kListScore = 100;
constexpr int32_t kViewCap = 50;
constexpr size_t kIconPathMax = 260;  // units, terminator included

constexpr const char16_t* kSubtitle = u"Application";
constexpr size_t kSubtitleUnits = std::char_traits<char16_t>::length(kSubtitle) + 1;
constexpr const char16_t* kSettingsTitle = u"Windows Settings";
constexpr const char16_t* kSettingsTarget = u"ms-settings:";
constexpr const char16_t* kSettingsIcon = u"%SystemRoot%\\ImmersiveControlPanel\\SystemSettings.exe";
constexpr const char16_t* kViewExtensions = u"exe;lnk;appref-ms";

int32_t app_score(const char16_t* query, const char16_t* name) {
    return fuzzy_score(query, name, kExactScore, kPrefixScore, kWordScore);
}

bool is_empty(const char16_t* s) { return !s || !*s; }

// The query prepared for the entry scan (its folded copy in scratch memory); a null text lists
// every entry at kListScore.
struct AppQuery {
    const char16_t* text;
    FuzzyText key;
};

AppQuery app_query(const char16_t* query, Arena* scratch) {
    if (!query) return AppQuery{nullptr, FuzzyText{}};
    return AppQuery{query, fuzzy_prepare(query, text_len(query), scratch)};
}

// The entry's score, -1 for no match. Without a folded copy on either side the name is scored as
// it is.
int32_t entry_score(const AppQuery& q, const char16_t* name, const FuzzyText& key) {
    if (!q.text) return kListScore;
    if (q.key.folded && key.folded) return fuzzy_score_prepared(q.key, key, kExactScore, kPrefixScore, kWordScore);
    return app_score(q.text, name);
}

// What an entry's row shows: the name as title and one path that is both the row's path and its
// target, with their lengths.
struct EntryTexts {
    const char16_t* name;
    size_t name_length;
    const char16_t* path;
    size_t path_length;
};

EntryTexts texts_of(const ShortcutEntry& e) { return EntryTexts{e.name, e.key.length, e.link_path, e.link_length}; }
EntryTexts texts_of(const PackagedAppEntry& e) {
    return EntryTexts{e.name, e.key.length, e.app_target, e.target_length};
}

// Units the four strings of an app row take, terminators included.
size_t row_units(const EntryTexts& t) { return t.name_length + 1 + kSubtitleUnits + 2 * (t.path_length + 1); }

// Fills an app row (title, "Application", path, path) whose strings are laid out from `text`, which
// has room for row_units(t) units.
void fill_app_row(Row* r, const EntryTexts& t, char16_t* text, int32_t score) {
    *r = Row{};
    auto put = [&text](const char16_t* s, size_t units) {
        char16_t* at = text;
        std::memcpy(at, s, units * sizeof(char16_t));
        text += units;
        return at;
    };
    r->title = put(t.name, t.name_length + 1);
    r->subtitle = put(kSubtitle, kSubtitleUnits);
    r->path = put(t.path, t.path_length + 1);
    r->target = put(t.path, t.path_length + 1);
    r->kind = kKindOpen;
    r->score = score;
}

// Adds one app row. A heap list frees each string on its own, so it gets separate copies; an arena
// list gets the four in one block of its arena.
int add_app_row(RowList* rows, const EntryTexts& t, int32_t score) {
    if (!rows->arena) return rowlist_add_fields(rows, t.name, kSubtitle, t.path, t.path, kKindOpen, score);
    char16_t* text = arena_new_array<char16_t>(rows->arena, row_units(t));
    if (!text) return -1;
    Row r;
    fill_app_row(&r, t, text, score);
    return rowlist_add(rows, &r);
}

struct Hit {
    int32_t entry;
    int32_t score;
};

// Adds, in index order, the rows of the entries that score_of (entry index -> score, -1 to leave
// it out) keeps. The hits are gathered first so that the list grows once and, for an arena list,
// the strings of all rows are copied into one block; when scratch memory or that block cannot be
// had, each row is added on its own as before.
template <typename Entry, typename ScoreOf>
void add_entry_rows(const Entry* entries, int32_t count, RowList* rows, ScoreOf score_of) {
    ScratchScope scratch;
    Hit* hits = count > 0 ? arena_new_array<Hit>(scratch.arena(), static_cast<uint64_t>(count)) : nullptr;
    if (!hits) {
        for (int32_t i = 0; i < count; ++i) {
            int32_t score = score_of(i);
            if (score >= 0) add_app_row(rows, texts_of(entries[i]), score);
        }
        return;
    }
    int32_t found = 0;
    uint64_t units = 0;
    for (int32_t i = 0; i < count; ++i) {
        int32_t score = score_of(i);
        if (score < 0) continue;
        hits[found++] = Hit{i, score};
        units += row_units(texts_of(entries[i]));
    }
    if (found == 0) return;
    // Room for the Settings row that may follow as well; without it the list grows as it goes.
    bool reserved = rowlist_reserve(rows, found + 1) == 0;
    char16_t* text = reserved && rows->arena ? arena_new_array<char16_t>(rows->arena, units) : nullptr;
    for (int32_t k = 0; k < found; ++k) {
        EntryTexts t = texts_of(entries[hits[k].entry]);
        if (!text) {
            add_app_row(rows, t, hits[k].score);
            continue;
        }
        fill_app_row(&rows->items[rows->count++], t, text, hits[k].score);
        text += row_units(t);
    }
}

// Caller holds the lock.
void add_shortcut_rows(const AppIndex& ix, const char16_t* query, RowList* rows) {
    int32_t from = rows->count;
    ScratchScope scratch;
    AppQuery q = app_query(query, scratch.arena());
    add_entry_rows(ix.shortcuts, ix.shortcut_count, rows,
                   [&](int32_t i) { return entry_score(q, ix.shortcuts[i].name, ix.shortcuts[i].key); });
    rowlist_set_tag(rows, from, tag::kApp);
}

// Caller holds the lock. Packaged apps that a shortcut already carries are left out.
void add_packaged_rows(const AppIndex& ix, const char16_t* query, RowList* rows) {
    int32_t from = rows->count;
    ScratchScope scratch;
    AppQuery q = app_query(query, scratch.arena());
    add_entry_rows(ix.packaged, ix.packaged_count, rows, [&](int32_t i) {
        const PackagedAppEntry& e = ix.packaged[i];
        int32_t score = entry_score(q, e.name, e.key);
        return score >= 0 && !shortcut_name_exists(ix, e.name) ? score : -1;
    });
    rowlist_set_tag(rows, from, tag::kPackaged);
}

// Drops the information rows (kind 0) and keeps the order of the others.
void remove_info_rows(RowList* rows) {
    int32_t kept = 0;
    for (int32_t i = 0; i < rows->count; ++i) {
        if (rows->items[i].kind == kKindInfo) {
            if (!rows->arena) row_free(&rows->items[i]);
            continue;
        }
        rows->items[kept++] = rows->items[i];
    }
    rows->count = kept;
}

}  // namespace

void settings_app_row(const char16_t* query, RowList* rows) {
    if (!rows) return;
    int32_t score = query ? app_score(query, kSettingsTitle) : kListScore;
    if (score < 0) return;
    std::u16string icon;
    if (platform().env && platform().files) {
        icon = os_env().expand(kSettingsIcon);
        if (icon.empty() || icon.size() >= kIconPathMax || icon.find(u'%') != std::u16string::npos ||
            os_files().attributes(icon) == win::kInvalidAttributes)
            icon.clear();
    }
    int32_t at = rows->count;
    if (rowlist_add_fields(rows, kSettingsTitle, kSubtitle, nullptr, kSettingsTarget, kKindOpen, score) != 0) return;
    if (!icon.empty()) rows->items[at].icon_source = text_copy_view(icon, rows->arena);
    rowlist_set_tag(rows, at, tag::kApp);
}

void list_all_apps(RowList* rows) {
    if (!rows) return;
    {
        AppIndex& ix = app_index();
        std::lock_guard<std::mutex> lock(ix.lock);
        add_shortcut_rows(ix, nullptr, rows);
        add_packaged_rows(ix, nullptr, rows);
    }
    settings_app_row(nullptr, rows);
    rowlist_sort_by_score(rows);
}

void search_apps(const char16_t* query, RowList* rows) {
    if (!rows || is_empty(query)) return;
    {
        AppIndex& ix = app_index();
        std::lock_guard<std::mutex> lock(ix.lock);
        add_shortcut_rows(ix, query, rows);
    }
    settings_app_row(query, rows);
}

void search_packaged_apps(const char16_t* query, RowList* rows) {
    if (!rows || is_empty(query)) return;
    AppIndex& ix = app_index();
    std::lock_guard<std::mutex> lock(ix.lock);
    add_packaged_rows(ix, query, rows);
}

void apps_view_search(const char16_t* query, RowList* rows, int32_t generation) {
    if (!rows) return;
    const char16_t* q = skip_blanks(query ? query : u"");
    if (!*q) {
        list_all_apps(rows);
        return;
    }
    bool extension = is_extension_query(q);
    RowList found;
    rowlist_init(&found, rows->arena);
    const IndexerBackend* backend = indexer_backend();
    if (backend && backend->search)
        backend->search(q, 0, kViewExtensions, extension ? q : nullptr, &found, generation, extension ? 1 : 0);
    remove_info_rows(&found);
    search_apps(q, &found);
    rowlist_sort_by_score(&found);
    rowlist_dedup(&found);
    if (!extension && !options_uncapped()) rowlist_truncate(&found, kViewCap);
    for (int32_t i = 0; i < found.count; ++i) rowlist_add(rows, &found.items[i]);
    rowlist_drop_array(&found);
}

void apps_join_pipeline() {
    PipelineSources sources = pipeline_sources();
    sources.search_apps = search_apps;
    sources.search_packaged_apps = search_packaged_apps;
    sources.list_all_apps = list_all_apps;
    sources.apps_view_search = apps_view_search;
    pipeline_sources_install(sources);
}
