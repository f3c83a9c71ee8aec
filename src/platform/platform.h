// The OS boundary: one interface per capability, reached through a process-wide table.
// The entry point installs the win32 backend; tests install the fake world or a fault wrapper.
#pragma once
#include "platform/apps_folder.h"
#include "platform/clipboard.h"
#include "platform/clock.h"
#include "platform/environment.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/window_post.h"

// Capabilities whose interfaces live in their own headers (display.h, processes.h, volumes.h,
// secure_random.h, ole_db.h); a backend that lacks one leaves it null.
class Display;
class Processes;
class Volumes;
class SecureRandom;
class OleDb;

struct Platform {
    Files* files = nullptr;
    Clock* clock = nullptr;
    Environment* env = nullptr;
    Clipboard* clipboard = nullptr;
    Registry* registry = nullptr;
    Shell* shell = nullptr;
    WindowPost* window_post = nullptr;
    AppsFolder* apps_folder = nullptr;
    Display* display = nullptr;
    Processes* processes = nullptr;
    Volumes* volumes = nullptr;
    SecureRandom* random = nullptr;
    OleDb* ole_db = nullptr;
};

Platform& platform();
// Replaces the table; returns the previous one so a test can put it back.
Platform platform_install(const Platform& p);
// Moves on with every install: what a cache learnt from one backend does not hold for the next.
uint64_t platform_serial();

inline Files& os_files() { return *platform().files; }
inline Clock& os_clock() { return *platform().clock; }
inline Environment& os_env() { return *platform().env; }
inline Clipboard& os_clipboard() { return *platform().clipboard; }
inline Registry& os_registry() { return *platform().registry; }
inline Shell& os_shell() { return *platform().shell; }
inline WindowPost& os_window_post() { return *platform().window_post; }
inline AppsFolder& os_apps_folder() { return *platform().apps_folder; }
inline Display& os_display() { return *platform().display; }
inline Processes& os_processes() { return *platform().processes; }
inline Volumes& os_volumes() { return *platform().volumes; }
inline SecureRandom& os_random() { return *platform().random; }
inline OleDb& os_ole_db() { return *platform().ole_db; }

// Installs a backend for the length of a scope.
class PlatformScope {
public:
    explicit PlatformScope(const Platform& p) : saved_(platform_install(p)) {}
    ~PlatformScope() { platform_install(saved_); }
    PlatformScope(const PlatformScope&) = delete;
    PlatformScope& operator=(const PlatformScope&) = delete;

private:
    Platform saved_;
};
