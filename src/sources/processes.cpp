#include "sources/processes.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "actions/actions.h"
#include "core/row.h"
#include "core/text.h"
#include "platform/command_split.h"
#include "platform/platform.h"
#include "platform/processes.h"
#include "platform/registry.h"
#include "query/fuzzy.h"
#include "query/pipeline_sources.h"

namespace {

constexpr size_t kTitleCap = 300;      // "Kill %s": 299 units
constexpr size_t kSubtitleCap = 384;   // "PID %lu - %s": 383 units
constexpr size_t kProtectedNameCap = 63;
constexpr size_t kServiceKeyCap = 191;
constexpr size_t kImageValueCap = 511;   // a 1024-byte value buffer
constexpr size_t kExpandedCap = 511;     // a 512-unit expansion buffer
constexpr size_t kPathMax = 259;

constexpr std::u16string_view kProtected[] = {
    u"system",   u"idle",  u"system idle process", u"registry", u"memory compression", u"secure system",
    u"conhost",  u"svchost", u"rundll32",           u"csrss",    u"lsass",              u"lsm",
    u"smss",     u"wininit", u"winlogon",           u"services", u"spoolsv",            u"explorer",
};

bool protected_name(std::u16string_view name) {
    if (name.size() > kProtectedNameCap) name = name.substr(0, kProtectedNameCap);
    if (name.size() >= 5 && text_ends_with_ci(name, u".exe")) name.remove_suffix(4);
    for (std::u16string_view p : kProtected)
        if (text_equal_ci(name, p)) return true;
    return false;
}

bool is_protected(uint32_t pid, std::u16string_view exe, uint32_t self) {
    return pid == 0 || pid == 4 || pid == self || exe.empty() || protected_name(exe);
}

// Executable names as keys that ignore ASCII case, without folded copies.
struct FoldedHash {
    size_t operator()(std::u16string_view s) const {
        uint64_t h = 1469598103934665603ull;
        for (char16_t c : s) h = (h ^ text_fold(c)) * 1099511628211ull;
        return static_cast<size_t>(h);
    }
};
struct FoldedEqual {
    bool operator()(std::u16string_view a, std::u16string_view b) const { return text_equal_ci(a, b); }
};

// Adds a row and gives it the process fields; null when it could not be added.
Row* add_process_row(RowList* out, const char16_t* title, const char16_t* subtitle, const char16_t* exe,
                     const char16_t* icon, int32_t number, int32_t score) {
    if (rowlist_add_fields(out, title, subtitle, nullptr, nullptr, kKindProcess, score) != 0) return nullptr;
    Row* r = &out->items[out->count - 1];
    r->argument = text_copy(exe, out->arena);
    if (icon && *icon) r->icon_source = text_copy(icon, out->arena);
    r->number = number;
    r->tag = tag::kProcess;
    return r;
}

struct NameGroup;

struct Candidate {
    uint32_t pid;
    const ProcessEntry* entry;
    std::u16string path;  // empty when unknown
    int32_t score;
    NameGroup* group;
    uint64_t head;  // name_head of the name
};

struct NameGroup {
    int32_t total = 0;   // unprotected processes of the name in the whole snapshot
    int32_t listed = 0;  // of them, the ones that passed the filter
    bool emitted = false;
    bool common = true;  // every listed member has the same non-empty path
    const std::u16string* path = nullptr;
};

// A text built piece by piece into a fixed buffer and cut to fit, as the formatter does; kill
// rows are made hundreds at a time, so they skip the formatter's parsing.
struct TextOut {
    char16_t* buf;
    size_t cap;
    size_t n = 0;
    TextOut(char16_t* b, size_t c) : buf(b), cap(c) { buf[0] = 0; }
    TextOut& put(std::u16string_view s) {
        const size_t k = std::min(cap - 1 - n, s.size());
        for (size_t i = 0; i < k; ++i) buf[n + i] = s[i];
        n += k;
        buf[n] = 0;
        return *this;
    }
    TextOut& num(uint64_t v) {  // decimal, as %lu / %zu print it
        char16_t d[24];
        size_t i = sizeof d / sizeof d[0];
        do d[--i] = static_cast<char16_t>(u'0' + v % 10), v /= 10;
        while (v);
        return put(std::u16string_view(d + i, sizeof d / sizeof d[0] - i));
    }
    std::u16string_view view() const { return std::u16string_view(buf, n); }
};

// The decimal id contains the filter as typed (case matters, nothing is folded).
bool pid_contains(uint32_t pid, std::u16string_view filter) {
    char16_t digits[16];
    return TextOut(digits, 16).num(pid).view().find(filter) != std::u16string_view::npos;
}

// The first four units of a name, folded and packed so that most comparisons end on one integer.
uint64_t name_head(std::u16string_view s) {
    uint64_t h = 0;
    for (size_t i = 0; i < 4; ++i) h = (h << 16) | (i < s.size() ? text_fold(s[i]) : 0);
    return h;
}

void fill_service_paths(std::vector<Candidate>& cands) {
    std::vector<ServicePid> services(kServiceListCap);
    int32_t n = service_pids(services.data(), kServiceListCap);
    if (n <= 0) return;
    for (auto& c : cands) {
        if (!c.path.empty()) continue;
        for (int32_t i = 0; i < n; ++i) {
            if (services[i].pid != c.pid) continue;
            if (services[i].name[0]) service_image_path(services[i].name, c.path);
            break;  // the first record of the id decides
        }
    }
}

}  // namespace

