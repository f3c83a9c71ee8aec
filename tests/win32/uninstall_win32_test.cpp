// The password and uninstall tools against the real system under wine: BCryptGenRandom makes the
// passwords, fixture programs written into the four Uninstall keys become rows, and the row of an
// unquoted command under "C:\Program Files\Test App\" starts that program, not a C:\Program.exe
// planted beside it.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "actions/actions.h"
#include "core/row.h"
#include "core/text.h"
#include "platform/win32/win32_platform.h"
#include "sources/password.h"
#include "sources/password_uninstall_join.h"
#include "sources/uninstall.h"
#include "support/u16.h"

namespace {

std::u16string u16w(const std::wstring& s) { return std::u16string(s.begin(), s.end()); }

std::wstring module_folder() {
    wchar_t buf[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH);
    std::wstring p(buf, n);
    return p.substr(0, p.rfind(L'\\'));
}

std::vector<Row> collect(void (*fn)(const char16_t*, RowList*), const char16_t* text, RowList& list) {
    rowlist_free(&list);
    rowlist_init(&list, nullptr);
    fn(text, &list);
    return std::vector<Row>(list.items, list.items + list.count);
}

TEST(RealPasswords, ComeFromTheSystemGenerator) {
    PlatformScope scope{win32_platform()};
    RowList list{};
    std::set<std::u16string> seen;
    for (int i = 0; i < 20; ++i) {
        std::vector<Row> r = collect(password_rows, u"24 symbols", list);
        ASSERT_EQ(r.size(), 1u);
        ASSERT_EQ(r[0].kind, kKindCopyText);
        std::u16string pw(r[0].title);
        EXPECT_EQ(pw.size(), 27u);
        EXPECT_EQ(pw[6], u'-');
        seen.insert(pw);
    }
    EXPECT_EQ(seen.size(), 20u);
    std::vector<Row> pin = collect(password_rows, u"pin 12", list);
    ASSERT_EQ(pin.size(), 1u);
    EXPECT_EQ(std::u16string(pin[0].title).find_first_not_of(u"0123456789"), std::u16string::npos);
    EXPECT_EQ(text_len(pin[0].title), 12u);
    rowlist_free(&list);
}

constexpr wchar_t kFixturePrefix[] = L"KestruneFixture";

struct FixtureKey {
    HKEY root;
    const wchar_t* location;
};

const FixtureKey kFixtureKeys[] = {
    {HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall"},
    {HKEY_LOCAL_MACHINE, L"SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall"},
    {HKEY_CURRENT_USER, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall"},
    {HKEY_CURRENT_USER, L"SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall"},
};

class RealUninstall : public ::testing::Test {
protected:
    void SetUp() override {
        remove_fixtures();
        uninstall_invalidate();
        saved_ = action_services();
        password_uninstall_join();
    }
    void TearDown() override {
        rowlist_free(&list_);
        remove_fixtures();
        uninstall_invalidate();
        action_services() = saved_;
        SetEnvironmentVariableW(L"KESTRUNE_MARKER", nullptr);
        if (!marker_.empty()) DeleteFileW(marker_.c_str());
        for (const std::wstring& f : files_)
            for (int i = 0; i < 50 && !DeleteFileW(f.c_str()) && GetFileAttributesW(f.c_str()) != INVALID_FILE_ATTRIBUTES; ++i)
                Sleep(50);
        for (auto it = folders_.rbegin(); it != folders_.rend(); ++it) RemoveDirectoryW(it->c_str());
    }

    static void remove_fixtures() {
        for (const FixtureKey& k : kFixtureKeys)
            for (int i = 0; i < 8; ++i)
                RegDeleteTreeW(k.root, (std::wstring(k.location) + L"\\" + kFixturePrefix + std::to_wstring(i)).c_str());
    }

    // Writes one subkey; values whose text starts with '%' are REG_EXPAND_SZ.
    void fixture(int location, int n, const std::vector<std::pair<const wchar_t*, std::wstring>>& strings,
                 const std::vector<std::pair<const wchar_t*, DWORD>>& dwords = {}) {
        const FixtureKey& k = kFixtureKeys[location];
        std::wstring path = std::wstring(k.location) + L"\\" + kFixturePrefix + std::to_wstring(n);
        HKEY key;
        ASSERT_EQ(RegCreateKeyExW(k.root, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr), 0L);
        for (const auto& [name, text] : strings) {
            DWORD type = !text.empty() && text[0] == L'%' ? REG_EXPAND_SZ : REG_SZ;
            RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()), DWORD((text.size() + 1) * 2));
        }
        for (const auto& [name, v] : dwords) RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), 4);
        RegCloseKey(key);
    }

    const Row* find(const std::vector<Row>& rows, const char16_t* title) {
        for (const Row& r : rows)
            if (text_view(r.title) == title) return &r;
        return nullptr;
    }

    void make_folder(const std::wstring& f) {
        if (CreateDirectoryW(f.c_str(), nullptr)) folders_.push_back(f);
    }
    void copy_marker(const std::wstring& to) {
        ASSERT_TRUE(CopyFileW((module_folder() + L"\\kestrune_marker.exe").c_str(), to.c_str(), FALSE)) << GetLastError();
        files_.push_back(to);
    }
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
    ActionServices saved_;
    RowList list_{};
    std::wstring marker_;
    std::vector<std::wstring> files_, folders_;
};

