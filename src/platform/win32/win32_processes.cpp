// Processes and services through tool help, OpenProcess and the service control manager.
#include <windows.h>
#include <tlhelp32.h>

#include <vector>

#include "platform/processes.h"
#include "platform/win32/handle.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_platform.h"

namespace {

bool query_image(HANDLE h, std::u16string& out) {
    out.clear();
    wchar_t buf[MAX_PATH];
    DWORD n = MAX_PATH;
    if (!QueryFullProcessImageNameW(h, 0, buf, &n) || n == 0 || n >= MAX_PATH) return false;
    out = from_wide(buf, n);
    return true;
}

class Win32ProcessHandle : public ProcessHandle {
public:
    explicit Win32ProcessHandle(HANDLE h) : h_(h) {}
    bool image_path(std::u16string& out) override { return query_image(h_.get(), out); }
    bool terminate(uint32_t exit_code) override { return TerminateProcess(h_.get(), exit_code) != 0; }

private:
    UniqueHandle h_;
};

class Win32Processes : public Processes {
public:
    bool snapshot(std::vector<ProcessEntry>& out) override {
        out.clear();
        UniqueHandle snap(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
        if (!snap.valid()) return false;
        PROCESSENTRY32W pe{};
        pe.dwSize = sizeof pe;
        if (!Process32FirstW(snap.get(), &pe)) return GetLastError() == ERROR_NO_MORE_FILES;
        do {
            pe.szExeFile[MAX_PATH - 1] = 0;
            out.push_back(ProcessEntry{pe.th32ProcessID, from_wide(pe.szExeFile, wcslen(pe.szExeFile))});
            pe.dwSize = sizeof pe;
        } while (Process32NextW(snap.get(), &pe));
        return true;
    }

    bool image_path(uint32_t pid, std::u16string& out) override {
        out.clear();
        UniqueHandle h(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
        if (!h.valid()) return false;
        return query_image(h.get(), out);
    }

    std::unique_ptr<ProcessHandle> open(uint32_t pid) override {
        HANDLE h = OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
        if (!h) return nullptr;
        return std::make_unique<Win32ProcessHandle>(h);
    }

    bool services(std::vector<ServiceEntry>& out) override {
        out.clear();
        ScHandle scm(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ENUMERATE_SERVICE));
        if (!scm.get()) return false;
        // Pages until the manager says there is no more: a service that appears between two calls
        // lands on a later page instead of being lost.
        std::vector<unsigned char> buf(64 * 1024);
        DWORD resume = 0;
        for (int pages = 0; pages < 1024; ++pages) {
            DWORD needed = 0, returned = 0;
            BOOL ok = EnumServicesStatusExW(scm.get(), SC_ENUM_PROCESS_INFO, SERVICE_WIN32, SERVICE_STATE_ALL, buf.data(),
                                            static_cast<DWORD>(buf.size()), &needed, &returned, &resume, nullptr);
            DWORD err = ok ? ERROR_SUCCESS : GetLastError();
            if (!ok && err != ERROR_MORE_DATA) return !out.empty();
            auto* items = reinterpret_cast<const ENUM_SERVICE_STATUS_PROCESSW*>(buf.data());
            for (DWORD i = 0; i < returned; ++i) {
                const wchar_t* name = items[i].lpServiceName;
                out.push_back(ServiceEntry{items[i].ServiceStatusProcess.dwProcessId,
                                           name ? from_wide(name, wcslen(name)) : std::u16string()});
            }
            if (ok) return true;
            // Nothing fitted: the next record alone is larger than the buffer.
            if (returned == 0) {
                if (needed <= buf.size() || needed > (16u << 20)) return !out.empty();
                buf.resize(needed);
            }
        }
        return true;
    }

    uint32_t current_pid() override { return GetCurrentProcessId(); }
};

}  // namespace

Processes* win32_processes() {
    static Win32Processes p;
    return &p;
}
