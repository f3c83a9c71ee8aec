// The shell_verbs.dat reader over arbitrary bytes: limits hold and the written file reads back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/text.h"
#include "store/verb_cache.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    verb_cache_reset();
    verb_cache_parse(std::string_view(reinterpret_cast<const char*>(data), size));
    if (verb_cache_size() > kVerbCacheMaxEntries) std::abort();
    for (int32_t i = 0; i < verb_cache_size(); ++i) {
        const VerbCacheEntry* e = verb_cache_at(i);
        if (e->count < 1 || e->count > kVerbCacheMaxVerbs || text_len(e->key) >= kVerbCacheKeyCapacity) std::abort();
        for (int32_t j = 0; j < e->count; ++j)
            if (!e->verbs[j].verb[0] || !e->verbs[j].label[0]) std::abort();
    }
    std::string written = verb_cache_serialize();
    verb_cache_reset();
    verb_cache_parse(written);
    if (verb_cache_serialize() != written) std::abort();
    verb_cache_reset();
    return 0;
}
