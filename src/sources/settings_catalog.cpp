#include "sources/settings_catalog.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/arena.h"
#include "core/row.h"
#include "core/text.h"
#include "platform/platform.h"
#include "query/fuzzy.h"

namespace {

constexpr int32_t kExact = 100;
constexpr int32_t kPrefix = 100;
constexpr int32_t kWord = 90;
constexpr int32_t kTaskLinkPenalty = 50;
constexpr size_t kAltNameUnits = 159;    // each alternative name is cut to this many units
constexpr size_t kSubtitleUnits = 159;
constexpr size_t kIconPathUnits = 260;   // ExpandEnvironmentStringsW buffer, terminator included
constexpr int32_t kBuildTextUnits = 15;  // a 32-byte buffer holds 15 units and the terminator

const char16_t* const kVersionKey = u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";

std::atomic<int32_t> g_build{-1};  // -1: not read yet
std::atomic<int32_t> g_build_override{0};

// Every tier of the matcher, down to scattered letters, needs each query character somewhere in
// the text, so a 64-bit summary of the characters present lets most entries be passed over
// without calling it. Collisions only let a few extra texts through to the real scoring.
constexpr uint64_t char_bit(char16_t c) {
    char16_t f = text_fold(c);
    return uint64_t(1) << (f < 128 ? (f & 63) : 63);
}

uint64_t char_mask(const char16_t* s) {
    uint64_t m = 0;
    for (; s && *s; ++s) m |= char_bit(*s);
    return m;
}

// A keyword match needs every query word to equal a keyword, so a summary of each word's length
// and first letter rules most entries out before any comparison.
uint64_t word_bit(const char16_t* word, size_t len) {
    return uint64_t(1) << ((len * 31 + text_fold(word[0])) & 63);
}

template <typename Fn>
void for_each_piece(const char16_t* s, char16_t a, char16_t b, Fn fn) {
    if (!s) return;
    for (;;) {
        while (*s == a || *s == b) ++s;
        if (!*s) return;
        const char16_t* start = s;
        while (*s && *s != a && *s != b) ++s;
        fn(start, static_cast<size_t>(s - start));
    }
}

uint64_t keyword_bits(const char16_t* keywords) {
    uint64_t m = 0;
    for_each_piece(keywords, u'|', u'|', [&](const char16_t* w, size_t n) { m |= word_bit(w, n); });
    return m;
}

uint64_t query_word_bits(const char16_t* query) {
    uint64_t m = 0;
    for_each_piece(query, u' ', u'\t', [&](const char16_t* w, size_t n) { m |= word_bit(w, n); });
    return m;
}

struct EntryIndex {
    uint64_t name_mask;
    uint64_t area_mask;
    uint64_t alt_mask;   // all alternative names together
    uint64_t keyword_mask;
    int32_t title_rank;  // position in case-insensitive title order (table order breaks ties)
    uint16_t name_len;
    uint16_t subtitle_len;
    uint16_t target_len;
    const char16_t* subtitle;  // "System settings > area" or "Control Panel > area", cut to 159 units
};

struct CatalogIndex {
    std::span<const SettingsEntry> entries;
    EntryIndex* index;
};

const CatalogIndex& catalog_index() {
    static const CatalogIndex built = [] {
        std::span<const SettingsEntry> entries = settings_catalog();
        // Built once and kept for the process, like the table itself.
        auto* index = new EntryIndex[entries.size()];
        auto* subtitles = new char16_t[entries.size() * (kSubtitleUnits + 1)];
        auto* order = new int32_t[entries.size()];
        for (size_t i = 0; i < entries.size(); ++i) {
            const SettingsEntry& e = entries[i];
            char16_t* sub = subtitles + i * (kSubtitleUnits + 1);
            std::u16string_view prefix = e.type == kSettingsPage ? u"System settings > " : u"Control Panel > ";
            size_t n = text_copy_to(sub, kSubtitleUnits + 1, prefix);
            n += text_copy_to(sub + n, kSubtitleUnits + 1 - n, text_view(e.area));
            index[i] = EntryIndex{char_mask(e.name), char_mask(e.area), char_mask(e.alt_names), keyword_bits(e.keywords), 0,
                                  static_cast<uint16_t>(text_len(e.name)), static_cast<uint16_t>(n),
                                  static_cast<uint16_t>(text_len(e.target)), sub};
            order[i] = static_cast<int32_t>(i);
        }
        std::stable_sort(order, order + entries.size(), [&](int32_t a, int32_t b) {
            return text_compare_ci(entries[a].name, entries[b].name) < 0;
        });
        for (size_t r = 0; r < entries.size(); ++r) index[order[r]].title_rank = static_cast<int32_t>(r);
        delete[] order;
        return CatalogIndex{entries, index};
    }();
    return built;
}

// The best score of the query against any "|"-separated alternative name, or -1.
int32_t best_alt_score(const char16_t* query, const char16_t* alts) {
    int32_t best = -1;
    char16_t name[kAltNameUnits + 1];
    const char16_t* p = alts;
    while (p && *p) {
        const char16_t* end = p;
        while (*end && *end != u'|') ++end;
        size_t n = static_cast<size_t>(end - p);
        if (n > kAltNameUnits) n = kAltNameUnits;
        std::copy(p, p + n, name);
        name[n] = 0;
        if (n > 0) best = std::max(best, fuzzy_score(query, name, kExact, kPrefix, kWord));
        p = *end ? end + 1 : end;
    }
    return best;
}

// The score of one entry against a non-empty query (with its character summary), or -1.
int32_t score_entry(const SettingsEntry& e, const EntryIndex& ix, const char16_t* query, uint64_t qmask,
                    uint64_t qwords) {
    int32_t n = -1;
    bool keyword_checked = false;
    bool keywords_hit = false;
    auto keywords = [&] {
        if (!keyword_checked) {
            keywords_hit = e.keywords && (qwords & ~ix.keyword_mask) == 0 && settings_keywords_match(query, e.keywords);
            keyword_checked = true;
        }
        return keywords_hit;
    };
    if ((qmask & ~ix.name_mask) == 0) n = fuzzy_score(query, e.name, kExact, kPrefix, kWord);
    if (n < 0) {
        int32_t a = (qmask & ~ix.area_mask) == 0 ? fuzzy_score(query, e.area, kExact, kPrefix, kWord) : -1;
        if (a >= 0) {
            n = a - 10;
        } else {
            int32_t alt = (e.alt_names && (qmask & ~ix.alt_mask) == 0) ? best_alt_score(query, e.alt_names) : -1;
            if (alt >= 0) n = alt - 10;
            else if (keywords()) n = 10;
            else return -1;
        }
    }
    int32_t d = e.type == kSettingsTaskLink ? n - kTaskLinkPenalty : n;
    if (d < 0) return keywords() ? 1 : -1;
    return d;
}

bool build_allows(const SettingsEntry& e, int32_t build) {
    if (build == 0) return true;
    if (e.max_build != 0 && build >= e.max_build) return false;
    if (e.min_build != 0 && build < e.min_build) return false;
    return true;
}

// "%SystemRoot%\<relative>" expanded, kept only when the file is there.
std::u16string icon_file(const char16_t* relative) {
    std::u16string path = os_env().expand(std::u16string(u"%SystemRoot%\\") + relative);
    if (path.empty() || path.size() >= kIconPathUnits) return {};
    if (os_files().attributes(path) == win::kInvalidAttributes) return {};
    return path;
}

int32_t parse_build(const std::u16string& text) {
    if (text.empty() || text.size() > static_cast<size_t>(kBuildTextUnits)) return 0;
    int64_t v = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9') break;
        v = v * 10 + (c - u'0');
        if (v > INT32_MAX) return 0;
    }
    return static_cast<int32_t>(v);
}

