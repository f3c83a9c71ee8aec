// A service's ImagePath value, which any installer may have written, and the service name that
// names its key: no crash, and an executable found is 1 to 259 units.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_input.h"
#include "platform/fake/fake_world.h"
#include "sources/processes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FakeWorld* world = [] {
        auto* w = new FakeWorld;
        w->files.add_file(u"C:\\Program Files\\A B\\svc.exe", "MZ");
        w->env.set(u"LONG", std::u16string(1000, u'x'));
        return w;
    }();
    PlatformScope scope(world->platform());
    const uint8_t* p = data;
    const uint8_t* end = data + size;
    uint8_t flags = p != end ? *p++ : 0;
    std::u16string name = fuzz_take_utf16(p, end, 2, 400);
    std::u16string value = fuzz_take_utf16(p, end, 8, SIZE_MAX);

    const std::u16string key = u"SYSTEM\\CurrentControlSet\\Services\\" + name;
    world->registry.remove_key(RegistryRoot::LocalMachine, u"SYSTEM\\CurrentControlSet\\Services");
    if (flags & 1) world->registry.set_string(RegistryRoot::LocalMachine, key, u"ImagePath", value, (flags & 2) ? 2 : 1);

    std::u16string exe;
    if (service_image_path(name.c_str(), exe)) {
        if (exe.empty() || exe.size() > 259) std::abort();
    }
    if (image_path_executable(value, exe)) {
        if (exe.empty() || exe.size() > 259) std::abort();
    }
    return 0;
}
