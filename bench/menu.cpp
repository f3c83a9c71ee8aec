// The context menu and the folder scope in the fake world: a file row's menu with 64 merged shell
// verbs ordered by use, and the scope check that runs on every text change.
#include <benchmark/benchmark.h>

#include <string>

#include "actions/context_menu.h"
#include "core/arena.h"
#include "core/row.h"
#include "platform/fake/fake_world.h"
#include "store/menu_usage.h"
#include "store/pins.h"
#include "ui/scope.h"

namespace {

constexpr const char16_t* kFile = u"C:\\Users\\user\\Documents\\Projects\\report-final.docx";

std::u16string u16(const std::string& s) { return std::u16string(s.begin(), s.end()); }

struct World {
    FakeWorld w;
    PlatformScope scope{w.platform()};
    ShellVerb verbs[kMenuMaxVerbs]{};
    World() {
        w.env.set(u"KESTRUNE_DATA_DIR", u"C:\\KData");
        w.files.add_folder(u"C:\\KData");
        w.files.add_file(kFile, "PK");
        menu_usage_reset();
        for (int i = 0; i < kMenuMaxVerbs; ++i) {
            const std::u16string verb = u16("ExtensionVerb" + std::to_string(i));
            const std::u16string label = u16("Extension action number " + std::to_string(i));
            verb.copy(verbs[i].verb, 127);
            label.copy(verbs[i].label, 127);
            // Used verbs and built-in entries: the ordering has work to do, the table is full.
            if (i % 3 == 0)
                for (int k = 0; k <= i % 7; ++k) menu_usage_record(kKindShellVerb, verbs[i].label, verbs[i].verb);
        }
        for (int k = 0; k < 4; ++k) menu_usage_record(kKindCopyText, u"Copy name", nullptr);
        menu_usage_record(kKindContainingFolder, u"Open containing folder", nullptr);
        for (int i = 0; i < 10; ++i)
            pin_toggle(u16("C:\\Users\\user\\pinned" + std::to_string(i) + ".txt").c_str(), nullptr, u"Pinned", nullptr, kKindOpen);
    }
    ~World() { menu_usage_reset(); }
};

void BM_FileRowMenuWith64Verbs(benchmark::State& state) {
    World world;
    Row row{};
    row.kind = kKindOpen;
    row.title = const_cast<char16_t*>(u"report-final.docx");
    row.subtitle = const_cast<char16_t*>(u"C:\\Users\\user\\Documents\\Projects");
    row.path = const_cast<char16_t*>(kFile);
    row.target = const_cast<char16_t*>(kFile);
    Arena* arena = arena_create(64 * 1024);
    int64_t entries = 0;
    for (auto _ : state) {
        arena_reset(arena);
        RowList list;
        rowlist_init(&list, arena);
        menu_build(&row, &list, false);
        menu_assign_icons(&row, &list, 0);
        menu_merge_verbs(&row, &list, world.verbs, kMenuMaxVerbs);
        entries = list.count;
        benchmark::DoNotOptimize(list.items);
    }
    state.counters["entries"] = static_cast<double>(entries);
    arena_destroy(arena);
}
BENCHMARK(BM_FileRowMenuWith64Verbs)->Unit(benchmark::kMicrosecond);

void BM_ScopeCheckLocalPath(benchmark::State& state) {
    World world;
    world.w.files.add_folder(u"C:\\Users\\user\\Documents\\Projects");
    std::u16string out;
    for (auto _ : state) {
        benchmark::DoNotOptimize(scope_resolve_text(u"C:\\Users\\user\\Documents\\Projects\\", u"", out));
    }
}
BENCHMARK(BM_ScopeCheckLocalPath)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
