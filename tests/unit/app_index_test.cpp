// The application index against the fake machine: the Start Menu scan rules, packaged apps, the
// builder thread, the icons and the rows of every search.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/arena.h"
#include "core/row.h"
#include "platform/fake/fake_world.h"
#include "query/cache_generation.h"
#include "query/fuzzy.h"
#include "query/indexer_backend.h"
#include "query/pipeline_sources.h"
#include "query/result_messages.h"
#include "sources/app_index.h"
#include "sources/app_index_data.h"
#include "store/options.h"
#include "support/u16.h"

namespace {

const std::u16string kUser = u"C:\\Users\\user\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs";
const std::u16string kAll = u"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs";

struct RowText {
    std::string title, path, target;
    int32_t kind, score;
    char tag;
    bool operator==(const RowText&) const = default;
};

std::ostream& operator<<(std::ostream& os, const RowText& r) {
    return os << "{" << r.title << " | " << r.path << " | " << r.target << " | " << r.kind << " " << r.score << " "
              << r.tag << "}";
}

class AppIndexTest : public ::testing::Test {
protected:
    AppIndexTest() : scope_(w_.platform()) {}
    void SetUp() override {
        app_index_clear();
        arena_ = arena_create(64 * 1024);
        rowlist_init(&rows_, arena_);
    }
    void TearDown() override {
        app_index_clear();
        arena_destroy(arena_);
    }

    void shortcut(const std::u16string& path) { w_.files.add_file(path, "[InternetShortcut]"); }

    std::vector<RowText> take() {
        std::vector<RowText> out;
        for (int32_t i = 0; i < rows_.count; ++i) {
            const Row& r = rows_.items[i];
            out.push_back(RowText{r.title ? u8(r.title) : "", r.path ? u8(r.path) : "", r.target ? u8(r.target) : "",
                                  r.kind, r.score, r.tag});
            EXPECT_STREQ(r.subtitle ? u8(r.subtitle).c_str() : "(null)", "Application");
        }
        rowlist_init(&rows_, arena_);
        return out;
    }
    std::vector<RowText> listed() {
        list_all_apps(&rows_);
        return take();
    }
    std::vector<RowText> searched(const char16_t* q) {
        search_apps(q, &rows_);
        return take();
    }
    std::vector<RowText> searched_packaged(const char16_t* q) {
        search_packaged_apps(q, &rows_);
        return take();
    }

    FakeWorld w_;
    PlatformScope scope_;
    Arena* arena_ = nullptr;
    RowList rows_{};
};

RowText app(const std::string& title, const std::u16string& path, int32_t score = 100) {
    return RowText{title, u8(path), u8(path), kKindOpen, score, 'A'};
}
RowText packaged(const std::string& title, const std::string& target, int32_t score = 100) {
    return RowText{title, target, target, kKindOpen, score, 'T'};
}
RowText settings_app(int32_t score = 100) { return RowText{"Windows Settings", "", "ms-settings:", kKindOpen, score, 'A'}; }

TEST_F(AppIndexTest, StartMenuScanNameRules) {
    shortcut(kUser + u"\\Notepad.lnk");
    shortcut(kUser + u"\\ Spaced Tool   .lnk");  // trailing blanks go, the leading one stays
    shortcut(kUser + u"\\Site.URL");                // the extension in any case
    shortcut(kUser + u"\\.lnk");                    // nothing before the extension
    shortcut(kUser + u"\\   .url");                 // only blanks before it
    shortcut(kUser + u"\\readme.txt");
    shortcut(kUser + u"\\lnk");
    shortcut(kUser + u"\\Tools.lnk.bak");
    w_.files.add_folder(kUser + u"\\Folder.lnk");   // a folder is scanned, not taken as a shortcut
    shortcut(kUser + u"\\Folder.lnk\\Inner.lnk");
    app_index_build();
    EXPECT_EQ(listed(), (std::vector<RowText>{app(" Spaced Tool", kUser + u"\\ Spaced Tool   .lnk"),
                                              app("Inner", kUser + u"\\Folder.lnk\\Inner.lnk"),
                                              app("Notepad", kUser + u"\\Notepad.lnk"), app("Site", kUser + u"\\Site.URL"),
                                              settings_app()}));
}

TEST_F(AppIndexTest, AllUsersShortcutReplacesThePerUserOneOfTheSameName) {
    shortcut(kUser + u"\\Editor.lnk");
    shortcut(kUser + u"\\Mine Only.lnk");
    shortcut(kAll + u"\\Accessories\\EDITOR.url");
    app_index_build();
    EXPECT_EQ(app_index_counts().shortcuts, 2);
    EXPECT_EQ(listed(), (std::vector<RowText>{app("EDITOR", kAll + u"\\Accessories\\EDITOR.url"),
                                              app("Mine Only", kUser + u"\\Mine Only.lnk"), settings_app()}));
}

TEST_F(AppIndexTest, WithinOneTreeTheShortcutListedLastWins) {
    shortcut(kAll + u"\\Calc.lnk");
    shortcut(kAll + u"\\calc.url");
    shortcut(kAll + u"\\Sub\\CALC.lnk");
    std::vector<FileEntry> top;
    ASSERT_EQ(w_.files.list(kAll, top), 0u);
    // Whatever the listing order, the entry is the last shortcut met in a depth-first walk of it.
    std::u16string last;
    for (const FileEntry& e : top) last = kAll + u"\\" + e.name + ((e.attributes & win::kAttrDirectory) ? u"\\CALC.lnk" : u"");
    app_index_build();
    std::vector<RowText> rows = listed();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].path, u8(last));
}

