// UTF-16 text helpers shared by every module. Case folding is ASCII A-Z only.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

struct Arena;

constexpr char16_t text_fold(char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c; }
constexpr char text_fold8(char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; }

size_t text_len(const char16_t* s);  // 0 for null

// Copies of s (null in, null out) in the arena, or on the heap (free with text_free) when arena is null.
char16_t* text_copy(const char16_t* s, Arena* arena);
char16_t* text_copy_n(const char16_t* s, size_t n, Arena* arena);
char16_t* text_copy_view(std::u16string_view s, Arena* arena);
void text_free(char16_t* s);  // heap copies only

void text_lower_copy(char16_t* dst, const char16_t* s, size_t n);
int text_starts_with_ci(const char16_t* s, const char16_t* prefix);
int text_contains_ci(const char16_t* s, const char16_t* part);
const char16_t* path_name_part(const char16_t* path);
const char16_t* skip_blanks(const char16_t* s);

// Case-insensitive three-way comparison (null counts as "").
int text_compare_ci(const char16_t* a, const char16_t* b);
int text_compare_ci(std::u16string_view a, std::u16string_view b);
bool text_equal_ci(std::u16string_view a, std::u16string_view b);
// A hash that is equal for texts that text_equal_ci finds equal (FNV-1a over the folded units).
uint32_t text_hash_ci(std::u16string_view s);
bool text_starts_with_ci(std::u16string_view s, std::u16string_view prefix);
bool text_ends_with_ci(std::u16string_view s, std::u16string_view suffix);

constexpr bool text_is_blank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f'; }

// Copies s into buf (capacity n units, terminator included), cut to fit; returns units copied.
size_t text_copy_to(char16_t* buf, size_t n, std::u16string_view s);

inline std::u16string_view text_view(const char16_t* s) { return s ? std::u16string_view(s) : std::u16string_view(); }
