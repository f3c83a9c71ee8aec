#include "platform/fake/fake_world.h"

#include <algorithm>
#include <chrono>

#include "core/text.h"
#include "platform/paths.h"

namespace {
std::u16string upper_key(std::u16string_view s) {
    std::u16string k(s);
    for (auto& c : k) {
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
    }
    return k;
}

std::u16string strip_trailing_sep(std::u16string s) {
    while (s.size() > 3 && (s.back() == u'\\' || s.back() == u'/')) s.pop_back();
    return s;
}
}  // namespace

FakeFiles::FakeFiles() = default;

bool FakeFiles::key_for(std::u16string_view path, std::u16string& key, std::u16string& full) {
    if (path.empty()) return false;
    if (path.find(u'\0') != std::u16string_view::npos) return false;
    if (!path_resolve(path, cwd_, full)) return false;
    full = strip_trailing_sep(full);
    key = upper_key(full);
    return true;
}

FakeFiles::Node* FakeFiles::find(const std::u16string& key) {
    auto it = nodes_.find(key);
    return it == nodes_.end() ? nullptr : &it->second;
}

bool FakeFiles::parent_is_folder(const std::u16string& key) {
    std::u16string parent = path_parent(key);
    if (parent.empty()) return false;
    Node* n = find(parent);
    return n && (n->attributes & win::kAttrDirectory);
}

uint32_t FakeFiles::attributes(std::u16string_view path, uint32_t* error) {
    uint32_t rc = win::kOk;
    std::u16string key, full;
    Node* n = nullptr;
    if (!key_for(path, key, full)) rc = win::kErrInvalidName;
    else if (!(n = find(key))) rc = parent_is_folder(key) ? win::kErrFileNotFound : win::kErrPathNotFound;
    else if (n->denied) rc = win::kErrAccessDenied;
    if (error) *error = rc;
    return rc == win::kOk ? n->attributes : win::kInvalidAttributes;
}

bool FakeFiles::set_access_denied(std::u16string_view path, bool denied) {
    std::u16string key, full;
    Node* n = key_for(path, key, full) ? find(key) : nullptr;
    if (n) n->denied = denied;
    return n != nullptr;
}

FileInfo FakeFiles::info(std::u16string_view path) {
    FileInfo fi;
    std::u16string key, full;
    if (!key_for(path, key, full)) return fi;
    if (Node* n = find(key); n && !n->denied) {
        fi.attributes = n->attributes;
        fi.size = (n->attributes & win::kAttrDirectory) ? 0 : n->data.size();
        fi.write_time = n->write_time;
    }
    return fi;
}

uint32_t FakeFiles::list(std::u16string_view folder, std::vector<FileEntry>& out) {
    out.clear();
    std::u16string key, full;
    if (!key_for(folder, key, full)) return win::kErrPathNotFound;
    Node* dir = find(key);
    if (!dir) return win::kErrPathNotFound;
    if (dir->denied) return win::kErrAccessDenied;
    if (!(dir->attributes & win::kAttrDirectory)) return win::kErrPathNotFound;
    std::u16string prefix = key;
    if (prefix.back() != u'\\') prefix += u'\\';
    for (auto it = nodes_.lower_bound(prefix); it != nodes_.end(); ++it) {
        const std::u16string& k = it->first;
        if (k.compare(0, prefix.size(), prefix) != 0) break;
        if (k.find(u'\\', prefix.size()) != std::u16string::npos) continue;
        const Node& n = it->second;
        FileEntry e;
        e.name = std::u16string(path_name_part(n.path.c_str()));
        e.attributes = n.attributes;
        e.size = (n.attributes & win::kAttrDirectory) ? 0 : n.data.size();
        e.write_time = n.write_time;
        out.push_back(std::move(e));
    }
    return win::kOk;
}

uint32_t FakeFiles::read(std::u16string_view path, std::string& out, uint64_t max_bytes) {
    out.clear();
    std::u16string key, full;
    if (!key_for(path, key, full)) return win::kErrInvalidName;
    Node* n = find(key);
    if (!n) return parent_is_folder(key) ? win::kErrFileNotFound : win::kErrPathNotFound;
    if (n->denied || (n->attributes & win::kAttrDirectory)) return win::kErrAccessDenied;
    if (n->data.size() > max_bytes) return win::kErrFileTooLarge;
    out = n->data;
    return win::kOk;
}

