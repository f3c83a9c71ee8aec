// The search pipeline: which sources each form of query asks, in which order, with which shares
// and caps; the scoped search; the query cache; the pin search.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/arena.h"
#include "core/row.h"
#include "platform/fake/fake_world.h"
#include "platform/fault/fault_files.h"
#include "query/cache_generation.h"
#include "query/pipeline.h"
#include "query/query_cache.h"
#include "store/history.h"
#include "store/options.h"
#include "store/pins.h"
#include "support/u16.h"
#include "unit/search_test_sources.h"

namespace {

using Calls = std::vector<std::string>;

class Pipeline : public ::testing::Test {
protected:
    Pipeline() : scope_(world_.platform()) {
        options_reset();
        arena_ = arena_create(64 * 1024);
        rowlist_init(&out_, arena_);
    }
    ~Pipeline() override {
        options_reset();
        arena_destroy(arena_);
    }

    RowList& run(const char16_t* text, const char16_t* scope = nullptr) {
        rowlist_init(&out_, arena_);
        run_query(text, scope, &out_, 0);
        return out_;
    }
    std::vector<std::string> titles() const {
        std::vector<std::string> t;
        for (int32_t i = 0; i < out_.count; ++i) t.push_back(u8s(out_.items[i].title));
        return t;
    }
    static std::vector<SeedRow> numbered(const char* prefix, int n, int base_score, char tag, int32_t kind = kKindOpen) {
        std::vector<SeedRow> rows;
        for (int i = 0; i < n; ++i) {
            std::u16string t = u16(cat8(prefix, std::to_string(i)));
            rows.push_back(SeedRow{t, u"", u"", cat16(u"target:", t), kind, base_score + i, tag});
        }
        return rows;
    }
    SearchTestWorld& w() { return sources_.world(); }
    void clear_calls() {
        std::lock_guard<std::mutex> lock(w().mutex);
        w().calls.clear();
    }

