#include "sources/uninstall.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "core/format.h"
#include "core/row.h"
#include "core/text.h"
#include "platform/command_split.h"
#include "platform/platform.h"
#include "query/fuzzy.h"

namespace {

// Text limits of the values read, in units (without a terminator).
constexpr size_t kNameMax = 255;
constexpr size_t kPublisherMax = 255;
constexpr size_t kVersionMax = 63;
constexpr size_t kSizeTextMax = 31;
constexpr size_t kCommandMax = 1023;
constexpr size_t kLocationMax = 259;
constexpr size_t kIconMax = 259;
constexpr size_t kParentKeyMax = 15;
constexpr size_t kReleaseTypeMax = 63;
constexpr size_t kSubtitleMax = 511;
constexpr size_t kSubtitleJoinBelow = 509;  // a further part is added only while the text is shorter
constexpr size_t kExecutableMax = 259;
constexpr size_t kArgumentsMax = 2047;
constexpr size_t kExpandedMax = 2047;

constexpr const char16_t* kUpdateReleaseTypes[] = {u"Security Update", u"Hotfix", u"Update"};

struct UninstallCache {
    std::vector<UninstallEntry> entries;
    uint64_t scanned_at = 0;  // tick of the last scan
    bool valid = false;       // false: never scanned, or invalidated
    uint64_t scans = 0;
};

// One lock for the cache, made before any thread can ask for it.
std::mutex g_lock;
UninstallCache g_cache;

bool blank(char16_t c) { return c == u' ' || c == u'\t'; }

bool is_index(std::u16string_view s) {
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    if (!s.empty() && s.front() == u'-') s.remove_prefix(1);
    if (s.empty()) return false;
    return std::all_of(s.begin(), s.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; });
}

std::u16string_view trim(std::u16string_view s) {
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

void scan_locked() {
    g_cache.entries.clear();
    g_cache.entries.reserve(256);
    std::vector<std::u16string> names;
    for (const UninstallLocation& loc : kUninstallLocations) {
        if (g_cache.entries.size() >= size_t(kUninstallMaxEntries)) break;
        if (os_registry().list_subkeys(loc.root, loc.key, names) != 0) continue;
        std::u16string path(loc.key);
        path += u'\\';
        const size_t base = path.size();
        for (const std::u16string& name : names) {
            if (g_cache.entries.size() >= size_t(kUninstallMaxEntries)) break;
            path.resize(base);
            path += name;
            UninstallEntry e;
            if (uninstall_read_entry(loc.root, path, e)) g_cache.entries.push_back(std::move(e));
        }
    }
    g_cache.scanned_at = os_clock().tick_ms();
    g_cache.valid = true;
    ++g_cache.scans;
}

bool stale_locked() {
    if (!g_cache.valid) return true;
    return os_clock().tick_ms() - g_cache.scanned_at >= kUninstallRescanMs;
}

}  // namespace

std::u16string uninstall_icon_path(std::u16string_view display_icon) {
    std::u16string_view s = trim(display_icon);
    size_t comma = s.rfind(u',');
    if (comma != std::u16string_view::npos && is_index(s.substr(comma + 1))) s = trim(s.substr(0, comma));
    if (!s.empty() && s.front() == u'"') s.remove_prefix(1);
    if (!s.empty() && s.back() == u'"') s.remove_suffix(1);
    s = trim(s);
    if (s.empty() || s.size() > kIconMax) return {};
    std::u16string expanded = os_env().expand(s);
    if (expanded.empty() || expanded.size() > kIconMax) return std::u16string(s);
    return expanded;
}

bool uninstall_read_entry(RegistryRoot root, std::u16string_view key, UninstallEntry& out) {
    out = UninstallEntry{};
    enum {
        kName, kCommand, kSystemComponent, kNoRemove, kParentKey, kReleaseType, kPublisher, kVersion,
        kQuiet, kLocation, kIcon, kSize, kValueCount
    };
    // The key is opened once for all its values.
    RegistryRead v[kValueCount];
    v[kName].name = u"DisplayName";
    v[kCommand].name = u"UninstallString";
    v[kSystemComponent] = RegistryRead{u"SystemComponent", true};
    v[kNoRemove] = RegistryRead{u"NoRemove", true};
    v[kParentKey].name = u"ParentKeyName";
    v[kReleaseType].name = u"ReleaseType";
    v[kPublisher].name = u"Publisher";
    v[kVersion].name = u"DisplayVersion";
    v[kQuiet].name = u"QuietUninstallString";
    v[kLocation].name = u"InstallLocation";
    v[kIcon].name = u"DisplayIcon";
    v[kSize] = RegistryRead{u"EstimatedSize", true};
    if (os_registry().read_values(root, key, v, kValueCount) != 0) return false;
    // A string of at most max units; absent when missing, empty, too long or unreadable.
    auto text = [&](int i, size_t max, std::u16string& into) {
        if (v[i].err != 0 || v[i].text.empty() || v[i].text.size() > max) return false;
        into = std::move(v[i].text);
        return true;
    };
    auto flag = [&](int i) { return v[i].err == 0 && v[i].value != 0; };
    if (!text(kName, kNameMax, out.name) || !text(kCommand, kCommandMax, out.command)) return false;
    if (flag(kSystemComponent) || flag(kNoRemove)) return false;
    std::u16string t;
    // A part of another product: it is removed with its parent.
    if (text(kParentKey, kParentKeyMax, t)) return false;
    if (text(kReleaseType, kReleaseTypeMax, t)) {
        for (const char16_t* update : kUpdateReleaseTypes)
            if (text_equal_ci(t, update)) return false;
    }
    text(kPublisher, kPublisherMax, out.publisher);
    text(kVersion, kVersionMax, out.version);
    text(kQuiet, kCommandMax, out.quiet_command);
    const bool expand_location = v[kLocation].kind == win::kRegExpandSz;
    if (text(kLocation, kLocationMax, out.location) && expand_location) {
        std::u16string expanded = os_env().expand(out.location);
        if (!expanded.empty() && expanded.size() <= kLocationMax) out.location = std::move(expanded);
    }
    // The raw value may carry quotes and an index beyond the path's own limit.
    if (text(kIcon, kIconMax + 16, t)) out.icon = uninstall_icon_path(t);
    if (flag(kSize)) {
        char16_t size[kSizeTextMax + 1];
        format_size(uint64_t{v[kSize].value} * 1024, size, sizeof size / sizeof size[0]);
        out.size_text = size;
    }
    char16_t subtitle[kSubtitleMax + 1];
    uninstall_subtitle(out, subtitle, sizeof subtitle / sizeof subtitle[0]);
    out.subtitle = subtitle;
    return true;
}

