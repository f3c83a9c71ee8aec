// Opening the folder that holds an item: the folder handler the user registered for directories
// (a file manager such as Directory Opus or Total Commander), else Explorer with the item selected.
#include <string>

#include "actions/shell_actions.h"
#include "core/text.h"
#include "platform/platform.h"

namespace {

struct HandlerKey {
    RegistryRoot root;
    const char16_t* key;
};

constexpr HandlerKey kHandlerKeys[] = {
    {RegistryRoot::CurrentUser, u"Software\\Classes\\Directory\\shell\\open\\command"},
    {RegistryRoot::ClassesRoot, u"Directory\\shell\\open\\command"},
};

constexpr size_t kValueUnits = 1024;     // 2048 bytes, terminator included
constexpr size_t kExpandUnits = 1024;
constexpr size_t kTemplateUnits = 1023;
constexpr size_t kFolderUnits = 259;
constexpr size_t kSelectUnits = 1024;

std::u16string folder_of(std::u16string_view path) {
    size_t cut = path.rfind(u'\\');
    std::u16string folder(cut != std::u16string_view::npos && cut > 0 ? path.substr(0, cut) : path);
    if (folder.size() > kFolderUnits) folder.resize(kFolderUnits);
    // "C:\file.txt" lives in the root "C:\", not in "C:" (the current folder of drive C).
    if (folder.size() == 2 && folder[1] == u':') folder += u'\\';
    return folder;
}

}  // namespace

bool folder_handler(std::u16string_view folder, std::u16string& executable, std::u16string& arguments) {
    executable.clear();
    arguments.clear();
    for (const HandlerKey& k : kHandlerKeys) {
        std::u16string raw;
        uint32_t kind = 0;
        if (os_registry().read_string(k.root, k.key, u"", raw, &kind) != 0) continue;
        if (raw.empty() || raw.size() + 1 > kValueUnits) continue;
        std::u16string command = os_env().expand(raw);
        if (command.empty() || command.size() + 1 > kExpandUnits) command = raw;
        if (text_contains_ci(command.c_str(), u"explorer.exe")) return false;

        std::u16string_view rest = command;
        std::u16string_view exe;
        if (rest.front() == u'"') {
            size_t close = rest.find(u'"', 1);
            exe = rest.substr(1, close == std::u16string_view::npos ? std::u16string_view::npos : close - 1);
            rest = close == std::u16string_view::npos ? std::u16string_view() : rest.substr(close + 1);
        } else {
            size_t space = rest.find(u' ');
            exe = rest.substr(0, space);
            rest = space == std::u16string_view::npos ? std::u16string_view() : rest.substr(space);
        }
        if (exe.empty()) continue;
        while (!rest.empty() && rest.front() == u' ') rest.remove_prefix(1);

        std::u16string args;
        for (size_t i = 0; i < rest.size() && args.size() < kTemplateUnits; ++i) {
            if (rest[i] == u'%' && i + 1 < rest.size() && (rest[i + 1] == u'1' || rest[i + 1] == u'L' || rest[i + 1] == u'l')) {
                args.append(folder.substr(0, kTemplateUnits - args.size()));
                ++i;
                continue;
            }
            args += rest[i];
        }
        executable.assign(exe);
        arguments = std::move(args);
        return true;
    }
    return false;
}

bool open_containing_folder(std::u16string_view path) {
    if (path.empty()) return false;
    std::u16string folder = folder_of(path);
    std::u16string exe, args;
    if (folder_handler(folder, exe, args)) return shell_open(exe, args, win::kSwShowNormal);
    if (path.size() + 16 > kSelectUnits) return false;
    std::u16string select = u"/select,\"";
    select.append(path);
    select += u'"';
    return shell_open(u"explorer.exe", select, win::kSwShowNormal);
}
