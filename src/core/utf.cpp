#include "core/utf.h"

namespace {

constexpr uint32_t kReplacement = 0xFFFD;

size_t utf8_units_for(uint32_t cp) { return cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4; }

size_t utf8_encode(uint32_t cp, char* out) {
    if (cp < 0x80) {
        out[0] = static_cast<char>(cp);
        return 1;
    }
    if (cp < 0x800) {
        out[0] = static_cast<char>(0xC0 | (cp >> 6));
        out[1] = static_cast<char>(0x80 | (cp & 0x3F));
        return 2;
    }
    if (cp < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (cp >> 12));
        out[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (cp & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (cp >> 18));
    out[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (cp & 0x3F));
    return 4;
}

}  // namespace

uint32_t utf8_decode(const char* s, size_t n, size_t* used) {
    auto b0 = static_cast<unsigned char>(s[0]);
    *used = 1;
    if (b0 < 0x80) return b0;
    size_t len;
    uint32_t cp;
    uint32_t min;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        len = 2, cp = b0 & 0x1F, min = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        len = 3, cp = b0 & 0x0F, min = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        len = 4, cp = b0 & 0x07, min = 0x10000;
    } else {
        return kReplacement;
    }
    for (size_t i = 1; i < len; ++i) {
        if (i >= n) {
            *used = i;
            return kReplacement;
        }
        auto b = static_cast<unsigned char>(s[i]);
        if ((b & 0xC0) != 0x80) {
            *used = i;
            return kReplacement;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    *used = len;
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return kReplacement;
    return cp;
}

uint32_t utf16_decode(const char16_t* s, size_t n, size_t* used) {
    char16_t c = s[0];
    *used = 1;
    if (c >= 0xD800 && c <= 0xDBFF) {
        if (n >= 2 && s[1] >= 0xDC00 && s[1] <= 0xDFFF) {
            *used = 2;
            return 0x10000 + ((uint32_t(c) - 0xD800) << 10) + (uint32_t(s[1]) - 0xDC00);
        }
        return kReplacement;
    }
    if (c >= 0xDC00 && c <= 0xDFFF) return kReplacement;
    return c;
}

size_t utf8_to_utf16(std::string_view in, char16_t* out, size_t cap) {
    if (!out || cap == 0) return 0;
    size_t o = 0;
    size_t i = 0;
    while (i < in.size()) {
        size_t used;
        uint32_t cp = utf8_decode(in.data() + i, in.size() - i, &used);
        size_t need = cp >= 0x10000 ? 2 : 1;
        if (o + need > cap - 1) break;
        if (need == 2) {
            cp -= 0x10000;
            out[o++] = static_cast<char16_t>(0xD800 + (cp >> 10));
            out[o++] = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out[o++] = static_cast<char16_t>(cp);
        }
        i += used;
    }
    out[o] = 0;
    return o;
}

size_t utf16_to_utf8(std::u16string_view in, char* out, size_t cap) {
    if (!out || cap == 0) return 0;
    size_t o = 0;
    size_t i = 0;
    while (i < in.size()) {
        size_t used;
        uint32_t cp = utf16_decode(in.data() + i, in.size() - i, &used);
        if (o + utf8_units_for(cp) > cap - 1) break;
        o += utf8_encode(cp, out + o);
        i += used;
    }
    out[o] = 0;
    return o;
}

std::u16string utf8_to_utf16(std::string_view in) {
    std::u16string out;
    out.reserve(in.size());
    size_t i = 0;
    while (i < in.size()) {
        size_t used;
        uint32_t cp = utf8_decode(in.data() + i, in.size() - i, &used);
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        i += used;
    }
    return out;
}

std::string utf16_to_utf8(std::u16string_view in) {
    std::string out;
    out.reserve(in.size());
    size_t i = 0;
    char tmp[4];
    while (i < in.size()) {
        size_t used;
        uint32_t cp = utf16_decode(in.data() + i, in.size() - i, &used);
        out.append(tmp, utf8_encode(cp, tmp));
        i += used;
    }
    return out;
}
