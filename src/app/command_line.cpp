#include "app/command_line.h"

CommandLine parse_command_line(const std::vector<std::u16string>& args) {
    CommandLine cl;
    for (const auto& a : args) {
        if (a == u"--selftest" || a == u"-t") cl.selftest = true;
        else if (a == u"--install-task") cl.install_task = true;
        else if (a == u"--remove-task") cl.remove_task = true;
    }
    // Installing wins when both are asked for.
    if (cl.install_task) cl.remove_task = false;
    return cl;
}
