#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/arena.h"
#include "store/data_file.h"
#include "unit/store_fixture.h"

using namespace std::string_literals;

namespace {

struct Section {
    std::string name;
    std::vector<std::pair<std::string, std::string>> pairs;
};

void collect(void* ctx, const char16_t* name, int32_t count, const KeyValue* pairs) {
    auto* out = static_cast<std::vector<Section>*>(ctx);
    Section s{u8(name), {}};
    for (int32_t i = 0; i < count; ++i) s.pairs.emplace_back(u8(pairs[i].key), u8(pairs[i].value));
    out->push_back(s);
}

struct Parsed {
    bool read = false;
    std::vector<Section> sections;
};

Parsed parse(std::string_view bytes) {
    Parsed p;
    Arena* a = arena_create(4096);
    p.read = datafile_parse(bytes, a, &p.sections, collect);
    arena_destroy(a);
    return p;
}

using DataFileTest = StoreTest;

TEST_F(DataFileTest, WrittenFileReadsBackWithEveryCharacterIntact) {
    const std::u16string title = u"a=b\\c\ndé中";
    DataFileWriter w;
    ASSERT_TRUE(datafile_begin(&w, at(u"t.dat").c_str()));
    datafile_section(&w, "pin");
    datafile_put_str(&w, "path", u"C:\\a\\b.txt");
    datafile_put_str(&w, "title", title.c_str());
    datafile_put_int(&w, "act", 8);
    datafile_section(&w, "junk");
    datafile_put_str(&w, "x", u"y");
    datafile_put_str(&w, "none", nullptr);
    datafile_put_int(&w, "neg", -42);
    datafile_put_u64(&w, "big", 18446744073709551615ull);
    ASSERT_TRUE(datafile_end(&w));

    EXPECT_EQ(*file(u"t.dat"),
              "\xEF\xBB\xBF# Kestrune data v1\r\n"
              "\r\n[pin]\r\npath=C:\\\\a\\\\b.txt\r\ntitle=a=b\\\\c\\nd\xC3\xA9\xE4\xB8\xAD\r\nact=8\r\n"
              "\r\n[junk]\r\nx=y\r\nnone=\r\nneg=-42\r\nbig=18446744073709551615\r\n");
    EXPECT_FALSE(exists(u"t.dat.tmp"));

    std::vector<Section> got;
    Arena* a = arena_create(4096);
    ASSERT_TRUE(datafile_read(at(u"t.dat").c_str(), a, &got, collect));
    arena_destroy(a);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].name, "pin");
    ASSERT_EQ(got[0].pairs.size(), 3u);
    EXPECT_EQ(got[0].pairs[0], std::make_pair("path"s, "C:\\a\\b.txt"s));
    EXPECT_EQ(got[0].pairs[1], std::make_pair("title"s, u8(title)));
    EXPECT_EQ(got[1].name, "junk");
    EXPECT_EQ(got[1].pairs[1], std::make_pair("none"s, ""s));
}

TEST_F(DataFileTest, LineRules) {
    struct Case {
        const char* what;
        std::string bytes;
        std::vector<std::string> expect;  // "name:key=value,key=value"
    };
    const std::string name62(62, 'n'), name63(63, 'n');
    const Case cases[] = {
        {"BOM and CR LF", "\xEF\xBB\xBF# h\r\n\r\n[s]\r\na=1\r\n", {"s:a=1"}},
        {"no BOM, LF only, runs of breaks", "[s]\n\n\r\r\na=1\n", {"s:a=1"}},
        {"only the first = splits", "[s]\nk=v=w\n=empty key\n", {"s:k=v=w,=empty key"}},
        {"lines before any header are ignored", "a=1\nb\n[s]\nc=2\n", {"s:c=2"}},
        {"header without ] closes the section and disables its keys", "[s]\na=1\n[broken\nb=2\n[t]\nc=3\n",
         {"s:a=1", "t:c=3"}},
        {"62 characters is a name, 63 is not", cat("[", name62, "]\na=1\n[", name63, "]\nb=2\n"), {cat(name62, ":a=1")}},
        {"text after ] is ignored", "[s] trailing ]\na=1\n", {"s:a=1"}},
        {"keys without = are dropped, comments skipped", "[s]\nnoequals\n# c=1\n a = b \n", {"s: a = b "}},
        {"empty section still delivered", "[a]\n[b]\nx=1\n", {"a:", "b:x=1"}},
        {"names repeat", "[s]\na=1\n[s]\na=2\n", {"s:a=1", "s:a=2"}},
        {"lenient unescaping", "[s]\nv=\\\\ \\n\\r \\x \\\\n end\\\n", {"s:v=\\ \n\r \\x \\n end\\"}},
        {"hand-typed single backslashes", "[s]\np=C:\\a\\b.txt\n", {"s:p=C:\\a\\b.txt"}},
        {"a NUL ends the text", "[s]\na=1\0\nb=2\n"s, {"s:a=1"}},
        {"truncated UTF-8 at the end", "[s]\na=\xE4\xB8", {"s:a=\xEF\xBF\xBD"}},
    };
    for (const Case& c : cases) {
        Parsed p = parse(c.bytes);
        EXPECT_TRUE(p.read) << c.what;
        std::vector<std::string> got;
        for (const Section& s : p.sections) {
            std::string line = cat(s.name, ":");
            for (size_t i = 0; i < s.pairs.size(); ++i) line += cat(i ? "," : "", s.pairs[i].first, "=", s.pairs[i].second);
            got.push_back(line);
        }
        EXPECT_EQ(got, c.expect) << c.what;
    }
}

