// Actions against the real system under wine: programs really start (a marker program records its
// command line), the clipboard really holds the text or the file, and the folder handler is read
// from the real registry.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>

#include "actions/actions.h"
#include "actions/shell_actions.h"
#include "core/row.h"
#include "platform/fake/fake_shell.h"
#include "platform/platform.h"
#include "platform/win32/win32_platform.h"
#include "support/u16.h"

namespace {

constexpr wchar_t kHandlerKey[] = L"Software\\Classes\\Directory\\shell\\open\\command";

std::wstring module_folder() {
    wchar_t buf[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH);
    std::wstring p(buf, n);
    return p.substr(0, p.rfind(L'\\'));
}

std::wstring temp_folder() {
    wchar_t buf[MAX_PATH + 1];
    DWORD n = GetTempPathW(MAX_PATH + 1, buf);
    return std::wstring(buf, n);
}

std::u16string u16w(const std::wstring& s) { return std::u16string(s.begin(), s.end()); }

Row row_of(int32_t kind, std::u16string& target) {
    Row r{};
    r.kind = kind;
    r.target = target.data();
    return r;
}

class RealActions : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t name[64];
        swprintf(name, 64, L"kestrune-actions-%lu-%lu\\", GetCurrentProcessId(), GetTickCount());
        sandbox_ = temp_folder() + name;
        ASSERT_TRUE(CreateDirectoryW(sandbox_.c_str(), nullptr));
        marker_ = sandbox_ + L"marker.txt";
        marker_exe_ = module_folder() + L"\\kestrune_marker.exe";
        ASSERT_NE(GetFileAttributesW(marker_exe_.c_str()), INVALID_FILE_ATTRIBUTES);
        SetEnvironmentVariableW(L"KESTRUNE_MARKER", marker_.c_str());
        RegDeleteTreeW(HKEY_CURRENT_USER, kHandlerKey);
    }
    void TearDown() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, kHandlerKey);
        SetEnvironmentVariableW(L"KESTRUNE_MARKER", nullptr);
        SHFILEOPSTRUCTW op{};
        std::wstring from = sandbox_.substr(0, sandbox_.size() - 1) + L'\0';
        op.wFunc = FO_DELETE;
        op.pFrom = from.c_str();
        op.fFlags = FOF_NO_UI;
        SHFileOperationW(&op);
    }

    // The command line the marker program was started with, once it has run.
    std::wstring wait_for_marker() {
        for (int i = 0; i < 300; ++i) {
            HANDLE h = CreateFileW(marker_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
            if (h != INVALID_HANDLE_VALUE) {
                wchar_t buf[2048];
                DWORD got = 0;
                ReadFile(h, buf, sizeof(buf), &got, nullptr);
                CloseHandle(h);
                return std::wstring(buf, got / sizeof(wchar_t));
            }
            Sleep(50);
        }
        return L"(the marker program did not run)";
    }

    PlatformScope scope_{win32_platform()};
    std::wstring sandbox_, marker_, marker_exe_;
};

TEST_F(RealActions, OpeningATargetOrAShortcutStartsIt) {
    std::u16string target = u16w(marker_exe_);
    Row r = row_of(kKindOpen, target);
    ASSERT_TRUE(action_execute(&r));
    EXPECT_NE(wait_for_marker().find(L"kestrune_marker.exe"), std::wstring::npos);
    DeleteFileW(marker_.c_str());

    // A Start Menu style shortcut to the program, with arguments.
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    std::wstring lnk = sandbox_ + L"Marker.lnk";
    IShellLinkW* link = nullptr;
    ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                           reinterpret_cast<void**>(&link))));
    link->SetPath(marker_exe_.c_str());
    link->SetArguments(L"--from-shortcut");
    IPersistFile* file = nullptr;
    ASSERT_TRUE(SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))));
    EXPECT_TRUE(SUCCEEDED(file->Save(lnk.c_str(), TRUE)));
    file->Release();
    link->Release();
    std::u16string shortcut = u16w(lnk);
    Row s = row_of(kKindOpen, shortcut);
    EXPECT_TRUE(action_execute(&s));
    EXPECT_NE(wait_for_marker().find(L"--from-shortcut"), std::wstring::npos);
    CoUninitialize();
}

TEST_F(RealActions, MissingTargetIsNotDone) {
    std::u16string missing = u16w(sandbox_ + L"missing.exe");
    Row r = row_of(kKindOpen, missing);
    EXPECT_FALSE(action_execute(&r));
    std::u16string command = u16w(sandbox_ + L"missing.exe /x");
    Row c = row_of(kKindSettings, command);
    EXPECT_FALSE(action_execute(&c));
}

TEST_F(RealActions, CommandStringWithSystemRootIsExpanded) {
    wchar_t root[MAX_PATH];
    ASSERT_GT(GetEnvironmentVariableW(L"SystemRoot", root, MAX_PATH), 0u);
    std::wstring copy = std::wstring(root) + L"\\kestrune_marker_test.exe";
    ASSERT_TRUE(CopyFileW(marker_exe_.c_str(), copy.c_str(), FALSE));
    std::u16string command = u"%SystemRoot%\\kestrune_marker_test.exe /name Microsoft.Test";
    Row r = row_of(kKindSettings, command);
    EXPECT_TRUE(action_execute(&r));
    std::wstring line = wait_for_marker();
    EXPECT_NE(line.find(L"kestrune_marker_test.exe"), std::wstring::npos) << line;
    EXPECT_NE(line.find(L"/name Microsoft.Test"), std::wstring::npos) << line;
    EXPECT_EQ(line.find(L"%SystemRoot%"), std::wstring::npos) << line;
    for (int i = 0; i < 50 && !DeleteFileW(copy.c_str()); ++i) Sleep(50);
}

