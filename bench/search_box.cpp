// One keystroke in the search box as the window thread sees it: the typed character is converted
// and inserted, and the frame's change detection finds and accepts the new text.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "platform/fake/fake_world.h"
#include "ui/search_box.h"

namespace {

constexpr char kStart[] = "visual studio code ";

struct BoxBench {
    BoxBench() : box(std::make_unique<SearchBox>()), scope(world.platform()) {
        box_clear(*box);
        box_set_text(*box, kStart, sizeof kStart - 1);
    }
    FakeWorld world;
    std::unique_ptr<SearchBox> box;
    PlatformScope scope;
};

// Typing within one undo step (the common case: keys less than a second apart).
void BM_KeystrokeInsert(benchmark::State& state) {
    BoxBench f;
    SearchBox& b = *f.box;
    int n = 0;
    for (auto _ : state) {
        char utf8[4];
        int len = box_typed_unit(b, static_cast<char16_t>(u'a' + n % 26), utf8);
        box_type(b, utf8, static_cast<size_t>(len));
        bool changed = box_text_changed(b);
        if (changed) box_change_handled(b);
        benchmark::DoNotOptimize(changed);
        if (++n == 200) {  // keep the text at a realistic length
            box_set_text(b, kStart, sizeof kStart - 1);
            n = 0;
        }
    }
}
BENCHMARK(BM_KeystrokeInsert);

// Every keystroke records an undo step (keys more than a second apart).
void BM_KeystrokeInsertWithSnapshot(benchmark::State& state) {
    BoxBench f;
    SearchBox& b = *f.box;
    int n = 0;
    for (auto _ : state) {
        f.world.clock.advance_ms(1500);
        char utf8[4];
        int len = box_typed_unit(b, static_cast<char16_t>(u'a' + n % 26), utf8);
        box_type(b, utf8, static_cast<size_t>(len));
        bool changed = box_text_changed(b);
        if (changed) box_change_handled(b);
        benchmark::DoNotOptimize(changed);
        if (++n == 200) {
            box_set_text(b, kStart, sizeof kStart - 1);
            n = 0;
        }
    }
}
BENCHMARK(BM_KeystrokeInsertWithSnapshot);

// Ctrl+Backspace twice and retyping the folder at the end of a 1000-byte path: the edits that
// move the most bytes (each undo step copies the whole text).
void BM_WordDeleteInLongPath(benchmark::State& state) {
    BoxBench f;
    SearchBox& b = *f.box;
    std::string path;
    while (path.size() < 1000) path += "folder/";
    box_set_text(b, path.data(), path.size());
    for (auto _ : state) {
        f.world.clock.advance_ms(1500);
        box_key(b, 0x08, 2);
        box_key(b, 0x08, 2);
        box_type(b, "folder/", 7);
        benchmark::DoNotOptimize(box_text_changed(b));
        box_change_handled(b);
    }
}
BENCHMARK(BM_WordDeleteInLongPath);

}  // namespace

BENCHMARK_MAIN();
