// A tiny program the launch tests start: it writes its own command line, in UTF-16, to the file
// named by the KESTRUNE_MARKER variable it inherits, and exits. The file appears whole: it is
// written beside its final name and then moved into place.
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
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
