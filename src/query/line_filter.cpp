#include "query/line_filter.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "core/arena.h"
#include "core/text.h"
#include "core/utf.h"
#include "query/fuzzy.h"

static_assert(std::endian::native == std::endian::little, "the sort keys load bytes as little-endian words");

namespace {

// One ASCII unit of the query as a test on a byte: (byte | mask) == unit. A letter's mask is 0x20,
// which folds its capital onto it; any other unit has to be the byte itself, since folding maps no
// other byte onto it (and no byte above 0x7F passes).
struct Probe {
    unsigned char unit;
    unsigned char mask;
};

// True when the probes match bytes [s, e) in order: the query's ASCII units occur in the line in
// order, which every tier needs (ASCII bytes convert one to one into the line's ASCII units).
bool probes_in_order(const unsigned char* s, const unsigned char* e, const Probe* probes, size_t count) {
    if (count == 0) return true;
    size_t j = 0;
    unsigned want = probes[0].unit;
    unsigned mask = probes[0].mask;
    for (; s < e; ++s) {
        if ((*s | mask) == want) {
            if (++j == count) return true;
            want = probes[j].unit;
            mask = probes[j].mask;
        }
    }
    return false;
}

constexpr uint64_t kByteOnes = 0x0101010101010101ull;
constexpr uint64_t kByteHigh = 0x8080808080808080ull;

// True when every byte of [s, s + n) lies in 1..0x7F: the line is its own UTF-16 text.
bool plain_ascii(const char* s, size_t n) {
    size_t i = 0;
    for (; n - i >= 8; i += 8) {
        uint64_t w;
        std::memcpy(&w, s + i, sizeof w);
        // A high bit set, or a zero byte ((w - ones) & ~w & high is non-zero exactly when one exists).
        if ((w & kByteHigh) || ((w - kByteOnes) & ~w & kByteHigh)) return false;
    }
    for (; i < n; ++i) {
        auto c = static_cast<unsigned char>(s[i]);
        if (c == 0 || c >= 0x80) return false;
    }
    return true;
}

// Converts bytes [s, s + n) into out (room for n units) as utf8_to_utf16 does; returns the units
// written and sets *malformed when some bytes were not valid UTF-8 (a literal U+FFFD is valid).
size_t convert_line(const char* s, size_t n, char16_t* out, bool* malformed) {
    size_t u = 0;
    *malformed = false;
    for (size_t i = 0; i < n;) {
        auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            out[u++] = c;
            ++i;
            continue;
        }
        size_t used = 1;
        uint32_t cp = utf8_decode(s + i, n - i, &used);
        if (cp == 0xFFFD && !(used == 3 && std::memcmp(s + i, "\xEF\xBF\xBD", 3) == 0)) *malformed = true;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out[u++] = static_cast<char16_t>(0xD800 + (cp >> 10));
            out[u++] = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out[u++] = static_cast<char16_t>(cp);
        }
        i += used;
    }
    return u;
}

// ---- Ordering ---------------------------------------------------------------------------------
//
// Hits are grouped by score (a counting sort keeps input order), then every group is put in text
// order by a most significant digit sort: a pass sorts small records by a key made of the next few
// folded units, and only runs of equal keys go on to the next units. A group of byte texts takes 8
// units of 8 bits per key, any other group 4 units of 16 bits; either way comparing keys compares
// those units as text_compare_ci does, a text that ends sorting first.

struct SortItem {
    uint64_t key;
    uint32_t hit;  // index in input order
};

struct Group {
    uint32_t start;
    uint32_t count;
    uint32_t depth;  // units already known equal within the group
};

// Folds the ASCII capitals of eight bytes that are all below 0x80: no lane carries into the next.
uint64_t fold_ascii8(uint64_t w) {
    const uint64_t from_a = (w + 0x3F3F3F3F3F3F3F3Full) & kByteHigh;  // byte >= 'A'
    const uint64_t past_z = (w + 0x2525252525252525ull) & kByteHigh;  // byte > 'Z'
    return w | ((from_a & ~past_z) >> 2);                                  // 0x80 >> 2 is 0x20
}

