#include "store/pins.h"

#include <atomic>
#include <cstring>
#include <mutex>
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

constexpr uint64_t kPinBlockSize = 64 * 1024;
constexpr int32_t kInitialCapacity = 16;
constexpr size_t kFullPathLimit = 260;

// Saves made by this process; the shared copy of the searches is stale once it moves.
std::atomic<uint64_t> g_saves{0};

bool empty(const char16_t* s) { return !s || !*s; }
const char16_t* or_empty(const char16_t* s) { return s ? s : u""; }

// Text after the last backslash, or after the last slash when there is none, else the whole path.
std::u16string_view last_component(const char16_t* path) {
    std::u16string_view p = text_view(path);
    size_t at = p.find_last_of(u'\\');
    if (at == std::u16string_view::npos) at = p.find_last_of(u'/');
    return at == std::u16string_view::npos ? p : p.substr(at + 1);
}

bool reserve_one(PinStore* s) {
    if (s->count < s->capacity) return true;
    if (!s->arena) return false;
    int32_t cap = s->capacity ? s->capacity * 2 : kInitialCapacity;
    PinEntry* grown = arena_new_array<PinEntry>(s->arena, static_cast<uint64_t>(cap));
    if (!grown) return false;
    if (s->count) std::memcpy(grown, s->items, sizeof(PinEntry) * static_cast<size_t>(s->count));
    s->items = grown;
    s->capacity = cap;
    return true;
}

void load_section(void* context, const char16_t* section, int32_t count, const KeyValue* pairs) {
    if (std::u16string_view(section) != u"pin") return;
    const char16_t* act = datafile_value(pairs, count, "act");
    pins_add_loaded(static_cast<PinStore*>(context), datafile_value(pairs, count, "path"),
                    datafile_value(pairs, count, "param"), datafile_value(pairs, count, "title"),
                    datafile_value(pairs, count, "sub"), act ? pins_normalize_act(datafile_parse_int(act)) : 1);
}

bool pins_path(char16_t (&path)[kDataPathCapacity]) {
    return data_file_path(u"quick_access.dat", path, kDataPathCapacity) == 0;
}

// GetFullPathNameW into a MAX_PATH buffer; the path as given when that fails or does not fit.
std::u16string expanded(const char16_t* path, bool* ok) {
    std::u16string out;
    *ok = os_files().full_path(text_view(path), out) == win::kOk && out.size() < kFullPathLimit;
    return out;
}

bool same_path(const char16_t* a, const char16_t* b) {
    if (empty(a) || empty(b)) return false;
    bool ok_a, ok_b;
    std::u16string fa = expanded(a, &ok_a);
    std::u16string fb = expanded(b, &ok_b);
    if (ok_a && ok_b) return text_equal_ci(fa, fb);
    return text_equal_ci(text_view(a), text_view(b));
}

bool valid_arguments(const char16_t* path, const char16_t* param, int32_t kind) {
    if (kind == kKindOpen) return !empty(path);
    if (kind == kKindSettings) return !empty(param);
    return true;
}

}  // namespace

void pins_store_init(PinStore* store) {
    *store = PinStore{};
    store->arena = arena_create(kPinBlockSize);
}

void pins_release(PinStore* store) {
    if (!store) return;
    if (store->arena) arena_destroy(store->arena);
    *store = PinStore{};
}

int32_t pins_normalize_act(int32_t act) {
    if (act == kKindOpen || act == kKindSettings || act == kKindExit) return act;
    if (act >= kKindShutdown && act <= kKindOpenDataFolder) return act;
    return kKindOpen;
}

bool pin_path_is_shortcut(const char16_t* path) {
    std::u16string_view p = text_view(path);
    size_t dot = p.find_last_of(u'.');
    if (dot == std::u16string_view::npos) return false;
    std::u16string_view ext = p.substr(dot);
    return text_equal_ci(ext, u".lnk") || text_equal_ci(ext, u".url");
}