bool process_is_protected(uint32_t pid, const char16_t* exe) {
    uint32_t self = platform().processes ? os_processes().current_pid() : 0;
    return is_protected(pid, text_view(exe), self);
}

bool image_path_executable(std::u16string_view value, std::u16string& out) {
    out.clear();
    std::u16string args;
    if (!command_split(value, out, args)) return false;
    if (out.empty() || out.size() > kPathMax) {
        out.clear();
        return false;
    }
    return true;
}

bool service_image_path(const char16_t* service, std::u16string& out) {
    out.clear();
    if (!service || !*service || !platform().registry) return false;
    std::u16string key = u"SYSTEM\\CurrentControlSet\\Services\\";
    key += service;
    if (key.size() > kServiceKeyCap) key.resize(kServiceKeyCap);
    std::u16string value;
    if (os_registry().read_string(RegistryRoot::LocalMachine, key, u"ImagePath", value) != 0) return false;
    if (value.size() > kImageValueCap) value.resize(kImageValueCap);
    // A value holding only its terminator (or a NUL first) names nothing.
    value = std::u16string(text_view(value.c_str()));
    if (value.empty()) return false;
    std::u16string expanded = platform().env ? os_env().expand(value) : value;
    if (expanded.size() > kExpandedCap) expanded.resize(kExpandedCap);
    return image_path_executable(expanded, out);
}

int32_t service_pids(ServicePid* buf, int32_t capacity) {
    if (!buf || capacity <= 0 || !platform().processes) return 0;
    std::vector<ServiceEntry> list;
    if (!os_processes().services(list)) return 0;
    int32_t n = 0;
    for (const auto& s : list) {
        if (n >= capacity) break;
        if (s.pid == 0) continue;
        buf[n].pid = s.pid;
        text_copy_to(buf[n].name, kServiceNameCap, s.name);
        ++n;
    }
    return n;
}

