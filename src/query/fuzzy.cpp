#include "query/fuzzy.h"

#include <cstddef>
#include <cstring>

#include "core/arena.h"
#include "core/text.h"

// Both texts are folded unit by unit while they are compared, so no folded copies are made. The
// only temporary memory is the failure table of the linear-time search used for long queries; it
// comes from the thread's scratch arena and is released by rewinding.

namespace {

// Queries up to this length are searched by direct comparison at each candidate position; that is
// the fastest for the short queries people type and is bounded by kDirectSearchMax * |t|. Longer
// queries use a Knuth-Morris-Pratt search so that a pathological text cannot make a search quadratic.
constexpr size_t kDirectSearchMax = 32;
constexpr size_t kTooLong = static_cast<size_t>(INT32_MAX);

enum class Tier { kNone, kExact, kPrefix, kWord, kSubstring, kScattered, kFailed };

// Length of s, or kTooLong when it has more units than a range can address.
size_t bounded_len(const char16_t* s) {
    size_t n = 0;
    while (s[n]) {
        if (++n >= kTooLong) return kTooLong;
    }
    return n;
}

inline bool same(char16_t a, char16_t b) { return text_fold(a) == text_fold(b); }

// Equal-length comparison of m units, ignoring ASCII case.
inline bool equal_ci(const char16_t* a, const char16_t* b, size_t m) {
    for (size_t i = 0; i < m; ++i) {
        if (!same(a[i], b[i])) return false;
    }
    return true;
}

// Length of t when q (m units) is a subsequence of it ignoring case, else 0. Every tier implies the
// subsequence, so a miss is settled in this one pass, which also measures the text.
size_t subsequence_len(const char16_t* q, size_t m, const char16_t* t) {
    size_t j = 0;
    size_t i = 0;
    char16_t want = text_fold(q[0]);
    for (; t[i]; ++i) {
        if (text_fold(t[i]) == want) {
            if (++j == m) break;
            want = text_fold(q[j]);
        }
    }
    if (j < m) return 0;
    size_t rest = bounded_len(t + i);
    return rest >= kTooLong - i ? kTooLong : i + rest;
}

struct Found {
    Tier tier;
    size_t pos;  // where the word-start or substring hit lies
};

// Word-start and substring search for a short query; prefix position 0 is already ruled out.
Found search_direct(const char16_t* q, size_t m, const char16_t* t, size_t n, bool word_tier) {
    const char16_t first = text_fold(q[0]);
    const size_t last = n - m;  // last position with m units left
    if (word_tier) {
        for (size_t i = 1; i <= last; ++i) {
            if (fuzzy_is_word_break(t[i - 1]) && text_fold(t[i]) == first && equal_ci(t + i, q, m)) {
                return {Tier::kWord, i};
            }
        }
    }
    for (size_t i = 1; i <= last; ++i) {
        if (text_fold(t[i]) == first && equal_ci(t + i, q, m)) return {Tier::kSubstring, i};
    }
    return {Tier::kNone, 0};
}

// A text unit as the UTF-16 unit it stands for: a byte of an ASCII text converts to itself.
inline char16_t unit_of(char16_t c) { return c; }
inline char16_t unit_of(char c) { return static_cast<unsigned char>(c); }

// The same search in linear time for long queries, over UTF-16 texts and ASCII byte texts alike.
template <typename Unit>
Found search_kmp(const char16_t* q, size_t m, const Unit* t, size_t n, bool word_tier) {
    ScratchScope scope;
    auto* fail = arena_new_array<uint32_t>(scope.arena(), m);
    if (!fail) return {Tier::kFailed, 0};
    fail[0] = 0;
    for (size_t i = 1, k = 0; i < m; ++i) {
        while (k > 0 && !same(q[i], q[k])) k = fail[k - 1];
        if (same(q[i], q[k])) ++k;
        fail[i] = static_cast<uint32_t>(k);
    }
    Found first{Tier::kNone, 0};
    for (size_t i = 0, k = 0; i < n; ++i) {
        const char16_t c = unit_of(t[i]);
        while (k > 0 && !same(c, q[k])) k = fail[k - 1];
        if (same(c, q[k])) ++k;
        if (k == m) {
            size_t pos = i + 1 - m;
            if (first.tier == Tier::kNone) {
                first = {Tier::kSubstring, pos};
                if (!word_tier) return first;
            }
            if (pos > 0 && fuzzy_is_word_break(unit_of(t[pos - 1]))) return {Tier::kWord, pos};
            k = fail[k - 1];
        }
    }
    return first;
}

// Sorts t into its tier against q and measures it. Missing or empty texts, and texts too long to be
// addressed by a range, match nothing.
Found classify(const char16_t* q, const char16_t* t, bool word_tier, size_t* m_out, size_t* n_out) {
    if (!q || !t || !q[0] || !t[0]) return {Tier::kNone, 0};
    const size_t m = bounded_len(q);
    const size_t n = subsequence_len(q, m, t);
    if (n == 0 || n >= kTooLong) return {Tier::kNone, 0};
    *m_out = m;
    *n_out = n;
    if (equal_ci(t, q, m)) return {m == n ? Tier::kExact : Tier::kPrefix, 0};
    Found f = m <= kDirectSearchMax ? search_direct(q, m, t, n, word_tier) : search_kmp(q, m, t, n, word_tier);
    if (f.tier == Tier::kNone) return {Tier::kScattered, 0};
    return f;
}

// The score of a classified text: query m units, text n units.
int32_t tier_score(Found f, size_t m, size_t n, int32_t exact_score, int32_t prefix_score, int32_t word_score) {
    size_t extra = n - m;
    switch (f.tier) {
    case Tier::kExact: return exact_score;
    case Tier::kPrefix: return prefix_score;
    case Tier::kWord: return word_score;
    case Tier::kSubstring: {
        size_t len_penalty = extra / 4 < 8 ? extra / 4 : 8;
        size_t pos_penalty = f.pos < 20 ? f.pos : 20;
        return static_cast<int32_t>(89 - len_penalty - pos_penalty);
    }
    case Tier::kScattered: {
        size_t penalty = extra / 8;
        return penalty >= 20 ? 40 : static_cast<int32_t>(60 - penalty);
    }
    case Tier::kNone:
    case Tier::kFailed: break;
    }
    return -1;
}

inline bool equal_units(const char16_t* a, const char16_t* b, size_t m) {
    for (size_t i = 0; i < m; ++i) {
        if (a[i] != b[i]) return false;
    }
    return true;
}

// Position of the first unit c in t[from, to) (from <= to), or `to`. Four units are tested at once: a 16-bit
// lane of w ^ pattern is zero exactly where w holds c, and (x - ones) & ~x & high is non-zero
// exactly when some lane of x is zero (lanes above the first zero may be flagged wrongly, so the
// chunk is searched unit by unit).
inline size_t find_unit(const char16_t* t, size_t from, size_t to, char16_t c) {
    constexpr uint64_t kOnes = 0x0001000100010001ull;
    constexpr uint64_t kHigh = 0x8000800080008000ull;
    const uint64_t pattern = kOnes * c;
    size_t i = from;
    for (; to - i >= 4; i += 4) {
        uint64_t w;
        std::memcpy(&w, t + i, sizeof w);
        const uint64_t x = w ^ pattern;
        if ((x - kOnes) & ~x & kHigh) break;
    }
    for (; i < to; ++i) {
        if (t[i] == c) return i;
    }
    return to;
}

// The same tiers for texts folded beforehand and measured. With no folding left to do, the hits are
// found in one pass over the occurrences of the query's first unit: the first occurrence is the
// substring hit and the first one at a word start the word hit (with word_tier off the first
// occurrence settles it); only a text without any occurrence is walked for the scattered letters.
Found classify_folded(const char16_t* q, size_t m, const char16_t* t, size_t n, bool word_tier) {
    if (m == 0 || m > n || n >= kTooLong) return {Tier::kNone, 0};
    if (equal_units(t, q, m)) return {m == n ? Tier::kExact : Tier::kPrefix, 0};
    Found f{Tier::kNone, 0};
    if (m > kDirectSearchMax) {
        f = search_kmp(q, m, t, n, word_tier);
        if (f.tier == Tier::kFailed) return f;
    } else {
        const char16_t first = q[0];
        const size_t end = n - m + 1;  // past the last position with m units left
        for (size_t i = find_unit(t, 1, end, first); i < end; i = find_unit(t, i + 1, end, first)) {
            if (!equal_units(t + i + 1, q + 1, m - 1)) continue;
            // Word breaks are not letters, so the folded unit before i tells the same as the original.
            if (word_tier && fuzzy_is_word_break(t[i - 1])) return {Tier::kWord, i};
            if (f.tier == Tier::kNone) {
                f = {Tier::kSubstring, i};
                if (!word_tier) return f;
            }
        }
    }
    if (f.tier != Tier::kNone) return f;
    size_t j = 0;
    for (size_t i = 0; i < n && j < m; ++i) {
        if (t[i] == q[j]) ++j;
    }
    return j == m ? Found{Tier::kScattered, 0} : Found{Tier::kNone, 0};
}

// m folded query units against the bytes of an ASCII text.
inline bool equal_folded_bytes(const char16_t* q, const char* t, size_t m) {
    for (size_t i = 0; i < m; ++i) {
        if (text_fold(unit_of(t[i])) != q[i]) return false;
    }
    return true;
}

// classify_folded for a folded query against an ASCII text left as its bytes: every byte is its own
// unit, so only the byte is folded on the way. A query unit above 0x7F equals no byte.
Found classify_ascii(const char16_t* q, size_t m, const char* t, size_t n, bool word_tier) {
    if (m == 0 || m > n || n >= kTooLong) return {Tier::kNone, 0};
    if (equal_folded_bytes(q, t, m)) return {m == n ? Tier::kExact : Tier::kPrefix, 0};
    Found f{Tier::kNone, 0};
    if (m > kDirectSearchMax) {
        f = search_kmp(q, m, t, n, word_tier);
        if (f.tier == Tier::kFailed) return f;
    } else {
        const char16_t first = q[0];
        const size_t end = n - m + 1;  // past the last position with m units left
        for (size_t i = 1; i < end; ++i) {
            if (text_fold(unit_of(t[i])) != first || !equal_folded_bytes(q + 1, t + i + 1, m - 1)) continue;
            if (word_tier && fuzzy_is_word_break(unit_of(t[i - 1]))) return {Tier::kWord, i};
            if (f.tier == Tier::kNone) {
                f = {Tier::kSubstring, i};
                if (!word_tier) return f;
            }
        }
    }
    if (f.tier != Tier::kNone) return f;
    size_t j = 0;
    for (size_t i = 0; i < n && j < m; ++i) {
        if (text_fold(unit_of(t[i])) == q[j]) ++j;
    }
    return j == m ? Found{Tier::kScattered, 0} : Found{Tier::kNone, 0};
}

}  // namespace

