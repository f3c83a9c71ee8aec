// The system command rows, the tools view rows and tool pages, and the "Move to monitor" rows, on
// the fake machine; "sys" and mixed searches go through the launcher's own wiring.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/wiring.h"
#include "core/arena.h"
#include "core/row.h"
#include "platform/fake/fake_world.h"
#include "query/pipeline.h"
#include "query/pipeline_sources.h"
#include "query/query_cache.h"
#include "sources/commands.h"
#include "sources/tools.h"
#include "sources/tools_table.h"
#include "support/u16.h"

namespace {

struct Rows {
    Arena* arena = arena_create(16 * 1024);
    RowList list;
    Rows() { rowlist_init(&list, arena); }
    ~Rows() { arena_destroy(arena); }
    const Row& operator[](int32_t i) const { return list.items[i]; }
    int32_t count() const { return list.count; }
    const Row* find(std::string_view title) const {
        for (int32_t i = 0; i < list.count; ++i)
            if (u8(list.items[i].title) == title) return &list.items[i];
        return nullptr;
    }
};

std::string s8(const char16_t* s) { return s ? u8(s) : std::string("<null>"); }

class Commands : public ::testing::Test {
protected:
    Commands() : scope_(world_.platform()) {}
    FakeWorld world_;
    PlatformScope scope_;
};

constexpr int32_t kCommandKinds[kSystemCommandCount] = {11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 4, 21, 22, 23};

TEST_F(Commands, BlankTextListsEveryCommandInOrderThenOneMonitorRowPerMonitor) {
    world_.display.set_monitor_count(2);
    for (const char16_t* text : {u"", u"   ", u" \t "}) {
        Rows r;
        system_rows(text, &r.list);
        ASSERT_EQ(r.count(), kSystemCommandCount + 2) << s8(text);
        for (int32_t i = 0; i < kSystemCommandCount; ++i) {
            EXPECT_EQ(r[i].kind, kCommandKinds[i]) << i;
            EXPECT_EQ(r[i].score, 100);
            EXPECT_EQ(r[i].tag, 'C');
            EXPECT_EQ(r[i].path, nullptr);
        }
        EXPECT_EQ(s8(r[0].title), "Shutdown");
        EXPECT_EQ(s8(r[13].subtitle), "Open where pins are stored");
        for (int32_t i = 0; i < 2; ++i) {
            const Row& m = r[kSystemCommandCount + i];
            EXPECT_EQ(m.kind, kKindMoveToMonitor);
            EXPECT_EQ(m.number, i + 1);
            EXPECT_EQ(m.tag, 'C');
        }
        EXPECT_EQ(s8(r[kSystemCommandCount + 1].title), "Move to monitor 2");
        EXPECT_EQ(s8(r[kSystemCommandCount + 1].subtitle), "DISPLAY2 \u00b7 1920x1040 work area");
    }
}

TEST_F(Commands, SearchScoresTitlesFirstThenSubtitles) {
    struct Case {
        const char16_t* query;
        const char* title;  // the row that must be there
        int32_t kind;
        int32_t score;
    } cases[] = {
        {u"shut", "Shutdown", kKindShutdown, 100},           // title prefix
        {u"lock", "Lock", kKindLock, 110},                    // exact title
        {u"sign out", "Log Off", kKindLogOff, 80},            // only the subtitle, from a word start
        {u"bin", "Empty Recycle Bin", kKindEmptyRecycleBin, 85},
    };
    for (const auto& c : cases) {
        Rows r;
        search_commands(c.query, &r.list);
        const Row* row = r.find(c.title);
        ASSERT_NE(row, nullptr) << s8(c.query);
        EXPECT_EQ(row->kind, c.kind);
        EXPECT_EQ(row->score, c.score) << s8(c.query);
        EXPECT_EQ(row->tag, 'C');
    }
    Rows none;
    search_commands(u"zzqx", &none.list);
    EXPECT_EQ(none.count(), 0);
}

TEST_F(Commands, IndexingOptionsGetsControlExeAsIconOnlyWhenItExists) {
    auto icon = [] {
        Rows r;
        list_commands(&r.list);
        const Row* row = r.find("Indexing Options");
        return row ? s8(row->icon_source) : std::string("<no row>");
    };
    EXPECT_EQ(icon(), "<null>");
    world_.files.add_file(u"C:\\Windows\\System32\\control.exe", "MZ");
    EXPECT_EQ(icon(), "C:\\Windows\\System32\\control.exe");
    Rows r;
    search_commands(u"shut", &r.list);
    for (int32_t i = 0; i < r.count(); ++i) EXPECT_EQ(r[i].icon_source, nullptr);  // only that row has one
}

TEST_F(Commands, SubtitlesByKind) {
    EXPECT_EQ(s8(command_subtitle(kKindShutdown)), "Shut down this computer");
    EXPECT_EQ(s8(command_subtitle(kKindExit)), "Close Kestrune");
    EXPECT_EQ(s8(command_subtitle(kKindOpenDataFolder)), "Open where pins are stored");
    EXPECT_EQ(command_subtitle(kKindOpen), nullptr);
    EXPECT_EQ(command_subtitle(99), nullptr);
}

TEST_F(Commands, MonitorRows) {
    struct Case {
        int monitors;
        const char16_t* query;
        std::vector<int32_t> numbers;
    } cases[] = {
        {1, nullptr, {1}},
        {10, nullptr, {1, 2, 3, 4, 5, 6, 7, 8}},  // never more than eight
        {10, u"monitor 3", {3}},
        {3, u"display3", {3}},                   // the subtitle names the device
        {3, u"qqq", {}},
        {0, nullptr, {}},
    };
    for (const auto& c : cases) {
        world_.display.set_monitor_count(c.monitors);
        Rows r;
        monitor_rows(c.query, &r.list);
        std::vector<int32_t> got;
        for (int32_t i = 0; i < r.count(); ++i) got.push_back(r[i].number);
        EXPECT_EQ(got, c.numbers) << c.monitors << " " << s8(c.query);
    }
}

TEST_F(Commands, MonitorThatCannotBeReadIsLeftOutAndTheOthersKeepTheirNumbers) {
    world_.display.set_monitor_count(3);
    world_.display.list[1].info_ok = false;
    world_.display.list[2].device = u"\\\\.\\";  // nothing left once cleaned
    world_.display.list[2].work = DisplayRect{100, 100, 50, 40};  // inverted: clamped at 0
    Rows r;
    monitor_rows(nullptr, &r.list);
    ASSERT_EQ(r.count(), 2);
    EXPECT_EQ(r[0].number, 1);
    EXPECT_EQ(r[1].number, 3);
    EXPECT_EQ(s8(r[1].title), "Move to monitor 3");
    EXPECT_EQ(s8(r[1].subtitle), "display \u00b7 0x0 work area");
}

TEST_F(Commands, ToolRowsAndPages) {
    Rows tools;
    tool_list_rows(&tools.list);
    ASSERT_EQ(tools.count(), 3);
    const char* starts[] = {"gen ", "uninstall ", "sys "};
    for (int32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(tools[i].kind, kKindToolPage);
        EXPECT_EQ(tools[i].number, i);
        EXPECT_EQ(tools[i].score, 100 - i);
        EXPECT_EQ(tools[i].tag, 'U');
        EXPECT_EQ(s8(tools[i].title), u8(tool_name(i)));
        EXPECT_EQ(s8(tools[i].subtitle).rfind(starts[i], 0), 0u) << s8(tools[i].subtitle);
    }
    EXPECT_EQ(s8(tools[2].subtitle), "sys shutdown \u00b7 Power, recycle bin and app data");

    Rows none;
    run_tool(99, u"x", &none.list);
    run_tool(-1, u"x", &none.list);
    EXPECT_EQ(none.count(), 0);
    EXPECT_STREQ(reinterpret_cast<const char*>(u8(tool_name(99)).c_str()), "");

    Rows sys;
    run_tool(2, nullptr, &sys.list);
    EXPECT_EQ(sys.count(), kSystemCommandCount + 1);

    // A tool whose module registers its builder gets its page.
    tool_set_builder(0, [](const char16_t* arg, RowList* out) { rowlist_add_fields(out, arg, nullptr, nullptr, nullptr, 9, 1); });
    Rows pw;
    run_tool(0, u"24", &pw.list);
    ASSERT_EQ(pw.count(), 1);
    EXPECT_EQ(s8(pw[0].title), "24");
    tool_set_builder(0, nullptr);
    Rows gone;
    run_tool(0, u"24", &gone.list);
    EXPECT_EQ(gone.count(), 0);
}

// Through the search pipeline as the launcher wires it.
class CommandsQuery : public Commands {
protected:
    CommandsQuery() : saved_(pipeline_sources_install(PipelineSources{})) {
        cache_free();
        wiring_join_all();
    }
    ~CommandsQuery() override {
        cache_free();
        pipeline_sources_install(saved_);
    }
    PipelineSources saved_;
};

TEST_F(CommandsQuery, SysPrefixAndMixedSearch) {
    world_.display.set_monitor_count(2);
    {
        Rows r;
        run_query(u"sys", nullptr, &r.list, 0);
        EXPECT_EQ(r.count(), kSystemCommandCount + 2);
        EXPECT_NE(r.find("Kestrune Data Folder"), nullptr);
        EXPECT_NE(r.find("Move to monitor 2"), nullptr);
    }
    {
        Rows r;
        run_query(u"sys shutdown", nullptr, &r.list, 0);
        ASSERT_GE(r.count(), 1);
        EXPECT_EQ(r[0].kind, kKindShutdown);
    }
    {
        Rows r;
        run_query(u"shut", nullptr, &r.list, 0);
        const Row* row = r.find("Shutdown");
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->tag, 'C');
    }
}

}  // namespace
