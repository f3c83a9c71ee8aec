// Every user preference, one process-wide record loaded from settings.dat (section "set") and
// written back whole after every change. Keys it does not know are kept in file order; keys it
// knows to be obsolete are dropped. A one-time migration reads an older settings.json.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>

// The numbers are the ids of the indexer backends.
enum OptionsIndexer : int32_t { kIndexerEverything = 0, kIndexerWindowsSearch = 1 };
enum OptionsMonitor : int32_t { kMonitorPrimary = 0, kMonitorCursor = 1, kMonitorRemember = 2 };

constexpr int32_t kUiWidthMin = 640, kUiWidthMax = 1024, kUiWidthDefault = 768;
constexpr int32_t kUiRowsMin = 3, kUiRowsMax = 15, kUiRowsDefault = 7;
constexpr int32_t kOptionsMaxExtraKeys = 32;
constexpr size_t kMonitorDevCapacity = 32;  // 31 characters
constexpr size_t kTerminalCapacity = 260;

struct OptionsExtraKey {
    char key[128];  // ASCII only
    char16_t* value;  // heap copy
};

struct Options {
    int32_t stay_open;
    // Read by the search workers while searching: whole 32-bit values, changed on the window thread.
    std::atomic<int32_t> uncapped;
    int32_t hide_on_focus;
    std::atomic<int32_t> indexer;  // OptionsIndexer
    char16_t terminal[kTerminalCapacity];  // as stored; the terminal module interprets it
    int32_t hotkey_mod;
    int32_t hotkey_vk;
    int32_t monitor;  // OptionsMonitor
    int32_t ui_width;
    int32_t ui_rows;
    int32_t theme;  // Theme (ui/theme_names.h)
    int32_t monitor_x;
    int32_t monitor_y;
    char16_t monitor_dev[kMonitorDevCapacity];
    int32_t spot_remembered;
    std::atomic<int32_t> folders_only;  // the Ctrl+F filter; never saved
    OptionsExtraKey extra[kOptionsMaxExtraKeys];
    int32_t extra_count;
    int32_t extra_keys_lost;
    int32_t obsolete_seen;
};

const Options& options();

// Reads settings.dat (or migrates settings.json); call once at start-up.
void options_load();
// Writes settings.dat from the record; false when the save failed (the record keeps its values).
bool options_save();
// Back to the defaults with no extra keys (start-up state; tests).
void options_reset();

void options_toggle_stay_open();
void options_toggle_hide_on_focus();
// Flips, saves, then flushes the query cache (and with it the history) so the next search is fresh.
void options_toggle_uncapped();
// Flips, saves, selects the indexer and moves the cache generation on.
void options_toggle_indexer();
// Sets without saving, selects the indexer and moves the cache generation on.
void options_set_indexer(int32_t indexer);
// Flips the folders-only filter and moves the cache generation on; nothing is saved.
void options_toggle_folders_only();
// Leaves or enters folders-only mode; moves the cache generation on when it changed.
void options_set_folders_only(bool on);
// Remembers the window's spot (device name cut to 31 characters); does not save.
void options_set_spot(int32_t x, int32_t y, const char16_t* device);
bool options_get_spot(int32_t* x, int32_t* y, char16_t* device, size_t capacity);
// Whether the window stays up after a successful action of this kind.
bool options_stays_open_after(int32_t kind);

// Field setters for the hotkey capture, the options view and the terminal chooser. They clamp like
// the loader but do not save: the caller calls options_save() afterwards.
void options_set_hotkey(int32_t mod, int32_t vk);  // vk 0 becomes 32
void options_set_monitor(int32_t monitor);
void options_set_theme(int32_t theme);
void options_set_ui_width(int32_t width);
void options_set_ui_rows(int32_t rows);
void options_set_terminal(const char16_t* key);

// Plain getters.
inline bool options_stay_open() { return options().stay_open != 0; }
inline bool options_uncapped() { return options().uncapped.load(std::memory_order_relaxed) != 0; }
inline bool options_hide_on_focus() { return options().hide_on_focus != 0; }
inline int32_t options_indexer() { return options().indexer.load(std::memory_order_relaxed); }
inline const char16_t* options_terminal() { return options().terminal; }
inline int32_t options_hotkey_mod() { return options().hotkey_mod; }
inline int32_t options_hotkey_vk() { return options().hotkey_vk; }
inline int32_t options_monitor() { return options().monitor; }
inline int32_t options_ui_width() { return options().ui_width; }
inline int32_t options_ui_rows() { return options().ui_rows; }
inline int32_t options_theme() { return options().theme; }
inline bool options_folders_only() { return options().folders_only.load(std::memory_order_relaxed) != 0; }

// Hooks the other modules install at start-up; each is a no-op while unset.
// The pipeline switches its indexer backend here.
using OptionsIndexerSelectFn = void (*)(int32_t indexer);
extern std::atomic<OptionsIndexerSelectFn> options_indexer_select_hook;
// The terminal module takes the stored text on load (terminal_default_set) and hands back the
// current key at save time (terminal_default_key). Unset, the stored text is kept and written back.
using OptionsTerminalSetFn = void (*)(const char16_t* stored);
using OptionsTerminalKeyFn = bool (*)(char16_t* out, size_t capacity);
extern std::atomic<OptionsTerminalSetFn> options_terminal_set_hook;
extern std::atomic<OptionsTerminalKeyFn> options_terminal_key_hook;
