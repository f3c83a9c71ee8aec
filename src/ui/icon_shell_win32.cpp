// Loading row icons from the shell on the loader thread, and drawing them in the paint.
#include <windows.h>
#include <commctrl.h>
#include <commoncontrols.h>
#include <gdiplus.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>

#include "core/text.h"
#include "platform/win32/wide.h"
#include "ui/icon_location.h"
#include "ui/icon_shell_win32.h"
#include "ui/renderer_win32.h"

namespace {

// mingw's libuuid does not carry IID_IImageList.
constexpr GUID kIidImageList = {0x46eb5926, 0x582e, 0x4017, {0x9f, 0xdf, 0xe8, 0x99, 0x8d, 0xaa, 0x09, 0x50}};

bool exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES || GetLastError() == ERROR_ACCESS_DENIED;
}

// The extra-large (48) list first, then the large (32) one; the first that gives an icon wins.
HICON image_list_icon(int index) {
    for (int which : {SHIL_EXTRALARGE, SHIL_LARGE}) {
        IImageList* list = nullptr;
        if (FAILED(SHGetImageList(which, kIidImageList, reinterpret_cast<void**>(&list))) || !list) continue;
        HICON icon = nullptr;
        const HRESULT hr = list->GetIcon(index, ILD_TRANSPARENT, &icon);
        list->Release();
        if (SUCCEEDED(hr) && icon) return icon;
    }
    return nullptr;
}

HICON extract_at(const std::wstring& file, int index) {
    HICON large = nullptr;
    // The count is 0xFFFFFFFF for a missing or non-PE file: only the handle tells.
    ExtractIconExW(file.c_str(), index, &large, nullptr, 1);
    return large;
}

HICON plain_file_icon(std::wstring path) {
    IconLocation loc;
    const std::u16string u16 = from_wide(path);
    if (icon_location_parse(u16, &loc)) {
        const std::wstring file = to_wide(loc.file);
        if (icon_location_extractable(loc)) {
            if (HICON icon = extract_at(file, loc.index)) return icon;
        }
        path = file;
    }
    SHFILEINFOW sfi{};
    if (SHGetFileInfoW(path.c_str(), 0, &sfi, sizeof sfi, SHGFI_SYSICONINDEX)) {
        if (HICON icon = image_list_icon(sfi.iIcon)) return icon;
    }
    sfi = SHFILEINFOW{};
    if (SHGetFileInfoW(path.c_str(), 0, &sfi, sizeof sfi, SHGFI_ICON | SHGFI_LARGEICON) && sfi.hIcon) return sfi.hIcon;
    return nullptr;
}

HICON shell_item_icon(const std::wstring& path) {
    PIDLIST_ABSOLUTE pidl = nullptr;
    if (FAILED(SHParseDisplayName(path.c_str(), nullptr, &pidl, 0, nullptr)) || !pidl) return nullptr;
    SHFILEINFOW sfi{};
    HICON icon = nullptr;
    if (SHGetFileInfoW(reinterpret_cast<LPCWSTR>(pidl), 0, &sfi, sizeof sfi, SHGFI_PIDL | SHGFI_SYSICONINDEX))
        icon = image_list_icon(sfi.iIcon);
    CoTaskMemFree(pidl);
    return icon;
}

// A shortcut shows its own icon location when it has one, else its target's icon. Resolving never
// searches, tracks or rewrites the link, so a dead target on a network share costs no wait.
HICON shortcut_icon(const std::wstring& path) {
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return nullptr;
    HICON icon = nullptr;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        if (SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
            wchar_t location[MAX_PATH] = {};
            int index = 0;
            if (SUCCEEDED(link->GetIconLocation(location, MAX_PATH, &index)) && location[0]) {
                wchar_t expanded[MAX_PATH] = {};
                DWORD n = ExpandEnvironmentStringsW(location, expanded, MAX_PATH);
                const std::wstring icon_file = (n > 0 && n <= MAX_PATH) ? expanded : location;
                if (exists(icon_file)) icon = extract_at(icon_file, index);
            }
            if (!icon) {
                link->Resolve(nullptr, SLR_NO_UI | SLR_NOSEARCH | SLR_NOTRACK | SLR_NOUPDATE | (1u << 16));
                wchar_t target[MAX_PATH] = {};
                if (SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, 0)) && target[0] && exists(target))
                    icon = plain_file_icon(target);
            }
        }
        file->Release();
    }
    link->Release();
    return icon;
}