int32_t read_build() {
    if (!platform().registry) return 0;
    std::u16string text;
    int32_t build = 0;
    if (os_registry().read_string(RegistryRoot::LocalMachine, kVersionKey, u"CurrentBuild", text) == win::kOk)
        build = parse_build(text);
    if (build == 0 &&
        os_registry().read_string(RegistryRoot::LocalMachine, kVersionKey, u"CurrentBuildNumber", text) == win::kOk)
        build = parse_build(text);
    return build;
}

int32_t filter_build() {
    int32_t o = g_build_override.load(std::memory_order_relaxed);
    if (o > 0) return o;
    if (o < 0) return 0;
    return windows_build();
}

struct Candidate {
    int32_t score;
    int32_t rank;
    int32_t entry;
};

// Makes room for n more rows in one step instead of the list's repeated doubling.
void reserve_rows(RowList* out, int32_t n) {
    if (out->capacity - out->count >= n || out->count > INT32_MAX - n) return;
    int32_t cap = out->count + n;
    Row* grown = out->arena ? arena_new_array<Row>(out->arena, static_cast<uint64_t>(cap))
                            : static_cast<Row*>(std::realloc(out->items, sizeof(Row) * static_cast<size_t>(cap)));
    if (!grown) return;  // rowlist_add still grows it the usual way
    if (out->arena && out->count) std::memcpy(grown, out->items, sizeof(Row) * static_cast<size_t>(out->count));
    out->items = grown;
    out->capacity = cap;
}

