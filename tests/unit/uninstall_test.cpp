// The uninstaller over a fake registry: which subkeys become programs, what their rows say, when
// the registry is read again, and how an uninstall command is split and run.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "actions/actions.h"
#include "core/row.h"
#include "core/text.h"
#include "platform/fake/fake_world.h"
#include "sources/password_uninstall_join.h"
#include "sources/uninstall.h"
#include "support/u16.h"

namespace {

constexpr const char16_t* kHklm = kUninstallLocations[0].key;
constexpr const char16_t* kHklmWow = kUninstallLocations[1].key;
constexpr const char16_t* kHkcu = kUninstallLocations[2].key;
constexpr const char16_t* kHkcuWow = kUninstallLocations[3].key;

struct Value {
    const char16_t* name;
    std::u16string text;  // a REG_SZ unless dword is set
    bool is_dword = false;
    uint32_t dword = 0;
};
Value sz(const char16_t* name, std::u16string text) { return {name, std::move(text)}; }
Value dw(const char16_t* name, uint32_t v) { return {name, u"", true, v}; }

class Uninstall : public ::testing::Test {
protected:
    void SetUp() override {
        uninstall_invalidate();
        saved_ = action_services();
        password_uninstall_join();
    }
    void TearDown() override {
        rowlist_free(&list_);
        uninstall_invalidate();
        action_services() = saved_;
    }

    void add(RegistryRoot root, const char16_t* location, std::u16string_view subkey, const std::vector<Value>& values) {
        std::u16string key = std::u16string(location) + u"\\" + std::u16string(subkey);
        w_.registry.add_key(root, key);
        for (const Value& v : values) {
            if (v.is_dword) w_.registry.set_dword(root, key, v.name, v.dword);
            else w_.registry.set_string(root, key, v.name, v.text);
        }
    }
    // A listed program in HKLM with a name and a command, plus the given values.
    void program(std::u16string_view subkey, const char16_t* name, std::vector<Value> more = {}) {
        more.insert(more.begin(), {sz(u"DisplayName", name), sz(u"UninstallString", u"C:\\Apps\\" + std::u16string(subkey) + u"\\un.exe")});
        add(RegistryRoot::LocalMachine, kHklm, subkey, more);
    }
    std::vector<Row> rows(const char16_t* text) {
        rowlist_free(&list_);
        rowlist_init(&list_, nullptr);
        uninstall_rows(text, &list_);
        return std::vector<Row>(list_.items, list_.items + list_.count);
    }
    const Row* find(const std::vector<Row>& r, std::u16string_view title) {
        for (const Row& row : r)
            if (text_view(row.title) == title) return &row;
        return nullptr;
    }

