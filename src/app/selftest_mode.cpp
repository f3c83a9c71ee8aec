#include "app/selftest_mode.h"

#include <string>
#include <vector>

#include "core/format.h"
#include "core/selftest.h"
#include "platform/paths.h"
#include "platform/platform.h"

namespace {

void remove_tree(const std::u16string& folder) {
    std::vector<FileEntry> entries;
    if (os_files().list(folder, entries) == 0) {
        for (const auto& e : entries) {
            std::u16string p = path_join(folder, e.name);
            if (e.attributes & win::kAttrDirectory) remove_tree(p);
            else os_files().remove(p);
        }
    }
    os_files().remove_folder(folder);
}

}  // namespace

int selftest_mode_run(void (*print)(const char* text, void* ctx), void* ctx) {
    std::u16string temp = os_files().temp_folder();
    char16_t name[96];
    text_format(name, 96, "kestrune-selftest-%llu", static_cast<unsigned long long>(os_clock().now_filetime()));
    std::u16string folder = path_join(temp, name);
    bool have_folder = os_files().create_folder(folder) == 0;
    if (have_folder) os_env().set(u"KESTRUNE_DATA_DIR", folder);
    int failed = selftest_run(print, ctx);
    if (have_folder) remove_tree(folder);
    return failed == 0 && have_folder ? 0 : 1;
}
