// The result row every source fills and every view shows, and the list that holds rows.
#pragma once
#include <cstdint>

struct Arena;

// What running a row (or a context-menu entry) does. The numbers are fixed.
enum RowKind : int32_t {
    kKindInfo = 0,
    kKindOpen = 1,
    kKindSettings = 2,
    kKindProcess = 3,
    kKindExit = 4,
    kKindContainingFolder = 5,
    kKindOpenWith = 6,
    kKindRunAsAdmin = 7,
    kKindPinToggle = 8,
    kKindCopyText = 9,
    kKindCopyFile = 10,
    kKindShutdown = 11,
    kKindRestart = 12,
    kKindRestartAdvanced = 13,
    kKindLogOff = 14,
    kKindLock = 15,
    kKindSleep = 16,
    kKindHibernate = 17,
    kKindIndexingOptions = 18,
    kKindEmptyRecycleBin = 19,
    kKindOpenRecycleBin = 20,
    kKindRestartLauncher = 21,
    kKindReloadApps = 22,
    kKindOpenDataFolder = 23,
    kKindForget = 24,
    kKindOptStayOpen = 25,
    kKindOptHideOnFocus = 26,
    kKindOptRunAtLogon = 27,
    kKindUnused28 = 28,
    kKindOptNoCap = 29,
    kKindOptHotkey = 30,
    kKindOptIndexer = 31,
    kKindToolPage = 32,
    kKindUninstall = 33,
    kKindQuietUninstall = 34,
    kKindInstallLocation = 35,
    kKindOpenInTerminal = 36,
    kKindChooseShell = 37,
    kKindOptMonitor = 38,
    kKindMoveToMonitor = 39,
    kKindShellVerb = 40,
    kKindOptTheme = 41,
    kKindOptWidth = 42,
    kKindOptRows = 43,
};

// One-letter source tags.
namespace tag {
constexpr char kSettings = 'S';
constexpr char kCommand = 'C';
constexpr char kApp = 'A';
constexpr char kPackaged = 'T';
constexpr char kRecent = 'R';
constexpr char kPin = 'P';
constexpr char kDrive = 'D';
constexpr char kFolder = 'F';
constexpr char kEverything = 'E';
constexpr char kWindowsSearch = 'W';
constexpr char kProcess = 'K';
constexpr char kUtility = 'U';
constexpr char kExit = 'X';
constexpr char kHelp = 'H';
constexpr char kOption = 'O';
constexpr char kInfo = '?';
}  // namespace tag

struct Row {
    char16_t* title;
    char16_t* subtitle;
    char16_t* path;
    char16_t* target;
    char16_t* argument;
    char16_t* icon_source;
    int32_t number;
    int32_t kind;
    int32_t sub_kind;
    int32_t score;
    uint64_t size;
    int32_t has_size;
    uint64_t used_bytes;
    uint64_t total_bytes;
    int32_t has_usage;
    uint64_t modified;
    int32_t has_modified;
    int32_t is_folder;
    int32_t from_history;
    int32_t record_launch;
    int32_t state;
    char tag;
};

struct RowList {
    Row* items;
    int32_t count;
    int32_t capacity;
    Arena* arena;  // null: the array and the strings are heap blocks owned by the list
    int32_t view;  // the view a list travelling between threads was computed for
};

void rowlist_init(RowList* list, Arena* arena);
int rowlist_add(RowList* list, const Row* row);
// Makes room for `more` rows past count, so that adding them moves the array no more; 0, or -1
// with the list unchanged.
int rowlist_reserve(RowList* list, int32_t more);
int rowlist_add_fields(RowList* list, const char16_t* title, const char16_t* subtitle, const char16_t* path,
                       const char16_t* target, int32_t kind, int32_t score);
int row_clone(const Row* src, Row* dst, Arena* arena);
void row_free(Row* row);
void rowlist_free(RowList* list);
void rowlist_drop_array(RowList* list);
void rowlist_set_tag(RowList* list, int32_t from, char letter);
void rowlist_truncate(RowList* list, int32_t n);
void rowlist_sort_by_score(RowList* list);
void rowlist_sort_shortest_path(RowList* list);
void rowlist_dedup(RowList* list);
void rowlist_keep_folders(RowList* list);
int row_is_folder(const Row* row);
