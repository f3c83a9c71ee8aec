// Starting programs and documents and asking the system for power and session changes
// (ShellExecuteW / ShellExecuteExW, SearchPathW, LockWorkStation, SetSuspendState,
// SHEmptyRecycleBinW, CreateProcessW).
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace win {
constexpr int kSwHide = 0;
constexpr int kSwShowNormal = 1;
constexpr uint32_t kSeErrAccessDenied = 5;  // also ERROR_ACCESS_DENIED
constexpr uint32_t kErrCancelled = 1223;     // ERROR_CANCELLED: the user refused the UAC prompt
constexpr uint32_t kSeeMaskInvokeIdList = 0xC;
}  // namespace win

// One ShellExecuteExW request. Empty texts are passed as null pointers.
struct ShellExRequest {
    std::u16string_view verb;
    std::u16string_view file;
    std::u16string_view parameters;
    std::u16string_view directory;
    int show = win::kSwShowNormal;
    uint32_t mask = 0;
    bool owner = false;       // hwnd = the launcher window instead of none
    bool item_list = false;   // lpIDList = ILCreateFromPathW(file) with lpFile null (SEE_MASK_INVOKEIDLIST)
};

class Shell {
public:
    virtual ~Shell() = default;
    // ShellExecuteW with no owner window. The value ShellExecuteW returns: greater than 32 when
    // the program or document was started, otherwise the error (SE_ERR_* or a Win32 error).
    virtual uint32_t execute(std::u16string_view verb, std::u16string_view file, std::u16string_view parameters,
                             std::u16string_view directory, int show) = 0;
    // ShellExecuteExW: 0 when it returned true, otherwise GetLastError.
    virtual uint32_t execute_ex(const ShellExRequest& request) = 0;
    // SearchPathW over the default search path: the full path of a file, 0 or the Win32 error.
    virtual uint32_t search_path(std::u16string_view name, std::u16string& out) = 0;
    // LockWorkStation: true when it returned non-zero.
    virtual bool lock_workstation() = 0;
    // SetSuspendState (hibernate, force, wake events disabled): true when it returned non-zero.
    virtual bool set_suspend_state(bool hibernate, bool force, bool disable_wake_events) = 0;
    // SHEmptyRecycleBinW with no window, every drive and the given flags: the HRESULT.
    virtual int32_t empty_recycle_bin(uint32_t flags) = 0;
    // CreateProcessW with the command line, no inherited handles and CREATE_NO_WINDOW, then an
    // unbounded wait: the exit code (1 when it cannot be read), -1 when no process was created.
    virtual int32_t run_and_wait(std::u16string_view command_line) = 0;
    // The same, with standard output and standard error read through a pipe while the program
    // runs: at most max_bytes of it, converted from the ANSI code page. The exit code, or -1.
    virtual int32_t run_and_capture(std::u16string_view command_line, std::u16string& output, size_t max_bytes) = 0;
    // ShellExecuteExW with the verb "runas" (the elevation prompt), then an unbounded wait for the
    // program: its exit code; 1 when the prompt was refused or the program could not be started.
    virtual int32_t run_elevated_and_wait(std::u16string_view file, std::u16string_view parameters) = 0;
    // The string form of the current user's SID ("S-1-5-21-..."); empty when it cannot be read.
    virtual std::u16string user_sid() = 0;
};
