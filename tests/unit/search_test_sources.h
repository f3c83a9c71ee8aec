// Row sources for the pipeline and lane tests, standing in through the pipeline's source table
// for the modules that are not part of the build yet. Each source logs its call and answers from
// rows the test seeds.
#pragma once
#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "core/row.h"
#include "core/text.h"
#include "query/indexer_backend.h"
#include "query/pipeline_sources.h"

struct SeedRow {
    std::u16string title;
    std::u16string subtitle;
    std::u16string path;
    std::u16string target;
    int32_t kind = kKindOpen;
    int32_t score = 100;
    char tag = 'A';
    bool is_folder = false;
};

struct SearchTestWorld {
    std::mutex mutex;
    std::vector<std::string> calls;  // "apps:<query>", "search:<query>:<folders_only>:<many>", ...
    std::vector<SeedRow> apps, packaged, all_apps, commands, drives, children, indexer, walk, kill, tool;
    bool folder_indexed = false;
    bool echo_apps = false;   // search_apps answers one row titled with the query
    bool echo_folder = false;  // search_in_folder answers one row titled with the name
    bool invalidate_in_apps = false;  // search_apps moves the cache generation on
    // search blocks until the generation goes stale (or release is set).
    std::atomic<bool> block_search{false};
    std::atomic<bool> block_ignores_stale{false};
    std::atomic<bool> release{false};
    std::atomic<int> searches_running{0};
};

SearchTestWorld& search_test_world();

// Installs the test sources and an indexer with the given id; the destructor puts the previous
// table and indexer back and empties the query cache.
class SearchTestSources {
public:
    explicit SearchTestSources(int32_t indexer_id = 0);
    ~SearchTestSources();
    SearchTestSources(const SearchTestSources&) = delete;
    SearchTestSources& operator=(const SearchTestSources&) = delete;
    SearchTestWorld& world() { return search_test_world(); }

private:
    PipelineSources saved_sources_;
    const IndexerBackend* saved_indexer_;
    IndexerBackend backend_;
};

std::vector<std::string> search_test_calls();

// Joins texts by appending (operator+ on temporaries trips a false -Wrestrict in mingw g++ 12 -O3).
template <typename... Parts>
std::string cat8(const Parts&... parts) {
    std::string s;
    (s.append(parts), ...);
    return s;
}
template <typename... Parts>
std::u16string cat16(const Parts&... parts) {
    std::u16string s;
    (s.append(parts), ...);
    return s;
}
std::string u8s(const char16_t* s);
