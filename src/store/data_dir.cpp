#include "store/data_dir.h"

#include <string>

#include "core/text.h"
#include "platform/platform.h"
#include "store/field_cut.h"

namespace {

// A directory is used when directory + backslash + name + terminator fits in MAX_PATH.
bool fits(size_t dir_len, size_t name_len) { return dir_len + name_len + 2 < kDataPathCapacity; }

bool put(std::u16string_view path, char16_t* out, size_t capacity) {
    if (!out || path.size() + 1 > capacity) return false;
    text_copy_to(out, capacity, path);
    return true;
}

// A trailing separator on the variable would double the backslash before the name.
std::u16string without_trailing_separators(std::u16string dir) {
    while (dir.size() > 1 && (dir.back() == u'\\' || dir.back() == u'/')) dir.pop_back();
    return dir;
}

}  // namespace

int data_file_path(const char16_t* name, char16_t* out, size_t capacity) {
    std::u16string_view n = text_view(name);
    std::u16string dir;
    bool chosen = false;
    if (auto env = os_env().get(u"KESTRUNE_DATA_DIR"); env && !env->empty()) {
        dir = std::u16string(field_cut(*env, kDataPathCapacity - 1));
        os_files().create_folder(dir);
        dir = without_trailing_separators(dir);
        chosen = fits(dir.size(), n.size());
    }
    if (!chosen) {
        std::u16string base = os_files().known_folder(KnownFolder::RoamingAppData);
        if (!base.empty()) {
            dir = without_trailing_separators(base) + u"\\Kestrune";
            os_files().create_folder(dir);
            chosen = fits(dir.size(), n.size());
        }
    }
    if (chosen) {
        std::u16string full = dir + u"\\";
        full += n;
        return put(full, out, capacity) ? 0 : -1;
    }
    std::u16string module = os_files().module_path();
    size_t slash = module.find_last_of(u'\\');
    if (slash == std::u16string::npos) return -1;
    std::u16string full = module.substr(0, slash + 1);
    full += n;
    if (full.size() >= kDataPathCapacity) return -1;
    return put(full, out, capacity) ? 0 : -1;
}

int data_dir_path(char16_t* out, size_t capacity) {
    char16_t full[kDataPathCapacity];
    if (data_file_path(u"quick_access.dat", full, kDataPathCapacity) != 0) return -1;
    std::u16string_view v(full);
    size_t slash = v.find_last_of(u'\\');
    if (slash == std::u16string_view::npos) return -1;
    return put(v.substr(0, slash), out, capacity) ? 0 : -1;
}

int data_dir_file(const char16_t* name, char16_t* out, size_t capacity) {
    char16_t dir[kDataPathCapacity];
    if (data_dir_path(dir, kDataPathCapacity) != 0) return -1;
    std::u16string full(dir);
    full += u'\\';
    full += text_view(name);
    return put(full, out, capacity) ? 0 : -1;
}

void legacy_file_retire(const char16_t* dat_name, const char16_t* json_name) {
    char16_t dat[kDataPathCapacity];
    char16_t json[kDataPathCapacity];
    if (data_file_path(dat_name, dat, kDataPathCapacity) != 0) return;
    if (data_file_path(json_name, json, kDataPathCapacity) != 0) return;
    std::u16string bak(json);
    bak += u".bak";
    // MoveFileW semantics: never overwrite an existing .bak.
    if (os_files().attributes(bak) != win::kInvalidAttributes) return;
    os_files().replace(json, bak);
}
