// The kill rows and the terminate operations against real processes under wine: copies of the
// marker program under a name no other process has, and a test service whose image path holds
// spaces. Only processes and services these tests started are ever ended.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/arena.h"
#include "core/row.h"
#include "platform/win32/win32_platform.h"
#include "sources/processes.h"
#include "support/u16.h"

namespace {

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
std::string s8(const char16_t* s) { return s ? u8(s) : std::string("<null>"); }

struct Rows {
    Arena* arena = arena_create(16 * 1024);
    RowList list;
    Rows() { rowlist_init(&list, arena); }
    ~Rows() { arena_destroy(arena); }
    const Row& operator[](int32_t i) const { return list.items[i]; }
    int32_t count() const { return list.count; }
};

class RealKill : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t unique[64];
        swprintf(unique, 64, L"kmark%lu%lu", GetCurrentProcessId(), GetTickCount());
        name_ = std::wstring(unique) + L".exe";
        folder_ = temp_folder() + unique;
        ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
        exe_ = folder_ + L"\\" + name_;
        ASSERT_TRUE(CopyFileW((module_folder() + L"\\kestrune_marker.exe").c_str(), exe_.c_str(), FALSE));
    }
    void TearDown() override {
        for (auto& pi : started_) {
            if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi.hProcess, 9);
            WaitForSingleObject(pi.hProcess, 5000);
            CloseHandle(pi.hProcess);
        }
        DeleteFileW(exe_.c_str());
        RemoveDirectoryW(folder_.c_str());
    }
    // Starts one copy that stays alive; its index in started_.
    size_t start_copy() {
        std::wstring line = L"\"" + exe_ + L"\" --stay-alive 60";
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        EXPECT_TRUE(CreateProcessW(exe_.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
        CloseHandle(pi.hThread);
        started_.push_back(pi);
        return started_.size() - 1;
    }
    bool ended(size_t i, DWORD wait_ms = 5000) { return WaitForSingleObject(started_[i].hProcess, wait_ms) == WAIT_OBJECT_0; }
    uint32_t pid(size_t i) const { return started_[i].dwProcessId; }

    PlatformScope scope_{win32_platform()};
    std::wstring name_, folder_, exe_;
    std::vector<PROCESS_INFORMATION> started_;
};

TEST_F(RealKill, TwoCopiesListAGroupAndTheirRowsEndingOneLeavesTheOther) {
    size_t a = start_copy(), b = start_copy();
    std::u16string name = u16w(name_), stem = name.substr(0, name.size() - 4);
    Rows r;
    kill_rows(stem.c_str(), &r.list);
    ASSERT_EQ(r.count(), 3);
    EXPECT_EQ(s8(r[0].title), "Kill all " + u8(name) + " (2)");
    EXPECT_EQ(r[0].number, 0);
    EXPECT_EQ(s8(r[0].subtitle), "End all 2 processes at once - " + u8(u16w(exe_)));
    EXPECT_EQ(r[0].score, r[1].score + 1);
    std::vector<uint32_t> ids = {uint32_t(r[1].number), uint32_t(r[2].number)};
    EXPECT_TRUE((ids == std::vector<uint32_t>{pid(a), pid(b)}) || (ids == std::vector<uint32_t>{pid(b), pid(a)}));
    EXPECT_EQ(s8(r[1].icon_source), u8(u16w(exe_)));

    EXPECT_FALSE(kill_process(pid(a), u"notepad.exe"));  // not what runs under that id
    EXPECT_FALSE(ended(a, 200));
    EXPECT_TRUE(kill_process(pid(a), name.c_str()));
    EXPECT_TRUE(ended(a));
    EXPECT_FALSE(ended(b, 200));
    DWORD code = 0;
    GetExitCodeProcess(started_[a].hProcess, &code);
    EXPECT_EQ(code, 1u);

    Rows after;
    kill_rows(stem.c_str(), &after.list);
    ASSERT_EQ(after.count(), 1);  // one left: no group
    EXPECT_EQ(uint32_t(after[0].number), pid(b));
}

TEST_F(RealKill, TheGroupEndsEveryCopy) {
    size_t a = start_copy(), b = start_copy();
    EXPECT_EQ(kill_all_named(u16w(name_).c_str()), 2);
    EXPECT_TRUE(ended(a));
    EXPECT_TRUE(ended(b));
    EXPECT_EQ(kill_all_named(u16w(name_).c_str()), 0);
}

TEST_F(RealKill, WinesOwnProcessesAreNeverListed) {
    Rows r;
    kill_rows(u"", &r.list);
    for (int32_t i = 0; i < r.count(); ++i) {
        const std::string t = s8(r[i].title);
        for (const char* name : {"svchost", "explorer", "services", "winlogon", "csrss", "conhost", "rundll32"})
            EXPECT_EQ(t.find(std::string("Kill ") + name), std::string::npos) << t;
        EXPECT_NE(uint32_t(r[i].number), GetCurrentProcessId());
    }
}

// A service of our own whose unquoted image path holds spaces.
TEST_F(RealKill, ServiceWithSpacesInItsImagePathIsNamedByTheServiceList) {
    SC_HANDLE scm = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (!scm) GTEST_SKIP() << "no service manager access";
    std::wstring svc_folder = folder_ + L"\\Svc Dir";
    ASSERT_TRUE(CreateDirectoryW(svc_folder.c_str(), nullptr));
    std::wstring svc_exe = svc_folder + L"\\" + name_;
    ASSERT_TRUE(CopyFileW(exe_.c_str(), svc_exe.c_str(), FALSE));
    std::wstring svc_name = L"KestruneTest" + name_.substr(5, name_.size() - 9);
    std::wstring command = svc_exe + L" --service " + svc_name;  // unquoted on purpose
    SC_HANDLE svc = CreateServiceW(scm, svc_name.c_str(), svc_name.c_str(), SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                                   SERVICE_DEMAND_START, SERVICE_ERROR_IGNORE, command.c_str(), nullptr, nullptr, nullptr,
                                   nullptr, nullptr);
    ASSERT_NE(svc, nullptr) << GetLastError();
    uint32_t svc_pid = 0;
    if (StartServiceW(svc, 0, nullptr)) {
        for (int i = 0; i < 100 && !svc_pid; ++i) {
            SERVICE_STATUS_PROCESS sp{};
            DWORD need = 0;
            if (QueryServiceStatusEx(svc, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&sp), sizeof sp, &need) &&
                sp.dwCurrentState == SERVICE_RUNNING)
                svc_pid = sp.dwProcessId;
            else
                Sleep(100);
        }
    }
    EXPECT_NE(svc_pid, 0u) << "the test service did not start";

    std::vector<ServicePid> list(kServiceListCap);
    int32_t n = service_pids(list.data(), kServiceListCap);
    bool listed = false;
    for (int32_t i = 0; i < n; ++i)
        if (list[i].pid == svc_pid && u8(list[i].name) == u8(u16w(svc_name))) listed = true;
    EXPECT_TRUE(listed);
    std::u16string path;
    EXPECT_TRUE(service_image_path(u16w(svc_name).c_str(), path));
    EXPECT_EQ(u8(path), u8(u16w(svc_exe)));

    SERVICE_STATUS st{};
    ControlService(svc, SERVICE_CONTROL_STOP, &st);
    for (int i = 0; i < 50; ++i) {
        SERVICE_STATUS_PROCESS sp{};
        DWORD need = 0;
        if (!QueryServiceStatusEx(svc, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&sp), sizeof sp, &need) ||
            sp.dwCurrentState == SERVICE_STOPPED)
            break;
        Sleep(100);
    }
    DeleteService(svc);
    CloseServiceHandle(svc);
    CloseServiceHandle(scm);
    for (int i = 0; i < 50 && !DeleteFileW(svc_exe.c_str()); ++i) Sleep(100);
    RemoveDirectoryW(svc_folder.c_str());
}

}  // namespace
