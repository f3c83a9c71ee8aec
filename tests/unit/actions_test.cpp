#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "actions/actions.h"
#include "actions/shell_actions.h"
#include "core/row.h"
#include "core/text.h"
#include "platform/fake/fake_world.h"
#include "store/history.h"
#include "store/options.h"
#include "store/pins.h"
#include "support/u16.h"

namespace {

// A row whose strings live as long as the fixture.
struct TestRow {
    std::u16string target, argument, path;
    Row row{};
    TestRow(int32_t kind, std::u16string t = {}, std::u16string a = {}, int32_t number = 0, int32_t sub_kind = 0,
            std::u16string p = {})
        : target(std::move(t)), argument(std::move(a)), path(std::move(p)) {
        row.kind = kind;
        row.number = number;
        row.sub_kind = sub_kind;
        row.target = target.empty() ? nullptr : target.data();
        row.argument = argument.empty() ? nullptr : argument.data();
        row.path = path.empty() ? nullptr : path.data();
    }
};

class Actions : public ::testing::Test {
protected:
    void SetUp() override {
        action_services() = ActionServices{};
        w.env.set(u"KESTRUNE_DATA_DIR", u"C:\\KData");
        w.files.add_folder(u"C:\\KData");
        history_unload();
        options_reset();
    }
    void TearDown() override {
        action_services() = ActionServices{};
        history_unload();
        options_reset();
    }

    std::vector<std::string> log() {
        std::vector<std::string> out;
        for (const auto& line : w.shell.log) out.push_back(u8(line));
        return out;
    }