bool is_image_file(std::u16string_view path) {
    const size_t slash = path.rfind(u'\\');
    const std::u16string_view name = slash == std::u16string_view::npos ? path : path.substr(slash + 1);
    for (const char16_t* ext : {u".png", u".jpg", u".jpeg", u".bmp", u".gif", u".tif", u".tiff"})
        if (text_ends_with_ci(name, ext)) return true;
    return false;
}

class Win32IconShell final : public IconShell {
public:
    HWND window = nullptr;

    void thread_begin() override {
        com_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        Gdiplus::GdiplusStartupInput input;
        if (Gdiplus::GdiplusStartup(&gdiplus_, &input, nullptr) != Gdiplus::Ok) gdiplus_ = 0;
    }
    void thread_end() override {
        if (gdiplus_) Gdiplus::GdiplusShutdown(gdiplus_);
        gdiplus_ = 0;
        if (com_) CoUninitialize();
        com_ = false;
    }
    bool path_exists(std::u16string_view path) override { return exists(to_wide(path)); }
    uint32_t drive_type(char16_t letter) override {
        const wchar_t root[4] = {static_cast<wchar_t>(letter), L':', L'\\', 0};
        return GetDriveTypeW(root);
    }
    IconHandle load(std::u16string_view path) override {
        const std::wstring wide = to_wide(path);
        if (icon_is_shell_path(path)) return shell_item_icon(wide);
        if (path.size() >= 5 && text_ends_with_ci(path, u".lnk")) {
            if (HICON icon = shortcut_icon(wide)) return icon;
        } else if (is_image_file(path) && exists(wide)) {
            if (HICON icon = picture_icon(wide)) return icon;
        }
        return plain_file_icon(wide);
    }
    void destroy(IconHandle icon) override {
        if (icon) DestroyIcon(static_cast<HICON>(icon));
    }
    void invalidate() override {
        if (window) InvalidateRect(window, nullptr, FALSE);
    }

private:
    // The picture itself as the icon (DrawIconEx scales it into the icon square).
    HICON picture_icon(const std::wstring& path) {
        if (!gdiplus_) return nullptr;
        Gdiplus::GpBitmap* bitmap = nullptr;
        if (Gdiplus::DllExports::GdipCreateBitmapFromFile(path.c_str(), &bitmap) != Gdiplus::Ok || !bitmap) return nullptr;
        HICON icon = nullptr;
        UINT w = 0, h = 0;
        Gdiplus::DllExports::GdipGetImageWidth(bitmap, &w);
        Gdiplus::DllExports::GdipGetImageHeight(bitmap, &h);
        if (w && h && Gdiplus::DllExports::GdipCreateHICONFromBitmap(bitmap, &icon) != Gdiplus::Ok) icon = nullptr;
        Gdiplus::DllExports::GdipDisposeImage(bitmap);
        return icon;
    }

    bool com_ = false;
    ULONG_PTR gdiplus_ = 0;
};

Win32IconShell g_shell;

void draw_one(IconHandle icon, int x, int y, int size, void* user) {
    DrawIconEx(static_cast<HDC>(user), x, y, static_cast<HICON>(icon), size, size, 0, nullptr, DI_NORMAL);
}

}  // namespace

IconShell& icon_shell_win32(HWND window) {
    g_shell.window = window;
    return g_shell;
}

void icons_start_win32(HWND window, int dpi) {
    icons_set_dpi(dpi);
    icons_start(&icon_shell_win32(window));
    render_icons_hook_set([](HDC memdc, void*) { icons_draw(draw_one, memdc); }, nullptr);
}

void icons_stop_win32() {
    render_icons_hook_set(nullptr, nullptr);
    icons_stop();
}
