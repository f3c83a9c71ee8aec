#include "actions/logon_task.h"

#include <algorithm>
#include <cstdio>

#include "core/text.h"
#include "core/utf.h"
#include "platform/platform.h"

namespace {

constexpr const char16_t* kTaskName = u"Kestrune";
constexpr size_t kXmlCap = 4096;
constexpr size_t kQueryOutputMax = 8191;
constexpr const char16_t* kFailed = u"Failed (access denied or cancelled). Run Kestrune as administrator once, then try again.";

LogonTaskPrompts g_prompts;

bool ask(const char16_t* text) { return g_prompts.ask && g_prompts.ask(text); }
void tell(const char16_t* text) {
    if (g_prompts.tell) g_prompts.tell(text);
}

// schtasks.exe by its full path: a bare name would also find a copy planted beside the launcher
// or in the current folder.
std::u16string schtasks() {
    std::u16string system = os_files().known_folder(KnownFolder::System);
    if (system.empty()) return {};
    if (system.back() != u'\\') system += u'\\';
    return u"\"" + system + u"schtasks.exe\"";
}

int32_t schtasks_run(std::u16string_view arguments) {
    std::u16string exe = schtasks();
    if (exe.empty()) return -1;
    return os_shell().run_and_wait(exe + u" " + std::u16string(arguments));
}

std::u16string task_arg() { return u"/tn \"" + std::u16string(kTaskName) + u"\""; }

// A name in the temporary folder that nobody could have planted in advance; written with
// CREATE_NEW, so an existing file (or link) of that name is never followed.
std::u16string fresh_temp_name(const std::u16string& folder, int attempt) {
    uint64_t seed = os_clock().tick_ms() * 0x9E3779B97F4A7C15ull ^ os_clock().now_filetime() ^
                    (static_cast<uint64_t>(attempt) << 48) ^ reinterpret_cast<uintptr_t>(&folder);
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(seed));
    return folder + u"KestruneTask-" + utf8_to_utf16(hex) + u".xml";
}

std::string utf16le_with_bom(std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    bytes.reserve(2 + text.size() * 2);
    for (char16_t u : text) {
        bytes += static_cast<char>(u & 0xFF);
        bytes += static_cast<char>(u >> 8);
    }
    return bytes;
}

bool elevated(bool install) {
    std::u16string self = os_files().module_path();
    if (self.empty()) return false;
    return os_shell().run_elevated_and_wait(self, install ? u"--install-task" : u"--remove-task") == 0;
}

}  // namespace

std::u16string xml_escape(std::u16string_view text) {
    std::u16string out;
    for (char16_t c : text) {
        switch (c) {
        case u'&': out += u"&amp;"; break;
        case u'<': out += u"&lt;"; break;
        case u'>': out += u"&gt;"; break;
        case u'"': out += u"&quot;"; break;
        case u'\'': out += u"&apos;"; break;
        default: out += c;
        }
    }
    return out;
}

std::u16string xml_unescape(std::u16string_view text) {
    struct Entity {
        std::u16string_view name;
        char16_t c;
    };
    constexpr Entity kEntities[] = {{u"&amp;", u'&'}, {u"&lt;", u'<'}, {u"&gt;", u'>'}, {u"&quot;", u'"'}, {u"&apos;", u'\''}};
    std::u16string out;
    for (size_t i = 0; i < text.size();) {
        bool done = false;
        if (text[i] == u'&') {
            for (const Entity& e : kEntities)
                if (text.substr(i, e.name.size()) == e.name) {
                    out += e.c;
                    i += e.name.size();
                    done = true;
                    break;
                }
        }
        if (!done) out += text[i++];
    }
    return out;
}

std::u16string logon_task_xml(std::u16string_view exe_path, std::u16string_view user_sid) {
    if (exe_path.empty() || user_sid.empty()) return {};
    const std::u16string path = xml_escape(exe_path);
    const std::u16string sid = xml_escape(user_sid);
    // Trigger and principal name this user only: a task for every user would run this user's
    // executable, which this user can replace, in everybody's session.
    const std::u16string lines[] = {
        u"<Task version=\"1.4\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">",
        u" <RegistrationInfo>",
        u"  <Author>Kestrune</Author>",
        u"  <URI>\\Kestrune</URI>",
        u" </RegistrationInfo>",
        u" <Triggers>",
        u"  <LogonTrigger>",
        u"   <UserId>" + sid + u"</UserId>",
        u"  </LogonTrigger>",
        u" </Triggers>",
        u" <Principals>",
        u"  <Principal id=\"Author\">",
        u"   <UserId>" + sid + u"</UserId>",
        u"   <LogonType>InteractiveToken</LogonType>",
        u"   <RunLevel>LeastPrivilege</RunLevel>",
        u"  </Principal>",
        u" </Principals>",
        u" <Settings>",
        u"  <MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>",
        u"  <DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>",
        u"  <StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>",
        u"  <ExecutionTimeLimit>PT0S</ExecutionTimeLimit>",
        u" </Settings>",
        u" <Actions Context=\"Author\">",
        u"  <Exec>",
        u"   <Command>\"" + path + u"\"</Command>",
        u"  </Exec>",
        u" </Actions>",
        u"</Task>",
    };
    std::u16string xml;
    for (const std::u16string& line : lines) xml += line + u"\r\n";
    // Built whole or not at all: nothing may be cut off.
    if (xml.size() >= kXmlCap) return {};
    return xml;
}

