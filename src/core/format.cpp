#include "core/format.h"

#include <cstdio>
#include <cstring>
#include <string_view>

#include "core/utf.h"
#include "platform/platform.h"

namespace {

struct Out {
    char16_t* buf;
    size_t cap;  // units available before the terminator
    size_t len = 0;
    bool full = false;

    void put(char16_t c) {
        if (len < cap) buf[len++] = c;
        else full = true;
    }
    // Keeps surrogate pairs whole at the cut.
    void put_utf16(const char16_t* s, size_t n) {
        for (size_t i = 0; i < n && !full; ++i) {
            char16_t c = s[i];
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n) {
                if (len + 2 > cap) {
                    full = true;
                    return;
                }
                buf[len++] = c;
                buf[len++] = s[++i];
            } else {
                put(c);
            }
        }
    }
    void put_ascii(const char* s, size_t n) {
        for (size_t i = 0; i < n; ++i) put(static_cast<unsigned char>(s[i]));
    }
};

void pad(Out& o, int count, char16_t c) {
    for (int i = 0; i < count; ++i) o.put(c);
}

}  // namespace

size_t text_vformat(char16_t* buf, size_t n, const char* fmt, va_list args) {
    if (!buf || n == 0) return 0;
    Out o{buf, n - 1};
    if (!fmt) fmt = "";
    for (const char* p = fmt; *p && !o.full; ++p) {
        if (*p != '%') {
            // Literal runs may hold UTF-8 (the middle dot in usage texts).
            const char* start = p;
            while (p[1] && p[1] != '%') ++p;
            std::u16string w = utf8_to_utf16(std::string_view(start, static_cast<size_t>(p - start + 1)));
            o.put_utf16(w.data(), w.size());
            continue;
        }
        const char* spec_start = p++;
        if (*p == '%') {
            o.put(u'%');
            continue;
        }
        bool left = false;
        char flags[8];
        size_t nflags = 0;
        while (*p && std::strchr("-+ 0#", *p)) {
            if (*p == '-') left = true;
            if (nflags < sizeof flags - 1) flags[nflags++] = *p;
            ++p;
        }
        flags[nflags] = 0;
        int width = 0;
        if (*p == '*') {
            width = va_arg(args, int);
            if (width < 0) {
                left = true;
                width = -width;
            }
            ++p;
        } else {
            while (*p >= '0' && *p <= '9') width = width * 10 + (*p++ - '0');
        }
        int precision = -1;
        if (*p == '.') {
            ++p;
            precision = 0;
            if (*p == '*') {
                precision = va_arg(args, int);
                ++p;
            } else {
                while (*p >= '0' && *p <= '9') precision = precision * 10 + (*p++ - '0');
            }
        }
        int longs = 0;
        bool half = false;
        bool size_t_len = false;
        for (;;) {
            if (*p == 'l') longs++, ++p;
            else if (*p == 'h') half = true, ++p;
            else if (*p == 'z') size_t_len = true, ++p;
            else if (p[0] == 'I' && p[1] == '6' && p[2] == '4') longs = 2, p += 3;
            else break;
        }
        char conv = *p;
        if (!conv) break;
        if (conv == 's') {
            std::u16string tmp;
            const char16_t* s;
            size_t len;
            if (half) {
                const char* s8 = va_arg(args, const char*);
                tmp = utf8_to_utf16(s8 ? std::string_view(s8) : std::string_view("(null)"));
                s = tmp.data();
                len = tmp.size();
            } else {
                s = va_arg(args, const char16_t*);
                if (!s) s = u"(null)";
                len = 0;
                while (s[len] && (precision < 0 || len < static_cast<size_t>(precision))) ++len;
            }
            if (half && precision >= 0 && len > static_cast<size_t>(precision)) len = static_cast<size_t>(precision);
            int padding = width > static_cast<int>(len) ? width - static_cast<int>(len) : 0;
            if (!left) pad(o, padding, u' ');
            o.put_utf16(s, len);
            if (left) pad(o, padding, u' ');
            continue;
        }
        if (conv == 'c') {
            int c = va_arg(args, int);
            int padding = width > 1 ? width - 1 : 0;
            if (!left) pad(o, padding, u' ');
            o.put(static_cast<char16_t>(c));
            if (left) pad(o, padding, u' ');
            continue;
        }
        // Numbers: hand the conversion to snprintf with the parsed flags and a fixed length.
        char conversion[48];
        char prefix[40];
        int at = std::snprintf(prefix, sizeof prefix, "%%%s", flags);
        if (width > 0 && width < 1000) at += std::snprintf(prefix + at, sizeof prefix - at, "%d", width);
        if (precision >= 0 && precision < 100) std::snprintf(prefix + at, sizeof prefix - at, ".%d", precision);
        char num[128];
        int written = 0;
        switch (conv) {
            case 'd':
            case 'i':
            case 'u':
            case 'x':
            case 'X':
            case 'o': {
                bool is_signed = conv == 'd' || conv == 'i';
                std::snprintf(conversion, sizeof conversion, "%sll%c", prefix, conv);
                if (is_signed) {
                    long long v = longs >= 2 ? va_arg(args, long long)
                                  : longs == 1 ? va_arg(args, long)
                                  : size_t_len ? static_cast<long long>(va_arg(args, size_t))
                                               : va_arg(args, int);
                    written = std::snprintf(num, sizeof num, conversion, v);
                } else {
                    unsigned long long v = longs >= 2 ? va_arg(args, unsigned long long)
                                           : longs == 1 ? va_arg(args, unsigned long)
                                           : size_t_len ? va_arg(args, size_t)
                                                        : va_arg(args, unsigned int);
                    written = std::snprintf(num, sizeof num, conversion, v);
                }
                break;
            }
            case 'f':
            case 'F':
            case 'e':
            case 'E':
            case 'g':
            case 'G': {
                std::snprintf(conversion, sizeof conversion, "%s%c", prefix, conv);
                written = std::snprintf(num, sizeof num, conversion, va_arg(args, double));
                break;
            }
            default:
                // Unknown conversion: print it as written.
                o.put_ascii(spec_start, static_cast<size_t>(p - spec_start + 1));
                continue;
        }
        if (written > 0) o.put_ascii(num, static_cast<size_t>(written) < sizeof num ? static_cast<size_t>(written) : sizeof num - 1);
    }
    buf[o.len] = 0;
    return o.len;
}

