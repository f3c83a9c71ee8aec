// The shell backend: ShellExecuteW/ShellExecuteExW, SearchPathW, the session and power calls, the
// Recycle Bin and a hidden child process waited for.
#include <windows.h>
#include <powrprof.h>
#include <shellapi.h>
#include <shlobj.h>
#include <sddl.h>

#include <algorithm>
#include <string>

#include "platform/win32/handle.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_platform.h"

namespace {

HWND g_owner = nullptr;

// Empty texts become null pointers, as the calls treat "none".
const wchar_t* or_null(const std::wstring& s) { return s.empty() ? nullptr : s.c_str(); }

// An item list from ILCreateFromPathW, freed with ILFree.
class ItemList {
public:
    explicit ItemList(const std::wstring& path) : pidl_(ILCreateFromPathW(path.c_str())) {}
    ~ItemList() {
        if (pidl_) ILFree(pidl_);
    }
    ItemList(const ItemList&) = delete;
    ItemList& operator=(const ItemList&) = delete;
    PIDLIST_ABSOLUTE get() const { return pidl_; }

private:
    PIDLIST_ABSOLUTE pidl_;
};

class Win32Shell : public Shell {
public:
    uint32_t execute(std::u16string_view verb, std::u16string_view file, std::u16string_view parameters,
                     std::u16string_view directory, int show) override {
        std::wstring v = to_wide(verb), f = to_wide(file), p = to_wide(parameters), d = to_wide(directory);
        INT_PTR r = reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, or_null(v), or_null(f), or_null(p), or_null(d), show));
        if (r > 32 && uint64_t(r) > UINT32_MAX) return 33;  // started; keep the value above 32
        return static_cast<uint32_t>(r);
    }

    uint32_t execute_ex(const ShellExRequest& r) override {
        std::wstring v = to_wide(r.verb), f = to_wide(r.file), p = to_wide(r.parameters), d = to_wide(r.directory);
        SHELLEXECUTEINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = r.mask;
        info.hwnd = r.owner ? g_owner : nullptr;
        info.lpVerb = or_null(v);
        info.lpParameters = or_null(p);
        info.lpDirectory = or_null(d);
        info.nShow = r.show;
        if (!r.item_list) {
            info.lpFile = or_null(f);
            return ShellExecuteExW(&info) ? 0 : GetLastError();
        }
        ItemList items(f);
        if (!items.get()) return ERROR_FILE_NOT_FOUND;
        info.lpIDList = items.get();
        return ShellExecuteExW(&info) ? 0 : GetLastError();
    }

    uint32_t search_path(std::u16string_view name, std::u16string& out) override {
        out.clear();
        std::wstring n = to_wide(name);
        std::wstring buf(MAX_PATH, L'\0');
        for (int attempt = 0; attempt < 2; ++attempt) {
            DWORD got = SearchPathW(nullptr, n.c_str(), nullptr, static_cast<DWORD>(buf.size()), buf.data(), nullptr);
            if (got == 0) return GetLastError();
            if (got < buf.size()) {
                out = from_wide(buf.data(), got);
                return 0;
            }
            buf.assign(got + 1, L'\0');
        }
        return ERROR_INSUFFICIENT_BUFFER;
    }

    bool lock_workstation() override { return LockWorkStation() != 0; }

    bool set_suspend_state(bool hibernate, bool force, bool disable_wake_events) override {
        return SetSuspendState(hibernate, force, disable_wake_events) != 0;
    }

    int32_t empty_recycle_bin(uint32_t flags) override { return SHEmptyRecycleBinW(nullptr, nullptr, flags); }

    int32_t run_and_wait(std::u16string_view command_line) override {
        std::wstring cmd = to_wide(command_line);  // CreateProcessW may write into it
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi{};
        if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi))
            return -1;
        UniqueHandle process(pi.hProcess);
        UniqueHandle thread(pi.hThread);
        WaitForSingleObject(process.get(), INFINITE);
        DWORD code = 1;
        if (!GetExitCodeProcess(process.get(), &code)) code = 1;
        return static_cast<int32_t>(code);
    }

    int32_t run_and_capture(std::u16string_view command_line, std::u16string& output, size_t max_bytes) override {
        output.clear();
        SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
        HANDLE read_raw = nullptr, write_raw = nullptr;
        if (!CreatePipe(&read_raw, &write_raw, &sa, 0)) return -1;
        UniqueHandle read_end(read_raw);
        UniqueHandle write_end(write_raw);
        // Only the write end goes to the child; with both inherited the pipe never reports its end.
        SetHandleInformation(read_end.get(), HANDLE_FLAG_INHERIT, 0);
        std::wstring cmd = to_wide(command_line);
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdInput = nullptr;
        si.hStdOutput = write_end.get();
        si.hStdError = write_end.get();
        PROCESS_INFORMATION pi{};
        if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi))
            return -1;
        UniqueHandle process(pi.hProcess);
        UniqueHandle thread(pi.hThread);
        write_end.reset();
        std::string bytes;
        char buf[4096];
        while (bytes.size() < max_bytes) {
            DWORD waiting = 0;
            if (!PeekNamedPipe(read_end.get(), nullptr, 0, nullptr, &waiting, nullptr)) break;
            if (waiting == 0) {
                if (WaitForSingleObject(process.get(), 50) == WAIT_OBJECT_0) {
                    // Ended: take what is still in the pipe, then stop.
                    if (!PeekNamedPipe(read_end.get(), nullptr, 0, nullptr, &waiting, nullptr) || waiting == 0) break;
                } else {
                    continue;
                }
            }
            DWORD want = static_cast<DWORD>(std::min<size_t>({sizeof buf, waiting, max_bytes - bytes.size()}));
            DWORD got = 0;
            if (!ReadFile(read_end.get(), buf, want, &got, nullptr) || got == 0) break;
            bytes.append(buf, got);
        }
        read_end.reset();
        WaitForSingleObject(process.get(), INFINITE);
        DWORD code = 1;
        if (!GetExitCodeProcess(process.get(), &code)) code = 1;
        if (!bytes.empty()) {
            int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
            if (n > 0) {
                std::wstring wide(static_cast<size_t>(n), L'\0');
                MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), n);
                output = from_wide(wide);
            }
        }
        return static_cast<int32_t>(code);
    }

    int32_t run_elevated_and_wait(std::u16string_view file, std::u16string_view parameters) override {
        std::wstring f = to_wide(file), p = to_wide(parameters);
        SHELLEXECUTEINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC;
        info.hwnd = g_owner;
        info.lpVerb = L"runas";
        info.lpFile = f.c_str();
        info.lpParameters = or_null(p);
        info.nShow = SW_HIDE;
        // A refused prompt (ERROR_CANCELLED) or any other failure to start reads as exit code 1.
        if (!ShellExecuteExW(&info) || !info.hProcess) return 1;
        UniqueHandle process(info.hProcess);
        WaitForSingleObject(process.get(), INFINITE);
        DWORD code = 1;
        if (!GetExitCodeProcess(process.get(), &code)) code = 1;
        return static_cast<int32_t>(code);
    }

    std::u16string user_sid() override {
        HANDLE token_raw = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token_raw)) return {};
        UniqueHandle token(token_raw);
        DWORD size = 0;
        GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
        if (size == 0) return {};
        std::string buffer(size, '\0');
        if (!GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size)) return {};
        auto* user = reinterpret_cast<TOKEN_USER*>(buffer.data());
        LPWSTR text = nullptr;
        if (!ConvertSidToStringSidW(user->User.Sid, &text) || !text) return {};
        std::u16string sid = from_wide(std::wstring_view(text));
        LocalFree(text);
        return sid;
    }
};

}  // namespace

Shell* win32_shell() {
    static Win32Shell shell;
    return &shell;
}

void win32_shell_set_owner(void* hwnd) { g_owner = static_cast<HWND>(hwnd); }
