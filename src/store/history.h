// The launch history: what the user launched, how often and when. Loaded from history.dat on first
// use, written back after every change, dropped by the cache flush. Boosts rows in later searches
// and feeds the Recents view. Every operation takes the history lock, which also guards the query
// cache.
#pragma once
#include <cstdint>
#include <mutex>
#include <string_view>

struct Arena;
struct Row;
struct RowList;

constexpr int32_t kHistoryMaxEntries = 500;

struct HistoryEntry {
    char16_t* key;    // the launched row's target, or its title when it has no target
    char16_t* title;  // never empty: the key when the row had no title
    char16_t* sub;
    char16_t* param;  // the row's target ("" when none)
    int32_t act;      // RowKind at the last launch
    int32_t count;    // launches, at least 1 for a live entry
    uint64_t last;    // FILETIME of the last launch
};

// One entry of the boost's sorted lookup index.
struct HistoryKey {
    std::u16string_view key;
    int32_t entry;  // index into entries
};

// All strings and the array live in the arena; nothing is freed one by one.
struct HistoryStore {
    HistoryEntry* entries;
    int32_t count;
    int32_t capacity;
    Arena* arena;  // 64 KiB blocks, created on first use
    // The entries' keys sorted ignoring case, built by the first boost after a change and kept
    // until the next one (every search boosts; launches are rare). Null when stale.
    HistoryKey* index;
    bool loaded;
    // history.dat exists but could not be read (or memory ran out while it was read), or it is
    // missing and history.json cannot be read: saving would destroy what the user has, so nothing
    // is saved until a later load succeeds.
    bool read_failed;
};

// The history lock. Also held by the query cache for its own table.
std::mutex& history_lock();
// The process's store; only touch it with the history lock held.
HistoryStore& history_store();
// With the lock held: loads history.dat (or imports history.json) unless already loaded.
void history_ensure_loaded_locked();
// With the lock held: rewrites history.dat from the store.
bool history_save_locked();

void history_record(const Row* row);
// Removes the first entry whose key equals key (or fallback when key is empty); true if one was.
bool history_forget(const char16_t* key, const char16_t* fallback);
// Raises the score of rows found in the history and re-sorts the list by score.
void history_boost(RowList* rows, const char16_t* query);
// Appends one row per listed entry, most recent first (tag R, from_history set).
void history_recents(RowList* out);
// Empties the store and marks it unloaded (its arena blocks are kept for reuse).
void history_unload();
void history_unload_locked();
// At exit, with the lock held: releases the store's arena as well.
void history_free_locked();

// Accepted kinds: every value except 0, 3, 8, 9 and 10; anything else becomes 1.
int32_t history_normalize_act(int32_t act);
// Adds one entry read from a file (history.dat or history.json) with the load rules: an empty key
// or a count of 0 or less is skipped, as is everything past 500 entries. True when added.
bool history_add_loaded(HistoryStore* store, const char16_t* key, const char16_t* title, const char16_t* sub,
                        const char16_t* param, int32_t act, int32_t count, uint64_t last);
// Imports the flat objects of a history.json text into the store.
void history_import_json(std::string_view text, HistoryStore* store);
// A store of one's own (for imports, tests and tools) and its release.
void history_store_init(HistoryStore* store);
void history_store_release(HistoryStore* store);
