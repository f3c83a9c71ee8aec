// Cutting text to a fixed-size field: never in the middle of a surrogate pair, and never past a NUL
// (which would end the field early as a C string anyway).
#pragma once
#include <cstddef>
#include <string_view>

std::u16string_view field_cut(std::u16string_view s, size_t max_units);
// field_cut into a buffer of capacity units (terminator included); returns the units copied.
size_t field_copy(char16_t* buf, size_t capacity, std::u16string_view s);