TEST_F(AppIndexTest, FoldersDeeperThanSixteenLevelsAreNotScanned) {
    std::u16string folder = kUser;
    for (int depth = 1; depth <= 17; ++depth) {
        folder += u"\\d" + u16(std::to_string(depth));
        shortcut(folder + u"\\At depth " + u16(std::to_string(depth)) + u".lnk");
    }
    app_index_build();
    std::vector<RowText> rows = searched(u"at depth");
    ASSERT_EQ(rows.size(), 16u);
    for (const RowText& r : rows) EXPECT_NE(r.title, "At depth 17");
    EXPECT_TRUE(searched(u"At depth 17").empty());
}

TEST_F(AppIndexTest, MissingStartMenuFoldersYieldNothing) {
    w_.files.set_known_folder(KnownFolder::Programs, u"");
    w_.files.set_known_folder(KnownFolder::CommonPrograms, u"C:\\Nowhere\\Programs");
    shortcut(kUser + u"\\Notepad.lnk");
    app_index_build();
    EXPECT_EQ(app_index_counts().shortcuts, 0);
    EXPECT_EQ(listed(), std::vector<RowText>{settings_app()});
}

TEST_F(AppIndexTest, PathsTooLongToKeepWholeAreLeftOut) {
    std::u16string folder = kUser + u"\\" + std::u16string(150, u'x');
    size_t fits = 267 - folder.size() - 1 - 4;
    shortcut(folder + u"\\" + std::u16string(fits, u'k') + u".lnk");      // 267 units: kept
    shortcut(folder + u"\\" + std::u16string(fits + 1, u'm') + u".lnk");  // 268 units: would be cut
    app_index_build();
    std::vector<RowText> rows = listed();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].title, std::string(fits, 'k'));
    EXPECT_EQ(rows[0].path.size(), 267u);
}

TEST_F(AppIndexTest, ManyShortcutsGrowTheIndexAndStayUnique) {
    for (int i = 0; i < 700; ++i) shortcut(kUser + u"\\Tool " + u16(std::to_string(i)) + u".lnk");
    for (int i = 0; i < 700; i += 2) shortcut(kAll + u"\\tool " + u16(std::to_string(i)) + u".url");
    app_index_build();
    EXPECT_EQ(app_index_counts().shortcuts, 700);
    std::vector<RowText> rows = searched(u"tool 698");
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows[0], app("tool 698", kAll + u"\\tool 698.url", 110));
    rows = searched(u"Tool 699");
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows[0], app("Tool 699", kUser + u"\\Tool 699.lnk", 110));
}

