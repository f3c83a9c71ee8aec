// UTF-8 and UTF-16 conversion of arbitrary bytes: no overread, valid output, stable round trip.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/utf.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string in(reinterpret_cast<const char*>(data), size);
    std::u16string w = utf8_to_utf16(in);
    std::string back = utf16_to_utf8(w);
    // What comes back is valid UTF-8, so converting it again changes nothing.
    if (utf16_to_utf8(utf8_to_utf16(back)) != back) std::abort();
    // The same bytes read as UTF-16 units (possibly with lone surrogates).
    std::u16string units(reinterpret_cast<const char16_t*>(data), size / 2);
    std::string u8 = utf16_to_utf8(units);
    if (utf16_to_utf8(utf8_to_utf16(u8)) != u8) std::abort();
    char16_t small[7];
    size_t n = utf8_to_utf16(in, small, sizeof small / sizeof small[0]);
    if (n > 6 || small[n] != 0) std::abort();
    char narrow[7];
    size_t m = utf16_to_utf8(units, narrow, sizeof narrow);
    if (m > 6 || narrow[m] != 0) std::abort();
    return 0;
}
