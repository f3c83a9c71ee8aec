// The search lanes: which messages each kind of request produces, stale generations, shutdown in
// the middle of a search, and the ownership of every result arena.
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <string>
#include <thread>

#include "core/arena.h"
#include "core/row.h"
#include "platform/fake/fake_world.h"
#include "query/query_cache.h"
#include "query/result_messages.h"
#include "query/workers.h"
#include "store/options.h"
#include "support/u16.h"
#include "unit/search_test_sources.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Message {
    uint32_t message;
    int32_t generation;
    RowList* list;
};

class Workers : public ::testing::Test {
protected:
    Workers() : scope_(world_.platform()) {
        options_reset();
        cache_free();
        scratch_arena();  // this thread's scratch exists before the baseline
        baseline_ = arena_stats();
        world_.window.open_window();
    }
    ~Workers() override {
        workers_stop();
        drain();
        cache_free();
        options_reset();
    }

    void start(int failing_lanes = 0) {
        workers_fail_thread_start(failing_lanes);
        workers_start();
    }
    bool next(Message& m, uint64_t timeout_ms = 5000) {
        PostedMessage pm;
        if (!world_.window.wait(pm, timeout_ms)) return false;
        m = Message{pm.message, static_cast<int32_t>(pm.wparam), static_cast<RowList*>(pm.lparam)};
        return true;
    }
    // Waits for the full result of generation g, destroying everything before it.
    std::vector<Message> until_results(int32_t g) {
        std::vector<Message> seen;
        Message m;
        while (next(m)) {
            seen.push_back(m);
            if (m.message == WM_APP_RESULTS && m.generation == g) break;
        }
        return seen;
    }
    void drain() {
        PostedMessage pm;
        while (world_.window.take(pm)) result_destroy(static_cast<RowList*>(pm.lparam));
    }
    static void destroy(std::vector<Message>& ms) {
        for (Message& m : ms) result_destroy(m.list);
        ms.clear();
    }
    // Every arena was freed: the process-wide block count and bytes are back where they started.
    void expect_baseline() {
        ArenaStats now = arena_stats();
        for (int i = 0; i < 200 && (now.blocks != baseline_.blocks || now.used != baseline_.used); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            now = arena_stats();
        }
        EXPECT_EQ(now.blocks, baseline_.blocks);
        EXPECT_EQ(now.reserved, baseline_.reserved);
        EXPECT_EQ(now.used, baseline_.used);
    }
    SearchTestWorld& w() { return sources_.world(); }

    FakeWorld world_;
    PlatformScope scope_;
    SearchTestSources sources_{0};  // Everything: no local preview
    ArenaStats baseline_{};
};

TEST_F(Workers, UnscopedRequestPostsOnlyTheFullResultWithEverything) {
    w().apps = {SeedRow{u"qqq app", u"", u"", u"qqq", kKindOpen, 100, 'A'}};
    start();
    search_request("qqq", nullptr);
    int32_t g = search_generation_newest();
    std::vector<Message> ms = until_results(g);
    ASSERT_EQ(ms.size(), 1u);
    EXPECT_EQ(ms[0].message, WM_APP_RESULTS);
    ASSERT_EQ(ms[0].list->count, 1);
    EXPECT_EQ(u8s(ms[0].list->items[0].title), "qqq app");
    EXPECT_NE(ms[0].list->arena, nullptr);
    destroy(ms);
    workers_stop();
    cache_free();
    expect_baseline();
}

TEST_F(Workers, WindowsSearchShowsTheLocalPreviewFirst) {
    SearchTestSources ws(1);
    w().apps = {SeedRow{u"qqq app", u"", u"", u"qqq", kKindOpen, 100, 'A'}};
    start();
    search_request("qqq", nullptr);
    std::vector<Message> ms = until_results(search_generation_newest());
    ASSERT_EQ(ms.size(), 2u);
    EXPECT_EQ(ms[0].message, WM_APP_PREVIEW);
    EXPECT_EQ(ms[1].message, WM_APP_RESULTS);
    EXPECT_EQ(ms[0].generation, ms[1].generation);
    EXPECT_NE(ms[0].list->arena, ms[1].list->arena);  // each message carries its own arena
    destroy(ms);
    workers_stop();  // before the Windows Search stand-in goes away
}

