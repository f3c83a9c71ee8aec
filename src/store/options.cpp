#include "store/options.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "core/arena.h"
#include "core/row.h"
#include "core/text.h"
#include "platform/platform.h"
#include "query/cache_generation.h"
#include "store/data_dir.h"
#include "store/data_file.h"
#include "store/field_cut.h"
#include "ui/theme_names.h"

std::atomic<OptionsIndexerSelectFn> options_indexer_select_hook{nullptr};
std::atomic<OptionsTerminalSetFn> options_terminal_set_hook{nullptr};
std::atomic<OptionsTerminalKeyFn> options_terminal_key_hook{nullptr};

namespace {

constexpr uint64_t kLoadBlockSize = 4 * 1024;
constexpr size_t kJsonPrefix = 255;
// Fixed keys of the "set" section; the rest of its 16 lines can carry extra keys.
constexpr int32_t kFixedKeys = 11;
constexpr int32_t kSpotKeys = 3;

Options g_options;
// settings.dat exists but could not be read (locked, access denied, out of memory), or it is missing
// and settings.json cannot be read: saving now would replace the user's settings with defaults (or
// stop the migration for good). Every save first reads the file again; nothing is written until
// that succeeds, so changes made meanwhile live in memory only and are lost if the file never
// becomes readable before the launcher exits.
bool g_read_failed = false;
// A copy failed while settings.dat was applied: the record does not hold the whole file.
bool g_load_out_of_memory = false;

// The saved fields as plain values: the record as a failed read left it, to tell later which
// fields the user changed.
struct SavedFields {
    int32_t stay_open, uncapped, hide_on_focus, indexer;
    char16_t terminal[kTerminalCapacity];
    int32_t hotkey_mod, hotkey_vk, monitor, ui_width, ui_rows, theme, monitor_x, monitor_y;
    char16_t monitor_dev[kMonitorDevCapacity];
    int32_t spot_remembered;
};
SavedFields g_at_failed_read{};

void free_extras() {
    for (int32_t i = 0; i < g_options.extra_count; ++i) text_free(g_options.extra[i].value);
    g_options.extra_count = 0;
}

void set_defaults() {
    Options& o = g_options;
    o.stay_open = 0;
    o.uncapped.store(0);
    o.hide_on_focus = 1;
    o.indexer.store(kIndexerWindowsSearch);
    o.terminal[0] = 0;
    o.hotkey_mod = 1;
    o.hotkey_vk = 32;
    o.monitor = kMonitorPrimary;
    o.ui_width = kUiWidthDefault;
    o.ui_rows = kUiRowsDefault;
    o.theme = kThemeDark;
    o.monitor_x = 0;
    o.monitor_y = 0;
    o.monitor_dev[0] = 0;
    o.spot_remembered = 0;
    o.folders_only.store(0);
    o.extra_keys_lost = 0;
    o.obsolete_seen = 0;
}

bool equal_ascii_ci(std::u16string_view s, std::u16string_view word) { return text_equal_ci(s, word); }

int32_t parse_bool(const char16_t* v) {
    std::u16string_view s = text_view(v);
    return (s == u"1" || equal_ascii_ci(s, u"true")) ? 1 : 0;
}

int32_t parse_monitor(const char16_t* v) {
    std::u16string_view s = text_view(v);
    if (equal_ascii_ci(s, u"cursor")) return kMonitorCursor;
    if (equal_ascii_ci(s, u"remember") || equal_ascii_ci(s, u"last")) return kMonitorRemember;
    return kMonitorPrimary;
}

const char16_t* monitor_name(int32_t m) {
    return m == kMonitorCursor ? u"cursor" : m == kMonitorRemember ? u"remember" : u"primary";
}

bool is_obsolete(std::u16string_view key) {
    return key.substr(0, 3) == u"sc_" || key == u"restore_last" || key == u"ui_rowh" || key == u"ui_fontscale";
}

void keep_extra(std::u16string_view key, const char16_t* value) {
    Options& o = g_options;
    char narrow[sizeof o.extra[0].key];
    size_t n = 0;
    for (char16_t c : key) {
        if (c > 0x7F) {
            o.extra_keys_lost = 1;
            return;
        }
        if (n + 1 < sizeof narrow) narrow[n++] = static_cast<char>(c);
    }
    narrow[n] = 0;
    for (int32_t i = 0; i < o.extra_count; ++i) {
        if (std::strcmp(o.extra[i].key, narrow) != 0) continue;
        char16_t* copy = text_copy(value ? value : u"", nullptr);
        if (!copy) {
            g_load_out_of_memory = true;
            return;
        }
        text_free(o.extra[i].value);
        o.extra[i].value = copy;
        return;
    }
    if (o.extra_count >= kOptionsMaxExtraKeys) {
        o.extra_keys_lost = 1;
        return;
    }
    char16_t* copy = text_copy(value ? value : u"", nullptr);
    if (!copy) {
        g_load_out_of_memory = true;
        return;
    }
    OptionsExtraKey& e = o.extra[o.extra_count++];
    std::memcpy(e.key, narrow, n + 1);
    e.value = copy;
}

int32_t clamp_width(int32_t w) { return std::clamp(w, kUiWidthMin, kUiWidthMax); }
int32_t clamp_rows(int32_t r) { return std::clamp(r, kUiRowsMin, kUiRowsMax); }

void apply_section(void*, const char16_t* section, int32_t count, const KeyValue* pairs) {
    if (std::u16string_view(section) != u"set") return;
    Options& o = g_options;
    for (int32_t i = 0; i < count; ++i) {
        std::u16string_view key = text_view(pairs[i].key);
        const char16_t* v = pairs[i].value;
        if (key == u"stay_open") o.stay_open = parse_bool(v);
        else if (key == u"uncapped") o.uncapped.store(parse_bool(v));
        else if (key == u"hide_on_focus") o.hide_on_focus = parse_bool(v);
        else if (key == u"indexer") o.indexer.store(equal_ascii_ci(text_view(v), u"everything") ? kIndexerEverything : kIndexerWindowsSearch);
        else if (key == u"terminal") {
            field_copy(o.terminal, kTerminalCapacity, text_view(v));
            if (OptionsTerminalSetFn set = options_terminal_set_hook.load()) set(o.terminal);
        } else if (key == u"hotkey_mod") o.hotkey_mod = datafile_parse_int(v);
        else if (key == u"hotkey_vk") o.hotkey_vk = datafile_parse_int(v);
        else if (key == u"monitor") o.monitor = parse_monitor(v);
        else if (key == u"ui_width") o.ui_width = datafile_parse_int(v);
        else if (key == u"ui_rows") o.ui_rows = datafile_parse_int(v);
        else if (key == u"theme") o.theme = theme_parse(text_view(v));
        else if (key == u"monitor_x") o.monitor_x = datafile_parse_int(v);
        else if (key == u"monitor_y") o.monitor_y = datafile_parse_int(v);
        else if (key == u"monitor_dev") {
            field_copy(o.monitor_dev, kMonitorDevCapacity, text_view(v));
            if (o.monitor_dev[0]) o.spot_remembered = 1;
        } else if (is_obsolete(key)) o.obsolete_seen = 1;
        else keep_extra(key, v);
    }
    if (o.hotkey_vk == 0) o.hotkey_vk = 32;
    o.ui_width = clamp_width(o.ui_width);
    o.ui_rows = clamp_rows(o.ui_rows);
}

bool settings_path(char16_t (&path)[kDataPathCapacity], const char16_t* name) {
    return data_dir_file(name, path, kDataPathCapacity) == 0;
}

void select_indexer() {
    if (OptionsIndexerSelectFn select = options_indexer_select_hook.load()) select(g_options.indexer.load());
}

void migrate_json(const std::string& text) {
    std::string_view head = std::string_view(text).substr(0, kJsonPrefix);
    size_t colon = head.find(':');
    if (colon == std::string_view::npos) return;
    size_t p = colon + 1;
    while (p < head.size() && (head[p] == ' ' || head[p] == '\t')) ++p;
    std::string_view rest = head.substr(p);
    g_options.stay_open = (rest.substr(0, 4) == "true" || rest.substr(0, 1) == "1") ? 1 : 0;
}

// The record holds the defaults before anything reads it.
const bool g_defaults_set = (set_defaults(), true);

// The terminal as a save would write it: the terminal module's current key when it is installed.
void refresh_terminal() {
    char16_t terminal[kTerminalCapacity];
    OptionsTerminalKeyFn key = options_terminal_key_hook.load();
    if (key && key(terminal, kTerminalCapacity)) {
        terminal[kTerminalCapacity - 1] = 0;
        field_copy(g_options.terminal, kTerminalCapacity, terminal);
    }
}

SavedFields capture() {
    refresh_terminal();
    const Options& o = g_options;
    SavedFields f{};
    f.stay_open = o.stay_open, f.uncapped = o.uncapped.load(), f.hide_on_focus = o.hide_on_focus;
    f.indexer = o.indexer.load();
    field_copy(f.terminal, kTerminalCapacity, text_view(o.terminal));
    f.hotkey_mod = o.hotkey_mod, f.hotkey_vk = o.hotkey_vk, f.monitor = o.monitor;
    f.ui_width = o.ui_width, f.ui_rows = o.ui_rows, f.theme = o.theme;
    f.monitor_x = o.monitor_x, f.monitor_y = o.monitor_y;
    field_copy(f.monitor_dev, kMonitorDevCapacity, text_view(o.monitor_dev));
    f.spot_remembered = o.spot_remembered;
    return f;
}

// Puts the fields of `to` that differ from `base` into the record (all of them when base is null).
void apply_fields(const SavedFields* base, const SavedFields& to) {
    Options& o = g_options;
    auto changed = [&](auto member) { return !base || base->*member != to.*member; };
    if (changed(&SavedFields::stay_open)) o.stay_open = to.stay_open;
    if (changed(&SavedFields::uncapped)) o.uncapped.store(to.uncapped);
    if (changed(&SavedFields::hide_on_focus)) o.hide_on_focus = to.hide_on_focus;
    if (changed(&SavedFields::indexer)) o.indexer.store(to.indexer);
    if (!base || std::u16string_view(base->terminal) != to.terminal) {
        field_copy(o.terminal, kTerminalCapacity, text_view(to.terminal));
        if (OptionsTerminalSetFn set = options_terminal_set_hook.load()) set(o.terminal);
    }
    if (changed(&SavedFields::hotkey_mod)) o.hotkey_mod = to.hotkey_mod;
    if (changed(&SavedFields::hotkey_vk)) o.hotkey_vk = to.hotkey_vk;
    if (changed(&SavedFields::monitor)) o.monitor = to.monitor;
    if (changed(&SavedFields::ui_width)) o.ui_width = to.ui_width;
    if (changed(&SavedFields::ui_rows)) o.ui_rows = to.ui_rows;
    if (changed(&SavedFields::theme)) o.theme = to.theme;
    // The remembered spot is one thing: position and monitor go together.
    bool spot = !base || base->spot_remembered != to.spot_remembered || base->monitor_x != to.monitor_x ||
                base->monitor_y != to.monitor_y || std::u16string_view(base->monitor_dev) != to.monitor_dev;
    if (spot) {
        o.monitor_x = to.monitor_x, o.monitor_y = to.monitor_y, o.spot_remembered = to.spot_remembered;
        field_copy(o.monitor_dev, kMonitorDevCapacity, text_view(to.monitor_dev));
    }
}

enum class Loaded { kFile, kJson, kNothing, kFailed };

// Applies settings.dat onto the record, or, when there is none, the stay_open flag of settings.json.
Loaded read_settings(const char16_t* dat) {
    Arena* temp = arena_create(kLoadBlockSize);
    uint32_t rc = win::kErrNotEnoughMemory;
    g_load_out_of_memory = false;
    if (temp) {
        datafile_read(dat, temp, nullptr, apply_section, &rc);
        arena_destroy(temp);
    }
    if (rc == win::kOk && g_load_out_of_memory) rc = win::kErrNotEnoughMemory;
    if (rc != win::kErrFileNotFound && rc != win::kErrPathNotFound) return datafile_unreadable(rc) ? Loaded::kFailed : Loaded::kFile;
    char16_t json[kDataPathCapacity];
    if (!settings_path(json, u"settings.json")) return Loaded::kNothing;
    std::string text;
    uint32_t jrc = os_files().read(json, text, kDataFileMaxBytes);
    if (jrc != win::kOk) return datafile_unreadable(jrc) ? Loaded::kFailed : Loaded::kNothing;
    migrate_json(text);
    return Loaded::kJson;
}

// Before a save after a failed read: reads the file again. When it reads, the record takes the
// file's values except for the fields changed since the failed read, which keep the user's
// values. False (record unchanged) while it still cannot be read.
bool retry_failed_read(const char16_t* dat, bool* migrated) {
    SavedFields now = capture();
    apply_fields(nullptr, g_at_failed_read);
    free_extras();
    g_options.extra_keys_lost = 0;
    g_options.obsolete_seen = 0;
    Loaded l = read_settings(dat);
    if (l == Loaded::kFailed) {
        free_extras();
        apply_fields(nullptr, now);
        return false;
    }
    apply_fields(&g_at_failed_read, now);
    g_read_failed = false;
    *migrated = l == Loaded::kJson;
    if (g_options.indexer.load() != now.indexer) {
        select_indexer();
        cache_generation_bump();
    }
    if (g_options.uncapped.load() != now.uncapped) query_cache_flush();
    return true;
}

}  // namespace