TEST_F(AppIndexTest, PackagedAppsTargetsAndShadowing) {
    shortcut(kUser + u"\\Calculator.lnk");
    w_.apps_folder.add(u"calculator", u"Microsoft.WindowsCalculator_8wekyb3d8bbwe!App");
    w_.apps_folder.add(u"Photos", u"Microsoft.Windows.Photos_8wekyb3d8bbwe!App");
    w_.apps_folder.add(u"Control Panel", u"shell:::{26EE0668-A00A-44D7-9371-BEB064C98683}");
    w_.apps_folder.add(u"", u"Nameless!App");
    w_.apps_folder.add(u"No Target", u"");
    w_.apps_folder.add(u"Too Long", std::u16string(1024 - 17, u'z'));
    w_.apps_folder.add(u"Just Fits", std::u16string(1023 - 17, u'y'));
    w_.apps_folder.add(std::u16string(600, u'N'), u"Long.Name!App");
    app_index_build();
    EXPECT_EQ(app_index_counts().packaged, 5);

    const std::string photos = "shell:AppsFolder\\Microsoft.Windows.Photos_8wekyb3d8bbwe!App";
    std::vector<RowText> rows = listed();
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[0], app("Calculator", kUser + u"\\Calculator.lnk"));  // the packaged "calculator" is shadowed
    EXPECT_EQ(rows[1], packaged("Control Panel", "shell:::{26EE0668-A00A-44D7-9371-BEB064C98683}"));
    EXPECT_EQ(rows[2], packaged("Just Fits", "shell:AppsFolder\\" + std::string(1023 - 17, 'y')));
    EXPECT_EQ(rows[3].title, std::string(511, 'N'));
    EXPECT_EQ(rows[4], packaged("Photos", photos));
    EXPECT_EQ(rows[5], settings_app());

    EXPECT_EQ(searched_packaged(u"photo"), std::vector<RowText>{packaged("Photos", photos, 100)});
    EXPECT_TRUE(searched_packaged(u"calculator").empty());
    EXPECT_EQ(searched(u"calculator"), std::vector<RowText>{app("Calculator", kUser + u"\\Calculator.lnk", 110)});
    // Packaged apps are not among the Start Menu search's rows.
    EXPECT_TRUE(searched(u"photos").empty());
}

TEST_F(AppIndexTest, FailedPackagedEnumerationLeavesTheShortcuts) {
    shortcut(kUser + u"\\Notepad.lnk");
    w_.apps_folder.add(u"Photos", u"Photos!App");
    w_.apps_folder.set_failure(0x80004005u);
    app_index_build();
    EXPECT_EQ(app_index_counts().shortcuts, 1);
    EXPECT_EQ(app_index_counts().packaged, 0);
}

TEST_F(AppIndexTest, SearchScoresTagsAndTheSettingsRow) {
    shortcut(kUser + u"\\Notepad.lnk");
    shortcut(kUser + u"\\Windows Terminal.lnk");
    shortcut(kUser + u"\\My-Test.lnk");
    shortcut(kUser + u"\\Paint.lnk");
    app_index_build();
    EXPECT_EQ(searched(u"notep"), std::vector<RowText>{app("Notepad", kUser + u"\\Notepad.lnk", 100)});
    EXPECT_EQ(searched(u"test"), std::vector<RowText>{app("My-Test", kUser + u"\\My-Test.lnk", 85)});
    // Shortcut rows first, in index order, then the Settings app.
    EXPECT_EQ(searched(u"windows"), (std::vector<RowText>{app("Windows Terminal", kUser + u"\\Windows Terminal.lnk", 100),
                                                          settings_app(100)}));
    EXPECT_EQ(searched(u"windows settings"), std::vector<RowText>{settings_app(110)});
    EXPECT_EQ(searched(u"WINDOWS SETTINGS"), std::vector<RowText>{settings_app(110)});
    for (const char16_t* nothing : {u"", static_cast<const char16_t*>(nullptr)}) {
        EXPECT_TRUE(searched(nothing).empty());
        EXPECT_TRUE(searched_packaged(nothing).empty());
    }
    EXPECT_TRUE(searched(u"qqzzx").empty());
}

