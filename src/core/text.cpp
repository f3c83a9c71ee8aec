#include "core/text.h"

#include <cstdlib>
#include <cstring>

#include "core/arena.h"

size_t text_len(const char16_t* s) {
    if (!s) return 0;
    size_t n = 0;
    while (s[n]) ++n;
    return n;
}

char16_t* text_copy_n(const char16_t* s, size_t n, Arena* arena) {
    if (!s) return nullptr;
    if (n > (SIZE_MAX / sizeof(char16_t)) - 1) return nullptr;
    size_t bytes = (n + 1) * sizeof(char16_t);
    auto* out = static_cast<char16_t*>(arena ? arena_alloc(arena, bytes) : std::malloc(bytes));
    if (!out) return nullptr;
    if (n) std::memcpy(out, s, n * sizeof(char16_t));
    out[n] = 0;
    return out;
}

char16_t* text_copy(const char16_t* s, Arena* arena) { return s ? text_copy_n(s, text_len(s), arena) : nullptr; }

char16_t* text_copy_view(std::u16string_view s, Arena* arena) {
    static const char16_t empty[1] = {0};
    return text_copy_n(s.data() ? s.data() : empty, s.size(), arena);
}

void text_free(char16_t* s) { std::free(s); }

void text_lower_copy(char16_t* dst, const char16_t* s, size_t n) {
    if (!dst) return;
    if (!s) {
        dst[0] = 0;
        return;
    }
    for (size_t i = 0; i < n; ++i) dst[i] = text_fold(s[i]);
    dst[n] = 0;
}

int text_starts_with_ci(const char16_t* s, const char16_t* prefix) {
    if (!prefix) return 1;
    if (!s) return prefix[0] == 0;
    for (size_t i = 0; prefix[i]; ++i) {
        if (!s[i] || text_fold(s[i]) != text_fold(prefix[i])) return 0;
    }
    return 1;
}

int text_contains_ci(const char16_t* s, const char16_t* part) {
    if (!s || !part) return 0;
    if (!part[0]) return 1;
    for (size_t i = 0; s[i]; ++i) {
        size_t j = 0;
        while (part[j] && s[i + j] && text_fold(s[i + j]) == text_fold(part[j])) ++j;
        if (!part[j]) return 1;
        if (!s[i + j]) return 0;
    }
    return 0;
}

const char16_t* path_name_part(const char16_t* path) {
    if (!path) return u"";
    const char16_t* back = nullptr;
    const char16_t* slash = nullptr;
    for (const char16_t* p = path; *p; ++p) {
        if (*p == u'\\') back = p;
        else if (*p == u'/') slash = p;
    }
    if (back) return back + 1;
    if (slash) return slash + 1;
    return path;
}

const char16_t* skip_blanks(const char16_t* s) {
    if (!s) return s;
    while (*s && text_is_blank(*s)) ++s;
    return s;
}

int text_compare_ci(std::u16string_view a, std::u16string_view b) {
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        char16_t x = text_fold(a[i]);
        char16_t y = text_fold(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

int text_compare_ci(const char16_t* a, const char16_t* b) { return text_compare_ci(text_view(a), text_view(b)); }

bool text_equal_ci(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() && text_compare_ci(a, b) == 0;
}

bool text_starts_with_ci(std::u16string_view s, std::u16string_view prefix) {
    return s.size() >= prefix.size() && text_compare_ci(s.substr(0, prefix.size()), prefix) == 0;
}

bool text_ends_with_ci(std::u16string_view s, std::u16string_view suffix) {
    return s.size() >= suffix.size() && text_compare_ci(s.substr(s.size() - suffix.size()), suffix) == 0;
}

size_t text_copy_to(char16_t* buf, size_t n, std::u16string_view s) {
    if (!buf || n == 0) return 0;
    size_t k = s.size() < n - 1 ? s.size() : n - 1;
    if (k) std::memcpy(buf, s.data(), k * sizeof(char16_t));
    buf[k] = 0;
    return k;
}

uint32_t text_hash_ci(std::u16string_view s) {
    uint32_t h = 2166136261u;
    for (char16_t c : s) h = (h ^ text_fold(c)) * 16777619u;
    return h;
}