    FakeWorld world_;
    PlatformScope scope_;
    SearchTestSources sources_{0};
    Arena* arena_;
    RowList out_{};
};

TEST_F(Pipeline, CommandsAnswerAloneAndAreNotCached) {
    RowList& r = run(u"exit");
    ASSERT_EQ(r.count, 1);
    EXPECT_EQ(u8s(r.items[0].title), "Exit Kestrune");
    EXPECT_EQ(u8s(r.items[0].subtitle), "Quit the launcher");
    EXPECT_EQ(r.items[0].kind, kKindExit);
    EXPECT_EQ(r.items[0].score, 1000);
    EXPECT_EQ(r.items[0].tag, 'X');
    EXPECT_EQ(search_test_calls(), Calls{});

    w().kill = {SeedRow{u"a.exe", u"", u"", u"", kKindProcess, 50, 'K'}, SeedRow{u"b.exe", u"", u"", u"", kKindProcess, 90, 'K'}};
    run(u"KILL  note");
    EXPECT_EQ(titles(), (std::vector<std::string>{"b.exe", "a.exe"}));  // sorted by score
    w().tool = {SeedRow{u"pw row", u"", u"", u"", kKindCopyText, 1, 'U'}};
    run(u"gen 24");
    EXPECT_EQ(titles(), std::vector<std::string>{"pw row"});
    run(u"KILL  note");
    run(u"gen 24");
    EXPECT_EQ(search_test_calls(), (Calls{"kill:note", "tool:0:24", "kill:note", "tool:0:24"}));
}

TEST_F(Pipeline, FullMergeAsksEverySourceInOrderWithItsShare) {
    w().apps = numbered("app", 40, 200, 'A');        // the top 30: 210..239
    w().packaged = numbered("pkg", 35, 150, 'T');    // the top 30: 155..184
    w().commands = numbered("cmd", 15, 300, 'C');    // the top 10: 305..314
    w().indexer = numbered("file", 5, 1, 'W');
    RowList& r = run(u"qqqx ");
    EXPECT_EQ(search_test_calls(),
              (Calls{"search:qqqx:0:0:qqqx", "apps:qqqx", "packaged:qqqx", "commands:qqqx"}));
    ASSERT_EQ(r.count, 50);
    EXPECT_EQ(r.items[0].score, 314);
    EXPECT_EQ(r.items[9].score, 305);
    EXPECT_EQ(r.items[10].score, 239);
    EXPECT_EQ(r.items[39].score, 210);
    EXPECT_EQ(r.items[49].score, 175);
    for (int32_t i = 1; i < r.count; ++i) EXPECT_GE(r.items[i - 1].score, r.items[i].score);

    // An extension query asks the indexer for many results and is not capped.
    run(u"*.qqqx");
    EXPECT_EQ(search_test_calls().at(4), "search:*.qqqx:0:1:*.qqqx");
    EXPECT_EQ(out_.count, 75);
}

TEST_F(Pipeline, NoCapOptionKeepsEveryMergedRow) {
    w().apps = numbered("app", 40, 200, 'A');
    w().packaged = numbered("pkg", 35, 150, 'T');
    w().commands = numbered("cmd", 15, 300, 'C');
    EXPECT_EQ(run(u"qqqx").count, 50);
    options_toggle_uncapped();  // flushes the cache: the next run is computed afresh
    EXPECT_EQ(run(u"qqqx").count, 70);
}

TEST_F(Pipeline, EmptyTextAndDriveListing) {
    w().all_apps = numbered("app", 3, 100, 'A');
    w().drives = {SeedRow{u"D:", u"Data", u"D:\\", u"D:\\", kKindOpen, 100, 'D', true},
                  SeedRow{u"C:", u"Local Disk - 10 GB free of 100 GB", u"C:\\", u"C:\\", kKindOpen, 100, 'D', true}};
    EXPECT_EQ(run(u"").count, 3);
    EXPECT_EQ(run(u"\\").count, 2);
    EXPECT_EQ(titles(), (std::vector<std::string>{"C:", "D:"}));
    EXPECT_EQ(run(u":").count, 2);
    EXPECT_EQ(search_test_calls(), (Calls{"all_apps", "drives", "drives"}));
    options_toggle_folders_only();
    EXPECT_EQ(run(u"").count, 2);  // folders-only mode lists the drives instead of the apps
    EXPECT_EQ(search_test_calls().back(), "drives");
}

TEST_F(Pipeline, DriveFilterScoresDrivesOrFallsBackToAPlainQuery) {
    w().drives = {SeedRow{u"C:", u"Local Disk - 10 GB free of 100 GB", u"C:\\", u"C:\\", kKindOpen, 100, 'D', true},
                  SeedRow{u"D:", u"Data", u"D:\\", u"D:\\", kKindOpen, 100, 'D', true}};
    run(u"\\c");
    ASSERT_EQ(out_.count, 1);
    EXPECT_EQ(u8s(out_.items[0].title), "C:");
    EXPECT_EQ(out_.items[0].score, 100);
    run(u"/data");
    ASSERT_EQ(out_.count, 1);
    EXPECT_EQ(u8s(out_.items[0].title), "D:");
    EXPECT_EQ(out_.items[0].score, 90);  // matched through the subtitle
    clear_calls();
    w().indexer = {SeedRow{u"zzz notes", u"", u"C:\\zzz notes", u"C:\\zzz notes", kKindOpen, 80, 'W'}};
    run(u"\\zzz\\");  // no drive matches: the filter is searched as a folder query
    EXPECT_EQ(search_test_calls(), (Calls{"drives", "search:zzz:0:1:zzz"}));
    EXPECT_EQ(out_.count, 0);  // the indexer's row is not a folder
}

TEST_F(Pipeline, FolderQueriesKeepFoldersOnly) {
    for (int i = 0; i < 60; ++i) {
        std::u16string name = u16(cat8("dir", std::to_string(i)));
        w().indexer.push_back(SeedRow{name, u"", cat16(u"C:\\", name), cat16(u"C:\\", name), kKindOpen, 80, 'W', true});
    }
    w().indexer.push_back(SeedRow{u"file.txt", u"", u"C:\\file.txt", u"C:\\file.txt", kKindOpen, 99, 'W'});
    run(u"docs\\");
    EXPECT_EQ(search_test_calls(), Calls{"search:docs:0:1:docs"});
    EXPECT_EQ(out_.count, 60);  // folders only, no cap
    options_toggle_folders_only();
    run(u"docs");
    EXPECT_EQ(search_test_calls().back(), "search:docs:1:1:docs");
    EXPECT_EQ(out_.count, 50);
}

TEST_F(Pipeline, ScopedSearchDropsWhatTheWalkFindsAgain) {
    const char16_t* scope = u"C:\\Work\\";
    w().children = {SeedRow{u"zzzshallow_a.txt", u"C:\\Work", u"C:\\Work\\zzzshallow_a.txt", u"C:\\Work\\zzzshallow_a.txt", kKindOpen, 90, 'F'},
                    SeedRow{u"other.txt", u"C:\\Work", u"C:\\Work\\other.txt", u"C:\\Work\\other.txt", kKindOpen, 90, 'F'}};
    w().walk = {SeedRow{u"zzzshallow_a.txt", u"", u"c:\\work\\ZZZSHALLOW_A.txt", u"", kKindOpen, 90, 'F'}};
    run(u"zzzshallow", scope);
    EXPECT_EQ(titles(), std::vector<std::string>{"zzzshallow_a.txt"});
    EXPECT_EQ(search_test_calls(), (Calls{"children:C:\\Work\\", "in_folder:C:\\Work\\:zzzshallow", "indexed:C:\\Work\\",
                                          "walk:C:\\Work\\:zzzshallow"}));
    run(u"zzzshallow", scope);  // scoped results are not cached
    EXPECT_EQ(search_test_calls().size(), 8u);

    RowList preview;
    rowlist_init(&preview, arena_);
    EXPECT_EQ(run_scoped_preview(u"zzzshallow", scope, &preview), 1);
    ASSERT_EQ(preview.count, 1);
    EXPECT_EQ(u8s(preview.items[0].title), "zzzshallow_a.txt");
    EXPECT_EQ(run_scoped_preview(u"", scope, &preview), 0);
    EXPECT_EQ(run_scoped_preview(u"zzzshallow", nullptr, &preview), 0);
    EXPECT_EQ(run_scoped_preview(u"\\", scope, &preview), 0);
}

TEST_F(Pipeline, ScopedSearchWithoutAnswerSaysSo) {
    w().walk.clear();
    run(u"qqqq", u"C:\\Work\\");
    ASSERT_EQ(out_.count, 1);
    EXPECT_EQ(out_.items[0].kind, kKindInfo);
    EXPECT_EQ(out_.items[0].tag, '?');
    EXPECT_EQ(out_.items[0].score, 1);
    EXPECT_EQ(u8s(out_.items[0].title), "No Everything results");
    EXPECT_EQ(u8s(out_.items[0].subtitle), "Filename: \"path:\"C:\\Work\\\" qqqq\"");

    // An indexed folder keeps what the indexer reported and is not walked.
    w().folder_indexed = true;
    w().indexer = {SeedRow{u"No results", u"", u"", u"", kKindInfo, 0, '?'}};
    clear_calls();
    run(u"qqqq", u"C:\\Work\\");
    EXPECT_EQ(titles(), std::vector<std::string>{"No results"});
    EXPECT_EQ(search_test_calls().size(), 3u);  // no walk
}

TEST_F(Pipeline, ScopeListingIsInShortestPathOrderAndFoldersOnlyWithASlash) {
    const char16_t* scope = u"C:\\zzzscope\\";
    w().children = {SeedRow{u"zzzscope_b.txt", u"", u"C:\\zzzscope\\zzzscope_b.txt", u"", kKindOpen, 90, 'F'},
                    SeedRow{u"zzzscope_a.txt", u"", u"C:\\zzzscope\\zzzscope_a.txt", u"", kKindOpen, 90, 'F'},
                    SeedRow{u"zzzscope_d", u"", u"C:\\zzzscope\\zzzscope_d", u"", kKindOpen, 100, 'F', true}};
    run(u"", scope);
    EXPECT_EQ(titles(), (std::vector<std::string>{"zzzscope_d", "zzzscope_a.txt", "zzzscope_b.txt"}));
    run(u"\\", scope);
    EXPECT_EQ(titles(), std::vector<std::string>{"zzzscope_d"});
}

TEST_F(Pipeline, CacheAnswersRepeatsUntilTheGenerationMoves) {
    w().apps = numbered("app", 3, 100, 'A');
    run(u"qqqx");
    std::vector<std::string> first = titles();
    run(u"qqqx");
    EXPECT_EQ(titles(), first);
    EXPECT_EQ(search_test_calls().size(), 4u);  // the second run asked nobody
    cache_invalidate();
    run(u"qqqx");
    EXPECT_EQ(search_test_calls().size(), 8u);

    // A result computed while something changed is never answered from the cache.
    w().invalidate_in_apps = true;
    run(u"qqqy");
    w().invalidate_in_apps = false;
    run(u"qqqy");
    EXPECT_EQ(search_test_calls().size(), 16u);
}

TEST_F(Pipeline, AfterAnInvalidationTheKeysStaleSlotIsReused) {
    w().apps = numbered("app", 3, 100, 'A');
    cache_flush();
    run(u"qqqs");
    cache_invalidate();
    clear_calls();
    for (int i = 0; i < 3; ++i) run(u"qqqs");
    // The first repeat asks the sources again; the two after it are answered from the cache.
    EXPECT_EQ(search_test_calls(), (Calls{"search:qqqs:0:0:qqqs", "apps:qqqs", "packaged:qqqs", "commands:qqqs"}));
    // The fresh result went into the stale slot of its key: one slot in all.
    EXPECT_EQ(cache_used_slots(), 1);
    EXPECT_EQ(out_.count, 3);

    // A current result is never replaced by one computed under an older generation.
    uint32_t old_generation = cache_generation();
    cache_invalidate();
    run(u"qqqs");
    cache_store_as(u"qqqs", &out_, old_generation);
    clear_calls();
    run(u"qqqs");
    EXPECT_EQ(search_test_calls(), Calls{});
    EXPECT_EQ(cache_used_slots(), 1);
}

TEST_F(Pipeline, CacheKeysUpTo128UnitsAndResultsUpTo5000Rows) {
    struct Case {
        std::u16string text;
        int indexer_rows;
        bool cached;
    };
    const Case cases[] = {
        {std::u16string(128, u'q'), 1, true},
        {std::u16string(129, u'q'), 1, false},
        {u"*.qq", 5000, true},  // an extension query keeps every row
        {u"*.qr", 5001, false},
    };
    for (const Case& c : cases) {
        w().indexer = numbered("f", c.indexer_rows, 1, 'W');
        clear_calls();
        run(c.text.c_str());
        size_t once = search_test_calls().size();
        run(c.text.c_str());
        EXPECT_EQ(search_test_calls().size(), c.cached ? once : 2 * once) << u8(c.text).size();
    }
}

TEST_F(Pipeline, CacheEvictsTheLeastRecentlyUsedSlot) {
    Arena* a = arena_create(4096);
    RowList rows;
    rowlist_init(&rows, a);
    rowlist_add_fields(&rows, u"row", nullptr, nullptr, nullptr, kKindOpen, 1);
    auto key = [](int i) { return u16(cat8("key", std::to_string(i))); };
    for (int i = 0; i < kCacheSlots; ++i) cache_store(key(i).c_str(), &rows);
    EXPECT_EQ(cache_used_slots(), kCacheSlots);
    RowList got;
    rowlist_init(&got, a);
    EXPECT_EQ(cache_lookup(key(0).c_str(), &got), 1);  // key0 is now the most recent
    cache_store(u"new", &rows);                          // evicts key1
    EXPECT_EQ(cache_lookup(key(1).c_str(), &got), 0);
    EXPECT_EQ(cache_lookup(key(0).c_str(), &got), 1);
    EXPECT_EQ(cache_lookup(u"new", &got), 1);
    EXPECT_EQ(cache_lookup(u"NEW", &got), 0);  // keys are exact
    EXPECT_EQ(got.count, 3);
    cache_flush();
    EXPECT_EQ(cache_used_slots(), 0);
    EXPECT_EQ(cache_lookup(key(0).c_str(), &got), 0);
    arena_destroy(a);
}

TEST_F(Pipeline, CacheFreeReleasesEverySlotAndTheHistory) {
    w().apps = numbered("app", 20, 100, 'A');
    for (int i = 0; i < 10; ++i) run(u16(cat8("q", std::to_string(i))).c_str());
    ArenaStats before = arena_stats();
    cache_free();
    ArenaStats after = arena_stats();
    EXPECT_LT(after.blocks, before.blocks);
    EXPECT_EQ(cache_used_slots(), 0);
    run(u"q1");  // usable again afterwards
    EXPECT_EQ(out_.count, 20);
}

class PinSearch : public Pipeline {
protected:
    void pin(const char16_t* path, const char16_t* param, const char16_t* title, const char16_t* sub, int32_t kind) {
        ASSERT_EQ(pin_toggle(path, param, title, sub, kind), 1);
    }
    RowList& pins(const char16_t* q) {
        rowlist_init(&out_, arena_);
        search_pins(q, &out_);
        return out_;
    }
};

TEST_F(PinSearch, ScoresKindsAndSubtitles) {
    world_.files.add_file(u"C:\\Apps\\brave.exe", "x");
    world_.files.add_file(u"C:\\Apps\\raddbg.exe", "x");
    world_.files.add_file(u"C:\\Links\\Notes.LNK", "x");
    pin(u"C:\\Apps\\brave.exe", nullptr, u"Brave", nullptr, kKindOpen);
    pin(u"C:\\Apps\\raddbg.exe", nullptr, u"raddbg", nullptr, kKindOpen);
    pin(u"C:\\Apps\\gone-ra.exe", nullptr, u"gone ra", nullptr, kKindOpen);
    pin(nullptr, u"ms-settings:bluetooth", u"Bluetooth", u"Devices", kKindSettings);
    pin(u"C:\\Links\\Notes.LNK", nullptr, u"Notes", nullptr, kKindOpen);
    pin(nullptr, nullptr, u"Lock", u"Lock the computer", kKindLock);

    pins(u"ra");
    ASSERT_EQ(out_.count, 2);  // the pin whose file is gone is left out; pin order is kept
    EXPECT_EQ(u8s(out_.items[0].title), "raddbg");
    EXPECT_EQ(out_.items[0].score, 660);
    EXPECT_EQ(u8s(out_.items[1].title), "Brave");
    EXPECT_EQ(out_.items[1].score, 588);
    EXPECT_EQ(u8s(out_.items[1].subtitle), "C:\\Apps\\brave.exe");
    EXPECT_EQ(out_.items[1].tag, 'P');

    pins(u"  bluetooth");
    ASSERT_EQ(out_.count, 1);
    EXPECT_EQ(out_.items[0].kind, kKindSettings);
    EXPECT_EQ(u8s(out_.items[0].target), "ms-settings:bluetooth");
    EXPECT_EQ(out_.items[0].path, nullptr);

    pins(u"notes");
    ASSERT_EQ(out_.count, 1);
    EXPECT_EQ(u8s(out_.items[0].subtitle), "Application");
    pins(u"lock");
    ASSERT_EQ(out_.count, 1);
    EXPECT_EQ(out_.items[0].kind, kKindLock);
    EXPECT_EQ(out_.items[0].target, nullptr);
    EXPECT_EQ(pins(u"").count, 0);
    EXPECT_EQ(pins(u"   ").count, 0);
}

TEST_F(PinSearch, PinsTheSystemRefusesToLookAtStay) {
    world_.files.add_file(u"C:\\Locked\\raddbg.exe", "x");
    world_.files.set_access_denied(u"C:\\Locked\\raddbg.exe");
    pin(u"C:\\Locked\\raddbg.exe", nullptr, u"raddbg", nullptr, kKindOpen);
    pin(u"C:\\Gone\\radgone.exe", nullptr, u"radgone", nullptr, kKindOpen);
    pins(u"rad");
    ASSERT_EQ(out_.count, 1);
    EXPECT_EQ(u8s(out_.items[0].title), "raddbg");
}

// Queries of 3, 7, 11... units fill their folded copy to an 8-byte boundary: the unit after it
// belongs to the next allocation and must stay untouched.
TEST_F(PinSearch, FoldedQueryStaysInsideItsCopy) {
    pin(nullptr, nullptr, u"ABCDEFGHIJK lock", u"", kKindLock);
    constexpr char16_t kCanary = 0xBEEF;
    for (const char16_t* q : {u"ABC", u"ABCDEFG", u"ABCDEFGHIJK"}) {
        size_t n = std::char_traits<char16_t>::length(q);
        Arena* scratch = scratch_arena();
        ArenaMark mark = arena_mark(scratch);
        char16_t* probe = arena_new_array<char16_t>(scratch, 32);
        ASSERT_NE(probe, nullptr);
        std::fill(probe, probe + 32, kCanary);
        arena_rewind(scratch, mark);  // the folded copy is the next allocation: it lands on probe
        pins(q);
        EXPECT_EQ(out_.count, 1) << u8s(q);
        EXPECT_EQ(probe[n], 0) << u8s(q);
        EXPECT_EQ(probe[n + 1], kCanary) << u8s(q);
    }
}

TEST_F(PinSearch, PinsAreReadAgainOnlyWhenTheyChange) {
    world_.files.add_file(u"C:\\Apps\\brave.exe", "x");
    pin(u"C:\\Apps\\brave.exe", nullptr, u"Brave", nullptr, kKindOpen);
    FaultFiles counting(&world_.files);
    Platform p = world_.platform();
    p.files = &counting;
    PlatformScope installed(p);
    auto reads_after = [&](const char16_t* q) {
        counting.reads = 0;
        pins(q);
        return counting.reads;
    };
    EXPECT_EQ(reads_after(u"bra"), 1);
    EXPECT_EQ(reads_after(u"brav"), 0);
    EXPECT_EQ(out_.count, 1);
    // A pin added here is seen by the next search.
    pin(nullptr, u"ms-settings:bluetooth", u"Bravo settings", u"", kKindSettings);
    EXPECT_EQ(reads_after(u"bra"), 1);
    EXPECT_EQ(out_.count, 2);
    EXPECT_EQ(reads_after(u"bra"), 0);
    // So is a file another process rewrote (another size), and one written back at another time.
    std::u16string dat = world_.files.known_folder(KnownFolder::RoamingAppData) + u"\\Kestrune\\quick_access.dat";
    std::string bytes = *world_.files.contents(dat);
    world_.files.add_file(dat, "[pin]\nact=15\ntitle=Brave lock\n");
    EXPECT_EQ(reads_after(u"bra"), 1);
    ASSERT_EQ(out_.count, 1);
    EXPECT_EQ(out_.items[0].kind, kKindLock);
    world_.clock.advance_ms(1000);
    ASSERT_EQ(world_.files.write(dat, "[pin]\nact=12\ntitle=Brave lock\n"), 0u);  // same size
    EXPECT_EQ(reads_after(u"bra"), 1);
    EXPECT_EQ(out_.items[0].kind, 12);
    // The cache flush (the window hides) reads them again.
    cache_flush();
    EXPECT_EQ(reads_after(u"bra"), 1);
}

TEST_F(PinSearch, PinnedAppShowsOnceAsThePin) {
    world_.files.add_file(u"C:\\Apps\\brave.exe", "x");
    pin(u"C:\\Apps\\brave.exe", nullptr, u"Brave", nullptr, kKindOpen);
    w().apps = {SeedRow{u"Brave", u"Application", u"C:\\Apps\\brave.exe", u"C:\\Apps\\brave.exe", kKindOpen, 100, 'A'}};
    run(u"brave");
    int found = 0;
    for (int32_t i = 0; i < out_.count; ++i) {
        if (u8s(out_.items[i].title) == "Brave") {
            ++found;
            EXPECT_EQ(out_.items[i].tag, 'P');
        }
    }
    EXPECT_EQ(found, 1);
}

TEST_F(Pipeline, HistoryBoostLiftsALaunchedRow) {
    Row launched{};
    launched.title = const_cast<char16_t*>(u"Advanced display settings");
    launched.target = const_cast<char16_t*>(u"ms-settings:display-advanced");
    launched.kind = kKindSettings;
    history_record(&launched);
    run(u"display");
    ASSERT_GT(out_.count, 1);
    EXPECT_EQ(u8s(out_.items[0].title), "Advanced display settings");
}

TEST_F(Pipeline, LocalPreviewUsesOnlyLocalSources) {
    RowList preview;
    rowlist_init(&preview, arena_);
    for (const char16_t* t : {u"", u"kill note", u"exit", u":", u"\\c", u"docs\\", u"  "}) {
        EXPECT_EQ(run_local_preview(t, nullptr, &preview), 0) << u8s(t);
    }
    EXPECT_EQ(run_local_preview(u"terminal", u"C:\\", &preview), 0);
    w().apps = {SeedRow{u"Windows Terminal", u"", u"", u"wt", kKindOpen, 100, 'A'}};
    w().commands = {SeedRow{u"Open terminal here", u"", u"", u"", kKindOpenInTerminal, 60, 'C'}};
    EXPECT_EQ(run_local_preview(u"terminal", nullptr, &preview), 1);
    for (int32_t i = 0; i < preview.count; ++i) EXPECT_NE(std::string("SACPT").find(preview.items[i].tag), std::string::npos);
    for (const std::string& c : search_test_calls()) EXPECT_NE(c.rfind("search:", 0), 0u) << c;
    options_toggle_folders_only();
    rowlist_init(&preview, arena_);
    EXPECT_EQ(run_local_preview(u"terminal", nullptr, &preview), 0);
}

}  // namespace

namespace {

TEST(IndexerBackendSwitch, FollowsTheIndexerOption) {
    options_indexer_select_hook = indexer_backend_select;  // as installed at start-up
    const IndexerBackend* saved = indexer_backend_install(nullptr);
    EXPECT_EQ(indexer_backend()->id, kIndexerWindowsSearch);
    uint32_t g = cache_generation();
    options_set_indexer(kIndexerEverything);
    EXPECT_EQ(indexer_backend(), &kEverythingBackend);
    EXPECT_NE(cache_generation(), g);
    options_set_indexer(kIndexerWindowsSearch);
    EXPECT_EQ(indexer_backend(), &kWindowsSearchBackend);
    options_reset();
    indexer_backend_install(saved);
}

}  // namespace