// Eight folded bytes of a byte text from depth on, first unit highest, zero past the end.
uint64_t byte_key(const char* s, uint32_t length, uint32_t depth) {
    if (depth >= length) return 0;
    const uint32_t left = length - depth;
    if (left >= 8) {
        uint64_t w;
        std::memcpy(&w, s + depth, sizeof w);
        return __builtin_bswap64(fold_ascii8(w));
    }
    uint64_t key = 0;
    for (uint32_t i = 0; i < left; ++i) key = (key << 8) | text_fold(static_cast<unsigned char>(s[depth + i]));
    return key << (8 * (8 - left));
}

// Four folded units from depth on, 16 bits each, first unit highest, zero past the end.
uint64_t wide_key(const LineHit& h, const char* bytes, const char16_t* units, uint32_t depth) {
    uint64_t key = 0;
    uint32_t i = 0;
    for (; i < 4 && depth + i < h.text_length; ++i) {
        const char16_t c = h.units == kLineHitBytes ? static_cast<unsigned char>(bytes[h.start + depth + i])
                                                    : units[h.units + depth + i];
        key = (key << 16) | text_fold(c);
    }
    return i == 0 ? 0 : key << (16 * (4 - i));
}

bool item_less(const SortItem& a, const SortItem& b) { return a.key != b.key ? a.key < b.key : a.hit < b.hit; }

// Puts items [g.start, g.start + g.count) in text order from g.depth on; pushes the runs that are
// still tied onto the stack.
void sort_group(SortItem* items, const Group& g, const LineHit* hits, const char* bytes, const char16_t* units,
                Group* stack, size_t* top) {
    SortItem* it = items + g.start;
    bool all_bytes = true;
    for (uint32_t i = 0; i < g.count && all_bytes; ++i) all_bytes = hits[it[i].hit].units == kLineHitBytes;
    const uint32_t width = all_bytes ? 8 : 4;
    const uint64_t last_unit = all_bytes ? 0xFF : 0xFFFF;
    bool ordered = true;
    for (uint32_t i = 0; i < g.count; ++i) {
        const LineHit& h = hits[it[i].hit];
        it[i].key = all_bytes ? byte_key(bytes + h.start, h.text_length, g.depth) : wide_key(h, bytes, units, g.depth);
        if (i && it[i].key < it[i - 1].key) ordered = false;
    }
    // The group is in input order on entry, so keys already ascending need no sort.
    if (!ordered) std::sort(it, it + g.count, item_less);
    for (uint32_t i = 0; i < g.count;) {
        uint32_t j = i + 1;
        while (j < g.count && it[j].key == it[i].key) ++j;
        // A key whose last unit is set belongs to texts that may go on past it.
        if (j - i > 1 && (it[i].key & last_unit) != 0) stack[(*top)++] = Group{g.start + i, j - i, g.depth + width};
        i = j;
    }
}

// Orders hits[0, count) best first into sorted; false when the arena ran out.
bool order_hits(const LineHit* hits, uint32_t count, const char* bytes, const char16_t* units, Arena* arena,
                LineHit* sorted) {
    if (count == 0) return true;
    auto* items = arena_new_array<SortItem>(arena, count);
    // Every group on the stack holds two items or more and no two share one.
    auto* stack = arena_new_array<Group>(arena, count / 2 + 1);
    if (!items || !stack) return false;
    size_t top = 0;

    int32_t lo = hits[0].score, hi = hits[0].score;
    for (uint32_t i = 1; i < count; ++i) {
        lo = std::min(lo, hits[i].score);
        hi = std::max(hi, hits[i].score);
    }
    const uint64_t span = static_cast<uint64_t>(int64_t{hi} - lo) + 1;
    auto* starts = span <= (1u << 16) ? arena_new_array<uint32_t>(arena, span + 1) : nullptr;
    if (starts) {
        // Counting sort, highest score first, input order kept within a score.
        std::memset(starts, 0, sizeof(uint32_t) * (span + 1));
        for (uint32_t i = 0; i < count; ++i) ++starts[hi - hits[i].score + 1];
        for (uint64_t s = 1; s <= span; ++s) starts[s] += starts[s - 1];
        for (uint32_t i = 0; i < count; ++i) items[starts[hi - hits[i].score]++].hit = i;
    } else {
        for (uint32_t i = 0; i < count; ++i) items[i].hit = i;
        std::stable_sort(items, items + count,
                         [&](const SortItem& a, const SortItem& b) { return hits[a.hit].score > hits[b.hit].score; });
    }
    for (uint32_t i = 0; i < count;) {
        uint32_t j = i + 1;
        while (j < count && hits[items[j].hit].score == hits[items[i].hit].score) ++j;
        if (j - i > 1) stack[top++] = Group{i, j - i, 0};
        i = j;
    }
    while (top > 0) {
        const Group g = stack[--top];
        sort_group(items, g, hits, bytes, units, stack, &top);
    }
    for (uint32_t i = 0; i < count; ++i) sorted[i] = hits[items[i].hit];
    return true;
}

}  // namespace