TEST_F(Workers, ScopedRequestPreviewFromTheFastLaneResultFromTheSlowLane) {
    w().children = {SeedRow{u"zzzshallow_a.txt", u"", u"C:\\W\\zzzshallow_a.txt", u"", kKindOpen, 90, 'F'}};
    start();
    ASSERT_TRUE(workers_slow_lane_available());
    search_request("zzzshallow", u"C:\\W\\");
    // Both lanes work at once, so the two messages may come in either order.
    std::vector<Message> ms(2);
    ASSERT_TRUE(next(ms[0]));
    ASSERT_TRUE(next(ms[1]));
    if (ms[0].message == WM_APP_RESULTS) std::swap(ms[0], ms[1]);
    EXPECT_EQ(ms[0].message, WM_APP_PREVIEW);
    EXPECT_EQ(ms[1].message, WM_APP_RESULTS);
    workers_stop();
    EXPECT_EQ(world_.window.pending(), 0u);
    // The fast lane gave up the full result: only the slow lane asked the indexer.
    int in_folder = 0;
    for (const std::string& c : search_test_calls()) in_folder += c.rfind("in_folder:", 0) == 0;
    EXPECT_EQ(in_folder, 1);
    destroy(ms);
}

TEST_F(Workers, WithoutASlowLaneTheFastLaneDeliversBoth) {
    w().children = {SeedRow{u"zzzshallow_a.txt", u"", u"C:\\W\\zzzshallow_a.txt", u"", kKindOpen, 90, 'F'}};
    start(2);
    EXPECT_TRUE(workers_fast_lane_running());
    EXPECT_FALSE(workers_slow_lane_available());
    search_request("zzzshallow", u"C:\\W\\");
    std::vector<Message> ms = until_results(search_generation_newest());
    ASSERT_EQ(ms.size(), 2u);
    EXPECT_EQ(ms[0].message, WM_APP_PREVIEW);
    EXPECT_EQ(ms[1].message, WM_APP_RESULTS);
    destroy(ms);
}

TEST_F(Workers, AppsViewRequestNewerThanTheSearchGetsViewRows) {
    start();
    search_request("qqq", nullptr);
    std::vector<Message> earlier = until_results(search_generation_newest());
    apps_filter_request("code");
    Message m;
    ASSERT_TRUE(next(m));
    EXPECT_EQ(m.message, WM_APP_VIEW_ROWS);
    EXPECT_EQ(m.generation, search_generation_newest());
    EXPECT_EQ(m.list->view, kViewApps);
    ASSERT_EQ(m.list->count, 1);
    EXPECT_EQ(u8s(m.list->items[0].title), "code");
    result_destroy(m.list);
    destroy(earlier);
}

TEST_F(Workers, ToolPageRowsAreBuiltOnTheFastLane) {
    start();
    w().tool.push_back(SeedRow{.title = u"Shutdown", .kind = kKindShutdown, .tag = 'C'});
    search_request("sys", nullptr);
    std::vector<Message> earlier = until_results(search_generation_newest());
    tool_rows_request(2, "shut");
    Message m;
    ASSERT_TRUE(next(m));
    EXPECT_EQ(m.message, WM_APP_VIEW_ROWS);
    EXPECT_EQ(m.generation, search_generation_newest());
    EXPECT_EQ(m.list->view, kViewTool);
    ASSERT_EQ(m.list->count, 1);
    EXPECT_EQ(u8s(m.list->items[0].title), "Shutdown");
    const auto calls = search_test_calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back(), "tool:2:shut");
    result_destroy(m.list);
    // A search typed afterwards wins over the tool request again.
    search_request("abc", nullptr);
    std::vector<Message> later = until_results(search_generation_newest());
    ASSERT_FALSE(later.empty());
    EXPECT_EQ(later.back().message, WM_APP_RESULTS);
    destroy(later);
    destroy(earlier);
}

TEST_F(Workers, RequestsKeepTheirLimits) {
    std::string text(2000, 'a');
    text.replace(1022, 4, "\xF0\x9F\x98\x80");  // a surrogate pair across the 1023-unit limit
    std::u16string scope = cat16(u"C:\\", std::u16string(300, u'd'), u"\\");
    search_request(text, scope.c_str());
    SearchRequest r = read_request();
    std::u16string got(r.search_text);
    EXPECT_EQ(got.size(), 1022u);  // the pair that does not fit whole is left out
    EXPECT_EQ(std::u16string(r.scope_folder).size(), 259u);
    EXPECT_EQ(r.search_generation, search_generation_newest());
    EXPECT_EQ(r.submitted_at, world_.clock.tick_ms());
    search_request(std::string(1023, 'b'), nullptr);
    r = read_request();
    EXPECT_EQ(std::u16string(r.search_text).size(), 1023u);
    EXPECT_EQ(r.scope_folder[0], 0);
    apps_filter_request(std::string(5000, 'c'));
    r = read_request();
    EXPECT_EQ(std::u16string(r.apps_text).size(), 1023u);
    EXPECT_GT(r.apps_generation, r.search_generation);
}

