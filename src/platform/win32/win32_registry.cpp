#include "platform/win32/win32_registry.h"

#include <windows.h>

#include "platform/win32/wide.h"

namespace {

// RAII owner of an open registry key.
class RegKey {
public:
    RegKey() = default;
    ~RegKey() {
        if (h_) RegCloseKey(h_);
    }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    HKEY get() const { return h_; }
    HKEY* out() { return &h_; }

private:
    HKEY h_ = nullptr;
};

HKEY root_handle(RegistryRoot root) {
    switch (root) {
        case RegistryRoot::LocalMachine: return HKEY_LOCAL_MACHINE;
        case RegistryRoot::CurrentUser: return HKEY_CURRENT_USER;
        default: return HKEY_CLASSES_ROOT;
    }
}

REGSAM view_flags(RegistryView view) {
    switch (view) {
        case RegistryView::Bits64: return KEY_WOW64_64KEY;
        case RegistryView::Bits32: return KEY_WOW64_32KEY;
        default: return 0;
    }
}

uint32_t open_key(RegistryRoot root, std::u16string_view key, RegistryView view, REGSAM access, RegKey& out) {
    std::wstring path = to_wide(key);
    if (path.find(L'\0') != std::wstring::npos) return ERROR_FILE_NOT_FOUND;
    return static_cast<uint32_t>(RegOpenKeyExW(root_handle(root), path.c_str(), 0, access | view_flags(view), out.out()));
}

// A REG_SZ or REG_EXPAND_SZ value of an open key, unexpanded. RegGetValueW terminates what it
// returns; the loop covers a value that grows between calls.
uint32_t get_string(HKEY k, std::u16string_view value, std::u16string& out, uint32_t* kind) {
    out.clear();
    std::wstring name = to_wide(value);
    std::wstring buf(256, L'\0');  // most values fit the first call
    for (int attempt = 0; attempt < 8; ++attempt) {
        DWORD type = 0;
        DWORD bytes = static_cast<DWORD>(buf.size() * sizeof(wchar_t));
        LSTATUS st = RegGetValueW(k, nullptr, name.c_str(), RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, &type,
                                  buf.data(), &bytes);
        if (st == ERROR_MORE_DATA) {
            size_t units = bytes / sizeof(wchar_t) + 2;
            if (units > (1u << 24)) return ERROR_MORE_DATA;
            buf.assign(units, L'\0');
            continue;
        }
        if (st != ERROR_SUCCESS) return static_cast<uint32_t>(st);
        size_t n = 0;
        size_t cap = bytes / sizeof(wchar_t);
        while (n < cap && n < buf.size() && buf[n] != L'\0') ++n;
        out = from_wide(buf.data(), n);
        if (kind) *kind = type;
        return ERROR_SUCCESS;
    }
    return ERROR_MORE_DATA;
}

uint32_t get_dword(HKEY k, std::u16string_view value, uint32_t& out) {
    out = 0;
    std::wstring name = to_wide(value);
    DWORD data = 0;
    DWORD bytes = sizeof(data);
    LSTATUS st = RegGetValueW(k, nullptr, name.c_str(), RRF_RT_REG_DWORD, nullptr, &data, &bytes);
    if (st != ERROR_SUCCESS) return static_cast<uint32_t>(st);
    out = data;
    return ERROR_SUCCESS;
}

class Win32Registry : public Registry {
public:
    uint32_t read_string(RegistryRoot root, std::u16string_view key, std::u16string_view value, std::u16string& out,
                         uint32_t* kind, RegistryView view) override {
        out.clear();
        RegKey k;
        if (uint32_t err = open_key(root, key, view, KEY_QUERY_VALUE, k)) return err;
        return get_string(k.get(), value, out, kind);
    }

    uint32_t read_dword(RegistryRoot root, std::u16string_view key, std::u16string_view value, uint32_t& out,
                        RegistryView view) override {
        out = 0;
        RegKey k;
        if (uint32_t err = open_key(root, key, view, KEY_QUERY_VALUE, k)) return err;
        return get_dword(k.get(), value, out);
    }

    uint32_t read_values(RegistryRoot root, std::u16string_view key, RegistryRead* reads, size_t count,
                         RegistryView view) override {
        RegKey k;
        uint32_t open_err = open_key(root, key, view, KEY_QUERY_VALUE, k);
        for (size_t i = 0; i < count; ++i) {
            RegistryRead& r = reads[i];
            r.kind = 0;
            r.value = 0;
            r.text.clear();
            if (open_err) r.err = open_err;
            else if (r.dword) r.err = get_dword(k.get(), r.name, r.value);
            else r.err = get_string(k.get(), r.name, r.text, &r.kind);
        }
        return open_err;
    }

    uint32_t list_subkeys(RegistryRoot root, std::u16string_view key, std::vector<std::u16string>& out,
                          RegistryView view) override {
        out.clear();
        RegKey k;
        if (uint32_t err = open_key(root, key, view, KEY_ENUMERATE_SUB_KEYS, k)) return err;
        wchar_t name[256];  // key names are at most 255 characters
        for (DWORD i = 0;; ++i) {
            DWORD len = 256;
            LSTATUS st = RegEnumKeyExW(k.get(), i, name, &len, nullptr, nullptr, nullptr, nullptr);
            if (st == ERROR_NO_MORE_ITEMS) return ERROR_SUCCESS;
            if (st == ERROR_MORE_DATA) continue;  // longer than any valid name: skip it
            if (st != ERROR_SUCCESS) return static_cast<uint32_t>(st);
            out.push_back(from_wide(name, len));
        }
    }
};

}  // namespace

Registry& win32_registry() {
    static Win32Registry registry;
    return registry;
}
