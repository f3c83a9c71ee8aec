#include "store/history.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "core/arena.h"
#include "core/row.h"
#include "core/text.h"
#include "core/utf.h"
#include "platform/platform.h"
#include "query/cache_generation.h"
#include "store/data_dir.h"
#include "store/data_file.h"
#include "store/json_scan.h"

namespace {

constexpr uint64_t kHistoryBlockSize = 64 * 1024;
constexpr int32_t kInitialCapacity = 64;
constexpr uint64_t kOneDay = 864000000000ull;
constexpr uint64_t kSevenDays = 6048000000000ull;

HistoryStore g_store{};

bool ensure_arena(HistoryStore* s) {
    if (!s->arena) s->arena = arena_create(kHistoryBlockSize);
    return s->arena != nullptr;
}

// Doubles the array (it lives in the arena, so the old one simply stays behind).
bool grow(HistoryStore* s) {
    if (!ensure_arena(s)) return false;
    int32_t cap = s->capacity ? s->capacity * 2 : kInitialCapacity;
    HistoryEntry* grown = arena_new_array<HistoryEntry>(s->arena, static_cast<uint64_t>(cap));
    if (!grown) return false;
    if (s->count) std::memcpy(grown, s->entries, sizeof(HistoryEntry) * static_cast<size_t>(s->count));
    s->entries = grown;
    s->capacity = cap;
    return true;
}

const char16_t* or_empty(const char16_t* s) { return s ? s : u""; }
bool empty(const char16_t* s) { return !s || !*s; }

void load_section(void* context, const char16_t* section, int32_t count, const KeyValue* pairs) {
    if (std::u16string_view(section) != u"hist") return;
    auto* store = static_cast<HistoryStore*>(context);
    const char16_t* key = datafile_value(pairs, count, "key");
    if (empty(key)) return;
    int32_t launches = datafile_parse_int(datafile_value(pairs, count, "count"));
    const char16_t* act = datafile_value(pairs, count, "act");
    const char16_t* last = datafile_value(pairs, count, "last");
    uint64_t when = (last && *last >= u'0' && *last <= u'9') ? datafile_parse_u64(last) : 0;
    history_add_loaded(store, key, datafile_value(pairs, count, "title"), datafile_value(pairs, count, "sub"),
                       datafile_value(pairs, count, "param"), act ? datafile_parse_int(act) : 1, launches, when);
}

bool history_path(char16_t (&path)[kDataPathCapacity]) {
    return data_file_path(u"history.dat", path, kDataPathCapacity) == 0;
}

// Fresh copies of the row's texts into an entry; false when the key or title copy failed.
bool fill_entry(HistoryStore* s, HistoryEntry* e, const char16_t* key, const Row* row, uint64_t now) {
    e->key = text_copy(key, s->arena);
    e->title = text_copy(empty(row->title) ? key : row->title, s->arena);
    e->sub = text_copy(or_empty(row->subtitle), s->arena);
    e->param = text_copy(or_empty(row->target), s->arena);
    if (!e->sub) e->sub = const_cast<char16_t*>(u"");
    if (!e->param) e->param = const_cast<char16_t*>(u"");
    e->act = row->kind;
    e->last = now;
    return e->key && e->title;
}

int32_t find_key(const HistoryStore* s, const char16_t* key) {
    for (int32_t i = 0; i < s->count; ++i)
        if (text_compare_ci(s->entries[i].key, key) == 0) return i;
    return -1;
}

// The sorted key index of the store, built when missing; null when memory ran out.
const HistoryKey* sorted_index(HistoryStore* s) {
    if (s->index || s->count <= 0 || !s->arena) return s->index;
    HistoryKey* index = arena_new_array<HistoryKey>(s->arena, static_cast<uint64_t>(s->count));
    if (!index) return nullptr;
    for (int32_t i = 0; i < s->count; ++i) index[i] = HistoryKey{text_view(s->entries[i].key), i};
    // Equal keys keep store order, so the first entry of a key is the one found.
    std::sort(index, index + s->count, [](const HistoryKey& a, const HistoryKey& b) {
        int c = text_compare_ci(a.key, b.key);
        return c != 0 ? c < 0 : a.entry < b.entry;
    });
    s->index = index;
    return index;
}

// Case-insensitive three-way comparison of a and b that knows their first `from` characters are
// equal; stores the length of the common prefix.
int compare_from(std::u16string_view a, std::u16string_view b, size_t from, size_t* common) {
    size_t n = a.size() < b.size() ? a.size() : b.size();
    size_t i = from;
    while (i < n && text_fold(a[i]) == text_fold(b[i])) ++i;
    *common = i;
    if (i < n) return text_fold(a[i]) < text_fold(b[i]) ? -1 : 1;
    return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

// Binary search for the first entry whose key equals key. Every key between two bounds shares the
// prefix that both bounds share with the key, so each step starts comparing after it: paths with a
// long common folder cost one pass over the key instead of one per step.
int32_t index_find(const HistoryKey* index, int32_t count, std::u16string_view key) {
    int32_t lo = 0, hi = count;
    size_t common_lo = 0, common_hi = 0;
    while (lo < hi) {
        int32_t mid = lo + (hi - lo) / 2;
        size_t common;
        int c = compare_from(index[mid].key, key, common_lo < common_hi ? common_lo : common_hi, &common);
        if (c < 0) {
            lo = mid + 1;
            common_lo = common;
        } else {
            hi = mid;
            common_hi = common;
        }
    }
    if (lo < count && text_equal_ci(index[lo].key, key)) return index[lo].entry;
    return -1;
}

int32_t boost_for(const HistoryEntry* e, uint64_t now) {
    int64_t boost = std::min<int64_t>(5 * static_cast<int64_t>(e->count), 40);
    if (e->last >= now || now - e->last < kOneDay) boost += 15;
    else if (now - e->last < kSevenDays) boost += 8;
    return static_cast<int32_t>(boost);
}

}  // namespace

std::mutex& history_lock() {
    static std::mutex lock;
    return lock;
}

HistoryStore& history_store() { return g_store; }

void history_store_init(HistoryStore* store) {
    *store = HistoryStore{};
    ensure_arena(store);
}

void history_store_release(HistoryStore* store) {
    if (store->arena) arena_destroy(store->arena);
    *store = HistoryStore{};
}

int32_t history_normalize_act(int32_t act) {
    switch (act) {
        case kKindInfo:
        case kKindProcess:
        case kKindPinToggle:
        case kKindCopyText:
        case kKindCopyFile: return kKindOpen;
        default: return act;
    }
}

bool history_add_loaded(HistoryStore* store, const char16_t* key, const char16_t* title, const char16_t* sub,
                        const char16_t* param, int32_t act, int32_t count, uint64_t last) {
    if (empty(key) || count <= 0 || store->count >= kHistoryMaxEntries) return false;
    HistoryEntry e{};
    bool copied = store->count < store->capacity || grow(store);
    if (copied) {
        e.key = text_copy(key, store->arena);
        e.title = text_copy(empty(title) ? key : title, store->arena);
        e.sub = text_copy(or_empty(sub), store->arena);
        e.param = text_copy(or_empty(param), store->arena);
        copied = e.key && e.title && e.sub && e.param;
    }
    if (!copied) {
        // Out of memory: the store lacks an entry of the file, so it must not be saved over it.
        store->read_failed = true;
        return false;
    }
    e.act = history_normalize_act(act);
    e.count = count;
    e.last = last;
    store->entries[store->count++] = e;
    store->index = nullptr;
    return true;
}

void history_import_json(std::string_view text, HistoryStore* store) {
    if (text.size() > kDataFileMaxBytes) return;
    std::u16string w = utf8_to_utf16(text);
    std::u16string_view all(w);
    size_t pos = 0;
    std::u16string_view obj;
    std::u16string key, title, sub, param;
    while (store->count < kHistoryMaxEntries && json_next_object(all, &pos, &obj)) {
        key.clear();
        json_string(obj, u"key", &key);
        int32_t count = 0;
        json_int(obj, u"count", &count);
        uint64_t last = 0;
        json_u64(obj, u"last", &last);
        if (key.empty() || count <= 0) continue;
        int32_t act = 1;
        json_int(obj, u"act", &act);
        title.clear(), sub.clear(), param.clear();
        json_string(obj, u"param", &param);
        json_string(obj, u"sub", &sub);
        json_string(obj, u"title", &title);
        history_add_loaded(store, key.c_str(), title.c_str(), sub.c_str(), param.c_str(), act, count, last);
    }
}

void history_ensure_loaded_locked() {
    HistoryStore* s = &g_store;
    if (s->loaded) return;
    ensure_arena(s);
    s->loaded = true;
    char16_t path[kDataPathCapacity];
    if (!history_path(path)) return;
    Arena* temp = arena_create(kHistoryBlockSize);
    uint32_t rc = win::kErrNotEnoughMemory;
    if (temp) datafile_read(path, temp, s, load_section, &rc);
    if (temp) arena_destroy(temp);
    if (rc != win::kErrFileNotFound && rc != win::kErrPathNotFound) {
        if (datafile_unreadable(rc)) s->read_failed = true;
        return;
    }
    // No history.dat: import the legacy file once. While that file exists but cannot be read,
    // nothing is saved (a new history.dat would stop the import for good); the next load, after
    // the window hides or at the next start, tries again.
    char16_t json[kDataPathCapacity];
    if (data_file_path(u"history.json", json, kDataPathCapacity) != 0) return;
    std::string text;
    uint32_t jrc = os_files().read(json, text, kDataFileMaxBytes);
    if (jrc != win::kOk) {
        if (datafile_unreadable(jrc)) s->read_failed = true;
        return;
    }
    history_import_json(text, s);
    if (history_save_locked()) legacy_file_retire(u"history.dat", u"history.json");
}

bool history_save_locked() {
    char16_t path[kDataPathCapacity];
    if (g_store.read_failed || !history_path(path)) return false;
    DataFileWriter w;
    datafile_begin(&w, path);
    const HistoryStore* s = &g_store;
    for (int32_t i = 0; i < s->count; ++i) {
        const HistoryEntry& e = s->entries[i];
        datafile_section(&w, "hist");
        datafile_put_str(&w, "key", e.key);
        datafile_put_str(&w, "title", e.title);
        datafile_put_str(&w, "sub", e.sub);
        datafile_put_str(&w, "param", e.param);
        datafile_put_int(&w, "act", e.act);
        datafile_put_int(&w, "count", e.count);
        datafile_put_u64(&w, "last", e.last);
    }
    return datafile_end(&w);
}

void history_record(const Row* row) {
    if (!row) return;
    Row r = *row;
    std::u16string folder, folder_name;
    // "Open containing folder" on a file remembers the folder, which is what the user went to.
    if (r.kind == kKindContainingFolder && !empty(r.target)) {
        uint32_t a = os_files().attributes(r.target);
        if (a != win::kInvalidAttributes && !(a & win::kAttrDirectory)) {
            std::u16string_view t(r.target);
            size_t sep = t.find_last_of(u"\\/");
            if (sep != std::u16string_view::npos) {
                folder = std::u16string(t.substr(0, sep));
                if (folder.size() == 2 && folder[1] == u':') folder += u'\\';
                if (!folder.empty() && folder.size() < kDataPathCapacity) {
                    size_t name_sep = folder.find_last_of(u"\\/");
                    folder_name = name_sep == std::u16string::npos ? folder : folder.substr(name_sep + 1);
                    if (folder_name.empty()) folder_name = folder;
                    r.subtitle = folder.data();
                    r.target = folder.data();
                    r.title = folder_name.data();
                }
            }
        }
    }
    const char16_t* key = !empty(r.target) ? r.target : r.title;
    if (empty(key)) return;
    {
        std::lock_guard<std::mutex> hold(history_lock());
        history_ensure_loaded_locked();
        HistoryStore* s = &g_store;
        s->index = nullptr;
        uint64_t now = os_clock().now_filetime();
        int32_t at = find_key(s, key);
        if (at >= 0 || s->count >= kHistoryMaxEntries) {
            int32_t count = 1;
            if (at >= 0) {
                count = s->entries[at].count >= INT32_MAX ? INT32_MAX : s->entries[at].count + 1;
            } else {
                at = 0;
                for (int32_t i = 1; i < s->count; ++i)
                    if (s->entries[i].last < s->entries[at].last) at = i;
            }
            HistoryEntry* e = &s->entries[at];
            e->count = fill_entry(s, e, key, &r, now) ? count : 0;
            if (!e->key) e->key = const_cast<char16_t*>(u"");
            if (!e->title) e->title = e->key;
        } else if (ensure_arena(s) && (s->count < s->capacity || grow(s))) {
            HistoryEntry e{};
            if (fill_entry(s, &e, key, &r, now)) {
                e.count = 1;
                s->entries[s->count++] = e;
            }
        }
        history_save_locked();
    }
    cache_generation_bump();
}

bool history_forget(const char16_t* key, const char16_t* fallback) {
    const char16_t* k = !empty(key) ? key : fallback;
    if (empty(k)) return false;
    {
        std::lock_guard<std::mutex> hold(history_lock());
        history_ensure_loaded_locked();
        HistoryStore* s = &g_store;
        int32_t at = find_key(s, k);
        if (at < 0) return false;
        s->index = nullptr;
        std::memmove(s->entries + at, s->entries + at + 1, sizeof(HistoryEntry) * static_cast<size_t>(s->count - at - 1));
        --s->count;
        history_save_locked();
    }
    cache_generation_bump();
    return true;
}

void history_boost(RowList* rows, const char16_t* query) {
    if (!rows || rows->count <= 0) return;
    const char16_t* q = or_empty(query);
    while (*q == u' ' || *q == u'\t') ++q;
    {
        std::lock_guard<std::mutex> hold(history_lock());
        history_ensure_loaded_locked();
        const HistoryStore* s = &g_store;
        uint64_t now = os_clock().now_filetime();
        if (s->count > 0) {
            const HistoryKey* index = sorted_index(&g_store);
            for (int32_t r = 0; r < rows->count; ++r) {
                Row& row = rows->items[r];
                const char16_t* key = !empty(row.target) ? row.target : row.title;
                if (empty(key)) continue;
                const HistoryEntry* found = nullptr;
                if (index) {
                    int32_t at = index_find(index, s->count, key);
                    if (at >= 0) found = &s->entries[at];
                } else {
                    int32_t at = find_key(s, key);  // no scratch memory: a linear scan does the same
                    if (at >= 0) found = &s->entries[at];
                }
                if (!found) continue;
                row.score += boost_for(found, now);
                if (*q && row.title && text_starts_with_ci(row.title, q)) row.score += 60;
            }
        }
    }
    rowlist_sort_by_score(rows);
}

void history_recents(RowList* out) {
    if (!out) return;
    std::lock_guard<std::mutex> hold(history_lock());
    history_ensure_loaded_locked();
    const HistoryStore* s = &g_store;
    if (s->count <= 0) return;
    ScratchScope scratch;
    int32_t* order = scratch.arena() ? arena_new_array<int32_t>(scratch.arena(), static_cast<uint64_t>(s->count)) : nullptr;
    if (!order) return;
    for (int32_t i = 0; i < s->count; ++i) order[i] = i;
    std::stable_sort(order, order + s->count, [s](int32_t a, int32_t b) { return s->entries[a].last > s->entries[b].last; });
    int32_t appended = 0;
    Arena* a = out->arena;
    for (int32_t i = 0; i < s->count; ++i) {
        const HistoryEntry& e = s->entries[order[i]];
        bool has_param = !empty(e.param);
        if ((e.act == kKindOpen || e.act == kKindSettings) && !has_param) continue;
        if (e.act == kKindOpen && !text_starts_with_ci(e.param, u"shell:")) {
            // Gone unless the system merely refuses to look (the entry may still be there).
            uint32_t error = 0;
            if (os_files().attributes(e.param, &error) == win::kInvalidAttributes && error != win::kErrAccessDenied) continue;
        }
        Row row{};
        row.title = text_copy(empty(e.title) ? e.key : e.title, a);
        row.subtitle = text_copy(or_empty(e.sub), a);
        if (e.act == kKindSettings) {
            row.target = text_copy(e.param, a);
        } else if (has_param) {
            row.path = text_copy(e.param, a);
            row.target = text_copy(e.param, a);
        }
        row.kind = e.act;
        row.from_history = 1;
        row.score = 100 - appended;
        row.tag = tag::kRecent;
        if (!row.title || (has_param && !row.target)) {
            if (!a) row_free(&row);
            continue;
        }
        if (rowlist_add(out, &row) == 0) ++appended;
    }
}

void history_unload_locked() {
    if (g_store.arena) arena_reset(g_store.arena);
    Arena* keep = g_store.arena;
    g_store = HistoryStore{};
    g_store.arena = keep;
}

void history_unload() {
    std::lock_guard<std::mutex> hold(history_lock());
    history_unload_locked();
}

void history_free_locked() {
    if (g_store.arena) arena_destroy(g_store.arena);
    g_store = HistoryStore{};
}
