#include "platform/win32/win32_apps_folder.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <shobjidl.h>

#include <string>
#include <vector>

#include "platform/win32/wide.h"

namespace {

// Owns one COM interface pointer.
template <typename T>
class ComRef {
public:
    ComRef() = default;
    ~ComRef() {
        if (p_) p_->Release();
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    T* get() const { return p_; }
    T** out() { return &p_; }
    void** out_void() { return reinterpret_cast<void**>(&p_); }
    T* operator->() const { return p_; }

private:
    T* p_ = nullptr;
};

// Owns an item ID list from the shell allocator.
template <typename P>
class ItemIds {
public:
    ItemIds() = default;
    explicit ItemIds(P p) : p_(p) {}
    ~ItemIds() {
        if (p_) ILFree(reinterpret_cast<LPITEMIDLIST>(p_));
    }
    ItemIds(const ItemIds&) = delete;
    ItemIds& operator=(const ItemIds&) = delete;
    P get() const { return p_; }
    P* out() { return &p_; }

private:
    P p_ = nullptr;
};

// Owns a string from the COM task allocator.
class TaskString {
public:
    ~TaskString() {
        if (s_) CoTaskMemFree(s_);
    }
    TaskString() = default;
    TaskString(const TaskString&) = delete;
    TaskString& operator=(const TaskString&) = delete;
    PWSTR* out() { return &s_; }
    std::u16string text() const { return s_ ? from_wide(s_, wcslen(s_)) : std::u16string(); }

private:
    PWSTR s_ = nullptr;
};

// COM for the calling thread for the length of one enumeration. Every successful CoInitializeEx,
// S_FALSE ("already initialised") included, takes a reference that CoUninitialize gives back.
class ComApartment {
public:
    ComApartment() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComApartment() {
        if (SUCCEEDED(hr_)) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    HRESULT hr_;
};

uint32_t hr_code(HRESULT hr) { return hr == S_OK ? 1u : static_cast<uint32_t>(hr); }

class Win32AppsFolder : public AppsFolder {
public:
    uint32_t enumerate(std::vector<PackagedApp>& out) override {
        // A thread already in the multithreaded apartment keeps it (RPC_E_CHANGED_MODE); the shell
        // folder works there as well.
        ComApartment apartment;
        ComRef<IShellFolder> desktop;
        HRESULT hr = SHGetDesktopFolder(desktop.out());
        if (FAILED(hr) || !desktop.get()) return hr_code(hr);

        wchar_t name[] = L"shell:AppsFolder";
        ItemIds<PIDLIST_RELATIVE> folder;
        hr = desktop->ParseDisplayName(nullptr, nullptr, name, nullptr, folder.out(), nullptr);
        if (FAILED(hr) || !folder.get()) return hr_code(hr);

        ComRef<IShellFolder> apps;
        hr = desktop->BindToObject(folder.get(), nullptr, IID_IShellFolder, apps.out_void());
        if (FAILED(hr) || !apps.get()) return hr_code(hr);

        ComRef<IEnumIDList> items;
        hr = apps->EnumObjects(nullptr, SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN, items.out());
        if (hr == S_FALSE && !items.get()) return 0;  // nothing to list
        if (FAILED(hr) || !items.get()) return hr_code(hr);

        for (;;) {
            ItemIds<PITEMID_CHILD> child;
            ULONG fetched = 0;
            if (items->Next(1, child.out(), &fetched) != S_OK || !child.get()) break;

            PackagedApp app;
            STRRET display{};
            if (SUCCEEDED(apps->GetDisplayNameOf(child.get(), SHGDN_NORMAL, &display))) {
                // StrRetToStrW reads the wide, the offset and the narrow (CP_ACP) forms and frees
                // the wide one it was given.
                TaskString text;
                if (SUCCEEDED(StrRetToStrW(&display, child.get(), text.out()))) app.name = text.text();
            }
            if (app.name.empty()) continue;

            ItemIds<PIDLIST_ABSOLUTE> full(
                ILCombine(reinterpret_cast<PCIDLIST_ABSOLUTE>(folder.get()), child.get()));
            if (!full.get()) continue;
            TaskString parsing;
            if (FAILED(SHGetNameFromIDList(full.get(), SIGDN_DESKTOPABSOLUTEPARSING, parsing.out()))) continue;
            app.parsing_name = parsing.text();
            if (app.parsing_name.empty()) continue;
            out.push_back(std::move(app));
        }
        return 0;
    }

    void destroy_icon(IconHandle icon) override {
        if (icon) DestroyIcon(static_cast<HICON>(icon));
    }

    // Both calls are looked up at run time: wine's kernel32 and Windows 7 do not export them, and
    // a static import would keep the executable from loading there.
    uint32_t package_path(std::u16string_view family, std::u16string& out) override {
        using FindFn = LONG(WINAPI*)(PCWSTR, UINT32, UINT32*, PWSTR*, UINT32*, WCHAR*, UINT32*);
        using PathFn = LONG(WINAPI*)(PCWSTR, UINT32*, PWSTR);
        out.clear();
        HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
        auto find = kernel ? reinterpret_cast<FindFn>(reinterpret_cast<void*>(GetProcAddress(kernel, "FindPackagesByPackageFamily"))) : nullptr;
        auto path_of = kernel ? reinterpret_cast<PathFn>(reinterpret_cast<void*>(GetProcAddress(kernel, "GetPackagePathByFullName"))) : nullptr;
        if (!find || !path_of) return ERROR_PROC_NOT_FOUND;
        const std::wstring fam = to_wide(family);
        constexpr UINT32 kFilterHead = 0x10;  // PACKAGE_FILTER_HEAD
        std::vector<PWSTR> names;
        std::vector<WCHAR> buffer;
        LONG rc = ERROR_INSUFFICIENT_BUFFER;
        for (int attempt = 0; attempt < 2 && rc == ERROR_INSUFFICIENT_BUFFER; ++attempt) {
            UINT32 count = 0, length = 0;
            rc = find(fam.c_str(), kFilterHead, &count, nullptr, &length, nullptr, nullptr);
            if (rc != ERROR_INSUFFICIENT_BUFFER || count == 0) return rc ? static_cast<uint32_t>(rc) : ERROR_NOT_FOUND;
            names.assign(count, nullptr);
            buffer.assign(length, 0);
            rc = find(fam.c_str(), kFilterHead, &count, names.data(), &length, buffer.data(), nullptr);
        }
        if (rc != ERROR_SUCCESS || names.empty() || !names[0]) return rc ? static_cast<uint32_t>(rc) : ERROR_NOT_FOUND;
        UINT32 path_length = 0;
        rc = path_of(names[0], &path_length, nullptr);
        if (rc != ERROR_INSUFFICIENT_BUFFER || path_length == 0) return rc ? static_cast<uint32_t>(rc) : ERROR_NOT_FOUND;
        std::vector<WCHAR> path(path_length + 1, 0);
        rc = path_of(names[0], &path_length, path.data());
        if (rc != ERROR_SUCCESS || !path[0]) return rc ? static_cast<uint32_t>(rc) : ERROR_NOT_FOUND;
        out = from_wide(std::wstring_view(path.data()));
        return 0;
    }
};

}  // namespace

AppsFolder& win32_apps_folder() {
    static Win32AppsFolder folder;
    return folder;
}
