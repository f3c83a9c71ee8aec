// Drives and folder listings as rows: one row per drive letter present (tag D), one row per entry
// of a folder (tag F), and the probe that asks the active indexer whether it knows a folder.
#pragma once
#include <cstdint>
#include <string_view>

#include "platform/files.h"

struct RowList;

constexpr size_t kDriveTitleCap = 275;  // units of a drive row's title
constexpr size_t kChildPathCap = 267;   // units of a child row's path

// The name shown for a drive without a label, by GetDriveTypeW result.
const char16_t* drive_type_name(uint32_t type);

// One row per present drive letter, A to Z.
void list_drives(RowList* out);
// One row per entry of folder (which ends with a backslash); nothing for an empty or unreadable
// folder. An entry whose full path would be longer than kChildPathCap is left out, since a cut
// path would name another file.
void list_children(const char16_t* folder, RowList* out);
// Appends the child row of one folder entry with the given score; path is folder and name already
// joined. -1 when the row's strings cannot be stored.
int child_row_add(RowList* out, const FileEntry& entry, std::u16string_view path, int32_t score);
// 1 when the active indexer finds a name that certainly exists in folder, or when that cannot be
// asked (no argument, an unreadable or empty folder, no indexer); 0 when it certainly does not.
int folder_is_indexed(const char16_t* folder, int32_t generation);

// Puts the drive and folder sources (walk included) into the pipeline's table.
void drives_join_pipeline();
