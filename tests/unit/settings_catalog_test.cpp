// The settings catalog: the table's shape and targets, and search_settings over it.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <thread>
#include <string>
#include <vector>

#include "core/arena.h"
#include "core/row.h"
#include "core/text.h"
#include "platform/fake/fake_world.h"
#include "sources/settings_catalog.h"
#include "support/u16.h"

namespace {

std::u16string_view sv(const char16_t* s) { return text_view(s); }

std::vector<std::u16string_view> split_bar(const char16_t* s) {
    std::vector<std::u16string_view> out;
    std::u16string_view rest = sv(s);
    for (;;) {
        size_t bar = rest.find(u'|');
        out.push_back(rest.substr(0, bar));
        if (bar == rest.npos) break;
        rest.remove_prefix(bar + 1);
    }
    return out;
}

const SettingsEntry* find_entry(std::u16string_view name, std::u16string_view area = {}) {
    for (const SettingsEntry& e : settings_catalog()) {
        if (sv(e.name) == name && (area.empty() || sv(e.area) == area)) return &e;
    }
    return nullptr;
}

// ---- the table ----

TEST(SettingsCatalogTable, HoldsEveryEntryGroupedByType) {
    auto cat = settings_catalog();
    ASSERT_EQ(cat.size(), 535u);
    int by_type[3] = {0, 0, 0};
    int alt_by_type[3] = {0, 0, 0};
    int kw_by_type[3] = {0, 0, 0};
    uint8_t last_type = 0;
    for (const SettingsEntry& e : cat) {
        ASSERT_LE(e.type, 2);
        EXPECT_GE(e.type, last_type) << u8(sv(e.name)) << ": types are grouped, pages first";
        last_type = e.type;
        ++by_type[e.type];
        if (e.alt_names) ++alt_by_type[e.type];
        if (e.keywords) ++kw_by_type[e.type];
        EXPECT_FALSE(sv(e.name).empty());
        EXPECT_FALSE(sv(e.area).empty());
        EXPECT_EQ(e.type == kSettingsTaskLink, sv(e.area) == u"Unknown") << u8(sv(e.name));
    }
    EXPECT_EQ(by_type[0], 197);
    EXPECT_EQ(by_type[1], 84);
    EXPECT_EQ(by_type[2], 254);
    EXPECT_EQ(alt_by_type[0], 43);
    EXPECT_EQ(alt_by_type[1], 25);
    EXPECT_EQ(alt_by_type[2], 0);
    EXPECT_EQ(kw_by_type[0], 1);
    EXPECT_EQ(kw_by_type[1], 0);
    EXPECT_EQ(kw_by_type[2], 253);
}

TEST(SettingsCatalogTable, BuildBoundsAreExactlyTheKnownOnes) {
    struct Bound {
        const char16_t* name;
        const char16_t* area;
        const char16_t* target;
        int32_t min_build, max_build;
    };
    const Bound expected[] = {
        {u"App volume and device preferences", u"System", u"ms-settings:apps-volume", 18362, 0},
        {u"Windows Update - View optional updates", u"Update and security", u"ms-settings:windowsupdate-optionalupdates", 19041, 0},
        {u"Default camera", u"Devices", u"ms-settings:camera", 0, 17763},
        {u"Fonts", u"Ease of access", u"ms-settings:fonts", 0, 17763},
        {u"Other options", u"Ease of access", u"ms-settings:easeofaccess-otheroptions", 0, 17763},
        {u"TruePlay", u"Gaming", u"ms-settings:gaming-trueplay", 0, 17763},
        {u"Glance", u"Personalization", u"ms-settings:personalization-glance", 0, 17763},
        {u"Navigation bar", u"Personalization", u"ms-settings:personalization-navbar", 0, 17763},
        {u"Accessory apps", u"Privacy", u"ms-settings:privacy-accessoryapps", 0, 17763},
        {u"Advertising ID", u"Privacy", u"ms-settings:privacy-advertisingid", 0, 17763},
        {u"Phone", u"System", u"ms-settings:phone", 0, 17763},
    };
    for (const Bound& b : expected) {
        const SettingsEntry* e = find_entry(b.name, b.area);
        ASSERT_NE(e, nullptr) << u8(b.name);
        EXPECT_EQ(sv(e->target), sv(b.target));
        EXPECT_EQ(e->min_build, b.min_build) << u8(b.name);
        EXPECT_EQ(e->max_build, b.max_build) << u8(b.name);
    }
    int lower = 0, upper = 0;
    for (const SettingsEntry& e : settings_catalog()) lower += e.min_build != 0, upper += e.max_build != 0;
    EXPECT_EQ(lower, 2);
    EXPECT_EQ(upper, 9);
}

TEST(SettingsCatalogTable, KnownEntriesOpenTheirDocumentedTargets) {
    struct Known {
        const char16_t* name;
        const char16_t* area;
        const char16_t* target;
        uint8_t type;
    };
    const Known known[] = {
        {u"Bluetooth", u"Devices", u"ms-settings:bluetooth", 0},
        {u"Ethernet", u"Network and Internet", u"ms-settings:network-ethernet", 0},
        {u"Network", u"Network and Internet", u"ms-settings:network", 0},
        {u"Advanced display settings", u"System", u"ms-settings:display-advanced", 0},
        {u"Virus & threat protection", u"Update and security", u"windowsdefender://threat/", 0},
        {u"Administrative Tools", u"System and Security", u"control /name Microsoft.AdministrativeTools", 1},
        {u"Generate a system health report", u"Unknown", u"%windir%\\system32\\perfmon.exe /report", 2},
        {u"Magnify portions of the screen using Magnifier", u"Unknown",
         u"%SystemRoot%\\System32\\control.exe -name Microsoft.EaseOfAccessCenter /page pageEasierToSee", 2},
    };
    for (const Known& k : known) {
        const SettingsEntry* e = find_entry(k.name, k.area);
        ASSERT_NE(e, nullptr) << u8(k.name);
        EXPECT_EQ(sv(e->target), sv(k.target));
        EXPECT_EQ(e->type, k.type);
    }
    const SettingsEntry* ethernet = find_entry(u"Ethernet");
    EXPECT_EQ(sv(ethernet->alt_names), u"DNS|SDNS|SecureDNS|Gateway|DHCP|IP");
    EXPECT_EQ(sv(find_entry(u"Network", u"Network and Internet")->alt_names), sv(ethernet->alt_names));
    EXPECT_EQ(sv(find_entry(u"Accessibility Options")->alt_names), u"access.cpl");
    auto health = split_bar(find_entry(u"Generate a system health report")->keywords);
    for (std::u16string_view w : {u"diagnose", u"performance", u"slow", u"troubleshooter"})
        EXPECT_NE(std::find(health.begin(), health.end(), w), health.end()) << u8(w);
    auto magnify = split_bar(find_entry(u"Magnify portions of the screen using Magnifier")->keywords);
    for (std::u16string_view w : {u"zoom", u"bigger", u"larger"})
        EXPECT_NE(std::find(magnify.begin(), magnify.end(), w), magnify.end()) << u8(w);
}

TEST(SettingsCatalogTable, WordListsAreWhatAUserTypes) {
    for (const SettingsEntry& e : settings_catalog()) {
        if (e.keywords) {
            for (std::u16string_view w : split_bar(e.keywords)) {
                EXPECT_FALSE(w.empty()) << u8(sv(e.name));
                for (char16_t c : w) {
                    EXPECT_TRUE(c > u' ' && !(c >= u'A' && c <= u'Z'))
                        << u8(sv(e.name)) << ": keyword \"" << u8(w) << "\" is not one lower-case word";
                }
            }
        }
        if (e.alt_names) {
            for (std::u16string_view a : split_bar(e.alt_names)) {
                EXPECT_FALSE(a.empty()) << u8(sv(e.name));
                EXPECT_LE(a.size(), 159u);
                EXPECT_FALSE(text_is_blank(a.front()) || text_is_blank(a.back())) << u8(sv(e.name));
            }
        }
    }
}

// Every target is one of the forms Windows opens: an ms-settings: page, one of the few other URI
// schemes, a Control Panel command, or a program under the Windows folder.
TEST(SettingsCatalogTable, TargetsAreWellFormed) {
    auto is_canonical = [](std::u16string_view s) {
        if (!s.starts_with(u"Microsoft.") || s.size() == 10) return false;
        return std::all_of(s.begin() + 10, s.end(), [](char16_t c) {
            return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9');
        });
    };
    auto is_page_name = [](std::u16string_view s) {
        return !s.empty() && s.find(u' ') == s.npos;
    };
    int ms_settings = 0;
    for (const SettingsEntry& e : settings_catalog()) {
        std::u16string_view t = sv(e.target);
        SCOPED_TRACE(u8(sv(e.name)) + " -> " + u8(t));
        ASSERT_FALSE(t.empty());
        EXPECT_FALSE(text_is_blank(t.front()) || text_is_blank(t.back()));
        EXPECT_EQ(t.find(u"  "), t.npos);
        if (t.starts_with(u"ms-settings:")) {
            ++ms_settings;
            std::u16string_view page = t.substr(12);
            EXPECT_TRUE(std::all_of(page.begin(), page.end(), [](char16_t c) {
                return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'-';
            }));
            continue;
        }
        if (e.type == kSettingsPage) {
            EXPECT_TRUE(t.starts_with(u"windowsdefender:"));
            continue;
        }
        if (t == u"control" || t.starts_with(u"ms-availablenetworks:") || t.starts_with(u"shell:") ||
            t.starts_with(u"https://support.microsoft.com/"))
            continue;
        if (t.starts_with(u"control /name ")) {
            EXPECT_TRUE(is_canonical(t.substr(14)));
            continue;
        }
        if (t.starts_with(u"control ")) {
            std::u16string_view arg = t.substr(8);
            EXPECT_TRUE(arg == u"schedtasks" || arg.find(u".cpl") != arg.npos);
            EXPECT_EQ(arg.find(u' '), arg.npos);
            continue;
        }
        const std::u16string_view cp = u"%SystemRoot%\\System32\\control.exe -name ";
        if (t.starts_with(cp)) {
            std::u16string_view rest = t.substr(cp.size());
            size_t page = rest.find(u" /page ");
            EXPECT_TRUE(is_canonical(rest.substr(0, page)));
            if (page != rest.npos) {
                EXPECT_TRUE(is_page_name(rest.substr(page + 7)));
            }
            continue;
        }
        // A program under the Windows folder, then its arguments.
        EXPECT_TRUE(text_starts_with_ci(t, u"%windir%\\system32\\") || text_starts_with_ci(t, u"%windir%\\syswow64\\") ||
                    text_starts_with_ci(t, u"%windir%\\Speech\\"));
        std::u16string_view exe = t.substr(0, t.find(u' '));
        EXPECT_TRUE(text_ends_with_ci(exe, u".exe"));
    }
    EXPECT_EQ(ms_settings, 194);
}

TEST(SettingsCatalogTable, TitlesAreUniqueWithinAnArea) {
    std::set<std::u16string> seen;
    for (const SettingsEntry& e : settings_catalog()) {
        std::u16string key = std::u16string(sv(e.area)) + u"\n" + std::u16string(sv(e.name)) + u"\n" + char16_t(u'0' + e.type);
        EXPECT_TRUE(seen.insert(key).second) << u8(sv(e.name));
    }
}

// ---- search ----

class SettingsSearch : public ::testing::Test {
protected:
    void SetUp() override {
        settings_reset_build_cache();
        settings_set_build_override(0);
        arena_ = arena_create(64 * 1024);
        rowlist_init(&rows_, arena_);
    }
    void TearDown() override {
        rowlist_free(&rows_);
        arena_destroy(arena_);
        settings_set_build_override(0);
        settings_reset_build_cache();
    }
    int32_t search(const char16_t* q, int32_t cap = kSettingsNoCap) {
        rowlist_free(&rows_);
        rowlist_init(&rows_, arena_);
        return search_settings(q, &rows_, cap);
    }
    const Row* row_titled(std::u16string_view title) const {
        for (int32_t i = 0; i < rows_.count; ++i) {
            if (sv(rows_.items[i].title) == title) return &rows_.items[i];
        }
        return nullptr;
    }
    bool has_title(std::u16string_view title) const { return row_titled(title) != nullptr; }

