// The quick_access.json import over arbitrary bytes: every pin kept is one the launcher can show.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/row.h"
#include "store/pins.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PinStore store;
    pins_store_init(&store);
    pins_import_json(std::string_view(reinterpret_cast<const char*>(data), size), &store);
    for (int32_t i = 0; i < store.count; ++i) {
        const PinEntry& p = store.items[i];
        if (!p.path || !p.param || !p.title || !*p.title || !p.sub) std::abort();
        if (pins_normalize_act(p.act) != p.act) std::abort();
        if (p.act == kKindOpen && !*p.path) std::abort();
        if (p.act == kKindSettings && !*p.param) std::abort();
    }
    pins_release(&store);
    return 0;
}
