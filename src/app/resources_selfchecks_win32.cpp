// The executable's own resources, checked where they are used: the icon the tray and the window
// class load (resource 1) and the version record.
#include <windows.h>

#include <cwchar>
#include <vector>

#include "core/selftest.h"

namespace {

// A string of the version record's first language, or nullptr.
const wchar_t* version_string(const std::vector<unsigned char>& block, const wchar_t* name) {
    wchar_t path[96];
    swprintf(path, 96, L"\\StringFileInfo\\040904B0\\%ls", name);
    void* value = nullptr;
    UINT len = 0;
    if (!VerQueryValueW(block.data(), path, &value, &len) || !value || len == 0) return nullptr;
    return static_cast<const wchar_t*>(value);
}

}  // namespace

SELFTEST_CHECK(check_app_icon_resource, "the executable carries its icon as resource 1, also at 16 px") {
    HMODULE self = GetModuleHandleW(nullptr);
    if (!LoadIconW(self, MAKEINTRESOURCEW(1))) return false;
    HANDLE small_icon = LoadImageW(self, MAKEINTRESOURCEW(1), IMAGE_ICON, 16, 16, 0);
    if (!small_icon) return false;
    DestroyIcon(static_cast<HICON>(small_icon));
    return true;
}

SELFTEST_CHECK(check_app_version_resource, "the executable's version record names Kestrune 0.4") {
    wchar_t file[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, file, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return false;
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(file, &ignored);
    if (size == 0) return false;
    std::vector<unsigned char> block(size);
    if (!GetFileVersionInfoW(file, 0, size, block.data())) return false;
    const wchar_t* product = version_string(block, L"ProductName");
    const wchar_t* version = version_string(block, L"ProductVersion");
    const wchar_t* description = version_string(block, L"FileDescription");
    return product && version && description && std::wcscmp(product, L"Kestrune") == 0 &&
           std::wcscmp(version, L"0.4") == 0 && description[0] != 0;
}