int32_t fuzzy_score(const char16_t* query, const char16_t* text, int32_t exact_score, int32_t prefix_score,
                    int32_t word_score) {
    size_t m = 0;
    size_t n = 0;
    Found f = classify(query, text, word_score >= 0, &m, &n);
    return tier_score(f, m, n, exact_score, prefix_score, word_score);
}

FuzzyText fuzzy_prepare(const char16_t* text, size_t length, Arena* arena) {
    FuzzyText f{nullptr, text ? length : 0, 0, 0};
    if (!text) return f;
    char16_t* folded = length < kTooLong ? arena_new_array<char16_t>(arena, uint64_t{length} + 1) : nullptr;
    for (size_t i = 0; i < length; ++i) {
        const char16_t u = text_fold(text[i]);
        const uint64_t bit = fuzzy_unit_bit(u);
        f.units |= bit;
        if (i > 0 && fuzzy_is_word_break(text[i - 1])) f.word_units |= bit;
        if (folded) folded[i] = u;
    }
    if (folded) folded[length] = 0;
    f.folded = folded;
    return f;
}

int32_t fuzzy_detail::score_prepared(const FuzzyText& query, const FuzzyText& text, int32_t exact_score,
                                     int32_t prefix_score, int32_t word_score) {
    const size_t m = query.length, n = text.length;
    // The word tier needs a word of the text to start with the query's first unit.
    const bool word_tier = word_score >= 0 && (fuzzy_unit_bit(query.folded[0]) & text.word_units) != 0;
    Found f = classify_folded(query.folded, m, text.folded, n, word_tier);
    return tier_score(f, m, n, exact_score, prefix_score, word_score);
}

