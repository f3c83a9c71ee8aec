#include "store/verb_cache.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/text.h"
#include "core/utf.h"
#include "platform/platform.h"
#include "store/atomic_save.h"
#include "store/data_dir.h"
#include "store/data_file.h"
#include "store/field_cut.h"

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::u16string_view kMagic = u"KESTRUNE_SHELL_VERBS 1";
constexpr size_t kFirstLineLimit = 1023;

struct VerbCache {
    VerbCacheEntry entries[kVerbCacheMaxEntries];
    int32_t count;
    uint64_t stamp;
    bool loaded;
    // shell_verbs.dat is there but could not be read whole (locked, access denied, out of memory):
    // the cache is rebuilt in memory, but not saved over that file until it reads again.
    bool read_failed;
};

VerbCache g_cache{};

void free_entry(VerbCacheEntry& e) {
    std::free(e.verbs);
    e = VerbCacheEntry{};
}

ShellVerb* copy_verbs(const ShellVerb* verbs, int32_t count) {
    auto* out = static_cast<ShellVerb*>(std::malloc(sizeof(ShellVerb) * static_cast<size_t>(count)));
    if (!out) return nullptr;
    std::memcpy(out, verbs, sizeof(ShellVerb) * static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {  // fixed buffers stay terminated whatever came in
        out[i].label[sizeof out[i].label / sizeof(char16_t) - 1] = 0;
        out[i].verb[sizeof out[i].verb / sizeof(char16_t) - 1] = 0;
        out[i].icon[sizeof out[i].icon / sizeof(char16_t) - 1] = 0;
    }
    return out;
}

int32_t find_index(const char16_t* key) {
    if (!key || !*key) return -1;
    for (int32_t i = 0; i < g_cache.count; ++i)
        if (std::u16string_view(g_cache.entries[i].key) == key) return i;
    return -1;
}

const ShellVerb* verb_named(const ShellVerb* verbs, int32_t count, const char16_t* name) {
    for (int32_t i = 0; i < count; ++i)
        if (std::u16string_view(verbs[i].verb) == name) return &verbs[i];
    return nullptr;
}

// Tabs and line breaks inside a field would split the line: they are written as spaces.
void append_field(std::string& out, const char16_t* field) {
    std::u16string s(text_view(field));
    for (char16_t& c : s)
        if (c == u'\t' || c == u'\n' || c == u'\r') c = u' ';
    out += utf16_to_utf8(s);
}

struct Pending {
    std::u16string key;
    std::vector<ShellVerb> verbs;
};

void finish(std::vector<Pending>& pending) {
    for (Pending& p : pending) {
        if (p.verbs.empty() || g_cache.count >= kVerbCacheMaxEntries) continue;
        ShellVerb* verbs = copy_verbs(p.verbs.data(), static_cast<int32_t>(p.verbs.size()));
        if (!verbs) {
            g_cache.read_failed = true;  // the file holds more than the cache now does
            continue;
        }
        VerbCacheEntry& e = g_cache.entries[g_cache.count++];
        field_copy(e.key, kVerbCacheKeyCapacity, p.key);
        e.verbs = verbs;
        e.count = static_cast<int32_t>(p.verbs.size());
        e.stamp = 0;
    }
}

bool cache_path(char16_t (&path)[kDataPathCapacity]) {
    return data_dir_file(u"shell_verbs.dat", path, kDataPathCapacity) == 0;
}

// Reads the file into the (empty) cache; false when it is there but could not be read whole.
bool read_into_cache(const char16_t* path) {
    std::string bytes;
    uint32_t rc = os_files().read(path, bytes, kDataFileMaxBytes);
    if (rc == win::kOk) verb_cache_parse(bytes);
    return !datafile_unreadable(rc) && !g_cache.read_failed;
}

// Takes over entry (and its verbs): replaces the entry of the same key, else takes a free slot,
// else the least recently used one.
void put_entry(VerbCacheEntry& entry) {
    int32_t at = find_index(entry.key);
    if (at < 0 && g_cache.count < kVerbCacheMaxEntries) at = g_cache.count++;
    if (at < 0) {
        at = 0;
        for (int32_t i = 1; i < g_cache.count; ++i)
            if (g_cache.entries[i].stamp < g_cache.entries[at].stamp) at = i;
    }
    free_entry(g_cache.entries[at]);
    g_cache.entries[at] = entry;
    entry = VerbCacheEntry{};
}

// After a failed read, tries the file again before a save: once it reads, what was rebuilt in
// memory meanwhile goes on top of the file's entries. False while it still cannot be read.
bool retry_failed_read(const char16_t* path) {
    VerbCacheEntry rebuilt[kVerbCacheMaxEntries];
    int32_t n = g_cache.count;
    for (int32_t i = 0; i < n; ++i) {
        rebuilt[i] = g_cache.entries[i];  // moved: the slot no longer owns the verbs
        g_cache.entries[i] = VerbCacheEntry{};
    }
    g_cache.count = 0;
    g_cache.read_failed = false;
    bool ok = read_into_cache(path);
    if (!ok) {
        for (int32_t i = 0; i < g_cache.count; ++i) free_entry(g_cache.entries[i]);
        g_cache.count = 0;
    }
    for (int32_t i = 0; i < n; ++i) put_entry(rebuilt[i]);
    g_cache.read_failed = !ok;
    return ok;
}

}  // namespace

