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
// folded units, and only runs of equal keys go on to the next units. A group of byte texts takes 16
// units of 8 bits per key, any other group 8 units of 16 bits; either way comparing keys compares
// those units as text_compare_ci does, a text that ends sorting first.

struct SortItem {
    uint64_t high;      // the key's first half
    uint64_t low;
    const void* text;   // the hit's text: its bytes, or its converted units
    uint32_t length;    // units of the text, kWideText set for converted units
    uint32_t hit;       // index in input order
};

constexpr uint32_t kWideText = 1u << 31;

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

// Four folded units of a text from depth on, 16 bits each, first unit highest, zero past the end.
uint64_t wide_key(const SortItem& item, uint32_t depth) {
    const uint32_t length = item.length & ~kWideText;
    uint64_t key = 0;
    uint32_t i = 0;
    for (; i < 4 && depth + i < length; ++i) {
        const char16_t c = (item.length & kWideText) ? static_cast<const char16_t*>(item.text)[depth + i]
                                                     : static_cast<const unsigned char*>(item.text)[depth + i];
        key = (key << 16) | text_fold(c);
    }
    return i == 0 ? 0 : key << (16 * (4 - i));
}

bool item_less(const SortItem& a, const SortItem& b) {
    if (a.high != b.high) return a.high < b.high;
    if (a.low != b.low) return a.low < b.low;
    return a.hit < b.hit;
}

bool same_key(const SortItem& a, const SortItem& b) { return a.high == b.high && a.low == b.low; }

// How far ahead a later item's text is fetched: the texts lie all over the store, and fetching
// them early overlaps the cache misses.
constexpr uint32_t kPrefetchAhead = 16;

// Puts items [g.start, g.start + g.count) in text order from g.depth on; pushes the runs that are
// still tied onto the stack.
void sort_group(SortItem* items, const Group& g, Group* stack, size_t* top) {
    SortItem* it = items + g.start;
    bool all_bytes = true;
    for (uint32_t i = 0; i < g.count && all_bytes; ++i) all_bytes = (it[i].length & kWideText) == 0;
    const uint32_t half = all_bytes ? 8 : 4;  // units per half key
    const uint64_t last_unit = all_bytes ? 0xFF : 0xFFFF;
    const uint32_t unit_size = all_bytes ? 1 : 2;
    bool ordered = true;
    for (uint32_t i = 0; i < g.count; ++i) {
        if (i + kPrefetchAhead < g.count) {
            const SortItem& ahead = it[i + kPrefetchAhead];
            if (g.depth < (ahead.length & ~kWideText)) {
                __builtin_prefetch(static_cast<const char*>(ahead.text) + g.depth * unit_size);
            }
        }
        SortItem& item = it[i];
        if (all_bytes) {
            item.high = byte_key(static_cast<const char*>(item.text), item.length, g.depth);
            item.low = byte_key(static_cast<const char*>(item.text), item.length, g.depth + half);
        } else {
            item.high = wide_key(item, g.depth);
            item.low = wide_key(item, g.depth + half);
        }
        if (i && item_less(item, it[i - 1])) ordered = false;
    }
    // The group is in input order on entry, so keys already ascending need no sort.
    if (!ordered) std::sort(it, it + g.count, item_less);
    for (uint32_t i = 0; i < g.count;) {
        uint32_t j = i + 1;
        while (j < g.count && same_key(it[j], it[i])) ++j;
        // A key whose last unit is set belongs to texts that may go on past it.
        if (j - i > 1 && (it[i].low & last_unit) != 0) stack[(*top)++] = Group{g.start + i, j - i, g.depth + 2 * half};
        i = j;
    }
}