    Arena* arena_ = nullptr;
    RowList rows_{};
};

TEST_F(SettingsSearch, ScoresByNameAreaAlternativeNameAndKeyword) {
    struct Case {
        const char16_t* query;
        const char16_t* title;
        int32_t score;
    };
    const Case cases[] = {
        {u"bluetooth", u"Bluetooth", 100},                        // exact name
        {u"BLUETOOTH", u"Bluetooth", 100},                        // ASCII case folded
        {u"dns", u"Ethernet", 90},                                // alternative name, exact, less 10
        {u"dns", u"Network", 90},
        {u"services.msc", u"Services", 90},                       // an item's alternative name
        {u"troubleshooter", u"Generate a system health report", 1},  // task link found by keyword only
        {u"Generate a system health report", u"Generate a system health report", 50},  // less the task-link penalty
        {u"disappear", u"Auto-hide the taskbar", 10},             // the one page with keywords
        {u"zoom bigger", u"Magnify portions of the screen using Magnifier", 1},  // every word a keyword
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(u8(c.query));
        search(c.query);
        const Row* r = row_titled(c.title);
        ASSERT_NE(r, nullptr) << u8(c.title);
        EXPECT_EQ(r->score, c.score);
    }
    search(u"privacy");
    ASSERT_GT(rows_.count, 30);
    int in_area = 0;
    for (int32_t i = 0; i < rows_.count; ++i) in_area += text_contains_ci(rows_.items[i].subtitle, u"Privacy") != 0;
    EXPECT_GE(in_area, 29);  // the 31 Privacy pages less the two gone on the fake's build 19045
    const Row* camera = row_titled(u"Camera");
    ASSERT_NE(camera, nullptr);
    EXPECT_EQ(camera->score, 90);  // area exact (100) less 10
    EXPECT_EQ(sv(camera->subtitle), u"System settings > Privacy");
}

TEST_F(SettingsSearch, RowsCarryTheEntryAndComeSortedByScore) {
    search(u"bluetooth");
    ASSERT_GT(rows_.count, 1);
    EXPECT_EQ(sv(rows_.items[0].title), u"Bluetooth");
    for (int32_t i = 0; i < rows_.count; ++i) {
        const Row& r = rows_.items[i];
        EXPECT_EQ(r.kind, kKindSettings);
        EXPECT_EQ(r.tag, tag::kSettings);
        EXPECT_EQ(r.path, nullptr);
        if (i > 0) {
            EXPECT_GE(rows_.items[i - 1].score, r.score);
        }
    }
    const Row* item = row_titled(u"Bluetooth devices");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(sv(item->subtitle), u"Control Panel > Hardware and Sound");
    EXPECT_EQ(sv(item->target), u"control /name Microsoft.BluetoothDevices");
    const Row* task = row_titled(u"Add a Bluetooth device");
    ASSERT_NE(task, nullptr);
    EXPECT_EQ(sv(task->subtitle), u"Control Panel > Unknown");
    EXPECT_EQ(task->score, 40);  // word start (90) less 50
}

TEST_F(SettingsSearch, TargetsAreNeverSearched) {
    EXPECT_EQ(search(u"ms-settings"), 0);
    EXPECT_EQ(rows_.count, 0);
    EXPECT_EQ(search(u"zzzzqqq"), 0);
}

TEST_F(SettingsSearch, KeywordsOnlyMatchWholeWords) {
    const char16_t* kw = u"zoom|bigger|larger";
    EXPECT_TRUE(settings_keywords_match(u"zoom", kw));
    EXPECT_TRUE(settings_keywords_match(u"ZOOM", kw));
    EXPECT_TRUE(settings_keywords_match(u" bigger\tzoom ", kw));
    EXPECT_TRUE(settings_keywords_match(u"larger", kw));
    EXPECT_FALSE(settings_keywords_match(u"zoo", kw));      // same length required
    EXPECT_FALSE(settings_keywords_match(u"zoomer", kw));
    EXPECT_FALSE(settings_keywords_match(u"zoom tiny", kw));  // every word must be a keyword
    EXPECT_FALSE(settings_keywords_match(u"zoom|bigger", kw));
    EXPECT_FALSE(settings_keywords_match(u"", kw));
    EXPECT_FALSE(settings_keywords_match(u"  \t ", kw));
    EXPECT_FALSE(settings_keywords_match(nullptr, kw));
    EXPECT_FALSE(settings_keywords_match(u"zoom", nullptr));
    // A word that matches no keyword of an entry drops a keyword-only task link.
    search(u"troubleshooter zoom");
    EXPECT_FALSE(has_title(u"Generate a system health report"));
}

TEST_F(SettingsSearch, EmptyQueryListsEverythingTheBuildHas) {
    settings_set_build_override(19045);
    EXPECT_EQ(search(u"", 12), 12);
    EXPECT_EQ(rows_.count, 12);
    EXPECT_EQ(search(nullptr), 526);
    for (int32_t i = 0; i < rows_.count; ++i) {
        EXPECT_EQ(rows_.items[i].kind, kKindSettings);
        EXPECT_EQ(rows_.items[i].score, 100);
        if (i > 0) {
            EXPECT_LE(text_compare_ci(rows_.items[i - 1].title, rows_.items[i].title), 0) << "title order";
        }
    }
    // The first 12 of the capped list are the first 12 of the whole list.
    std::vector<std::u16string> all;
    for (int32_t i = 0; i < 12; ++i) all.emplace_back(rows_.items[i].title);
    search(u"", 12);
    for (int32_t i = 0; i < 12; ++i) EXPECT_EQ(sv(rows_.items[i].title), all[static_cast<size_t>(i)]);
    EXPECT_EQ(search(u"", 0), 0);
}

TEST_F(SettingsSearch, AppendsAfterRowsAlreadyInTheList) {
    rowlist_add_fields(&rows_, u"existing", nullptr, nullptr, nullptr, kKindOpen, 500);
    search_settings(u"bluetooth", &rows_, 3);
    ASSERT_EQ(rows_.count, 4);
    EXPECT_EQ(sv(rows_.items[0].title), u"existing");
    EXPECT_EQ(sv(rows_.items[1].title), u"Bluetooth");
}

TEST_F(SettingsSearch, BuildFilterKeepsOnlyWhatTheBuildHas) {
    const char16_t* bounded[] = {u"Default camera", u"TruePlay", u"Glance", u"Navigation bar", u"Accessory apps",
                                 u"Advertising ID", u"Other options"};
    struct Case {
        int32_t build;
        bool old_pages;      // the pages gone since 17763
        bool optional;       // Windows Update - View optional updates (19041 on)
        bool app_volume;     // App volume and device preferences (18362 on)
        int32_t total;
    };
    const Case cases[] = {
        {19041, false, true, true, 526},
        {17762, true, false, false, 533},
        {17763, false, false, false, 524},  // the first build without the old pages
        {18362, false, false, true, 525},
        {18361, false, false, false, 524},
        {-1, true, true, true, 535},       // no build known: nothing filtered
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.build);
        settings_set_build_override(c.build);
        EXPECT_EQ(search(u""), c.total);
        for (const char16_t* name : bounded) EXPECT_EQ(has_title(name), c.old_pages) << u8(name);
        EXPECT_EQ(has_title(u"Windows Update - View optional updates"), c.optional);
        EXPECT_EQ(has_title(u"App volume and device preferences"), c.app_volume);
        search(u"truepla");
        EXPECT_EQ(has_title(u"TruePlay"), c.old_pages);
    }
}

