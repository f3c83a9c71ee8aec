// Row icons from the real shell: the sizes the system image list gives for an exe, a shortcut, a
// folder, a drive and a document, icon locations with resource ids, and the loader thread end to
// end with real HICONs.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <chrono>
#include <string>
#include <thread>

#include "platform/win32/wide.h"
#include "ui/icon_loader.h"
#include "ui/icon_shell_win32.h"
#include "ui/metrics.h"

namespace {

std::wstring temp_dir() {
    wchar_t buf[MAX_PATH];
    DWORD n = GetTempPathW(MAX_PATH, buf);
    std::wstring dir(buf, n);
    dir += L"kestrune_icons_test";
    CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
}

std::wstring module_path() {
    wchar_t buf[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH);
    return std::wstring(buf, n);
}

bool make_link(const std::wstring& link, const std::wstring& target, const wchar_t* icon_file, int icon_index) {
    bool ok = false;
    IShellLinkW* sl = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&sl)))) {
        sl->SetPath(target.c_str());
        if (icon_file) sl->SetIconLocation(icon_file, icon_index);
        IPersistFile* pf = nullptr;
        if (SUCCEEDED(sl->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&pf)))) {
            ok = SUCCEEDED(pf->Save(link.c_str(), TRUE));
            pf->Release();
        }
        sl->Release();
    }
    return ok;
}

// Width and height of an icon's colour bitmap (its mask when it has none), 0 for none.
SIZE icon_size(HICON icon) {
    SIZE out{0, 0};
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info)) return out;
    BITMAP bm{};
    if (GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm)) {
        out.cx = bm.bmWidth;
        out.cy = info.hbmColor ? bm.bmHeight : bm.bmHeight / 2;
    }
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    return out;
}

class IconShellWin32 : public ::testing::Test {
protected:
    void SetUp() override {
        com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        shell.thread_begin();
        dir = temp_dir();
    }
    void TearDown() override {
        shell.thread_end();
        if (com) CoUninitialize();
    }
    // Loads and checks one path: an icon of the image list's sizes (48 extra large, 32 large).
    void expect_icon(const std::wstring& path) {
        HICON icon = static_cast<HICON>(shell.load(from_wide(path)));
        ASSERT_NE(icon, nullptr) << std::string(path.begin(), path.end());
        const SIZE s = icon_size(icon);
        EXPECT_EQ(s.cx, s.cy);
        EXPECT_TRUE(s.cx == 48 || s.cx == 32) << s.cx;
        shell.destroy(icon);
    }

    IconShell& shell = icon_shell_win32(nullptr);
    std::wstring dir;
    bool com = false;
};

TEST_F(IconShellWin32, ExeShortcutFolderDriveAndDocumentHaveIcons) {
    const std::wstring txt = dir + L"\\notes.txt";
    HANDLE f = CreateFileW(txt.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    CloseHandle(f);
    const std::wstring lnk = dir + L"\\tests.lnk";
    ASSERT_TRUE(make_link(lnk, module_path(), nullptr, 0));
    expect_icon(module_path());
    expect_icon(lnk);
    expect_icon(dir);
    expect_icon(L"C:\\");
    expect_icon(txt);
}

TEST_F(IconShellWin32, IconLocationsAndShortcutsWithTheirOwnIcon) {
    wchar_t sys[MAX_PATH];
    UINT n = GetSystemDirectoryW(sys, MAX_PATH);
    const std::wstring shell32 = std::wstring(sys, n) + L"\\shell32.dll";
    expect_icon(shell32 + L",3");
    // A negative index names a resource id (shell32's folder icon has id 4).
    HICON by_index = static_cast<HICON>(shell.load(from_wide(shell32 + L",-4")));
    ASSERT_NE(by_index, nullptr);
    shell.destroy(by_index);

    const std::wstring lnk = dir + L"\\own_icon.lnk";
    ASSERT_TRUE(make_link(lnk, module_path(), shell32.c_str(), 3));
    HICON own = static_cast<HICON>(shell.load(from_wide(lnk)));
    ASSERT_NE(own, nullptr);
    EXPECT_GT(icon_size(own).cx, 0);
    shell.destroy(own);
}

TEST_F(IconShellWin32, MissingFilesGiveNoIcon) {
    // ExtractIconExW answers 0xFFFFFFFF for these; the handle decides, and nothing comes back.
    for (const wchar_t* path : {L"C:\\no\\such\\tool.exe,0", L"C:\\no\\such\\tool.exe", L"C:\\no\\such\\file.txt"}) {
        HICON icon = static_cast<HICON>(shell.load(from_wide(path)));
        EXPECT_EQ(icon, nullptr) << std::string(path, path + wcslen(path));
        if (icon) shell.destroy(icon);
    }
    EXPECT_FALSE(shell.path_exists(u"C:\\no\\such\\file.txt"));
    EXPECT_TRUE(shell.path_exists(u"C:\\windows"));
    EXPECT_EQ(shell.drive_type(u'C'), static_cast<uint32_t>(DRIVE_FIXED));
}

// The whole loader with the real shell: 50 new rows, drawn until every icon arrived.
TEST(IconLoaderWin32, FiftyNewRowsLoadOnTheThread) {
    const std::wstring dir = temp_dir();
    std::u16string paths[50];
    for (int i = 0; i < 50; ++i) {
        const std::wstring p = dir + L"\\row" + std::to_wstring(i) + (i % 2 ? L".txt" : L".ini");
        HANDLE f = CreateFileW(p.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(f, INVALID_HANDLE_VALUE);
        CloseHandle(f);
        paths[i] = from_wide(p);
    }
    dpi_set(96);
    icons_start(&icon_shell_win32(nullptr));
    const auto start = std::chrono::steady_clock::now();
    int shown = 0;
    for (int round = 0; round < 5000 && shown < 50; ++round) {
        shown = 0;
        for (const auto& p : paths) shown += icon_queue_draw(p, 10, 100, 50, 400);
        icons_draw([](IconHandle, int, int, int, void*) {}, nullptr);
        if (shown < 50) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(shown, 50);
    std::printf("[ icons ] 50 new rows: last icon after %.1f ms\n", ms);
    icons_stop();
}

}  // namespace