void verb_cache_parse(std::string_view bytes) {
    if (bytes.substr(0, kBom.size()) == kBom) bytes.remove_prefix(kBom.size());
    std::u16string text = utf8_to_utf16(bytes);
    std::u16string_view all(text);
    size_t first_end = all.find(u'\n');
    std::u16string_view first = all.substr(0, first_end == std::u16string_view::npos ? all.size() : first_end);
    if (first.substr(0, kFirstLineLimit).substr(0, kMagic.size()) != kMagic) return;
    if (first_end == std::u16string_view::npos) return;
    std::vector<Pending> pending;
    size_t pos = first_end + 1;
    while (pos < all.size()) {
        size_t nl = all.find(u'\n', pos);
        size_t end = nl == std::u16string_view::npos ? all.size() : nl;
        std::u16string_view line = all.substr(pos, end - pos);
        pos = end + 1;
        line = field_cut(line, line.size());  // a NUL ends the line, as it would a C string
        while (!line.empty() && (line.back() == u'\r' || line.back() == u'\n')) line.remove_suffix(1);
        if (line.size() >= 2 && line[0] == u'K' && line[1] == u'\t') {
            if (pending.size() >= static_cast<size_t>(kVerbCacheMaxEntries)) break;
            pending.push_back(Pending{std::u16string(field_cut(line.substr(2), kVerbCacheKeyCapacity - 1)), {}});
        } else if (line.size() >= 2 && line[0] == u'V' && line[1] == u'\t' && !pending.empty()) {
            std::u16string_view rest = line.substr(2);
            size_t t1 = rest.find(u'\t');
            if (t1 == std::u16string_view::npos) continue;
            size_t t2 = rest.find(u'\t', t1 + 1);
            if (t2 == std::u16string_view::npos) continue;
            std::u16string_view verb = rest.substr(0, t1), label = rest.substr(t1 + 1, t2 - t1 - 1), icon = rest.substr(t2 + 1);
            Pending& cur = pending.back();
            if (verb.empty() || label.empty() || cur.verbs.size() >= static_cast<size_t>(kVerbCacheMaxVerbs)) continue;
            ShellVerb v{};
            field_copy(v.verb, sizeof v.verb / sizeof(char16_t), verb);
            field_copy(v.label, sizeof v.label / sizeof(char16_t), label);
            field_copy(v.icon, sizeof v.icon / sizeof(char16_t), icon);
            cur.verbs.push_back(v);
        }
    }
    finish(pending);
}

