#include "actions/terminal.h"

#include <mutex>
#include <string>

#include "actions/actions.h"
#include "core/text.h"
#include "platform/platform.h"
#include "store/options.h"

namespace {

struct Candidate {
    const char16_t* display;
    const char16_t* exe;
};
constexpr Candidate kCandidates[] = {
    {u"Windows Terminal", u"wt.exe"},
    {u"Windows Terminal Preview", u"wtp.exe"},
    {u"Windows PowerShell", u"powershell.exe"},
    {u"Command Prompt", u"cmd.exe"},
};
constexpr const char16_t* kTerminalFamily = u"Microsoft.WindowsTerminal_8wekyb3d8bbwe";
constexpr const char16_t* kPreviewFamily = u"Microsoft.WindowsTerminalPreview_8wekyb3d8bbwe";
constexpr uint64_t kSettingsMaxBytes = 524288;
constexpr size_t kBuildCap = 356;

std::mutex g_default_lock;
std::u16string g_default_exe;      // at most 259 units
std::u16string g_default_profile;  // at most 63 units

bool blank(char16_t c) { return c == u' ' || c == u'\t'; }

std::u16string_view file_name_part(std::u16string_view path) {
    size_t cut = path.find_last_of(u"\\/");
    return cut == std::u16string_view::npos ? path : path.substr(cut + 1);
}

bool is_wt(std::u16string_view exe) { return text_equal_ci(exe, u"wt.exe") || text_equal_ci(exe, u"wtp.exe"); }
bool is_preview(std::u16string_view exe) { return text_equal_ci(exe, u"wtp.exe"); }

void copy(char16_t* out, size_t cap, std::u16string_view s) {
    if (cap) text_copy_to(out, cap - 1, s);
}

std::u16string local_app_data() {
    std::optional<std::u16string> v = os_env().get(u"LOCALAPPDATA");
    if (!v || v->empty() || v->size() > 259) return {};
    return *v;
}

// Present as a file, or there but unreadable to us (app execution aliases answer access denied).
bool exists_or_denied(std::u16string_view path) {
    uint32_t error = 0;
    uint32_t a = os_files().attributes(path, &error);
    return a != win::kInvalidAttributes || error == win::kErrAccessDenied;
}

bool is_file(std::u16string_view path) {
    uint32_t a = os_files().attributes(path);
    return a != win::kInvalidAttributes && !(a & win::kAttrDirectory);
}

bool is_folder_or_denied(std::u16string_view path) {
    uint32_t error = 0;
    uint32_t a = os_files().attributes(path, &error);
    if (a == win::kInvalidAttributes) return error == win::kErrAccessDenied;
    return (a & win::kAttrDirectory) != 0;
}

int profiles_from_file(const std::u16string& path, TerminalProfile* profiles, int capacity) {
    if (path.size() >= kBuildCap) return 0;
    FileInfo info = os_files().info(path);
    if (info.attributes == win::kInvalidAttributes || (info.attributes & win::kAttrDirectory)) return 0;
    if (info.size < 1 || info.size > kSettingsMaxBytes) return 0;
    std::string text;
    if (os_files().read(path, text, kSettingsMaxBytes) != win::kOk) return 0;
    return terminal_json_profiles(text, profiles, capacity);
}

bool add_entry(TerminalEntry* entries, int capacity, int& n, std::u16string_view display, std::u16string_view path,
               const TerminalProfile* profile) {
    if (n >= capacity) return false;
    TerminalEntry& e = entries[n++];
    copy(e.display, kTerminalDisplayCap, display);
    copy(e.path, kTerminalPathCap, path);
    copy(e.profile, kProfileNameCap, profile ? text_view(profile->name) : std::u16string_view());
    copy(e.icon, kProfileIconCap, profile ? text_view(profile->icon) : std::u16string_view());
    copy(e.guid, kProfileGuidCap, profile ? text_view(profile->guid) : std::u16string_view());
    return true;
}

bool find_on_path(std::u16string_view exe, std::u16string& out) {
    return os_shell().search_path(exe, out) == 0 && !out.empty() && out.size() < kTerminalPathCap;
}

// The packaged profile icon for a name: ProfileIcons\<name>.scale-NNN.png inside the package.
bool packaged_profile_icon(const TerminalEntry& e, std::u16string_view name, char16_t* out, size_t cap) {
    char16_t pkg[kTerminalPathCap];
    std::u16string_view exe = terminal_entry_exe_name(e);
    if (!package_path(std::u16string(exe).c_str(), pkg, kTerminalPathCap)) return false;
    for (const char16_t* scale : {u".scale-200.png", u".scale-150.png", u".scale-125.png", u".scale-100.png"}) {
        std::u16string path = std::u16string(text_view(pkg)) + u"\\ProfileIcons\\" + std::u16string(name) + scale;
        if (path.size() >= kBuildCap) continue;
        if (is_file(path) && path.size() < cap) {
            copy(out, cap, path);
            return true;
        }
    }
    return false;
}

bool contains_ci(std::u16string_view hay, std::u16string_view needle) {
    if (needle.size() > hay.size()) return false;
    for (size_t i = 0; i + needle.size() <= hay.size(); ++i)
        if (text_equal_ci(hay.substr(i, needle.size()), needle)) return true;
    return false;
}

// The icon class of a well-known profile name, or null.
const char16_t* profile_class(std::u16string_view name) {
    if (contains_ci(name, u"visual studio") || contains_ci(name, u" vs ")) {
        if (contains_ci(name, u"powershell")) return u"vs-powershell";
        if (contains_ci(name, u"pwsh")) return u"vs-pwsh";
        if (contains_ci(name, u"command") || contains_ci(name, u"cmd")) return u"vs-cmd";
        return nullptr;
    }
    if (contains_ci(name, u"preview") && (contains_ci(name, u"pwsh") || contains_ci(name, u"powershell")))
        return u"pwsh-preview";
    return nullptr;
}

// wt.exe splits its command line into several commands at every ";", inside quotes too; "\;" is
// its escape for a literal one. A ";" right after a backslash would read as "\;" plus a stray
// backslash, so such a text is refused.
bool wt_escape(std::u16string_view in, std::u16string& out) {
    out.clear();
    for (size_t i = 0; i < in.size(); ++i) {
        if (in[i] == u';') {
            if (i > 0 && in[i - 1] == u'\\') return false;
            out += u'\\';
        }
        out += in[i];
    }
    return true;
}

}  // namespace

