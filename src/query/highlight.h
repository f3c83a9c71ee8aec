// Which ranges of a row's title and subtitle the result view paints as matched.
#pragma once
#include <cstddef>
#include <cstdint>

#include "query/fuzzy.h"

// Cuts the query into tokens, skips command and filter words, and returns the merged (sorted,
// disjoint) ranges of every token's match in text; at most capacity ranges.
int32_t highlight_ranges(const char16_t* query, const char16_t* text, MatchRange* ranges, int32_t capacity);

// For a row's title: the name part of a folder query ("website/ kest" marks "kest"), else the query.
int32_t highlight_title_ranges(const char16_t* query, const char16_t* title, MatchRange* ranges, int32_t capacity);
// For a row's subtitle: the folder part of a folder query that also has a name part, else nothing.
int32_t highlight_path_ranges(const char16_t* query, const char16_t* subtitle, MatchRange* ranges, int32_t capacity);

// Splits "folder/ name" at the last slash or backslash into trimmed parts, each cut to its capacity
// minus one. Returns 1 when the query holds a slash or backslash, else 0 (both outputs empty).
int split_folder_query(const char16_t* query, char16_t* folder_out, size_t folder_cap, char16_t* name_out,
                       size_t name_cap);
