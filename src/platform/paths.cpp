#include "platform/paths.h"

#include <vector>

namespace {
bool is_sep(char16_t c) { return c == u'\\' || c == u'/'; }
bool is_drive_letter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }
}  // namespace

bool path_resolve(std::u16string_view path, std::u16string_view cwd, std::u16string& out) {
    if (path.empty()) return false;
    std::u16string drive;  // "C:"
    std::u16string rest;
    if (path.size() >= 2 && is_drive_letter(path[0]) && path[1] == u':') {
        drive = std::u16string(path.substr(0, 2));
        if (path.size() >= 3 && is_sep(path[2])) {
            rest = std::u16string(path.substr(2));
        } else {
            // Drive-relative: against cwd when it is on that drive, else the drive's root.
            std::u16string base = u"\\";
            if (cwd.size() >= 2 && (cwd[0] | 0x20) == (drive[0] | 0x20)) base = std::u16string(cwd.substr(2)) + u"\\";
            rest = base + std::u16string(path.substr(2));
        }
    } else if (is_sep(path[0])) {
        if (cwd.size() < 2) return false;
        drive = std::u16string(cwd.substr(0, 2));
        rest = std::u16string(path);
    } else {
        if (cwd.size() < 2) return false;
        drive = std::u16string(cwd.substr(0, 2));
        rest = std::u16string(cwd.substr(2)) + u"\\" + std::u16string(path);
    }
    bool trailing = is_sep(rest.back());
    std::vector<std::u16string> parts;
    size_t i = 0;
    while (i < rest.size()) {
        while (i < rest.size() && is_sep(rest[i])) ++i;
        size_t j = i;
        while (j < rest.size() && !is_sep(rest[j])) ++j;
        if (j > i) {
            std::u16string part = rest.substr(i, j - i);
            if (part == u".") {
            } else if (part == u"..") {
                if (!parts.empty()) parts.pop_back();
            } else {
                // Win32 drops trailing dots and spaces from the last component of each name.
                while (!part.empty() && (part.back() == u'.' || part.back() == u' ')) part.pop_back();
                if (!part.empty()) parts.push_back(part);
            }
        }
        i = j;
    }
    out = drive + u"\\";
    for (size_t k = 0; k < parts.size(); ++k) {
        if (k) out += u'\\';
        out += parts[k];
    }
    if (trailing && !parts.empty()) out += u'\\';
    return true;
}

std::u16string path_parent(std::u16string_view full) {
    if (path_is_root(full)) return {};
    while (!full.empty() && is_sep(full.back()) && full.size() > 3) full.remove_suffix(1);
    size_t at = full.find_last_of(u"\\/");
    if (at == std::u16string_view::npos) return {};
    if (at <= 2) return std::u16string(full.substr(0, 3));
    return std::u16string(full.substr(0, at));
}

std::u16string path_join(std::u16string_view folder, std::u16string_view name) {
    std::u16string out(folder);
    if (!out.empty() && !is_sep(out.back())) out += u'\\';
    out += name;
    return out;
}

bool path_is_root(std::u16string_view full) {
    return (full.size() == 3 && full[1] == u':' && is_sep(full[2])) || (full.size() == 2 && full[1] == u':');
}