const Options& options() { return g_options; }

void options_reset() {
    free_extras();
    set_defaults();
    g_read_failed = false;
}

void options_load() {
    free_extras();
    g_options.extra_keys_lost = 0;
    g_options.obsolete_seen = 0;
    g_read_failed = false;
    char16_t path[kDataPathCapacity];
    if (!settings_path(path, u"settings.dat")) return;
    switch (read_settings(path)) {
        case Loaded::kFailed:
            free_extras();
            g_read_failed = true;
            g_at_failed_read = capture();
            return;
        case Loaded::kFile:
            if (g_options.obsolete_seen && !g_options.extra_keys_lost) options_save();
            return;
        case Loaded::kJson:
            if (options_save()) legacy_file_retire(u"settings.dat", u"settings.json");
            return;
        case Loaded::kNothing: return;
    }
}

bool options_save() {
    char16_t path[kDataPathCapacity];
    if (!settings_path(path, u"settings.dat")) return false;
    bool migrated = false;
    if (g_read_failed && !retry_failed_read(path, &migrated)) return false;
    const Options& o = g_options;
    DataFileWriter w;
    datafile_begin(&w, path);
    datafile_section(&w, "set");
    datafile_put_int(&w, "stay_open", o.stay_open ? 1 : 0);
    datafile_put_int(&w, "uncapped", o.uncapped.load() ? 1 : 0);
    datafile_put_int(&w, "hide_on_focus", o.hide_on_focus ? 1 : 0);
    datafile_put_str(&w, "indexer", o.indexer.load() == kIndexerEverything ? u"everything" : u"windows");
    refresh_terminal();
    datafile_put_str(&w, "terminal", o.terminal);
    datafile_put_int(&w, "hotkey_mod", o.hotkey_mod);
    datafile_put_int(&w, "hotkey_vk", o.hotkey_vk);
    datafile_put_str(&w, "monitor", monitor_name(o.monitor));
    datafile_put_int(&w, "ui_width", o.ui_width);
    datafile_put_int(&w, "ui_rows", o.ui_rows);
    datafile_put_str(&w, "theme", theme_stored_name(o.theme));
    int32_t lines = kFixedKeys;
    if (o.spot_remembered) {
        datafile_put_int(&w, "monitor_x", o.monitor_x);
        datafile_put_int(&w, "monitor_y", o.monitor_y);
        datafile_put_str(&w, "monitor_dev", o.monitor_dev);
        lines += kSpotKeys;
    }
    // The reader honours 16 lines per section; extra keys that do not fit go on in a further
    // "set" section, which the loader applies after the first, so none of them is lost.
    for (int32_t i = 0; i < o.extra_count; ++i) {
        if (lines == kDataFileMaxPairs) {
            datafile_section(&w, "set");
            lines = 0;
        }
        datafile_put_str(&w, o.extra[i].key, o.extra[i].value);
        ++lines;
    }
    bool saved = datafile_end(&w);
    if (saved && migrated) legacy_file_retire(u"settings.dat", u"settings.json");
    return saved;
}

