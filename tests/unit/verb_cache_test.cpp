#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/verb_cache.h"
#include "unit/store_fixture.h"

namespace {

using VerbCacheTest = StoreTest;

ShellVerb verb(std::u16string_view name, std::u16string_view label, std::u16string_view icon = u"") {
    ShellVerb v{};
    name.copy(v.verb, std::min<size_t>(name.size(), 127));
    label.copy(v.label, std::min<size_t>(label.size(), 127));
    icon.copy(v.icon, std::min<size_t>(icon.size(), 259));
    return v;
}

std::vector<std::string> entry(int32_t at) {
    std::vector<std::string> out;
    const VerbCacheEntry* e = verb_cache_at(at);
    if (!e) return out;
    out.push_back(u8(e->key));
    for (int32_t i = 0; i < e->count; ++i)
        out.push_back(cat(u8(e->verbs[i].verb), "|", u8(e->verbs[i].label), "|", u8(e->verbs[i].icon)));
    return out;
}

TEST_F(VerbCacheTest, SavedFileReadsBack) {
    ShellVerb verbs[] = {verb(u"edit", u"Edit\twith tab", u"C:\\ico.dll,3"), verb(u"print", u"Print")};
    verb_cache_store(u"file:.txt", verbs, 2);
    verb_cache_store(u"dir", verbs + 1, 1);
    ASSERT_TRUE(verb_cache_save());
    EXPECT_EQ(*file(u"shell_verbs.dat"),
              "\xEF\xBB\xBFKESTRUNE_SHELL_VERBS 1\r\nK\tfile:.txt\r\nV\tedit\tEdit with tab\tC:\\ico.dll,3\r\n"
              "V\tprint\tPrint\t\r\nK\tdir\r\nV\tprint\tPrint\t\r\n");
    verb_cache_reset();
    int32_t at = verb_cache_find(u"file:.txt");
    ASSERT_EQ(at, 0);
    EXPECT_EQ(entry(at), (std::vector<std::string>{"file:.txt", "edit|Edit with tab|C:\\ico.dll,3", "print|Print|"}));
    EXPECT_EQ(verb_cache_find(u"FILE:.TXT"), -1);  // exact keys
    EXPECT_EQ(verb_cache_find(u""), -1);
}

TEST_F(VerbCacheTest, ReaderRules) {
    struct Case {
        const char* what;
        std::string bytes;
        std::vector<std::string> first;
        int32_t entries;
    } cases[] = {
        {"foreign first line", "KESTRUNE_SHELL_VERBS 2\nK\tdir\nV\topen\tOpen\t\n", {}, 0},
        {"no BOM, LF, an empty K is dropped", "KESTRUNE_SHELL_VERBS 1 extra\nK\tempty\nK\tdir\nV\topen\tOpen\t\n",
         {"dir", "open|Open|"}, 1},
        {"bad V lines", "KESTRUNE_SHELL_VERBS 1\nV\torphan\tx\t\nK\tdir\nV\tone tab\nV\t\tNo name\t\nV\tn\t\t\nV\ta\tb\tc\td\n",
         {"dir", "a|b|c\td"}, 1},
        {"key cut to 39", cat("KESTRUNE_SHELL_VERBS 1\nK\t", std::string(50, 'k'), "\nV\ta\tb\t\n"),
         {std::string(39, 'k'), "a|b|"}, 1},
    };
    for (const Case& c : cases) {
        verb_cache_reset();
        verb_cache_parse(c.bytes);
        EXPECT_EQ(verb_cache_size(), c.entries) << c.what;
        EXPECT_EQ(entry(0), c.first) << c.what;
    }
    verb_cache_reset();
    std::string big = "KESTRUNE_SHELL_VERBS 1\n";
    for (int k = 0; k < 40; ++k) {
        big += cat("K\tk", std::to_string(k), "\n");
        for (int v = 0; v < 70; ++v) big += cat("V\tv", std::to_string(v), "\tL\t\n");
    }
    verb_cache_parse(big);
    EXPECT_EQ(verb_cache_size(), kVerbCacheMaxEntries);
    EXPECT_EQ(verb_cache_at(31)->count, kVerbCacheMaxVerbs);
}

TEST_F(VerbCacheTest, FullCacheEvictsTheLeastRecentlyUsed) {
    ShellVerb v = verb(u"open", u"Open");
    for (int i = 0; i < kVerbCacheMaxEntries; ++i) {
        std::u16string k = cat16(u"file:.", u16(std::to_string(i)));
        verb_cache_store(k.c_str(), &v, 1);
    }
    verb_cache_find(u"file:.0");  // now file:.1 is the oldest
    verb_cache_store(u"file:.new", &v, 1);
    EXPECT_EQ(verb_cache_size(), kVerbCacheMaxEntries);
    EXPECT_EQ(verb_cache_find(u"file:.1"), -1);
    EXPECT_EQ(verb_cache_find(u"file:.new"), 1);
    EXPECT_EQ(verb_cache_find(u"file:.0"), 0);
}

TEST_F(VerbCacheTest, IconsAreKept) {
    ShellVerb old[] = {verb(u"edit", u"Edit", u"edit.ico"), verb(u"print", u"Print", u"print.ico")};
    verb_cache_store(u"file:.txt", old, 2);
    ShellVerb fresh[] = {verb(u"print", u"Print"), verb(u"new", u"New"), verb(u"edit", u"Edit", u"other.ico")};
    verb_cache_store(u"file:.txt", fresh, 3);
    EXPECT_EQ(entry(0), (std::vector<std::string>{"file:.txt", "print|Print|print.ico", "new|New|", "edit|Edit|other.ico"}));

    EXPECT_FALSE(exists(u"shell_verbs.dat"));
    ShellVerb same[] = {verb(u"print", u"Print", u"print.ico"), verb(u"new", u"", u"")};
    verb_cache_update_icons(u"file:.txt", same, 2);
    EXPECT_FALSE(exists(u"shell_verbs.dat"));  // nothing changed: nothing saved
    ShellVerb icons[] = {verb(u"new", u"", u"new.ico")};
    verb_cache_update_icons(u"file:.txt", icons, 1);
    EXPECT_EQ(entry(0)[2], "new|New|new.ico");
    EXPECT_NE(file(u"shell_verbs.dat")->find("V\tnew\tNew\tnew.ico\r\n"), std::string::npos);
}

}  // namespace