std::u16string logon_task_command_in(std::u16string_view xml) {
    size_t open = xml.find(u"<Command>");
    if (open == std::u16string_view::npos) return {};
    open += 9;
    size_t close = xml.find(u"</Command>", open);
    if (close == std::u16string_view::npos || close == open) return {};
    std::u16string command = xml_unescape(xml.substr(open, std::min<size_t>(close - open, 1023)));
    if (command.size() >= 2 && command.front() == u'"' && command.back() == u'"') command = command.substr(1, command.size() - 2);
    return command;
}

bool logon_task_exists() { return schtasks_run(u"/query " + task_arg()) == 0; }

bool logon_task_command(std::u16string& out) {
    out.clear();
    std::u16string exe = schtasks();
    if (exe.empty()) return false;
    std::u16string output;
    os_shell().run_and_capture(exe + u" /query " + task_arg() + u" /xml", output, kQueryOutputMax);
    out = logon_task_command_in(output);
    return !out.empty();
}

bool logon_task_is_current() {
    if (!logon_task_exists()) return true;
    std::u16string command;
    if (!logon_task_command(command)) return true;
    std::u16string self = os_files().module_path();
    if (self.empty()) return true;
    return text_equal_ci(command, self);
}

bool logon_task_write(bool create) {
    if (!create) return schtasks_run(u"/delete " + task_arg() + u" /f") == 0;
    const std::u16string self = os_files().module_path();
    if (self.empty()) return false;
    const std::u16string xml = logon_task_xml(self, os_shell().user_sid());
    if (xml.empty()) return false;
    std::u16string folder = os_files().temp_folder();
    if (folder.empty() || folder.size() + 34 >= 260) return false;
    if (folder.back() != u'\\') folder += u'\\';
    const std::string bytes = utf16le_with_bom(xml);
    std::u16string file;
    for (int attempt = 0; attempt < 8 && file.empty(); ++attempt) {
        std::u16string name = fresh_temp_name(folder, attempt);
        uint32_t rc = os_files().write_new(name, bytes);
        if (rc == win::kOk) file = name;
        else if (rc != win::kErrFileExists && rc != win::kErrAlreadyExists) return false;
    }
    if (file.empty()) return false;
    int32_t code = schtasks_run(u"/create " + task_arg() + u" /xml \"" + file + u"\" /f");
    os_files().remove(file);
    return code == 0;
}

LogonTaskStatus logon_task_status() {
    LogonTaskStatus s;
    s.exists = logon_task_exists();
    if (s.exists) {
        std::u16string command, self = os_files().module_path();
        s.outdated = logon_task_command(command) && !self.empty() && !text_equal_ci(command, self);
    }
    return s;
}

void logon_task_prompts_set(const LogonTaskPrompts& prompts) { g_prompts = prompts; }

void logon_task_toggle() {
    LogonTaskStatus s = logon_task_status();
    if (s.exists && s.outdated) {
        bool ok = logon_task_write(true) || (elevated(true) && logon_task_exists() && logon_task_is_current());
        tell(ok ? u"The log on task now starts this version." : kFailed);
        return;
    }
    const bool create = !s.exists;
    if (!ask(create ? u"Start Kestrune automatically at log on? (creates a Windows Task Scheduler task)"
                    : u"Stop starting Kestrune at log on? (removes the Windows Task Scheduler task)"))
        return;
    bool ok = logon_task_write(create) || (elevated(create) && logon_task_exists() == create);
    if (!ok) tell(kFailed);
    else tell(create ? u"Kestrune will start automatically at log on." : u"The log on task was removed.");
}

void logon_task_refresh() {
    LogonTaskStatus s = logon_task_status();
    if (s.exists && s.outdated) logon_task_write(true);
}

int logon_task_run_switch(bool install) { return logon_task_write(install) ? 0 : 1; }
