#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/arena.h"
#include "core/row.h"
#include "query/cache_generation.h"
#include "store/data_file.h"
#include "store/pins.h"
#include "unit/store_fixture.h"

namespace {

class PinsTest : public StoreTest {
public:
    std::vector<std::string> pinned() {
        PinStore s;
        pins_load(&s);
        std::vector<std::string> out;
        for (int32_t i = 0; i < s.count; ++i) {
            const PinEntry& p = s.items[i];
            out.push_back(cat(std::to_string(p.act), "|", u8(p.path), "|", u8(p.param), "|", u8(p.title)));
        }
        pins_release(&s);
        return out;
    }
};

TEST_F(PinsTest, SettingsPagesToggleByTheirUri) {
    uint32_t g = cache_generation();
    EXPECT_EQ(pin_toggle(nullptr, u"ms-settings:a", u"A", u"System", 2), 1);
    EXPECT_EQ(pin_toggle(u"", u"ms-settings:b", u"B", u"System", 2), 1);
    EXPECT_EQ(cache_generation(), g + 2);
    EXPECT_EQ(pinned(), (std::vector<std::string>{"2||ms-settings:b|B", "2||ms-settings:a|A"}));  // newest first
    EXPECT_TRUE(pin_is_pinned(nullptr, u"MS-SETTINGS:A", 2));
    EXPECT_FALSE(pin_is_pinned(u"ms-settings:a", nullptr, 1));  // never across kinds
    EXPECT_EQ(pin_toggle(nullptr, u"ms-settings:a", nullptr, nullptr, 2), 1);
    EXPECT_EQ(pinned(), (std::vector<std::string>{"2||ms-settings:b|B"}));
    EXPECT_EQ(pin_toggle(nullptr, u"ms-settings:b", nullptr, nullptr, 2), 1);
    EXPECT_TRUE(pinned().empty());
}

TEST_F(PinsTest, InvalidArgumentsTouchNothing) {
    EXPECT_EQ(pin_toggle(nullptr, u"x", u"t", nullptr, 1), 0);
    EXPECT_EQ(pin_toggle(u"", u"x", u"t", nullptr, 0), 0);
    EXPECT_EQ(pin_toggle(u"C:\\x", nullptr, u"t", nullptr, 2), 0);
    EXPECT_FALSE(pin_is_pinned(nullptr, nullptr, 1));
    EXPECT_FALSE(exists(u"quick_access.dat"));
}

TEST_F(PinsTest, CommandsAreOnePinPerKind) {
    pin_toggle(nullptr, nullptr, u"Lock", u"Lock the PC", 15);
    pin_toggle(nullptr, nullptr, u"Sleep", u"Sleep", 16);
    EXPECT_TRUE(pin_is_pinned(nullptr, nullptr, 15));
    EXPECT_TRUE(pin_is_pinned(u"anything", nullptr, 16));
    pin_toggle(nullptr, nullptr, u"Lock again", nullptr, 15);
    EXPECT_EQ(pinned(), (std::vector<std::string>{"16|||Sleep"}));
}

TEST_F(PinsTest, FilesMatchByFullPathAndDefaultTheirTitle) {
    world.files.add_file(u"C:\\Tools\\app.exe", "");
    EXPECT_EQ(pin_toggle(u"C:\\Tools\\app.exe", nullptr, nullptr, nullptr, 0), 1);  // kind 0 counts as 1
    EXPECT_EQ(pinned(), (std::vector<std::string>{"1|C:\\Tools\\app.exe||app.exe"}));
    EXPECT_TRUE(pin_is_pinned(u"c:/tools/./x/../APP.exe", nullptr, 1));
    EXPECT_EQ(pin_toggle(u"C:\\TOOLS\\sub\\..\\app.exe", nullptr, nullptr, nullptr, 1), 1);
    EXPECT_TRUE(pinned().empty());
}

TEST_F(PinsTest, ViewRows) {
    pin_toggle(u"C:\\Start\\Brave.LNK", nullptr, u"Brave", nullptr, 1);
    pin_toggle(u"C:\\data\\notes.txt", nullptr, u"notes.txt", nullptr, 1);
    pin_toggle(u"shell:AppsFolder\\Calc", nullptr, u"Calculator", nullptr, 1);
    pin_toggle(nullptr, u"ms-settings:bluetooth", u"Bluetooth", u"Devices", 2);
    pin_toggle(nullptr, nullptr, u"Restart", u"Restart the PC", 12);
    Arena* a = arena_create(4096);
    RowList l;
    rowlist_init(&l, a);
    pins_view(&l);
    ASSERT_EQ(l.count, 5);
    struct Want {
        const char* title;
        const char* subtitle;
        const char* target;
        int32_t kind;
    } want[] = {
        {"Restart", "Restart the PC", nullptr, 12},
        {"Bluetooth", "Devices", "ms-settings:bluetooth", 2},
        {"Calculator", "Application", "shell:AppsFolder\\Calc", 1},
        {"notes.txt", "C:\\data\\notes.txt", "C:\\data\\notes.txt", 1},
        {"Brave", "Application", "C:\\Start\\Brave.LNK", 1},
    };
    for (int i = 0; i < 5; ++i) {
        const Row& r = l.items[i];
        EXPECT_EQ(u8(r.title), want[i].title);
        EXPECT_EQ(u8(r.subtitle), want[i].subtitle);
        if (want[i].target) EXPECT_EQ(u8(r.target), want[i].target);
        else EXPECT_EQ(r.target, nullptr);
        EXPECT_EQ(r.kind, want[i].kind);
        EXPECT_EQ(r.score, 100);
        EXPECT_EQ(r.tag, 'P');
    }
    EXPECT_EQ(l.items[1].path, nullptr);
    arena_destroy(a);
    PinStore s;
    pins_load(&s);
    EXPECT_EQ(s.items[4].is_shortcut, 1);
    EXPECT_EQ(s.items[3].is_shortcut, 0);
    pins_release(&s);
}

TEST_F(PinsTest, LoadRules) {
    put(u"quick_access.dat",
        "[pin]\npath=C:\\\\x\\\\a.url\nact=1\n"   // title from the path
        "[pin]\npath=\nparam=p\ntitle=t\nact=1\n"  // a kind 1 pin needs a path
        "[pin]\nparam=\ntitle=S\nact=2\n"          // a kind 2 pin needs a param
        "[pin]\ntitle=Odd\nact=9\n"                // kind 9 is not accepted: becomes 1, has no path
        "[pin]\ntitle=Exit\nact=4\n"
        "[pin]\npath=D:/dir/file.txt\n"            // absent act: 1
        "[pin]\ntitle=Data folder\nact=23\n");
    EXPECT_EQ(pinned(), (std::vector<std::string>{"1|C:\\x\\a.url||a.url", "4|||Exit", "1|D:/dir/file.txt||file.txt",
                                                  "23|||Data folder"}));
}

TEST_F(PinsTest, JsonImportOnceThenRetired) {
    put(u"quick_access.json",
        "[{\"path\":\"C:\\\\Apps\\\\x.lnk\",\"title\":\"X\",\"act\":1},{\"param\":\"ms-settings:y\",\"title\":\"Y\","
        "\"act\":\"2\"},{\"param\":\"ms-settings:z\",\"title\":\"Z\",\"act\":2},{\"title\":\"Cmd\",\"act\": 19}]");
    std::vector<std::string> want{"1|C:\\Apps\\x.lnk||X", "2||ms-settings:z|Z", "19|||Cmd"};
    EXPECT_EQ(pinned(), want);
    EXPECT_FALSE(exists(u"quick_access.json"));
    EXPECT_TRUE(exists(u"quick_access.json.bak"));
    put(u"quick_access.json", "[{\"path\":\"C:\\\\other\",\"act\":1}]");
    EXPECT_EQ(pinned(), want);
}

TEST_F(PinsTest, AnUnreadableFileIsNeverReplaced) {
    pin_toggle(nullptr, u"ms-settings:a", u"A", nullptr, 2);
    const std::string before = *file(u"quick_access.dat");
    FaultFiles fault(&world.files);
    fault.read_fails = true;
    auto s = faulty(fault);
    EXPECT_EQ(pin_toggle(nullptr, u"ms-settings:b", u"B", nullptr, 2), 0);
    EXPECT_EQ(*file(u"quick_access.dat"), before);
}

}  // namespace