uint32_t FakeFiles::write(std::u16string_view path, std::string_view data) {
    std::u16string key, full;
    if (!key_for(path, key, full)) return win::kErrInvalidName;
    if (path_is_root(key)) return win::kErrAccessDenied;
    Node* n = find(key);
    if (n) {
        if (n->attributes & (win::kAttrDirectory | win::kAttrReadOnly)) return win::kErrAccessDenied;
        n->data.assign(data.data(), data.size());
        n->write_time = now();
        return win::kOk;
    }
    if (!parent_is_folder(key)) return win::kErrPathNotFound;
    Node node;
    node.path = full;
    node.attributes = win::kAttrArchive;
    node.data.assign(data.data(), data.size());
    node.write_time = now();
    nodes_[key] = std::move(node);
    return win::kOk;
}

uint32_t FakeFiles::replace(std::u16string_view from, std::u16string_view to) {
    std::u16string fkey, ffull, tkey, tfull;
    if (!key_for(from, fkey, ffull) || !key_for(to, tkey, tfull)) return win::kErrInvalidName;
    Node* src = find(fkey);
    if (!src) return parent_is_folder(fkey) ? win::kErrFileNotFound : win::kErrPathNotFound;
    if (src->attributes & win::kAttrDirectory) return win::kErrAccessDenied;
    if (fkey == tkey) return win::kOk;
    Node* dst = find(tkey);
    if (dst && (dst->attributes & (win::kAttrDirectory | win::kAttrReadOnly))) return win::kErrAccessDenied;
    if (!dst && !parent_is_folder(tkey)) return win::kErrPathNotFound;
    Node moved = std::move(*src);
    nodes_.erase(fkey);
    // A replaced file keeps the name it is moved to, as written by the caller.
    moved.path = dst ? dst->path : tfull;
    nodes_[tkey] = std::move(moved);
    return win::kOk;
}

uint32_t FakeFiles::remove(std::u16string_view path) {
    std::u16string key, full;
    if (!key_for(path, key, full)) return win::kErrInvalidName;
    Node* n = find(key);
    if (!n) return parent_is_folder(key) ? win::kErrFileNotFound : win::kErrPathNotFound;
    if (n->attributes & (win::kAttrDirectory | win::kAttrReadOnly)) return win::kErrAccessDenied;
    nodes_.erase(key);
    return win::kOk;
}

uint32_t FakeFiles::create_folder(std::u16string_view path) {
    std::u16string key, full;
    if (!key_for(path, key, full)) return win::kErrInvalidName;
    if (find(key)) return win::kErrAlreadyExists;
    if (!parent_is_folder(key)) return win::kErrPathNotFound;
    Node node;
    node.path = full;
    node.attributes = win::kAttrDirectory;
    node.write_time = now();
    nodes_[key] = std::move(node);
    return win::kOk;
}

uint32_t FakeFiles::remove_folder(std::u16string_view path) {
    std::u16string key, full;
    if (!key_for(path, key, full)) return win::kErrInvalidName;
    Node* n = find(key);
    if (!n) return parent_is_folder(key) ? win::kErrFileNotFound : win::kErrPathNotFound;
    if (!(n->attributes & win::kAttrDirectory)) return win::kErrDirectoryName;
    std::u16string prefix = key + u"\\";
    auto it = nodes_.lower_bound(prefix);
    if (it != nodes_.end() && it->first.compare(0, prefix.size(), prefix) == 0) return win::kErrDirNotEmpty;
    nodes_.erase(key);
    return win::kOk;
}

uint32_t FakeFiles::full_path(std::u16string_view path, std::u16string& out) {
    if (path.empty()) return win::kErrInvalidName;
    if (!path_resolve(path, cwd_, out)) return win::kErrInvalidName;
    return win::kOk;
}

std::u16string FakeFiles::temp_folder() {
    auto it = known_.find(KnownFolder::LocalAppData);
    std::u16string base = it != known_.end() ? it->second : u"C:\\Windows";
    return base + u"\\Temp\\";
}

std::u16string FakeFiles::known_folder(KnownFolder id) {
    auto it = known_.find(id);
    return it == known_.end() ? std::u16string() : it->second;
}

std::u16string FakeFiles::module_path() { return module_path_; }

