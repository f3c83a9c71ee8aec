#include "platform/command_split.h"

#include "platform/platform.h"

namespace {

bool blank(char16_t c) { return c == u' ' || c == u'\t'; }

std::u16string_view skip_blanks(std::u16string_view s) {
    size_t i = 0;
    while (i < s.size() && blank(s[i])) ++i;
    return s.substr(i);
}

bool names_file(std::u16string_view path) {
    uint32_t a = os_files().attributes(path);
    return a != win::kInvalidAttributes && !(a & win::kAttrDirectory);
}

}  // namespace

bool command_split(std::u16string_view text, std::u16string& executable, std::u16string& arguments) {
    executable.clear();
    arguments.clear();
    std::u16string_view s = skip_blanks(text);
    if (s.empty()) return false;
    if (s[0] == u'"') {
        size_t close = s.find(u'"', 1);
        if (close == std::u16string_view::npos) {
            executable.assign(s.substr(1));
        } else {
            executable.assign(s.substr(1, close - 1));
            arguments.assign(skip_blanks(s.substr(close + 1)));
        }
        return !executable.empty();
    }
    size_t first_blank = std::u16string_view::npos;
    size_t cut = std::u16string_view::npos;
    for (size_t i = 0; i <= s.size(); ++i) {
        if (i < s.size() && !blank(s[i])) continue;
        if (first_blank == std::u16string_view::npos) first_blank = i;
        if (i > 0 && !blank(s[i - 1]) && names_file(s.substr(0, i))) {
            cut = i;
            break;
        }
    }
    if (cut == std::u16string_view::npos) cut = first_blank;
    executable.assign(s.substr(0, cut));
    if (cut < s.size()) arguments.assign(skip_blanks(s.substr(cut)));
    return !executable.empty();
}
