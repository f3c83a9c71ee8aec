#include "store/menu_usage.h"

#include <string>

#include "core/format.h"
#include "core/row.h"
#include "core/text.h"
#include "core/utf.h"
#include "platform/platform.h"
#include "store/atomic_save.h"
#include "store/data_dir.h"
#include "store/data_file.h"
#include "store/field_cut.h"

namespace {

constexpr size_t kLineLimit = 255;  // characters of a line that are looked at
constexpr std::string_view kBom = "\xEF\xBB\xBF";

struct MenuUsageTable {
    MenuUsageEntry entries[kMenuUsageMaxEntries];
    int32_t count;
    bool loaded;
    // menu_usage.dat is there but could not be read: the table holds only the uses recorded since,
    // and saving it would throw the user's counts away.
    bool read_failed;
};

MenuUsageTable g_usage{};

int32_t find(const char16_t* key) {
    for (int32_t i = 0; i < g_usage.count; ++i)
        if (text_compare_ci(g_usage.entries[i].key, key) == 0) return i;
    return -1;
}

void set_entry(MenuUsageEntry& e, std::u16string_view key, int32_t count) {
    field_copy(e.key, kMenuUsageKeyCapacity, key);
    e.count = count;
}

void parse_line(std::u16string_view line) {
    std::u16string text(field_cut(line, kLineLimit));
    bool digits = false;
    const char16_t* end = nullptr;
    int32_t count = datafile_parse_int(text.c_str(), &digits, &end);
    if (!digits || *end != u'\t' || count < 1) return;
    std::u16string_view key(end + 1);
    while (!key.empty() && (key.back() == u'\r' || key.back() == u'\n')) key.remove_suffix(1);
    if (key.empty()) return;
    key = field_cut(key, kMenuUsageKeyCapacity - 1);
    std::u16string cut(key);
    if (find(cut.c_str()) >= 0) return;
    set_entry(g_usage.entries[g_usage.count++], key, count > kMenuUsageMaxCount ? kMenuUsageMaxCount : count);
}

bool usage_path(char16_t (&path)[kDataPathCapacity]) {
    return data_dir_file(u"menu_usage.dat", path, kDataPathCapacity) == 0;
}

// n more uses of key: an existing key adds them, a new one takes a free entry or the entry with
// the smallest count (the first of equal ones).
void add_uses(const char16_t* key, int32_t n) {
    int32_t at = find(key);
    if (at >= 0) {
        int64_t sum = int64_t(g_usage.entries[at].count) + n;
        set_entry(g_usage.entries[at], key, sum > kMenuUsageMaxCount ? kMenuUsageMaxCount : int32_t(sum));
    } else if (g_usage.count < kMenuUsageMaxEntries) {
        set_entry(g_usage.entries[g_usage.count++], key, n);
    } else {
        int32_t low = 0;
        for (int32_t i = 1; i < g_usage.count; ++i)
            if (g_usage.entries[i].count < g_usage.entries[low].count) low = i;
        set_entry(g_usage.entries[low], key, n);
    }
}

// Reads the file into the (empty) table; false when it is there but could not be read.
bool read_into_table(const char16_t* path) {
    std::string bytes;
    uint32_t rc = os_files().read(path, bytes, kDataFileMaxBytes);
    if (rc == win::kOk) menu_usage_parse(bytes);
    return !datafile_unreadable(rc);
}

// After a failed read, tries the file again: once it reads, the counts recorded meanwhile are added
// to the user's. False while it still cannot be read.
bool retry_failed_read(const char16_t* path) {
    MenuUsageTable recorded = g_usage;
    g_usage.count = 0;
    if (!read_into_table(path)) {
        g_usage = recorded;
        return false;
    }
    g_usage.read_failed = false;
    for (int32_t i = 0; i < recorded.count; ++i)
        if (recorded.entries[i].key[0]) add_uses(recorded.entries[i].key, recorded.entries[i].count);
    return true;
}

void save() {
    char16_t path[kDataPathCapacity];
    if (!usage_path(path)) return;
    if (g_usage.read_failed && !retry_failed_read(path)) return;
    atomic_save(path, menu_usage_serialize());
}

}  // namespace

void menu_usage_key(int32_t kind, const char16_t* label, const char16_t* verb, char16_t* out, size_t capacity) {
    if (!out || !capacity) return;
    if (kind == kKindShellVerb && verb && *verb) text_format(out, capacity, "verb:%s", verb);
    else if (kind == kKindPinToggle) text_format(out, capacity, "pin");
    else if (kind == kKindCopyText && label && *label) text_format(out, capacity, "copy:%s", label);
    else if (kind == kKindCopyFile) text_format(out, capacity, "copy:file");
    else text_format(out, capacity, "act:%d", kind);
    // One key is one line of the file.
    for (char16_t* p = out; *p; ++p)
        if (*p == u'\r' || *p == u'\n') *p = u' ';
}

void menu_usage_parse(std::string_view bytes) {
    if (bytes.substr(0, kBom.size()) == kBom) bytes.remove_prefix(kBom.size());
    std::u16string text = utf8_to_utf16(bytes);
    std::u16string_view all(text);
    size_t pos = 0;
    while (pos < all.size() && g_usage.count < kMenuUsageMaxEntries) {
        size_t nl = all.find(u'\n', pos);
        size_t end = nl == std::u16string_view::npos ? all.size() : nl;
        parse_line(all.substr(pos, end - pos));
        pos = end + 1;
    }
}

void menu_usage_load() {
    if (g_usage.loaded) return;
    g_usage.loaded = true;
    char16_t path[kDataPathCapacity];
    if (!usage_path(path)) return;
    g_usage.read_failed = !read_into_table(path);
}

int32_t menu_usage_count(int32_t kind, const char16_t* label, const char16_t* verb) {
    menu_usage_load();
    char16_t key[kMenuUsageKeyCapacity];
    menu_usage_key(kind, label, verb, key, kMenuUsageKeyCapacity);
    int32_t at = find(key);
    return at < 0 ? 0 : g_usage.entries[at].count;
}

void menu_usage_record(int32_t kind, const char16_t* label, const char16_t* verb) {
    menu_usage_load();
    char16_t key[kMenuUsageKeyCapacity];
    menu_usage_key(kind, label, verb, key, kMenuUsageKeyCapacity);
    add_uses(key, 1);
    save();
}

std::string menu_usage_serialize() {
    std::string out(kBom);
    for (int32_t i = 0; i < g_usage.count; ++i) {
        const MenuUsageEntry& e = g_usage.entries[i];
        if (!e.key[0]) continue;
        out += std::to_string(e.count);
        out += '\t';
        out += utf16_to_utf8(e.key);
        out += "\r\n";
    }
    return out;
}

int32_t menu_usage_size() { return g_usage.count; }

const MenuUsageEntry* menu_usage_at(int32_t i) {
    return (i >= 0 && i < g_usage.count) ? &g_usage.entries[i] : nullptr;
}

void menu_usage_reset() { g_usage = MenuUsageTable{}; }
