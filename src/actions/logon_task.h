// Starting Kestrune at log on: a Task Scheduler task named "Kestrune" that runs this executable
// when the current user logs on, created and removed with schtasks.exe from a task definition in
// XML. A launcher that was moved or updated notices that the task points elsewhere and rewrites it.
#pragma once
#include <string>
#include <string_view>

// The task definition (UTF-16 text, CR LF lines) for the executable and the user's SID; empty
// when it cannot be built whole (over 4095 characters, or an empty path or SID).
std::u16string logon_task_xml(std::u16string_view exe_path, std::u16string_view user_sid);
// & < > " ' as XML entities, and back (an unknown entity stays as written).
std::u16string xml_escape(std::u16string_view text);
std::u16string xml_unescape(std::u16string_view text);
// The executable named between <Command> and </Command> in a task's XML, quotes and entities
// removed; empty when there is none.
std::u16string logon_task_command_in(std::u16string_view xml);

bool logon_task_exists();
// The executable path the task runs.
bool logon_task_command(std::u16string& out);
// False only when the task exists, its command was read, this executable's path is known and the
// two differ (ignoring case).
bool logon_task_is_current();
// Creates (true) or deletes (false) the task without elevation.
bool logon_task_write(bool create);

struct LogonTaskStatus {
    bool exists = false;
    bool outdated = false;
};
LogonTaskStatus logon_task_status();

// How the toggle talks to the user: a yes/no question and a notice (message boxes owned by the
// launcher window). Unset, questions answer no and notices are dropped.
struct LogonTaskPrompts {
    bool (*ask)(const char16_t* text) = nullptr;
    void (*tell)(const char16_t* text) = nullptr;
};
void logon_task_prompts_set(const LogonTaskPrompts& prompts);

// The options row's action: asks, creates or removes (elevated when the plain attempt fails), says
// how it went; an outdated task is rewritten without asking.
void logon_task_toggle();
// Start-up: an outdated task is rewritten silently, without elevation.
void logon_task_refresh();
// "--install-task" (true) or "--remove-task" (false): the process's exit code, 0 on success.
int logon_task_run_switch(bool install);