size_t text_format(char16_t* buf, size_t n, const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    size_t r = text_vformat(buf, n, fmt, args);
    va_end(args);
    return r;
}

void format_size(uint64_t bytes, char16_t* buf, size_t n) {
    if (!buf || n == 0) return;
    constexpr uint64_t KiB = 1024, MiB = KiB * 1024, GiB = MiB * 1024;
    if (bytes < KiB) text_format(buf, n, "%llu B", static_cast<unsigned long long>(bytes));
    else if (bytes < MiB) text_format(buf, n, "%.1f KiB", static_cast<double>(bytes) / KiB);
    else if (bytes < GiB) text_format(buf, n, "%.1f MiB", static_cast<double>(bytes) / MiB);
    else text_format(buf, n, "%.2f GiB", static_cast<double>(bytes) / GiB);
}

int format_filetime(const uint64_t* filetime, char* buf, size_t n) {
    static constexpr const char* kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    if (!filetime || !buf || n == 0) return 0;
    LocalTime t;
    if (!platform().clock || !os_clock().to_local(*filetime, t)) return 0;
    if (t.month < 1 || t.month > 12) return 0;
    int hour12 = t.hour % 12;
    if (hour12 == 0) hour12 = 12;
    std::snprintf(buf, n, "%s %d %d %d:%02d %s", kMonths[t.month - 1], t.day, t.year, hour12, t.minute,
                  t.hour < 12 ? "AM" : "PM");
    return 1;
}

void format_usage(uint64_t used, uint64_t free, uint64_t total, char16_t* buf, size_t n) {
    if (!buf || n == 0) return;
    constexpr double KiB = 1024.0, MiB = KiB * 1024, GiB = MiB * 1024;
    if (total >= (1ull << 30)) {
        text_format(buf, n, "%.2f used \xC2\xB7 %.2f free of %.2f GiB", used / GiB, free / GiB, total / GiB);
    } else if (total >= (1ull << 20)) {
        text_format(buf, n, "%.1f used \xC2\xB7 %.1f free of %.1f MiB", used / MiB, free / MiB, total / MiB);
    } else if (total < 1024) {
        text_format(buf, n, "%llu used \xC2\xB7 %llu free of %llu B", static_cast<unsigned long long>(used),
                    static_cast<unsigned long long>(free), static_cast<unsigned long long>(total));
    } else {
        text_format(buf, n, "%.1f used \xC2\xB7 %.1f free of %.1f KiB", used / KiB, free / KiB, total / KiB);
    }
}