void uninstall_subtitle(const UninstallEntry& e, char16_t* buf, size_t n) {
    if (!buf || n == 0) return;
    const size_t cap = std::min(n - 1, kSubtitleMax);
    size_t at = 0;
    auto put = [&](std::u16string_view s) {
        size_t k = std::min(s.size(), cap - at);
        std::copy_n(s.data(), k, buf + at);
        at += k;
    };
    put(e.publisher);
    for (const std::u16string* part : {&e.version, &e.size_text}) {
        if (part->empty() || at >= kSubtitleJoinBelow) continue;
        if (at > 0) put(u" - ");
        put(*part);
    }
    buf[at] = 0;
}

void uninstall_scan() {
    std::lock_guard<std::mutex> lock(g_lock);
    scan_locked();
}

void uninstall_invalidate() {
    std::lock_guard<std::mutex> lock(g_lock);
    g_cache.entries.clear();
    g_cache.entries.shrink_to_fit();
    g_cache.valid = false;
    g_cache.scanned_at = 0;
}

void uninstall_rows(const char16_t* argument, RowList* out) {
    if (!out) return;
    const char16_t* q = argument ? argument : u"";
    while (blank(*q)) ++q;
    const bool all = *q == 0;
    std::lock_guard<std::mutex> lock(g_lock);
    if (stale_locked()) scan_locked();
    if (rowlist_reserve(out, int32_t(g_cache.entries.size())) != 0) return;
    const int32_t from = out->count;
    for (const UninstallEntry& e : g_cache.entries) {
        int32_t score = 100;
        if (!all) {
            score = fuzzy_score(q, e.name.c_str(), 110, 100, 85);
            if (score < 0) continue;
        }
        int32_t at = out->count;
        if (rowlist_add_fields(out, e.name.c_str(), e.subtitle.c_str(), nullptr, e.command.c_str(), kKindUninstall, score) != 0)
            continue;
        if (!e.icon.empty()) out->items[at].icon_source = text_copy_view(e.icon, out->arena);
    }
    rowlist_set_tag(out, from, tag::kUtility);
    rowlist_sort_by_score(out);
}

bool uninstall_lookup(const char16_t* name, const char16_t* command, std::u16string& quiet, std::u16string& location) {
    quiet.clear();
    location.clear();
    if (!name || !*name) return false;
    std::lock_guard<std::mutex> lock(g_lock);
    for (const UninstallEntry& e : g_cache.entries) {
        if (!text_equal_ci(e.name, name) || e.command != text_view(command)) continue;
        quiet = e.quiet_command;
        location = e.location;
        return true;
    }
    return false;
}

bool uninstall_split(const char16_t* command, std::u16string& executable, std::u16string& arguments) {
    executable.clear();
    arguments.clear();
    if (!command) return false;
    std::u16string_view text(command);
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    if (text.empty()) return false;
    std::u16string line(text);
    std::u16string expanded = os_env().expand(line);
    if (!expanded.empty() && expanded.size() <= kExpandedMax) line = std::move(expanded);
    if (!command_split(line, executable, arguments) || executable.empty() || executable.size() > kExecutableMax) {
        executable.clear();
        arguments.clear();
        return false;
    }
    if (arguments.size() > kArgumentsMax) arguments.resize(kArgumentsMax);
    return true;
}

int32_t uninstall_cached_count() {
    std::lock_guard<std::mutex> lock(g_lock);
    return int32_t(g_cache.entries.size());
}

uint64_t uninstall_scan_count() {
    std::lock_guard<std::mutex> lock(g_lock);
    return g_cache.scans;
}
