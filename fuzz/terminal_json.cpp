// The Windows Terminal settings reader over arbitrary bytes: never reads outside the text, every
// stored profile is named, terminated within its fields and unique ignoring case.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "actions/terminal_json.h"
#include "core/text.h"

namespace {
bool terminated(const char16_t* s, size_t cap) {
    for (size_t i = 0; i < cap; ++i)
        if (!s[i]) return true;
    return false;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TerminalProfile profiles[8];
    // A copy of exactly size bytes on the heap, so a read past the end is caught.
    char* copy = static_cast<char*>(std::malloc(size ? size : 1));
    if (!copy) return 0;
    for (size_t i = 0; i < size; ++i) copy[i] = static_cast<char>(data[i]);
    int n = terminal_json_profiles(std::string_view(copy, size), profiles, 8);
    std::free(copy);
    if (n < 0 || n > 8) std::abort();
    for (int i = 0; i < n; ++i) {
        const TerminalProfile& p = profiles[i];
        if (!terminated(p.name, kProfileNameCap) || !terminated(p.icon, kProfileIconCap) || !terminated(p.guid, kProfileGuidCap))
            std::abort();
        if (!p.name[0]) std::abort();
        for (int j = 0; j < i; ++j)
            if (text_equal_ci(text_view(profiles[j].name), text_view(p.name))) std::abort();
    }
    return 0;
}
