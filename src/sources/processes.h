// The kill command's rows: running processes filtered by executable name or id, a group row for
// every name that several of them share, the processes that are never ended, and the two
// terminate operations the actions run for a process row.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

struct RowList;

constexpr int32_t kKillRowCap = 20;         // process rows after the group rows
constexpr int32_t kServiceListCap = 512;    // service records read for processes that do not open
constexpr int32_t kServiceNameCap = 128;    // units, terminator included

struct ServicePid {
    uint32_t pid;
    char16_t name[kServiceNameCap];
};

// Appends the group rows, then at most 20 process rows (tag K); nothing when no process snapshot
// can be taken. Leading white space of the filter is skipped; an empty filter lists everything.
void kill_rows(const char16_t* filter, RowList* out);
// Ids 0 and 4, this process, a process without a name and the system's own executables.
bool process_is_protected(uint32_t pid, const char16_t* exe);
// Ends one process, checking on the very handle that ends it that it still runs the named
// executable; refuses when that cannot be checked. True when the process was ended.
bool kill_process(uint32_t pid, const char16_t* exe);
// Ends every unprotected process of the executable name; returns how many were ended.
int32_t kill_all_named(const char16_t* exe);
// Running services: (process id, service name) records, at most capacity; 0 on any failure.
int32_t service_pids(ServicePid* buf, int32_t capacity);
// The executable a service's "ImagePath" value names (read from the services key, expanded):
// false when there is none of 1 to 259 units.
bool service_image_path(const char16_t* service, std::u16string& out);
// The executable at the start of an expanded image path: a quoted path without its quotes, or
// the first space boundary that names an existing file, else the text up to its first blank.
bool image_path_executable(std::u16string_view value, std::u16string& out);

// Puts kill_rows into the search pipeline and the terminate operations into the action services.
void processes_join();