void options_toggle_stay_open() {
    g_options.stay_open = !g_options.stay_open;
    options_save();
}

void options_toggle_hide_on_focus() {
    g_options.hide_on_focus = !g_options.hide_on_focus;
    options_save();
}

void options_toggle_uncapped() {
    g_options.uncapped.store(!g_options.uncapped.load());
    options_save();
    query_cache_flush();
}

void options_toggle_indexer() {
    g_options.indexer.store(g_options.indexer.load() == kIndexerEverything ? kIndexerWindowsSearch : kIndexerEverything);
    options_save();
    select_indexer();
    cache_generation_bump();
}

void options_set_indexer(int32_t indexer) {
    g_options.indexer.store(indexer == kIndexerEverything ? kIndexerEverything : kIndexerWindowsSearch);
    select_indexer();
    cache_generation_bump();
}

void options_toggle_folders_only() {
    g_options.folders_only.store(!g_options.folders_only.load());
    cache_generation_bump();
}

void options_set_folders_only(bool on) {
    if ((g_options.folders_only.load() != 0) == on) return;
    g_options.folders_only.store(on ? 1 : 0);
    cache_generation_bump();
}

void options_set_spot(int32_t x, int32_t y, const char16_t* device) {
    g_options.monitor_x = x;
    g_options.monitor_y = y;
    field_copy(g_options.monitor_dev, kMonitorDevCapacity, text_view(device));
    g_options.spot_remembered = 1;
}

