#include "sources/app_index.h"

#include <atomic>
#include <cstring>
#include <string>
#include <system_error>
#include <vector>

#include "core/arena.h"
#include "core/text.h"
#include "platform/platform.h"
#include "query/cache_generation.h"
#include "sources/app_index_data.h"

namespace {

AppIndex g_index;
std::atomic<bool> g_fail_next_thread_start{false};

constexpr std::u16string_view kAppsFolderPrefix = u"shell:AppsFolder\\";

uint32_t name_hash(std::u16string_view name) {
    uint32_t h = 2166136261u;
    for (char16_t c : name) {
        h ^= text_fold(c);
        h *= 16777619u;
    }
    return h;
}

// Measured on the stored copy, which ends at the first NUL whatever the source text held. Index
// strings are far below 4 GiB units (paths are cut at 268, packaged texts at 1023).
uint32_t stored_length(const char16_t* s) { return static_cast<uint32_t>(text_len(s)); }

FuzzyText name_key(AppIndex& ix, const char16_t* name) { return fuzzy_prepare(name, text_len(name), ix.arena); }

// The slot that holds the entry named `name`, or the free slot where it would go.
uint32_t find_slot(const AppIndex& ix, std::u16string_view name, uint32_t hash) {
    uint32_t mask = ix.name_slot_capacity - 1;
    for (uint32_t slot = hash & mask;; slot = (slot + 1) & mask) {
        int32_t at = ix.name_slots[slot];
        if (at == 0) return slot;
        const ShortcutEntry& e = ix.shortcuts[at - 1];
        if (e.name_hash == hash && text_equal_ci(text_view(e.name), name)) return slot;
    }
}

// Doubles the shortcut array and rebuilds the name table beside it; false when the arena is out
// of room (the index stays as it was).
bool grow_shortcuts(AppIndex& ix) {
    if (ix.shortcut_capacity > INT32_MAX / 4) return false;
    int32_t cap = ix.shortcut_capacity ? ix.shortcut_capacity * 2 : kShortcutsInitialCapacity;
    uint32_t slots = static_cast<uint32_t>(cap) * 2;
    auto* grown = arena_new_array<ShortcutEntry>(ix.arena, static_cast<uint64_t>(cap));
    auto* table = arena_new_array<int32_t>(ix.arena, slots);
    if (!grown || !table) return false;
    if (ix.shortcut_count) std::memcpy(grown, ix.shortcuts, sizeof(ShortcutEntry) * static_cast<size_t>(ix.shortcut_count));
    std::memset(table, 0, sizeof(int32_t) * slots);
    ix.shortcuts = grown;
    ix.shortcut_capacity = cap;
    ix.name_slots = table;
    ix.name_slot_capacity = slots;
    for (int32_t i = 0; i < ix.shortcut_count; ++i) {
        const ShortcutEntry& e = ix.shortcuts[i];
        ix.name_slots[find_slot(ix, text_view(e.name), e.name_hash)] = i + 1;
    }
    return true;
}

bool grow_packaged(AppIndex& ix) {
    if (ix.packaged_capacity > INT32_MAX / 2) return false;
    int32_t cap = ix.packaged_capacity ? ix.packaged_capacity * 2 : kPackagedInitialCapacity;
    auto* grown = arena_new_array<PackagedAppEntry>(ix.arena, static_cast<uint64_t>(cap));
    if (!grown) return false;
    if (ix.packaged_count) std::memcpy(grown, ix.packaged, sizeof(PackagedAppEntry) * static_cast<size_t>(ix.packaged_count));
    ix.packaged = grown;
    ix.packaged_capacity = cap;
    return true;
}

void destroy_icon(IconHandle icon) {
    if (icon && platform().apps_folder) platform().apps_folder->destroy_icon(icon);
}

// A packaged item as the index keeps it: the display name cut to its limit, and the launch target.
// A target too long to keep whole is dropped rather than cut (a cut target would start nothing).
bool packaged_entry_texts(const PackagedApp& app, std::u16string_view& name, std::u16string& target) {
    name = app.name;
    if (name.size() > kPackagedNameMax) name = name.substr(0, kPackagedNameMax);
    if (name.empty() || app.parsing_name.empty()) return false;
    if (text_starts_with_ci(std::u16string_view(app.parsing_name), u"shell:")) target = app.parsing_name;
    else target = std::u16string(kAppsFolderPrefix) + app.parsing_name;
    return target.size() <= kPackagedTargetMax;
}

void scan_start_menus(AppIndex& ix) {
    std::lock_guard<std::mutex> lock(ix.lock);
    app_index_reset(ix);
    if (!app_index_ensure_arena(ix) || !platform().files) return;
    // The per-user folder first: an all-users shortcut of the same name then takes its place.
    for (KnownFolder id : {KnownFolder::Programs, KnownFolder::CommonPrograms}) {
        std::u16string root = os_files().known_folder(id);
        if (!root.empty()) app_scan_start_menu(ix, root);
    }
}

// The shell can be slow to list its apps, so the lock is taken only to append the finished batch.
void add_packaged_apps(AppIndex& ix) {
    if (!platform().apps_folder) return;
    std::vector<PackagedApp> apps;
    os_apps_folder().enumerate(apps);
    if (apps.empty()) return;
    std::lock_guard<std::mutex> lock(ix.lock);
    if (!app_index_ensure_arena(ix)) return;
    std::u16string target;
    for (const PackagedApp& app : apps) {
        std::u16string_view name;
        if (packaged_entry_texts(app, name, target)) app_index_add_packaged(ix, name, target);
    }
}

void build_now(AppIndex& ix) {
    scan_start_menus(ix);
    add_packaged_apps(ix);
}

void builder_main(WindowPost* notify_window, uint32_t notify_message) {
    build_now(g_index);
    if (notify_window) notify_window->post(notify_message, 0, nullptr);
}

// Caller holds builder_lock.
void join_builder(AppIndex& ix) {
    if (ix.builder_thread.joinable()) ix.builder_thread.join();
    ix.builder_held = false;
}

}  // namespace

