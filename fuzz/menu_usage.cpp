// The menu_usage.dat reader over arbitrary bytes: limits hold and the written file reads back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/text.h"
#include "store/menu_usage.h"

namespace {
std::vector<std::pair<std::u16string, int32_t>> table() {
    std::vector<std::pair<std::u16string, int32_t>> out;
    for (int32_t i = 0; i < menu_usage_size(); ++i) out.emplace_back(menu_usage_at(i)->key, menu_usage_at(i)->count);
    return out;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    menu_usage_reset();
    menu_usage_parse(std::string_view(reinterpret_cast<const char*>(data), size));
    if (menu_usage_size() > kMenuUsageMaxEntries) std::abort();
    for (int32_t i = 0; i < menu_usage_size(); ++i) {
        const MenuUsageEntry* e = menu_usage_at(i);
        if (e->count < 1 || e->count > kMenuUsageMaxCount || !e->key[0] || text_len(e->key) >= kMenuUsageKeyCapacity) std::abort();
    }
    auto before = table();
    std::string written = menu_usage_serialize();
    menu_usage_reset();
    menu_usage_parse(written);
    // Keys that hold a line break cannot come back as one line; everything else must.
    bool breaks = false;
    for (auto& [k, c] : before) breaks |= k.find_first_of(u"\r\n") != std::u16string::npos;
    if (!breaks && table() != before) std::abort();
    menu_usage_reset();
    return 0;
}
