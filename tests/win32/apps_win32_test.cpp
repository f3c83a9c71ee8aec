// The application index on the real system: shortcuts made with IShellLink and .url files in the
// prefix's own Start Menu folders are found by the scan, the Applications folder is read through
// COM, and the builder posts its message to a real window.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "core/arena.h"
#include "core/row.h"
#include "core/text.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_platform.h"
#include "query/result_messages.h"
#include "sources/app_index.h"
#include "support/u16.h"

namespace {

// A .lnk file written the way installers do: an IShellLinkW saved through IPersistFile.
bool make_link(const std::u16string& link, const std::u16string& target) {
    HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    bool ok = false;
    IShellLinkW* sl = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&sl)))) {
        sl->SetPath(as_wide(target.c_str()));
        sl->SetDescription(L"Kestrune test shortcut");
        IPersistFile* pf = nullptr;
        if (SUCCEEDED(sl->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&pf)))) {
            ok = SUCCEEDED(pf->Save(as_wide(link.c_str()), TRUE));
            pf->Release();
        }
        sl->Release();
    }
    if (SUCCEEDED(init)) CoUninitialize();
    return ok;
}

bool write_file(const std::u16string& path, const std::string& data) {
    HANDLE h = CreateFileW(as_wide(path.c_str()), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD put = 0;
    bool ok = WriteFile(h, data.data(), static_cast<DWORD>(data.size()), &put, nullptr) && put == data.size();
    CloseHandle(h);
    return ok;
}

class AppsWin32 : public ::testing::Test {
protected:
    AppsWin32() : scope_(win32_platform()) {}
    void SetUp() override {
        app_index_clear();
        user_ = os_files().known_folder(KnownFolder::Programs);
        all_ = os_files().known_folder(KnownFolder::CommonPrograms);
        ASSERT_FALSE(user_.empty());
        ASSERT_FALSE(all_.empty());
        arena_ = arena_create(64 * 1024);
        rowlist_init(&rows_, arena_);
    }
    void TearDown() override {
        app_index_clear();
        for (auto it = made_.rbegin(); it != made_.rend(); ++it) {
            if (!DeleteFileW(as_wide(it->c_str()))) RemoveDirectoryW(as_wide(it->c_str()));
        }
        arena_destroy(arena_);
    }
    void folder(const std::u16string& path) {
        CreateDirectoryW(as_wide(path.c_str()), nullptr);
        made_.push_back(path);
    }
    void link(const std::u16string& path, const std::u16string& target) {
        ASSERT_TRUE(make_link(path, target)) << u8(path);
        made_.push_back(path);
    }
    void url(const std::u16string& path) {
        ASSERT_TRUE(write_file(path, "[InternetShortcut]\r\nURL=https://example.com/\r\n")) << u8(path);
        made_.push_back(path);
    }
    // title -> path of the rows search_apps gives for the query.
    std::vector<std::pair<std::string, std::string>> found(const char16_t* query) {
        rowlist_init(&rows_, arena_);
        search_apps(query, &rows_);
        std::vector<std::pair<std::string, std::string>> out;
        for (int32_t i = 0; i < rows_.count; ++i) {
            const Row& r = rows_.items[i];
            if (r.path) out.emplace_back(u8(r.title), u8(r.path));
        }
        return out;
    }

    PlatformScope scope_;
    std::u16string user_, all_;
    std::vector<std::u16string> made_;
    Arena* arena_ = nullptr;
    RowList rows_{};
};

TEST_F(AppsWin32, ShortcutsInTheRealStartMenuFoldersAreFound) {
    std::u16string notepad = os_files().known_folder(KnownFolder::System) + u"\\notepad.exe";
    link(user_ + u"\\Kestrune Zq Editor.lnk", notepad);
    url(user_ + u"\\Kestrune Zq Site  .url");
    folder(all_ + u"\\Kestrune Zq Tools");
    folder(all_ + u"\\Kestrune Zq Tools\\Nested");
    link(all_ + u"\\Kestrune Zq Tools\\Nested\\Kestrune Zq Deep.lnk", notepad);
    // The same name in both trees: the all-users file wins.
    link(user_ + u"\\Kestrune Zq Twin.lnk", notepad);
    link(all_ + u"\\Kestrune Zq Tools\\KESTRUNE ZQ TWIN.lnk", notepad);
    url(user_ + u"\\Kestrune Zq Notes.txt");

    app_index_build();
    auto rows = found(u"kestrune zq");
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ(rows, (std::vector<std::pair<std::string, std::string>>{
                        {"KESTRUNE ZQ TWIN", u8(all_ + u"\\Kestrune Zq Tools\\KESTRUNE ZQ TWIN.lnk")},
                        {"Kestrune Zq Deep", u8(all_ + u"\\Kestrune Zq Tools\\Nested\\Kestrune Zq Deep.lnk")},
                        {"Kestrune Zq Editor", u8(user_ + u"\\Kestrune Zq Editor.lnk")},
                        {"Kestrune Zq Site", u8(user_ + u"\\Kestrune Zq Site  .url")}}));
}

TEST_F(AppsWin32, PackagedAppsComeFromTheApplicationsFolder) {
    // Wine's Applications folder refuses to be listed (E_ACCESSDENIED): then the index simply holds
    // no packaged apps, which is the failure path a broken shell takes on Windows too.
    std::vector<PackagedApp> apps;
    if (os_apps_folder().enumerate(apps) != 0) {
        EXPECT_TRUE(apps.empty());
    }
    app_index_build();
    list_all_apps(&rows_);
    int settings = 0;
    for (int32_t i = 0; i < rows_.count; ++i) {
        const Row& r = rows_.items[i];
        settings += text_view(r.target) == u"ms-settings:";
        if (r.tag != 'T') continue;
        EXPECT_GT(text_len(r.title), 0u);
        EXPECT_TRUE(text_starts_with_ci(text_view(r.target), u"shell:")) << u8(text_view(r.target));
    }
    EXPECT_EQ(settings, 1);
    EXPECT_EQ(app_index_counts().packaged, static_cast<int32_t>(apps.size()));
    os_apps_folder().destroy_icon(nullptr);
}

TEST_F(AppsWin32, BuilderPostsAppsChangedToTheWindow) {
    link(user_ + u"\\Kestrune Zq Posted.lnk", os_files().known_folder(KnownFolder::System) + u"\\notepad.exe");
    HWND hwnd = CreateWindowExW(0, L"STATIC", L"kestrune-test", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
    win32_set_result_window(hwnd);
    app_index_start(&os_window_post(), WM_APP_APPS_CHANGED);
    MSG msg{};
    bool got = false;
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!got && std::chrono::steady_clock::now() < until) {
        if (PeekMessageW(&msg, hwnd, WM_APP_APPS_CHANGED, WM_APP_APPS_CHANGED, PM_REMOVE)) got = true;
        else std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_TRUE(got);
    EXPECT_EQ(msg.message, 32770u);
    EXPECT_EQ(msg.wParam, 0u);
    EXPECT_EQ(msg.lParam, 0);
    EXPECT_EQ(found(u"kestrune zq posted").size(), 1u);
    app_index_clear();
    win32_set_result_window(nullptr);
    DestroyWindow(hwnd);
}

}  // namespace
