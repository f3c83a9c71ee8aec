// Reading a fuzzer's bytes as fields: a length byte, then that many UTF-16 units.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// A field of (length byte × scale) % limit units, little-endian pairs, cut short at the end of
// the input; empty once the input is used up.
inline std::u16string fuzz_take_utf16(const uint8_t*& p, const uint8_t* end, size_t scale, size_t limit) {
    if (p == end) return {};
    size_t units = (size_t(*p++) * scale) % limit;
    std::u16string out;
    while (units-- && end - p >= 2) {
        out.push_back(static_cast<char16_t>(p[0] | (p[1] << 8)));
        p += 2;
    }
    return out;
}
