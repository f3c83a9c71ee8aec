// The kill rows and the terminate operations against the fake process table: filters, protected
// names, same-name groups and their counts, service image paths, and the checks that keep a kill
// from ending the wrong process.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "actions/actions.h"
#include "core/arena.h"
#include "core/row.h"
#include "platform/fake/fake_world.h"
#include "sources/processes.h"
#include "support/u16.h"

namespace {

struct Rows {
    Arena* arena = arena_create(16 * 1024);
    RowList list;
    Rows() { rowlist_init(&list, arena); }
    ~Rows() { arena_destroy(arena); }
    const Row& operator[](int32_t i) const { return list.items[i]; }
    int32_t count() const { return list.count; }
};

std::string s8(const char16_t* s) { return s ? u8(s) : std::string("<null>"); }

class KillRows : public ::testing::Test {
protected:
    KillRows() : scope_(world_.platform()) {
        world_.processes.clear();
        world_.processes.set_self_pid(700);
    }
    FakeProcesses& procs() { return world_.processes; }
    std::vector<std::string> titles(const char16_t* filter) {
        Rows r;
        kill_rows(filter, &r.list);
        std::vector<std::string> t;
        for (int32_t i = 0; i < r.count(); ++i) t.push_back(s8(r[i].title));
        return t;
    }
    FakeWorld world_;
    PlatformScope scope_;
};

TEST_F(KillRows, ProtectedProcessesAreNeverListedNorEnded) {
    struct Case {
        uint32_t pid;
        const char16_t* exe;
        bool is_protected;
    } cases[] = {
        {0, u"idle.exe", true},     {4, u"anything.exe", true},  {700, u"kestrune.exe", true},  // the launcher itself
        {12, u"", true},             {13, u"svchost.exe", true},  {14, u"SVCHOST.EXE", true},
        {15, u"Explorer", true},     {16, u"csrss.exe", true},    {17, u"System Idle Process", true},
        {18, u"Memory Compression", true}, {19, u"lsass.exe", true}, {20, u"smss.exe", true},
        {21, u"explorer.exe.exe", false},  // only one ending is removed
        {22, u"notepad.exe", false}, {23, u"svchost2.exe", false}, {24, u".exe", false},
        {25, u"kestrune.exe", false},  // another instance of the launcher
    };
    for (const auto& c : cases) {
        EXPECT_EQ(process_is_protected(c.pid, c.exe), c.is_protected) << c.pid << " " << s8(c.exe);
        procs().add(c.pid, c.exe, u"C:\\x\\" + std::u16string(c.exe));
    }
    Rows r;
    kill_rows(u"", &r.list);
    std::vector<int32_t> listed;
    for (int32_t i = 0; i < r.count(); ++i) listed.push_back(r[i].number);
    EXPECT_EQ(listed, (std::vector<int32_t>{24, 21, 25, 22, 23}));  // by title with the same score
    for (const auto& c : cases) {
        if (c.is_protected) {
            EXPECT_FALSE(kill_process(c.pid, c.exe)) << c.pid;
        }
    }
    EXPECT_FALSE(kill_process(19, u"lsass.exe"));  // not by id either
    EXPECT_EQ(kill_all_named(u"svchost.exe"), 0);
    EXPECT_TRUE(procs().ended().empty());
}

TEST_F(KillRows, RowsOfOneProcessAndFilters) {
    procs().add(1234, u"notepad.exe", u"C:\\Windows\\notepad.exe");
    procs().add(88, u"calc.exe", u"", /*openable=*/false);
    procs().add(4411, u"Code.exe", u"C:\\Apps\\Code.exe");
    Rows all;
    kill_rows(u"  ", &all.list);
    ASSERT_EQ(all.count(), 3);
    for (int32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(all[i].score, 50);
        EXPECT_EQ(all[i].kind, kKindProcess);
        EXPECT_EQ(all[i].tag, 'K');
    }
    const Row& calc = all[0];
    EXPECT_EQ(s8(calc.title), "Kill calc.exe");
    EXPECT_EQ(s8(calc.subtitle), "PID 88 - End process");
    EXPECT_EQ(calc.icon_source, nullptr);
    EXPECT_EQ(calc.number, 88);
    EXPECT_EQ(s8(calc.argument), "calc.exe");
    const Row& note = all[2];
    EXPECT_EQ(s8(note.subtitle), "PID 1234 - C:\\Windows\\notepad.exe");
    EXPECT_EQ(s8(note.icon_source), "C:\\Windows\\notepad.exe");

    struct Case {
        const char16_t* filter;
        std::vector<std::string> titles;
        int32_t score;  // of the first row
    } cases[] = {
        {u"note", {"Kill notepad.exe"}, 90},
        {u"notepad.exe", {"Kill notepad.exe"}, 100},
        {u" \tNOTE", {"Kill notepad.exe"}, 90},
        {u"4", {"Kill Code.exe", "Kill notepad.exe"}, 90},  // ids holding the digit
        {u"441", {"Kill Code.exe"}, 90},
        {u"zzz", {}, 0},
    };
    for (const auto& c : cases) {
        Rows r;
        kill_rows(c.filter, &r.list);
        std::vector<std::string> t;
        for (int32_t i = 0; i < r.count(); ++i) t.push_back(s8(r[i].title));
        EXPECT_EQ(t, c.titles) << s8(c.filter);
        if (r.count() > 0) {
            EXPECT_EQ(r[0].score, c.score) << s8(c.filter);
        }
    }
}

TEST_F(KillRows, GroupRowCountsEveryProcessItEnds) {
    procs().add(101, u"chrome.exe", u"C:\\Chrome\\chrome.exe");
    procs().add(102, u"Chrome.exe", u"C:\\CHROME\\chrome.exe");
    procs().add(203, u"chrome.exe", u"C:\\Chrome\\chrome.exe");
    procs().add(310, u"code.exe", u"C:\\A\\code.exe");
    procs().add(311, u"code.exe", u"C:\\B\\code.exe");
    procs().add(402, u"calc.exe", u"C:\\calc.exe");

    Rows r;
    kill_rows(u"chrome", &r.list);
    ASSERT_EQ(r.count(), 4);
    EXPECT_EQ(s8(r[0].title), "Kill all chrome.exe (3)");
    EXPECT_EQ(r[0].number, 0);
    EXPECT_EQ(r[0].score, r[1].score + 1);
    EXPECT_EQ(s8(r[0].subtitle), "End all 3 processes at once - C:\\Chrome\\chrome.exe");  // same path in any case
    EXPECT_EQ(s8(r[0].icon_source), "C:\\Chrome\\chrome.exe");
    for (int32_t i = 1; i < 4; ++i) EXPECT_NE(r[i].number, 0);

    // Different paths: no path in the subtitle and no icon.
    Rows code;
    kill_rows(u"code", &code.list);
    ASSERT_GE(code.count(), 1);
    EXPECT_EQ(s8(code[0].subtitle), "End all 2 processes at once");
    EXPECT_EQ(code[0].icon_source, nullptr);

    // Filtered by id, two of the three chromes are listed: the group still says what it ends.
    Rows by_id;
    kill_rows(u"10", &by_id.list);
    ASSERT_GE(by_id.count(), 1);
    EXPECT_EQ(s8(by_id[0].title), "Kill all chrome.exe (3)");
    Row group = by_id[0];
    Row action{};
    action.kind = group.kind;
    action.number = group.number;
    action.argument = group.argument;
    ActionServices saved = action_services();
    processes_join();
    EXPECT_TRUE(action_execute(&action));
    action_services() = saved;
    EXPECT_EQ(procs().ended(), (std::vector<uint32_t>{101, 102, 203}));
    EXPECT_TRUE(procs().alive(310));
}

TEST_F(KillRows, AtMostTwentyProcessRowsAfterTheGroups) {
    for (uint32_t i = 0; i < 30; ++i) procs().add(1000 + i, u"worker.exe", u"C:\\w\\worker.exe");
    procs().add(5000, u"other.exe", u"C:\\other.exe");
    Rows r;
    kill_rows(nullptr, &r.list);
    ASSERT_EQ(r.count(), 21);
    EXPECT_EQ(s8(r[0].title), "Kill all worker.exe (30)");
    EXPECT_EQ(r[0].score, 51);
}

TEST_F(KillRows, NoSnapshotNoRows) {
    procs().add(10, u"notepad.exe");
    procs().snapshot_fails = true;
    EXPECT_TRUE(titles(u"").empty());
    EXPECT_EQ(kill_all_named(u"notepad.exe"), 0);
}

TEST_F(KillRows, ServicesNameTheExecutableOfProcessesThatDoNotOpen) {
    world_.files.add_file(u"C:\\Program Files\\Svc Host\\agent.exe", "MZ");
    const char16_t* key = u"SYSTEM\\CurrentControlSet\\Services\\";
    struct Case {
        uint32_t pid;
        const char16_t* service;
        const char16_t* image;  // null: no value
        uint32_t kind;
        const char* subtitle;
    } cases[] = {
        {501, u"Quoted", u"\"C:\\Program Files\\Quoted App\\q.exe\" -service --log \"x y\"", win::kRegSz,
         "PID 501 - C:\\Program Files\\Quoted App\\q.exe"},
        {502, u"Spaced", u"C:\\Program Files\\Svc Host\\agent.exe -k run", win::kRegSz,
         "PID 502 - C:\\Program Files\\Svc Host\\agent.exe"},  // the boundary that names a file
        {503, u"Plain", u"C:\\Tools\\plain.exe /run", win::kRegSz, "PID 503 - C:\\Tools\\plain.exe"},
        {504, u"Expand", u"%SystemRoot%\\System32\\spoolx.exe", win::kRegExpandSz,
         "PID 504 - C:\\Windows\\System32\\spoolx.exe"},
        {505, u"Empty", u"", win::kRegSz, "PID 505 - End process"},
        {506, u"NoValue", nullptr, 0, "PID 506 - End process"},
        {507, u"", nullptr, 0, "PID 507 - End process"},
        {508, u"Blanks", u"   \t ", win::kRegSz, "PID 508 - End process"},
    };
    for (const auto& c : cases) {
        procs().add(c.pid, u"svc.exe", u"", /*openable=*/false);
        procs().add_service(c.pid, c.service);
        if (c.image) world_.registry.set_string(RegistryRoot::LocalMachine, std::u16string(key) + c.service, u"ImagePath", c.image, c.kind);
    }
    procs().add_service(0, u"Stopped");  // not running: no process
    Rows r;
    kill_rows(u"50", &r.list);
    ASSERT_EQ(r.count(), 1 + 8);  // the group, then each process
    for (const auto& c : cases) {
        bool found = false;
        for (int32_t i = 1; i < r.count(); ++i) {
            if (uint32_t(r[i].number) != c.pid) continue;
            found = true;
            EXPECT_EQ(s8(r[i].subtitle), c.subtitle) << s8(c.service);
        }
        EXPECT_TRUE(found) << c.pid;
    }
    ServicePid buf[4];
    EXPECT_EQ(service_pids(buf, 4), 4);  // stopped services are left out; the capacity holds
    EXPECT_EQ(buf[0].pid, 501u);
    procs().services_fail = true;
    EXPECT_EQ(service_pids(buf, 4), 0);
}

TEST_F(KillRows, KillProcessChecksTheProcessOnTheHandleThatEndsIt) {
    procs().add(10, u"notepad.exe", u"C:\\Windows\\notepad.exe");
    EXPECT_FALSE(kill_process(10, u"calc.exe"));  // the row named another program
    EXPECT_TRUE(procs().alive(10));
    EXPECT_TRUE(kill_process(10, u"NOTEPAD.EXE"));
    EXPECT_FALSE(procs().alive(10));

    // The id went to another program since the row was built.
    procs().add(11, u"notepad.exe", u"C:\\Windows\\notepad.exe");
    procs().add(11, u"winword.exe", u"C:\\Office\\winword.exe");
    EXPECT_FALSE(kill_process(11, u"notepad.exe"));
    EXPECT_TRUE(procs().alive(11));

    // Nothing to check the name with: refused, not ended blind.
    procs().add(12, u"secret.exe", u"");
    EXPECT_FALSE(kill_process(12, u"secret.exe"));
    procs().add(13, u"locked.exe", u"C:\\locked.exe", /*openable=*/false);
    EXPECT_FALSE(kill_process(13, u"locked.exe"));
    procs().snapshot_fails = true;
    EXPECT_FALSE(kill_process(12, u"secret.exe"));
    EXPECT_TRUE(procs().alive(12));
    procs().snapshot_fails = false;

    // A terminate that fails is not a success.
    procs().add(14, u"stuck.exe", u"C:\\stuck.exe");
    procs().set_terminate_ok(14, false);
    EXPECT_FALSE(kill_process(14, u"stuck.exe"));
    EXPECT_FALSE(kill_process(99, u"gone.exe"));
    EXPECT_FALSE(kill_process(10, nullptr));
}

TEST_F(KillRows, KillAllNamedCountsTheProcessesEnded) {
    procs().add(20, u"note.exe", u"C:\\note.exe");
    procs().add(21, u"NOTE.exe", u"C:\\note.exe");
    procs().add(22, u"note.exe", u"C:\\note.exe");
    procs().set_terminate_ok(22, false);
    procs().add(23, u"notes.exe", u"C:\\notes.exe");
    EXPECT_EQ(kill_all_named(u"note.exe"), 2);
    EXPECT_TRUE(procs().alive(22));
    EXPECT_TRUE(procs().alive(23));
    EXPECT_EQ(kill_all_named(u"nothing.exe"), 0);
    EXPECT_EQ(kill_all_named(u""), 0);
    EXPECT_EQ(kill_all_named(nullptr), 0);
}

TEST(ImagePathExecutable, Forms) {
    FakeWorld w;
    PlatformScope scope{w.platform()};
    w.files.add_file(u"C:\\Program Files\\A B\\svc.exe", "MZ");
    struct Case {
        const char16_t* value;
        const char* exe;  // "" for none
    } cases[] = {
        {u"\"C:\\Program Files\\X\\x.exe\" -k", "C:\\Program Files\\X\\x.exe"},
        {u"\"C:\\unterminated", "C:\\unterminated"},
        {u"C:\\Program Files\\A B\\svc.exe /flag", "C:\\Program Files\\A B\\svc.exe"},
        {u"C:\\Program Files\\Missing\\m.exe /flag", "C:\\Program"},
        {u"  \tC:\\a.exe", "C:\\a.exe"},
        {u"\"\"", ""},
        {u"", ""},
    };
    for (const auto& c : cases) {
        std::u16string out;
        bool ok = image_path_executable(c.value, out);
        EXPECT_EQ(u8(out), c.exe) << u8(c.value);
        EXPECT_EQ(ok, *c.exe != 0) << u8(c.value);
    }
    std::u16string longer(300, u'a');
    std::u16string out;
    EXPECT_FALSE(image_path_executable(longer, out));
}

}  // namespace
