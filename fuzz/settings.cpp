// The settings catalog fed arbitrary input: the two registry build values (what any machine's
// registry may hold) and the search text. No crash, rows well-formed, at most cap of them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_input.h"
#include "core/arena.h"
#include "core/row.h"
#include "platform/fake/fake_world.h"
#include "sources/settings_catalog.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FakeWorld* world = [] {
        auto* w = new FakeWorld;
        w->files.add_file(u"C:\\Windows\\System32\\control.exe", "MZ");
        platform_install(w->platform());
        return w;
    }();
    const char16_t* key = u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
    const uint8_t* p = data;
    const uint8_t* end = data + size;
    int32_t cap = p != end ? static_cast<int8_t>(*p++) : -1;
    world->registry.set_string(RegistryRoot::LocalMachine, key, u"CurrentBuild", fuzz_take_utf16(p, end, 1, 40));
    world->registry.set_string(RegistryRoot::LocalMachine, key, u"CurrentBuildNumber", fuzz_take_utf16(p, end, 1, 40));
    std::u16string query(static_cast<size_t>(end - p) / 2, u'\0');
    std::memcpy(query.data(), p, query.size() * sizeof(char16_t));  // the bytes may sit at an odd address
    size_t nul = query.find(u'\0');
    if (nul != query.npos) query.resize(nul);

    settings_reset_build_cache();
    if (windows_build() < 0) std::abort();
    Arena* arena = arena_create(64 * 1024);
    RowList rows;
    rowlist_init(&rows, arena);
    int32_t n = search_settings(query.c_str(), &rows, cap);
    if (n != rows.count || (cap >= 0 && n > cap) || n > 535) std::abort();
    for (int32_t i = 0; i < rows.count; ++i) {
        const Row& r = rows.items[i];
        if (!r.title || !r.subtitle || !r.target || r.kind != kKindSettings || r.tag != tag::kSettings) std::abort();
        if (r.score < 0 || r.score > 100) std::abort();  // a task link at exactly 50 keeps 0
        if (i > 0 && rows.items[i - 1].score < r.score) std::abort();
    }
    arena_destroy(arena);
    // The same search into a heap list, freed row by row.
    RowList heap;
    rowlist_init(&heap, nullptr);
    if (search_settings(query.c_str(), &heap, cap) != n) std::abort();
    rowlist_free(&heap);
    return 0;
}
