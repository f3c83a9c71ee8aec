// The rows of the application source: listing, searching, the Settings app and the all-apps view.
#include <string>

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
constexpr const char16_t* kSettingsTitle = u"Windows Settings";
constexpr const char16_t* kSettingsTarget = u"ms-settings:";
constexpr const char16_t* kSettingsIcon = u"%SystemRoot%\\ImmersiveControlPanel\\SystemSettings.exe";
constexpr const char16_t* kViewExtensions = u"exe;lnk;appref-ms";

int32_t app_score(const char16_t* query, const char16_t* name) {
    return fuzzy_score(query, name, kExactScore, kPrefixScore, kWordScore);
}

bool is_empty(const char16_t* s) { return !s || !*s; }

// Caller holds the lock.
void add_shortcut_rows(const AppIndex& ix, const char16_t* query, RowList* rows) {
    int32_t from = rows->count;
    for (int32_t i = 0; i < ix.shortcut_count; ++i) {
        const ShortcutEntry& e = ix.shortcuts[i];
        int32_t score = query ? app_score(query, e.name) : kListScore;
        if (score >= 0) rowlist_add_fields(rows, e.name, kSubtitle, e.link_path, e.link_path, kKindOpen, score);
    }
    rowlist_set_tag(rows, from, tag::kApp);
}

// Caller holds the lock. Packaged apps that a shortcut already carries are left out.
void add_packaged_rows(const AppIndex& ix, const char16_t* query, RowList* rows) {
    int32_t from = rows->count;
    for (int32_t i = 0; i < ix.packaged_count; ++i) {
        const PackagedAppEntry& e = ix.packaged[i];
        int32_t score = query ? app_score(query, e.name) : kListScore;
        if (score < 0 || shortcut_name_exists(ix, e.name)) continue;
        rowlist_add_fields(rows, e.name, kSubtitle, e.app_target, e.app_target, kKindOpen, score);
    }
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
