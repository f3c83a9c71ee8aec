// Test helpers for UTF-16 text.
#pragma once
#include <ostream>
#include <string>

#include "core/utf.h"

inline std::string u8(std::u16string_view s) { return utf16_to_utf8(s); }
inline std::u16string u16(std::string_view s) { return utf8_to_utf16(s); }
