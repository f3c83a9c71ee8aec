#include "query/indexer_backend.h"

#include <atomic>

#include "indexers/windows_search.h"
#include "query/cache_generation.h"
#include "store/options.h"

// The Everything record is defined by its client (src/indexers/everything_backend.cpp).
const IndexerBackend kWindowsSearchBackend{kIndexerWindowsSearch, windows_search_search, windows_search_search_in_folder};

namespace {
std::atomic<const IndexerBackend*> g_active{&kWindowsSearchBackend};

void select_from_options(int32_t indexer) { indexer_backend_select(indexer); }

// The options store switches the backend whenever the indexer option changes.
struct SelectHookInstaller {
    SelectHookInstaller() { options_indexer_select_hook.store(select_from_options, std::memory_order_release); }
} g_select_hook_installer;
}  // namespace

const IndexerBackend* indexer_backend() { return g_active.load(std::memory_order_acquire); }

void indexer_backend_select(int32_t id) {
    g_active.store(id == kIndexerEverything ? &kEverythingBackend : &kWindowsSearchBackend, std::memory_order_release);
    cache_generation_bump();
}

const IndexerBackend* indexer_backend_install(const IndexerBackend* backend) {
    const IndexerBackend* old = g_active.exchange(backend ? backend : &kWindowsSearchBackend, std::memory_order_acq_rel);
    cache_generation_bump();
    return old;
}
