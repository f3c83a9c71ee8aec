// The built-in catalog of Windows settings destinations (Settings app pages, Control Panel items
// and Control Panel task links) and the search over it.
#pragma once
#include <cstdint>
#include <span>

struct RowList;

enum SettingsType : uint8_t {
    kSettingsPage = 0,
    kSettingsControlPanelItem = 1,
    kSettingsTaskLink = 2,
};

struct SettingsEntry {
    const char16_t* name;
    const char16_t* area;
    const char16_t* target;     // "ms-settings:" URI, another URI scheme, or a command line
    const char16_t* alt_names;  // "|"-separated, or null
    const char16_t* keywords;   // "|"-separated lower-case words, or null
    uint8_t type;               // SettingsType
    int32_t min_build;          // first build that has the entry; 0 = no lower bound
    int32_t max_build;          // first build that no longer has it; 0 = no upper bound
};

// The constant table, in its fixed order.
std::span<const SettingsEntry> settings_catalog();

constexpr int32_t kSettingsNoCap = -1;

// Appends at most cap matching rows (kind 2, tag S), sorted by score; kSettingsNoCap keeps all.
// An empty or null query lists every entry the running build has, each scoring 100.
// Returns the number of rows appended.
int32_t search_settings(const char16_t* query, RowList* out, int32_t cap);

// The Windows build number, read from the registry once per process; 0 when unknown.
int32_t windows_build();

// Test and tool hooks: a non-zero override replaces the registry value for the build filter
// (negative: behave as if the build were unknown); reset forgets the cached registry read.
void settings_set_build_override(int32_t build);
void settings_reset_build_cache();

// The keyword rule on its own: every blank-separated word of query equals (ASCII case folded)
// one of the "|"-separated keywords.
bool settings_keywords_match(const char16_t* query, const char16_t* keywords);
