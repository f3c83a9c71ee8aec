// The context menu of a row: which actions it offers, in which order, with which labels, details,
// targets and icons; the merge of Explorer verbs found later; ordering by how often each action
// was chosen. An entry is an ordinary Row whose kind is the action it runs.
//
// Entries that belong to modules built apart (uninstaller, terminal profiles, shell verbs) are
// reached through menu_services(); an empty service leaves its entries out. Window thread only.
#pragma once
#include <cstdint>
#include <string>

#include "store/shell_verb.h"

struct Row;
struct RowList;

constexpr char16_t kMenuMark[] = u" \u00B7 Kestrune";
constexpr int32_t kMenuMaxVerbs = 64;

// What the uninstaller knows about an installed program, found by its display name.
struct MenuUninstallInfo {
    std::u16string quiet_command;     // may be empty
    std::u16string install_location;  // may be empty
};

// The shell a folder opens in with "Open in Terminal".
struct MenuTerminalEntry {
    std::u16string display_name;
    std::u16string key;   // the terminal key: executable name, optionally "|" and a profile name
    std::u16string icon;  // icon file, may be empty
};

struct MenuServices {
    // uninstall_lookup: the entry of the installed program with that display name and uninstall
    // command (both: two programs may share a name).
    bool (*uninstall_lookup)(const char16_t* display_name, const char16_t* command, MenuUninstallInfo* out) = nullptr;
    // terminal_default_entry: the shell "Open in Terminal" uses; false when there is none.
    bool (*terminal_default_entry)(MenuTerminalEntry* out) = nullptr;
    // shell_verbs_list: the Explorer verbs of one item, listed now (without icons is fine).
    int32_t (*shell_verbs_list)(const char16_t* path, ShellVerb* out, int32_t max) = nullptr;
};
MenuServices& menu_services();

// The row's file: the first of its path, target and subtitle that exists on disk. False when none.
bool menu_row_file(const Row* row, std::u16string* file, bool* is_directory);

// Appends the entries for row to entries (a list with an arena), ordered by use among themselves.
// with_verbs lists the Explorer verbs of the row's file now (the launcher merges them later).
void menu_build(const Row* row, RowList* entries, bool with_verbs);
// Entries from index from on without an icon get their target's (when it exists) or the row's.
void menu_assign_icons(const Row* row, RowList* entries, int32_t from);
// Merges verbs for the row's file before the copy block, drops blocked and repeated verbs and
// verbs that double a built-in label, then orders the whole menu by use.
void menu_merge_verbs(const Row* row, RowList* entries, const ShellVerb* verbs, int32_t count);
// The first entry of that kind whose title equals label (ASCII case ignored) and, for verbs, whose
// argument equals verb; -1 when none (or no list).
int32_t menu_find_entry(const RowList* entries, int32_t kind, const char16_t* label, const char16_t* verb);
// Verb names never offered as entries (the built-in actions cover them).
bool menu_verb_blocked(const char16_t* verb);
