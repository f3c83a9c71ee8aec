// A deterministic in-memory Windows: drives, case-insensitive names, both separators, attributes,
// file times and sizes, known folders, a settable clock and an environment. Tests seed it with a
// few lines and install it with PlatformScope(world.platform()).
#pragma once
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "platform/fake/fake_apps_folder.h"
#include "platform/fake/fake_processes.h"
#include "platform/fake/fake_registry.h"
#include "platform/fake/fake_shell.h"
#include "platform/platform.h"

class FakeFiles : public Files {
public:
    FakeFiles();
    using Files::attributes;
    uint32_t attributes(std::u16string_view path, uint32_t* error) override;
    FileInfo info(std::u16string_view path) override;
    uint32_t list(std::u16string_view folder, std::vector<FileEntry>& out) override;
    uint32_t read(std::u16string_view path, std::string& out, uint64_t max_bytes) override;
    uint32_t write(std::u16string_view path, std::string_view data) override;
    uint32_t replace(std::u16string_view from, std::u16string_view to) override;
    uint32_t remove(std::u16string_view path) override;
    uint32_t create_folder(std::u16string_view path) override;
    uint32_t remove_folder(std::u16string_view path) override;
    uint32_t full_path(std::u16string_view path, std::u16string& out) override;
    std::u16string temp_folder() override;
    std::u16string known_folder(KnownFolder id) override;
    std::u16string module_path() override;

    // Seeding helpers: parents are created as needed.
    void add_drive(char16_t letter);
    void add_folder(std::u16string_view path, uint32_t extra_attributes = 0);
    void add_file(std::u16string_view path, std::string_view data, uint64_t write_time = 0, uint32_t extra_attributes = 0);
    void set_known_folder(KnownFolder id, std::u16string_view path);
    void set_module_path(std::u16string_view path) { module_path_ = std::u16string(path); }
    void set_cwd(std::u16string_view path) { cwd_ = std::u16string(path); }
    // Contents of a file, or nullopt.
    std::optional<std::string> contents(std::u16string_view path);
    void set_time_source(uint64_t (*now)(void*), void* ctx) { now_ = now, now_ctx_ = ctx; }
    // Makes an existing file or folder refuse to be looked at or read (access denied), as an
    // entry behind a folder the user may not traverse does; false when there is no such entry.
    bool set_access_denied(std::u16string_view path, bool denied = true);

private:
    struct Node {
        std::u16string path;  // as created
        uint32_t attributes = 0;
        std::string data;
        uint64_t write_time = 0;
        bool denied = false;
    };
    bool key_for(std::u16string_view path, std::u16string& key, std::u16string& full);
    Node* find(const std::u16string& key);
    bool parent_is_folder(const std::u16string& key);
    uint64_t now() { return now_ ? now_(now_ctx_) : 0; }

    std::map<std::u16string, Node> nodes_;  // key: full path, ASCII upper-cased
    std::map<KnownFolder, std::u16string> known_;
    std::u16string module_path_ = u"C:\\Program Files\\Kestrune\\kestrune.exe";
    std::u16string cwd_ = u"C:\\";
    uint64_t (*now_)(void*) = nullptr;
    void* now_ctx_ = nullptr;
};

class FakeClock : public Clock {
public:
    uint64_t tick_ms() override { return tick_; }
    uint64_t now_filetime() override { return now_; }
    bool to_local(uint64_t filetime, LocalTime& out) override;

    void set_tick(uint64_t ms) { tick_ = ms; }
    void advance_ms(uint64_t ms) { tick_ += ms, now_ += ms * 10000; }
    void set_now(uint64_t filetime) { now_ = filetime; }
    void set_utc_offset_minutes(int minutes) { offset_minutes_ = minutes; }

private:
    uint64_t tick_ = 1000000;
    uint64_t now_ = civil_to_filetime(2026, 12, 10, 12, 0, 0);
    int offset_minutes_ = 0;
};

class FakeEnvironment : public Environment {
public:
    std::optional<std::u16string> get(std::u16string_view name) override;
    bool set(std::u16string_view name, std::optional<std::u16string_view> value) override;
    std::u16string expand(std::u16string_view text) override;

private:
    std::map<std::u16string, std::pair<std::u16string, std::u16string>> vars_;  // key -> (name, value)
};

// The clipboard as one text slot. Like CF_UNICODETEXT, a text is read back up to its first NUL.
// busy_opens makes that many following calls fail as if another program held the clipboard open.
class FakeClipboard : public Clipboard {
public:
    ClipboardResult set_text(std::u16string_view text) override;
    ClipboardResult get_text(std::u16string& out, size_t max_units) override;
    ClipboardResult set_file_drop(std::string_view payload) override;

    // Seeding and inspection: any units at all (lone surrogates, no NUL), or nothing on the clipboard.
    void put(std::u16string_view units) { empty(), text_ = std::u16string(units), has_text_ = true; }
    void empty() { text_.clear(), has_text_ = false, drop_.clear(), has_drop_ = false; }
    bool has_text() const { return has_text_; }
    const std::u16string& text() const { return text_; }
    bool has_file_drop() const { return has_drop_; }
    const std::string& file_drop() const { return drop_; }  // the CF_HDROP bytes
    int busy_opens = 0;
    int sets = 0;  // successful set_text calls

private:
    bool open();
    std::u16string text_;
    bool has_text_ = false;
    std::string drop_;
    bool has_drop_ = false;
};

// The launcher window's message queue as the workers see it. There is no window until a test opens
// one; posts then queue up (from any thread) until the test takes them.
struct PostedMessage {
    uint32_t message = 0;
    uintptr_t wparam = 0;
    void* lparam = nullptr;
};

class FakeWindowPost : public WindowPost {
public:
    bool post(uint32_t message, uintptr_t wparam, void* lparam) override;

    void open_window();
    // Posts fail from now on; messages already queued stay for take().
    void close_window();
    bool take(PostedMessage& out);
    // Waits up to timeout_ms for a message.
    bool wait(PostedMessage& out, uint64_t timeout_ms);
    size_t pending();

private:
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<PostedMessage> queue_;
    bool open_ = false;
};

// The whole fake machine: a C: drive with the usual Windows folders, a user "user", and the
// registry values every Windows has (the version keys of Windows 10 22H2, build 19045).
class FakeWorld {
public:
    FakeWorld();
    Platform platform() {
        return Platform{.files = &files, .clock = &clock, .env = &env, .clipboard = &clipboard, .registry = &registry,
                        .shell = &shell, .window_post = &window, .apps_folder = &apps_folder,
                        .display = &display, .processes = &processes};
    }

    FakeFiles files;
    FakeClock clock;
    FakeEnvironment env;
    FakeClipboard clipboard;
    FakeRegistry registry;
    FakeShell shell;
    FakeWindowPost window;
    FakeAppsFolder apps_folder;
    FakeDisplay display;
    FakeProcesses processes;
};
