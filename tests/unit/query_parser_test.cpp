#include <gtest/gtest.h>

#include <string>

#include "query/query_parser.h"
#include "sources/tools_table.h"
#include "support/u16.h"

namespace {

TEST(QueryParser, Commands) {
    struct Case {
        const char16_t* text;
        QueryCommand command;
        int32_t tool;
        const char* argument;
    } cases[] = {
        {u"exit", kQueryExit, -1, ""},
        {u"EXIT", kQueryExit, -1, ""},
        {u"  quit", kQueryExit, -1, ""},
        {u"exit ", kQueryNone, -1, ""},
        {u"exits", kQueryNone, -1, ""},
        {u"kill note", kQueryKill, -1, "note"},
        {u"KILL   note pad", kQueryKill, -1, "note pad"},
        {u"kill", kQueryKill, -1, ""},
        {u"kill\tx", kQueryKill, -1, "x"},
        {u"killer", kQueryNone, -1, ""},
        {u"killallthethingsnow", kQueryNone, -1, ""},
        {u"gen 24", kQueryTool, 0, "24"},
        {u"pw", kQueryTool, 0, ""},
        {u"PW \t 12 symbols", kQueryTool, 0, "12 symbols"},
        {u"uninstall chrome", kQueryTool, 1, "chrome"},
        {u"uninstall", kQueryTool, 1, ""},
        {u"sys shutdown", kQueryTool, 2, "shutdown"},
        {u"sys", kQueryTool, 2, ""},
        {u"system", kQueryNone, -1, ""},
        {u"sysinternals", kQueryNone, -1, ""},
        {u"unlock", kQueryNone, -1, ""},
        {u"general", kQueryNone, -1, ""},
        {nullptr, kQueryNone, -1, ""},
    };
    for (const auto& c : cases) {
        ParsedQuery p = classify_query(c.text, nullptr);
        EXPECT_EQ(p.command, c.command) << u8(c.text ? c.text : u"(null)");
        EXPECT_EQ(p.tool, c.tool) << u8(c.text ? c.text : u"(null)");
        EXPECT_EQ(u8(p.command_argument), c.argument) << u8(c.text ? c.text : u"(null)");
    }
    ParsedQuery p = classify_query(u" \t kill  x", u"C:\\x\\");
    EXPECT_EQ(u8(p.text), "kill  x");
    EXPECT_EQ(p.cache_key[0], 0);  // a command leaves the search fields empty
}

TEST(QueryParser, FoldersDrivesAndScopes) {
    ParsedQuery p = classify_query(u":", nullptr);
    EXPECT_TRUE(p.is_drive_list);
    EXPECT_FALSE(classify_query(u":", u"C:\\x\\").is_drive_list);

    p = classify_query(u"\\", nullptr);
    EXPECT_EQ(u8(p.stripped), "");
    EXPECT_TRUE(p.ends_with_slash);
    EXPECT_FALSE(p.is_drive_filter);

    p = classify_query(u"/c  ", nullptr);
    EXPECT_TRUE(p.is_drive_filter);
    EXPECT_EQ(u8(p.drive_filter), "c");
    EXPECT_FALSE(p.ends_with_slash);
    p = classify_query(u"\\\\server\\share", nullptr);
    EXPECT_FALSE(p.is_drive_filter);
    EXPECT_FALSE(classify_query(u"\\c", u"C:\\x\\").is_drive_filter);

    p = classify_query(u"  photos\\ ", nullptr);
    EXPECT_EQ(u8(p.text), "photos\\ ");
    EXPECT_EQ(u8(p.stripped), "photos");
    EXPECT_TRUE(p.ends_with_slash);
    EXPECT_EQ(u8(p.cache_key), "photos\\ ");
    EXPECT_FALSE(p.is_scoped);

    const char16_t* scope = u"C:\\Users\\me\\";
    p = classify_query(u"", scope);
    EXPECT_FALSE(p.is_scoped);
    EXPECT_EQ(u8(p.cache_key), "C:\\Users\\me\\|");
    p = classify_query(u"zzzshallow", scope);
    EXPECT_TRUE(p.is_scoped);
    EXPECT_EQ(u8(p.scope_name), "zzzshallow");
    EXPECT_EQ(u8(p.cache_key), "C:\\Users\\me\\|zzzshallow");
    p = classify_query(u"\\", scope);
    EXPECT_FALSE(p.is_scoped);
    EXPECT_TRUE(p.ends_with_slash);
    p = classify_query(u"\\\\sub\\ ", scope);
    EXPECT_TRUE(p.is_scoped);
    EXPECT_EQ(u8(p.scope_name), "sub");
    EXPECT_FALSE(classify_query(u"zzzshallow", u"").is_scoped);

    EXPECT_TRUE(is_scoped_query(u" x/", scope));
    EXPECT_FALSE(is_scoped_query(u" /\\ ", scope));
    EXPECT_FALSE(is_scoped_query(u"x", nullptr));
    EXPECT_FALSE(is_scoped_query(u"x", u""));
    EXPECT_FALSE(is_scoped_query(nullptr, scope));
}

TEST(QueryParser, StringLimits) {
    std::u16string scope = std::u16string(u"C:\\") + std::u16string(400, u's') + u"\\";
    std::u16string text = std::u16string(2000, u't') + u"\\";
    ParsedQuery p = classify_query(text.c_str(), scope.c_str());
    EXPECT_EQ(std::u16string(p.cache_key).size(), 1291u);
    EXPECT_EQ(std::u16string(p.cache_key).substr(0, scope.size() + 1), scope + u"|");
    EXPECT_EQ(std::u16string(p.stripped), std::u16string(1023, u't'));
    EXPECT_TRUE(p.ends_with_slash);
    EXPECT_EQ(std::u16string(p.scope_name), std::u16string(1023, u't'));

    std::u16string drive = std::u16string(u"\\") + std::u16string(126, u'd') + u"  " + std::u16string(50, u'x');
    p = classify_query(drive.c_str(), nullptr);
    EXPECT_TRUE(p.is_drive_filter);
    EXPECT_EQ(std::u16string(p.drive_filter), std::u16string(126, u'd'));  // cut to 127, then trimmed
}

TEST(QueryParser, StripFolderSuffix) {
    struct Case {
        const char16_t* in;
        const char* out;
        bool slash;
    } cases[] = {
        {u"photos\\", "photos", true}, {u"C:\\X\\", "C:\\X", true}, {u"report ", "report", false},
        {u"\\", "", true},             {u"a/ \t\\ ", "a", true},    {u"", "", false},
        {nullptr, "", false},          {u"a b", "a b", false},
    };
    for (const auto& c : cases) {
        char16_t buf[16] = {u'#', 0};
        EXPECT_EQ(strip_folder_suffix(c.in, buf, 16), c.slash);
        EXPECT_EQ(u8(buf), c.out);
    }
    char16_t small[3] = {u'#', u'#', u'#'};
    EXPECT_TRUE(strip_folder_suffix(u"photos\\", small, 3));
    EXPECT_EQ(u8(small), "ph");
    char16_t one[1] = {u'#'};
    EXPECT_TRUE(strip_folder_suffix(u"photos\\", one, 1));
    EXPECT_EQ(one[0], 0);
    EXPECT_TRUE(strip_folder_suffix(u"photos\\", nullptr, 0));
}

TEST(QueryParser, ExtensionQueries) {
    const char16_t* yes[] = {u"*.pdf", u"report *.pdf", u"*.PDF", u"file?.pdf", u"ext:pdf", u"EXT:pdf",
                             u"extension:pdf", u"report ext:pdf", u"a\text:p", u"*.7z"};
    const char16_t* no[] = {nullptr, u"", u"report", u"*", u"*.", u"ext:", u"text:pdf", u"ext: pdf",
                            u"*.-x", u"ext pdf", u"extensions:pdf", u"*.\u00e9"};
    for (const char16_t* t : yes) EXPECT_TRUE(is_extension_query(t)) << u8(t);
    for (const char16_t* t : no) EXPECT_FALSE(is_extension_query(t)) << (t ? u8(t) : "(null)");
    EXPECT_TRUE(classify_query(u"*.pdf  ", nullptr).is_extension_query);
}

TEST(QueryParser, FilterKeywords) {
    for (const char16_t* w : {u"ext", u"EXTENSION", u"folder", u"Folders", u"file", u"files", u"path", u"NAME"}) {
        EXPECT_TRUE(is_filter_keyword(w)) << u8(w);
    }
    for (const char16_t* w : {u"", u"ex", u"names", u"filez", u"pathx"}) EXPECT_FALSE(is_filter_keyword(w)) << u8(w);
    EXPECT_FALSE(is_filter_keyword(static_cast<const char16_t*>(nullptr)));
}

TEST(ToolsTable, MatchAndTexts) {
    struct Case {
        const char16_t* text;
        int32_t tool;
        const char* rest;
    } cases[] = {
        {u"gen 24", 0, "24"},   {u"pw", 0, ""},       {u" \tGEN", 0, ""},     {u"uninstall chrome", 1, "chrome"},
        {u"sys shutdown", 2, "shutdown"}, {u"sys\t\t", 2, ""}, {u"system", -1, ""}, {u"sysinternals", -1, ""},
        {u"unlock", -1, ""},    {u"notepad", -1, ""}, {u"", -1, ""},          {nullptr, -1, ""},
        {u"gen\n", -1, ""},     {u"pwgen", -1, ""},
    };
    for (const auto& c : cases) {
        const char16_t* rest = nullptr;
        EXPECT_EQ(tool_match(c.text, &rest), c.tool) << (c.text ? u8(c.text) : "(null)");
        EXPECT_EQ(u8(rest), c.rest);
    }
    EXPECT_EQ(tool_count(), 3);
    EXPECT_EQ(u8(tool_name(0)), "Password generator");
    EXPECT_EQ(u8(tool_label(1)), "UNINSTALL");
    EXPECT_EQ(u8(tool_hint(2)), "Esc back | Enter run");
    EXPECT_EQ(u8(tool_example(2)), "sys shutdown");
    EXPECT_EQ(u8(tool_description(0)), "Readable memorable passwords, copied on Enter");
    EXPECT_EQ(u8(tool_name(3)), "");
    EXPECT_EQ(u8(tool_label(-1)), "");
    EXPECT_EQ(tool_def(3), nullptr);
}

}  // namespace
