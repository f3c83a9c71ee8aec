#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "core/arena.h"
#include "core/row.h"
#include "core/text.h"
#include "query/cache_generation.h"
#include "store/history.h"
#include "unit/store_fixture.h"

namespace {

class HistoryTest : public StoreTest {
public:
    void SetUp() override {
        StoreTest::SetUp();
        arena = arena_create(64 * 1024);
    }
    void TearDown() override {
        arena_destroy(arena);
        StoreTest::TearDown();
    }
    static Row row(const char16_t* title, const char16_t* target, int32_t kind, int32_t score = 0,
                   const char16_t* subtitle = nullptr) {
        Row r{};
        r.title = const_cast<char16_t*>(title);
        r.target = const_cast<char16_t*>(target);
        r.subtitle = const_cast<char16_t*>(subtitle);
        r.kind = kind;
        r.score = score;
        return r;
    }
    void launch(const char16_t* title, const char16_t* target, int32_t kind, int times = 1) {
        Row r = row(title, target, kind);
        for (int i = 0; i < times; ++i) history_record(&r);
    }
    RowList list() {
        RowList l;
        rowlist_init(&l, arena);
        return l;
    }
    std::vector<std::string> titles(const RowList& l) {
        std::vector<std::string> out;
        for (int32_t i = 0; i < l.count; ++i) out.push_back(u8(l.items[i].title));
        return out;
    }
    RowList recents() {
        RowList l = list();
        history_recents(&l);
        return l;
    }
    Arena* arena = nullptr;
};

TEST_F(HistoryTest, BoostRanksByLaunchesRecencyAndPrefix) {
    launch(u"Brave", u"C:\\Apps\\brave.exe", 1, 10);
    launch(u"raddbg", u"C:\\Apps\\raddbg.exe", 1);
    RowList l = list();
    Row brave = row(u"Brave", u"C:\\APPS\\Brave.exe", 1, 87);  // keys compare ignoring case
    Row rad = row(u"raddbg", u"C:\\Apps\\raddbg.exe", 1, 100);
    Row other = row(u"Other", u"C:\\other.exe", 1, 150);
    rowlist_add(&l, &brave);
    rowlist_add(&l, &rad);
    rowlist_add(&l, &other);
    history_boost(&l, u"  ra");
    EXPECT_EQ(titles(l), (std::vector<std::string>{"raddbg", "Other", "Brave"}));
    EXPECT_EQ(l.items[0].score, 100 + 5 + 15 + 60);
    EXPECT_EQ(l.items[1].score, 150);
    EXPECT_EQ(l.items[2].score, 87 + 40 + 15);

    // Older launches earn less: 8 within a week, nothing after.
    auto rad_score_after = [&](uint64_t days) {
        world.clock.advance_ms(days * 24 * 3600 * 1000);
        RowList one = list();
        rowlist_add(&one, &rad);
        history_boost(&one, u"");
        return one.items[0].score;
    };
    EXPECT_EQ(rad_score_after(2), 100 + 5 + 8);
    EXPECT_EQ(rad_score_after(7), 100 + 5);
}

TEST_F(HistoryTest, RowsWithoutTargetAreKnownByTitle) {
    launch(u"Advanced display settings", u"ms-settings:display-advanced", 2);
    launch(u"Lock", nullptr, 15);
    RowList l = list();
    Row a = row(u"Display", u"ms-settings:display", 2, 100);
    Row b = row(u"Advanced display settings", u"ms-settings:display-advanced", 2, 90);
    Row c = row(u"Lock", nullptr, 15, 10);
    rowlist_add(&l, &a);
    rowlist_add(&l, &b);
    rowlist_add(&l, &c);
    history_boost(&l, u"display");
    EXPECT_EQ(titles(l)[0], "Advanced display settings");
    EXPECT_EQ(l.items[2].score, 10 + 5 + 15);
}

TEST_F(HistoryTest, RecentsNewestFirstAndOnlyWhatStillExists) {
    world.files.add_file(u"C:\\a.txt", "a");
    world.files.add_file(u"C:\\b.txt", "b");
    launch(u"Recents Test A", u"C:\\a.txt", 1);
    world.clock.advance_ms(30);
    launch(u"Recents Test B", u"C:\\b.txt", 1);
    launch(u"Gone", u"C:\\gone.txt", 1);
    launch(u"Calculator", u"shell:AppsFolder\\calc", 1);
    launch(u"Bluetooth", u"ms-settings:bluetooth", 2);
    launch(u"Sleep", nullptr, 16);
    RowList l = recents();
    // Same time keeps store order (stable); "Gone" no longer exists.
    EXPECT_EQ(titles(l), (std::vector<std::string>{"Recents Test B", "Calculator", "Bluetooth", "Sleep", "Recents Test A"}));
    EXPECT_EQ(l.items[0].score, 100);
    EXPECT_EQ(l.items[4].score, 96);
    EXPECT_EQ(l.items[0].tag, 'R');
    EXPECT_TRUE(l.items[0].from_history);
    EXPECT_EQ(u8(l.items[0].path), "C:\\b.txt");
    EXPECT_EQ(l.items[2].path, nullptr);
    EXPECT_EQ(u8(l.items[2].target), "ms-settings:bluetooth");
    EXPECT_EQ(l.items[3].target, nullptr);

    EXPECT_TRUE(history_forget(u"C:\\b.txt", u"Recents Test B"));
    EXPECT_TRUE(history_forget(nullptr, u"Sleep"));
    EXPECT_FALSE(history_forget(u"", nullptr));
    EXPECT_FALSE(history_forget(u"C:\\never.txt", nullptr));
    RowList after = recents();
    EXPECT_EQ(titles(after), (std::vector<std::string>{"Calculator", "Bluetooth", "Recents Test A"}));
    // The file follows every change.
    history_unload();
    EXPECT_EQ(titles(recents()), titles(after));
}

TEST_F(HistoryTest, RecentsKeepWhatTheSystemRefusesToLookAt) {
    world.files.add_file(u"C:\\Locked\\tool.exe", "x");
    world.files.set_access_denied(u"C:\\Locked\\tool.exe");
    launch(u"Tool", u"C:\\Locked\\tool.exe", kKindOpen);
    launch(u"Gone", u"C:\\Gone\\gone.exe", kKindOpen);
    EXPECT_EQ(titles(recents()), std::vector<std::string>{"Tool"});
}

TEST_F(HistoryTest, ContainingFolderOfAFileRecordsTheFolder) {
    world.files.add_file(u"C:\\Users\\user\\AppData\\Local\\Temp\\report.txt", "x");
    world.files.add_file(u"C:\\root.txt", "x");
    launch(u"report.txt", u"C:\\Users\\user\\AppData\\Local\\Temp\\report.txt", 5);
    launch(u"root.txt", u"C:/root.txt", 5);
    launch(u"Missing", u"C:\\nowhere\\x.txt", 5);  // not an existing file: recorded as it is
    RowList l = recents();
    ASSERT_EQ(l.count, 3);  // launched at the same moment: store order
    EXPECT_EQ(u8(l.items[0].title), "Temp");
    EXPECT_EQ(u8(l.items[0].target), "C:\\Users\\user\\AppData\\Local\\Temp");
    EXPECT_EQ(u8(l.items[0].subtitle), "C:\\Users\\user\\AppData\\Local\\Temp");
    EXPECT_EQ(l.items[0].kind, 5);
    EXPECT_EQ(u8(l.items[1].title), "C:\\");
    EXPECT_EQ(u8(l.items[1].target), "C:\\");
    EXPECT_EQ(u8(l.items[2].target), "C:\\nowhere\\x.txt");
    EXPECT_TRUE(history_forget(u"C:\\Users\\user\\AppData\\Local\\Temp", nullptr));
    EXPECT_EQ(recents().count, 2);
}

TEST_F(HistoryTest, FullStoreReplacesTheOldestLaunch) {
    std::vector<std::u16string> keys;
    for (int i = 0; i < kHistoryMaxEntries; ++i) {
        keys.push_back(cat16(u"k", u16(std::to_string(i))));
        world.clock.advance_ms(1);
        launch(u"t", keys.back().c_str(), 15);
    }
    launch(u"t", keys[0].c_str(), 15);  // k0 is now the newest; k1 the oldest
    world.clock.advance_ms(1);
    launch(u"t", u"new", 15);
    std::lock_guard<std::mutex> hold(history_lock());
    HistoryStore& s = history_store();
    ASSERT_EQ(s.count, kHistoryMaxEntries);
    EXPECT_EQ(u8(s.entries[1].key), "new");
    EXPECT_EQ(s.entries[1].count, 1);
    EXPECT_EQ(u8(s.entries[0].key), "k0");
    EXPECT_EQ(s.entries[0].count, 2);
}

TEST_F(HistoryTest, LoadRules) {
    put(u"history.dat",
        "[hist]\nkey=ok\ntitle=\nact=3\ncount=2\nlast=123\n"
        "[hist]\nkey=\ncount=5\n"
        "[hist]\nkey=zero\ncount=0\n"
        "[hist]\nkey=nolast\ncount=1\nlast=x9\nact=\nsub=s\nparam=p\n"
        "[other]\nkey=ignored\ncount=1\n"
        "[hist]\nkey=noact\ncount=1\n");
    std::lock_guard<std::mutex> hold(history_lock());
    history_ensure_loaded_locked();
    HistoryStore& s = history_store();
    ASSERT_EQ(s.count, 3);
    EXPECT_EQ(u8(s.entries[0].title), "ok");  // an empty title falls back to the key
    EXPECT_EQ(s.entries[0].act, 1);           // kind 3 is not accepted
    EXPECT_EQ(s.entries[0].last, 123u);
    EXPECT_EQ(s.entries[1].last, 0u);
    EXPECT_EQ(s.entries[1].act, 1);  // an empty act reads as 0, which is not accepted
    EXPECT_EQ(u8(s.entries[1].param), "p");
    EXPECT_EQ(s.entries[2].act, 1);
}

TEST_F(HistoryTest, EveryChangeMovesTheCacheGenerationOn) {
    uint32_t g = cache_generation();
    launch(u"A", u"a", 15);
    EXPECT_EQ(cache_generation(), g + 1);
    history_forget(u"a", nullptr);
    EXPECT_EQ(cache_generation(), g + 2);
}

TEST_F(HistoryTest, JsonImportOnceThenRetired) {
    put(u"history.json",
        "[{\"key\": \"C:\\\\a.exe\", \"count\": 3, \"last\": 99, \"act\": 9, \"title\": \"A \\\"q\\\" \\u00e9\\u4e2d\"},"
        " {\"key\":\"\",\"count\":2}, {\"key\":\"b\",\"count\":0}, {\"title\":\"c\",\"key\":\"c\",\"count\":\"7\"},"
        " {\"key\":\"d\",\"count\":-1}, {\"count\":1,\"key\":\"e\",\"last\":\"5\"} {\"key\":\"f\",\"count\":1");
    {
        std::lock_guard<std::mutex> hold(history_lock());
        history_ensure_loaded_locked();
        HistoryStore& s = history_store();
        ASSERT_EQ(s.count, 2);
        EXPECT_EQ(u8(s.entries[0].key), "C:\\a.exe");
        EXPECT_EQ(u8(s.entries[0].title), "A \"q\" \xC3\xA9\xE4\xB8\xAD");
        EXPECT_EQ(s.entries[0].act, 1);
        EXPECT_EQ(s.entries[0].count, 3);
        EXPECT_EQ(s.entries[0].last, 99u);
        EXPECT_EQ(s.entries[1].last, 0u);  // "last" must be digits
    }
    EXPECT_FALSE(exists(u"history.json"));
    EXPECT_TRUE(exists(u"history.json.bak"));
    ASSERT_TRUE(file(u"history.dat"));
    EXPECT_NE(file(u"history.dat")->find("key=C:\\\\a.exe\r\n"), std::string::npos);
    // A second start reads the .dat and never looks at a JSON file again.
    put(u"history.json", "[{\"key\":\"z\",\"count\":1}]");
    history_unload();
    std::lock_guard<std::mutex> hold(history_lock());
    history_ensure_loaded_locked();
    EXPECT_EQ(history_store().count, 2);
}

TEST_F(HistoryTest, AnUnreadableFileIsNeverOverwritten) {
    put(u"history.dat", "[hist]\nkey=precious\ncount=9\n");
    FaultFiles fault(&world.files);
    fault.read_fails = true;
    auto s = faulty(fault);
    launch(u"New", u"new", 15);
    EXPECT_EQ(*file(u"history.dat"), "[hist]\nkey=precious\ncount=9\n");
    fault.read_fails = false;
    history_unload();
    launch(u"New", u"new", 15);
    EXPECT_NE(file(u"history.dat")->find("key=precious"), std::string::npos);
    EXPECT_NE(file(u"history.dat")->find("key=new"), std::string::npos);
}

}  // namespace

