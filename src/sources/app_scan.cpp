// The Start Menu scan: every ".lnk" and ".url" file below a programs folder, 16 folder levels deep.
#include <string>
#include <vector>

#include "core/text.h"
#include "platform/platform.h"
#include "sources/app_index_data.h"

namespace {

constexpr int kMaxDepth = 16;
// Folder paths and child paths are kept to this many units (the 268-unit buffers of the listing,
// less the terminator). Longer paths are left out: a cut path would name some other file.
constexpr size_t kMaxPathUnits = 267;

// The entry name of a shortcut file: the name without ".lnk" or ".url" and without trailing white
// space; empty when the file is no shortcut or nothing is left.
std::u16string_view shortcut_name(std::u16string_view file) {
    if (file.size() <= 4) return {};
    std::u16string_view ext = file.substr(file.size() - 4);
    if (!text_equal_ci(ext, u".lnk") && !text_equal_ci(ext, u".url")) return {};
    std::u16string_view name = file.substr(0, file.size() - 4);
    while (!name.empty() && text_is_blank(name.back())) name.remove_suffix(1);
    return name;
}

// folder is the path being scanned; children are appended to it and taken off again.
void scan(AppIndex& ix, std::u16string& folder, int depth) {
    if (depth > kMaxDepth) return;
    if (folder.size() + 2 > kMaxPathUnits) return;  // room for the "\*" of the listing pattern
    std::vector<FileEntry> entries;
    if (os_files().list(folder, entries) != 0) return;
    size_t base = folder.size();
    bool needs_sep = base == 0 || (folder.back() != u'\\' && folder.back() != u'/');
    for (const FileEntry& e : entries) {
        if (e.name.empty() || e.name == u"." || e.name == u"..") continue;
        if (base + (needs_sep ? 1 : 0) + e.name.size() > kMaxPathUnits) continue;
        if (needs_sep) folder += u'\\';
        folder += e.name;
        if (e.attributes & win::kAttrDirectory) {
            scan(ix, folder, depth + 1);
        } else {
            std::u16string_view name = shortcut_name(e.name);
            if (!name.empty()) app_index_add_shortcut(ix, name, folder);
        }
        folder.resize(base);
    }
}

}  // namespace

void app_scan_start_menu(AppIndex& index, std::u16string_view root) {
    if (root.empty()) return;
    std::u16string folder(root);
    scan(index, folder, 0);
}
