#include <gtest/gtest.h>

#include <string>

#include "core/row.h"
#include "query/cache_generation.h"
#include "store/history.h"
#include "store/options.h"
#include "ui/theme_names.h"
#include "unit/store_fixture.h"

namespace {

class OptionsTest : public StoreTest {
public:
    bool has_line(const std::string& line) {
        auto f = file(u"settings.dat");
        return f && f->find(cat("\r\n", line, "\r\n")) != std::string::npos;
    }
    void restart() {
        options_reset();
        options_load();
    }
};

TEST_F(OptionsTest, TogglesAreSavedAtOnce) {
    options_toggle_stay_open();
    EXPECT_TRUE(has_line("stay_open=1"));
    options_toggle_stay_open();
    options_toggle_stay_open();
    EXPECT_TRUE(has_line("stay_open=1"));
    options_toggle_uncapped();
    EXPECT_TRUE(has_line("uncapped=1"));
    EXPECT_TRUE(has_line("stay_open=1"));
    options_toggle_hide_on_focus();
    EXPECT_TRUE(has_line("hide_on_focus=0"));
    restart();
    EXPECT_TRUE(options_stay_open());
    EXPECT_TRUE(options_uncapped());
    EXPECT_FALSE(options_hide_on_focus());
}

TEST_F(OptionsTest, WrittenFormInOrder) {
    options_set_spot(-5, 7, u"\\\\.\\DISPLAY2");
    ASSERT_TRUE(options_save());
    EXPECT_EQ(*file(u"settings.dat"),
              "\xEF\xBB\xBF# Kestrune data v1\r\n\r\n[set]\r\nstay_open=0\r\nuncapped=0\r\nhide_on_focus=1\r\n"
              "indexer=windows\r\nterminal=\r\nhotkey_mod=1\r\nhotkey_vk=32\r\nmonitor=primary\r\nui_width=768\r\n"
              "ui_rows=7\r\ntheme=dark\r\nmonitor_x=-5\r\nmonitor_y=7\r\nmonitor_dev=\\\\\\\\.\\\\DISPLAY2\r\n");
}

TEST_F(OptionsTest, ParseRulesAndClamps) {
    struct Case {
        const char* lines;
        const char* expect;  // a line the save must then contain
    } cases[] = {
        {"ui_width=9999\nui_rows=99", "ui_width=1024"},
        {"ui_width=9999\nui_rows=99", "ui_rows=15"},
        {"ui_width=100\nui_rows=0", "ui_width=640"},
        {"ui_width=100\nui_rows=0", "ui_rows=3"},
        {"ui_width= +800px", "ui_width=800"},
        {"hotkey_vk=0\nhotkey_mod=6", "hotkey_vk=32"},
        {"hotkey_mod=x", "hotkey_mod=0"},
        {"monitor=last", "monitor=remember"},
        {"monitor=CURSOR", "monitor=cursor"},
        {"monitor=left", "monitor=primary"},
        {"theme=high-contrast", "theme=hc"},
        {"theme=HighContrast", "theme=hc"},
        {"theme=LIGHT", "theme=light"},
        {"theme=blue", "theme=dark"},
        {"indexer=EveryThing", "indexer=everything"},
        {"indexer=other", "indexer=windows"},
        {"stay_open=TRUE", "stay_open=1"},
        {"stay_open=yes", "stay_open=0"},
        {"hide_on_focus=0", "hide_on_focus=0"},
        {"terminal=pwsh.exe|PowerShell 7", "terminal=pwsh.exe|PowerShell 7"},
    };
    for (const Case& c : cases) {
        put(u"settings.dat", cat("[set]\n", c.lines, "\n"));
        restart();
        ASSERT_TRUE(options_save());
        EXPECT_TRUE(has_line(c.expect)) << c.lines << "\n" << *file(u"settings.dat");
    }
    put(u"settings.dat", "[set]\ntheme=hc\nmonitor=last\nindexer=everything\n");
    restart();
    EXPECT_EQ(options_theme(), kThemeHighContrast);
    EXPECT_EQ(options_monitor(), kMonitorRemember);
    EXPECT_EQ(options_indexer(), kIndexerEverything);
}

TEST_F(OptionsTest, ObsoleteKeysAreDroppedAndUnknownKeysKept) {
    put(u"settings.dat",
        "[set]\nstay_open=0\nui_width=880\nfuture_a=1\n"
        "[set]\nrestore_last=1\nui_rowh=52\nui_fontscale=115\nsc_8_mod=2\nsc_8_vk=72\nsc_9_mod=2\nsc_9_vk=81\n"
        "future_opt=42\nfuture_a=2\n");
    options_load();  // the clean-up save happens during the load
    std::string f = *file(u"settings.dat");
    for (const char* gone : {"restore_last", "ui_rowh", "ui_fontscale", "sc_"}) EXPECT_EQ(f.find(gone), std::string::npos) << gone;
    EXPECT_TRUE(has_line("future_a=2"));
    EXPECT_TRUE(has_line("future_opt=42"));
    EXPECT_TRUE(has_line("ui_width=880"));
    EXPECT_EQ(options_ui_width(), 880);
    EXPECT_FALSE(options_stay_open());
}

TEST_F(OptionsTest, ManyExtraKeysSurviveTheRoundTrip) {
    std::string content = "[set]\n";
    for (int i = 0; i < 40; ++i) content += cat("k", std::to_string(i), "=", std::to_string(i), "\n", i % 16 == 10 ? "[set]\n" : "");
    put(u"settings.dat", content);
    restart();
    EXPECT_EQ(options().extra_count, 32);
    EXPECT_TRUE(options().extra_keys_lost);
    options_set_spot(1, 2, u"D");
    ASSERT_TRUE(options_save());
    restart();
    EXPECT_EQ(options().extra_count, 32);
    EXPECT_EQ(std::string(options().extra[31].key), "k31");
    EXPECT_TRUE(options_get_spot(nullptr, nullptr, nullptr, 0));
}

TEST_F(OptionsTest, NonAsciiExtraKeysBlockTheCleanUpSave) {
    put(u"settings.dat", "[set]\nrestore_last=1\nk\xC3\xA9=1\n");
    options_load();
    EXPECT_TRUE(options().extra_keys_lost);
    EXPECT_EQ(*file(u"settings.dat"), "[set]\nrestore_last=1\nk\xC3\xA9=1\n");
}

TEST_F(OptionsTest, SpotIsRememberedOnlyWithADeviceName) {
    options_set_spot(123, 456, u"DISPLAY1");
    int32_t x = 0, y = 0;
    char16_t dev[kMonitorDevCapacity];
    ASSERT_TRUE(options_get_spot(&x, &y, dev, kMonitorDevCapacity));
    EXPECT_EQ(x, 123);
    EXPECT_EQ(y, 456);
    EXPECT_EQ(u8(dev), "DISPLAY1");
    options_save();
    restart();
    EXPECT_TRUE(options_get_spot(&x, &y, dev, kMonitorDevCapacity));
    EXPECT_EQ(x, 123);

    options_set_spot(1, 2, u"");
    options_save();
    restart();
    EXPECT_FALSE(options_get_spot(&x, &y, dev, kMonitorDevCapacity));

    options_set_spot(1, 2, u"0123456789012345678901234567890123456789");
    options_get_spot(&x, &y, dev, kMonitorDevCapacity);
    EXPECT_EQ(u8(dev), "0123456789012345678901234567890");
}

TEST_F(OptionsTest, SettingsJsonMigratesOnce) {
    struct Case {
        const char* json;
        bool stay_open;
    } cases[] = {
        {"{\"stay_open\": true}", true}, {"{\"stay_open\":\t1}", true}, {"{\"stay_open\": True}", false},
        {"{\"stay_open\": false}", false}, {"{}", false},
    };
    for (const Case& c : cases) {
        world.files.remove(at(u"settings.dat"));
        world.files.remove(at(u"settings.json.bak"));
        put(u"settings.json", c.json);
        restart();
        EXPECT_EQ(options_stay_open(), c.stay_open) << c.json;
        EXPECT_TRUE(has_line(c.stay_open ? "stay_open=1" : "stay_open=0")) << c.json;
        EXPECT_FALSE(exists(u"settings.json"));
        EXPECT_EQ(*file(u"settings.json.bak"), c.json);
    }
    put(u"settings.json", "{\"stay_open\": false}");
    restart();  // settings.dat exists now: the JSON file is not looked at
    EXPECT_FALSE(options_stay_open());
    EXPECT_TRUE(exists(u"settings.json"));
}

TEST_F(OptionsTest, NothingIsWrittenWithoutAFile) {
    options_load();
    EXPECT_FALSE(exists(u"settings.dat"));
}

TEST_F(OptionsTest, SideEffectsOfTheSetters) {
    static int32_t selected = -1;
    static int flushes = 0;
    options_indexer_select_hook = [](int32_t indexer) { selected = indexer; };
    query_cache_flush_hook = [] { ++flushes; };
    uint32_t g = cache_generation();
    options_toggle_indexer();
    EXPECT_EQ(selected, kIndexerEverything);
    EXPECT_TRUE(has_line("indexer=everything"));
    EXPECT_EQ(cache_generation(), g + 1);
    options_set_indexer(kIndexerWindowsSearch);
    EXPECT_EQ(selected, kIndexerWindowsSearch);
    EXPECT_TRUE(has_line("indexer=everything"));  // set without saving
    EXPECT_EQ(cache_generation(), g + 2);
    options_toggle_folders_only();
    EXPECT_TRUE(options_folders_only());
    EXPECT_EQ(cache_generation(), g + 3);
    options_set_folders_only(true);
    EXPECT_EQ(cache_generation(), g + 3);
    options_set_folders_only(false);
    EXPECT_EQ(cache_generation(), g + 4);
    EXPECT_EQ(file(u"settings.dat")->find("folders"), std::string::npos);
    options_toggle_uncapped();
    EXPECT_EQ(flushes, 1);
    options_indexer_select_hook = nullptr;
    query_cache_flush_hook = nullptr;

    // Without a cache installed, the flush still drops the loaded history.
    {
        std::lock_guard<std::mutex> hold(history_lock());
        history_ensure_loaded_locked();
    }
    options_toggle_uncapped();
    std::lock_guard<std::mutex> hold(history_lock());
    EXPECT_FALSE(history_store().loaded);
}

TEST_F(OptionsTest, TerminalGoesThroughTheTerminalModule) {
    static std::u16string handed;
    options_terminal_set_hook = [](const char16_t* stored) { handed = stored; };
    options_terminal_key_hook = [](char16_t* out, size_t cap) {
        std::u16string_view key = u"wt.exe|Ubuntu";
        if (cap <= key.size()) return false;
        key.copy(out, key.size());
        out[key.size()] = 0;
        return true;
    };
    put(u"settings.dat", "[set]\nterminal=cmd.exe\n");
    restart();
    EXPECT_EQ(u8(handed), "cmd.exe");
    options_save();
    EXPECT_TRUE(has_line("terminal=wt.exe|Ubuntu"));
    options_terminal_set_hook = nullptr;
    options_terminal_key_hook = nullptr;
}

TEST_F(OptionsTest, StaysOpenAfter) {
    for (int32_t kind = 0; kind <= 43; ++kind) EXPECT_FALSE(options_stays_open_after(kind));
    options_toggle_stay_open();
    for (int32_t kind : {1, 5, 6, 7, 20, 23}) EXPECT_FALSE(options_stays_open_after(kind)) << kind;
    for (int32_t kind : {0, 2, 4, 8, 9, 19, 21, 24, 40}) EXPECT_TRUE(options_stays_open_after(kind)) << kind;
}

TEST_F(OptionsTest, AnUnreadableFileIsNotReplacedByDefaults) {
    put(u"settings.dat", "[set]\nstay_open=1\nfuture=1\n");
    FaultFiles fault(&world.files);
    fault.read_fails = true;
    auto s = faulty(fault);
    restart();
    options_toggle_hide_on_focus();
    EXPECT_EQ(*file(u"settings.dat"), "[set]\nstay_open=1\nfuture=1\n");
}

}  // namespace