// Orders hits[0, count) best first into sorted; false when the arena ran out.
bool order_hits(const LineHit* hits, uint32_t count, Arena* arena, LineHit* sorted) {
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
    // First by score, best first: `high` holds hi - score until the texts are sorted.
    auto item_of = [&](uint32_t i) {
        const LineHit& h = hits[i];
        return SortItem{static_cast<uint64_t>(int64_t{hi} - h.score), 0,
                        h.text ? static_cast<const void*>(h.text) : static_cast<const void*>(h.line),
                        h.text_length | (h.text ? kWideText : 0), i};
    };
    const uint64_t span = static_cast<uint64_t>(int64_t{hi} - lo) + 1;
    auto* starts = span <= (1u << 16) ? arena_new_array<uint32_t>(arena, span + 1) : nullptr;
    if (starts) {
        // A counting sort, which keeps input order within a score.
        std::memset(starts, 0, sizeof(uint32_t) * (span + 1));
        for (uint32_t i = 0; i < count; ++i) ++starts[hi - hits[i].score + 1];
        for (uint64_t s = 1; s <= span; ++s) starts[s] += starts[s - 1];
        for (uint32_t i = 0; i < count; ++i) items[starts[hi - hits[i].score]++] = item_of(i);
    } else {
        for (uint32_t i = 0; i < count; ++i) items[i] = item_of(i);
        std::stable_sort(items, items + count, [](const SortItem& a, const SortItem& b) { return a.high < b.high; });
    }
    for (uint32_t i = 0; i < count;) {
        uint32_t j = i + 1;
        while (j < count && items[j].high == items[i].high) ++j;
        if (j - i > 1) stack[top++] = Group{i, j - i, 0};
        i = j;
    }
    while (top > 0) {
        const Group g = stack[--top];
        sort_group(items, g, stack, &top);
    }
    for (uint32_t i = 0; i < count; ++i) {
        if (i + kPrefetchAhead < count) __builtin_prefetch(hits + items[i + kPrefetchAhead].hit);
        sorted[i] = hits[items[i].hit];
    }
    return true;
}

// ---- Scanning ---------------------------------------------------------------------------------

// Room for the kept lines and converted texts: large arena blocks filled one after the other.
constexpr size_t kStoreBlock = size_t{4} << 20;

struct Store {
    Arena* arena;
    char* at;
    size_t left;
};

// At least n bytes of room at the end of the store (8-aligned), or null.
char* store_room(Store* st, size_t n) {
    const size_t need = (n + 7) & ~size_t{7};
    if (st->left < need) {
        const size_t size = need > kStoreBlock ? need : kStoreBlock;
        st->at = arena_new_array<char>(st->arena, size);
        st->left = st->at ? size : 0;
        if (!st->at) return nullptr;
    }
    return st->at;
}

// Keeps the first n bytes of the room last returned.
void store_keep(Store* st, size_t n) {
    const size_t used = (n + 7) & ~size_t{7};
    st->at += used;
    st->left -= used;
}

struct Scan {
    Arena* arena;
    const char16_t* query;
    size_t query_length;
    FuzzyText prepared;
    Probe* probes;  // the query's ASCII units in order
    size_t probe_count;
    bool needs_wide;  // a unit above 0x7F: only a line with bytes above 0x7F can hold it
    int32_t exact_score, prefix_score, word_score;
    Store store;
    LineHit* hits;  // in input order
    uint32_t count;
    uint32_t capacity;
    bool failed;
};

bool scan_begin(Scan* sc, const char16_t* query, int32_t exact_score, int32_t prefix_score, int32_t word_score,
                Arena* arena) {
    *sc = Scan{};
    sc->arena = arena;
    sc->store.arena = arena;
    sc->exact_score = exact_score;
    sc->prefix_score = prefix_score;
    sc->word_score = word_score;
    if (!query || !query[0]) return true;  // no line can match; query stays null
    sc->query_length = text_len(query);
    sc->prepared = fuzzy_prepare(query, sc->query_length, arena);
    sc->probes = arena_new_array<Probe>(arena, sc->query_length);
    if (!sc->prepared.folded || !sc->probes) return false;
    for (size_t i = 0; i < sc->query_length; ++i) {
        const char16_t f = sc->prepared.folded[i];
        if (f >= 0x80) {
            sc->needs_wide = true;
            continue;
        }
        const auto mask = static_cast<unsigned char>(f >= u'a' && f <= u'z' ? 0x20 : 0);
        sc->probes[sc->probe_count++] = Probe{static_cast<unsigned char>(f), mask};
    }
    sc->query = query;
    return true;
}

// Keeps a scored line: its bytes go into the store, and the hit into the list.
bool keep_hit(Scan* sc, LineHit hit) {
    if (sc->count == sc->capacity) {
        if (sc->capacity == UINT32_MAX) return false;
        const uint32_t capacity = sc->capacity < (1u << 30) ? (sc->capacity ? sc->capacity * 2 : 1024) : UINT32_MAX;
        auto* grown = arena_new_array<LineHit>(sc->arena, capacity);
        if (!grown) return false;
        if (sc->count) std::memcpy(grown, sc->hits, sizeof(LineHit) * sc->count);
        sc->hits = grown;
        sc->capacity = capacity;
    }
    char* copy = store_room(&sc->store, hit.length);
    if (!copy) return false;
    std::memcpy(copy, hit.line, hit.length);
    store_keep(&sc->store, hit.length);
    hit.line = copy;
    sc->hits[sc->count++] = hit;
    return true;
}

