// The shell-verb cache (shell_verbs.dat): per file type ("drive", "dir", "file:.txt"), the verbs
// found last time, so a menu shows them at once while a fresh lookup runs. 32 types of at most 64
// verbs; when full, the least recently used type gives way.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "store/shell_verb.h"

constexpr int32_t kVerbCacheMaxEntries = 32;
constexpr int32_t kVerbCacheMaxVerbs = 64;
constexpr size_t kVerbCacheKeyCapacity = 40;  // 39 characters

struct VerbCacheEntry {
    char16_t key[kVerbCacheKeyCapacity];
    ShellVerb* verbs;  // heap array of count verbs
    int32_t count;
    uint64_t stamp;  // larger = used more recently
};

// Reads shell_verbs.dat once per process. A file that is there but cannot be read is not saved
// over: the cache is rebuilt in memory, and a save first reads the file again (saving only once it
// reads, with the rebuilt entries on top of the file's).
void verb_cache_load();
// Index of the entry for key, or -1; a hit marks the entry as just used.
int32_t verb_cache_find(const char16_t* key);
const VerbCacheEntry* verb_cache_at(int32_t index);
int32_t verb_cache_size();
// Replaces or inserts the entry for key with a copy of the verbs (icons of cached verbs of the same
// name are kept for new verbs without one).
void verb_cache_store(const char16_t* key, const ShellVerb* verbs, int32_t count);
// False when nothing was written (including while the file cannot be read).
bool verb_cache_save();
// Copies differing icons of verbs with the same name into the cached entry; saves when one changed.
void verb_cache_update_icons(const char16_t* key, const ShellVerb* verbs, int32_t count);

// Empties the cache and marks it unloaded (tests, tools).
void verb_cache_reset();
// Fills the (empty) cache from the bytes of a shell_verbs.dat.
void verb_cache_parse(std::string_view bytes);
std::string verb_cache_serialize();
