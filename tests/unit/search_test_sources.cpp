#include "unit/search_test_sources.h"

#include <chrono>
#include <thread>

#include "core/utf.h"
#include "query/cache_generation.h"
#include "query/query_cache.h"
#include "store/options.h"
#include "query/workers.h"

namespace {

SearchTestWorld* g_world = new SearchTestWorld;  // lives as long as any lane that may use it

void log_call(const std::string& what) {
    std::lock_guard<std::mutex> lock(g_world->mutex);
    g_world->calls.push_back(what);
}

void add_rows(RowList* out, const std::vector<SeedRow>& rows) {
    for (const SeedRow& s : rows) {
        Row r{};
        r.title = text_copy(s.title.c_str(), out->arena);
        r.subtitle = text_copy(s.subtitle.c_str(), out->arena);
        r.path = s.path.empty() ? nullptr : text_copy(s.path.c_str(), out->arena);
        r.target = s.target.empty() ? nullptr : text_copy(s.target.c_str(), out->arena);
        r.kind = s.kind;
        r.score = s.score;
        r.tag = s.tag;
        r.is_folder = s.is_folder ? 1 : 0;
        rowlist_add(out, &r);
    }
}

std::vector<SeedRow> snapshot(const std::vector<SeedRow>& rows) {
    std::lock_guard<std::mutex> lock(g_world->mutex);
    return rows;
}

void apps(const char16_t* q, RowList* out) {
    log_call("apps:" + u8s(q));
    if (g_world->invalidate_in_apps) cache_invalidate();
    if (g_world->echo_apps) {
        add_rows(out, {SeedRow{q, u"echo", u"", u"", kKindOpen, 100, 'A'}});
        return;
    }
    add_rows(out, snapshot(g_world->apps));
}
void packaged(const char16_t* q, RowList* out) {
    log_call("packaged:" + u8s(q));
    add_rows(out, snapshot(g_world->packaged));
}
void all_apps(RowList* out) {
    log_call("all_apps");
    add_rows(out, snapshot(g_world->all_apps));
}
void commands(const char16_t* q, RowList* out) {
    log_call("commands:" + u8s(q));
    add_rows(out, snapshot(g_world->commands));
}
void drives(RowList* out) {
    log_call("drives");
    add_rows(out, snapshot(g_world->drives));
}
void children(const char16_t* folder, RowList* out) {
    log_call("children:" + u8s(folder));
    add_rows(out, snapshot(g_world->children));
}
int indexed(const char16_t* folder, int32_t) {
    log_call("indexed:" + u8s(folder));
    return g_world->folder_indexed ? 1 : 0;
}
void walk(const char16_t* folder, const char16_t* name, RowList* out, int32_t) {
    log_call("walk:" + u8s(folder) + ":" + u8s(name));
    add_rows(out, snapshot(g_world->walk));
}
void kill(const char16_t* arg, RowList* out) {
    log_call("kill:" + u8s(arg));
    add_rows(out, snapshot(g_world->kill));
}
void tool(int32_t t, const char16_t* arg, RowList* out) {
    log_call("tool:" + std::to_string(t) + ":" + u8s(arg));
    add_rows(out, snapshot(g_world->tool));
}
void apps_view(const char16_t* text, RowList* out, int32_t) {
    log_call("apps_view:" + u8s(text));
    add_rows(out, {SeedRow{text, u"apps view", u"", u"", kKindOpen, 100, 'A'}});
}

void search(const char16_t* q, int folders_only, const char16_t*, const char16_t* highlight, RowList* out,
            int32_t generation, int many) {
    log_call("search:" + u8s(q) + ":" + std::to_string(folders_only) + ":" + std::to_string(many) + ":" + u8s(highlight));
    if (g_world->block_search.load()) {
        g_world->searches_running.fetch_add(1);
        while (!g_world->release.load() && (g_world->block_ignores_stale.load() || !is_stale(generation))) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        g_world->searches_running.fetch_sub(1);
    }
    add_rows(out, snapshot(g_world->indexer));
}
void search_in_folder(const char16_t* name, const char16_t* folder, const char16_t*, RowList* out, int32_t) {
    log_call("in_folder:" + u8s(folder) + ":" + u8s(name));
    if (g_world->echo_folder) {
        add_rows(out, {SeedRow{name, u"scoped", u"", u"", kKindOpen, 100, 'E'}});
        return;
    }
    add_rows(out, snapshot(g_world->indexer));
}

}  // namespace

SearchTestWorld& search_test_world() { return *g_world; }

std::string u8s(const char16_t* s) { return utf16_to_utf8(text_view(s)); }

SearchTestSources::SearchTestSources(int32_t indexer_id) {
    // The options store calls these; another suite may have left its own stand-ins behind.
    options_indexer_select_hook = indexer_backend_select;
    query_cache_flush_hook = cache_flush;
    SearchTestWorld& w = *g_world;
    {
        std::lock_guard<std::mutex> lock(w.mutex);
        w.calls.clear();
        w.apps.clear(), w.packaged.clear(), w.all_apps.clear(), w.commands.clear(), w.drives.clear();
        w.children.clear(), w.indexer.clear(), w.walk.clear(), w.kill.clear(), w.tool.clear();
    }
    w.folder_indexed = false;
    w.echo_apps = w.echo_folder = w.invalidate_in_apps = false;
    w.block_search = false;
    w.block_ignores_stale = false;
    w.release = false;
    PipelineSources s{};
    s.run_tool = tool;
    s.kill_rows = kill;
    s.search_apps = apps;
    s.search_packaged_apps = packaged;
    s.list_all_apps = all_apps;
    s.apps_view_search = apps_view;
    s.search_commands = commands;
    s.list_drives = drives;
    s.list_children = children;
    s.folder_is_indexed = indexed;
    s.walk_folder = walk;
    saved_sources_ = pipeline_sources_install(s);
    backend_ = IndexerBackend{indexer_id, search, search_in_folder};
    saved_indexer_ = indexer_backend_install(&backend_);
    cache_flush();
}

SearchTestSources::~SearchTestSources() {
    cache_flush();
    pipeline_sources_install(saved_sources_);
    indexer_backend_install(saved_indexer_);
}

std::vector<std::string> search_test_calls() {
    std::lock_guard<std::mutex> lock(g_world->mutex);
    return g_world->calls;
}
