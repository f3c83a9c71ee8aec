// Formatted texts: sizes, times, drive usage, and a small printf-style UTF-16 formatter.
#pragma once
#include <cstdarg>
#include <cstddef>
#include <cstdint>

// printf subset into a UTF-16 buffer of n units, cut to fit, always terminated (n > 0).
// Conversions: %d %i %u %x %X %c with h, l, ll, z and I64 lengths, %f/%g/%e with precision,
// flags "-+ 0#" and widths; %s takes a const char16_t* (null prints "(null)"), %hs a UTF-8 char*;
// %%. Returns the units stored, not counting the terminator.
size_t text_format(char16_t* buf, size_t n, const char* fmt, ...);
size_t text_vformat(char16_t* buf, size_t n, const char* fmt, va_list args);

void format_size(uint64_t bytes, char16_t* buf, size_t n);
// "Mon D YYYY H:MM AM" in local time; 1 on success, 0 when it cannot be formed.
int format_filetime(const uint64_t* filetime, char* buf, size_t n);
void format_usage(uint64_t used, uint64_t free, uint64_t total, char16_t* buf, size_t n);
