// The query cache: the last 128 results, keyed by the exact cache key of their request, each in
// a slot with its own arena. Shared by both search lanes under the history lock; entries stored
// under an older cache generation are never returned.
#pragma once
#include <cstdint>

struct RowList;

constexpr int32_t kCacheSlots = 128;
constexpr int32_t kCacheKeyMax = 128;    // longer keys are never cached
constexpr int32_t kCacheRowsMax = 5000;  // larger results are never cached

// 1 on a hit: the cached rows are cloned into out's arena and appended. 0 on a miss.
int cache_lookup(const char16_t* key, RowList* out);
// Stores a copy of rows under key, tagged with the current cache generation.
void cache_store(const char16_t* key, const RowList* rows);
// As cache_store, tagged with the generation the rows were computed under: a result that was
// being computed while something changed is then never returned.
void cache_store_as(const char16_t* key, const RowList* rows, uint32_t generation);
// Moves the cache generation on: every stored entry becomes a miss.
void cache_invalidate();
// Under the history lock: empties every slot and unloads the history store; drops the searches'
// copy of the pins.
void cache_flush();
// At exit, under the history lock: releases every slot's arena, the history store's arena and the
// searches' copy of the pins.
void cache_free();
// Slots in use (tests and diagnostics).
int32_t cache_used_slots();
