// Splitting a command line into its executable and the arguments, as CreateProcess reads an
// unquoted path: "C:\Program Files\App\un.exe /S" names C:\Program Files\App\un.exe even though
// it holds spaces. Used for uninstall commands and service image paths.
#pragma once
#include <string>
#include <string_view>

// Leading spaces and tabs are skipped. A text that starts with a double quote gives everything up
// to the next quote (to the end when there is none) and the rest after it. Otherwise the first
// space or tab boundary (the end of the text included) whose prefix names an existing file wins;
// when none does, the text is cut at its first space or tab ("MsiExec.exe /X{...}"). The
// arguments have their leading spaces and tabs skipped. False when the executable is empty.
bool command_split(std::u16string_view text, std::u16string& executable, std::u16string& arguments);