// Every field of a row, the strings unit for unit (null kept apart from empty).
struct FullRow {
    std::u16string title, subtitle, path, target;
    bool null_title, null_subtitle, null_path, null_target, other_fields;
    int32_t kind, score;
    char tag;
    bool operator==(const FullRow&) const = default;
};

std::ostream& operator<<(std::ostream& os, const FullRow& r) {
    return os << "{" << u8(r.title) << " | " << u8(r.path) << " | " << r.score << " " << r.tag << "}";
}

FullRow full_row(const Row& r) {
    auto text = [](const char16_t* s) { return s ? std::u16string(s) : std::u16string(); };
    bool other = r.argument || r.icon_source || r.number || r.sub_kind || r.size || r.has_size || r.used_bytes ||
                 r.total_bytes || r.has_usage || r.modified || r.has_modified || r.is_folder || r.from_history ||
                 r.record_launch || r.state;
    return FullRow{text(r.title), text(r.subtitle), text(r.path),  text(r.target), !r.title, !r.subtitle,
                   !r.path,       !r.target,      other,         r.kind,         r.score, r.tag};
}

FullRow plain_row(const char16_t* title, const char16_t* path, const char16_t* target, int32_t score, char tag) {
    return FullRow{title, u"Application", path ? path : u"", target, false, false, !path, false, false, kKindOpen,
                   score, tag};
}

// The rows of the searches as scoring every name with fuzzy_score gives them.
std::vector<FullRow> reference_rows(const char16_t* q, bool packaged_search) {
    std::vector<FullRow> out;
    if (!q || !*q) return out;
    {
        AppIndex& ix = app_index();
        std::lock_guard<std::mutex> lock(ix.lock);
        if (!packaged_search) {
            for (int32_t i = 0; i < ix.shortcut_count; ++i) {
                const ShortcutEntry& e = ix.shortcuts[i];
                int32_t s = fuzzy_score(q, e.name, 110, 100, 85);
                if (s >= 0) out.push_back(plain_row(e.name, e.link_path, e.link_path, s, 'A'));
            }
        } else {
            for (int32_t i = 0; i < ix.packaged_count; ++i) {
                const PackagedAppEntry& e = ix.packaged[i];
                int32_t s = fuzzy_score(q, e.name, 110, 100, 85);
                if (s >= 0 && !shortcut_name_exists(ix, e.name)) out.push_back(plain_row(e.name, e.app_target, e.app_target, s, 'T'));
            }
        }
    }
    int32_t s = fuzzy_score(q, u"Windows Settings", 110, 100, 85);
    if (!packaged_search && s >= 0) out.push_back(plain_row(u"Windows Settings", nullptr, u"ms-settings:", s, 'A'));
    return out;
}

std::vector<FullRow> rows_of(const RowList& l, int32_t from = 0) {
    std::vector<FullRow> out;
    for (int32_t i = from; i < l.count; ++i) out.push_back(full_row(l.items[i]));
    return out;
}

