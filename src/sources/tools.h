// The tools hub: the rows of the tools view and the pages of the three tools. Each tool's rows
// come from its own module's builder; the password generator and the uninstaller register theirs
// with tool_set_builder, the system controls are built in.
#pragma once
#include <cstdint>

struct RowList;

using ToolBuilder = void (*)(const char16_t* argument, RowList* out);

// Replaces the builder of a tool (0 to 2; other indexes are ignored). Null removes it.
void tool_set_builder(int32_t tool, ToolBuilder builder);
// Calls the tool's builder with the argument ("" for none); an index outside 0 to 2, or a tool
// without a builder, adds nothing.
void run_tool(int32_t tool, const char16_t* argument, RowList* out);
// The three tool rows of the tools view (kind 32, scores 100, 99, 98, number = tool, tag U).
void tool_list_rows(RowList* out);

// Puts run_tool and the system commands into the search pipeline, the command subtitles into the
// action services and the tool rows into the tools view.
void tools_join();
