#include "store/field_cut.h"

#include "core/text.h"

std::u16string_view field_cut(std::u16string_view s, size_t max_units) {
    size_t nul = s.find(u'\0');
    if (nul != std::u16string_view::npos) s = s.substr(0, nul);
    if (s.size() <= max_units) return s;
    size_t n = max_units;
    if (n > 0 && s[n - 1] >= 0xD800 && s[n - 1] <= 0xDBFF) --n;  // keep the pair whole: drop its first half
    return s.substr(0, n);
}

size_t field_copy(char16_t* buf, size_t capacity, std::u16string_view s) {
    if (!buf || capacity == 0) return 0;
    return text_copy_to(buf, capacity, field_cut(s, capacity - 1));
}
