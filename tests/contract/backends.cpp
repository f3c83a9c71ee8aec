#include "contract/backends.h"

#include <string>
#include <vector>

#include "platform/fake/fake_world.h"
#include "platform/paths.h"
#ifdef _WIN32
#include "platform/win32/win32_platform.h"
#endif

namespace {

void remove_tree(Files& fs, const std::u16string& folder) {
    std::vector<FileEntry> entries;
    if (fs.list(folder, entries) == 0) {
        for (const auto& e : entries) {
            std::u16string p = path_join(folder, e.name);
            if (e.attributes & win::kAttrDirectory) remove_tree(fs, p);
            else fs.remove(p);
        }
    }
    fs.remove_folder(folder);
}

#ifdef _WIN32
int g_serial = 0;

std::u16string utf16_serial(uint64_t stamp, int serial) {
    std::string s = std::to_string(stamp) + "-" + std::to_string(serial);
    return std::u16string(s.begin(), s.end());
}
#endif

}  // namespace

bool contract_backend_open(const std::string& name, ContractBackend& out) {
    if (name == "fake") {
        auto world = std::make_shared<FakeWorld>();
        out.platform = world->platform();
        out.owner = world;
        out.sandbox = u"C:\\sandbox";
        world->files.add_folder(out.sandbox);
        return true;
    }
#ifdef _WIN32
    if (name == "win32") {
        out.platform = win32_platform();
        std::u16string base = out.platform.files->temp_folder();
        std::u16string leaf = u"kestrune-contract-" + utf16_serial(out.platform.clock->now_filetime(), ++g_serial);
        out.sandbox = path_join(base, leaf);
        if (base.empty() || out.platform.files->create_folder(out.sandbox) != 0) return false;
        return true;
    }
#endif
    return false;
}

void contract_backend_close(ContractBackend& b) {
    if (b.platform.files && !b.sandbox.empty()) remove_tree(*b.platform.files, b.sandbox);
    b = ContractBackend{};
}