TEST_F(SettingsSearch, IconsComeFromTheSettingsAppAndControlPanel) {
    FakeWorld w;
    PlatformScope s(w.platform());
    search(u"bluetooth");
    ASSERT_GT(rows_.count, 2);
    for (int32_t i = 0; i < rows_.count; ++i) EXPECT_EQ(rows_.items[i].icon_source, nullptr) << "no icon files yet";

    w.files.add_file(u"C:\\Windows\\ImmersiveControlPanel\\SystemSettings.exe", "MZ");
    w.files.add_file(u"C:\\Windows\\System32\\control.exe", "MZ");
    search(u"bluetooth");
    int types_seen = 0;
    for (int32_t i = 0; i < rows_.count; ++i) {
        const Row& r = rows_.items[i];
        const SettingsEntry* e = find_entry(sv(r.title));
        ASSERT_NE(e, nullptr);
        types_seen |= 1 << e->type;
        EXPECT_EQ(sv(r.icon_source), e->type == kSettingsPage ? u"C:\\Windows\\ImmersiveControlPanel\\SystemSettings.exe"
                                                              : u"C:\\Windows\\System32\\control.exe");
    }
    EXPECT_EQ(types_seen, 7);
}

TEST_F(SettingsSearch, HeapListsOwnTheirRowsAndScratchIsReturned) {
    RowList heap;
    rowlist_init(&heap, nullptr);
    Arena* scratch = scratch_arena();
    uint64_t before = arena_used(scratch);
    EXPECT_EQ(search_settings(u"power", &heap, kSettingsNoCap), heap.count);
    EXPECT_GT(heap.count, 5);
    EXPECT_EQ(arena_used(scratch), before);
    rowlist_free(&heap);
}

