// How often each kind of context-menu action was chosen (menu_usage.dat), so the menu can put the
// user's favourite actions first. 64 keys; when full, the key with the lowest count gives way.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

constexpr int32_t kMenuUsageMaxEntries = 64;
constexpr size_t kMenuUsageKeyCapacity = 128;  // 127 characters
constexpr int32_t kMenuUsageMaxCount = 1000000;

struct MenuUsageEntry {
    char16_t key[kMenuUsageKeyCapacity];
    int32_t count;
};

// "verb:<verb>", "pin", "copy:<label>", "copy:file" or "act:<kind>"; cut to fit.
void menu_usage_key(int32_t kind, const char16_t* label, const char16_t* verb, char16_t* out, size_t capacity);

// Reads menu_usage.dat once per process. A file that is there but cannot be read (locked, access
// denied) is never saved over: uses are counted in memory, and the next recorded use reads the file
// again and, once it reads, adds them to the file's counts before saving.
void menu_usage_load();
int32_t menu_usage_count(int32_t kind, const char16_t* label, const char16_t* verb);
// One more use; rewrites menu_usage.dat.
void menu_usage_record(int32_t kind, const char16_t* label, const char16_t* verb);

// The table itself (tests, tools, the fuzzer).
int32_t menu_usage_size();
const MenuUsageEntry* menu_usage_at(int32_t i);
// Empties the table and marks it unloaded.
void menu_usage_reset();
// Fills the (empty) table from the bytes of a menu_usage.dat.
void menu_usage_parse(std::string_view bytes);
// The file's bytes for the current table.
std::string menu_usage_serialize();
