#include "query/cache_generation.h"

#include "store/history.h"

namespace {
std::atomic<uint32_t> g_cache_generation{0};
}  // namespace

std::atomic<QueryCacheFlushFn> query_cache_flush_hook{nullptr};

uint32_t cache_generation() { return g_cache_generation.load(std::memory_order_acquire); }

void cache_generation_bump() { g_cache_generation.fetch_add(1, std::memory_order_acq_rel); }

void query_cache_flush() {
    if (QueryCacheFlushFn flush = query_cache_flush_hook.load(std::memory_order_acquire)) {
        flush();
        return;
    }
    history_unload();
}
