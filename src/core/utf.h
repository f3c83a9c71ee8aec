// UTF-8 <-> UTF-16 conversion. Never reads past the given length; malformed input
// (bad bytes, overlong forms, surrogates in UTF-8, unpaired surrogates in UTF-16) becomes U+FFFD.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Decodes one code point starting at s[0] (n > 0 bytes available); stores the byte count used.
uint32_t utf8_decode(const char* s, size_t n, size_t* used);
// Decodes one code point from UTF-16; stores the unit count used (1 or 2).
uint32_t utf16_decode(const char16_t* s, size_t n, size_t* used);

// Into a buffer of cap units (terminator included); cut before a character that does not fit.
// Returns the units written, not counting the terminator.
size_t utf8_to_utf16(std::string_view in, char16_t* out, size_t cap);
size_t utf16_to_utf8(std::u16string_view in, char* out, size_t cap);

std::u16string utf8_to_utf16(std::string_view in);
std::string utf16_to_utf8(std::u16string_view in);

// True for a byte that starts a UTF-8 character (not a continuation byte).
constexpr bool utf8_is_lead(unsigned char c) { return (c & 0xC0) != 0x80; }