// The searches pass over names by their unit summaries and copy the rows of an arena list in one
// block; what they return must stay what scoring every name gives, for every kind of list.
TEST_F(AppIndexTest, SearchRowsAreThoseOfScoringEveryName) {
    for (const char16_t* n : {u"Notepad++", u"Visual Studio Code", u"visual-studio_installer.v2", u"STUDIO Pro 12",
                              u"Studio", u"\u00c4rger Manager", u"\u00e4rger", u"Caf\u00e9 \u00dcber", u"\u8a18\u4e8b\u5e33",
                              u"\U0001F3B5 Music Player", u"Stra\u00dfe", u"C.D.E", u"x", u"a b-c.d_e", u"Windows Terminal",
                              u"abcdefghij abcdefghij-abcdefghij_abcdefghij"})
        shortcut(kUser + u"\\" + n + u".lnk");
    shortcut(kAll + u"\\Tools\\Git Bash.url");
    w_.apps_folder.add(u"Photos", u"Photos!App");
    w_.apps_folder.add(u"notepad++", u"Notepad!App");  // carried by the shortcut
    w_.apps_folder.add(std::u16string(u"Ab\0cd", 5), u"Nul!App");
    w_.apps_folder.add(u"Store: Apps\\Games", u"shell:::{Store}");
    w_.apps_folder.add(u"\u00c4\u00d6\u00dc", u"Umlauts!App");
    app_index_build();
    ASSERT_EQ(app_index_counts().shortcuts, 17);

    const std::vector<std::u16string> queries = {
        u"E", u"e", u"STUDIO", u"studio", u"\u00e4", u"\u00c4", u"\u00e4r", u"\u00dc", u"-", u".", u"_", u" ", u"\\", u":",
        u"++", u"\U0001F3B5", u"\xD83C", u"\u8a18\u4e8b", u"vsc", u"ab", u"qqzx", u"12", u"a b", u"c.d", u"x", u"X",
        u"windows settings", u"WINDOWS", u"notepad++ and a query longer than any name", u"Ab",
        u"abcdefghij abcdefghij-abcdefghij_abc", u"abcdefghijabcdefghijabcdefghijabcdefghij"};
    auto check_all = [&](const char* pass) {
        for (const std::u16string& q : queries) {
            SCOPED_TRACE(std::string(pass) + " query " + u8(q));
            for (bool packaged_search : {false, true}) {
                auto search = packaged_search ? search_packaged_apps : search_apps;
                std::vector<FullRow> want = reference_rows(q.c_str(), packaged_search);
                RowList arena_list;
                rowlist_init(&arena_list, arena_);
                search(q.c_str(), &arena_list);
                EXPECT_EQ(rows_of(arena_list), want);
                // Appending to a list that already holds rows leaves them be.
                search(q.c_str(), &arena_list);
                EXPECT_EQ(rows_of(arena_list, static_cast<int32_t>(want.size())), want);
                RowList heap;
                rowlist_init(&heap, nullptr);
                search(q.c_str(), &heap);
                EXPECT_EQ(rows_of(heap), want);
                rowlist_free(&heap);
            }
        }
        for (const char16_t* nothing : {u"", static_cast<const char16_t*>(nullptr)}) {
            search_apps(nothing, &rows_);
            search_packaged_apps(nothing, &rows_);
            EXPECT_EQ(rows_.count, 0);
        }
    };
    check_all("prepared");
    EXPECT_FALSE(reference_rows(u"studio", false).empty());
    EXPECT_FALSE(reference_rows(u"\u00c4", true).empty());

    // Names whose folded copy could not be made are scored as they are.
    {
        AppIndex& ix = app_index();
        std::lock_guard<std::mutex> lock(ix.lock);
        for (int32_t i = 0; i < ix.shortcut_count; i += 2) ix.shortcuts[i].key.folded = nullptr;
        for (int32_t i = 0; i < ix.packaged_count; i += 2) ix.packaged[i].key.folded = nullptr;
    }
    check_all("unfolded");
}

TEST_F(AppIndexTest, SettingsRowIconOnlyWhenTheFileIsThere) {
    settings_app_row(nullptr, &rows_);
    ASSERT_EQ(rows_.count, 1);
    EXPECT_EQ(rows_.items[0].icon_source, nullptr);
    EXPECT_EQ(rows_.items[0].path, nullptr);
    take();
    w_.files.add_file(u"C:\\Windows\\ImmersiveControlPanel\\SystemSettings.exe", "MZ");
    settings_app_row(u"settings", &rows_);
    ASSERT_EQ(rows_.count, 1);
    ASSERT_NE(rows_.items[0].icon_source, nullptr);
    EXPECT_EQ(u8(rows_.items[0].icon_source), "C:\\Windows\\ImmersiveControlPanel\\SystemSettings.exe");
    EXPECT_EQ(rows_.items[0].tag, 'A');
}

TEST_F(AppIndexTest, ListingIsAlphabeticalWithOneSettingsRow) {
    for (const char16_t* n : {u"zeta", u"Alpha", u"mid", u"Beta"}) shortcut(kAll + u"\\" + n + u".lnk");
    w_.apps_folder.add(u"Gamma", u"Gamma!App");
    w_.apps_folder.add(u"Windows Settings", u"windows.immersivecontrolpanel_cw5n1h2txyewy!microsoft.windows.immersivecontrolpanel");
    app_index_build();
    std::vector<std::string> titles;
    int settings_rows = 0;
    for (const RowText& r : listed()) {
        titles.push_back(r.title);
        settings_rows += r.target == "ms-settings:";
    }
    EXPECT_EQ(settings_rows, 1);
    EXPECT_EQ(titles, (std::vector<std::string>{"Alpha", "Beta", "Gamma", "mid", "Windows Settings", "Windows Settings",
                                                "zeta"}));
}