TEST_F(RealUninstall, FixturesInAllFourLocationsBecomeRows) {
    wchar_t root[MAX_PATH];
    ASSERT_GT(GetEnvironmentVariableW(L"SystemRoot", root, MAX_PATH), 0u);
    fixture(0, 0, {{L"DisplayName", L"Kestrune Fixture Machine"}, {L"UninstallString", L"C:\\KF\\m.exe /x"},
                   {L"Publisher", L"Kestrune Tests"}, {L"DisplayVersion", L"1.2.3"},
                   {L"DisplayIcon", L"\"C:\\Program Files\\Foo, Inc\\app.exe\",0"}},
            {{L"EstimatedSize", 5000000}});
    fixture(1, 1, {{L"DisplayName", L"Kestrune Fixture Machine 32"}, {L"UninstallString", L"C:\\KF\\m32.exe"},
                   {L"DisplayIcon", L"%SystemRoot%\\system32\\msiexec.exe,-2"}},
            {{L"EstimatedSize", 2048}});
    fixture(2, 2, {{L"DisplayName", L"Kestrune Fixture User"}, {L"UninstallString", L"%SystemRoot%\\u.exe"},
                   {L"Publisher", L"Kestrune Tests"}});
    fixture(3, 3, {{L"DisplayName", L"Kestrune Fixture User 32"}, {L"UninstallString", L"C:\\KF\\u32.exe"},
                   {L"DisplayVersion", L"0.9"}});
    // Not listed: a system component, an update, a part of another product.
    fixture(2, 4, {{L"DisplayName", L"Kestrune Fixture Component"}, {L"UninstallString", L"C:\\KF\\c.exe"}},
            {{L"SystemComponent", 1}});
    fixture(0, 5, {{L"DisplayName", L"Kestrune Fixture Hotfix"}, {L"UninstallString", L"C:\\KF\\h.exe"},
                   {L"ReleaseType", L"Hotfix"}});
    fixture(3, 6, {{L"DisplayName", L"Kestrune Fixture Part"}, {L"UninstallString", L"C:\\KF\\p.exe"},
                   {L"ParentKeyName", L"Suite"}});

    std::vector<Row> rows = collect(uninstall_rows, u"kestrune fixture", list_);
    ASSERT_EQ(rows.size(), 4u);
    for (const Row& r : rows) {
        EXPECT_EQ(r.kind, kKindUninstall);
        EXPECT_EQ(r.tag, tag::kUtility);
    }
    const Row* m = find(rows, u"Kestrune Fixture Machine");
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(u8(m->subtitle), "Kestrune Tests - 1.2.3 - 4.77 GiB");
    EXPECT_EQ(u8(m->target), "C:\\KF\\m.exe /x");
    EXPECT_EQ(u8(m->icon_source), "C:\\Program Files\\Foo, Inc\\app.exe");
    const Row* m32 = find(rows, u"Kestrune Fixture Machine 32");
    ASSERT_NE(m32, nullptr);
    EXPECT_EQ(u8(m32->subtitle), "2.0 MiB");
    EXPECT_EQ(u8(m32->icon_source), u8(u16w(root)) + "\\system32\\msiexec.exe");
    const Row* u = find(rows, u"Kestrune Fixture User");
    ASSERT_NE(u, nullptr);
    EXPECT_EQ(u8(u->subtitle), "Kestrune Tests");
    EXPECT_EQ(u8(u->target), "%SystemRoot%\\u.exe");  // the command is expanded when it runs
    EXPECT_EQ(u->icon_source, nullptr);
    const Row* u32 = find(rows, u"Kestrune Fixture User 32");
    ASSERT_NE(u32, nullptr);
    EXPECT_EQ(u8(u32->subtitle), "0.9");
}

TEST_F(RealUninstall, AnUnquotedCommandRunsTheProgramItNamesNotOnePlantedBesideIt) {
    wchar_t temp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, temp);
    marker_ = std::wstring(temp) + L"kestrune-uninstall-marker-" + std::to_wstring(GetCurrentProcessId()) + L".txt";
    DeleteFileW(marker_.c_str());
    SetEnvironmentVariableW(L"KESTRUNE_MARKER", marker_.c_str());
    make_folder(L"C:\\Program Files\\Test App");
    copy_marker(L"C:\\Program Files\\Test App\\uninst.exe");
    copy_marker(L"C:\\Program.exe");
    fixture(2, 0, {{L"DisplayName", L"Kestrune Fixture Test App"},
                   {L"UninstallString", L"C:\\Program Files\\Test App\\uninst.exe /S /log=kf"}});

    std::vector<Row> rows = collect(uninstall_rows, u"kestrune fixture test app", list_);
    ASSERT_EQ(rows.size(), 1u);
    ASSERT_TRUE(action_execute(&rows[0]));
    std::wstring line = wait_for_marker();
    EXPECT_NE(line.find(L"Test App\\uninst.exe"), std::wstring::npos) << u8(u16w(line));
    EXPECT_NE(line.find(L"/S /log=kf"), std::wstring::npos) << u8(u16w(line));
    // The started uninstaller dropped the cache.
    EXPECT_EQ(uninstall_cached_count(), 0);
}

}  // namespace
