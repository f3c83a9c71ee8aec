#include "ui/icon_location.h"

#include "core/text.h"

bool icon_location_parse(std::u16string_view path, IconLocation* out) {
    const size_t comma = path.rfind(u',');
    if (comma == std::u16string_view::npos) return false;
    std::u16string_view tail = path.substr(comma + 1);
    bool negative = false;
    if (!tail.empty() && tail.front() == u'-') {
        negative = true;
        tail.remove_prefix(1);
    }
    if (tail.empty()) return false;
    int32_t value = 0;
    for (char16_t c : tail) {
        if (c < u'0' || c > u'9') return false;
        value = value * 10 + (c - u'0');
        if (value > 65535) return false;
    }
    const std::u16string_view file = path.substr(0, comma);
    if (file.size() <= 1 || file.size() >= 260) return false;
    if (out) {
        out->file = file;
        out->index = negative ? -value : value;
    }
    return true;
}

bool icon_location_extractable(const IconLocation& loc) {
    return text_ends_with_ci(loc.file, u".exe") || text_ends_with_ci(loc.file, u".dll") ||
           text_ends_with_ci(loc.file, u".ico");
}

std::u16string_view icon_examined_path(std::u16string_view path) {
    IconLocation loc;
    return icon_location_parse(path, &loc) ? loc.file : path;
}

bool icon_is_shell_path(std::u16string_view path) { return text_starts_with_ci(path, u"shell:"); }