void kill_rows(const char16_t* filter_text, RowList* out) {
    if (!out || !platform().processes) return;
    Processes& procs = os_processes();
    std::u16string_view filter = text_view(skip_blanks(filter_text ? filter_text : u""));
    std::u16string filter_z(filter);
    std::vector<ProcessEntry> snap;
    if (!procs.snapshot(snap)) return;
    const uint32_t self = procs.current_pid();

    std::vector<Candidate> cands;
    cands.reserve(snap.size());
    // Elements of an unordered_map keep their address when it grows, so candidates point at theirs.
    std::unordered_map<std::u16string_view, NameGroup, FoldedHash, FoldedEqual> groups;
    groups.reserve(snap.size());
    for (const auto& e : snap) {
        if (is_protected(e.pid, e.exe, self)) continue;
        NameGroup& g = groups[e.exe];
        ++g.total;
        int32_t score = 50;
        if (!filter.empty()) {
            score = fuzzy_score(filter_z.c_str(), e.exe.c_str(), 100, 90, -1);
            if (score < 0) {
                if (!pid_contains(e.pid, filter)) continue;
                score = 90;
            }
        }
        Candidate c{e.pid, &e, {}, score, &g, name_head(e.exe)};
        if (!procs.image_path(e.pid, c.path) || c.path.empty() || c.path.size() > kPathMax) c.path.clear();
        cands.push_back(std::move(c));
    }
    if (std::any_of(cands.begin(), cands.end(), [](const Candidate& c) { return c.path.empty(); }))
        fill_service_paths(cands);

    std::stable_sort(cands.begin(), cands.end(), [](const Candidate& a, const Candidate& b) {
        if (a.score != b.score) return a.score > b.score;
        if (a.head != b.head) return a.head < b.head;
        return text_compare_ci(a.entry->exe, b.entry->exe) < 0;
    });

    // Which listed members share a name, and whether they share one image path.
    for (size_t i = 0; i < cands.size(); ++i) {
        NameGroup& g = *cands[i].group;
        ++g.listed;
        if (cands[i].path.empty()) g.common = false;
        else if (!g.path) g.path = &cands[i].path;
        else if (!text_equal_ci(*g.path, cands[i].path)) g.common = false;
    }

    const int32_t first = out->count;
    char16_t title[kTitleCap], subtitle[kSubtitleCap];
    for (size_t i = 0; i < cands.size(); ++i) {
        NameGroup& g = *cands[i].group;
        if (g.emitted) continue;
        g.emitted = true;
        if (g.listed < 2) continue;
        // The count is every process kill_all_named would end, not only the ones the filter let through.
        const size_t count = static_cast<size_t>(g.total);
        const char16_t* exe = cands[i].entry->exe.c_str();
        const bool named = g.common && g.path;
        TextOut(title, kTitleCap).put(u"Kill all ").put(cands[i].entry->exe).put(u" (").num(count).put(u")");
        TextOut sub(subtitle, kSubtitleCap);
        sub.put(u"End all ").num(count).put(u" processes at once");
        if (named) sub.put(u" - ").put(*g.path);
        add_process_row(out, title, subtitle, exe, named ? g.path->c_str() : nullptr, 0, cands[i].score + 1);
    }
    const size_t keep = std::min(cands.size(), static_cast<size_t>(kKillRowCap));
    for (size_t i = 0; i < keep; ++i) {
        const Candidate& c = cands[i];
        TextOut(title, kTitleCap).put(u"Kill ").put(c.entry->exe);
        TextOut(subtitle, kSubtitleCap).put(u"PID ").num(c.pid).put(u" - ").put(c.path.empty() ? u"End process" : c.path);
        add_process_row(out, title, subtitle, c.entry->exe.c_str(), c.path.c_str(), static_cast<int32_t>(c.pid), c.score);
    }
    rowlist_set_tag(out, first, tag::kProcess);
}

bool kill_process(uint32_t pid, const char16_t* exe) {
    if (!platform().processes || process_is_protected(pid, exe)) return false;
    std::unique_ptr<ProcessHandle> h = os_processes().open(pid);
    if (!h) return false;
    // Checked on the handle that ends it: the id cannot pass to another process while it is open.
    std::u16string path;
    if (!h->image_path(path) || path.empty()) return false;
    if (!text_equal_ci(text_view(path_name_part(path.c_str())), text_view(exe))) return false;
    return h->terminate(1);
}

int32_t kill_all_named(const char16_t* exe) {
    if (!exe || !*exe || !platform().processes) return 0;
    std::vector<ProcessEntry> snap;
    if (!os_processes().snapshot(snap)) return 0;
    int32_t ended = 0;
    for (const auto& e : snap) {
        if (!text_equal_ci(e.exe, text_view(exe))) continue;
        if (kill_process(e.pid, e.exe.c_str())) ++ended;
    }
    return ended;
}

void processes_join() {
    PipelineSources sources = pipeline_sources();
    sources.kill_rows = kill_rows;
    pipeline_sources_install(sources);
    ActionServices& services = action_services();
    services.kill_process = kill_process;
    services.kill_all_named = kill_all_named;
}
