// The history.json import over arbitrary bytes: at most 500 entries, each one usable.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "store/history.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    HistoryStore store;
    history_store_init(&store);
    history_import_json(std::string_view(reinterpret_cast<const char*>(data), size), &store);
    if (store.count < 0 || store.count > kHistoryMaxEntries) std::abort();
    for (int32_t i = 0; i < store.count; ++i) {
        const HistoryEntry& e = store.entries[i];
        if (!e.key || !*e.key || !e.title || !*e.title || !e.sub || !e.param || e.count <= 0) std::abort();
        if (history_normalize_act(e.act) != e.act) std::abort();
    }
    history_store_release(&store);
    return 0;
}
