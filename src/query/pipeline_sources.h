// The row sources the search pipeline asks beside the settings catalog, the pins and the history:
// apps, tools, process rows, system commands, drives and folders. Each entry is the call into its
// module; a module that is not part of the build yet has no entry and contributes nothing.
#pragma once
#include <cstdint>

struct RowList;

struct PipelineSources {
    // Tools table: fills out completely for the tool's argument.
    void (*run_tool)(int32_t tool, const char16_t* argument, RowList* out);
    // Process rows for the kill command (tag K).
    void (*kill_rows)(const char16_t* argument, RowList* out);
    // Start Menu apps (tag A) and packaged apps (tag T), tiers 110/100/85.
    void (*search_apps)(const char16_t* query, RowList* out);
    void (*search_packaged_apps)(const char16_t* query, RowList* out);
    // Every app row, sorted by score.
    void (*list_all_apps)(RowList* out);
    // The filtered all-apps view.
    void (*apps_view_search)(const char16_t* text, RowList* out, int32_t generation);
    // System commands (tag C).
    void (*search_commands)(const char16_t* query, RowList* out);
    // Drive rows (tag D, score 100, folders).
    void (*list_drives)(RowList* out);
    // Children of a folder (tag F; 100 for folders, 90 for files).
    void (*list_children)(const char16_t* folder, RowList* out);
    // 1 when the active indexer knows the folder.
    int (*folder_is_indexed)(const char16_t* folder, int32_t generation);
    // Adds the rows below folder whose name matches (tag F).
    void (*walk_folder)(const char16_t* folder, const char16_t* name, RowList* out, int32_t generation);
};

const PipelineSources& pipeline_sources();
// Replaces the table and returns the previous one (tests put sources of their own in place).
PipelineSources pipeline_sources_install(const PipelineSources& sources);
