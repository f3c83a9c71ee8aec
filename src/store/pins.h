// Quick Access pins: rows the user keeps at the top. Every operation that changes them loads
// quick_access.dat afresh into a private store and releases it afterwards; only the searches share
// one parsed copy, kept until the file changes (pins_shared).
#pragma once
#include <cstdint>
#include <memory>
#include <string_view>

struct Arena;
struct RowList;

struct PinEntry {
    char16_t* path;   // file-system path or "shell:" item for kind 1 pins, else ""
    char16_t* param;  // settings target for kind 2 pins, else ""
    char16_t* title;
    char16_t* sub;
    int32_t act;          // RowKind of the pinned row
    int32_t is_shortcut;  // path ends in ".lnk" or ".url"; computed, not stored
};

// The first pin is the most recently pinned.
struct PinStore {
    PinEntry* items;
    int32_t count;
    int32_t capacity;
    Arena* arena;  // 64 KiB blocks
    // Memory ran out while pins were read: some are missing, so this store must not be saved.
    bool incomplete;
};

// Fills a fresh store from quick_access.dat, importing quick_access.json when the former is
// missing. The store is always usable afterwards (possibly empty); release it with pins_release.
// False when quick_access.dat exists but could not be read: the store must then not be saved.
bool pins_load(PinStore* store);
void pins_release(PinStore* store);
bool pins_save(const PinStore* store);

// The pins as the searches see them, read-only and shared between threads: parsed once and kept
// until they change, that is until this process saves them, another platform backend is installed,
// or quick_access.dat shows another write time, size or attributes. A store that could not be read
// whole is never kept. Never null.
std::shared_ptr<const PinStore> pins_shared();
// Drops the kept copy (its memory goes once the last search holding it is done); the next search
// reads the file again. Part of the cache flush and of the release at exit.
void pins_shared_drop();

// Identity by kind: kind 1 by full path, kind 2 by param, other kinds by kind alone (kind 0 is 1).
bool pin_matches(const PinEntry* pin, const char16_t* path, const char16_t* param, int32_t kind);
bool pin_is_pinned(const char16_t* path, const char16_t* param, int32_t kind);
// Unpins when pinned, else pins at the front. 1 when it acted, 0 for invalid arguments.
int pin_toggle(const char16_t* path, const char16_t* param, const char16_t* title, const char16_t* sub, int32_t kind);
// One row per pin in store order (score 100, tag P): the Pins view.
void pins_view(RowList* out);

// Accepted kinds: 1, 2, 4 and 11 to 23; anything else becomes 1.
int32_t pins_normalize_act(int32_t act);
// Adds a pin read from a file with the load rules; true when stored.
bool pins_add_loaded(PinStore* store, const char16_t* path, const char16_t* param, const char16_t* title,
                     const char16_t* sub, int32_t act);
// Imports the flat objects of a quick_access.json text into the store.
void pins_import_json(std::string_view text, PinStore* store);
void pins_store_init(PinStore* store);
// True when path ends in ".lnk" or ".url" (case-insensitive, from the last '.').
bool pin_path_is_shortcut(const char16_t* path);