namespace {

// Workers boost while the window thread records, forgets and flushes: the lock keeps them apart.
TEST_F(HistoryTest, BoostRunsAlongsideRecordingAndUnloading) {
    std::atomic<bool> stop{false};
    auto worker = [&] {
        Arena* a = arena_create(4096);
        while (!stop.load()) {
            RowList l;
            rowlist_init(&l, a);
            Row r = row(u"App 1", u"app1", 1, 10);
            rowlist_add(&l, &r);
            history_boost(&l, u"app");
            EXPECT_GE(l.items[0].score, 10);
            arena_reset(a);
        }
        arena_destroy(a);
    };
    std::thread t1(worker), t2(worker);
    for (int i = 0; i < 100; ++i) {
        std::u16string key = cat16(u"app", u16(std::to_string(i % 7)));
        launch(u"App", key.c_str(), 1);
        if (i % 10 == 0) history_forget(key.c_str(), nullptr);
        if (i % 25 == 0) history_unload();
    }
    stop = true;
    t1.join();
    t2.join();
}

}  // namespace

namespace {

// Keys that share long folder prefixes and differ in case are all found, and near misses are not.
TEST_F(HistoryTest, BoostFindsEveryKeyAmongSimilarOnes) {
    std::vector<std::u16string> keys;
    for (int i = 0; i < 120; ++i) {
        std::string k = cat("C:\\Users\\user\\", i % 3 ? "Docs" : "docs", "\\item", std::to_string(i % 40), i >= 40 ? "\\x" : "",
                            i >= 80 ? "y" : "");
        keys.push_back(u16(k));
        launch(u"t", keys.back().c_str(), 15);
    }
    for (const std::u16string& k : keys) {
        std::u16string upper = k;
        for (char16_t& c : upper) c = text_fold(c) == c && c >= u'a' && c <= u'z' ? char16_t(c - 32) : c;
        for (const std::u16string& probe : {k, upper, cat16(k, u"z"), k.substr(0, k.size() - 1)}) {
            bool present = false;
            for (const std::u16string& other : keys) present |= text_equal_ci(other, probe);
            RowList l = list();
            Row r = row(u"t", probe.c_str(), 15, 0);
            rowlist_add(&l, &r);
            history_boost(&l, nullptr);
            EXPECT_EQ(l.items[0].score > 0, present) << u8(probe);
        }
    }
}

}  // namespace
