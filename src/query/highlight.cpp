#include "query/highlight.h"

#include <cstring>

#include "core/arena.h"
#include "core/text.h"
#include "query/query_parser.h"

namespace {

constexpr size_t kMaxQuery = 1024;  // a query of this many units or more marks nothing
constexpr int kMaxTokens = 16;
constexpr size_t kMaxToken = 255;
constexpr int32_t kRangesPerToken = 64;
constexpr size_t kSplitCap = 1024;

constexpr bool is_space_or_tab(char16_t c) { return c == u' ' || c == u'\t'; }
constexpr bool is_slash(char16_t c) { return c == u'/' || c == u'\\'; }

constexpr bool is_token_separator(char16_t c) {
    switch (c) {
    case u' ': case u'\t': case u'"': case u'\'': case u'*': case u'+': case u',': case u'/':
    case u':': case u';': case u'=': case u'?': case u'\\': case u'|':
        return true;
    default:
        return false;
    }
}

struct Token {
    const char16_t* start;
    size_t length;
};

bool equals_ci(const Token& t, const char16_t* word) {
    size_t i = 0;
    for (; i < t.length; ++i) {
        if (!word[i] || text_fold(t.start[i]) != text_fold(word[i])) return false;
    }
    return word[i] == 0;
}

bool is_command_word(const Token& t) {
    for (const char16_t* w : {u"kill", u"gen", u"pw", u"uninstall", u"sys"}) {
        if (equals_ci(t, w)) return true;
    }
    return false;
}

bool only_dots(const Token& t) {
    for (size_t i = 0; i < t.length; ++i) {
        if (t.start[i] != u'.') return false;
    }
    return true;
}

// Stable insertion sort by start, then folds touching and overlapping ranges together.
int32_t sort_and_merge(MatchRange* r, int32_t count) {
    for (int32_t i = 1; i < count; ++i) {
        MatchRange v = r[i];
        int32_t j = i;
        while (j > 0 && r[j - 1].start > v.start) {
            r[j] = r[j - 1];
            --j;
        }
        r[j] = v;
    }
    int32_t out = 0;
    for (int32_t i = 0; i < count; ++i) {
        if (out > 0) {
            MatchRange& last = r[out - 1];
            int64_t last_end = int64_t{last.start} + last.length;
            if (r[i].start <= last_end) {
                int64_t end = int64_t{r[i].start} + r[i].length;
                if (end > last_end) last.length = static_cast<int32_t>(end - last.start);
                continue;
            }
        }
        r[out++] = r[i];
    }
    return out;
}

// Copies [s, s + n) into out (capacity cap, cap > 0), cut to cap - 1 units, and terminates it.
void copy_cut(char16_t* out, size_t cap, const char16_t* s, size_t n) {
    if (!out || cap == 0) return;
    size_t k = n < cap - 1 ? n : cap - 1;
    if (k) std::memcpy(out, s, k * sizeof(char16_t));
    out[k] = 0;
}

}  // namespace

int32_t highlight_ranges(const char16_t* query, const char16_t* text, MatchRange* ranges, int32_t capacity) {
    if (!query || !text || !text[0] || !ranges || capacity < 1) return 0;
    const char16_t* s = query;
    while (is_space_or_tab(*s)) ++s;
    size_t n = text_len(s);
    while (n > 0 && (is_space_or_tab(s[n - 1]) || is_slash(s[n - 1]))) --n;
    if (n == 0 || n >= kMaxQuery) return 0;
    bool has_colon = false;
    for (size_t i = 0; i < n; ++i) has_colon = has_colon || s[i] == u':';
    Token tokens[kMaxTokens];
    int count = 0;
    for (size_t i = 0; i < n && count < kMaxTokens;) {
        if (is_token_separator(s[i])) {
            ++i;
            continue;
        }
        size_t start = i;
        while (i < n && !is_token_separator(s[i])) ++i;
        size_t len = i - start;
        tokens[count++] = Token{s + start, len < kMaxToken ? len : kMaxToken};
    }

    ScratchScope scope;
    auto* word = arena_new_array<char16_t>(scope.arena(), kMaxToken + 1);
    auto* found = arena_new_array<MatchRange>(scope.arena(), kRangesPerToken);
    if (!word || !found) return 0;
    int32_t out = 0;
    for (int k = 0; k < count && out < capacity; ++k) {
        const Token& t = tokens[k];
        if (count >= 2 && t.length < 2) continue;
        if (k == 0 && count >= 2 && is_command_word(t)) continue;
        if (has_colon && is_filter_keyword(std::u16string_view(t.start, t.length))) continue;
        if (only_dots(t)) continue;
        std::memcpy(word, t.start, t.length * sizeof(char16_t));
        word[t.length] = 0;
        int32_t got = fuzzy_ranges(word, text, found, kRangesPerToken);
        for (int32_t i = 0; i < got && out < capacity; ++i) ranges[out++] = found[i];
    }
    if (out == 0) return 0;
    return sort_and_merge(ranges, out);
}

int split_folder_query(const char16_t* query, char16_t* folder_out, size_t folder_cap, char16_t* name_out,
                       size_t name_cap) {
    if (folder_out && folder_cap) folder_out[0] = 0;
    if (name_out && name_cap) name_out[0] = 0;
    if (!query || !query[0]) return 0;
    const char16_t* s = query;
    while (is_space_or_tab(*s)) ++s;
    const char16_t* sep = nullptr;
    const char16_t* end = s;
    for (; *end; ++end) {
        if (is_slash(*end)) sep = end;
    }
    if (!sep) return 0;
    const char16_t* folder_end = sep;
    while (folder_end > s && (is_space_or_tab(folder_end[-1]) || is_slash(folder_end[-1]))) --folder_end;
    copy_cut(folder_out, folder_cap, s, static_cast<size_t>(folder_end - s));
    const char16_t* name = sep + 1;
    while (is_space_or_tab(*name)) ++name;
    const char16_t* name_end = end;
    while (name_end > name && is_space_or_tab(name_end[-1])) --name_end;
    copy_cut(name_out, name_cap, name, static_cast<size_t>(name_end - name));
    return 1;
}

int32_t highlight_title_ranges(const char16_t* query, const char16_t* title, MatchRange* ranges, int32_t capacity) {
    if (!query) return 0;
    ScratchScope scope;
    auto* folder = arena_new_array<char16_t>(scope.arena(), kSplitCap);
    auto* name = arena_new_array<char16_t>(scope.arena(), kSplitCap);
    if (!folder || !name) return 0;
    const char16_t* use = query;
    if (split_folder_query(query, folder, kSplitCap, name, kSplitCap)) {
        if (name[0]) use = name;
        else if (folder[0]) use = folder;
        else return 0;
    }
    return highlight_ranges(use, title, ranges, capacity);
}

int32_t highlight_path_ranges(const char16_t* query, const char16_t* subtitle, MatchRange* ranges, int32_t capacity) {
    if (!query) return 0;
    ScratchScope scope;
    auto* folder = arena_new_array<char16_t>(scope.arena(), kSplitCap);
    auto* name = arena_new_array<char16_t>(scope.arena(), kSplitCap);
    if (!folder || !name) return 0;
    if (!split_folder_query(query, folder, kSplitCap, name, kSplitCap) || !folder[0] || !name[0]) return 0;
    return highlight_ranges(folder, subtitle, ranges, capacity);
}