bool line_filter(std::string_view input, const char16_t* query, int32_t exact_score, int32_t prefix_score,
                 int32_t word_score, Arena* arena, LineFilterResult* out) {
    *out = LineFilterResult{nullptr, 0, nullptr};
    if (input.size() >= kLineFilterMaxInput) return false;
    if (!query || !query[0] || input.empty()) return true;
    const size_t qlen = text_len(query);
    const FuzzyText prepared = fuzzy_prepare(query, qlen, arena);
    auto* probes = arena_new_array<Probe>(arena, qlen);
    if (!prepared.folded || !probes) return false;
    size_t probe_count = 0;
    bool needs_wide = false;  // a unit above 0x7F: only a line with such bytes can hold it
    for (size_t i = 0; i < qlen; ++i) {
        const char16_t f = prepared.folded[i];
        if (f >= 0x80) {
            needs_wide = true;
            continue;
        }
        const auto mask = static_cast<unsigned char>(f >= u'a' && f <= u'z' ? 0x20 : 0);
        probes[probe_count++] = Probe{static_cast<unsigned char>(f), mask};
    }

    const char* bytes = input.data();
    const size_t n = input.size();
    const size_t lines = static_cast<size_t>(std::count(bytes, bytes + n, '\n')) + 1;
    auto* hits = arena_new_array<LineHit>(arena, lines);
    if (!hits) return false;
    // Converted texts of the lines that need it, made only once the first such line passes the
    // byte test. A byte becomes at most one unit; each text adds a terminator.
    char16_t* units = nullptr;
    size_t used = 0;

    uint32_t count = 0;
    for (size_t i = 0; i < n;) {
        const auto* nl = static_cast<const char*>(std::memchr(bytes + i, '\n', n - i));
        const size_t end = nl ? static_cast<size_t>(nl - bytes) : n;
        size_t stop = end;
        if (stop > i && bytes[stop - 1] == '\r') --stop;
        const size_t start = i;
        const size_t length = stop - start;
        i = end + 1;
        // A line never has more UTF-16 units than bytes, and the query needs as many units as it has.
        if (length < qlen) continue;
        const char* s = bytes + start;
        const auto* us = reinterpret_cast<const unsigned char*>(s);
        if (!probes_in_order(us, us + length, probes, probe_count)) continue;
        if (plain_ascii(s, length)) {
            if (needs_wide) continue;
            const int32_t score = fuzzy_score_ascii(prepared, s, length, exact_score, prefix_score, word_score);
            if (score >= 0) {
                hits[count++] = LineHit{score, static_cast<uint32_t>(start), static_cast<uint32_t>(length),
                                        kLineHitBytes, static_cast<uint32_t>(length), 0};
            }
            continue;
        }
        if (!units) {
            units = arena_new_array<char16_t>(arena, n + lines);
            if (!units) return false;
        }
        bool malformed = false;
        char16_t* text = units + used;
        const size_t converted = convert_line(s, length, text, &malformed);
        text[converted] = 0;
        const int32_t score = fuzzy_score(query, text, exact_score, prefix_score, word_score);
        if (score < 0) continue;
        hits[count++] = LineHit{score, static_cast<uint32_t>(start), static_cast<uint32_t>(length),
                                static_cast<uint32_t>(used), static_cast<uint32_t>(text_len(text)),
                                malformed ? 1u : 0u};
        used += converted + 1;
    }

    auto* sorted = arena_new_array<LineHit>(arena, count ? count : 1);
    if (!sorted || !order_hits(hits, count, bytes, units, arena, sorted)) return false;
    *out = LineFilterResult{sorted, count, units};
    return true;
}