bool options_get_spot(int32_t* x, int32_t* y, char16_t* device, size_t capacity) {
    if (!g_options.spot_remembered) return false;
    if (x) *x = g_options.monitor_x;
    if (y) *y = g_options.monitor_y;
    if (device && capacity) field_copy(device, capacity, g_options.monitor_dev);
    return true;
}

bool options_stays_open_after(int32_t kind) {
    if (!g_options.stay_open) return false;
    switch (kind) {
        case kKindOpen:
        case kKindContainingFolder:
        case kKindOpenWith:
        case kKindRunAsAdmin:
        case kKindOpenRecycleBin:
        case kKindOpenDataFolder: return false;
        default: return true;
    }
}

void options_set_hotkey(int32_t mod, int32_t vk) {
    g_options.hotkey_mod = mod;
    g_options.hotkey_vk = vk == 0 ? 32 : vk;
}

void options_set_monitor(int32_t monitor) {
    g_options.monitor = (monitor == kMonitorCursor || monitor == kMonitorRemember) ? monitor : kMonitorPrimary;
}

void options_set_theme(int32_t theme) {
    g_options.theme = (theme == kThemeLight || theme == kThemeHighContrast) ? theme : kThemeDark;
}

void options_set_ui_width(int32_t width) { g_options.ui_width = clamp_width(width); }
void options_set_ui_rows(int32_t rows) { g_options.ui_rows = clamp_rows(rows); }
void options_set_terminal(const char16_t* key) { field_copy(g_options.terminal, kTerminalCapacity, text_view(key)); }
