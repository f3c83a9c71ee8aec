// Files and folders, with Win32 semantics: UTF-16 paths, '\' or '/' separators, drive letters,
// case-insensitive names, attributes and FILETIME values; errors are Win32 error numbers.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace win {
constexpr uint32_t kInvalidAttributes = 0xFFFFFFFFu;
constexpr uint32_t kAttrReadOnly = 0x1;
constexpr uint32_t kAttrHidden = 0x2;
constexpr uint32_t kAttrSystem = 0x4;
constexpr uint32_t kAttrDirectory = 0x10;
constexpr uint32_t kAttrArchive = 0x20;
constexpr uint32_t kAttrNormal = 0x80;
constexpr uint32_t kAttrReparsePoint = 0x400;

constexpr uint32_t kOk = 0;
constexpr uint32_t kErrFileNotFound = 2;
constexpr uint32_t kErrPathNotFound = 3;
constexpr uint32_t kErrAccessDenied = 5;
constexpr uint32_t kErrNotEnoughMemory = 8;
constexpr uint32_t kErrWriteFault = 29;
constexpr uint32_t kErrSharingViolation = 32;
constexpr uint32_t kErrFileExists = 80;
constexpr uint32_t kErrInvalidParameter = 87;
constexpr uint32_t kErrDiskFull = 112;
constexpr uint32_t kErrInsufficientBuffer = 122;
constexpr uint32_t kErrInvalidName = 123;
constexpr uint32_t kErrDirNotEmpty = 145;
constexpr uint32_t kErrDirectoryName = 267;
constexpr uint32_t kErrAlreadyExists = 183;
constexpr uint32_t kErrFileTooLarge = 223;
constexpr uint32_t kErrMoreData = 234;
}  // namespace win

struct FileEntry {
    std::u16string name;  // name inside the folder, as stored
    uint32_t attributes = 0;
    uint64_t size = 0;
    uint64_t write_time = 0;  // FILETIME
};

struct FileInfo {
    uint32_t attributes = win::kInvalidAttributes;
    uint64_t size = 0;
    uint64_t write_time = 0;
};

enum class KnownFolder {
    RoamingAppData,   // %APPDATA%
    LocalAppData,     // %LOCALAPPDATA%
    Programs,         // the user's Start Menu\Programs
    CommonPrograms,   // all users' Start Menu\Programs
    Profile,          // %USERPROFILE%
    Windows,          // %SystemRoot%
    System,           // %SystemRoot%\System32
    Desktop,
};

class Files {
public:
    virtual ~Files() = default;
    // GetFileAttributesW: kInvalidAttributes when the attributes cannot be read. error (when given)
    // receives GetLastError then: kErrFileNotFound or kErrPathNotFound when nothing is there,
    // kErrAccessDenied when the system refuses to look (the path may well exist); 0 on success.
    virtual uint32_t attributes(std::u16string_view path, uint32_t* error) = 0;
    uint32_t attributes(std::u16string_view path) { return attributes(path, nullptr); }
    virtual FileInfo info(std::u16string_view path) = 0;
    // The entries of a folder ("." and ".." left out), in the order the system returns them.
    virtual uint32_t list(std::u16string_view folder, std::vector<FileEntry>& out) = 0;
    // Whole-file read; fails with kErrFileTooLarge past max_bytes.
    virtual uint32_t read(std::u16string_view path, std::string& out, uint64_t max_bytes) = 0;
    // Creates or truncates the file and writes all bytes.
    virtual uint32_t write(std::u16string_view path, std::string_view data) = 0;
    // Creates a file that must not exist yet (CREATE_NEW: never follows or reuses what is already
    // there) and writes all bytes; kErrFileExists when the name is taken.
    virtual uint32_t write_new(std::u16string_view path, std::string_view data) {
        if (attributes(path) != win::kInvalidAttributes) return win::kErrFileExists;
        return write(path, data);
    }
    // Moves from over to in one step, replacing an existing file (MoveFileExW with
    // MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH).
    virtual uint32_t replace(std::u16string_view from, std::u16string_view to) = 0;
    virtual uint32_t remove(std::u16string_view path) = 0;
    virtual uint32_t create_folder(std::u16string_view path) = 0;
    virtual uint32_t remove_folder(std::u16string_view path) = 0;
    // GetFullPathNameW.
    virtual uint32_t full_path(std::u16string_view path, std::u16string& out) = 0;
    // GetTempPathW (ends with a backslash).
    virtual std::u16string temp_folder() = 0;
    // Empty when the folder is unknown.
    virtual std::u16string known_folder(KnownFolder id) = 0;
    // GetModuleFileNameW of the running executable.
    virtual std::u16string module_path() = 0;
};
