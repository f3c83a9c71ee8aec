// Classification of the search-box text: the exit, kill and tool commands, the drive list and drive
// filter, folder queries, queries scoped to the folder the user dived into, and extension queries.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

enum QueryCommand : int32_t {
    kQueryNone = 0,
    kQueryExit = 1,
    kQueryKill = 2,
    kQueryTool = 3,
};

constexpr size_t kQueryCacheKeyCap = 1292;    // at most 1291 units
constexpr size_t kQueryStrippedCap = 1024;    // at most 1023 units
constexpr size_t kQueryDriveFilterCap = 128;  // at most 127 units

// The strings text and command_argument point into the text given to classify_query, which must
// outlive the record; the other strings are held by the record. Apart from text, command,
// command_argument and tool, the fields are filled only when there is no command.
struct ParsedQuery {
    const char16_t* text;              // the input with leading white space skipped ("" for none)
    QueryCommand command;
    const char16_t* command_argument;  // kill and tool: the rest after the word ("" otherwise)
    int32_t tool;                      // tool: index in the tools table, else -1
    char16_t cache_key[kQueryCacheKeyCap];  // "scope|text" with a scope folder, else text
    char16_t stripped[kQueryStrippedCap];   // text without its trailing slashes and white space
    bool ends_with_slash;
    bool is_drive_list;    // ":" without a scope folder
    bool is_drive_filter;  // "\c" without a scope folder (not "\\server")
    char16_t drive_filter[kQueryDriveFilterCap];
    bool is_extension_query;
    bool is_scoped;                         // a scope folder is set and a name is left to look for
    char16_t scope_name[kQueryStrippedCap];  // stripped without its leading slashes and backslashes
};

// scope_folder: the folder the user dived into (ends with a backslash), or null/"" for none.
ParsedQuery classify_query(const char16_t* text, const char16_t* scope_folder);

// Writes text without its trailing run of slashes, backslashes and white space, cut to capacity - 1
// units; returns whether that run held a slash or backslash.
bool strip_folder_suffix(const char16_t* text, char16_t* out, size_t capacity);

// "*.pdf", "file?.txt", "ext:pdf", "extension:pdf": queries that ask the indexer for a file type.
bool is_extension_query(const char16_t* text);

// The indexer's query words: ext, extension, folder, folders, file, files, path, name (any case).
bool is_filter_keyword(const char16_t* word);
bool is_filter_keyword(std::u16string_view word);

// A scope folder is set and the text still names something once its trailing and leading
// separators are gone.
bool is_scoped_query(const char16_t* text, const char16_t* scope_folder);

// Name of a command, as kestrune-cli prints it: "none", "exit", "kill", "tool".
const char* query_command_name(QueryCommand command);
