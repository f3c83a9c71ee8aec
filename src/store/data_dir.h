// Where the launcher keeps its files: KESTRUNE_DATA_DIR when set, else the roaming application-data
// folder's "Kestrune", else beside the executable. Resolving a path creates the folder (one level).
#pragma once
#include <cstddef>

constexpr size_t kDataPathCapacity = 260;  // MAX_PATH, terminator included

// Full path of a data file; 0 on success, -1 when no location fits (or there is no module path).
int data_file_path(const char16_t* name, char16_t* out, size_t capacity);
// The data directory (data_file_path of "quick_access.dat" up to its last backslash); -1 on failure
// or when it does not fit in capacity.
int data_dir_path(char16_t* out, size_t capacity);
// data_dir_path + backslash + name, as the options, usage and verb files are placed; 0 or -1.
int data_dir_file(const char16_t* name, char16_t* out, size_t capacity);

// After a legacy JSON file was imported and its .dat saved: moves it aside to "<json name>.bak".
// Failure is ignored; an existing .bak is left alone (the JSON file then stays where it is).
void legacy_file_retire(const char16_t* dat_name, const char16_t* json_name);
