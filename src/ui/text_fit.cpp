#include "ui/text_fit.h"

#include <cstring>

#include "core/utf.h"
#include "ui/text_measure.h"

namespace {

size_t lead_at_or_before(const char* s, size_t n) {
    while (n > 0 && !utf8_is_lead(static_cast<unsigned char>(s[n]))) n--;
    return n;
}

size_t next_lead(const char* s, size_t p, size_t limit) {
    if (p >= limit) return limit;
    p++;
    while (p < limit && !utf8_is_lead(static_cast<unsigned char>(s[p]))) p++;
    return p;
}

}  // namespace

// The longest prefix (ending at a character start) whose width plus "..." fits. Prefix widths grow
// with the prefix, so the prefix is found by bisection over character starts instead of dropping
// one character at a time: a handful of measurements for a long path instead of one per character.
const char* text_fit(UiFont font, const char* text, int max_width, char* buf, size_t cap) {
    if (!text) text = "";
    size_t len = std::strlen(text);
    if (text_width(font, text, static_cast<int>(len)) <= max_width) return text;
    if (!buf || cap == 0) return "";
    if (cap < 4) {
        buf[0] = '\0';
        return buf;
    }
    // Room for "..." and the NUL is kept; the cut is at a character start.
    size_t hi = lead_at_or_before(text, len < cap - 4 ? len : cap - 4);
    auto fits = [&](size_t n) {
        std::memcpy(buf, text, n);
        std::memcpy(buf + n, "...", 4);
        return text_width(font, buf, static_cast<int>(n + 3)) <= max_width;
    };
    size_t lo = 0;  // nothing but the dots, when nothing else fits
    if (hi > 0 && fits(hi)) {
        lo = hi;
    } else {
        // Invariant: lo fits (or is 0), hi does not.
        for (;;) {
            size_t mid = lead_at_or_before(text, lo + (hi - lo) / 2);
            if (mid <= lo) mid = next_lead(text, lo, hi);
            if (mid >= hi) break;
            if (fits(mid))
                lo = mid;
            else
                hi = mid;
        }
    }
    std::memcpy(buf, text, lo);
    std::memcpy(buf + lo, "...", 4);
    return buf;
}
