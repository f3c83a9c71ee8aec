#include "platform/fake/fake_shell.h"


namespace {

std::u16string upper(std::u16string_view s) {
    std::u16string out(s);
    for (char16_t& c : out)
        if (c >= u'a' && c <= u'z') c = char16_t(c - 32);
    return out;
}

// The log lines are built by appending only (GCC 12 at -O3 warns falsely about string
// concatenations that prepend).
std::u16string hex(uint32_t v) {
    char16_t digits[8];
    int n = 0;
    do {
        digits[n++] = u"0123456789abcdef"[v & 15];
        v >>= 4;
    } while (v);
    std::u16string out = u"0x";
    while (n) out += digits[--n];
    return out;
}

std::u16string num(int64_t v) {
    char16_t digits[20];
    int n = 0;
    uint64_t u = v < 0 ? uint64_t(0) - uint64_t(v) : uint64_t(v);
    do {
        digits[n++] = char16_t(u'0' + u % 10);
        u /= 10;
    } while (u);
    std::u16string out;
    if (v < 0) out += u'-';
    while (n) out += digits[--n];
    return out;
}

void add_quoted(std::u16string& out, std::u16string_view s) {
    out += u'"';
    out.append(s);
    out += u'"';
}

std::u16string call_text(std::u16string_view api, std::u16string_view verb, std::u16string_view file,
                         std::u16string_view parameters, std::u16string_view directory, int show) {
    std::u16string out(api);
    out.append(u" verb=");
    add_quoted(out, verb);
    out.append(u" file=");
    add_quoted(out, file);
    out.append(u" params=");
    add_quoted(out, parameters);
    out.append(u" dir=");
    add_quoted(out, directory);
    out.append(u" show=");
    out.append(num(show));
    return out;
}

template <typename T>
T take(std::deque<T>& q, T otherwise) {
    if (q.empty()) return otherwise;
    T v = q.front();
    q.pop_front();
    return v;
}

}  // namespace

uint32_t FakeShell::execute(std::u16string_view verb, std::u16string_view file, std::u16string_view parameters,
                            std::u16string_view directory, int show) {
    log.push_back(call_text(u"ShellExecuteW", verb, file, parameters, directory, show));
    return take<uint32_t>(execute_results, 42);
}

uint32_t FakeShell::execute_ex(const ShellExRequest& r) {
    std::u16string line = call_text(u"ShellExecuteExW", r.verb, r.file, r.parameters, r.directory, r.show);
    line.append(u" mask=").append(hex(r.mask));
    line.append(u" owner=").append(num(r.owner));
    line.append(u" idlist=").append(num(r.item_list));
    log.push_back(std::move(line));
    return take<uint32_t>(execute_ex_results, 0);
}

void FakeShell::add_search_result(std::u16string_view name, std::u16string_view full) {
    search_results[upper(name)] = std::u16string(full);
}

uint32_t FakeShell::search_path(std::u16string_view name, std::u16string& out) {
    std::u16string line = u"SearchPathW ";
    add_quoted(line, name);
    log.push_back(std::move(line));
    out.clear();
    auto it = search_results.find(upper(name));
    if (it == search_results.end()) return 2;  // ERROR_FILE_NOT_FOUND
    out = it->second;
    return 0;
}

bool FakeShell::lock_workstation() {
    log.push_back(u"LockWorkStation");
    return lock_result;
}

bool FakeShell::set_suspend_state(bool hibernate, bool force, bool disable_wake_events) {
    std::u16string line = u"SetSuspendState hibernate=";
    line.append(num(hibernate)).append(u" force=").append(num(force));
    line.append(u" disable_wake=").append(num(disable_wake_events));
    log.push_back(std::move(line));
    return suspend_result;
}

int32_t FakeShell::empty_recycle_bin(uint32_t flags) {
    std::u16string line = u"SHEmptyRecycleBinW flags=";
    line.append(hex(flags));
    log.push_back(std::move(line));
    return recycle_result;
}

int32_t FakeShell::run_and_wait(std::u16string_view command_line) {
    std::u16string line = u"CreateProcessW ";
    add_quoted(line, command_line);
    log.push_back(std::move(line));
    if (program) {
        std::u16string ignored;
        return program(command_line, ignored);
    }
    return take<int32_t>(exit_codes, 0);
}

int32_t FakeShell::run_and_capture(std::u16string_view command_line, std::u16string& output, size_t max_bytes) {
    std::u16string line = u"CreateProcessW+pipe ";
    add_quoted(line, command_line);
    log.push_back(std::move(line));
    output.clear();
    if (!program) return take<int32_t>(exit_codes, 0);
    int32_t code = program(command_line, output);
    if (output.size() > max_bytes) output.resize(max_bytes);
    return code;
}

int32_t FakeShell::run_elevated_and_wait(std::u16string_view file, std::u16string_view parameters) {
    log.push_back(call_text(u"ShellExecuteExW+wait", u"runas", file, parameters, u"", 1));
    return elevated ? elevated(file, parameters) : 1;
}
