// Icon locations from shortcuts, pins and the registry ("file,index"): any text parses or not
// without reading outside it, and a parsed location is a proper prefix with an index in range.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ui/icon_location.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::u16string text(reinterpret_cast<const char16_t*>(data), size / 2);
    IconLocation loc;
    if (icon_location_parse(text, &loc)) {
        if (loc.file.size() < 2 || loc.file.size() >= 260) std::abort();
        if (loc.file.data() != text.data() || text[loc.file.size()] != u',') std::abort();
        if (loc.index < -65535 || loc.index > 65535) std::abort();
        icon_location_extractable(loc);
    }
    if (icon_examined_path(text).size() > text.size()) std::abort();
    icon_is_shell_path(text);
    return 0;
}