bool pins_add_loaded(PinStore* store, const char16_t* path, const char16_t* param, const char16_t* title,
                     const char16_t* sub, int32_t act) {
    if (!store || !store->arena) return false;
    if (act == kKindOpen && empty(path)) return false;
    std::u16string_view name = empty(path) ? std::u16string_view() : last_component(path);
    if ((empty(title) && name.empty()) || (act == kKindSettings && empty(param))) return false;
    PinEntry e{};
    bool copied = reserve_one(store);
    if (copied) {
        e.path = text_copy(or_empty(path), store->arena);
        e.param = text_copy(or_empty(param), store->arena);
        e.title = empty(title) ? text_copy_view(name, store->arena) : text_copy(title, store->arena);
        e.sub = text_copy(or_empty(sub), store->arena);
        copied = e.path && e.param && e.title && e.sub;
    }
    if (!copied) {
        store->incomplete = true;  // out of memory: a pin of the file is missing from the store
        return false;
    }
    e.act = act;
    e.is_shortcut = pin_path_is_shortcut(e.path) ? 1 : 0;
    store->items[store->count++] = e;
    return true;
}

void pins_import_json(std::string_view text, PinStore* store) {
    if (text.size() > kDataFileMaxBytes) return;
    std::u16string w = utf8_to_utf16(text);
    std::u16string_view all(w);
    size_t pos = 0;
    std::u16string_view obj;
    std::u16string path, title, sub, param;
    while (json_next_object(all, &pos, &obj)) {
        path.clear(), title.clear(), sub.clear(), param.clear();
        json_string(obj, u"path", &path);
        json_string(obj, u"title", &title);
        json_string(obj, u"sub", &sub);
        json_string(obj, u"param", &param);
        int32_t act = 1;
        if (json_int(obj, u"act", &act)) act = pins_normalize_act(act);
        pins_add_loaded(store, path.c_str(), param.c_str(), title.c_str(), sub.c_str(), act);
    }
}

bool pins_load(PinStore* store) {
    if (!store) return false;
    pins_store_init(store);
    if (!store->arena) return false;
    char16_t path[kDataPathCapacity];
    if (!pins_path(path)) return true;
    uint32_t rc;
    datafile_read(path, store->arena, store, load_section, &rc);
    if (rc != win::kErrFileNotFound && rc != win::kErrPathNotFound) return !datafile_unreadable(rc) && !store->incomplete;
    // No quick_access.dat: import the legacy file once. While that file exists but cannot be read,
    // nothing may be saved: a new quick_access.dat would stop the import for good.
    char16_t json[kDataPathCapacity];
    if (data_file_path(u"quick_access.json", json, kDataPathCapacity) != 0) return true;
    std::string text;
    uint32_t jrc = os_files().read(json, text, kDataFileMaxBytes);
    if (jrc != win::kOk) return !datafile_unreadable(jrc);
    pins_import_json(text, store);
    if (store->incomplete) return false;
    if (pins_save(store)) legacy_file_retire(u"quick_access.dat", u"quick_access.json");
    return true;
}

namespace {
// The searches' copy of the pins and what the file looked like when it was read.
struct KeptPins {
    std::mutex lock;
    std::shared_ptr<const PinStore> store;
    uint64_t platform = 0;
    uint64_t saves = 0;
    std::u16string path;
    FileInfo info;
};

KeptPins& kept_pins() {
    static KeptPins kept;
    return kept;
}
}  // namespace

void pins_shared_drop() {
    KeptPins& kept = kept_pins();
    std::shared_ptr<const PinStore> old;
    {
        std::lock_guard<std::mutex> hold(kept.lock);
        old.swap(kept.store);
    }
}

std::shared_ptr<const PinStore> pins_shared() {
    KeptPins& kept = kept_pins();
    static const std::shared_ptr<const PinStore> none = std::make_shared<const PinStore>();

    char16_t path[kDataPathCapacity];
    if (!pins_path(path)) return none;
    std::lock_guard<std::mutex> hold(kept.lock);
    const uint64_t serial = platform_serial();
    const uint64_t saves = g_saves.load(std::memory_order_acquire);
    // Taken before the file is read: a change while it is read shows as a different file next time.
    FileInfo info = os_files().info(text_view(path));
    if (kept.store && kept.platform == serial && kept.saves == saves && kept.path == path &&
        kept.info.attributes == info.attributes && kept.info.size == info.size && kept.info.write_time == info.write_time)
        return kept.store;
    auto* fresh = new PinStore;
    bool whole = pins_load(fresh);
    std::shared_ptr<const PinStore> store(fresh, [](const PinStore* s) {
        pins_release(const_cast<PinStore*>(s));
        delete s;
    });
    if (whole && !fresh->incomplete) {
        kept.store = store;
        kept.platform = serial;
        kept.saves = saves;
        kept.path = path;
        kept.info = info;
    } else {
        kept.store.reset();
    }
    return store;
}

