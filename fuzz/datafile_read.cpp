// The DataFile reader over arbitrary bytes: limits hold, and every value survives the writer's
// escaping followed by the reader's unescaping.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/arena.h"
#include "core/text.h"
#include "core/utf.h"
#include "store/data_file.h"

namespace {

void check_section(void*, const char16_t* name, int32_t count, const KeyValue* pairs) {
    if (!name || text_len(name) > kDataFileMaxSectionName) std::abort();
    if (count < 0 || count > kDataFileMaxPairs) std::abort();
    for (int32_t i = 0; i < count; ++i) {
        if (!pairs[i].key || !pairs[i].value) std::abort();
        std::u16string_view key(pairs[i].key), value(pairs[i].value);
        if (key.find(u'=') != std::u16string_view::npos || key.find_first_of(u"\r\n") != std::u16string_view::npos) std::abort();
        std::string line = "[s]\nk=";
        datafile_escape_append(line, value);
        if (line.find_first_of("\r\n", 4) != std::string::npos) std::abort();
        struct Back {
            std::u16string value;
            int calls = 0;
        } back;
        Arena* a = arena_create(4096);
        bool read = datafile_parse(line, a, &back, [](void* ctx, const char16_t*, int32_t n, const KeyValue* p) {
            auto* b = static_cast<Back*>(ctx);
            ++b->calls;
            if (n == 1) b->value = p[0].value;
        });
        arena_destroy(a);
        // The reader turns malformed UTF-16 into U+FFFD, so compare through one conversion.
        std::u16string clean = utf8_to_utf16(utf16_to_utf8(value));
        if (!read || back.calls != 1 || back.value != clean) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Arena* arena = arena_create(4096);
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    bool read = datafile_parse(bytes, arena, nullptr, check_section);
    if (read != (size > 0)) std::abort();
    arena_destroy(arena);
    return 0;
}
