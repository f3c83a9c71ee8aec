// A shell that starts nothing: every call is written to a log as one line, so tests can read what
// would have been started, and every call answers what the test told it to.
#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/shell.h"

class FakeShell : public Shell {
public:
    uint32_t execute(std::u16string_view verb, std::u16string_view file, std::u16string_view parameters,
                     std::u16string_view directory, int show) override;
    uint32_t execute_ex(const ShellExRequest& request) override;
    uint32_t search_path(std::u16string_view name, std::u16string& out) override;
    bool lock_workstation() override;
    bool set_suspend_state(bool hibernate, bool force, bool disable_wake_events) override;
    int32_t empty_recycle_bin(uint32_t flags) override;
    int32_t run_and_wait(std::u16string_view command_line) override;
    int32_t run_and_capture(std::u16string_view command_line, std::u16string& output, size_t max_bytes) override;
    int32_t run_elevated_and_wait(std::u16string_view file, std::u16string_view parameters) override;
    std::u16string user_sid() override { return sid; }

    // One line per call, in order, for example
    //   ShellExecuteW verb="open" file="shutdown.exe" params="/s /t 0" dir="" show=0
    //   ShellExecuteExW verb="runas" file="cmd" params="" dir="" show=1 mask=0x0 owner=0 idlist=0
    //   LockWorkStation
    //   SetSuspendState hibernate=0 force=1 disable_wake=0
    //   SHEmptyRecycleBinW flags=0x0
    //   CreateProcessW "tool.exe /x"
    //   SearchPathW "notepad.exe"
    //   CreateProcessW+pipe "schtasks.exe /query /xml"
    //   ShellExecuteExW+wait verb="runas" file="C:\k.exe" params="--install-task"
    std::vector<std::u16string> log;

    // The answers of the following calls, taken from the front; when a queue is empty the call
    // succeeds (ShellExecuteW returns 42, ShellExecuteExW 0, CreateProcessW exit code 0).
    std::deque<uint32_t> execute_results;
    std::deque<uint32_t> execute_ex_results;
    std::deque<int32_t> exit_codes;  // -1: the process could not be created
    // When set, plays the programs that run_and_wait and run_and_capture start (in place of
    // exit_codes): gets the command line, may write the program's output, returns its exit code.
    std::function<int32_t(std::u16string_view command_line, std::u16string& output)> program;
    // When set, plays the elevated program of run_elevated_and_wait: its exit code.
    std::function<int32_t(std::u16string_view file, std::u16string_view parameters)> elevated;
    std::u16string sid = u"S-1-5-21-1004336348-1177238915-682003330-1001";
    bool lock_result = true;
    bool suspend_result = true;
    int32_t recycle_result = 0;
    // What SearchPathW finds, by upper-cased name.
    std::map<std::u16string, std::u16string> search_results;
    void add_search_result(std::u16string_view name, std::u16string_view full);
};
