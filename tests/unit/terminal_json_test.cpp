#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "actions/terminal_json.h"
#include "support/u16.h"

namespace {

std::vector<std::string> read(std::string_view text, int capacity = 32) {
    TerminalProfile p[32];
    int n = terminal_json_profiles(text, p, capacity);
    std::vector<std::string> out;
    for (int i = 0; i < n; ++i) out.push_back(u8(p[i].name) + "|" + u8(p[i].icon) + "|" + u8(p[i].guid));
    return out;
}

struct JsonCase {
    const char* what;
    const char* text;
    std::vector<std::string> profiles;
};

TEST(TerminalJson, ReadsTheProfilesOfRealWorldShapes) {
    const JsonCase cases[] = {
        {"hidden profiles are left out",
         R"({"profiles":{"list":[{"guid":"{a}","name":"PowerShell","hidden":false},{"guid":"{b}","name":"Secret","hidden":true},{"guid":"{c}","name":"Ubuntu","icon":"C:\\ Icons\\u.png"}]}})",
         {"PowerShell||{a}", "Ubuntu|C:\\ Icons\\u.png|{c}"}},
        {"comments, a schema URL, defaults with its own list, schemes after",
         "// \"profiles\": {\"list\": [{\"name\":\"Fake\"}]}\n"
         "{\n  \"$schema\": \"https://aka.ms/terminal-profiles-schema//x\",\n"
         "  /* \"profiles\" { \"list\" : [ ] } */\n"
         "  \"profiles\":\n  {\n    \"defaults\": { \"list\": [ {\"name\": \"Nope\"} ] },\n"
         "    \"list\":\n    [\n      { \"name\": \"Cmd\" }, // the one\n      { \"name\": \"cmd\" },\n"
         "      { \"name\": \"Gone\", \"hidden\": true }\n    ]\n  },\n  \"schemes\": [ { \"name\": \"Campbell\" } ]\n}\n",
         {"Cmd||"}},
        {"white space and line breaks between every token", "{ \"profiles\" :\r\n {\r\n \"list\"\t:\r\n [\r\n { \"name\" :\n \"A\" } ] } }",
         {"A||"}},
        {"trailing commas are accepted", R"({"profiles":{"list":[{"name":"A","guid":"{1}",},{"name":"B",},],},})",
         {"A||{1}", "B||"}},
        {"an emoji icon before the name keeps the profile", "{\"profiles\":{\"list\":[{\"icon\":\"\xF0\x9F\x90\xA7\",\"name\":\"Penguin\"}]}}",
         {"Penguin|\xF0\x9F\x90\xA7|"}},
        {"an icon with a bad escape is skipped, not the profile", R"({"profiles":{"list":[{"icon":"C:\q","name":"Kept"}]}})",
         {"Kept||"}},
        {"a name with a bad escape drops only that profile", R"({"profiles":{"list":[{"name":"B\x"},{"name":"Next"}]}})",
         {"Next||"}},
        {"escapes decode", R"({"profiles":{"list":[{"name":"Tab\tQ\"\u00e9\/"}]}})", {"Tab\tQ\"\xC3\xA9/||"}},
        {"\\u0000 fails the string", R"({"profiles":{"list":[{"name":"a\u0000b"}]}})", {}},
        {"other values in the list and in objects are skipped",
         R"({"profiles":{"list":[1, "x", [ {"name":"no"} ], {"extra":{"name":"inner"},"name":"Real","n":[1,{"a":"}"}]}]}})",
         {"Real||"}},
        {"profiles as a bare list (old files)", R"({"profiles":[{"name":"Old"}]})", {}},
        {"list of the wrong shape", R"({"profiles":{"list":{"name":"x"}}})", {}},
        {"no list in the object", R"({"profiles":{"defaults":{}}, "list":[{"name":"x"}]})", {}},
        {"truncated inside a profile keeps the ones before", R"({"profiles":{"list":[{"name":"A"},{"name":"B","icon":"c:\\)", {"A||"}},
        {"truncated inside a string", R"({"profiles":{"list":[{"name":"A)", {}},
        {"empty names are not profiles", R"({"profiles":{"list":[{"name":""},{"guid":"{x}"}]}})", {}},
        {"empty object", "{}", {}},
        {"empty text", "", {}},
        {"invalid UTF-8 in a name", "{\"profiles\":{\"list\":[{\"name\":\"a\xC3(\"},{\"name\":\"ok\"}]}}", {"ok||"}},
    };
    for (const JsonCase& c : cases) EXPECT_EQ(read(c.text), c.profiles) << c.what;
}

TEST(TerminalJson, StopsAtCapacityAndCutsLongValues) {
    std::string text = R"({"profiles":{"list":[)";
    for (int i = 0; i < 40; ++i) text += "{\"name\":\"P" + std::to_string(i) + "\"},";
    text += "]}}";
    EXPECT_EQ(read(text, 32).size(), 32u);
    EXPECT_EQ(read(text, 3), (std::vector<std::string>{"P0||", "P1||", "P2||"}));

    std::string long_name(100, 'n');
    TerminalProfile p[1];
    ASSERT_EQ(terminal_json_profiles("{\"profiles\":{\"list\":[{\"name\":\"" + long_name + "\"}]}}", p, 1), 1);
    EXPECT_EQ(u8(p[0].name), std::string(63, 'n'));
    // A surrogate pair that does not fit whole is dropped whole.
    std::string name = std::string(62, 'a') + "\xF0\x9F\x90\xA7";
    ASSERT_EQ(terminal_json_profiles("{\"profiles\":{\"list\":[{\"name\":\"" + name + "\"}]}}", p, 1), 1);
    EXPECT_EQ(u8(p[0].name), std::string(62, 'a'));
}

}  // namespace
