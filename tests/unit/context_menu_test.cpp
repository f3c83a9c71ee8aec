// The context menu model: the entries each kind of row gets (labels, kinds, targets, marks, order),
// ordering by use, the merge of shell verbs, icons and finding an entry again after a rebuild.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "actions/context_menu.h"
#include "core/arena.h"
#include "core/row.h"
#include "core/text.h"
#include "store/pins.h"
#include "store_fixture.h"

namespace {

constexpr const char16_t* kExe = u"C:\\Tools\\np.exe";
constexpr const char16_t* kDir = u"C:\\Work\\Project";
constexpr const char16_t* kTerminalApp = u"shell:AppsFolder\\Microsoft.WindowsTerminal_8wekyb3d8bbwe!App";

struct Menu {
    Arena* arena = arena_create(16 * 1024);
    RowList list{};
    Menu() { rowlist_init(&list, arena); }
    ~Menu() { arena_destroy(arena); }
    const Row& operator[](int i) const { return list.items[i]; }
    int count() const { return list.count; }
    // "kind title" per entry, in menu order.
    std::vector<std::string> shape() const {
        std::vector<std::string> out;
        for (int i = 0; i < list.count; ++i) out.push_back(std::to_string(list.items[i].kind) + " " + u8(text_view(list.items[i].title)));
        return out;
    }
    int find(const char* title) const {
        for (int i = 0; i < list.count; ++i)
            if (u8(text_view(list.items[i].title)) == title) return i;
        return -1;
    }
    const Row& entry(const char* title) const { return list.items[find(title)]; }
};

Row make_row(int32_t kind, const char16_t* title, const char16_t* subtitle, const char16_t* path, const char16_t* target) {
    Row r{};
    r.kind = kind;
    r.title = const_cast<char16_t*>(title);
    r.subtitle = const_cast<char16_t*>(subtitle);
    r.path = const_cast<char16_t*>(path);
    r.target = const_cast<char16_t*>(target);
    return r;
}

ShellVerb verb(const char16_t* name, const char16_t* label, const char16_t* icon = u"") {
    ShellVerb v{};
    std::u16string_view(name).copy(v.verb, 127);
    std::u16string_view(label).copy(v.label, 127);
    std::u16string_view(icon).copy(v.icon, 259);
    return v;
}

class ContextMenuTest : public StoreTest {
public:
    void SetUp() override {
        StoreTest::SetUp();
        world.files.add_file(kExe, "MZ");
        world.files.add_folder(kDir);
        world.files.add_drive(u'D');
        menu_services() = MenuServices{};
    }
    void TearDown() override {
        menu_services() = MenuServices{};
        StoreTest::TearDown();
    }
};

using Shape = std::vector<std::string>;

TEST_F(ContextMenuTest, EntriesByKindOfRow) {
    menu_services().terminal_default_entry = [](MenuTerminalEntry* out) {
        *out = MenuTerminalEntry{u"PowerShell", u"pwsh.exe|PowerShell", u"C:\\Tools\\pwsh.ico"};
        return true;
    };
    menu_services().uninstall_lookup = [](const char16_t*, const char16_t*, MenuUninstallInfo* out) {
        *out = MenuUninstallInfo{u"unins000.exe /SILENT", u"C:\\Apps\\Editor"};
        return true;
    };
    Row kill_one = make_row(kKindProcess, u"np.exe", u"", kExe, nullptr);
    kill_one.number = 42;
    kill_one.argument = const_cast<char16_t*>(u"np.exe");
    Row kill_all = make_row(kKindProcess, u"kill np", u"", nullptr, nullptr);
    kill_all.argument = const_cast<char16_t*>(u"np.exe");
    Row recent = make_row(kKindOpen, u"Notepad", u"C:\\Tools", kExe, kExe);
    recent.from_history = 1;
    struct Case {
        const char* what;
        Row row;
        Shape shape;
    };
    const Case cases[] = {
        {"file", make_row(kKindOpen, u"Notepad", u"C:\\Tools", kExe, kExe),
         {"1 Open", "5 Open containing folder", "6 Open with...", "8 Pin to Quick Access", "7 Run as administrator",
          "9 Copy path", "9 Copy name", "10 Copy file"}},
        {"folder", make_row(kKindOpen, u"Project", u"C:\\Work", kDir, kDir),
         {"1 Open", "36 Open in Terminal", "37 Choose shell...", "5 Open containing folder", "8 Pin to Quick Access",
          "9 Copy path", "9 Copy name", "10 Copy file"}},
        {"drive root: no name to copy", make_row(kKindOpen, u"D:", u"Local Disk", u"D:\\", u"D:\\"),
         {"1 Open", "36 Open in Terminal", "37 Choose shell...", "5 Open containing folder", "8 Pin to Quick Access",
          "9 Copy path", "10 Copy file"}},
        {"packaged app", make_row(kKindOpen, u"Terminal", u"Application", nullptr, kTerminalApp),
         {"1 Open", "8 Pin to Quick Access", "9 Copy app ID"}},
        {"recent launch", recent,
         {"1 Open", "24 Remove from Recent", "5 Open containing folder", "6 Open with...", "8 Pin to Quick Access",
          "7 Run as administrator", "9 Copy path", "9 Copy name", "10 Copy file"}},
        {"sleep command", make_row(kKindSleep, u"Sleep", u"Put the PC to sleep", nullptr, nullptr),
         {"8 Pin to Quick Access", "9 Copy title", "9 Copy details"}},
        {"settings page", make_row(kKindSettings, u"Bluetooth", u"Settings > Devices", nullptr, u"ms-settings:bluetooth"),
         {"2 Open", "8 Pin to Quick Access", "9 Copy title", "9 Copy details"}},
        {"process by id", kill_one,
         {"3 End process", "5 Open containing folder", "6 Open with...", "8 Pin to Quick Access",
          "7 Run as administrator", "9 Copy path", "9 Copy name", "10 Copy file"}},
        {"processes by name", kill_all, {"3 End all processes", "9 Copy title"}},
        {"uninstall", make_row(kKindUninstall, u"Editor", u"1.0", nullptr, u"C:\\Apps\\Editor\\unins000.exe"),
         {"33 Uninstall", "34 Quiet uninstall", "35 Open install location", "9 Copy uninstall command", "9 Copy name"}},
        {"information row", make_row(kKindInfo, u"No results", u"", nullptr, nullptr), {"9 Copy title"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Menu m;
        menu_build(&c.row, &m.list, false);
        EXPECT_EQ(m.shape(), c.shape);
        for (int i = 0; i < m.count(); ++i) {
            EXPECT_EQ(m[i].score, 100 - i) << "building order";
            EXPECT_TRUE(m[i].subtitle && m[i].subtitle[0]) << "entry " << i << " has no detail";
        }
    }
}

TEST_F(ContextMenuTest, DetailsTargetsAndMarks) {
    Row file = make_row(kKindOpen, u"Notepad", u"C:\\Tools", kExe, kExe);
    Menu m;
    menu_build(&file, &m.list, false);
    struct Expect {
        const char* title;
        const char16_t* subtitle;
        const char16_t* target;
        const char16_t* argument;
    };
    const Expect expect[] = {
        {"Open", u"Notepad", kExe, nullptr},
        {"Open containing folder", u"C:\\Tools", kExe, nullptr},
        {"Open with...", u"Choose an app to open this file", kExe, nullptr},
        {"Pin to Quick Access", u"Pin - shows up at the top of results \u00B7 Kestrune", kExe, u"Notepad"},
        {"Run as administrator", u"Notepad", kExe, nullptr},
        {"Copy path", u"C:\\Tools\\np.exe \u00B7 Kestrune", kExe, nullptr},
        {"Copy name", u"np.exe \u00B7 Kestrune", u"np.exe", nullptr},
        {"Copy file", u"Paste it into Explorer with Ctrl+V \u00B7 Kestrune", kExe, nullptr},
    };
    for (const Expect& e : expect) {
        SCOPED_TRACE(e.title);
        ASSERT_GE(m.find(e.title), 0);
        const Row& r = m.entry(e.title);
        EXPECT_EQ(text_view(r.subtitle), std::u16string_view(e.subtitle));
        EXPECT_EQ(text_view(r.target), std::u16string_view(e.target));
        EXPECT_EQ(text_view(r.argument), text_view(e.argument));
    }

    // A kill row: the id in the detail when there is no subtitle, and the exe name and id carried.
    Row kill = make_row(kKindProcess, u"np.exe", u"", nullptr, nullptr);
    kill.number = 42;
    kill.argument = const_cast<char16_t*>(u"np.exe");
    Menu k;
    menu_build(&kill, &k.list, false);
    EXPECT_EQ(text_view(k[0].subtitle), u"PID 42 \u00B7 Kestrune");
    EXPECT_EQ(text_view(k[0].argument), u"np.exe");
    EXPECT_EQ(k[0].number, 42);
    EXPECT_EQ(k[0].target, nullptr);

    // A settings page's pin carries the page's kind and subtitle; a command's pin has no target.
    Row page = make_row(kKindSettings, u"Bluetooth", u"Settings > Devices", nullptr, u"ms-settings:bluetooth");
    Menu p;
    menu_build(&page, &p.list, false);
    const Row& pin = p.entry("Pin to Quick Access");
    EXPECT_EQ(pin.sub_kind, kKindSettings);
    EXPECT_EQ(text_view(pin.path), u"Settings > Devices");
    EXPECT_EQ(text_view(pin.target), u"ms-settings:bluetooth");
    EXPECT_EQ(text_view(pin.argument), u"Bluetooth");
}

TEST_F(ContextMenuTest, PinnedRowsOfferRemoval) {
    ASSERT_EQ(pin_toggle(kExe, nullptr, u"Notepad", nullptr, kKindOpen), 1);
    ASSERT_EQ(pin_toggle(u"", nullptr, u"Sleep", nullptr, kKindSleep), 1);
    ASSERT_EQ(pin_toggle(nullptr, u"ms-settings:bluetooth", u"Bluetooth", u"Settings", kKindSettings), 1);
    struct Case {
        Row row;
        const char16_t* detail;
    };
    const Case cases[] = {
        {make_row(kKindOpen, u"Notepad", u"C:\\Tools", kExe, kExe), u"Unpin - no longer jumps to the top \u00B7 Kestrune"},
        {make_row(kKindSleep, u"Sleep", u"Put the PC to sleep", nullptr, nullptr), u"Unpin this command \u00B7 Kestrune"},
        {make_row(kKindSettings, u"Bluetooth", u"Settings", nullptr, u"ms-settings:bluetooth"),
         u"Unpin this settings page \u00B7 Kestrune"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(u8(text_view(c.row.title)));
        Menu m;
        menu_build(&c.row, &m.list, false);
        ASSERT_GE(m.find("Remove from Quick Access"), 0);
        EXPECT_EQ(m.find("Pin to Quick Access"), -1);
        EXPECT_EQ(text_view(m.entry("Remove from Quick Access").subtitle), std::u16string_view(c.detail));
    }
}

TEST_F(ContextMenuTest, UseCountsReorderStably) {
    Row file = make_row(kKindOpen, u"Notepad", u"C:\\Tools", kExe, kExe);
    for (int i = 0; i < 5; ++i) menu_usage_record(kKindCopyText, u"Copy name", nullptr);
    Menu a;
    menu_build(&file, &a.list, false);
    EXPECT_EQ(a.find("Copy name"), 0) << "a frequent entry rises above Open";
    EXPECT_EQ(a.find("Open"), 1);
    EXPECT_LT(a.find("Copy name"), a.find("Copy path"));
    // Equal counts keep the building order: everything else is as built.
    EXPECT_EQ(a.find("Open containing folder"), 2);
    EXPECT_EQ(a.find("Copy file"), a.count() - 1);

    for (int i = 0; i < 7; ++i) menu_usage_record(kKindCopyFile, u"Copy file", nullptr);
    // Pin and unpin share one count.
    for (int i = 0; i < 6; ++i) menu_usage_record(kKindPinToggle, u"Remove from Quick Access", nullptr);
    Menu b;
    menu_build(&file, &b.list, false);
    EXPECT_EQ(b.shape()[0], "10 Copy file");
    EXPECT_EQ(b.shape()[1], "8 Pin to Quick Access");
    EXPECT_EQ(b.shape()[2], "9 Copy name");
    EXPECT_EQ(b.shape()[3], "1 Open");
}

TEST_F(ContextMenuTest, VerbsMergeBeforeTheCopyBlock) {
    Row file = make_row(kKindOpen, u"Notepad", u"C:\\Tools", kExe, kExe);
    Menu m;
    menu_build(&file, &m.list, false);
    menu_assign_icons(&file, &m.list, 0);
    for (int i = 0; i < 5; ++i) menu_usage_record(kKindShellVerb, u"Beta row", u"BetaVerb");
    const ShellVerb verbs[] = {
        verb(u"AlphaVerb", u"Alpha row", u"C:\\Tools\\alpha.ico"),
        verb(u"BetaVerb", u"Beta row"),
        verb(u"open", u"Open it"),           // blocked
        verb(u"Copy", u"Copy"),              // blocked, any case
        verb(u"PREVIOUSVERSIONS", u"Restore previous versions"),
        verb(u"alphaverb", u"Alpha again"),  // the same verb twice
        verb(u"openwith2", u"Open with..."), // doubles a built-in label
        verb(u"", u"No name"),
    };
    menu_merge_verbs(&file, &m.list, verbs, 8);
    EXPECT_EQ(m.shape()[0], "40 Beta row") << "a used verb rises to the top";
    const int alpha = m.find("Alpha row");
    ASSERT_GE(alpha, 0);
    EXPECT_EQ(alpha + 1, m.find("Copy path")) << "verbs go just before the copy block";
    EXPECT_LT(m.find("Run as administrator"), alpha) << "built-in actions come first";
    int verb_entries = 0;
    for (int i = 0; i < m.count(); ++i) {
        if (m[i].kind != kKindShellVerb) continue;
        ++verb_entries;
        EXPECT_FALSE(menu_verb_blocked(m[i].argument));
        EXPECT_EQ(text_view(m[i].target), std::u16string_view(kExe));
        EXPECT_EQ(text_view(m[i].subtitle), u"np.exe") << "verbs are plain entries";
    }
    EXPECT_EQ(verb_entries, 2);
    EXPECT_EQ(text_view(m.entry("Alpha row").icon_source), u"C:\\Tools\\alpha.ico");
    EXPECT_EQ(text_view(m.entry("Beta row").icon_source), std::u16string_view(kExe)) << "no icon of its own: the file's";
    EXPECT_EQ(m.count(), 10);

    menu_merge_verbs(&file, &m.list, verbs, 8);
    EXPECT_EQ(m.count(), 10) << "merging the same verbs again adds nothing";

    // A folder row without a file merges nothing; a row without a file at all neither.
    Row none = make_row(kKindSleep, u"Sleep", u"", nullptr, nullptr);
    Menu n;
    menu_build(&none, &n.list, false);
    const int before = n.count();
    menu_merge_verbs(&none, &n.list, verbs, 8);
    EXPECT_EQ(n.count(), before);
}

TEST_F(ContextMenuTest, VerbsListedWhileBuilding) {
    menu_services().shell_verbs_list = [](const char16_t* path, ShellVerb* out, int32_t max) {
        EXPECT_EQ(text_view(path), std::u16string_view(kExe));
        EXPECT_EQ(max, kMenuMaxVerbs);
        out[0] = verb(u"edit", u"Edit");
        out[1] = verb(u"delete", u"Delete");
        return int32_t{2};
    };
    Row file = make_row(kKindOpen, u"Notepad", u"C:\\Tools", kExe, kExe);
    Menu with, without;
    menu_build(&file, &with.list, true);
    menu_build(&file, &without.list, false);
    EXPECT_EQ(with.count(), without.count() + 1);
    EXPECT_EQ(with.find("Edit") + 1, with.find("Copy path"));
    EXPECT_EQ(without.find("Edit"), -1);
}

TEST_F(ContextMenuTest, IconsFromTargetOrRow) {
    Row kill = make_row(kKindProcess, u"np.exe", u"", kExe, nullptr);
    kill.number = 7;
    kill.argument = const_cast<char16_t*>(u"np.exe");
    Menu m;
    menu_build(&kill, &m.list, false);
    menu_assign_icons(&kill, &m.list, 0);
    for (int i = 0; i < m.count(); ++i) EXPECT_TRUE(m[i].icon_source && m[i].icon_source[0]) << u8(text_view(m[i].title));
    EXPECT_EQ(text_view(m.entry("End process").icon_source), std::u16string_view(kExe)) << "the row's path";
    EXPECT_EQ(text_view(m.entry("Copy name").icon_source), std::u16string_view(kExe))
        << "a target that is not on disk falls back to the row's icon";

    // An entry that has an icon keeps it; a row without any icon leaves entries without one.
    Row sleep = make_row(kKindSleep, u"Sleep", u"zzz", nullptr, nullptr);
    Menu s;
    menu_build(&sleep, &s.list, false);
    menu_assign_icons(&sleep, &s.list, 0);
    for (int i = 0; i < s.count(); ++i) EXPECT_EQ(s[i].icon_source, nullptr);
}

TEST_F(ContextMenuTest, FindEntry) {
    Row file = make_row(kKindOpen, u"Notepad", u"C:\\Tools", kExe, kExe);
    Menu m;
    menu_build(&file, &m.list, false);
    const ShellVerb verbs[] = {verb(u"EditVerb", u"Edit here")};
    menu_merge_verbs(&file, &m.list, verbs, 1);
    struct Case {
        int32_t kind;
        const char16_t* label;
        const char16_t* verb;
        bool found;
    };
    const Case cases[] = {
        {kKindOpen, u"open", nullptr, true},
        {kKindShellVerb, u"EDIT HERE", u"editverb", true},
        {kKindShellVerb, u"Edit here", u"OtherVerb", false},
        {kKindCopyText, u"Open", nullptr, false},
        {kKindOpen, u"Nothing like it", nullptr, false},
        {kKindOpen, u"", nullptr, false},
    };
    for (const Case& c : cases) {
        const int32_t at = menu_find_entry(&m.list, c.kind, c.label, c.verb);
        EXPECT_EQ(at >= 0, c.found) << u8(text_view(c.label));
        if (at >= 0) {
            EXPECT_EQ(m[at].kind, c.kind);
        }
    }
    EXPECT_EQ(menu_find_entry(nullptr, kKindOpen, u"Open", nullptr), -1);
}

}  // namespace
