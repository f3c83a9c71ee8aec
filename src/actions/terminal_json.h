// Windows Terminal's settings.json, read tolerantly: comments, trailing commas and white space
// anywhere between tokens are accepted, as Windows Terminal itself accepts them. Only the profiles'
// "name", "icon", "guid" and "hidden" members are read.
#pragma once
#include <cstddef>
#include <string_view>

constexpr size_t kProfileNameCap = 64;
constexpr size_t kProfileIconCap = 512;
constexpr size_t kProfileGuidCap = 64;

struct TerminalProfile {
    char16_t name[kProfileNameCap];
    char16_t icon[kProfileIconCap];
    char16_t guid[kProfileGuidCap];
};

// The visible profiles of "profiles" → "list" in file order, names unique ignoring case (the first
// wins), at most capacity of them. A file without that shape gives 0.
int terminal_json_profiles(std::string_view text, TerminalProfile* profiles, int capacity);