    FakeWorld w_;
    PlatformScope scope_{w_.platform()};
    ActionServices saved_;
    RowList list_{};
};

TEST_F(Uninstall, EntryRules) {
    struct Case {
        const char* why;
        std::vector<Value> values;  // besides a name and a command, unless they are given here
        bool listed;
    };
    const std::u16string name255(255, u'n'), name256(256, u'n');
    const std::u16string cmd1023 = u"C:\\un.exe " + std::u16string(1013, u'x'), cmd1024 = cmd1023 + u"x";
    const Case cases[] = {
        {"plain", {}, true},
        {"no name", {sz(u"DisplayName", u"")}, false},
        {"name of 255", {sz(u"DisplayName", name255)}, true},
        {"name of 256", {sz(u"DisplayName", name256)}, false},
        {"name not a string", {dw(u"DisplayName", 1)}, false},
        {"empty command", {sz(u"UninstallString", u"")}, false},
        {"command of 1023", {sz(u"UninstallString", cmd1023)}, true},
        {"command of 1024", {sz(u"UninstallString", cmd1024)}, false},
        {"system component", {dw(u"SystemComponent", 1)}, false},
        {"system component 0", {dw(u"SystemComponent", 0)}, true},
        {"system component as text", {sz(u"SystemComponent", u"1")}, true},
        {"no remove", {dw(u"NoRemove", 2)}, false},
        {"part of a product", {sz(u"ParentKeyName", u"OfficeSuite")}, false},
        {"empty parent", {sz(u"ParentKeyName", u"")}, true},
        {"parent of 15", {sz(u"ParentKeyName", std::u16string(15, u'p'))}, false},
        {"parent of 16 is unreadable", {sz(u"ParentKeyName", std::u16string(16, u'p'))}, true},
        {"hotfix", {sz(u"ReleaseType", u"Hotfix")}, false},
        {"security update", {sz(u"ReleaseType", u"security UPDATE")}, false},
        {"update", {sz(u"ReleaseType", u"Update")}, false},
        {"service pack", {sz(u"ReleaseType", u"Service Pack")}, true},
        {"update rollup", {sz(u"ReleaseType", u"Update Rollup")}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        w_.registry.remove_key(RegistryRoot::LocalMachine, kHklm);
        std::vector<Value> values = {sz(u"DisplayName", u"Probe"), sz(u"UninstallString", u"C:\\un.exe")};
        for (const Value& v : c.values) {
            bool replaced = false;
            for (Value& have : values)
                if (text_equal_ci(have.name, v.name)) have = v, replaced = true;
            if (!replaced) values.push_back(v);
        }
        add(RegistryRoot::LocalMachine, kHklm, u"Probe", values);
        UninstallEntry e;
        EXPECT_EQ(uninstall_read_entry(RegistryRoot::LocalMachine, std::u16string(kHklm) + u"\\Probe", e), c.listed);
        uninstall_invalidate();
        EXPECT_EQ(rows(u"").size(), c.listed ? 1u : 0u);
    }
    // A subkey with nothing in it at all.
    w_.registry.remove_key(RegistryRoot::LocalMachine, kHklm);
    w_.registry.add_key(RegistryRoot::LocalMachine, std::u16string(kHklm) + u"\\Empty");
    uninstall_invalidate();
    EXPECT_TRUE(rows(u"").empty());
}

TEST_F(Uninstall, AllFourLocationsBecomeRows) {
    add(RegistryRoot::LocalMachine, kHklm, u"{A1}", {sz(u"DisplayName", u"Machine App"), sz(u"UninstallString", u"C:\\m\\un.exe")});
    add(RegistryRoot::LocalMachine, kHklmWow, u"Old32", {sz(u"DisplayName", u"Machine 32"), sz(u"UninstallString", u"C:\\m32\\un.exe")});
    add(RegistryRoot::CurrentUser, kHkcu, u"UserApp", {sz(u"DisplayName", u"User App"), sz(u"UninstallString", u"C:\\u\\un.exe")});
    add(RegistryRoot::CurrentUser, kHkcuWow, u"User32", {sz(u"DisplayName", u"User 32"), sz(u"UninstallString", u"C:\\u32\\un.exe")});
    // The same program in two places is listed twice: the rows run different commands.
    add(RegistryRoot::CurrentUser, kHkcu, u"Dup", {sz(u"DisplayName", u"Machine App"), sz(u"UninstallString", u"C:\\dup\\un.exe")});
    std::vector<Row> r = rows(u"  ");
    ASSERT_EQ(r.size(), 5u);
    for (const Row& row : r) {
        EXPECT_EQ(row.kind, kKindUninstall);
        EXPECT_EQ(row.tag, tag::kUtility);
        EXPECT_EQ(row.score, 100);
        EXPECT_NE(text_len(row.title), 0u);
    }
    EXPECT_EQ(text_view(find(r, u"Machine 32")->target), u"C:\\m32\\un.exe");
    EXPECT_EQ(text_view(find(r, u"User 32")->target), u"C:\\u32\\un.exe");
    EXPECT_EQ(text_view(find(r, u"User App")->target), u"C:\\u\\un.exe");
    // Ties sort by title.
    EXPECT_EQ(text_view(r[0].title), u"Machine 32");
    EXPECT_EQ(text_view(r[4].title), u"User App");
}

TEST_F(Uninstall, SubtitlesSizesAndIcons) {
    w_.env.set(u"SystemRoot", u"C:\\Windows");
    program(u"a", u"Alpha", {sz(u"Publisher", u"Acme"), sz(u"DisplayVersion", u"2.1"), dw(u"EstimatedSize", 1024)});
    program(u"b", u"Beta", {sz(u"Publisher", u"Acme"), dw(u"EstimatedSize", 5000000)});  // 5 GB: past 32 bits in bytes
    program(u"c", u"Gamma", {sz(u"DisplayVersion", u"1.0")});
    program(u"d", u"Delta", {dw(u"EstimatedSize", 0), sz(u"Publisher", u"")});
    program(u"e", u"Epsilon", {sz(u"Publisher", std::u16string(255, u'p')), sz(u"DisplayVersion", u"9"),
                                sz(u"DisplayVersion", std::u16string(64, u'v'))});
    std::vector<Row> r = rows(nullptr);
    ASSERT_EQ(r.size(), 5u);
    EXPECT_EQ(text_view(find(r, u"Alpha")->subtitle), u"Acme - 2.1 - 1.0 MiB");
    EXPECT_EQ(text_view(find(r, u"Beta")->subtitle), u"Acme - 4.77 GiB");
    EXPECT_EQ(text_view(find(r, u"Gamma")->subtitle), u"1.0");
    EXPECT_EQ(text_view(find(r, u"Delta")->subtitle), u"");
    EXPECT_EQ(text_view(find(r, u"Epsilon")->subtitle), std::u16string(255, u'p'));  // a version of 64 is absent

    struct Icon {
        const char16_t* value;
        const char16_t* want;  // null: no icon
    };
    const Icon icons[] = {
        {u"C:\\Apps\\app.exe,0", u"C:\\Apps\\app.exe"},
        {u"C:\\Apps\\app.exe,-101", u"C:\\Apps\\app.exe"},
        {u"\"C:\\Program Files\\Foo, Inc\\app.exe\",0", u"C:\\Program Files\\Foo, Inc\\app.exe"},
        {u"C:\\Program Files\\Foo, Inc\\app.exe", u"C:\\Program Files\\Foo, Inc\\app.exe"},
        {u"\"C:\\Apps\\icon.ico\"", u"C:\\Apps\\icon.ico"},
        {u"%SystemRoot%\\system32\\msiexec.exe,0", u"C:\\Windows\\system32\\msiexec.exe"},
        {u"%NoSuchVariable%\\app.exe", u"%NoSuchVariable%\\app.exe"},
        {u"C:\\Apps\\app.exe, 3 ", u"C:\\Apps\\app.exe"},
        {u",0", nullptr},
        {u"\"\"", nullptr},
    };
    for (const Icon& i : icons) {
        SCOPED_TRACE(u8(i.value));
        w_.registry.set_string(RegistryRoot::LocalMachine, std::u16string(kHklm) + u"\\a", u"DisplayIcon", i.value);
        uninstall_invalidate();
        const std::vector<Row> listed = rows(u"");
        const Row* alpha = find(listed, u"Alpha");
        ASSERT_NE(alpha, nullptr);
        if (i.want) {
            EXPECT_EQ(text_view(alpha->icon_source), i.want);
        } else {
            EXPECT_EQ(alpha->icon_source, nullptr);
        }
    }
}

TEST_F(Uninstall, FilterScoresNamesAndSorts) {
    program(u"c", u"Google Chrome");
    program(u"f", u"Mozilla Firefox");
    program(u"n", u"Notepad++");
    std::vector<Row> r = rows(u"  chrome");
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(text_view(r[0].title), u"Google Chrome");
    EXPECT_EQ(r[0].score, 85);  // a word start
    r = rows(u"notepad++");
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].score, 110);
    r = rows(u"o");
    ASSERT_EQ(r.size(), 3u);
    for (size_t i = 1; i < r.size(); ++i) EXPECT_GE(r[i - 1].score, r[i].score);
    EXPECT_TRUE(rows(u"zzqqxx").empty());
}

