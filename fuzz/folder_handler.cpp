// The folder handler read from the registry, where any program may have written any command,
// and the path it is asked to open. No crash; the folder handler's arguments stay bounded.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_input.h"
#include "actions/shell_actions.h"
#include "platform/fake/fake_world.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FakeWorld* world = [] {
        auto* w = new FakeWorld;
        w->env.set(u"SystemRoot", u"C:\\Windows");
        w->env.set(u"LONG", std::u16string(1000, u'x'));
        return w;
    }();
    PlatformScope scope(world->platform());
    const uint8_t* p = data;
    const uint8_t* end = data + size;
    uint8_t flags = p != end ? *p++ : 0;
    std::u16string user = fuzz_take_utf16(p, end, 8, SIZE_MAX);
    std::u16string machine = fuzz_take_utf16(p, end, 8, SIZE_MAX);
    std::u16string path = fuzz_take_utf16(p, end, 8, SIZE_MAX);

    const char16_t* kUser = u"Software\\Classes\\Directory\\shell\\open\\command";
    const char16_t* kMachine = u"Directory\\shell\\open\\command";
    world->registry.remove_key(RegistryRoot::CurrentUser, kUser);
    world->registry.remove_key(RegistryRoot::ClassesRoot, kMachine);
    if (flags & 1) world->registry.set_string(RegistryRoot::CurrentUser, kUser, u"", user, (flags & 2) ? 2 : 1);
    if (flags & 4) world->registry.set_string(RegistryRoot::ClassesRoot, kMachine, u"", machine);

    std::u16string exe, args;
    if (folder_handler(path, exe, args)) {
        if (exe.empty() || args.size() > 1023) std::abort();
    }
    open_containing_folder(path);
    if (world->shell.log.size() > 64) world->shell.log.clear();
    return 0;
}