void verb_cache_load() {
    if (g_cache.loaded) return;
    g_cache.loaded = true;
    char16_t path[kDataPathCapacity];
    if (!cache_path(path)) return;
    g_cache.read_failed = !read_into_cache(path);
}

int32_t verb_cache_find(const char16_t* key) {
    verb_cache_load();
    int32_t at = find_index(key);
    if (at >= 0) g_cache.entries[at].stamp = ++g_cache.stamp;
    return at;
}

const VerbCacheEntry* verb_cache_at(int32_t index) {
    return (index >= 0 && index < g_cache.count) ? &g_cache.entries[index] : nullptr;
}

int32_t verb_cache_size() { return g_cache.count; }

void verb_cache_store(const char16_t* key, const ShellVerb* verbs, int32_t count) {
    if (!key || !*key || !verbs || count <= 0) return;
    verb_cache_load();
    if (count > kVerbCacheMaxVerbs) count = kVerbCacheMaxVerbs;
    ShellVerb* copy = copy_verbs(verbs, count);
    if (!copy) return;
    int32_t at = find_index(key);
    if (at >= 0) {
        const VerbCacheEntry& old = g_cache.entries[at];
        for (int32_t i = 0; i < count; ++i) {
            if (copy[i].icon[0]) continue;
            if (const ShellVerb* known = verb_named(old.verbs, old.count, copy[i].verb))
                field_copy(copy[i].icon, sizeof copy[i].icon / sizeof(char16_t), known->icon);
        }
    } else if (g_cache.count >= kVerbCacheMaxEntries) {
        at = 0;
        for (int32_t i = 1; i < g_cache.count; ++i)
            if (g_cache.entries[i].stamp < g_cache.entries[at].stamp) at = i;
    } else {
        at = g_cache.count++;
    }
    VerbCacheEntry& e = g_cache.entries[at];
    free_entry(e);
    field_copy(e.key, kVerbCacheKeyCapacity, text_view(key));
    e.verbs = copy;
    e.count = count;
    e.stamp = ++g_cache.stamp;
}

std::string verb_cache_serialize() {
    std::string out(kBom);
    out += "KESTRUNE_SHELL_VERBS 1\r\n";
    for (int32_t i = 0; i < g_cache.count; ++i) {
        const VerbCacheEntry& e = g_cache.entries[i];
        if (e.count <= 0) continue;
        out += "K\t";
        append_field(out, e.key);
        out += "\r\n";
        for (int32_t j = 0; j < e.count; ++j) {
            out += "V\t";
            append_field(out, e.verbs[j].verb);
            out += '\t';
            append_field(out, e.verbs[j].label);
            out += '\t';
            append_field(out, e.verbs[j].icon);
            out += "\r\n";
        }
    }
    return out;
}

bool verb_cache_save() {
    char16_t path[kDataPathCapacity];
    if (!cache_path(path)) return false;
    if (g_cache.read_failed && !retry_failed_read(path)) return false;
    return atomic_save(path, verb_cache_serialize()) == win::kOk;
}

void verb_cache_update_icons(const char16_t* key, const ShellVerb* verbs, int32_t count) {
    verb_cache_load();
    int32_t at = find_index(key);
    if (at < 0 || !verbs) return;
    VerbCacheEntry& e = g_cache.entries[at];
    bool changed = false;
    for (int32_t i = 0; i < e.count; ++i) {
        const ShellVerb* fresh = verb_named(verbs, count, e.verbs[i].verb);
        if (!fresh || !fresh->icon[0] || std::u16string_view(fresh->icon) == e.verbs[i].icon) continue;
        field_copy(e.verbs[i].icon, sizeof e.verbs[i].icon / sizeof(char16_t), fresh->icon);
        changed = true;
    }
    if (changed) verb_cache_save();
}

void verb_cache_reset() {
    for (int32_t i = 0; i < g_cache.count; ++i) free_entry(g_cache.entries[i]);
    g_cache = VerbCache{};
}
