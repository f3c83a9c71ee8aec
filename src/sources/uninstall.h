// The uninstall tool ("uninstall"): the desktop programs listed under the four registry Uninstall
// keys, in a process-wide cache refreshed at most once a minute, as rows whose Enter runs the
// program's own uninstaller.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/registry.h"

struct RowList;

struct UninstallEntry {
    std::u16string name;       // DisplayName
    std::u16string publisher;  // the optional texts are empty when absent
    std::u16string version;
    std::u16string size_text;  // EstimatedSize (kilobytes) as a byte count
    std::u16string command;    // UninstallString
    std::u16string quiet_command;
    std::u16string location;
    std::u16string icon;  // DisplayIcon without its icon index and quotes, expanded
    std::u16string subtitle;  // the row's subtitle, made once when the entry is read
};

struct UninstallLocation {
    RegistryRoot root;
    const char16_t* key;
};

// The keys scanned, in order. The WOW6432Node paths are opened as written: asking the registry
// for its 32-bit view instead is redirected differently on HKCU by wine.
constexpr UninstallLocation kUninstallLocations[] = {
    {RegistryRoot::LocalMachine, u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall"},
    {RegistryRoot::LocalMachine, u"SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall"},
    {RegistryRoot::CurrentUser, u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall"},
    {RegistryRoot::CurrentUser, u"SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall"},
};

constexpr int32_t kUninstallMaxEntries = 2048;
constexpr uint64_t kUninstallRescanMs = 60000;  // a cache this old is read again

// Reads one application's subkey; false when it is not listed (no name or command, a system
// component, not removable, an update, a part of another product).
bool uninstall_read_entry(RegistryRoot root, std::u16string_view key, UninstallEntry& out);

// The icon file of a DisplayIcon value: a trailing ",<index>" (optionally negative) cut off,
// surrounding quotes removed, environment variables expanded (the unexpanded text when that fails
// or comes out empty or too long). Empty when nothing usable is left.
std::u16string uninstall_icon_path(std::u16string_view display_icon);

// Publisher, version and size text, the present ones joined with " - ", into buf (n units).
void uninstall_subtitle(const UninstallEntry& e, char16_t* buf, size_t n);

// Appends one row (kind 33, tag U) per cached program whose name matches the text after the
// prefix (all of them for a blank text), sorted by score. Rescans first when the cache is stale.
void uninstall_rows(const char16_t* argument, RowList* out);
// Rebuilds the cache from the registry.
void uninstall_scan();
// Drops every entry: the next query reads the registry again.
void uninstall_invalidate();
// The quiet command and install location (empty when absent) of the cached program with this
// display name (ignoring case) and exactly this uninstall command: entries are not merged, and two
// programs may share a name. False when there is none.
bool uninstall_lookup(const char16_t* name, const char16_t* command, std::u16string& quiet, std::u16string& location);
// The executable (under 260 units) and its arguments (at most 2047 units) of an uninstall command,
// environment variables expanded first; an unquoted path with spaces is cut where it names an
// existing file. False for a blank text or an executable that is empty or too long.
bool uninstall_split(const char16_t* command, std::u16string& executable, std::u16string& arguments);

// For tests and diagnosis: entries in the cache, and how many scans have run in this process.
int32_t uninstall_cached_count();
uint64_t uninstall_scan_count();
