// Shells under wine: a Windows Terminal stand-in (the marker program copied to the app execution
// alias path) is found with the profiles of its settings.json and started in a folder with the
// profile; cmd.exe and powershell.exe are found on the search path.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>

#include "actions/terminal.h"
#include "core/text.h"
#include "platform/win32/win32_platform.h"
#include "support/u16.h"

namespace {

std::wstring module_folder() {
    wchar_t buf[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH);
    std::wstring p(buf, n);
    return p.substr(0, p.rfind(L'\\'));
}

std::u16string u16w(const std::wstring& s) { return std::u16string(s.begin(), s.end()); }

void write_file(const std::wstring& path, const std::string& bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD put = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
    CloseHandle(h);
}

class RealTerminal : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH + 1];
        GetTempPathW(MAX_PATH + 1, temp);
        wchar_t name[64];
        swprintf(name, 64, L"kestrune-terminal-%lu-%lu", GetCurrentProcessId(), GetTickCount());
        root_ = std::wstring(temp) + name;
        ASSERT_TRUE(CreateDirectoryW(root_.c_str(), nullptr));
        for (const wchar_t* sub : {L"\\Microsoft", L"\\Microsoft\\WindowsApps", L"\\Microsoft\\Windows Terminal", L"\\work",
                                   L"\\work\\x; nt calc.exe"})
            CreateDirectoryW((root_ + sub).c_str(), nullptr);
        ASSERT_TRUE(CopyFileW((module_folder() + L"\\kestrune_marker.exe").c_str(),
                              (root_ + L"\\Microsoft\\WindowsApps\\wt.exe").c_str(), FALSE));
        write_file(root_ + L"\\Microsoft\\Windows Terminal\\settings.json",
                   "{\r\n  \"profiles\":\r\n  {\r\n    \"list\":\r\n    [\r\n      { \"name\": \"Ubuntu\", },\r\n"
                   "      { \"name\": \"Hidden\", \"hidden\": true }\r\n    ]\r\n  }\r\n}\r\n");
        wchar_t old[MAX_PATH];
        DWORD n = GetEnvironmentVariableW(L"LOCALAPPDATA", old, MAX_PATH);
        old_local_ = n && n < MAX_PATH ? std::wstring(old, n) : std::wstring();
        SetEnvironmentVariableW(L"LOCALAPPDATA", root_.c_str());
        marker_ = root_ + L"\\marker.txt";
        SetEnvironmentVariableW(L"KESTRUNE_MARKER", marker_.c_str());
        terminal_default_clear();
    }
    void TearDown() override {
        SetEnvironmentVariableW(L"LOCALAPPDATA", old_local_.empty() ? nullptr : old_local_.c_str());
        SetEnvironmentVariableW(L"KESTRUNE_MARKER", nullptr);
        terminal_default_clear();
        SHFILEOPSTRUCTW op{};
        std::wstring from = root_ + L'\0';
        op.wFunc = FO_DELETE;
        op.pFrom = from.c_str();
        op.fFlags = FOF_NO_UI;
        SHFileOperationW(&op);
    }

    std::wstring wait_for_marker() {
        for (int i = 0; i < 300; ++i) {
            HANDLE h = CreateFileW(marker_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
            if (h != INVALID_HANDLE_VALUE) {
                wchar_t buf[2048];
                DWORD got = 0;
                ReadFile(h, buf, sizeof(buf), &got, nullptr);
                CloseHandle(h);
                DeleteFileW(marker_.c_str());
                return std::wstring(buf, got / sizeof(wchar_t));
            }
            Sleep(50);
        }
        return L"(the marker program did not run)";
    }

    PlatformScope scope_{win32_platform()};
    std::wstring root_, old_local_, marker_;
};

TEST_F(RealTerminal, FindsTheShellsAndOpensAFolderWithTheProfile) {
    TerminalEntry entries[40];
    int n = terminal_entries(entries, 40);
    std::string listed;
    for (int i = 0; i < n; ++i) listed += u8(entries[i].display) + "|" + u8(terminal_entry_exe_name(entries[i])) + "\n";
    EXPECT_EQ(listed.find("Windows Terminal|wt.exe\nTerminal - Ubuntu|wt.exe\n"), 0u) << listed;
    EXPECT_EQ(listed.find("Hidden"), std::string::npos) << listed;
    EXPECT_NE(listed.find("Command Prompt|cmd.exe"), std::string::npos) << listed;
    EXPECT_NE(listed.find("Windows PowerShell|powershell.exe"), std::string::npos) << listed;

    std::u16string work = u16w(root_ + L"\\work");
    ASSERT_TRUE(terminal_open(u"wt.exe|Ubuntu", work.c_str()));
    std::wstring line = wait_for_marker();
    EXPECT_NE(line.find(L"-p \"Ubuntu\" -d \"" + root_ + L"\\work\""), std::wstring::npos) << u8(u16w(line));

    // The folder's ";" reaches wt escaped, so wt keeps it inside the folder.
    std::u16string odd = u16w(root_ + L"\\work\\x; nt calc.exe");
    ASSERT_TRUE(terminal_open(u"wt.exe", odd.c_str()));
    line = wait_for_marker();
    EXPECT_NE(line.find(L"-d \"" + root_ + L"\\work\\x\\; nt calc.exe\""), std::wstring::npos) << u8(u16w(line));

    EXPECT_FALSE(terminal_open(u"wt.exe", u16w(root_ + L"\\missing").c_str()));
}

}  // namespace