bool pins_save(const PinStore* store) {
    char16_t path[kDataPathCapacity];
    if (!store || store->incomplete || !pins_path(path)) return false;
    DataFileWriter w;
    datafile_begin(&w, path);
    for (int32_t i = 0; i < store->count; ++i) {
        const PinEntry& p = store->items[i];
        datafile_section(&w, "pin");
        datafile_put_str(&w, "path", p.path);
        datafile_put_str(&w, "param", p.param);
        datafile_put_str(&w, "title", p.title);
        datafile_put_str(&w, "sub", p.sub);
        datafile_put_int(&w, "act", p.act);
    }
    bool saved = datafile_end(&w);
    g_saves.fetch_add(1, std::memory_order_acq_rel);  // a failed save may still have changed the file
    return saved;
}

bool pin_matches(const PinEntry* pin, const char16_t* path, const char16_t* param, int32_t kind) {
    if (!pin) return false;
    if (kind == kKindInfo) kind = kKindOpen;
    int32_t act = pin->act == kKindInfo ? kKindOpen : pin->act;
    if (act != kind) return false;
    if (kind == kKindOpen) return same_path(pin->path, path);
    if (kind == kKindSettings) return !empty(pin->param) && !empty(param) && text_equal_ci(text_view(pin->param), text_view(param));
    return true;
}

bool pin_is_pinned(const char16_t* path, const char16_t* param, int32_t kind) {
    if (kind == kKindInfo) kind = kKindOpen;
    if (!valid_arguments(path, param, kind)) return false;
    PinStore store;
    pins_load(&store);
    bool found = false;
    for (int32_t i = 0; i < store.count && !found; ++i) found = pin_matches(&store.items[i], path, param, kind);
    pins_release(&store);
    return found;
}

int pin_toggle(const char16_t* path, const char16_t* param, const char16_t* title, const char16_t* sub, int32_t kind) {
    if (kind == kKindInfo) kind = kKindOpen;
    if (!valid_arguments(path, param, kind)) return 0;
    PinStore store;
    if (!pins_load(&store)) {
        pins_release(&store);  // an unreadable file is never replaced by a nearly empty one
        return 0;
    }
    int32_t kept = 0;
    for (int32_t i = 0; i < store.count; ++i)
        if (!pin_matches(&store.items[i], path, param, kind)) store.items[kept++] = store.items[i];
    bool unpinned = kept < store.count;
    store.count = kept;
    if (!unpinned && reserve_one(&store)) {
        PinEntry e{};
        std::u16string_view name = last_component(path);
        e.path = text_copy(or_empty(path), store.arena);
        e.param = text_copy(or_empty(param), store.arena);
        if (!empty(title)) e.title = text_copy(title, store.arena);
        else e.title = text_copy_view(!name.empty() ? name : text_view(path), store.arena);
        e.sub = text_copy(or_empty(sub), store.arena);
        e.act = kind;
        e.is_shortcut = pin_path_is_shortcut(path) ? 1 : 0;
        if (e.path && e.param && e.title && e.sub) {
            std::memmove(store.items + 1, store.items, sizeof(PinEntry) * static_cast<size_t>(store.count));
            store.items[0] = e;
            ++store.count;
        }
    }
    pins_save(&store);
    pins_release(&store);
    cache_generation_bump();
    return 1;
}

void pins_view(RowList* out) {
    if (!out) return;
    PinStore store;
    pins_load(&store);
    Arena* a = out->arena;
    for (int32_t i = 0; i < store.count; ++i) {
        const PinEntry& p = store.items[i];
        Row row{};
        if (p.act == kKindOpen) {
            bool app = p.is_shortcut || text_starts_with_ci(p.path, u"shell:");
            row.subtitle = text_copy(app ? u"Application" : p.path, a);
            row.path = text_copy(p.path, a);
            row.target = text_copy(p.path, a);
        } else if (p.act == kKindSettings) {
            if (empty(p.param)) continue;
            row.subtitle = text_copy(p.sub, a);
            row.target = text_copy(p.param, a);
        } else {
            row.subtitle = text_copy(p.sub, a);
        }
        row.title = text_copy(p.title, a);
        row.kind = p.act;
        row.score = 100;
        row.tag = tag::kPin;
        if (!row.title || !row.subtitle || (p.act == kKindOpen && (!row.path || !row.target)) ||
            (p.act == kKindSettings && !row.target)) {
            if (!a) row_free(&row);
            continue;
        }
        rowlist_add(out, &row);
    }
    pins_release(&store);
}
