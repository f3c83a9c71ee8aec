// Copying a text, or a file itself (as Explorer's Copy does), to the clipboard.
#include <cstring>

#include "actions/shell_actions.h"
#include "platform/platform.h"

namespace {

constexpr size_t kFullPathUnits = 260;  // MAX_PATH, terminator included
constexpr uint32_t kDropFilesSize = 20;

void put_u32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out += char((v >> (8 * i)) & 0xFF);
}

}  // namespace

std::string hdrop_payload(std::u16string_view full_path) {
    std::string out;
    out.reserve(kDropFilesSize + 2 * full_path.size() + 4);
    put_u32(out, kDropFilesSize);  // pFiles: the list follows the header
    put_u32(out, 0);               // pt.x
    put_u32(out, 0);               // pt.y
    put_u32(out, 0);               // fNC
    put_u32(out, 1);               // fWide: UTF-16 names
    for (char16_t c : full_path) {
        out += char(c & 0xFF);
        out += char(c >> 8);
    }
    out.append(4, '\0');  // the path's terminator and the list's
    return out;
}

bool clipboard_copy_text(std::u16string_view text) { return os_clipboard().set_text(text) == ClipboardResult::Ok; }

bool clipboard_copy_file(std::u16string_view path) {
    if (path.empty()) return false;
    std::u16string full;
    if (os_files().full_path(path, full) != 0 || full.empty() || full.size() + 1 > kFullPathUnits) return false;
    return os_clipboard().set_file_drop(hdrop_payload(full)) == ClipboardResult::Ok;
}
