// The launcher's command line: every argument after the executable name is examined.
#pragma once
#include <string>
#include <vector>

struct CommandLine {
    bool selftest = false;
    bool install_task = false;
    bool remove_task = false;  // never set together with install_task
};

CommandLine parse_command_line(const std::vector<std::u16string>& args_after_exe);
