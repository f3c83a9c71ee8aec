// The bounded walk of a folder tree for a scoped search that no indexer can answer: depth-first in
// listing order, never through junctions or symbolic links, and ended early (keeping what it
// found) after 100000 folders, 20000 rows, 8 seconds or a stale request.
#pragma once
#include <cstdint>

struct RowList;

constexpr uint32_t kWalkMaxFolders = 100000;
constexpr uint32_t kWalkMaxRows = 20000;
constexpr uint64_t kWalkMaxMs = 8000;
constexpr uint32_t kWalkClockEvery = 64;  // folders between two looks at the clock
constexpr uint32_t kWalkPathCap = 268;    // units of a path with its trailing backslash and terminator

struct WalkState {
    uint32_t dirs_visited;
    uint32_t rows_found;
    uint64_t started_at;
    int32_t stopped;
};

// Appends a child-style row (tag F, scored against name with tiers 110/100/85) for every entry
// below folder whose name matches name. Nothing when either is empty.
void walk_folder(const char16_t* folder, const char16_t* name, RowList* out, int32_t generation);
// The same, returning the walk's final state (tests and benchmarks look at the bounds).
WalkState walk_folder_state(const char16_t* folder, const char16_t* name, RowList* out, int32_t generation);