TEST_F(AppIndexTest, IconsAreKeptPerTargetAndDestroyedWhenReplacedOrCleared) {
    w_.apps_folder.add(u"Photos", u"Photos!App");
    w_.apps_folder.add(u"Mail", u"Mail!App");
    app_index_build();
    auto icon = [](uintptr_t n) { return reinterpret_cast<IconHandle>(n); };

    EXPECT_EQ(app_index_icon_get(u"shell:AppsFolder\\Photos!App"), nullptr);
    app_index_icon_put(u"shell:AppsFolder\\Photos!App", icon(1));
    EXPECT_EQ(app_index_icon_get(u"SHELL:appsfolder\\photos!app"), icon(1));
    app_index_icon_put(u"shell:appsfolder\\PHOTOS!APP", icon(2));  // replaces and destroys the first
    EXPECT_EQ(app_index_icon_get(u"shell:AppsFolder\\Photos!App"), icon(2));
    app_index_icon_put(u"shell:AppsFolder\\Photos!App", icon(2));  // the same handle again stays alive
    app_index_icon_put(u"shell:AppsFolder\\Unknown!App", icon(3));
    app_index_icon_put(u"", icon(4));
    app_index_icon_put(nullptr, icon(5));
    app_index_icon_put(u"shell:AppsFolder\\Mail!App", icon(6));
    EXPECT_EQ(app_index_icon_get(u""), nullptr);
    EXPECT_EQ(app_index_icon_get(nullptr), nullptr);
    EXPECT_EQ(w_.apps_folder.destroyed(), (std::vector<IconHandle>{icon(1), icon(3), icon(4), icon(5)}));

    app_index_clear();
    std::vector<IconHandle> destroyed = w_.apps_folder.destroyed();
    ASSERT_EQ(destroyed.size(), 6u);
    EXPECT_EQ(std::vector<IconHandle>(destroyed.begin() + 4, destroyed.end()), (std::vector<IconHandle>{icon(2), icon(6)}));
    EXPECT_EQ(app_index_icon_get(u"shell:AppsFolder\\Photos!App"), nullptr);
}

TEST_F(AppIndexTest, ReloadRebuildsDestroysIconsAndMovesTheCacheGenerationOn) {
    shortcut(kUser + u"\\Old.lnk");
    w_.apps_folder.add(u"Photos", u"Photos!App");
    app_index_build();
    app_index_icon_put(u"shell:AppsFolder\\Photos!App", reinterpret_cast<IconHandle>(7));
    shortcut(kUser + u"\\New.lnk");
    uint32_t before = cache_generation();
    app_index_reload();
    EXPECT_EQ(cache_generation(), before + 1);
    EXPECT_EQ(app_index_counts().shortcuts, 2);
    EXPECT_EQ(app_index_counts().packaged, 1);  // rebuilt, not appended twice
    EXPECT_EQ(w_.apps_folder.destroyed(), std::vector<IconHandle>{reinterpret_cast<IconHandle>(7)});
    EXPECT_EQ(app_index_icon_get(u"shell:AppsFolder\\Photos!App"), nullptr);

    app_index_build();  // a second build replaces what the first one found
    EXPECT_EQ(app_index_counts().packaged, 1);
    EXPECT_EQ(app_index_counts().shortcuts, 2);
}

