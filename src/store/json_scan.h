// The small JSON reading the legacy imports need: flat objects and named string or number values.
// Objects end at the first '}', so nesting is not understood; lookups never read past the object.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The text between the next '{' at or after *pos and the following '}'; *pos moves past the '}'.
// False when there is no further '{', or its '}' is missing.
bool json_next_object(std::u16string_view text, size_t* pos, std::u16string_view* object);
// Offset of the value of the first "name" followed by optional white space and a colon.
bool json_find_value(std::u16string_view object, std::u16string_view name, size_t* value_at);
// A string value (must start with a double quote); escapes \" \/ \\ \n \r \t \uXXXX are understood.
bool json_string(std::u16string_view object, std::u16string_view name, std::u16string* out);
// A decimal value, read only when it starts with a digit or a minus sign.
bool json_int(std::u16string_view object, std::u16string_view name, int32_t* out);
// An unsigned value, read only when it starts with a digit.
bool json_u64(std::u16string_view object, std::u16string_view name, uint64_t* out);