AppIndex& app_index() { return g_index; }

bool app_index_ensure_arena(AppIndex& ix) {
    if (!ix.arena_ready) {
        ix.arena = arena_create(kAppIndexBlockSize);
        ix.arena_ready = ix.arena != nullptr;
    }
    return ix.arena_ready;
}

void app_index_add_shortcut(AppIndex& ix, std::u16string_view name, std::u16string_view link_path) {
    if (name.empty() || !app_index_ensure_arena(ix)) return;
    uint32_t hash = name_hash(name);
    if (ix.name_slot_capacity) {
        uint32_t slot = find_slot(ix, name, hash);
        if (int32_t at = ix.name_slots[slot]) {
            char16_t* n = text_copy_view(name, ix.arena);
            char16_t* p = text_copy_view(link_path, ix.arena);
            if (!n || !p) return;
            ShortcutEntry& e = ix.shortcuts[at - 1];
            e.name = n;
            e.link_path = p;
            e.link_length = stored_length(p);
            e.key = name_key(ix, n);
            return;
        }
    }
    if (ix.shortcut_count == ix.shortcut_capacity && !grow_shortcuts(ix)) return;
    char16_t* n = text_copy_view(name, ix.arena);
    char16_t* p = text_copy_view(link_path, ix.arena);
    if (!n || !p) return;
    ix.shortcuts[ix.shortcut_count] =
        ShortcutEntry{n, p, hash, stored_length(p), name_key(ix, n)};
    ix.name_slots[find_slot(ix, name, hash)] = ++ix.shortcut_count;
}