// Scores the lines of bytes [0, n): each ends at a line break or at n.
void scan_lines(Scan* sc, const char* bytes, size_t n) {
    if (!sc->query || sc->failed) return;
    const size_t qlen = sc->query_length;
    for (size_t i = 0; i < n;) {
        const auto* nl = static_cast<const char*>(std::memchr(bytes + i, '\n', n - i));
        const size_t end = nl ? static_cast<size_t>(nl - bytes) : n;
        size_t stop = end;
        if (stop > i && bytes[stop - 1] == '\r') --stop;
        const char* s = bytes + i;
        const size_t length = stop - i;
        i = end + 1;
        // A line never has more UTF-16 units than bytes, and the query needs as many units as it has.
        if (length < qlen) continue;
        const auto* us = reinterpret_cast<const unsigned char*>(s);
        if (!probes_in_order(us, us + length, sc->probes, sc->probe_count)) continue;
        if (length >= kWideText) {  // the sort keeps a flag in the length's top bit
            sc->failed = true;
            return;
        }
        const auto len32 = static_cast<uint32_t>(length);
        if (plain_ascii(s, length)) {
            if (sc->needs_wide) continue;
            const int32_t score =
                fuzzy_score_ascii(sc->prepared, s, length, sc->exact_score, sc->prefix_score, sc->word_score);
            if (score >= 0 && !keep_hit(sc, LineHit{score, len32, s, nullptr, len32, 0})) {
                sc->failed = true;
                return;
            }
            continue;
        }
        // Converted into the store's room, kept there only when the line matches. A byte becomes at
        // most one unit, and the text is followed by a terminator.
        auto* text = reinterpret_cast<char16_t*>(store_room(&sc->store, (length + 1) * sizeof(char16_t)));
        if (!text) {
            sc->failed = true;
            return;
        }
        bool malformed = false;
        const size_t converted = convert_line(s, length, text, &malformed);
        text[converted] = 0;
        const int32_t score = fuzzy_score(sc->query, text, sc->exact_score, sc->prefix_score, sc->word_score);
        if (score < 0) continue;
        store_keep(&sc->store, (converted + 1) * sizeof(char16_t));
        const LineHit hit{score, len32, s, text, static_cast<uint32_t>(text_len(text)), malformed ? 1u : 0u};
        if (!keep_hit(sc, hit)) {
            sc->failed = true;
            return;
        }
    }
}

bool scan_finish(Scan* sc, LineFilterResult* out) {
    if (sc->failed) return false;
    auto* sorted = arena_new_array<LineHit>(sc->arena, sc->count ? sc->count : 1);
    if (!sorted || !order_hits(sc->hits, sc->count, sc->arena, sorted)) return false;
    *out = LineFilterResult{sorted, sc->count};
    return true;
}

}  // namespace

bool line_filter_read(LineReadFn read, void* context, size_t block_size, const char16_t* query,
                      int32_t exact_score, int32_t prefix_score, int32_t word_score, Arena* arena,
                      LineFilterResult* out) {
    *out = LineFilterResult{nullptr, 0};
    Scan sc;
    if (!scan_begin(&sc, query, exact_score, prefix_score, word_score, arena)) return false;
    size_t capacity = block_size < 64 ? 64 : block_size;
    char* buf = arena_new_array<char>(arena, capacity);
    if (!buf) return false;
    // buf[0, filled) holds the start of a line that the next block goes on with.
    size_t filled = 0;
    for (;;) {
        if (filled == capacity) {
            // A line longer than the block: the block grows to hold it.
            if (capacity > SIZE_MAX / 2) return false;
            char* grown = arena_new_array<char>(arena, capacity * 2);
            if (!grown) return false;
            std::memcpy(grown, buf, filled);
            buf = grown;
            capacity *= 2;
        }
        const size_t got = read(context, buf + filled, capacity - filled);
        if (got == 0) {
            scan_lines(&sc, buf, filled);  // the last line, without a break
            break;
        }
        const size_t fresh = filled;
        filled += got;
        size_t end = filled;
        while (end > fresh && buf[end - 1] != '\n') --end;
        if (end == fresh) continue;  // no break yet: the whole buffer is one unfinished line
        scan_lines(&sc, buf, end);
        std::memmove(buf, buf + end, filled - end);
        filled -= end;
    }
    return scan_finish(&sc, out);
}

bool line_filter(std::string_view input, const char16_t* query, int32_t exact_score, int32_t prefix_score,
                 int32_t word_score, Arena* arena, LineFilterResult* out) {
    *out = LineFilterResult{nullptr, 0};
    Scan sc;
    if (!scan_begin(&sc, query, exact_score, prefix_score, word_score, arena)) return false;
    scan_lines(&sc, input.data(), input.size());
    return scan_finish(&sc, out);
}