TEST_F(DataFileTest, SizeAndCountLimits) {
    std::string many = "[s]\n";
    for (int i = 0; i < 20; ++i) many += cat("k", std::to_string(i), "=", std::to_string(i), "\n");
    Parsed p = parse(many);
    ASSERT_EQ(p.sections.size(), 1u);
    ASSERT_EQ(p.sections[0].pairs.size(), 16u);
    EXPECT_EQ(p.sections[0].pairs[15].first, "k15");

    EXPECT_FALSE(parse("").read);
    std::string exact = "[s]\na=1\n";
    exact.resize(kDataFileMaxBytes, '#');
    EXPECT_TRUE(parse(exact).read);
    EXPECT_EQ(parse(exact).sections.size(), 1u);
    EXPECT_FALSE(parse(exact + "#").read);

    put(u"big.dat", exact + "#");
    put(u"empty.dat", "");
    Arena* a = arena_create(4096);
    std::vector<Section> got;
    uint32_t rc = 0;
    EXPECT_FALSE(datafile_read(at(u"big.dat").c_str(), a, &got, collect, &rc));
    EXPECT_FALSE(datafile_unreadable(rc));
    EXPECT_FALSE(datafile_read(at(u"empty.dat").c_str(), a, &got, collect));
    EXPECT_FALSE(datafile_read(at(u"missing.dat").c_str(), a, &got, collect));
    arena_destroy(a);

    std::string sections;
    for (int i = 0; i < 10000; ++i) sections += cat("[s", std::to_string(i), "]\n");
    EXPECT_EQ(parse(sections).sections.size(), 10000u);
}

TEST_F(DataFileTest, WriterRefusesAFileTheReaderWouldNotRead) {
    put(u"t.dat", "old");
    std::u16string huge(kDataFileMaxBytes, u'x');
    DataFileWriter w;
    datafile_begin(&w, at(u"t.dat").c_str());
    datafile_section(&w, "s");
    datafile_put_str(&w, "v", huge.c_str());
    EXPECT_FALSE(datafile_end(&w));
    EXPECT_EQ(*file(u"t.dat"), "old");
}

TEST_F(DataFileTest, DecimalParsingFollowsWcstol) {
    struct Case {
        const char16_t* text;
        int32_t value;
        bool digits;
    } cases[] = {
        {u"42", 42, true},   {u"  -7x", -7, true},         {u"+3", 3, true},           {u"abc", 0, false},
        {u"", 0, false},     {u"-", 0, false},             {u"99999999999", INT32_MAX, true},
        {u"-99999999999", INT32_MIN, true}, {u"\t12 ", 12, true},
    };
    for (const Case& c : cases) {
        bool digits = !c.digits;
        EXPECT_EQ(datafile_parse_int(c.text, &digits), c.value) << u8(c.text);
        EXPECT_EQ(digits, c.digits) << u8(c.text);
    }
    EXPECT_EQ(datafile_parse_u64(u"18446744073709551615"), 18446744073709551615ull);
    EXPECT_EQ(datafile_parse_u64(u"99999999999999999999999"), UINT64_MAX);
    EXPECT_EQ(datafile_parse_u64(u"12ab"), 12u);
}

}  // namespace
