// Process entry of kestrune.exe: the start-up order, the single-instance rule, the message loop and
// the orderly shutdown.
#include <windows.h>
#include <ole2.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "actions/actions.h"
#include "actions/logon_task.h"
#include "app/command_line.h"
#include "app/wiring.h"
#include "app/selftest_mode.h"
#include "app/shell.h"
#include "indexers/everything_client.h"
#include "platform/platform.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_platform.h"
#include "query/indexer_backend.h"
#include "query/query_cache.h"
#include "query/result_messages.h"
#include "query/workers.h"
#include "sources/app_index.h"
#include "store/data_files.h"
#include "store/options.h"
#include "ui/fonts.h"
#include "ui/icon_shell_win32.h"
#include "ui/activation.h"
#include "ui/main_view.h"
#include "ui/metrics.h"
#include "ui/palette.h"
#include "ui/renderer.h"
#include "ui/renderer_win32.h"
#include "ui/text_measure.h"

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

// Another copy's launcher window: the first top-level window of the class that belongs to another
// process. Returns true when the caller may go on starting (none found, or it was ended).
bool single_instance_check() {
    const DWORD me = GetCurrentProcessId();
    HWND found = nullptr;
    while ((found = FindWindowExW(nullptr, found, L"Kestrune", nullptr)) != nullptr) {
        DWORD pid = 0;
        GetWindowThreadProcessId(found, &pid);
        if (pid == me || pid == 0) continue;
        const int answer = MessageBoxW(nullptr,
                                       L"Kestrune is already running.\n\nYes = restart it with this version\n"
                                       L"No = keep the running one and exit",
                                       L"Kestrune", MB_YESNO | MB_ICONQUESTION);
        if (answer != IDYES) return false;
        if (HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, pid)) {
            TerminateProcess(process, 0);
            CloseHandle(process);
        }
        Sleep(500);
        return true;
    }
    return true;
}

void enable_debug_privilege() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return;
    TOKEN_PRIVILEGES tp{};
    tp.PrivilegeCount = 1;
    tp.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (LookupPrivilegeValueW(nullptr, L"SeDebugPrivilege", &tp.Privileges[0].Luid))
        AdjustTokenPrivileges(token, FALSE, &tp, sizeof tp, nullptr, nullptr);
    CloseHandle(token);
}

void start_foreground_retries() {
    ShellState& s = shell();
    s.fg = ForegroundRetries{kForegroundRetries, false};
    LASTINPUTINFO li{};
    li.cbSize = sizeof li;
    s.start_input_time = GetLastInputInfo(&li) ? li.dwTime : 0;
    SetTimer(s.window, kForegroundTimerId, kForegroundTimerMs, nullptr);
}

void shutdown() {
    ShellState& s = shell();
    workers_stop();
    icons_stop_win32();
    tray_remove();
    OleUninitialize();
    UnregisterHotKey(s.window, kHotkeyId);
    win32_set_result_window(nullptr);
    win32_clipboard_set_owner(nullptr);
    win32_shell_set_owner(nullptr);
    view_free_all();
    fonts_destroy();
    render_release();
    app_index_clear();
    everything_ipc_shutdown();
    cache_free();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    platform_install(win32_platform());
    shell().instance = instance;
    CommandLine cl = parse_command_line(arguments_after_exe());

    dpi_awareness_init();
    dpi_set(dpi_system());
    text_measure_install(text_measure_gdi());
    renderer_init(ui_ctx());
    // Modules join before the options load: the terminal module takes its key from the load.
    wiring_join_all();
    options_load();
    indexer_backend_select(options_indexer());
    metrics_width_set(options_ui_width());
    metrics_rows_set(options_ui_rows());
    theme_set(options_theme());
    fonts_create();

    if (cl.selftest) return run_selftest();
    if (cl.install_task || cl.remove_task) {
        int code = logon_task_run_switch(cl.install_task);
        fonts_destroy();
        return code;
    }

    if (!single_instance_check()) {
        app_index_clear();
        fonts_destroy();
        return 0;
    }

    // Without its reply window the launcher still runs; Everything searches then say so.
    if (everything_ipc_init() != 0)
        MessageBoxW(nullptr, L"Kestrune IPC init failed", L"Kestrune", MB_OK | MB_ICONWARNING);

    if (!window_class_register()) {
        MessageBoxW(nullptr, L"Kestrune init failed", L"Kestrune", MB_OK | MB_ICONERROR);
        return 1;
    }
    if (!window_create()) return 1;
    win32_set_result_window(shell().window);
    win32_clipboard_set_owner(shell().window);
    win32_shell_set_owner(shell().window);
    shell_action_set([](const Row* row, int32_t) { return action_execute(row); });
    shell_after_action_set(after_action);
    view_hooks().move_to_monitor = [](int32_t n) { window_move_to_monitor(n); };
    workers_start();
    icons_start_win32(shell().window, dpi_current());
    app_index_start(&os_window_post(), WM_APP_APPS_CHANGED);
    hotkey_register();
    shell().taskbar_created_msg = RegisterWindowMessageW(L"TaskbarCreated");
    tray_add();
    OleInitialize(nullptr);
    enable_debug_privilege();
    options_save();
    data_files_ensure();
    logon_task_prompts_set(LogonTaskPrompts{
        [](const char16_t* text) {
            return MessageBoxW(shell().window, as_wide(text), L"Kestrune", MB_TOPMOST | MB_YESNO) == IDYES;
        },
        [](const char16_t* text) {
            MessageBoxW(shell().window, as_wide(text), L"Kestrune", MB_TOPMOST | MB_SETFOREGROUND);
        }});
    logon_task_refresh();
    window_show();
    start_foreground_retries();
    message_loop();
    shutdown();
    return 0;
}
