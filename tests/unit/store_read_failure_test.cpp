// What a store does when its file is there but cannot be read (locked, access denied) or memory
// runs out while it is read: the user's file is never saved over, and once it reads again the
// changes made meanwhile are added to it. A legacy JSON file that cannot be read is imported later.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/arena.h"
#include "core/row.h"
#include "store/data_files.h"
#include "store/history.h"
#include "store/menu_usage.h"
#include "store/options.h"
#include "store/pins.h"
#include "store/verb_cache.h"
#include "unit/store_fixture.h"

namespace {

class StoreReadFailure : public StoreTest {
public:
    bool has(std::u16string_view name, std::string_view text) {
        auto f = file(name);
        return f && f->find(text) != std::string::npos;
    }
    static void launch(const char16_t* title, const char16_t* target) {
        Row r{};
        r.title = const_cast<char16_t*>(title);
        r.target = const_cast<char16_t*>(target);
        r.kind = kKindOpen;
        history_record(&r);
    }
    // What the launcher does with its files from start-up to the first changes.
    static void start_and_change_everything() {
        options_reset();
        options_load();
        options_save();
        data_files_ensure();
        launch(u"New", u"C:\\new.exe");
        pin_toggle(nullptr, u"ms-settings:new", u"New page", nullptr, kKindSettings);
        menu_usage_record(kKindPinToggle, nullptr, nullptr);
    }
};

TEST_F(StoreReadFailure, MenuUsageKeepsTheUsersCountsAndAddsTheNewOnes) {
    const std::string before = "\xEF\xBB\xBF" "40\tpin\r\n12\tcopy:Copy path\r\n";
    put(u"menu_usage.dat", before);
    FaultFiles fault(&world.files);
    fault.read_fails = true;
    auto s = faulty(fault);
    menu_usage_load();
    menu_usage_record(kKindPinToggle, u"Pin to Quick Access", nullptr);
    menu_usage_record(kKindCopyFile, nullptr, nullptr);
    EXPECT_EQ(*file(u"menu_usage.dat"), before);  // still unreadable: nothing written
    fault.read_fails = false;
    menu_usage_record(kKindCopyText, u"Copy path", nullptr);
    EXPECT_EQ(*file(u"menu_usage.dat"), "\xEF\xBB\xBF" "41\tpin\r\n13\tcopy:Copy path\r\n1\tcopy:file\r\n");
    EXPECT_EQ(menu_usage_count(kKindPinToggle, nullptr, nullptr), 41);
}

TEST_F(StoreReadFailure, VerbCacheIsRebuiltButNotSavedOverTheFile) {
    const std::string before = "\xEF\xBB\xBFKESTRUNE_SHELL_VERBS 1\r\nK\tfile:.txt\r\nV\tedit\tEdit\t\r\n";
    put(u"shell_verbs.dat", before);
    FaultFiles fault(&world.files);
    fault.read_fails = true;
    auto s = faulty(fault);
    ShellVerb fresh{};
    std::u16string_view(u"open").copy(fresh.verb, 4);
    std::u16string_view(u"Open").copy(fresh.label, 4);
    verb_cache_store(u"dir", &fresh, 1);
    EXPECT_GE(verb_cache_find(u"dir"), 0);  // usable in memory
    EXPECT_FALSE(verb_cache_save());
    EXPECT_EQ(*file(u"shell_verbs.dat"), before);
    fault.read_fails = false;
    EXPECT_TRUE(verb_cache_save());
    EXPECT_TRUE(has(u"shell_verbs.dat", "K\tfile:.txt\r\nV\tedit\tEdit\t\r\n"));
    EXPECT_TRUE(has(u"shell_verbs.dat", "K\tdir\r\nV\topen\tOpen\t\r\n"));
}

TEST_F(StoreReadFailure, OptionsRetryTheReadAndKeepBothTheFileAndTheChanges) {
    put(u"settings.dat", "[set]\nstay_open=1\nui_width=880\nfuture=1\n");
    FaultFiles fault(&world.files);
    fault.read_fails = true;
    auto s = faulty(fault);
    options_reset();
    options_load();
    options_toggle_hide_on_focus();  // on -> off, in memory only
    EXPECT_EQ(*file(u"settings.dat"), "[set]\nstay_open=1\nui_width=880\nfuture=1\n");
    fault.read_fails = false;
    options_toggle_uncapped();  // the save reads the file again first
    EXPECT_TRUE(options_stay_open());
    EXPECT_EQ(options_ui_width(), 880);
    EXPECT_FALSE(options_hide_on_focus());
    EXPECT_TRUE(options_uncapped());
    for (const char* line : {"stay_open=1", "uncapped=1", "hide_on_focus=0", "ui_width=880", "future=1"})
        EXPECT_TRUE(has(u"settings.dat", cat("\r\n", line, "\r\n"))) << line;
}

// Every legacy file that exists but cannot be read: nothing is imported, no .dat is created that
// would stop the import, and the next start (the file readable again) imports it.
TEST_F(StoreReadFailure, UnreadableLegacyJsonIsImportedAtTheNextStart) {
    put(u"settings.json", "{\"stay_open\": true}");
    put(u"history.json", "[{\"key\":\"C:\\\\old.exe\",\"count\":3,\"title\":\"Old\"}]");
    put(u"quick_access.json", "[{\"param\":\"ms-settings:old\",\"title\":\"Old page\",\"act\":2}]");
    {
        FaultFiles fault(&world.files);
        fault.read_fails = true;
        fault.only_paths = u".json";
        auto s = faulty(fault);
        start_and_change_everything();
    }
    for (const char16_t* dat : {u"settings.dat", u"history.dat", u"quick_access.dat"}) EXPECT_FALSE(exists(dat)) << u8(dat);
    reset_stores();
    start_and_change_everything();
    struct Case {
        const char16_t* dat;
        const char* imported;
        const char16_t* json;
    } cases[] = {
        {u"settings.dat", "stay_open=1", u"settings.json"},
        {u"history.dat", "key=C:\\\\old.exe", u"history.json"},
        {u"quick_access.dat", "param=ms-settings:old", u"quick_access.json"},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(has(c.dat, c.imported)) << u8(c.dat);
        EXPECT_FALSE(exists(c.json)) << u8(c.json);
        EXPECT_TRUE(exists(cat16(c.json, u".bak"))) << u8(c.json);
    }
}

// Memory runs out after every possible number of allocations during start-up and the first
// changes: whatever was read, each file still holds everything the user had.
TEST_F(StoreReadFailure, RunningOutOfMemoryWhileReadingNeverLosesEntries) {
    std::string history, pins;
    for (int i = 0; i < 20; ++i) {
        std::string n = std::to_string(i);
        history += cat("[hist]\nkey=C:\\app", n, ".exe\ncount=2\ntitle=App ", n, "\n");
        pins += cat("[pin]\nparam=ms-settings:p", n, "\ntitle=Page ", n, "\nact=2\n");
    }
    const std::string settings = "[set]\nstay_open=1\nui_rows=12\nfuture=1\n";
    bool whole_run = false;
    for (int64_t n = 0; n < 2000 && !whole_run; ++n) {
        put(u"history.dat", history);
        put(u"quick_access.dat", pins);
        put(u"settings.dat", settings);
        reset_stores();
        arena_fail_after(n);
        start_and_change_everything();
        arena_fail_after(-1);
        whole_run = has(u"history.dat", "key=C:\\\\new.exe") && has(u"quick_access.dat", "ms-settings:new");
        for (int i = 0; i < 20; ++i) {
            std::string k = std::to_string(i);
            ASSERT_TRUE(has(u"history.dat", cat("key=C:\\\\app", k, ".exe\r\n")) || has(u"history.dat", cat("key=C:\\app", k, ".exe\n")))
                << "after " << n << " allocations, entry " << i;
            ASSERT_TRUE(has(u"quick_access.dat", cat("ms-settings:p", k, "\n")) || has(u"quick_access.dat", cat("ms-settings:p", k, "\r\n")))
                << "after " << n << " allocations, pin " << i;
        }
        ASSERT_TRUE(has(u"settings.dat", "stay_open=1") && has(u"settings.dat", "future=1")) << n;
    }
    EXPECT_TRUE(whole_run);  // enough allocations for everything to succeed were reached
}

}  // namespace
