// The SQL the Windows Search client sends over SYSTEMINDEX: a full-text CONTAINS form (word-prefix
// matches on the file name) and a LIKE form (substring matches), both built into a buffer of 4096
// UTF-16 units. A build that does not fit fails whole.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr size_t kWsSqlCap = 4096;        // units, terminator included
constexpr size_t kWsWordsCap = 1024;      // the search words, terminator included
constexpr size_t kWsExtensionsCap = 64;   // the extension list, terminator included
constexpr int32_t kWsDefaultLimit = 50;
constexpr int32_t kWsMaxLimit = 10000;

// 0 or less becomes 50; more than 10000 becomes 10000.
int32_t ws_limit(int32_t limit);

// Takes the first extension word out of query ("ext:LIST", "extension:LIST", "*.ext" or "?.ext")
// into extensions and joins the other words with single spaces into words. Both are always
// terminated; words holds at most 1023 units, extensions at most 63.
void ws_split_extension(const char16_t* query, char16_t* words, char16_t* extensions);

// Appends text to the buffer (len units used of cap) with the LIKE wildcards escaped and
// apostrophes doubled. False, with the buffer as it was, when it does not fit.
bool ws_like_escape(const char16_t* text, char16_t* buf, size_t* len, size_t cap);

// query: the search text; folder: the folder to stay below (ends with a backslash) or null;
// extensions: a ";"-separated list or null (then the query's own extension word counts).
bool ws_sql_contains(const char16_t* query, const char16_t* folder, const char16_t* extensions, int32_t limit,
                     char16_t* buf, size_t cap);
bool ws_sql_like(const char16_t* query, const char16_t* folder, const char16_t* extensions, int32_t limit,
                 char16_t* buf, size_t cap);