void FakeFiles::add_drive(char16_t letter) {
    std::u16string root = {letter, u':', u'\\'};
    Node node;
    node.path = root;
    node.attributes = win::kAttrDirectory;
    nodes_[upper_key(root)] = std::move(node);
}

void FakeFiles::add_folder(std::u16string_view path, uint32_t extra_attributes) {
    std::u16string key, full;
    if (!key_for(path, key, full)) return;
    if (Node* n = find(key)) {
        n->attributes |= extra_attributes;
        return;
    }
    std::u16string parent = path_parent(full);
    if (!parent.empty()) {
        if (path_is_root(parent)) {
            if (!find(upper_key(parent))) add_drive(parent[0]);
        } else {
            add_folder(parent);
        }
    }
    Node node;
    node.path = full;
    node.attributes = win::kAttrDirectory | extra_attributes;
    node.write_time = now();
    nodes_[key] = std::move(node);
}

void FakeFiles::add_file(std::u16string_view path, std::string_view data, uint64_t write_time, uint32_t extra_attributes) {
    std::u16string key, full;
    if (!key_for(path, key, full)) return;
    std::u16string parent = path_parent(full);
    if (!parent.empty()) add_folder(parent);
    Node node;
    node.path = full;
    node.attributes = win::kAttrArchive | extra_attributes;
    node.data.assign(data.data(), data.size());
    node.write_time = write_time ? write_time : now();
    nodes_[key] = std::move(node);
}

void FakeFiles::set_known_folder(KnownFolder id, std::u16string_view path) { known_[id] = std::u16string(path); }

std::optional<std::string> FakeFiles::contents(std::u16string_view path) {
    std::u16string key, full;
    if (!key_for(path, key, full)) return std::nullopt;
    Node* n = find(key);
    if (!n || (n->attributes & win::kAttrDirectory)) return std::nullopt;
    return n->data;
}

bool FakeClock::to_local(uint64_t filetime, LocalTime& out) {
    int64_t shifted = static_cast<int64_t>(filetime) + static_cast<int64_t>(offset_minutes_) * 60 * static_cast<int64_t>(kFiletimePerSecond);
    if (shifted < 0) return false;
    return filetime_to_civil(static_cast<uint64_t>(shifted), out);
}

std::optional<std::u16string> FakeEnvironment::get(std::u16string_view name) {
    auto it = vars_.find(upper_key(name));
    if (it == vars_.end()) return std::nullopt;
    return it->second.second;
}

bool FakeEnvironment::set(std::u16string_view name, std::optional<std::u16string_view> value) {
    if (name.empty() || name.find(u'=') != std::u16string_view::npos) return false;
    if (!value) {
        vars_.erase(upper_key(name));
        return true;
    }
    vars_[upper_key(name)] = {std::u16string(name), std::u16string(*value)};
    return true;
}

std::u16string FakeEnvironment::expand(std::u16string_view text) {
    std::u16string out;
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] == u'%') {
            size_t end = text.find(u'%', i + 1);
            if (end != std::u16string_view::npos && end > i + 1) {
                auto v = get(text.substr(i + 1, end - i - 1));
                if (v) {
                    out += *v;
                    i = end + 1;
                    continue;
                }
            }
            // An unknown name stays; scanning goes on from its closing '%'.
            if (end == std::u16string_view::npos) {
                out.append(text.substr(i));
                break;
            }
            out.append(text.substr(i, end - i));
            i = end;
            continue;
        }
        out += text[i++];
    }
    return out;
}

bool FakeClipboard::open() {
    if (busy_opens <= 0) return true;
    --busy_opens;
    return false;
}

ClipboardResult FakeClipboard::set_text(std::u16string_view text) {
    if (!open()) return ClipboardResult::Busy;
    put(text);
    ++sets;
    return ClipboardResult::Ok;
}

ClipboardResult FakeClipboard::set_file_drop(std::string_view payload) {
    if (!open()) return ClipboardResult::Busy;
    empty();
    drop_.assign(payload);
    has_drop_ = true;
    ++sets;
    return ClipboardResult::Ok;
}

