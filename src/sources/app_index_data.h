// The application index's records, shared by the builder, the Start Menu scan and the searches.
// Everything here is read and changed under AppIndex::lock.
#pragma once
#include <cstdint>
#include <mutex>
#include <string_view>
#include <thread>

#include "platform/apps_folder.h"
#include "query/fuzzy.h"

struct Arena;
class WindowPost;

constexpr int32_t kShortcutsInitialCapacity = 256;
constexpr int32_t kPackagedInitialCapacity = 64;
constexpr uint64_t kAppIndexBlockSize = 65536;
constexpr size_t kPackagedNameMax = 511;
constexpr size_t kPackagedTargetMax = 1023;

struct ShortcutEntry {
    char16_t* name;       // file name without its extension and trailing white space
    char16_t* link_path;  // full path of the shortcut file
    uint32_t name_hash;   // of the ASCII-folded name
    uint32_t link_length;
    FuzzyText key;        // the name prepared for the searches (no folded copy when it did not fit)
};

struct PackagedAppEntry {
    char16_t* name;        // display name
    char16_t* app_target;  // "shell:AppsFolder\<AppUserModelID>" or the item's own "shell:" path
    IconHandle icon;       // owned by the index
    uint32_t target_length;
    FuzzyText key;
};

struct AppIndex {
    ShortcutEntry* shortcuts = nullptr;
    int32_t shortcut_count = 0;
    int32_t shortcut_capacity = 0;
    PackagedAppEntry* packaged = nullptr;
    int32_t packaged_count = 0;
    int32_t packaged_capacity = 0;
    // Open addressing over the shortcut names (slot = entry index + 1, 0 = free), so that the
    // uniqueness rule and the packaged-name filter do not compare every name with every other.
    int32_t* name_slots = nullptr;
    uint32_t name_slot_capacity = 0;  // a power of two, at least twice shortcut_capacity
    Arena* arena = nullptr;
    bool arena_ready = false;
    std::mutex lock;

    std::mutex builder_lock;  // guards the fields below (taken by start, build, clear)
    std::thread builder_thread;
    bool builder_held = false;
    WindowPost* notify_window = nullptr;
    uint32_t notify_message = 0;
};

AppIndex& app_index();

// Caller holds the lock.
bool app_index_ensure_arena(AppIndex& index);
// Adds a shortcut, or replaces the name and path of the entry that has the same name ignoring case.
void app_index_add_shortcut(AppIndex& index, std::u16string_view name, std::u16string_view link_path);
void app_index_add_packaged(AppIndex& index, std::u16string_view name, std::u16string_view target);
bool shortcut_name_exists(const AppIndex& index, const char16_t* name);
// Destroys the kept icons and releases the arena: the index is empty afterwards.
void app_index_reset(AppIndex& index);

// The Start Menu scan of one programs folder (depth 0), caller holds the lock.
void app_scan_start_menu(AppIndex& index, std::u16string_view root);

// The test hook that makes the next app_index_start fail to start its thread.
void app_index_fail_next_thread_start();