TEST_F(Uninstall, TheRegistryIsReadAtMostOnceAMinuteAndAgainAfterAnUninstall) {
    program(u"a", u"Alpha");
    const uint64_t scans = uninstall_scan_count();
    EXPECT_EQ(rows(u"").size(), 1u);
    program(u"b", u"Beta");  // installed while the cache is warm
    w_.clock.advance_ms(59999);
    EXPECT_EQ(rows(u"").size(), 1u);
    EXPECT_EQ(uninstall_scan_count(), scans + 1);
    w_.clock.advance_ms(1);
    EXPECT_EQ(rows(u"").size(), 2u);
    EXPECT_EQ(uninstall_scan_count(), scans + 2);

    // Running the uninstaller drops the cache: the next query reads the registry again.
    Row run = rows(u"alpha")[0];
    w_.registry.remove_key(RegistryRoot::LocalMachine, std::u16string(kHklm) + u"\\a");
    ASSERT_TRUE(action_execute(&run));
    ASSERT_FALSE(w_.shell.log.empty());
    EXPECT_EQ(w_.shell.log.back(), u"ShellExecuteW verb=\"open\" file=\"C:\\Apps\\a\\un.exe\" params=\"\" dir=\"\" show=1");
    EXPECT_EQ(uninstall_cached_count(), 0);
    std::vector<Row> after = rows(u"");
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(text_view(after[0].title), u"Beta");
    EXPECT_EQ(uninstall_scan_count(), scans + 3);
}