ClipboardResult FakeClipboard::get_text(std::u16string& out, size_t max_units) {
    out.clear();
    if (!open()) return ClipboardResult::Busy;
    if (!has_text_) return ClipboardResult::NoText;
    std::u16string_view t = text_;
    t = t.substr(0, std::min(t.size(), max_units));
    t = t.substr(0, std::min(t.size(), t.find(u'\0')));
    out.assign(t);
    return ClipboardResult::Ok;
}

namespace {
uint64_t clock_now(void* ctx) { return static_cast<FakeClock*>(ctx)->now_filetime(); }
}  // namespace

FakeWorld::FakeWorld() {
    files.set_time_source(clock_now, &clock);
    files.add_drive(u'C');
    const std::u16string profile = u"C:\\Users\\user";
    const std::u16string appdata = profile + u"\\AppData\\Roaming";
    const std::u16string local = profile + u"\\AppData\\Local";
    files.add_folder(u"C:\\Windows\\System32");
    files.add_folder(appdata + u"\\Microsoft\\Windows\\Start Menu\\Programs");
    files.add_folder(local + u"\\Temp");
    files.add_folder(u"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs");
    files.add_folder(u"C:\\Program Files\\Kestrune");
    files.add_folder(profile + u"\\Desktop");
    files.set_known_folder(KnownFolder::RoamingAppData, appdata);
    files.set_known_folder(KnownFolder::LocalAppData, local);
    files.set_known_folder(KnownFolder::Programs, appdata + u"\\Microsoft\\Windows\\Start Menu\\Programs");
    files.set_known_folder(KnownFolder::CommonPrograms, u"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs");
    files.set_known_folder(KnownFolder::Profile, profile);
    files.set_known_folder(KnownFolder::Windows, u"C:\\Windows");
    files.set_known_folder(KnownFolder::System, u"C:\\Windows\\System32");
    files.set_known_folder(KnownFolder::Desktop, profile + u"\\Desktop");
    // The process table of a machine where the launcher runs: the system and the launcher itself.
    processes.add(4, u"System");
    processes.add(processes.current_pid(), u"kestrune.exe", files.module_path());
    env.set(u"SystemRoot", u"C:\\Windows");
    env.set(u"windir", u"C:\\Windows");
    env.set(u"USERPROFILE", profile);
    env.set(u"APPDATA", appdata);
    env.set(u"LOCALAPPDATA", local);
    env.set(u"TEMP", local + u"\\Temp");
    env.set(u"TMP", local + u"\\Temp");
    env.set(u"ProgramFiles", u"C:\\Program Files");
    env.set(u"ProgramData", u"C:\\ProgramData");
    env.set(u"USERNAME", u"user");
    const char16_t* version = u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
    registry.set_string(RegistryRoot::LocalMachine, version, u"CurrentBuild", u"19045");
    registry.set_string(RegistryRoot::LocalMachine, version, u"CurrentBuildNumber", u"19045");
    registry.set_string(RegistryRoot::LocalMachine, version, u"ProductName", u"Windows 10 Pro");
    registry.set_string(RegistryRoot::LocalMachine, version, u"SystemRoot", u"C:\\Windows");
    registry.set_dword(RegistryRoot::LocalMachine, version, u"CurrentMajorVersionNumber", 10);
    registry.set_string(RegistryRoot::LocalMachine, u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", u"ProgramFilesDir",
                        u"C:\\Program Files");
}

bool FakeWindowPost::post(uint32_t message, uintptr_t wparam, void* lparam) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!open_) return false;
        queue_.push_back(PostedMessage{message, wparam, lparam});
    }
    arrived_.notify_all();
    return true;
}

void FakeWindowPost::open_window() {
    std::lock_guard<std::mutex> lock(mutex_);
    open_ = true;
}

void FakeWindowPost::close_window() {
    std::lock_guard<std::mutex> lock(mutex_);
    open_ = false;
}

bool FakeWindowPost::take(PostedMessage& out) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (queue_.empty()) return false;
    out = queue_.front();
    queue_.pop_front();
    return true;
}

bool FakeWindowPost::wait(PostedMessage& out, uint64_t timeout_ms) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!arrived_.wait_for(lock, std::chrono::milliseconds(timeout_ms), [this] { return !queue_.empty(); })) return false;
    out = queue_.front();
    queue_.pop_front();
    return true;
}

size_t FakeWindowPost::pending() {
    std::lock_guard<std::mutex> lock(mutex_);
    return queue_.size();
}
