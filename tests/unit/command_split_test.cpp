#include <gtest/gtest.h>

#include "platform/command_split.h"
#include "platform/fake/fake_world.h"
#include "support/u16.h"

namespace {

struct SplitCase {
    const char* text;
    bool ok;
    const char* executable;
    const char* arguments;
};

TEST(CommandSplit, UnquotedPathsWithSpacesNameTheFileThatExists) {
    FakeWorld w;
    PlatformScope scope{w.platform()};
    w.files.add_file(u"C:\\Program Files\\Test App\\uninst.exe", "");
    // A planted C:\Program.exe must not be taken for C:\Program: only exact prefixes count.
    w.files.add_file(u"C:\\Program.exe", "");
    w.files.add_folder(u"C:\\Tools dir");
    w.files.add_file(u"C:\\Tools dir\\un.exe", "");

    const SplitCase cases[] = {
        {"C:\\Program Files\\Test App\\uninst.exe /S", true, "C:\\Program Files\\Test App\\uninst.exe", "/S"},
        {"  C:\\Program Files\\Test App\\uninst.exe", true, "C:\\Program Files\\Test App\\uninst.exe", ""},
        {"\"C:\\Program Files\\Test App\\uninst.exe\"  /uninstall", true, "C:\\Program Files\\Test App\\uninst.exe", "/uninstall"},
        {"\"C:\\No End Quote", true, "C:\\No End Quote", ""},
        {"MsiExec.exe /X{12345678-1234-1234-1234-123456789ABC}", true, "MsiExec.exe", "/X{12345678-1234-1234-1234-123456789ABC}"},
        {"C:\\Missing App\\un.exe /S", true, "C:\\Missing", "App\\un.exe /S"},
        // A folder is not an executable: the search goes on to the file below it.
        {"C:\\Tools dir\\un.exe\t/q", true, "C:\\Tools dir\\un.exe", "/q"},
        {"", false, "", ""},
        {" \t ", false, "", ""},
        {"\"\" /S", false, "", "/S"},
    };
    for (const SplitCase& c : cases) {
        std::u16string exe, args;
        EXPECT_EQ(command_split(u16(c.text), exe, args), c.ok) << c.text;
        EXPECT_EQ(u8(exe), c.executable) << c.text;
        EXPECT_EQ(u8(args), c.arguments) << c.text;
    }
}

}  // namespace
