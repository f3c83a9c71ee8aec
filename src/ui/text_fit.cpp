#include "ui/text_fit.h"

#include <cstring>

#include "core/utf.h"
#include "ui/text_measure.h"

namespace {

size_t lead_at_or_before(const char* s, size_t n) {
    while (n > 0 && !utf8_is_lead(static_cast<unsigned char>(s[n]))) n--;
    return n;
}

size_t previous_lead(const char* s, size_t n) { return n == 0 ? 0 : lead_at_or_before(s, n - 1); }

}  // namespace

const char* text_fit(UiFont font, const char* text, int max_width, char* buf, size_t cap) {
    if (!text) text = "";
    size_t len = std::strlen(text);
    if (text_width(font, text, static_cast<int>(len)) <= max_width) return text;
    if (!buf || cap == 0) return "";
    if (cap < 4) {
        buf[0] = '\0';
        return buf;
    }
    // Longest prefix that leaves room for "..." and the NUL, cut at a character start.
    size_t n = len < cap - 4 ? len : cap - 4;
    n = lead_at_or_before(text, n);
    for (;;) {
        std::memcpy(buf, text, n);
        std::memcpy(buf + n, "...", 4);
        if (n == 0 || text_width(font, buf, static_cast<int>(n + 3)) <= max_width) return buf;
        n = previous_lead(text, n);
    }
}