// An arena list is freed whole, so one allocation holds a row's three texts and the rows of one
// search share the icon path (shared_icon); a heap list gets separate copies, since each of its
// rows owns and frees its own texts.
bool add_row(RowList* out, const SettingsEntry& e, const EntryIndex& ix, int32_t score, const std::u16string& icon,
             char16_t* shared_icon) {
    Arena* a = out->arena;
    Row r{};
    if (a) {
        size_t units = size_t(ix.name_len) + ix.subtitle_len + ix.target_len + 3;
        char16_t* block = arena_new_array<char16_t>(a, units);
        if (!block) return false;
        auto put = [&](const char16_t* text, size_t n) {
            char16_t* start = block;
            std::memcpy(block, text, n * sizeof(char16_t));
            block[n] = 0;
            block += n + 1;
            return start;
        };
        r.title = put(e.name, ix.name_len);
        r.subtitle = put(ix.subtitle, ix.subtitle_len);
        r.target = put(e.target, ix.target_len);
        r.icon_source = icon.empty() ? nullptr : shared_icon;
        if (!icon.empty() && !shared_icon) return false;
    } else {
        r.title = text_copy_n(e.name, ix.name_len, nullptr);
        r.subtitle = text_copy_n(ix.subtitle, ix.subtitle_len, nullptr);
        r.target = text_copy_n(e.target, ix.target_len, nullptr);
        r.icon_source = icon.empty() ? nullptr : text_copy_view(icon, nullptr);
        if (!r.title || !r.subtitle || !r.target || (!icon.empty() && !r.icon_source)) {
            row_free(&r);
            return false;
        }
    }
    r.kind = kKindSettings;
    r.score = score;
    r.tag = tag::kSettings;
    return rowlist_add(out, &r) == 0;
}

}  // namespace

bool settings_keywords_match(const char16_t* query, const char16_t* keywords) {
    if (!query || !*query || !keywords || !*keywords) return false;
    bool any_word = false;
    const char16_t* q = query;
    for (;;) {
        while (*q == u' ' || *q == u'\t') ++q;
        if (!*q) break;
        const char16_t* word = q;
        while (*q && *q != u' ' && *q != u'\t') ++q;
        std::u16string_view w(word, static_cast<size_t>(q - word));
        any_word = true;
        bool found = false;
        for (const char16_t* k = keywords; !found;) {
            const char16_t* end = k;
            while (*end && *end != u'|') ++end;
            std::u16string_view kw(k, static_cast<size_t>(end - k));
            found = kw.size() == w.size() && text_equal_ci(kw, w);
            if (!*end) break;
            k = end + 1;
        }
        if (!found) return false;
    }
    return any_word;
}

int32_t windows_build() {
    int32_t b = g_build.load(std::memory_order_acquire);
    if (b >= 0) return b;
    // Two threads may both get here on the first call; they read the same value.
    b = read_build();
    g_build.store(b, std::memory_order_release);
    return b;
}

void settings_set_build_override(int32_t build) { g_build_override.store(build, std::memory_order_relaxed); }

void settings_reset_build_cache() { g_build.store(-1, std::memory_order_release); }

int32_t search_settings(const char16_t* query, RowList* out, int32_t cap) {
    if (!out || cap == 0) return 0;
    const CatalogIndex& cat = catalog_index();
    const int32_t build = filter_build();
    const bool list_all = !query || !*query;
    const uint64_t qmask = list_all ? 0 : char_mask(query);
    const uint64_t qwords = list_all ? 0 : query_word_bits(query);

    ScratchScope scratch;
    auto* found = arena_new_array<Candidate>(scratch.arena(), cat.entries.size());
    if (!found) return 0;
    int32_t count = 0;
    for (size_t i = 0; i < cat.entries.size(); ++i) {
        const SettingsEntry& e = cat.entries[i];
        if (!build_allows(e, build)) continue;
        int32_t score = list_all ? 100 : score_entry(e, cat.index[i], query, qmask, qwords);
        if (score < 0) continue;
        found[count++] = Candidate{score, cat.index[i].title_rank, static_cast<int32_t>(i)};
    }
    if (count == 0) return 0;

    auto before = [](const Candidate& a, const Candidate& b) {
        if (a.score != b.score) return a.score > b.score;
        return a.rank < b.rank;
    };
    int32_t keep = (cap < 0 || cap > count) ? count : cap;
    if (keep == count) std::sort(found, found + count, before);
    else std::partial_sort(found, found + keep, found + count, before);

    const std::u16string settings_icon = icon_file(u"ImmersiveControlPanel\\SystemSettings.exe");
    const std::u16string control_icon = icon_file(u"System32\\control.exe");
    char16_t* shared_settings_icon = nullptr;
    char16_t* shared_control_icon = nullptr;
    if (out->arena) {
        if (!settings_icon.empty()) shared_settings_icon = text_copy_view(settings_icon, out->arena);
        if (!control_icon.empty()) shared_control_icon = text_copy_view(control_icon, out->arena);
    }
    reserve_rows(out, keep);
    int32_t added = 0;
    for (int32_t i = 0; i < keep; ++i) {
        const SettingsEntry& e = cat.entries[found[i].entry];
        bool page = e.type == kSettingsPage;
        if (add_row(out, e, cat.index[found[i].entry], found[i].score, page ? settings_icon : control_icon,
                    page ? shared_settings_icon : shared_control_icon))
            ++added;
    }
    return added;
}