namespace {

TEST(LegacyJson, HostileTextIsSurvivedWithinTheLimits) {
    std::string braces(kDataFileMaxBytes, '{');
    std::string many;
    while (many.size() < 100000) many += cat("{\"key\":\"k", std::to_string(many.size()), "\",\"count\":1}");
    const std::string texts[] = {
        braces,
        many,
        "{\"key\":\"a\\",                        // escape at the very end
        "{\"key\"  :  \"x\\u12\",\"count\":1}",   // short \u escape
        "{\"key\":{\"key\":\"inner\",\"count\":2}}",
        "{\"key\" \"count\":1, \"key\":\"second\", \"count\" : 5}",
        "\"key\":\"no object\",\"count\":1",
    };
    const int32_t want_history[] = {0, kHistoryMaxEntries, 0, 1, 0, 1, 0};
    for (size_t i = 0; i < std::size(texts); ++i) {
        HistoryStore h;
        history_store_init(&h);
        history_import_json(texts[i], &h);
        EXPECT_EQ(h.count, want_history[i]) << i;
        if (i == 5 && h.count == 1) {
            EXPECT_EQ(u8(h.entries[0].key), "second");
            EXPECT_EQ(h.entries[0].count, 1);  // the first "count" followed by a colon
        }
        history_store_release(&h);
        PinStore p;
        pins_store_init(&p);
        pins_import_json(texts[i], &p);
        EXPECT_EQ(p.count, 0) << i;
        pins_release(&p);
    }
}

}  // namespace
