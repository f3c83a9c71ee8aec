// The shell operations that rows and other modules reuse. Each reports whether it is done.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// ShellExecuteW "open" with no owner and no working directory; done when it returns above 32.
bool shell_open(std::u16string_view file, std::u16string_view parameters, int show);
// ShellExecuteExW "runas" with SW_SHOWNORMAL (the UAC prompt); false when refused or failed.
bool shell_run_elevated(std::u16string_view file, std::u16string_view parameters);
// A settings page, Control Panel command or URL: expanded, then opened whole or split into an
// executable and its parameters; one elevated retry when access is denied.
bool run_command_string(std::u16string_view text);
// Opens the folder that holds path: with the folder handler the user registered, else Explorer
// with the item selected.
bool open_containing_folder(std::u16string_view path);
// The executable and argument template of a registered folder handler, with the folder put in
// for %1 / %L; false when none is registered or it is Explorer itself.
bool folder_handler(std::u16string_view folder, std::u16string& executable, std::u16string& arguments);
bool clipboard_copy_text(std::u16string_view text);
bool clipboard_copy_file(std::u16string_view path);
// The CF_HDROP block for one file: a DROPFILES header, the path in UTF-16 and two zero units.
std::string hdrop_payload(std::u16string_view full_path);
// Runs a command line hidden and waits for it: its exit code, -1 when it could not be started.
int32_t run_and_wait(std::u16string_view command_line);
