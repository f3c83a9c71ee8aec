// The cache generation: a process-wide counter that moves on whenever something that can change
// search results happens (pins, history, the indexer, folders-only mode, the app index, a hide).
// Query-cache entries stored under an older generation are never returned.
#pragma once
#include <atomic>
#include <cstdint>

uint32_t cache_generation();
void cache_generation_bump();

// The query cache installs its flush here (empty every slot and unload the history under the
// history lock). Stores that must drop every cached result call query_cache_flush(), which falls
// back to unloading the history alone while no cache is installed.
using QueryCacheFlushFn = void (*)();
extern std::atomic<QueryCacheFlushFn> query_cache_flush_hook;
void query_cache_flush();
