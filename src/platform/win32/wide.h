// char16_t <-> wchar_t at the Windows boundary: the same 16-bit units, only the type differs.
#pragma once
#include <string>
#include <string_view>

inline std::wstring to_wide(std::u16string_view s) { return std::wstring(reinterpret_cast<const wchar_t*>(s.data()), s.size()); }
inline std::u16string from_wide(const wchar_t* s, size_t n) { return std::u16string(reinterpret_cast<const char16_t*>(s), n); }
inline std::u16string from_wide(std::wstring_view s) { return from_wide(s.data(), s.size()); }
inline const wchar_t* as_wide(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }
inline const char16_t* as_u16(const wchar_t* s) { return reinterpret_cast<const char16_t*>(s); }
