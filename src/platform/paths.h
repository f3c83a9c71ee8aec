// Path arithmetic with Win32 rules, shared by the fake world and portable code.
#pragma once
#include <string>
#include <string_view>

// "C:\a\..\b/c." -> "C:\b\c" style full path against cwd (an absolute "X:\..." folder).
// Returns false when the path cannot be resolved (empty, or no drive can be found).
bool path_resolve(std::u16string_view path, std::u16string_view cwd, std::u16string& out);
// The folder part ("C:\a\b" -> "C:\a", "C:\a" -> "C:\"); empty for a root.
std::u16string path_parent(std::u16string_view full);
// Joins a folder and a name with one backslash.
std::u16string path_join(std::u16string_view folder, std::u16string_view name);
bool path_is_root(std::u16string_view full);
