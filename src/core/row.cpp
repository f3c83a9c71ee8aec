#include "core/row.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "core/arena.h"
#include "core/text.h"
#include "platform/platform.h"

namespace {

constexpr const char16_t* kEmpty = u"";

char16_t** row_strings(Row* r, int i) {
    switch (i) {
        case 0: return &r->title;
        case 1: return &r->subtitle;
        case 2: return &r->path;
        case 3: return &r->target;
        case 4: return &r->argument;
        default: return &r->icon_source;
    }
}

// Moves the rows into the order given by order[i] = old position of the row that belongs at i,
// following the permutation's cycles so each row moves once; placed[] marks finished slots.
void permute_rows(Row* items, const int32_t* order, unsigned char* placed, int32_t count) {
    std::memset(placed, 0, static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        if (placed[i] || order[i] == i) {
            placed[i] = 1;
            continue;
        }
        Row saved = items[i];
        int32_t j = i;
        for (;;) {
            int32_t k = order[j];
            placed[j] = 1;
            if (k == i) {
                items[j] = saved;
                break;
            }
            items[j] = items[k];
            j = k;
        }
    }
}

// Sort keys: the first eight folded units packed big-endian into two 64-bit words, so most
// comparisons end on an integer compare; ties continue unit by unit from the ninth.
struct TextKey {
    uint64_t head;
    uint64_t head2;
    const char16_t* text;
    uint32_t len;
};

inline char16_t fold(char16_t c) { return static_cast<char16_t>(static_cast<unsigned>(c) - u'A' < 26u ? c + 32 : c); }

TextKey make_key(const char16_t* s) {
    TextKey k{0, 0, s, static_cast<uint32_t>(text_len(s))};
    for (uint32_t i = 0; i < 4; ++i) k.head = (k.head << 16) | (i < k.len ? fold(s[i]) : 0);
    for (uint32_t i = 4; i < 8; ++i) k.head2 = (k.head2 << 16) | (i < k.len ? fold(s[i]) : 0);
    return k;
}

// A cheap fingerprint for grouping equal texts: the length, the packed head and the last four
// folded units (paths and titles tend to differ at their ends). Equal texts give equal values.
uint32_t fingerprint(const TextKey& k) {
    uint64_t tail = 0;
    for (uint32_t i = k.len > 4 ? k.len - 4 : 0; i < k.len; ++i) tail = (tail << 16) | fold(k.text[i]);
    uint64_t h =
        (k.head * 0x9E3779B97F4A7C15ull) ^ (k.head2 * 0xC2B2AE3D27D4EB4Full) ^ (tail * 0x165667B19E3779F9ull) ^ k.len;
    return static_cast<uint32_t>(h ^ (h >> 32));
}

// Three-way case-insensitive comparison of two keys, same order as text_compare_ci.
inline int key_compare(const TextKey& a, const TextKey& b) {
    if (a.head != b.head) {
        // A zero unit in the packed head stands for "ended here": shorter sorts first, as it should,
        // unless the text itself holds a NUL, which a terminated string cannot.
        return a.head < b.head ? -1 : 1;
    }
    if (a.head2 != b.head2) return a.head2 < b.head2 ? -1 : 1;
    uint32_t n = a.len < b.len ? a.len : b.len;
    for (uint32_t i = 8; i < n; ++i) {
        char16_t x = fold(a.text[i]), y = fold(b.text[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.len == b.len) return 0;
    return a.len < b.len ? -1 : 1;
}

bool score_before(const Row& a, const Row& b) {
    if (a.score != b.score) return a.score > b.score;
    return text_compare_ci(a.title ? a.title : kEmpty, b.title ? b.title : kEmpty) < 0;
}

}  // namespace

void rowlist_init(RowList* list, Arena* arena) {
    if (!list) return;
    *list = RowList{};
    list->arena = arena;
}

namespace {

// Makes room for cap rows (more than the list has): a new block in the list's arena, or a realloc.
bool rowlist_grow_to(RowList* list, int32_t cap) {
    Row* grown;
    if (list->arena) {
        grown = arena_new_array<Row>(list->arena, static_cast<uint64_t>(cap));
        if (grown && list->count) std::memcpy(grown, list->items, sizeof(Row) * static_cast<size_t>(list->count));
    } else {
        grown = static_cast<Row*>(std::realloc(list->items, sizeof(Row) * static_cast<size_t>(cap)));
    }
    if (!grown) return false;
    list->items = grown;
    list->capacity = cap;
    return true;
}

}  // namespace

int rowlist_add(RowList* list, const Row* row) {
    if (!list || !row) return -1;
    if (list->count == list->capacity) {
        const bool room =
            list->capacity <= INT32_MAX / 2 && rowlist_grow_to(list, list->capacity ? list->capacity * 2 : 32);
        if (!room) {
            if (!list->arena) {
                Row dropped = *row;
                row_free(&dropped);
            }
            return -1;
        }
    }
    list->items[list->count++] = *row;
    return 0;
}

int rowlist_reserve(RowList* list, int32_t more) {
    if (!list || more < 0 || more > INT32_MAX - list->count) return -1;
    const int32_t cap = list->count + more;
    if (cap <= list->capacity) return 0;
    return rowlist_grow_to(list, cap) ? 0 : -1;
}

int rowlist_add_fields(RowList* list, const char16_t* title, const char16_t* subtitle, const char16_t* path,
                       const char16_t* target, int32_t kind, int32_t score) {
    if (!list) return -1;
    Row r{};
    Arena* a = list->arena;
    r.title = text_copy(title ? title : kEmpty, a);
    r.subtitle = text_copy(subtitle, a);
    r.path = text_copy(path, a);
    r.target = text_copy(target, a);
    r.kind = kind;
    r.score = score;
    if (!r.title || (subtitle && !r.subtitle) || (path && !r.path) || (target && !r.target)) {
        if (!a) row_free(&r);
        return -1;
    }
    return rowlist_add(list, &r);
}

int row_clone(const Row* src, Row* dst, Arena* arena) {
    if (!src || !dst) return -1;
    *dst = *src;
    for (int i = 0; i < 6; ++i) *row_strings(dst, i) = nullptr;
    Row* s = const_cast<Row*>(src);
    for (int i = 0; i < 6; ++i) *row_strings(dst, i) = text_copy(*row_strings(s, i), arena);
    if (src->title && !dst->title) {
        if (!arena)
            row_free(dst);
        else
            *dst = Row{};
        return -1;
    }
    return 0;
}

void row_free(Row* row) {
    if (!row) return;
    for (int i = 0; i < 6; ++i) text_free(*row_strings(row, i));
    *row = Row{};
}

void rowlist_free(RowList* list) {
    if (!list) return;
    if (!list->arena) {
        for (int32_t i = 0; i < list->count; ++i) row_free(&list->items[i]);
        std::free(list->items);
    }
    list->items = nullptr;
    list->count = 0;
    list->capacity = 0;
}

void rowlist_drop_array(RowList* list) {
    if (!list) return;
    if (!list->arena) std::free(list->items);
    list->items = nullptr;
    list->count = 0;
    list->capacity = 0;
}

void rowlist_set_tag(RowList* list, int32_t from, char letter) {
    if (!list) return;
    for (int32_t i = from < 0 ? 0 : from; i < list->count; ++i) list->items[i].tag = letter;
}

void rowlist_truncate(RowList* list, int32_t n) {
    if (!list || n < 0 || n >= list->count) return;
    if (!list->arena) {
        for (int32_t i = n; i < list->count; ++i) row_free(&list->items[i]);
    }
    list->count = n;
}

void rowlist_sort_by_score(RowList* list) {
    if (!list || list->count < 2) return;
    struct Entry {
        int32_t score;
        int32_t pos;
        TextKey title;
    };
    ScratchScope scope;
    int32_t n = list->count;
    auto* entries = arena_new_array<Entry>(scope.arena(), static_cast<uint64_t>(n));
    auto* order = arena_new_array<int32_t>(scope.arena(), static_cast<uint64_t>(n));
    auto* placed = arena_new_array<unsigned char>(scope.arena(), static_cast<uint64_t>(n));
    if (!entries || !order || !placed) {
        std::sort(list->items, list->items + n, score_before);
        return;
    }
    for (int32_t i = 0; i < n; ++i) {
        const Row& r = list->items[i];
        entries[i] = Entry{r.score, i, make_key(r.title ? r.title : kEmpty)};
    }
    std::sort(entries, entries + n, [](const Entry& a, const Entry& b) {
        if (a.score != b.score) return a.score > b.score;
        return key_compare(a.title, b.title) < 0;
    });
    for (int32_t i = 0; i < n; ++i) order[i] = entries[i].pos;
    permute_rows(list->items, order, placed, n);
}

void rowlist_sort_shortest_path(RowList* list) {
    if (!list || list->count < 2) return;
    struct Entry {
        TextKey key;
        int32_t pos;
    };
    auto before = [](const Entry& a, const Entry& b) {
        bool ea = a.key.len == 0, eb = b.key.len == 0;
        if (ea != eb) return eb;
        if (ea) return false;
        if (a.key.len != b.key.len) return a.key.len < b.key.len;
        int c = key_compare(a.key, b.key);
        if (c != 0) return c < 0;
        return a.pos < b.pos;
    };
    ScratchScope scope;
    int32_t n = list->count;
    auto* entries = arena_new_array<Entry>(scope.arena(), static_cast<uint64_t>(n));
    auto* order = arena_new_array<int32_t>(scope.arena(), static_cast<uint64_t>(n));
    auto* placed = arena_new_array<unsigned char>(scope.arena(), static_cast<uint64_t>(n));
    if (!entries || !order || !placed) {
        std::sort(list->items, list->items + n, [](const Row& a, const Row& b) {
            size_t la = text_len(a.path), lb = text_len(b.path);
            if ((la == 0) != (lb == 0)) return lb == 0;
            if (la == 0) return false;
            if (la != lb) return la < lb;
            return text_compare_ci(a.path, b.path) < 0;
        });
        return;
    }
    for (int32_t i = 0; i < n; ++i) {
        entries[i] = Entry{make_key(list->items[i].path ? list->items[i].path : kEmpty), i};
    }
    std::sort(entries, entries + n, before);
    for (int32_t i = 0; i < n; ++i) order[i] = entries[i].pos;
    permute_rows(list->items, order, placed, n);
}

void rowlist_dedup(RowList* list) {
    if (!list || list->count < 2) return;
    struct Entry {
        TextKey title;
        TextKey target;
        uint32_t title_hash;
        uint32_t target_hash;
        int32_t pos;
    };
    ScratchScope scope;
    int32_t n = list->count;
    auto* entries = arena_new_array<Entry>(scope.arena(), static_cast<uint64_t>(n));
    auto* drop = arena_new_array<unsigned char>(scope.arena(), static_cast<uint64_t>(n));
    if (!entries || !drop) return;
    std::memset(drop, 0, static_cast<size_t>(n));
    int32_t m = 0;
    for (int32_t i = 0; i < n; ++i) {
        const Row& r = list->items[i];
        if (!r.title) continue;  // rows without a title are never dropped
        const char16_t* target = r.target ? r.target : kEmpty;
        TextKey tk = make_key(r.title), gk = make_key(target);
        entries[m++] = Entry{tk, gk, fingerprint(tk), fingerprint(gk), i};
    }
    // Only runs of equal title and target matter here, so the order compares fingerprints of the
    // folded texts before the texts themselves (paths share long prefixes).
    std::sort(entries, entries + m, [](const Entry& a, const Entry& b) {
        if (a.title_hash != b.title_hash) return a.title_hash < b.title_hash;
        if (a.target_hash != b.target_hash) return a.target_hash < b.target_hash;
        int c = key_compare(a.title, b.title);
        if (c != 0) return c < 0;
        c = key_compare(a.target, b.target);
        if (c != 0) return c < 0;
        return a.pos < b.pos;
    });
    for (int32_t i = 1; i < m; ++i) {
        if (key_compare(entries[i].title, entries[i - 1].title) == 0 &&
            key_compare(entries[i].target, entries[i - 1].target) == 0) {
            drop[entries[i].pos] = 1;
        }
    }
    int32_t out = 0;
    for (int32_t i = 0; i < n; ++i) {
        if (drop[i]) {
            if (!list->arena) row_free(&list->items[i]);
            continue;
        }
        if (out != i) list->items[out] = list->items[i];
        ++out;
    }
    list->count = out;
}

int row_is_folder(const Row* row) {
    if (!row) return 0;
    if (row->is_folder) return 1;
    if (!row->path || !row->path[0] || !platform().files) return 0;
    uint32_t attrs = os_files().attributes(row->path);
    return attrs != win::kInvalidAttributes && (attrs & win::kAttrDirectory) ? 1 : 0;
}

void rowlist_keep_folders(RowList* list) {
    if (!list) return;
    int32_t out = 0;
    for (int32_t i = 0; i < list->count; ++i) {
        if (!row_is_folder(&list->items[i])) {
            if (!list->arena) row_free(&list->items[i]);
            continue;
        }
        if (out != i) list->items[out] = list->items[i];
        ++out;
    }
    list->count = out;
}