// Both search workers may make the first call at once: each gets the whole answer.
TEST_F(SettingsSearch, TwoThreadsOnTheFirstCall) {
    int32_t counts[2] = {0, 0};
    auto work = [&](int slot) {
        Arena* a = arena_create(64 * 1024);
        for (int round = 0; round < 20; ++round) {
            RowList rows;
            rowlist_init(&rows, a);
            counts[slot] += search_settings(round % 2 ? u"bluetooth" : u"", &rows, kSettingsNoCap);
            arena_reset(a);
        }
        arena_destroy(a);
    };
    std::thread t1(work, 0), t2(work, 1);
    t1.join();
    t2.join();
    EXPECT_EQ(counts[0], counts[1]);
    EXPECT_GT(counts[0], 10 * 526);
}

// ---- the build number ----

class WindowsBuild : public ::testing::Test {
protected:
    void SetUp() override { settings_reset_build_cache(); }
    void TearDown() override { settings_reset_build_cache(); }
    static constexpr const char16_t* kKey = u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
};

TEST_F(WindowsBuild, ReadsCurrentBuildThenCurrentBuildNumber) {
    struct Case {
        const char16_t* current_build;  // null: value missing
        const char16_t* build_number;
        int32_t expected;
    };
    const Case cases[] = {
        {u"22631", u"22000", 22631},
        {u"0", u"19045", 19045},
        {u"abc", u"19045", 19045},
        {nullptr, u"17763", 17763},
        {u"123456789012345678", u"19041", 19041},  // longer than 15 units does not fit the buffer
        {u"99999999999", u"18362", 18362},         // out of range
        {u"19045 ", nullptr, 19045},               // parsed as a decimal number up to the first non-digit
        {nullptr, nullptr, 0},
        {u"", u"", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.current_build ? u8(c.current_build) : "(missing)");
        FakeWorld w;
        PlatformScope s(w.platform());
        w.registry.remove_value(RegistryRoot::LocalMachine, kKey, u"CurrentBuild");
        w.registry.remove_value(RegistryRoot::LocalMachine, kKey, u"CurrentBuildNumber");
        if (c.current_build) w.registry.set_string(RegistryRoot::LocalMachine, kKey, u"CurrentBuild", c.current_build);
        if (c.build_number) w.registry.set_string(RegistryRoot::LocalMachine, kKey, u"CurrentBuildNumber", c.build_number);
        settings_reset_build_cache();
        EXPECT_EQ(windows_build(), c.expected);
    }
}

TEST_F(WindowsBuild, IsReadOnceAndKept) {
    FakeWorld w;
    PlatformScope s(w.platform());
    EXPECT_EQ(windows_build(), 19045);
    w.registry.set_string(RegistryRoot::LocalMachine, kKey, u"CurrentBuild", u"22621");
    EXPECT_EQ(windows_build(), 19045);
    w.registry.set_dword(RegistryRoot::LocalMachine, kKey, u"CurrentBuild", 22621);  // wrong type: unreadable
    w.registry.remove_value(RegistryRoot::LocalMachine, kKey, u"CurrentBuildNumber");
    settings_reset_build_cache();
    EXPECT_EQ(windows_build(), 0);
    Platform none = w.platform();
    none.registry = nullptr;
    PlatformScope no_registry(none);
    settings_reset_build_cache();
    EXPECT_EQ(windows_build(), 0);
}

}  // namespace