TEST_F(Workers, StaleGenerations) {
    start();
    int32_t g = search_generation_next();
    EXPECT_EQ(is_stale(g), 0);
    EXPECT_EQ(is_stale(0), 0);
    search_generation_next();
    EXPECT_EQ(is_stale(g), 1);
    EXPECT_EQ(is_stale(0), 0);
    workers_stop();
    EXPECT_EQ(is_stale(search_generation_newest()), 1);  // shutdown has begun
    EXPECT_EQ(is_stale(0), 0);
}

TEST_F(Workers, ResultsForAWindowThatIsGoneAreFreedByTheLane) {
    w().apps = {SeedRow{u"qqq app", u"", u"", u"qqq", kKindOpen, 100, 'A'}};
    world_.window.close_window();
    start();
    for (int i = 0; i < 20; ++i) search_request(cat8("qqq", std::to_string(i)), nullptr);
    workers_stop();
    EXPECT_EQ(world_.window.pending(), 0u);
    cache_free();
    expect_baseline();
}

TEST_F(Workers, ShutdownDuringASearchStopsTheSearch) {
    w().block_search = true;  // the indexer runs until its generation goes stale
    start();
    search_request("qqq", nullptr);
    while (w().searches_running.load() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    auto t0 = Clock::now();
    workers_stop();
    EXPECT_LT(Clock::now() - t0, std::chrono::milliseconds(1500));
    EXPECT_EQ(world_.window.pending(), 0u);  // nothing is posted once shutdown has begun
    cache_free();
    expect_baseline();
}

TEST_F(Workers, ALaneThatDoesNotEndInTimeIsAbandonedAndFreesItsWork) {
    w().block_search = true;
    w().block_ignores_stale = true;  // a source that never looks at is_stale
    start();
    search_request("qqq", nullptr);
    while (w().searches_running.load() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    auto t0 = Clock::now();
    workers_stop();
    auto took = Clock::now() - t0;
    EXPECT_GE(took, std::chrono::milliseconds(1900));
    EXPECT_LT(took, std::chrono::milliseconds(4500));
    w().release = true;
    while (workers_threads_alive() != 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(world_.window.pending(), 0u);
    cache_free();
    expect_baseline();
}

// Requests arrive far faster than results: only the newest generation may be adopted, each
// adopted list answers the text submitted with its generation, and every arena is freed.
TEST_F(Workers, StressTenThousandRequests) {
    w().echo_apps = true;
    w().echo_folder = true;
    start();
    std::map<int32_t, std::string> sent;
    RowList* shown = nullptr;
    int32_t shown_generation = 0;
    int adopted = 0;
    auto window_receives = [&](const Message& m) {
        // The window's rule: a result is shown only when its generation is still the newest.
        if (m.generation != search_generation_newest() || m.message == WM_APP_VIEW_ROWS) {
            result_destroy(m.list);
            return;
        }
        ASSERT_GE(m.generation, shown_generation);
        // The echo row of the lane's source carries the text the lane read for this generation.
        for (int32_t i = 0; i < m.list->count; ++i) {
            const Row& r = m.list->items[i];
            std::string sub = u8s(r.subtitle);
            if (sub == "echo" || sub == "scoped") {
                EXPECT_EQ(u8s(r.title), sent[m.generation]);
            }
        }
        result_destroy(shown);
        shown = m.list;
        shown_generation = m.generation;
        ++adopted;
    };
    for (int i = 0; i < 10000; ++i) {
        std::string text = cat8("q", std::to_string(i));
        bool scoped = i % 7 == 0;
        search_request(text, scoped ? u"C:\\S\\" : nullptr);
        sent[search_generation_newest()] = text;
        PostedMessage pm;
        while (world_.window.take(pm))
            window_receives(Message{pm.message, static_cast<int32_t>(pm.wparam), static_cast<RowList*>(pm.lparam)});
    }
    int32_t last = search_generation_newest();
    Message m;
    while (shown_generation != last && next(m)) window_receives(m);
    EXPECT_EQ(shown_generation, last);
    EXPECT_GE(adopted, 1);
    workers_stop();
    drain();
    result_destroy(shown);
    cache_free();
    expect_baseline();
}

}  // namespace
