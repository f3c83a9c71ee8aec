// A tiny program the launch tests start: it writes its own command line, in UTF-16, to the file
// named by the KESTRUNE_MARKER variable it inherits, and exits. The file appears whole: it is
// written beside its final name and then moved into place.
//
// "kestrune_marker.exe --make-shortcut NAME" instead saves NAME.lnk, a shortcut to itself, in the
// user's Start Menu programs folder (the end-to-end test launches it from the launcher).
//
// "kestrune_marker.exe --stay-alive [SECONDS]" just keeps running (120 s unless told), so that a
// test has a process of its own to list and end. "kestrune_marker.exe --service NAME" runs as the
// Win32 service NAME until the service manager stops it (or 120 s pass).
// "kestrune_marker.exe --save-clipboard FILE" writes the clipboard's Unicode text, in UTF-16, to
// FILE (exit code 6 when the clipboard holds no text), so a test can read what a copy put there.
// "kestrune_marker.exe --drop-target LOG" is a drop target instead (marker_drop_target.cpp).
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <string>

namespace {

int make_shortcut(const wchar_t* name) {
    wchar_t self[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return 10;
    PWSTR programs = nullptr;
    if (FAILED(SHGetKnownFolderPath(FOLDERID_Programs, 0, nullptr, &programs))) return 11;
    std::wstring link = std::wstring(programs) + L"\\" + name + L".lnk";
    CoTaskMemFree(programs);
    HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int rc = 12;
    IShellLinkW* sl = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&sl)))) {
        sl->SetPath(self);
        sl->SetArguments(L"launched-from-shortcut");
        IPersistFile* pf = nullptr;
        if (SUCCEEDED(sl->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&pf)))) {
            rc = SUCCEEDED(pf->Save(link.c_str(), TRUE)) ? 0 : 13;
            pf->Release();
        }
        sl->Release();
    }
    if (SUCCEEDED(init)) CoUninitialize();
    return rc;
}

int stay_alive(const wchar_t* seconds) {
    DWORD s = seconds ? static_cast<DWORD>(_wtoi(seconds)) : 0;
    if (s == 0 || s > 3600) s = 120;
    Sleep(s * 1000);
    return 0;
}

wchar_t g_service_name[256];
SERVICE_STATUS_HANDLE g_service_status = nullptr;
SERVICE_STATUS g_status{};
HANDLE g_stop = nullptr;

void report(DWORD state) {
    g_status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    g_status.dwCurrentState = state;
    g_status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
    g_status.dwWin32ExitCode = NO_ERROR;
    if (g_service_status) SetServiceStatus(g_service_status, &g_status);
}

DWORD WINAPI service_control(DWORD control, DWORD, LPVOID, LPVOID) {
    if (control == SERVICE_CONTROL_STOP) {
        report(SERVICE_STOP_PENDING);
        SetEvent(g_stop);
    }
    return NO_ERROR;
}

void WINAPI service_main(DWORD, LPWSTR*) {
    g_service_status = RegisterServiceCtrlHandlerExW(g_service_name, service_control, nullptr);
    if (!g_service_status) return;
    report(SERVICE_RUNNING);
    WaitForSingleObject(g_stop, 120000);
    report(SERVICE_STOPPED);
}

int run_service(const wchar_t* name) {
    lstrcpynW(g_service_name, name, 256);
    g_stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    SERVICE_TABLE_ENTRYW table[] = {{g_service_name, service_main}, {nullptr, nullptr}};
    return StartServiceCtrlDispatcherW(table) ? 0 : 20;
}

int save_clipboard(const wchar_t* file) {
    if (!OpenClipboard(nullptr)) return 6;
    int rc = 6;
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    const wchar_t* text = data ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
    if (text) {
        HANDLE h = CreateFileW(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        rc = 3;
        if (h != INVALID_HANDLE_VALUE) {
            const DWORD bytes = static_cast<DWORD>(wcslen(text) * sizeof(wchar_t));
            DWORD put = 0;
            rc = WriteFile(h, text, bytes, &put, nullptr) && put == bytes ? 0 : 4;
            CloseHandle(h);
        }
        GlobalUnlock(data);
    }
    CloseClipboard();
    return rc;
}

}  // namespace

int run_drop_target(const wchar_t* log);

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv && argc == 3 && lstrcmpW(argv[1], L"--make-shortcut") == 0) return make_shortcut(argv[2]);
    if (argv && argc >= 2 && argc <= 3 && lstrcmpW(argv[1], L"--stay-alive") == 0)
        return stay_alive(argc == 3 ? argv[2] : nullptr);
    if (argv && argc == 3 && lstrcmpW(argv[1], L"--service") == 0) return run_service(argv[2]);
    if (argv && argc == 3 && lstrcmpW(argv[1], L"--save-clipboard") == 0) return save_clipboard(argv[2]);
    if (argv && argc == 3 && lstrcmpW(argv[1], L"--drop-target") == 0) return run_drop_target(argv[2]);
    wchar_t target[MAX_PATH];
    DWORD n = GetEnvironmentVariableW(L"KESTRUNE_MARKER", target, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return 2;
    std::wstring temp = std::wstring(target) + L".part";
    HANDLE h = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 3;
    const wchar_t* line = GetCommandLineW();
    DWORD bytes = static_cast<DWORD>(wcslen(line) * sizeof(wchar_t)), put = 0;
    BOOL ok = WriteFile(h, line, bytes, &put, nullptr);
    CloseHandle(h);
    if (!ok || put != bytes) return 4;
    return MoveFileExW(temp.c_str(), target, MOVEFILE_REPLACE_EXISTING) ? 0 : 5;
}
