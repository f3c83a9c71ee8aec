// The system command rows (power, session, Recycle Bin, Indexing Options and the launcher's own
// commands) and the "Move to monitor" rows listed with them (tag C).
#pragma once
#include <cstdint>

struct RowList;

struct SystemCommand {
    const char16_t* title;
    const char16_t* subtitle;
    int32_t kind;
};

constexpr int32_t kSystemCommandCount = 14;
constexpr int32_t kMonitorRowCap = 8;

// The table in listing order.
const SystemCommand* system_commands();
// The subtitle of the command row of a kind, or null when no command has that kind.
const char16_t* command_subtitle(int32_t kind);

// The System Controls tool: every command for a blank text, else the matching ones.
void system_rows(const char16_t* text, RowList* out);
// Every command row (score 100), then the monitor rows.
void list_commands(RowList* out);
// The command rows whose title (110/100/85) or else subtitle (100/90/80) matches, then the
// matching monitor rows.
void search_commands(const char16_t* query, RowList* out);
// "Move to monitor %d" for the first eight monitors; query null or empty scores 100.
void monitor_rows(const char16_t* query, RowList* out);