int32_t fuzzy_score_ascii(const FuzzyText& query, const char* text, size_t length, int32_t exact_score,
                          int32_t prefix_score, int32_t word_score) {
    if (!query.folded || !text) return -1;
    Found f = classify_ascii(query.folded, query.length, text, length, word_score >= 0);
    return tier_score(f, query.length, length, exact_score, prefix_score, word_score);
}

int32_t fuzzy_ranges(const char16_t* query, const char16_t* text, MatchRange* ranges, int32_t capacity) {
    if (!ranges || capacity < 1) return 0;
    size_t m = 0;
    size_t n = 0;
    Found f = classify(query, text, true, &m, &n);
    switch (f.tier) {
    case Tier::kExact: ranges[0] = {0, static_cast<int32_t>(n)}; return 1;
    case Tier::kPrefix: ranges[0] = {0, static_cast<int32_t>(m)}; return 1;
    case Tier::kWord:
    case Tier::kSubstring: ranges[0] = {static_cast<int32_t>(f.pos), static_cast<int32_t>(m)}; return 1;
    case Tier::kScattered: {
        if (static_cast<size_t>(capacity) < m) return 0;
        size_t j = 0;
        for (size_t i = 0; i < n && j < m; ++i) {
            if (same(text[i], query[j])) ranges[j++] = {static_cast<int32_t>(i), 1};
        }
        return j == m ? static_cast<int32_t>(m) : 0;
    }
    case Tier::kNone:
    case Tier::kFailed: break;
    }
    return 0;
}