TEST_F(AppIndexTest, BuilderPostsAppsChangedOnceItIsDone) {
    shortcut(kUser + u"\\Notepad.lnk");
    w_.apps_folder.add(u"Photos", u"Photos!App");
    w_.window.open_window();
    app_index_start(&w_.window, WM_APP_APPS_CHANGED);
    PostedMessage m;
    ASSERT_TRUE(w_.window.wait(m, 5000));
    EXPECT_EQ(m.message, 32770u);
    EXPECT_EQ(m.wparam, 0u);
    EXPECT_EQ(m.lparam, nullptr);
    EXPECT_EQ(app_index_counts().shortcuts, 1);
    EXPECT_EQ(app_index_counts().packaged, 1);

    // The finished builder's handle is still held: a second start does nothing.
    app_index_start(&w_.window, WM_APP_APPS_CHANGED);
    app_index_clear();
    EXPECT_EQ(w_.window.pending(), 0u);
    EXPECT_EQ(w_.apps_folder.enumerations(), 1);

    // After a clear the next start builds again.
    app_index_start(nullptr, WM_APP_APPS_CHANGED);
    app_index_clear();
    EXPECT_EQ(w_.apps_folder.enumerations(), 2);
    EXPECT_EQ(w_.window.pending(), 0u);
}

TEST_F(AppIndexTest, WithoutAThreadTheIndexIsBuiltAtOnceAndNothingIsPosted) {
    shortcut(kUser + u"\\Notepad.lnk");
    w_.window.open_window();
    app_index_fail_next_thread_start();
    app_index_start(&w_.window, WM_APP_APPS_CHANGED);
    EXPECT_EQ(app_index_counts().shortcuts, 1);
    EXPECT_EQ(w_.window.pending(), 0u);
}

TEST_F(AppIndexTest, SearchesAreAnsweredWhileThePackagedAppsAreListed) {
    shortcut(kUser + u"\\Notepad.lnk");
    w_.apps_folder.add(u"Photos", u"Photos!App");
    std::mutex m;
    std::condition_variable cv;
    bool answered = false;
    int32_t rows_seen = -1;
    w_.apps_folder.set_during_enumerate([&] {
        // A reader on another thread must get the lock while the shell is being asked.
        std::thread reader([&] {
            Arena* a = arena_create(4096);
            RowList l;
            rowlist_init(&l, a);
            search_apps(u"notepad", &l);
            std::lock_guard<std::mutex> g(m);
            rows_seen = l.count;
            answered = true;
            arena_destroy(a);
            cv.notify_all();
        });
        std::unique_lock<std::mutex> g(m);
        bool ok = cv.wait_for(g, std::chrono::seconds(5), [&] { return answered; });
        g.unlock();
        if (ok) reader.join();
        else reader.detach();
    });
    app_index_build();
    w_.apps_folder.set_during_enumerate(nullptr);
    std::lock_guard<std::mutex> g(m);
    ASSERT_TRUE(answered) << "the index lock was held during the enumeration";
    EXPECT_EQ(rows_seen, 1);  // the Start Menu entries were already there
    EXPECT_EQ(app_index_counts().packaged, 1);
}

// An indexer that records how the all-apps view asked it and answers the rows a test sets.
struct ViewIndexer {
    std::u16string query, extension_filter, highlight;
    bool highlight_null = false;
    int folders_only = -1, many = -1;
    int32_t generation = -1;
    int calls = 0;
    std::vector<RowText> answer;
};
ViewIndexer* g_view = nullptr;

void view_search(const char16_t* q, int folders_only, const char16_t* ext, const char16_t* highlight, RowList* out,
                 int32_t generation, int many) {
    ViewIndexer& v = *g_view;
    ++v.calls;
    v.query = q ? q : u"";
    v.extension_filter = ext ? ext : u"";
    v.highlight_null = highlight == nullptr;
    v.highlight = highlight ? highlight : u"";
    v.folders_only = folders_only, v.many = many, v.generation = generation;
    int32_t from = out->count;
    for (const RowText& r : v.answer) {
        std::u16string t = u16(r.title), p = u16(r.path), g = u16(r.target);
        rowlist_add_fields(out, t.c_str(), u"Application", p.c_str(), g.c_str(), r.kind, r.score);
    }
    rowlist_set_tag(out, from, 'W');
}

