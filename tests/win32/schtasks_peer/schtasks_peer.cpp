// Plays schtasks.exe for the log-on task tests: /create /tn NAME /xml FILE /f keeps a copy of the
// definition, /query /tn NAME answers whether it is kept (with /xml it prints it, as schtasks does,
// in the ANSI code page), /delete /tn NAME /f removes it. Every command line is appended to the
// log. The files are named by KESTRUNE_SCHTASKS_STORE and KESTRUNE_SCHTASKS_LOG; when the file
// named by KESTRUNE_SCHTASKS_REFUSE exists, every change fails as without rights (exit code 1).
#include <windows.h>
#include <shellapi.h>

#include <string>

namespace {

std::wstring env(const wchar_t* name) {
    wchar_t buf[MAX_PATH];
    DWORD n = GetEnvironmentVariableW(name, buf, MAX_PATH);
    return n && n < MAX_PATH ? std::wstring(buf, n) : std::wstring();
}

bool exists(const std::wstring& path) { return !path.empty() && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void append_log(const std::wstring& log, const wchar_t* line) {
    if (log.empty()) return;
    HANDLE h = CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    std::wstring text = std::wstring(line) + L"\r\n";
    int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(n > 0 ? n - 1 : 0, '\0');
    if (n > 1) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, bytes.data(), n, nullptr, nullptr);
    DWORD put = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
    CloseHandle(h);
}

int print_stored(const std::wstring& store) {
    HANDLE h = CreateFileW(store.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 1;
    std::string bytes(1 << 16, '\0');
    DWORD got = 0;
    ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(h);
    bytes.resize(got);
    if (bytes.size() < 2 || bytes[0] != '\xFF' || bytes[1] != '\xFE') return 1;
    std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
    int n = WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string ansi(n > 0 ? n : 0, '\0');
    if (n > 0) WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), ansi.data(), n, nullptr, nullptr);
    DWORD put = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), ansi.data(), static_cast<DWORD>(ansi.size()), &put, nullptr);
    return 0;
}

}  // namespace

int wmain() {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const std::wstring store = env(L"KESTRUNE_SCHTASKS_STORE");
    append_log(env(L"KESTRUNE_SCHTASKS_LOG"), GetCommandLineW());
    if (!argv || argc < 2 || store.empty()) return 2;
    const bool refuse = exists(env(L"KESTRUNE_SCHTASKS_REFUSE"));
    std::wstring op = argv[1];
    std::wstring xml_file;
    bool want_xml = false;
    for (int i = 2; i < argc; ++i) {
        if (lstrcmpiW(argv[i], L"/xml") == 0) {
            want_xml = true;
            if (i + 1 < argc && argv[i + 1][0] != L'/') xml_file = argv[++i];
        }
    }
    if (lstrcmpiW(op.c_str(), L"/query") == 0) {
        if (!exists(store)) return 1;
        return want_xml ? print_stored(store) : 0;
    }
    if (refuse) return 1;
    if (lstrcmpiW(op.c_str(), L"/create") == 0) return !xml_file.empty() && CopyFileW(xml_file.c_str(), store.c_str(), FALSE) ? 0 : 1;
    if (lstrcmpiW(op.c_str(), L"/delete") == 0) return DeleteFileW(store.c_str()) ? 0 : 1;
    return 2;
}