std::u16string_view terminal_entry_exe_name(const TerminalEntry& entry) { return file_name_part(text_view(entry.path)); }

int terminal_profiles(const char16_t* exe_name, const char16_t* exe_path, TerminalProfile* profiles, int capacity) {
    if (!profiles || capacity <= 0) return 0;
    const std::u16string local = local_app_data();
    if (local.empty()) return 0;
    const bool preview = is_preview(text_view(exe_name));
    std::u16string candidates[3];
    candidates[0] = local + u"\\Packages\\" + (preview ? kPreviewFamily : kTerminalFamily) + u"\\LocalState\\settings.json";
    candidates[1] = local + u"\\Microsoft\\Windows Terminal\\settings.json";
    // Portable mode keeps the settings beside the executable.
    std::u16string_view path = text_view(exe_path);
    size_t cut = path.find_last_of(u'\\');
    if (cut != std::u16string_view::npos && cut < 340) candidates[2] = std::u16string(path.substr(0, cut)) + u"\\settings.json";
    for (const std::u16string& c : candidates) {
        if (c.empty()) continue;
        int n = profiles_from_file(c, profiles, capacity);
        if (n > 0) return n;
    }
    return 0;
}

int terminal_entries(TerminalEntry* entries, int capacity) {
    if (!entries || capacity <= 0) return 0;
    int n = 0;
    const std::u16string local = local_app_data();
    for (const Candidate& c : kCandidates) {
        if (n >= capacity) break;
        std::u16string path;
        const bool wt = is_wt(c.exe);
        if (wt) {
            if (!local.empty()) {
                std::u16string alias = local + u"\\Microsoft\\WindowsApps\\" + c.exe;
                if (exists_or_denied(alias) && alias.size() < kTerminalPathCap) path = alias;
            }
            if (path.empty() && !find_on_path(c.exe, path)) continue;
        } else if (!find_on_path(c.exe, path)) {
            continue;
        }
        add_entry(entries, capacity, n, c.display, path, nullptr);
        if (!wt) continue;
        TerminalProfile profiles[32];
        int count = terminal_profiles(c.exe, path.c_str(), profiles, 32);
        const char16_t* prefix = is_preview(c.exe) ? u"Terminal Preview - " : u"Terminal - ";
        for (int i = 0; i < count && n < capacity; ++i) {
            std::u16string display = std::u16string(prefix) + std::u16string(text_view(profiles[i].name).substr(0, 63));
            add_entry(entries, capacity, n, display, path, &profiles[i]);
        }
    }
    return n;
}

