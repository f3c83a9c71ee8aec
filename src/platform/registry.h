// Reading the registry (RegOpenKeyExW, RegGetValueW, RegEnumKeyExW). The launcher only reads:
// string and DWORD values and the names of subkeys. Errors are Win32 error numbers.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"  // the shared Win32 error numbers

namespace win {
constexpr uint32_t kRegSz = 1;
constexpr uint32_t kRegExpandSz = 2;
constexpr uint32_t kRegBinary = 3;
constexpr uint32_t kRegDword = 4;
constexpr uint32_t kRegMultiSz = 7;
constexpr uint32_t kRegQword = 11;
constexpr uint32_t kErrUnsupportedType = 1630;
}  // namespace win

enum class RegistryRoot {
    LocalMachine,  // HKEY_LOCAL_MACHINE
    CurrentUser,   // HKEY_CURRENT_USER
    ClassesRoot,   // HKEY_CLASSES_ROOT
};

// Which half of a 64-bit registry to read (KEY_WOW64_64KEY / KEY_WOW64_32KEY); Native is the
// caller's own.
enum class RegistryView {
    Native,
    Bits64,
    Bits32,
};

// One value of a batch read: its name and whether a DWORD or a string is wanted; the result as
// read_string or read_dword would give it (err 0 on success).
struct RegistryRead {
    std::u16string_view name;
    bool dword = false;
    uint32_t err = 0;
    uint32_t kind = 0;  // REG_SZ or REG_EXPAND_SZ for a string read
    std::u16string text;
    uint32_t value = 0;
};

class Registry {
public:
    virtual ~Registry() = default;
    // A REG_SZ or REG_EXPAND_SZ value, unexpanded, without its terminator; kind receives the
    // value's type when given. Other types fail with kErrUnsupportedType; a missing key or
    // value with kErrFileNotFound.
    virtual uint32_t read_string(RegistryRoot root, std::u16string_view key, std::u16string_view value,
                                 std::u16string& out, uint32_t* kind = nullptr,
                                 RegistryView view = RegistryView::Native) = 0;
    // A REG_DWORD value; other types fail with kErrUnsupportedType.
    virtual uint32_t read_dword(RegistryRoot root, std::u16string_view key, std::u16string_view value,
                                uint32_t& out, RegistryView view = RegistryView::Native) = 0;
    // The names of the key's direct subkeys, in the order the system returns them.
    virtual uint32_t list_subkeys(RegistryRoot root, std::u16string_view key, std::vector<std::u16string>& out,
                                  RegistryView view = RegistryView::Native) = 0;
    // Several values of one key with the key opened once (a scan over hundreds of keys then costs
    // one open per key instead of one per value). Returns the error of opening the key (every read
    // then carries it too), else 0 and each read's own result.
    virtual uint32_t read_values(RegistryRoot root, std::u16string_view key, RegistryRead* reads, size_t count,
                                 RegistryView view = RegistryView::Native) = 0;
};
