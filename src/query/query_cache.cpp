#include "query/query_cache.h"

#include <mutex>

#include "core/arena.h"
#include "core/row.h"
#include "core/text.h"
#include "query/cache_generation.h"
#include "store/history.h"
#include "store/pins.h"

namespace {

constexpr uint64_t kSlotBlockSize = 64 * 1024;

struct CacheSlot {
    char16_t* key;  // null: the slot is free
    RowList rows;
    Arena* arena;   // created on the slot's first use; key, rows and row array live in it
    uint32_t generation;
    uint64_t stamp;  // smallest = least recently used
};

// Guarded by the history lock.
CacheSlot g_slots[kCacheSlots];
uint64_t g_stamp = 0;

bool key_equal(const char16_t* a, const char16_t* b) {
    while (*a && *a == *b) ++a, ++b;
    return *a == *b;
}

void slot_clear(CacheSlot& slot) {
    if (slot.arena) arena_reset(slot.arena);
    slot.key = nullptr;
    rowlist_init(&slot.rows, slot.arena);
}

void flush_locked() {
    for (CacheSlot& slot : g_slots) {
        if (slot.key) slot_clear(slot);
    }
    history_unload_locked();
}

void flush_hook() { cache_flush(); }

// The stores that must drop every cached result (the uncapped option) reach the cache here.
struct FlushHookInstaller {
    FlushHookInstaller() { query_cache_flush_hook.store(flush_hook, std::memory_order_release); }
} g_flush_hook_installer;

}  // namespace

int cache_lookup(const char16_t* key, RowList* out) {
    if (!key || !out) return 0;
    std::lock_guard<std::mutex> lock(history_lock());
    const uint32_t current = cache_generation();
    for (CacheSlot& slot : g_slots) {
        // A stale slot stays until a store reuses it; a current one of the same key may follow.
        if (!slot.key || slot.generation != current || !key_equal(slot.key, key)) continue;
        for (int32_t i = 0; i < slot.rows.count; ++i) {
            Row copy;
            if (row_clone(&slot.rows.items[i], &copy, out->arena) != 0) continue;
            if (rowlist_add(out, &copy) != 0 && !out->arena) row_free(&copy);
        }
        slot.stamp = ++g_stamp;
        return 1;
    }
    return 0;
}

void cache_store(const char16_t* key, const RowList* rows) { cache_store_as(key, rows, cache_generation()); }

void cache_store_as(const char16_t* key, const RowList* rows, uint32_t generation) {
    if (!key || !rows) return;
    size_t len = text_len(key);
    if (len > static_cast<size_t>(kCacheKeyMax) || rows->count > kCacheRowsMax) return;
    std::lock_guard<std::mutex> lock(history_lock());
    // A result computed under an older generation would never be returned: it must not take a
    // slot, nor replace a current result of its key.
    if (generation != cache_generation()) return;
    // The key's own slot first (stale or not), so a key never holds two slots; then a free one.
    CacheSlot* chosen = nullptr;
    for (CacheSlot& slot : g_slots) {
        if (slot.key && key_equal(slot.key, key)) {
            chosen = &slot;
            break;
        }
    }
    for (CacheSlot& slot : g_slots) {
        if (chosen) break;
        if (!slot.key) chosen = &slot;
    }
    if (!chosen) {
        chosen = &g_slots[0];
        for (CacheSlot& slot : g_slots) {
            if (slot.stamp < chosen->stamp) chosen = &slot;
        }
    }
    CacheSlot& slot = *chosen;
    if (!slot.arena) {
        slot.arena = arena_create(kSlotBlockSize);
        if (!slot.arena) return;
    }
    slot_clear(slot);
    char16_t* key_copy = text_copy_n(key, len, slot.arena);
    if (!key_copy) return;
    if (rows->count > 0) {
        // One array of the final size instead of a growing one.
        slot.rows.items = arena_new_array<Row>(slot.arena, static_cast<uint64_t>(rows->count));
        if (!slot.rows.items) {
            slot_clear(slot);  // an empty entry would answer for a query that has rows
            return;
        }
        slot.rows.capacity = rows->count;
    }
    for (int32_t i = 0; i < rows->count; ++i) {
        Row copy;
        if (row_clone(&rows->items[i], &copy, slot.arena) != 0) continue;
        slot.rows.items[slot.rows.count++] = copy;
    }
    slot.key = key_copy;
    slot.generation = generation;
    slot.stamp = ++g_stamp;
}

void cache_invalidate() { cache_generation_bump(); }

void cache_flush() {
    {
        std::lock_guard<std::mutex> lock(history_lock());
        flush_locked();
    }
    // The pins are read again too: a change the file's time and size do not show is seen then.
    pins_shared_drop();
    // A result computed before the flush must not be stored as if it were computed after it.
    cache_generation_bump();
}

void cache_free() {
    std::lock_guard<std::mutex> lock(history_lock());
    for (CacheSlot& slot : g_slots) {
        arena_destroy(slot.arena);
        slot = CacheSlot{};
    }
    history_free_locked();
    pins_shared_drop();
}

int32_t cache_used_slots() {
    std::lock_guard<std::mutex> lock(history_lock());
    int32_t n = 0;
    for (const CacheSlot& slot : g_slots) n += slot.key ? 1 : 0;
    return n;
}
