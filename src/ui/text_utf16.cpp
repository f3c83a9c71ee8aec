#include "ui/text_utf16.h"

#include <cstring>
#include <string_view>

#include "core/utf.h"

size_t ui_text_to_utf16(const char* text, int len, char16_t* out) {
    if (!text) {
        out[0] = u'\0';
        return 0;
    }
    size_t n = len < 0 ? std::strlen(text) : size_t(len);
    if (n > kUiTextMaxBytes) {
        n = kUiTextMaxBytes;
        // A cut inside a character would turn into U+FFFD: drop the whole character.
        while (n > 0 && !utf8_is_lead(static_cast<unsigned char>(text[n]))) n--;
    }
    return utf8_to_utf16(std::string_view(text, n), out, kUiTextMaxUnits);
}
