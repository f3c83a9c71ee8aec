// The context menu as a layer of the main view: opening it for the selected row (entries built,
// cached shell verbs merged at once, fresh ones asked for), rebuilding it after an action that
// changes its entries, and merging the verb thread's answers while the same menu is open.
// Window thread only.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "store/shell_verb.h"

struct Row;

// Forward on a row: opens its menu (nothing when a menu is open or there is no row).
void menu_open(const Row* row);
// Builds the open menu's entries again for its target row, keeping the verbs it had.
void menu_rebuild(const Row* target);
// An answer of the verb thread: merged only while the menu of that generation is open for the
// same target. icons_phase: the same verbs again, now with their icons.
void menu_on_verbs(int32_t generation, const char16_t* target, const ShellVerb* verbs, int32_t count, bool icons_phase);

// The file or folder whose shell verbs a row's menu offers: its target when that exists and is
// not a "shell:" item, else its path under the same test.
bool menu_verb_target(const Row* row, std::u16string* target, bool* is_directory);
// The verb-cache key of a target: "drive", "dir" or "file:" and its lower-case extension.
void menu_type_key(std::u16string_view target, bool is_directory, char16_t* out, size_t capacity);

// Fills the view's hooks for the menu and the folder scope.
void menu_scope_join();