class AppsViewTest : public AppIndexTest {
protected:
    void SetUp() override {
        AppIndexTest::SetUp();
        options_reset();
        g_view = &view_;
        saved_ = indexer_backend_install(&backend_);
    }
    void TearDown() override {
        indexer_backend_install(saved_);
        g_view = nullptr;
        options_reset();
        AppIndexTest::TearDown();
    }
    std::vector<RowText> view(const char16_t* q, int32_t generation = 9) {
        apps_view_search(q, &rows_, generation);
        return take();
    }
    ViewIndexer view_;
    IndexerBackend backend_{kIndexerWindowsSearch, view_search, nullptr};
    const IndexerBackend* saved_ = nullptr;
};

TEST_F(AppsViewTest, BlankQueryListsEveryAppWithoutAskingTheIndexer) {
    shortcut(kUser + u"\\Notepad.lnk");
    app_index_build();
    EXPECT_EQ(view(u"  \t"), (std::vector<RowText>{app("Notepad", kUser + u"\\Notepad.lnk"), settings_app()}));
    EXPECT_EQ(view(nullptr).size(), 2u);
    EXPECT_EQ(view_.calls, 0);
}

TEST_F(AppsViewTest, AsksForExecutablesDropsInformationRowsAndMergesTheApps) {
    shortcut(kUser + u"\\Notepad.lnk");
    app_index_build();
    const std::string lnk = u8(kUser + u"\\Notepad.lnk");
    view_.answer = {RowText{"No results", "", "", kKindInfo, 1, '?'},
                    RowText{"notepad.exe", "C:\\Windows\\notepad.exe", "C:\\Windows\\notepad.exe", kKindOpen, 96, 'W'},
                    RowText{"Notepad", lnk, lnk, kKindOpen, 90, 'W'},  // the shortcut itself, found again
                    RowText{"Turn on indexing", "", "", kKindIndexingOptions, 2, '?'}};
    std::vector<RowText> rows = view(u"  note", 42);
    EXPECT_EQ(view_.query, u"note");
    EXPECT_EQ(view_.extension_filter, u"exe;lnk;appref-ms");
    EXPECT_TRUE(view_.highlight_null);
    EXPECT_EQ(view_.folders_only, 0);
    EXPECT_EQ(view_.many, 0);
    EXPECT_EQ(view_.generation, 42);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], app("Notepad", kUser + u"\\Notepad.lnk", 100));
    EXPECT_EQ(rows[1].title, "notepad.exe");
    EXPECT_EQ(rows[2].kind, kKindIndexingOptions);  // guidance with an action stays

    view_.answer = {RowText{"No results", "", "", kKindInfo, 1, '?'}};
    EXPECT_TRUE(view(u"qqzzx").empty());
}

TEST_F(AppsViewTest, CapAtFiftyUnlessExtensionQueryOrNoCap) {
    for (int i = 0; i < 70; ++i) {
        std::string p = "C:\\bin\\tool" + std::to_string(i) + ".exe";
        view_.answer.push_back(RowText{"tool" + std::to_string(i) + ".exe", p, p, kKindOpen, 60 + i % 20, 'W'});
    }
    std::vector<RowText> rows = view(u"tool");
    ASSERT_EQ(rows.size(), 50u);
    for (size_t i = 1; i < rows.size(); ++i) EXPECT_GE(rows[i - 1].score, rows[i].score);

    EXPECT_EQ(view(u"*.exe").size(), 70u);
    EXPECT_EQ(view_.highlight, u"*.exe");
    EXPECT_FALSE(view_.highlight_null);
    EXPECT_EQ(view_.many, 1);

    options_toggle_uncapped();
    EXPECT_EQ(view(u"tool").size(), 70u);
    EXPECT_EQ(view_.many, 0);
}

TEST_F(AppsViewTest, JoinsThePipelineSourceTable) {
    PipelineSources saved = pipeline_sources();
    apps_join_pipeline();
    EXPECT_EQ(pipeline_sources().search_apps, search_apps);
    EXPECT_EQ(pipeline_sources().search_packaged_apps, search_packaged_apps);
    EXPECT_EQ(pipeline_sources().list_all_apps, list_all_apps);
    EXPECT_EQ(pipeline_sources().apps_view_search, apps_view_search);
    EXPECT_EQ(pipeline_sources().run_tool, saved.run_tool);
    pipeline_sources_install(saved);
}

}  // namespace