void app_index_add_packaged(AppIndex& ix, std::u16string_view name, std::u16string_view target) {
    if (name.empty() || target.empty() || !app_index_ensure_arena(ix)) return;
    if (ix.packaged_count == ix.packaged_capacity && !grow_packaged(ix)) return;
    char16_t* n = text_copy_view(name, ix.arena);
    char16_t* t = text_copy_view(target, ix.arena);
    if (!n || !t) return;
    ix.packaged[ix.packaged_count++] =
        PackagedAppEntry{n, t, nullptr, stored_length(t), name_key(ix, n)};
}

bool shortcut_name_exists(const AppIndex& ix, const char16_t* name) {
    if (!name || !*name || !ix.name_slot_capacity) return false;
    std::u16string_view n(name);
    return ix.name_slots[find_slot(ix, n, name_hash(n))] != 0;
}

void app_index_reset(AppIndex& ix) {
    for (int32_t i = 0; i < ix.packaged_count; ++i) destroy_icon(ix.packaged[i].icon);
    if (ix.arena) arena_destroy(ix.arena);
    ix.arena = nullptr;
    ix.arena_ready = false;
    ix.shortcuts = nullptr;
    ix.shortcut_count = ix.shortcut_capacity = 0;
    ix.packaged = nullptr;
    ix.packaged_count = ix.packaged_capacity = 0;
    ix.name_slots = nullptr;
    ix.name_slot_capacity = 0;
}

void app_index_fail_next_thread_start() { g_fail_next_thread_start.store(true); }

void app_index_start(WindowPost* notify_window, uint32_t notify_message) {
    AppIndex& ix = g_index;
    std::lock_guard<std::mutex> builder(ix.builder_lock);
    if (ix.builder_held) return;
    ix.notify_window = notify_window;
    ix.notify_message = notify_message;
    if (!g_fail_next_thread_start.exchange(false)) {
        try {
            ix.builder_thread = std::thread(builder_main, notify_window, notify_message);
            ix.builder_held = true;
            return;
        } catch (const std::system_error&) {
            // no thread to be had: build here instead
        }
    }
    build_now(ix);
}

void app_index_build() {
    AppIndex& ix = g_index;
    std::lock_guard<std::mutex> builder(ix.builder_lock);
    join_builder(ix);  // two builds at once would both append the packaged apps
    build_now(ix);
}

void app_index_clear() {
    AppIndex& ix = g_index;
    {
        std::lock_guard<std::mutex> builder(ix.builder_lock);
        join_builder(ix);
    }
    std::lock_guard<std::mutex> lock(ix.lock);
    app_index_reset(ix);
}

void app_index_reload() {
    app_index_clear();
    app_index_build();
    cache_generation_bump();
}

IconHandle app_index_icon_get(const char16_t* target) {
    if (!target || !*target) return nullptr;
    AppIndex& ix = g_index;
    std::lock_guard<std::mutex> lock(ix.lock);
    for (int32_t i = 0; i < ix.packaged_count; ++i) {
        if (text_compare_ci(ix.packaged[i].app_target, target) == 0) return ix.packaged[i].icon;
    }
    return nullptr;
}

void app_index_icon_put(const char16_t* target, IconHandle icon) {
    if (!icon) return;
    AppIndex& ix = g_index;
    std::lock_guard<std::mutex> lock(ix.lock);
    if (target && *target) {
        for (int32_t i = 0; i < ix.packaged_count; ++i) {
            PackagedAppEntry& e = ix.packaged[i];
            if (text_compare_ci(e.app_target, target) != 0) continue;
            if (e.icon != icon) destroy_icon(e.icon);  // the same handle twice must stay alive
            e.icon = icon;
            return;
        }
    }
    destroy_icon(icon);
}

AppIndexCounts app_index_counts() {
    AppIndex& ix = g_index;
    std::lock_guard<std::mutex> lock(ix.lock);
    return AppIndexCounts{ix.shortcut_count, ix.packaged_count};
}
