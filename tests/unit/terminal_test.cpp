#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "actions/terminal.h"
#include "core/text.h"
#include "platform/fake/fake_world.h"
#include "support/u16.h"

namespace {

constexpr const char16_t* kLocal = u"C:\\Users\\me\\AppData\\Local";
constexpr const char16_t* kAlias = u"C:\\Users\\me\\AppData\\Local\\Microsoft\\WindowsApps\\wt.exe";
constexpr const char16_t* kPackage = u"C:\\Program Files\\WindowsApps\\Microsoft.WindowsTerminal_1.0_x64__8wekyb3d8bbwe";

class Terminal : public ::testing::Test {
protected:
    void SetUp() override {
        terminal_default_clear();
        w.env.set(u"LOCALAPPDATA", kLocal);
        w.shell.add_search_result(u"cmd.exe", u"C:\\Windows\\System32\\cmd.exe");
        w.shell.add_search_result(u"powershell.exe", u"C:\\Windows\\System32\\WindowsPowerShell\\v1.0\\powershell.exe");
        w.files.add_folder(u"C:\\Windows\\System32");
        w.files.add_file(u"C:\\Windows\\System32\\cmd.exe", "");
    }
    void TearDown() override { terminal_default_clear(); }

    void install_terminal(const char* settings) {
        w.files.add_file(kAlias, "");
        w.files.add_file(std::u16string(kLocal) + u"\\Packages\\Microsoft.WindowsTerminal_8wekyb3d8bbwe\\LocalState\\settings.json",
                         settings);
    }

    std::vector<std::string> entries() {
        TerminalEntry e[40];
        int n = terminal_entries(e, 40);
        std::vector<std::string> out;
        for (int i = 0; i < n; ++i) out.push_back(u8(e[i].display) + "|" + u8(e[i].path) + "|" + u8(e[i].profile));
        return out;
    }

