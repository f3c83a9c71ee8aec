// Windows entry: UTF-16 arguments become UTF-8; output stays raw UTF-8 bytes.
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "core/utf.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_platform.h"
#include "tools/cli/cli.h"

int wmain(int argc, wchar_t** argv) {
    platform_install(win32_platform());
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stdin), _O_BINARY);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(utf16_to_utf8(from_wide(argv[i], wcslen(argv[i]))));
    return cli_run(args);
}
