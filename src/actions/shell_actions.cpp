#include "actions/shell_actions.h"

#include "core/text.h"
#include "platform/platform.h"

namespace {

constexpr size_t kExpandUnits = 1024;       // the expansion buffer, terminator included
constexpr size_t kCommandLineUnits = 2047;  // what a hidden child's command line is cut to

}  // namespace

bool shell_open(std::u16string_view file, std::u16string_view parameters, int show) {
    return os_shell().execute(u"open", file, parameters, {}, show) > 32;
}

bool shell_run_elevated(std::u16string_view file, std::u16string_view parameters) {
    ShellExRequest r;
    r.verb = u"runas";
    r.file = file;
    r.parameters = parameters;
    r.show = win::kSwShowNormal;
    return os_shell().execute_ex(r) == 0;
}

bool run_command_string(std::u16string_view text) {
    if (text.empty()) return false;
    std::u16string expanded = os_env().expand(text);
    std::u16string_view command = text;
    if (!expanded.empty() && expanded.size() + 1 <= kExpandUnits) command = expanded;

    // URIs ("ms-settings:...", "https://...") may hold spaces and are opened whole, like a
    // single word; anything else is an executable and its parameters.
    std::u16string_view file = command, parameters;
    size_t space = command.find(u' ');
    bool whole = text_starts_with_ci(command, u"ms-") || command.find(u"://") != std::u16string_view::npos ||
                 space == std::u16string_view::npos;
    if (!whole) {
        file = command.substr(0, space);
        parameters = command.substr(space + 1);
    }
    uint32_t r = os_shell().execute(u"open", file, parameters, {}, win::kSwShowNormal);
    if (r == win::kSeErrAccessDenied) return shell_run_elevated(file, parameters);
    return r > 32;
}

int32_t run_and_wait(std::u16string_view command_line) {
    if (command_line.size() > kCommandLineUnits) command_line = command_line.substr(0, kCommandLineUnits);
    return os_shell().run_and_wait(command_line);
}