bool package_path(const char16_t* exe_name, char16_t* out, size_t capacity) {
    if (!out || capacity == 0) return false;
    out[0] = 0;
    const char16_t* family = is_preview(text_view(exe_name)) ? kPreviewFamily : kTerminalFamily;
    std::u16string folder;
    if (os_apps_folder().package_path(family, folder) != 0 || folder.empty() || folder.size() >= capacity) return false;
    copy(out, capacity, folder);
    return true;
}

void terminal_entry_icon(const TerminalEntry& e, char16_t* out, size_t cap) {
    if (!out || cap == 0) return;
    out[0] = 0;
    std::u16string_view icon = text_view(e.icon);
    while (!icon.empty() && blank(icon.front())) icon.remove_prefix(1);
    if (!icon.empty()) {
        if (icon.size() >= 8 && text_equal_ci(icon.substr(0, 8), u"ms-appx:")) {
            std::u16string_view rest = icon.substr(8);
            while (!rest.empty() && rest.front() == u'/') rest.remove_prefix(1);
            char16_t pkg[kTerminalPathCap];
            if (package_path(std::u16string(terminal_entry_exe_name(e)).c_str(), pkg, kTerminalPathCap)) {
                std::u16string path = std::u16string(text_view(pkg)) + u"\\" + std::u16string(rest);
                for (char16_t& c : path)
                    if (c == u'/') c = u'\\';
                if (path.size() < kTerminalPathCap && path.size() < cap && exists_or_denied(path)) {
                    copy(out, cap, path);
                    return;
                }
            }
        } else {
            std::u16string expanded = os_env().expand(icon);
            if (!expanded.empty() && expanded.size() < kTerminalPathCap && expanded.size() < cap && is_file(expanded)) {
                copy(out, cap, expanded);
                return;
            }
        }
    }
    if (e.guid[0] && packaged_profile_icon(e, text_view(e.guid), out, cap)) return;
    if (e.profile[0]) {
        if (const char16_t* cls = profile_class(text_view(e.profile)); cls && packaged_profile_icon(e, cls, out, cap)) return;
    }
    std::u16string_view exe = terminal_entry_exe_name(e);
    if (text_equal_ci(exe, u"wt.exe")) copy(out, cap, u"shell:AppsFolder\\Microsoft.WindowsTerminal_8wekyb3d8bbwe!App");
    else if (text_equal_ci(exe, u"wtp.exe")) copy(out, cap, u"shell:AppsFolder\\Microsoft.WindowsTerminalPreview_8wekyb3d8bbwe!App");
    else copy(out, cap, text_view(e.path));
}

void terminal_entry_key(const TerminalEntry& e, char16_t* out, size_t cap) {
    std::u16string key(terminal_entry_exe_name(e));
    if (e.profile[0]) key += u"|" + std::u16string(text_view(e.profile));
    copy(out, cap, key);
}

bool terminal_key_parse(const char16_t* key, char16_t* exe, size_t exe_cap, char16_t* profile, size_t profile_cap) {
    if (exe && exe_cap) exe[0] = 0;
    if (profile && profile_cap) profile[0] = 0;
    std::u16string_view k = text_view(key);
    while (!k.empty() && blank(k.front())) k.remove_prefix(1);
    if (k.empty()) return false;
    std::u16string_view e = k, p;
    size_t bar = k.rfind(u'|');
    if (bar != std::u16string_view::npos) {
        e = k.substr(0, bar);
        while (!e.empty() && blank(e.back())) e.remove_suffix(1);
        e = e.substr(0, 259);
        p = k.substr(bar + 1);
        while (!p.empty() && blank(p.front())) p.remove_prefix(1);
        while (!p.empty() && blank(p.back())) p.remove_suffix(1);
    }
    while (!e.empty() && blank(e.back())) e.remove_suffix(1);
    e = file_name_part(e);
    if (exe) copy(exe, exe_cap, e);
    if (profile) copy(profile, profile_cap, p);
    return !e.empty();
}

void terminal_default_set(const char16_t* key) {
    char16_t exe[kTerminalPathCap], profile[kProfileNameCap];
    if (!terminal_key_parse(key, exe, kTerminalPathCap, profile, kProfileNameCap)) return;
    std::lock_guard<std::mutex> lock(g_default_lock);
    g_default_exe = text_view(exe);
    g_default_profile = text_view(profile);
}

