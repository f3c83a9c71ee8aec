// One program's Uninstall subkey as any installer may have written it: the texts of its values
// (a DisplayIcon with commas, quotes and % signs, commands of any length), its flags, its size.
// No crash; every listed entry keeps its limits; its command either splits into an executable of
// under 260 units and arguments of at most 2047, or is refused.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_input.h"
#include "core/row.h"
#include "platform/fake/fake_world.h"
#include "sources/uninstall.h"

namespace {

constexpr const char16_t* kStringValues[] = {u"DisplayName",    u"UninstallString", u"QuietUninstallString",
                                             u"Publisher",      u"DisplayVersion",  u"InstallLocation",
                                             u"DisplayIcon",    u"ParentKeyName",   u"ReleaseType"};
constexpr const char16_t* kDwordValues[] = {u"SystemComponent", u"NoRemove", u"EstimatedSize"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FakeWorld* world = [] {
        auto* w = new FakeWorld;
        w->env.set(u"SystemRoot", u"C:\\Windows");
        w->env.set(u"LONG", std::u16string(1500, u'x'));
        w->files.add_file(u"C:\\Program Files\\App\\un.exe", "MZ");
        return w;
    }();
    PlatformScope scope(world->platform());
    const uint8_t* p = data;
    const uint8_t* end = data + size;
    const std::u16string key = std::u16string(kUninstallLocations[0].key) + u"\\Fuzz";
    world->registry.remove_key(RegistryRoot::LocalMachine, kUninstallLocations[0].key);
    uint16_t present = 0;
    if (end - p >= 2) present = uint16_t(p[0] | p[1] << 8), p += 2;
    for (size_t i = 0; i < sizeof kStringValues / sizeof kStringValues[0]; ++i) {
        std::u16string text = fuzz_take_utf16(p, end, 5, 1400);
        if (present & (1u << i)) world->registry.set_string(RegistryRoot::LocalMachine, key, kStringValues[i], text);
    }
    for (size_t i = 0; i < sizeof kDwordValues / sizeof kDwordValues[0]; ++i) {
        uint32_t v = 0;
        for (int b = 0; b < 4 && p != end; ++b) v |= uint32_t(*p++) << (8 * b);
        if (present & (1u << (9 + i))) world->registry.set_dword(RegistryRoot::LocalMachine, key, kDwordValues[i], v);
    }

    UninstallEntry e;
    if (uninstall_read_entry(RegistryRoot::LocalMachine, key, e)) {
        if (e.name.empty() || e.name.size() > 255 || e.command.empty() || e.command.size() > 1023) std::abort();
        if (e.icon.size() > 259 || e.location.size() > 259 || e.version.size() > 63 || e.size_text.size() > 31) std::abort();
        char16_t subtitle[512];
        uninstall_subtitle(e, subtitle, 512);
        std::u16string exe, args;
        if (uninstall_split(e.command.c_str(), exe, args) && (exe.empty() || exe.size() > 259 || args.size() > 2047))
            std::abort();
    }
    uninstall_invalidate();
    RowList rows;
    rowlist_init(&rows, nullptr);
    std::u16string query = fuzz_take_utf16(p, end, 1, 64);
    uninstall_rows(query.c_str(), &rows);
    if (rows.count > 1) std::abort();
    for (int32_t i = 0; i < rows.count; ++i)
        if (rows.items[i].kind != kKindUninstall || !rows.items[i].title || !rows.items[i].target) std::abort();
    rowlist_free(&rows);
    return 0;
}