    FakeWorld w;
    PlatformScope scope{w.platform()};
};

std::string open_call(const std::string& file, const std::string& params, int show) {
    return "ShellExecuteW verb=\"open\" file=\"" + file + "\" params=\"" + params + "\" dir=\"\" show=" + std::to_string(show);
}

struct KindCase {
    int32_t kind;
    const char* target;
    bool done;
    std::vector<std::string> calls;
};

TEST_F(Actions, EachKindMakesItsCallsAndReportsItsResult) {
    const KindCase cases[] = {
        {kKindOpen, "C:\\Tools\\app.exe", true, {open_call("C:\\Tools\\app.exe", "", 1)}},
        {kKindOpen, "", false, {}},
        {kKindSettings, "ms-settings:display", true, {open_call("ms-settings:display", "", 1)}},
        {kKindSettings, "", false, {}},
        {kKindContainingFolder, "C:\\Docs\\a.txt", true, {open_call("explorer.exe", "/select,\"C:\\Docs\\a.txt\"", 1)}},
        {kKindInstallLocation, "C:\\Program Files\\App\\app.exe", true,
         {open_call("explorer.exe", "/select,\"C:\\Program Files\\App\\app.exe\"", 1)}},
        {kKindOpenWith, "C:\\Docs\\a.txt", false,
         {"ShellExecuteExW verb=\"openas\" file=\"C:\\Docs\\a.txt\" params=\"\" dir=\"\" show=1 mask=0xc owner=1 idlist=1"}},
        {kKindOpenWith, "", false, {}},
        {kKindRunAsAdmin, "C:\\Tools\\app.exe", true,
         {"ShellExecuteW verb=\"runas\" file=\"C:\\Tools\\app.exe\" params=\"\" dir=\"\" show=1"}},
        {kKindRunAsAdmin, "", false, {}},
        {kKindShutdown, "", true, {open_call("shutdown.exe", "/s /t 0", 0)}},
        {kKindRestart, "", true, {open_call("shutdown.exe", "/r /t 0", 0)}},
        {kKindRestartAdvanced, "", true, {open_call("shutdown.exe", "/r /o /t 0", 0)}},
        {kKindLogOff, "", true, {open_call("shutdown.exe", "/l", 0)}},
        {kKindLock, "", true, {"LockWorkStation"}},
        {kKindSleep, "", true, {"SetSuspendState hibernate=0 force=1 disable_wake=0"}},
        {kKindHibernate, "", true, {"SetSuspendState hibernate=1 force=1 disable_wake=0"}},
        {kKindIndexingOptions, "", true, {open_call("control.exe", "/name Microsoft.IndexingOptions", 0)}},
        {kKindEmptyRecycleBin, "", true, {"SHEmptyRecycleBinW flags=0x0"}},
        {kKindOpenRecycleBin, "", true, {open_call("explorer.exe", "shell:RecycleBinFolder", 1)}},
        {kKindRestartLauncher, "", true, {open_call("C:\\Program Files\\Kestrune\\kestrune.exe", "", 1)}},
        // Kinds the views handle, and the ones whose modules are not running, do nothing.
        {kKindInfo, "C:\\x.exe", false, {}},
        {kKindExit, "C:\\x.exe", false, {}},
        {kKindChooseShell, "C:\\x.exe", false, {}},
        {kKindToolPage, "C:\\x.exe", false, {}},
        {kKindOptTheme, "C:\\x.exe", false, {}},
        {kKindUnused28, "C:\\x.exe", false, {}},
        {99, "C:\\x.exe", false, {}},
        {kKindOpenInTerminal, "C:\\x", false, {}},
        {kKindShellVerb, "C:\\x", false, {}},
        {kKindForget, "C:\\x", false, {}},
        {kKindReloadApps, "", false, {}},
        {kKindOpenDataFolder, "", true, {open_call("C:\\KData", "", 1)}},
        {kKindUninstall, "C:\\u.exe", false, {}},
        {kKindProcess, "", false, {}},
    };
    for (const KindCase& c : cases) {
        SCOPED_TRACE("kind " + std::to_string(c.kind) + " target " + c.target);
        w.shell.log.clear();
        TestRow r(c.kind, u16(c.target), u"name");
        EXPECT_EQ(action_execute(&r.row), c.done);
        EXPECT_EQ(log(), c.calls);
    }
    EXPECT_FALSE(action_execute(nullptr));
}

TEST_F(Actions, FailedSystemCallsAreNotDone) {
    w.shell.execute_results = {2};
    TestRow open(kKindOpen, u"C:\\missing.exe");
    EXPECT_FALSE(action_execute(&open.row));
    w.shell.execute_results = {32};
    TestRow shutdown(kKindShutdown);
    EXPECT_FALSE(action_execute(&shutdown.row));
    w.shell.execute_results = {33};
    EXPECT_TRUE(action_execute(&shutdown.row));

    w.shell.lock_result = false;
    w.shell.suspend_result = false;
    w.shell.recycle_result = int32_t(0x80004005);  // E_FAIL
    for (int32_t kind : {kKindLock, kKindSleep, kKindHibernate, kKindEmptyRecycleBin}) {
        TestRow r(kind);
        EXPECT_FALSE(action_execute(&r.row)) << kind;
    }
    w.shell.recycle_result = 1;  // S_FALSE: nothing to empty is still a success
    TestRow empty_bin(kKindEmptyRecycleBin);
    EXPECT_TRUE(action_execute(&empty_bin.row));

    // Access denied on a plain launch is not retried elevated; only command strings are.
    w.shell.log.clear();
    w.shell.execute_results = {5};
    EXPECT_FALSE(action_execute(&open.row));
    EXPECT_EQ(log().size(), 1u);
}

struct CommandCase {
    const char* text;
    const char* file;
    const char* params;
};

TEST_F(Actions, CommandStringsAreOpenedWholeOrSplitAtTheFirstSpace) {
    w.env.set(u"SystemRoot", u"C:\\Windows");
    const CommandCase cases[] = {
        {"ms-settings:network status", "ms-settings:network status", ""},
        {"MS-Settings:display", "MS-Settings:display", ""},
        {"https://example.com/a b", "https://example.com/a b", ""},
        {"control", "control", ""},
        {"control /name Microsoft.IndexingOptions", "control", "/name Microsoft.IndexingOptions"},
        {"rundll32.exe shell32.dll,Control_RunDLL  \"x y\"", "rundll32.exe", "shell32.dll,Control_RunDLL  \"x y\""},
        {"%SystemRoot%\\system32\\control.exe /name Microsoft.Mouse", "C:\\Windows\\system32\\control.exe",
         "/name Microsoft.Mouse"},
        {"%Unknown%\\tool.exe", "%Unknown%\\tool.exe", ""},
    };
    for (const CommandCase& c : cases) {
        SCOPED_TRACE(c.text);
        w.shell.log.clear();
        EXPECT_TRUE(run_command_string(u16(c.text)));
        EXPECT_EQ(log(), std::vector<std::string>{open_call(c.file, c.params, 1)});
    }
    EXPECT_FALSE(run_command_string(u""));

    // An expansion that would not fit in 1024 units is not used.
    w.env.set(u"BIG", std::u16string(1100, u'x'));
    w.shell.log.clear();
    EXPECT_TRUE(run_command_string(u"%BIG%"));
    EXPECT_EQ(log(), std::vector<std::string>{open_call("%BIG%", "", 1)});
    // An expansion to nothing is not used either.
    w.env.set(u"NOTHING", u"");
    w.shell.log.clear();
    EXPECT_TRUE(run_command_string(u"%NOTHING%"));
    EXPECT_EQ(log(), std::vector<std::string>{open_call("%NOTHING%", "", 1)});
}

TEST_F(Actions, AccessDeniedCommandIsRetriedOnceElevated) {
    const std::string elevated =
        "ShellExecuteExW verb=\"runas\" file=\"control\" params=\"/name Microsoft.UserAccounts\" dir=\"\" show=1 mask=0x0 "
        "owner=0 idlist=0";
    TestRow r(kKindSettings, u"control /name Microsoft.UserAccounts");
    w.shell.execute_results = {5};
    EXPECT_TRUE(action_execute(&r.row));
    EXPECT_EQ(log(), (std::vector<std::string>{open_call("control", "/name Microsoft.UserAccounts", 1), elevated}));

    // The user refuses the prompt: not done, and no further attempt.
    w.shell.log.clear();
    w.shell.execute_results = {5};
    w.shell.execute_ex_results = {win::kErrCancelled};
    EXPECT_FALSE(action_execute(&r.row));
    EXPECT_EQ(log().size(), 2u);

    // Other failures are not retried.
    w.shell.log.clear();
    w.shell.execute_results = {2};
    EXPECT_FALSE(action_execute(&r.row));
    EXPECT_EQ(log().size(), 1u);
}

struct HandlerCase {
    const char* command;  // the HKCU default value; null: none registered
    const char* machine;  // the HKCR default value; null: none registered
    const char* path;
    std::string call;
};

TEST_F(Actions, ContainingFolderUsesTheRegisteredHandlerOrExplorerSelect) {
    w.env.set(u"ProgramFiles", u"C:\\Program Files");
    const char* kUser = "Software\\Classes\\Directory\\shell\\open\\command";
    const char* kMachine = "Directory\\shell\\open\\command";
    const HandlerCase cases[] = {
        {nullptr, nullptr, "C:\\Docs\\a.txt", open_call("explorer.exe", "/select,\"C:\\Docs\\a.txt\"", 1)},
        {"\"C:\\Tools\\fm.exe\" \"%1\"", nullptr, "C:\\Docs\\a.txt", open_call("C:\\Tools\\fm.exe", "\"C:\\Docs\"", 1)},
        {"C:\\Tools\\fm.exe   /open=%L /l=%l %2 100%", nullptr, "C:\\Docs\\Sub\\a.txt",
         open_call("C:\\Tools\\fm.exe", "/open=C:\\Docs\\Sub /l=C:\\Docs\\Sub %2 100%", 1)},
        {"\"%ProgramFiles%\\FM\\fm.exe\"", nullptr, "C:\\Docs\\a.txt", open_call("C:\\Program Files\\FM\\fm.exe", "", 1)},
        // A file in a drive root: the folder is the root itself.
        {"fm.exe %1", nullptr, "C:\\a.txt", open_call("fm.exe", "C:\\", 1)},
        // Explorer registered as the handler: the /select form keeps the item selected.
        {"C:\\Windows\\EXPLORER.EXE /idlist,%I,%L", "\"C:\\Tools\\fm.exe\" \"%1\"", "C:\\Docs\\a.txt",
         open_call("explorer.exe", "/select,\"C:\\Docs\\a.txt\"", 1)},
        // The per-user entry wins; an empty one is skipped in favour of the machine's.
        {"\"C:\\User\\fm.exe\" %1", "\"C:\\Machine\\fm.exe\" %1", "C:\\Docs\\a.txt", open_call("C:\\User\\fm.exe", "C:\\Docs", 1)},
        {"", "\"C:\\Machine\\fm.exe\" %1", "C:\\Docs\\a.txt", open_call("C:\\Machine\\fm.exe", "C:\\Docs", 1)},
        {"\"\" %1", nullptr, "C:\\Docs\\a.txt", open_call("explorer.exe", "/select,\"C:\\Docs\\a.txt\"", 1)},
    };
    for (const HandlerCase& c : cases) {
        SCOPED_TRACE(std::string(c.command ? c.command : "(none)") + " / " + (c.machine ? c.machine : "(none)"));
        w.registry.remove_key(RegistryRoot::CurrentUser, u16(kUser));
        w.registry.remove_key(RegistryRoot::ClassesRoot, u16(kMachine));
        if (c.command) w.registry.set_string(RegistryRoot::CurrentUser, u16(kUser), u"", u16(c.command), win::kRegExpandSz);
        if (c.machine) w.registry.set_string(RegistryRoot::ClassesRoot, u16(kMachine), u"", u16(c.machine));
        w.shell.log.clear();
        TestRow r(kKindContainingFolder, u16(c.path));
        EXPECT_TRUE(action_execute(&r.row));
        EXPECT_EQ(log(), std::vector<std::string>{c.call});
    }
}

TEST_F(Actions, ContainingFolderOfAnOverlongPathIsNotOpened) {
    std::u16string fits = u"C:\\" + std::u16string(1024 - 16 - 3, u'a');
    EXPECT_TRUE(open_containing_folder(fits));
    w.shell.log.clear();
    EXPECT_FALSE(open_containing_folder(fits + u"a"));
    EXPECT_TRUE(w.shell.log.empty());
    EXPECT_FALSE(open_containing_folder(u""));
}

TEST_F(Actions, CopyTextAndCopyFile) {
    TestRow text(kKindCopyText, u"C:\\Docs\\ä b.txt");
    EXPECT_TRUE(action_execute(&text.row));
    EXPECT_EQ(w.clipboard.text(), u"C:\\Docs\\ä b.txt");

    w.files.set_cwd(u"C:\\Docs");
    TestRow file(kKindCopyFile, u"a.txt");
    EXPECT_TRUE(action_execute(&file.row));
    ASSERT_TRUE(w.clipboard.has_file_drop());
    EXPECT_FALSE(w.clipboard.has_text());
    // DROPFILES {pFiles 20, pt (0, 0), fNC 0, fWide 1}, "C:\Docs\a.txt" in UTF-16LE, two zero units.
    std::string expected("\x14\0\0\0" "\0\0\0\0" "\0\0\0\0" "\0\0\0\0" "\x01\0\0\0", 20);
    for (char c : std::string("C:\\Docs\\a.txt")) expected += std::string{c, '\0'};
    expected.append(4, '\0');
    EXPECT_EQ(w.clipboard.file_drop(), expected);
    EXPECT_EQ(w.clipboard.file_drop().size(), 20u + 2 * 13 + 4);
    EXPECT_EQ(hdrop_payload(u"\u00e4").substr(20), std::string("\xe4\0\0\0\0\0", 6));

    // A busy clipboard, a path that does not fit MAX_PATH, and no target at all are not done.
    w.clipboard.busy_opens = 100;
    EXPECT_FALSE(action_execute(&text.row));
    EXPECT_FALSE(action_execute(&file.row));
    w.clipboard.busy_opens = 0;
    TestRow longer(kKindCopyFile, u"C:\\" + std::u16string(257, u'a'));
    EXPECT_FALSE(action_execute(&longer.row));
    TestRow fits(kKindCopyFile, u"C:\\" + std::u16string(256, u'a'));
    EXPECT_TRUE(action_execute(&fits.row));
    TestRow none(kKindCopyText);
    EXPECT_FALSE(action_execute(&none.row));
}

TEST_F(Actions, RunAndWaitCutsTheCommandLineAndReturnsTheExitCode) {
    w.shell.exit_codes = {3, -1};
    EXPECT_EQ(run_and_wait(u"schtasks.exe /query"), 3);
    EXPECT_EQ(run_and_wait(std::u16string(3000, u'x')), -1);
    ASSERT_EQ(w.shell.log.size(), 2u);
    EXPECT_EQ(w.shell.log[1].size(), std::u16string(u"CreateProcessW \"\"").size() + 2047);
}

struct PinCase {
    int32_t sub_kind;
    const char* target;
    const char* path;
    PinToggleArgs expected;
};

TEST_F(Actions, PinToggleArgumentsBySubKind) {
    action_services().command_subtitle = [](int32_t kind) -> const char16_t* {
        return kind == kKindSleep ? u"Put the computer to sleep" : nullptr;
    };
    const PinCase cases[] = {
        {0, "C:\\Docs\\a.txt", "", {u"C:\\Docs\\a.txt", u"", u"Title", u"", 1}},
        {1, "C:\\Docs", "", {u"C:\\Docs", u"", u"Title", u"", 1}},
        {2, "ms-settings:display", "System > Display", {u"", u"ms-settings:display", u"Title", u"System > Display", 2}},
        {kKindSleep, "", "", {u"", u"", u"Title", u"Put the computer to sleep", kKindSleep}},
        {kKindLock, "", "", {u"", u"", u"Title", u"", kKindLock}},
    };
    std::vector<PinToggleArgs> seen;
    for (const PinCase& c : cases) {
        TestRow r(kKindPinToggle, u16(c.target), u"Title", 0, c.sub_kind, u16(c.path));
        seen.push_back(pin_toggle_args(r.row));
    }
    for (size_t i = 0; i < seen.size(); ++i) {
        SCOPED_TRACE(cases[i].sub_kind);
        EXPECT_EQ(u8(seen[i].path), u8(cases[i].expected.path));
        EXPECT_EQ(u8(seen[i].param), u8(cases[i].expected.param));
        EXPECT_EQ(u8(seen[i].title), u8(cases[i].expected.title));
        EXPECT_EQ(u8(seen[i].sub), u8(cases[i].expected.sub));
        EXPECT_EQ(seen[i].kind, cases[i].expected.kind);
    }
}

TEST_F(Actions, PinEntriesToggleThePinAndOptionEntriesReportNotDone) {
    action_services().command_subtitle = [](int32_t kind) -> const char16_t* {
        return kind == kKindSleep ? u"Put the computer to sleep" : nullptr;
    };
    TestRow sleep(kKindPinToggle, u"", u"Sleep", 0, kKindSleep);
    EXPECT_TRUE(action_execute(&sleep.row));
    EXPECT_TRUE(pin_is_pinned(nullptr, nullptr, kKindSleep));
    auto saved = w.files.contents(u"C:\\KData\\quick_access.dat");
    ASSERT_TRUE(saved);
    EXPECT_NE(saved->find("Put the computer to sleep"), std::string::npos);
    EXPECT_TRUE(action_execute(&sleep.row));
    EXPECT_FALSE(pin_is_pinned(nullptr, nullptr, kKindSleep));
    TestRow page(kKindPinToggle, u"ms-settings:display", u"Display", 0, 2, u"System");
    EXPECT_TRUE(action_execute(&page.row));
    EXPECT_TRUE(pin_is_pinned(nullptr, u"ms-settings:display", 2));

    // The toggles flip and save, and report not done so the window stays on the changed option.
    TestRow stay(kKindOptStayOpen);
    EXPECT_FALSE(action_execute(&stay.row));
    auto settings = w.files.contents(u"C:\\KData\\settings.dat");
    ASSERT_TRUE(settings);
    EXPECT_NE(settings->find("stay_open=1"), std::string::npos) << *settings;
    EXPECT_FALSE(action_execute(&stay.row));
    EXPECT_NE(w.files.contents(u"C:\\KData\\settings.dat")->find("stay_open=0"), std::string::npos);
    bool uncapped = options().uncapped;
    TestRow cap(kKindOptNoCap);
    EXPECT_FALSE(action_execute(&cap.row));
    EXPECT_NE(bool(options().uncapped), uncapped);
}

TEST_F(Actions, ForgetRemovesTheHistoryEntry) {
    TestRow open(kKindOpen, u"C:\\Docs\\a.txt");
    std::u16string title = u"a.txt";
    open.row.title = title.data();
    history_record(&open.row);
    TestRow forget(kKindForget, u"C:\\Docs\\a.txt", u"a.txt");
    EXPECT_TRUE(action_execute(&forget.row));
    EXPECT_FALSE(action_execute(&forget.row));
    TestRow unknown(kKindForget, u"C:\\never.txt");
    EXPECT_FALSE(action_execute(&unknown.row));
}

// The modules behind kinds 3, 22, 33 to 36 and 40, as the action table calls them.
struct Calls {
    static inline std::vector<std::string> made;
    static inline bool answer = true;
};

TEST_F(Actions, KindsBackedByOtherModulesCallThemWithTheRowFields) {
    Calls::made.clear();
    ActionServices& s = action_services();
    s.kill_process = [](uint32_t pid, const char16_t* name) {
        Calls::made.push_back("kill " + std::to_string(pid) + " " + u8(text_view(name)));
        return Calls::answer;
    };
    s.kill_all_named = [](const char16_t* name) -> int32_t {
        Calls::made.push_back("kill_all " + u8(text_view(name)));
        return Calls::answer ? 2 : 0;
    };
    s.app_index_reload = [] { Calls::made.push_back("reload"); };
    s.uninstall_split = [](const char16_t* cmd, std::u16string& exe, std::u16string& args) {
        Calls::made.push_back("split " + u8(text_view(cmd)));
        exe = u"C:\\App\\unins000.exe";
        args = u"/SILENT";
        return Calls::answer;
    };
    s.uninstall_invalidate = [] { Calls::made.push_back("invalidate"); };
    s.terminal_open = [](const char16_t* shell, const char16_t* folder) {
        Calls::made.push_back("terminal " + u8(text_view(shell)) + " " + u8(text_view(folder)));
        return Calls::answer;
    };
    s.shell_verb_invoke = [](const char16_t* target, const char16_t* verb) {
        Calls::made.push_back("verb " + u8(text_view(target)) + " " + u8(text_view(verb)));
        return Calls::answer;
    };

    struct Case {
        TestRow row;
        bool done;
        std::vector<std::string> calls;
    };
    Case cases[] = {
        {TestRow(kKindProcess, u"", u"notepad.exe", 1234), true, {"kill 1234 notepad.exe"}},
        {TestRow(kKindProcess, u"", u"notepad.exe", 0), true, {"kill_all notepad.exe"}},
        {TestRow(kKindReloadApps), true, {"reload"}},
        {TestRow(kKindUninstall, u"\"C:\\App\\unins000.exe\""), true, {"split \"C:\\App\\unins000.exe\"", "invalidate"}},
        {TestRow(kKindQuietUninstall, u"x"), true, {"split x", "invalidate"}},
        {TestRow(kKindOpenInTerminal, u"C:\\Src", u"pwsh.exe|PowerShell"), true, {"terminal pwsh.exe|PowerShell C:\\Src"}},
        {TestRow(kKindOpenInTerminal, u"C:\\Src"), false, {}},
        {TestRow(kKindShellVerb, u"C:\\a.txt", u"print"), true, {"verb C:\\a.txt print"}},
        {TestRow(kKindShellVerb, u"", u"print"), false, {}},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.row.row.kind);
        Calls::made.clear();
        EXPECT_EQ(action_execute(&c.row.row), c.done);
        EXPECT_EQ(Calls::made, c.calls);
    }
    EXPECT_EQ(log(), (std::vector<std::string>{open_call("C:\\App\\unins000.exe", "/SILENT", 1),
                                               open_call("C:\\App\\unins000.exe", "/SILENT", 1)}));

    // Failures of the modules, and a failed uninstaller launch, are not done.
    Calls::answer = false;
    for (Case& c : cases) {
        if (c.row.row.kind == kKindReloadApps || !c.done) continue;
        SCOPED_TRACE(c.row.row.kind);
        EXPECT_FALSE(action_execute(&c.row.row));
    }
    Calls::answer = true;
    Calls::made.clear();
    w.shell.execute_results = {2};
    EXPECT_FALSE(action_execute(&cases[3].row.row));
    EXPECT_EQ(Calls::made, std::vector<std::string>{"split \"C:\\App\\unins000.exe\""});
}

}  // namespace
