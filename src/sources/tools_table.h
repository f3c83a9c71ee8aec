// The three built-in tools (password generator, uninstaller, system controls): their table and the
// prefix words that open them from the search box.
#pragma once
#include <cstdint>

struct ToolDef {
    const char16_t* name;
    const char16_t* label;  // header of the tools view while the tool is open
    const char16_t* description;
    const char16_t* example;
    const char16_t* hint;   // footer of the tools view while the tool is open
    const char16_t* words[2];  // prefix words in the order they are tried; null when unused
};

constexpr int32_t kToolPassword = 0;
constexpr int32_t kToolUninstall = 1;
constexpr int32_t kToolSystem = 2;

int32_t tool_count();
const ToolDef* tool_def(int32_t index);  // null outside 0 to 2
// The table texts; an empty text for an index outside 0 to 2.
const char16_t* tool_name(int32_t index);
const char16_t* tool_label(int32_t index);
const char16_t* tool_hint(int32_t index);
const char16_t* tool_description(int32_t index);
const char16_t* tool_example(int32_t index);

// The first tool whose prefix word opens the text (leading spaces and tabs skipped; the word must be
// followed by the end, a space or a tab), or -1. rest, when given, receives what follows the word
// after spaces and tabs (a pointer into text; "" when there is no match).
int32_t tool_match(const char16_t* text, const char16_t** rest);
