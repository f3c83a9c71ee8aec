// Process entry of kestrune.exe.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/selftest_mode.h"
#include "platform/platform.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_platform.h"

namespace {

std::vector<std::u16string> arguments_after_exe() {
    std::vector<std::u16string> out;
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return out;
    for (int i = 1; i < argc; ++i) out.push_back(from_wide(argv[i], wcslen(argv[i])));
    LocalFree(argv);
    return out;
}

// Self-test output goes to the console (the parent's, else a new one) and also to the standard
// output the process was started with, so that a pipe under wine sees it.
struct SelftestOutput {
    HANDLE std_out = nullptr;
    HANDLE console = nullptr;
};

bool is_console(HANDLE h) {
    DWORD mode;
    return h && h != INVALID_HANDLE_VALUE && GetConsoleMode(h, &mode);
}

void selftest_print(const char* text, void* ctx) {
    auto* out = static_cast<SelftestOutput*>(ctx);
    DWORD len = static_cast<DWORD>(strlen(text));
    DWORD put;
    if (out->std_out && out->std_out != INVALID_HANDLE_VALUE) WriteFile(out->std_out, text, len, &put, nullptr);
    if (out->console && out->console != out->std_out) WriteFile(out->console, text, len, &put, nullptr);
}

int run_selftest() {
    SelftestOutput out;
    out.std_out = GetStdHandle(STD_OUTPUT_HANDLE);
    bool piped = out.std_out && out.std_out != INVALID_HANDLE_VALUE && !is_console(out.std_out);
    if (AttachConsole(ATTACH_PARENT_PROCESS) || (!piped && AllocConsole())) {
        HANDLE con = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
        if (con != INVALID_HANDLE_VALUE) {
            if (piped) CloseHandle(con);  // the pipe already carries every line
            else out.console = con;
        }
        if (!out.std_out || out.std_out == INVALID_HANDLE_VALUE) out.std_out = out.console;
    }
    if (out.console == out.std_out) out.console = nullptr;
    int rc = selftest_mode_run(selftest_print, &out);
    if (out.console) CloseHandle(out.console);
    return rc;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    platform_install(win32_platform());
    CommandLine cl = parse_command_line(arguments_after_exe());
    if (cl.selftest) return run_selftest();
    if (cl.install_task || cl.remove_task) return 1;  // the log-on task is not available in this build
    return 0;
}
