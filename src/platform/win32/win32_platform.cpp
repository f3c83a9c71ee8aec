#include "platform/win32/win32_platform.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include "platform/win32/handle.h"
#include "platform/win32/win32_apps_folder.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/wide.h"

namespace {

uint64_t filetime_u64(const FILETIME& ft) { return (uint64_t(ft.dwHighDateTime) << 32) | ft.dwLowDateTime; }

class Win32Files : public Files {
public:
    using Files::attributes;
    uint32_t attributes(std::u16string_view path, uint32_t* error) override {
        DWORD a = GetFileAttributesW(to_wide(path).c_str());
        if (error) *error = a == INVALID_FILE_ATTRIBUTES ? GetLastError() : 0;
        return a;
    }

    FileInfo info(std::u16string_view path) override {
        FileInfo fi;
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExW(to_wide(path).c_str(), GetFileExInfoStandard, &data)) return fi;
        fi.attributes = data.dwFileAttributes;
        fi.size = (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        fi.write_time = filetime_u64(data.ftLastWriteTime);
        return fi;
    }

    uint32_t list(std::u16string_view folder, std::vector<FileEntry>& out) override {
        out.clear();
        std::wstring pattern = to_wide(folder);
        if (!pattern.empty() && pattern.back() != L'\\' && pattern.back() != L'/') pattern += L'\\';
        pattern += L'*';
        WIN32_FIND_DATAW fd;
        FindHandle h(FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr,
                                      FIND_FIRST_EX_LARGE_FETCH));
        if (!h.valid()) {
            DWORD err = GetLastError();
            return err == ERROR_FILE_NOT_FOUND ? 0 : err;
        }
        do {
            if (fd.cFileName[0] == L'.' && (fd.cFileName[1] == 0 || (fd.cFileName[1] == L'.' && fd.cFileName[2] == 0))) continue;
            FileEntry e;
            e.name = from_wide(fd.cFileName, wcslen(fd.cFileName));
            e.attributes = fd.dwFileAttributes;
            e.size = (e.attributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : (uint64_t(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
            e.write_time = filetime_u64(fd.ftLastWriteTime);
            out.push_back(std::move(e));
        } while (FindNextFileW(h.get(), &fd));
        DWORD err = GetLastError();
        return err == ERROR_NO_MORE_FILES ? 0 : err;
    }

    uint32_t read(std::u16string_view path, std::string& out, uint64_t max_bytes) override {
        out.clear();
        UniqueHandle h(CreateFileW(to_wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!h.valid()) return GetLastError();
        LARGE_INTEGER size;
        if (!GetFileSizeEx(h.get(), &size)) return GetLastError();
        if (uint64_t(size.QuadPart) > max_bytes) return ERROR_FILE_TOO_LARGE;
        out.resize(static_cast<size_t>(size.QuadPart));
        size_t done = 0;
        while (done < out.size()) {
            DWORD chunk = static_cast<DWORD>(out.size() - done > (1u << 30) ? (1u << 30) : out.size() - done);
            DWORD got = 0;
            if (!ReadFile(h.get(), out.data() + done, chunk, &got, nullptr)) {
                DWORD err = GetLastError();
                out.clear();
                return err;
            }
            if (got == 0) break;  // the file shrank while we read it
            done += got;
        }
        out.resize(done);
        return 0;
    }

    uint32_t write(std::u16string_view path, std::string_view data) override { return write_with(path, data, CREATE_ALWAYS); }
    uint32_t write_new(std::u16string_view path, std::string_view data) override { return write_with(path, data, CREATE_NEW); }

    static uint32_t write_with(std::u16string_view path, std::string_view data, DWORD disposition) {
        UniqueHandle h(CreateFileW(to_wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, disposition,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!h.valid()) return GetLastError();
        size_t done = 0;
        while (done < data.size()) {
            DWORD chunk = static_cast<DWORD>(data.size() - done > (1u << 30) ? (1u << 30) : data.size() - done);
            DWORD put = 0;
            if (!WriteFile(h.get(), data.data() + done, chunk, &put, nullptr)) return GetLastError();
            done += put;
        }
        // The bytes must be on disk before a replace makes this file the real one.
        if (!FlushFileBuffers(h.get())) return GetLastError();
        HANDLE raw = h.release();
        if (!CloseHandle(raw)) return GetLastError();
        return 0;
    }

    uint32_t replace(std::u16string_view from, std::u16string_view to) override {
        if (!MoveFileExW(to_wide(from).c_str(), to_wide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return GetLastError();
        return 0;
    }

    uint32_t remove(std::u16string_view path) override {
        return DeleteFileW(to_wide(path).c_str()) ? 0 : GetLastError();
    }

    uint32_t create_folder(std::u16string_view path) override {
        return CreateDirectoryW(to_wide(path).c_str(), nullptr) ? 0 : GetLastError();
    }

    uint32_t remove_folder(std::u16string_view path) override {
        return RemoveDirectoryW(to_wide(path).c_str()) ? 0 : GetLastError();
    }

    uint32_t full_path(std::u16string_view path, std::u16string& out) override {
        out.clear();
        if (path.empty()) return ERROR_INVALID_NAME;
        std::wstring in = to_wide(path);
        std::wstring buf(MAX_PATH, L'\0');
        for (;;) {
            DWORD n = GetFullPathNameW(in.c_str(), static_cast<DWORD>(buf.size()), buf.data(), nullptr);
            if (n == 0) return GetLastError();
            if (n < buf.size()) {
                out = from_wide(buf.data(), n);
                return 0;
            }
            buf.resize(n);
        }
    }

    std::u16string temp_folder() override {
        wchar_t buf[MAX_PATH + 2];
        DWORD n = GetTempPathW(MAX_PATH + 1, buf);
        if (n == 0 || n > MAX_PATH + 1) return {};
        return from_wide(buf, n);
    }

    std::u16string known_folder(KnownFolder id) override {
        const KNOWNFOLDERID* fid = nullptr;
        switch (id) {
            case KnownFolder::RoamingAppData: fid = &FOLDERID_RoamingAppData; break;
            case KnownFolder::LocalAppData: fid = &FOLDERID_LocalAppData; break;
            case KnownFolder::Programs: fid = &FOLDERID_Programs; break;
            case KnownFolder::CommonPrograms: fid = &FOLDERID_CommonPrograms; break;
            case KnownFolder::Profile: fid = &FOLDERID_Profile; break;
            case KnownFolder::Windows: fid = &FOLDERID_Windows; break;
            case KnownFolder::System: fid = &FOLDERID_System; break;
            case KnownFolder::Desktop: fid = &FOLDERID_Desktop; break;
        }
        PWSTR p = nullptr;
        std::u16string out;
        if (fid && SUCCEEDED(SHGetKnownFolderPath(*fid, 0, nullptr, &p)) && p) out = from_wide(p, wcslen(p));
        CoTaskMemFree(p);
        return out;
    }

    std::u16string module_path() override {
        std::wstring buf(MAX_PATH, L'\0');
        for (;;) {
            DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
            if (n == 0) return {};
            if (n < buf.size()) return from_wide(buf.data(), n);
            if (buf.size() >= 32768) return {};
            buf.resize(buf.size() * 2);
        }
    }
};

class Win32Clock : public Clock {
public:
    uint64_t tick_ms() override { return GetTickCount64(); }
    uint64_t now_filetime() override {
        FILETIME ft;
        GetSystemTimeAsFileTime(&ft);
        return filetime_u64(ft);
    }
    bool to_local(uint64_t filetime, LocalTime& out) override {
        FILETIME ft{static_cast<DWORD>(filetime), static_cast<DWORD>(filetime >> 32)};
        SYSTEMTIME utc, local;
        if (!FileTimeToSystemTime(&ft, &utc)) return false;
        if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) return false;
        out.year = local.wYear;
        out.month = local.wMonth;
        out.day = local.wDay;
        out.hour = local.wHour;
        out.minute = local.wMinute;
        out.second = local.wSecond;
        out.milliseconds = local.wMilliseconds;
        out.day_of_week = local.wDayOfWeek;
        return true;
    }
};

class Win32Environment : public Environment {
public:
    std::optional<std::u16string> get(std::u16string_view name) override {
        std::wstring n = to_wide(name);
        SetLastError(0);
        DWORD need = GetEnvironmentVariableW(n.c_str(), nullptr, 0);
        if (need == 0) {
            if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
            return std::u16string();
        }
        std::wstring buf(need, L'\0');
        DWORD got = GetEnvironmentVariableW(n.c_str(), buf.data(), need);
        if (got >= need) return std::nullopt;
        return from_wide(buf.data(), got);
    }
    bool set(std::u16string_view name, std::optional<std::u16string_view> value) override {
        std::wstring n = to_wide(name);
        if (!value) return SetEnvironmentVariableW(n.c_str(), nullptr) != 0;
        return SetEnvironmentVariableW(n.c_str(), to_wide(*value).c_str()) != 0;
    }
    std::u16string expand(std::u16string_view text) override {
        std::wstring in = to_wide(text);
        DWORD need = ExpandEnvironmentStringsW(in.c_str(), nullptr, 0);
        if (need == 0) return std::u16string(text);
        std::wstring buf(need, L'\0');
        DWORD got = ExpandEnvironmentStringsW(in.c_str(), buf.data(), need);
        if (got == 0 || got > need) return std::u16string(text);
        return from_wide(buf.data(), got - 1);
    }
};

}  // namespace

Platform win32_platform() {
    static Win32Files files;
    static Win32Clock clock;
    static Win32Environment env;
    return Platform{.files = &files, .clock = &clock, .env = &env, .clipboard = win32_clipboard(), .registry = &win32_registry(),
                    .shell = win32_shell(), .window_post = win32_window_post(), .apps_folder = &win32_apps_folder(),
                    .display = win32_display(), .processes = win32_processes()};
}