TEST_F(RealActions, CopyTextPutsUnicodeTextOnTheClipboard) {
    std::u16string text = u"C:\\Docs\\caf\u00e9 \u4e2d.txt";
    Row r = row_of(kKindCopyText, text);
    ASSERT_TRUE(action_execute(&r));
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    ASSERT_NE(data, nullptr);
    std::wstring got(static_cast<const wchar_t*>(GlobalLock(data)));
    GlobalUnlock(data);
    CloseClipboard();
    EXPECT_EQ(u8(u16w(got)), u8(text));
}

TEST_F(RealActions, CopyFilePutsOneFileOnTheClipboard) {
    std::wstring path = sandbox_ + L"report \u00e9.txt";
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    std::u16string target = u16w(path);
    Row r = row_of(kKindCopyFile, target);
    ASSERT_TRUE(action_execute(&r));
    ASSERT_TRUE(OpenClipboard(nullptr));
    HDROP drop = static_cast<HDROP>(GetClipboardData(CF_HDROP));
    ASSERT_NE(drop, nullptr);
    EXPECT_EQ(GlobalSize(drop), 20u + 2 * path.size() + 4);
    UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    wchar_t name[MAX_PATH] = {};
    UINT len = DragQueryFileW(drop, 0, name, MAX_PATH);
    CloseClipboard();
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(std::wstring(name, len), path);
}

TEST_F(RealActions, ContainingFolderRunsTheRegisteredHandlerWithTheFolder) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kHandlerKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr), 0);
    std::wstring command = L"\"" + marker_exe_ + L"\" \"%1\"";
    RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                   DWORD((command.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);

    std::u16string target = u16w(sandbox_ + L"item.txt");
    Row r = row_of(kKindContainingFolder, target);
    ASSERT_TRUE(action_execute(&r));
    std::wstring folder = sandbox_.substr(0, sandbox_.size() - 1);
    std::wstring line = wait_for_marker();
    EXPECT_NE(line.find(L"\"" + folder + L"\""), std::wstring::npos) << line;
}

TEST_F(RealActions, ContainingFolderWithoutHandlerSelectsTheItemInExplorer) {
    // The real registry decides; the shell only records what would be started.
    FakeShell shell;
    Platform p = win32_platform();
    p.shell = &shell;
    PlatformScope recording(p);
    std::u16string target = u16w(sandbox_ + L"item.txt");
    Row r = row_of(kKindContainingFolder, target);
    EXPECT_TRUE(action_execute(&r));
    ASSERT_EQ(shell.log.size(), 1u);
    EXPECT_EQ(u8(shell.log[0]), "ShellExecuteW verb=\"open\" file=\"explorer.exe\" params=\"/select,\"" + u8(target) +
                                    "\"\" dir=\"\" show=1");

    // An Explorer command registered for the user is the same as none.
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kHandlerKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr), 0);
    std::wstring command = L"%SystemRoot%\\Explorer.exe /idlist,%I,%L";
    RegSetValueExW(key, nullptr, 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                   DWORD((command.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    EXPECT_TRUE(action_execute(&r));
    ASSERT_EQ(shell.log.size(), 2u);
    EXPECT_EQ(shell.log[1], shell.log[0]);
}

TEST_F(RealActions, RunAndWaitReturnsTheChildsExitCode) {
    EXPECT_EQ(run_and_wait(u"cmd.exe /c exit 7"), 7);
    EXPECT_EQ(run_and_wait(u"C:\\no\\such\\program.exe"), -1);
}

}  // namespace

namespace {

// The elevated retry of the log-on task: the program is started through the "runas" verb and
// waited for, its exit code taken, from a folder whose name would break any quoting.
TEST_F(RealActions, ElevatedRunWaitsAndTakesTheExitCodeFromAnAwkwardFolder) {
    std::wstring folder = sandbox_ + L"O'Brien $(calc) & co\\";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    std::wstring copy = folder + L"marker.exe";
    ASSERT_TRUE(CopyFileW(marker_exe_.c_str(), copy.c_str(), FALSE));
    EXPECT_EQ(os_shell().run_elevated_and_wait(u16w(copy), u"--install-task"), 0);
    EXPECT_NE(wait_for_marker().find(L"--install-task"), std::wstring::npos);
    EXPECT_EQ(os_shell().run_elevated_and_wait(u16w(folder + L"missing.exe"), u"--install-task"), 1);
}

TEST_F(RealActions, CaptureReadsWhatTheProgramPrints) {
    std::u16string out;
    EXPECT_EQ(os_shell().run_and_capture(u"cmd.exe /c echo captured-text", out, 8191), 0);
    EXPECT_NE(out.find(u"captured-text"), std::u16string::npos) << u8(out);
    EXPECT_EQ(os_shell().run_and_capture(u"cmd.exe /c exit 3", out, 8191), 3);
    EXPECT_EQ(os_shell().run_and_capture(u"no-such-program-here.exe", out, 8191), -1);
    EXPECT_FALSE(os_shell().user_sid().empty());
}

}  // namespace
