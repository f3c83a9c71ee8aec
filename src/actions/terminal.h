// The shells a folder can be opened in: Windows Terminal and Windows Terminal Preview with each of
// their profiles, Windows PowerShell and Command Prompt; their icons; the user's default shell; and
// starting a shell in a folder. A shell choice is kept as a key: the executable's file name, and
// "|" and the profile name when there is one ("wt.exe|Ubuntu", "cmd.exe").
#pragma once
#include <cstddef>
#include <string_view>

#include "actions/terminal_json.h"

constexpr size_t kTerminalDisplayCap = 64;
constexpr size_t kTerminalPathCap = 260;

struct TerminalEntry {
    char16_t display[kTerminalDisplayCap];  // "Windows Terminal", "Terminal - Ubuntu", ...
    char16_t path[kTerminalPathCap];        // the executable's full path
    char16_t profile[kProfileNameCap];      // empty for a plain entry
    char16_t icon[kProfileIconCap];         // the profile's "icon" setting as written
    char16_t guid[kProfileGuidCap];
};

// The shells found on this machine, in the order they are offered; at most capacity (the launcher
// passes 40).
int terminal_entries(TerminalEntry* entries, int capacity);
// The profiles of a Windows Terminal executable from the first settings.json that has any.
int terminal_profiles(const char16_t* exe_name, const char16_t* exe_path, TerminalProfile* profiles, int capacity);
// The icon source of an entry: a file path or a "shell:AppsFolder\..." target.
void terminal_entry_icon(const TerminalEntry& entry, char16_t* out, size_t capacity);
void terminal_entry_key(const TerminalEntry& entry, char16_t* out, size_t capacity);
// The file-name part of the entry's path; empty when it has none.
std::u16string_view terminal_entry_exe_name(const TerminalEntry& entry);
bool terminal_key_parse(const char16_t* key, char16_t* exe, size_t exe_capacity, char16_t* profile, size_t profile_capacity);

// The default shell (process-wide; the options store reads and writes it as the "terminal" key).
void terminal_default_set(const char16_t* key);
// The default's key, taking the first shell found as the default when none is set.
bool terminal_default_key(char16_t* out, size_t capacity);
bool terminal_default_entry(TerminalEntry* out);
// Forgets the default (tests).
void terminal_default_clear();

// Starts the shell of the key in the folder; true when it was started.
bool terminal_open(const char16_t* key, const char16_t* folder);
// The install folder of the Windows Terminal package that holds the executable.
bool package_path(const char16_t* exe_name, char16_t* out, size_t capacity);

// Joins the options hooks and the "Open in Terminal" action. Must run before the options load.
void terminal_join();