TEST_F(Uninstall, AFailedStartLeavesTheCacheAlone) {
    program(u"a", u"Alpha", {sz(u"QuietUninstallString", u"C:\\Apps\\a\\un.exe /S")});
    std::vector<Row> r = rows(u"");
    ASSERT_EQ(r.size(), 1u);
    const uint64_t scans = uninstall_scan_count();
    w_.shell.execute_results.push_back(2);  // ERROR_FILE_NOT_FOUND
    Row run = r[0];
    EXPECT_FALSE(action_execute(&run));
    Row blank = r[0];
    blank.target = const_cast<char16_t*>(u" \t");
    blank.kind = kKindQuietUninstall;
    EXPECT_FALSE(action_execute(&blank));
    EXPECT_EQ(uninstall_cached_count(), 1);
    rows(u"");
    EXPECT_EQ(uninstall_scan_count(), scans);
}

TEST_F(Uninstall, QuietUninstallFindsTheProgramByNameAndCommand) {
    add(RegistryRoot::LocalMachine, kHklm, u"Tool64",
        {sz(u"DisplayName", u"Tool"), sz(u"UninstallString", u"C:\\Tool64\\un.exe"),
         sz(u"QuietUninstallString", u"C:\\Tool64\\un.exe /S"), sz(u"InstallLocation", u"C:\\Tool64")});
    add(RegistryRoot::CurrentUser, kHkcu, u"ToolUser",
        {sz(u"DisplayName", u"TOOL"), sz(u"UninstallString", u"C:\\Users\\u\\Tool\\un.exe"),
         sz(u"QuietUninstallString", u"C:\\Users\\u\\Tool\\un.exe /quiet")});
    std::vector<Row> r = rows(u"tool");
    ASSERT_EQ(r.size(), 2u);
    std::u16string quiet, location;
    ASSERT_TRUE(uninstall_lookup(u"tool", u"C:\\Users\\u\\Tool\\un.exe", quiet, location));
    EXPECT_EQ(quiet, u"C:\\Users\\u\\Tool\\un.exe /quiet");
    EXPECT_EQ(location, u"");
    ASSERT_TRUE(uninstall_lookup(u"Tool", u"C:\\Tool64\\un.exe", quiet, location));
    EXPECT_EQ(quiet, u"C:\\Tool64\\un.exe /S");
    EXPECT_EQ(location, u"C:\\Tool64");
    EXPECT_FALSE(uninstall_lookup(u"Tool", u"C:\\Elsewhere\\un.exe", quiet, location));
    EXPECT_TRUE(quiet.empty());
    EXPECT_FALSE(uninstall_lookup(u"Tool", nullptr, quiet, location));
    // A location stored as REG_EXPAND_SZ is expanded; a plain string keeps its percent signs.
    w_.env.set(u"ProgramFiles", u"C:\\Program Files");
    const std::u16string tool64 = std::u16string(kHklm) + u"\\Tool64";
    w_.registry.set_string(RegistryRoot::LocalMachine, tool64, u"InstallLocation", u"%ProgramFiles%\\Tool", win::kRegExpandSz);
    uninstall_invalidate();
    rows(u"");
    ASSERT_TRUE(uninstall_lookup(u"Tool", u"C:\\Tool64\\un.exe", quiet, location));
    EXPECT_EQ(location, u"C:\\Program Files\\Tool");
    w_.registry.set_string(RegistryRoot::LocalMachine, tool64, u"InstallLocation", u"%ProgramFiles%\\Tool");
    uninstall_invalidate();
    rows(u"");
    ASSERT_TRUE(uninstall_lookup(u"Tool", u"C:\\Tool64\\un.exe", quiet, location));
    EXPECT_EQ(location, u"%ProgramFiles%\\Tool");
    EXPECT_FALSE(uninstall_lookup(u"", u"C:\\Tool64\\un.exe", quiet, location));
}