void terminal_default_clear() {
    std::lock_guard<std::mutex> lock(g_default_lock);
    g_default_exe.clear();
    g_default_profile.clear();
}

namespace {
// Takes the first shell as the default when none is set.
void ensure_default() {
    {
        std::lock_guard<std::mutex> lock(g_default_lock);
        if (!g_default_exe.empty()) return;
    }
    TerminalEntry first;
    if (terminal_entries(&first, 1) < 1) return;
    char16_t key[kTerminalPathCap + kProfileNameCap];
    terminal_entry_key(first, key, sizeof key / sizeof key[0]);
    terminal_default_set(key);
}
}  // namespace

bool terminal_default_key(char16_t* out, size_t cap) {
    if (!out || cap == 0) return false;
    out[0] = 0;
    ensure_default();
    std::lock_guard<std::mutex> lock(g_default_lock);
    if (g_default_exe.empty()) return false;
    std::u16string key = g_default_exe;
    if (!g_default_profile.empty()) key += u"|" + g_default_profile;
    copy(out, cap, key);
    return true;
}

bool terminal_default_entry(TerminalEntry* out) {
    if (!out) return false;
    static TerminalEntry entries[40];  // window thread only
    int n = terminal_entries(entries, 40);
    if (n == 0) return false;
    ensure_default();
    std::u16string exe, profile;
    {
        std::lock_guard<std::mutex> lock(g_default_lock);
        exe = g_default_exe, profile = g_default_profile;
    }
    int pick = -1;
    for (int i = 0; i < n && pick < 0; ++i)
        if (text_equal_ci(terminal_entry_exe_name(entries[i]), exe) && text_equal_ci(text_view(entries[i].profile), profile))
            pick = i;
    for (int i = 0; i < n && pick < 0; ++i)
        if (text_equal_ci(terminal_entry_exe_name(entries[i]), exe)) pick = i;
    *out = entries[pick < 0 ? 0 : pick];
    return true;
}

bool terminal_open(const char16_t* key, const char16_t* folder) {
    std::u16string_view dir = text_view(folder);
    if (text_view(key).empty() || dir.empty()) return false;
    char16_t exe_name[kTerminalPathCap], profile[kProfileNameCap];
    if (!terminal_key_parse(key, exe_name, kTerminalPathCap, profile, kProfileNameCap)) return false;
    static TerminalEntry entries[40];  // window thread only
    int n = terminal_entries(entries, 40);
    std::u16string exe;
    for (int i = 0; i < n && exe.empty(); ++i) {
        if (!text_equal_ci(terminal_entry_exe_name(entries[i]), text_view(exe_name))) continue;
        if (profile[0] && !text_equal_ci(text_view(entries[i].profile), text_view(profile))) continue;
        exe = text_view(entries[i].path);
    }
    if (exe.empty()) {
        std::u16string_view k = text_view(key);
        if (k.find_first_of(u"\\/") == std::u16string_view::npos) return false;
        exe = k.substr(0, 259);  // a key written by hand as a full path
    }
    if (!is_folder_or_denied(dir)) return false;

    std::u16string parameters;
    if (is_wt(file_name_part(exe))) {
        std::u16string d(dir.substr(0, 267));
        // A trailing backslash would escape the closing quote of the argument.
        if (d.back() == u'\\') d += u'\\';
        std::u16string d_escaped, p_escaped;
        if (!wt_escape(d, d_escaped)) return false;
        std::u16string prefix;
        if (profile[0]) {
            std::u16string_view p = text_view(profile);
            if (p.find(u'"') != std::u16string_view::npos || p.size() > 70) return false;
            if (!wt_escape(p, p_escaped)) return false;
            prefix = u"-p \"" + p_escaped + u"\" ";
        }
        parameters = prefix + u"-d \"" + d_escaped + u"\"";
    }
    ShellExRequest request;
    request.verb = u"open";
    request.file = exe;
    request.parameters = parameters;
    request.directory = dir;
    request.show = win::kSwShowNormal;
    return os_shell().execute_ex(request) == 0;
}

void terminal_join() {
    options_terminal_set_hook.store([](const char16_t* stored) { terminal_default_set(stored); });
    options_terminal_key_hook.store([](char16_t* out, size_t cap) { return terminal_default_key(out, cap); });
    action_services().terminal_open = terminal_open;
}