    FakeWorld w;
    PlatformScope scope{w.platform()};
};

TEST_F(Terminal, EntriesListTheTerminalWithItsProfilesThenThePlainShells) {
    EXPECT_EQ(entries(), (std::vector<std::string>{
                             "Windows PowerShell|C:\\Windows\\System32\\WindowsPowerShell\\v1.0\\powershell.exe|",
                             "Command Prompt|C:\\Windows\\System32\\cmd.exe|"}));
    install_terminal(R"({"profiles":{"list":[{"name":"Ubuntu"},{"name":"Secret","hidden":true},{"name":"PowerShell"}]}})");
    const std::string alias = u8(kAlias);
    EXPECT_EQ(entries(), (std::vector<std::string>{
                             "Windows Terminal|" + alias + "|",
                             "Terminal - Ubuntu|" + alias + "|Ubuntu",
                             "Terminal - PowerShell|" + alias + "|PowerShell",
                             "Windows PowerShell|C:\\Windows\\System32\\WindowsPowerShell\\v1.0\\powershell.exe|",
                             "Command Prompt|C:\\Windows\\System32\\cmd.exe|"}));
    TerminalEntry two[2];
    EXPECT_EQ(terminal_entries(two, 2), 2);
}

TEST_F(Terminal, ProfilesComeFromTheFirstSettingsFileThatHasAny) {
    w.files.add_file(kAlias, "");
    // The package file lists only hidden profiles, so the unpackaged one is read.
    w.files.add_file(std::u16string(kLocal) + u"\\Packages\\Microsoft.WindowsTerminal_8wekyb3d8bbwe\\LocalState\\settings.json",
                     R"({"profiles":{"list":[{"name":"H","hidden":true}]}})");
    w.files.add_file(std::u16string(kLocal) + u"\\Microsoft\\Windows Terminal\\settings.json", R"({"profiles":{"list":[{"name":"Unpackaged"}]}})");
    TerminalProfile p[32];
    ASSERT_EQ(terminal_profiles(u"wt.exe", kAlias, p, 32), 1);
    EXPECT_EQ(u8(p[0].name), "Unpackaged");
    // Portable mode: settings.json beside the executable, read when the others have nothing.
    w.files.remove(std::u16string(kLocal) + u"\\Microsoft\\Windows Terminal\\settings.json");
    w.files.add_file(u"D:\\wt\\settings.json", R"({"profiles":{"list":[{"name":"Portable"}]}})");
    ASSERT_EQ(terminal_profiles(u"wtp.exe", u"D:\\wt\\wtp.exe", p, 32), 1);
    EXPECT_EQ(u8(p[0].name), "Portable");
    // A file over 512 KiB counts as absent.
    w.files.add_file(u"D:\\big\\settings.json", std::string(524289, ' '));
    EXPECT_EQ(terminal_profiles(u"wtp.exe", u"D:\\big\\wtp.exe", p, 32), 0);
}

TEST_F(Terminal, KeysAndTheDefaultShell) {
    char16_t exe[260], profile[64];
    EXPECT_TRUE(terminal_key_parse(u"wt.exe|Ubuntu", exe, 260, profile, 64));
    EXPECT_EQ(u8(exe) + "/" + u8(profile), "wt.exe/Ubuntu");
    EXPECT_TRUE(terminal_key_parse(u"  C:\\x\\cmd.exe  ", exe, 260, profile, 64));
    EXPECT_EQ(u8(exe) + "/" + u8(profile), "cmd.exe/");
    EXPECT_TRUE(terminal_key_parse(u"C:\\a|b\\wt.exe | Dev | Box ", exe, 260, profile, 64));
    EXPECT_EQ(u8(exe) + "/" + u8(profile), "wt.exe | Dev/Box");
    EXPECT_FALSE(terminal_key_parse(u"", exe, 260, profile, 64));
    EXPECT_FALSE(terminal_key_parse(nullptr, exe, 260, profile, 64));
    EXPECT_FALSE(terminal_key_parse(u"C:\\dir\\|x", exe, 260, profile, 64));

    TerminalEntry e{};
    text_copy_to(e.path, 259, u"C:\\x\\wt.exe");
    text_copy_to(e.profile, 63, u"Ubuntu");
    char16_t key[340];
    terminal_entry_key(e, key, 340);
    EXPECT_EQ(u8(key), "wt.exe|Ubuntu");

    // No default yet: the first shell found becomes it.
    ASSERT_TRUE(terminal_default_key(key, 340));
    EXPECT_EQ(u8(key), "powershell.exe");
    terminal_default_set(u"cmd.exe");
    TerminalEntry d;
    ASSERT_TRUE(terminal_default_entry(&d));
    EXPECT_EQ(u8(d.display), "Command Prompt");
    install_terminal(R"({"profiles":{"list":[{"name":"Ubuntu"}]}})");
    terminal_default_set(u"wt.exe|Ubuntu");
    ASSERT_TRUE(terminal_default_entry(&d));
    EXPECT_EQ(u8(d.display), "Terminal - Ubuntu");
    terminal_default_set(u"wt.exe|Gone");  // the executable still matches
    ASSERT_TRUE(terminal_default_entry(&d));
    EXPECT_EQ(u8(d.display), "Windows Terminal");
}

TEST_F(Terminal, IconsResolveThroughTheSettingThePackageOrAFallback) {
    w.apps_folder.add_package(u"Microsoft.WindowsTerminal_8wekyb3d8bbwe", kPackage);
    w.files.add_file(std::u16string(kPackage) + u"\\ProfileIcons\\pwsh.png", "");
    w.files.add_file(std::u16string(kPackage) + u"\\ProfileIcons\\{61c54bbd-c2c6-5271-96e7-009a87ff44bf}.scale-150.png", "");
    w.files.add_file(std::u16string(kPackage) + u"\\ProfileIcons\\vs-cmd.scale-100.png", "");
    w.files.add_file(u"C:\\Icons\\u.png", "");
    w.env.set(u"ICONS", u"C:\\Icons");

    struct Case {
        const char16_t* path;
        const char16_t* profile;
        const char16_t* icon;
        const char16_t* guid;
        std::string want;
    };
    const std::string pkg = u8(kPackage);
    const Case cases[] = {
        {u"C:\\x\\wt.exe", u"Ubuntu", u"", u"", "shell:AppsFolder\\Microsoft.WindowsTerminal_8wekyb3d8bbwe!App"},
        {u"C:\\x\\wtp.exe", u"", u"", u"", "shell:AppsFolder\\Microsoft.WindowsTerminalPreview_8wekyb3d8bbwe!App"},
        {u"C:\\Windows\\System32\\cmd.exe", u"", u"", u"", "C:\\Windows\\System32\\cmd.exe"},
        {u"C:\\x\\wt.exe", u"U", u" %ICONS%\\u.png", u"", "C:\\Icons\\u.png"},
        {u"C:\\x\\wt.exe", u"U", u"C:\\Icons\\missing.png", u"", "shell:AppsFolder\\Microsoft.WindowsTerminal_8wekyb3d8bbwe!App"},
        {u"C:\\x\\wt.exe", u"U", u"ms-appx:///ProfileIcons/pwsh.png", u"", pkg + "\\ProfileIcons\\pwsh.png"},
        {u"C:\\x\\wt.exe", u"U", u"", u"{61c54bbd-c2c6-5271-96e7-009a87ff44bf}",
         pkg + "\\ProfileIcons\\{61c54bbd-c2c6-5271-96e7-009a87ff44bf}.scale-150.png"},
        {u"C:\\x\\wt.exe", u"Developer Command Prompt for VS 2022", u"", u"", pkg + "\\ProfileIcons\\vs-cmd.scale-100.png"},
        {u"C:\\x\\wt.exe", u"Command Prompt", u"", u"", "shell:AppsFolder\\Microsoft.WindowsTerminal_8wekyb3d8bbwe!App"},
    };
    for (const Case& c : cases) {
        TerminalEntry e{};
        text_copy_to(e.path, 259, c.path);
        text_copy_to(e.profile, 63, c.profile);
        text_copy_to(e.icon, 511, c.icon);
        text_copy_to(e.guid, 63, c.guid);
        char16_t icon[260];
        terminal_entry_icon(e, icon, 260);
        EXPECT_EQ(u8(icon), c.want) << u8(c.icon) << " " << u8(c.profile);
    }
}

TEST_F(Terminal, OpenPassesTheFolderAndProfileSoNoSecondCommandCanRun) {
    install_terminal(R"({"profiles":{"list":[{"name":"Ubuntu"},{"name":"Dev; nt calc"},{"name":"Q\"uote"}]}})");
    w.files.add_folder(u"C:\\Src");
    w.files.add_folder(u"C:\\x; nt calc.exe");
    w.files.add_folder(u"C:\\odd\\;name");
    const std::string exe = u8(kAlias);
    struct Case {
        const char16_t* key;
        const char16_t* folder;
        bool ok;
        std::string params;
    };
    const Case cases[] = {
        {u"wt.exe|Ubuntu", u"C:\\Src", true, "-p \"Ubuntu\" -d \"C:\\Src\""},
        {u"wt.exe", u"C:\\", true, "-d \"C:\\\\\""},
        {u"wt.exe", u"C:\\x; nt calc.exe", true, "-d \"C:\\x\\; nt calc.exe\""},
        {u"wt.exe|Dev; nt calc", u"C:\\Src", true, "-p \"Dev\\; nt calc\" -d \"C:\\Src\""},
        {u"wt.exe", u"C:\\odd\\;name", false, ""},
        {u"wt.exe|Q\"uote", u"C:\\Src", false, ""},
        {u"wt.exe", u"C:\\Missing", false, ""},
        {u"cmd.exe", u"C:\\Src", true, ""},
        {u"bash.exe", u"C:\\Src", false, ""},
        {u"", u"C:\\Src", false, ""},
    };
    for (const Case& c : cases) {
        w.shell.log.clear();
        EXPECT_EQ(terminal_open(c.key, c.folder), c.ok) << u8(c.key) << " " << u8(c.folder);
        std::vector<std::string> opens;
        for (const auto& line : w.shell.log)
            if (line.rfind(u"ShellExecuteExW", 0) == 0) opens.push_back(u8(line));
        if (!c.ok) {
            EXPECT_TRUE(opens.empty()) << u8(c.key);
            continue;
        }
        ASSERT_EQ(opens.size(), 1u);
        EXPECT_NE(opens[0].find("params=\"" + c.params + "\""), std::string::npos) << opens[0];
        EXPECT_NE(opens[0].find("dir=\"" + u8(c.folder) + "\""), std::string::npos) << opens[0];
    }
}

}  // namespace