TEST_F(Uninstall, SplittingCommands) {
    w_.env.set(u"ProgramFiles", u"C:\\Program Files");
    w_.files.add_file(u"C:\\Program Files\\Test App\\uninst.exe", "MZ");
    w_.files.add_file(u"C:\\Program.exe", "MZ");  // planted beside the real one
    struct Case {
        const char16_t* command;
        bool ok;
        const char16_t* exe;
        const char16_t* args;
    };
    const std::u16string long_exe = u"C:\\" + std::u16string(257, u'x'), max_exe = u"C:\\" + std::u16string(256, u'x');
    const std::u16string long_args = u"C:\\un.exe " + std::u16string(3000, u'a');
    const Case cases[] = {
        {u"", false, u"", u""},
        {u" \t ", false, u"", u""},
        {u"\"\" /x", false, u"", u""},
        {u"\"C:\\Program Files\\Test App\\uninst.exe\" /uninstall", true, u"C:\\Program Files\\Test App\\uninst.exe", u"/uninstall"},
        {u"C:\\Tools\\un.exe /S /v/qn", true, u"C:\\Tools\\un.exe", u"/S /v/qn"},
        {u"MsiExec.exe /X{12345678-1234-1234-1234-123456789ABC}", true, u"MsiExec.exe", u"/X{12345678-1234-1234-1234-123456789ABC}"},
        // Unquoted with spaces: the path that names the file, not C:\Program.
        {u"C:\\Program Files\\Test App\\uninst.exe /S", true, u"C:\\Program Files\\Test App\\uninst.exe", u"/S"},
        {u"  C:\\Program Files\\Test App\\uninst.exe", true, u"C:\\Program Files\\Test App\\uninst.exe", u""},
        {u"%ProgramFiles%\\Test App\\uninst.exe  /S /x", true, u"C:\\Program Files\\Test App\\uninst.exe", u"/S /x"},
        {u"\"%ProgramFiles%\\Other\\un.exe\"", true, u"C:\\Program Files\\Other\\un.exe", u""},
        {u"\"C:\\Unclosed\\un.exe /S", true, u"C:\\Unclosed\\un.exe /S", u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(u8(c.command));
        std::u16string exe = u"stale", args = u"stale";
        EXPECT_EQ(uninstall_split(c.command, exe, args), c.ok);
        EXPECT_EQ(exe, c.exe);
        EXPECT_EQ(args, c.args);
    }
    std::u16string exe, args;
    EXPECT_FALSE(uninstall_split(nullptr, exe, args));
    EXPECT_FALSE(uninstall_split((long_exe + u" /S").c_str(), exe, args));
    EXPECT_TRUE(uninstall_split((max_exe + u" /S").c_str(), exe, args));
    EXPECT_EQ(exe.size(), 259u);
    ASSERT_TRUE(uninstall_split(long_args.c_str(), exe, args));
    EXPECT_EQ(args.size(), 2047u);
}

TEST_F(Uninstall, RunningTheRowOfAnUnquotedPathStartsThatProgram) {
    w_.files.add_file(u"C:\\Program Files\\Test App\\uninst.exe", "MZ");
    w_.files.add_file(u"C:\\Program.exe", "MZ");
    program(u"t", u"Test App", {sz(u"UninstallString", u"C:\\Program Files\\Test App\\uninst.exe /S /log x.txt")});
    std::vector<Row> r = rows(u"test");
    ASSERT_EQ(r.size(), 1u);
    ASSERT_TRUE(action_execute(&r[0]));
    ASSERT_EQ(w_.shell.log.size(), 1u);
    EXPECT_EQ(w_.shell.log[0],
              u"ShellExecuteW verb=\"open\" file=\"C:\\Program Files\\Test App\\uninst.exe\" params=\"/S /log x.txt\" dir=\"\" show=1");
}

TEST_F(Uninstall, TheScanStopsAt2048Programs) {
    for (int i = 0; i < 2100; ++i) {
        std::u16string n = u16(std::to_string(10000 + i));
        add(i % 2 ? RegistryRoot::CurrentUser : RegistryRoot::LocalMachine, i % 2 ? kHkcu : kHklm, n,
            {sz(u"DisplayName", u"App " + n), sz(u"UninstallString", u"C:\\" + n + u"\\un.exe")});
    }
    EXPECT_EQ(rows(u"").size(), 2048u);
    EXPECT_EQ(uninstall_cached_count(), 2048);
}

TEST_F(Uninstall, QueriesLookupsAndInvalidationOnSeveralThreads) {
    for (int i = 0; i < 40; ++i) program(u16(std::to_string(i)), (u"App " + u16(std::to_string(i))).c_str());
    std::atomic<bool> bad{false};
    auto query = [&] {
        for (int k = 0; k < 200; ++k) {
            RowList l;
            rowlist_init(&l, nullptr);
            uninstall_rows(u"app", &l);
            if (l.count != 40) bad = true;
            rowlist_free(&l);
        }
    };
    std::thread a(query), b(query);
    std::thread c([&] {
        std::u16string q, loc;
        for (int k = 0; k < 200; ++k) {
            uninstall_lookup(u"App 3", u"C:\\Apps\\3\\un.exe", q, loc);
            if (k % 10 == 0) uninstall_invalidate();
        }
    });
    a.join();
    b.join();
    c.join();
    EXPECT_FALSE(bad);
}

}  // namespace
