#include "platform/fake/fake_shell.h"


namespace {

std::u16string upper(std::u16string_view s) {
    std::u16string out(s);
    for (char16_t& c : out)
        if (c >= u'a' && c <= u'z') c = char16_t(c - 32);
    return out;
}

std::u16string hex(uint32_t v) {
    static constexpr char16_t kDigits[] = u"0123456789abcdef";
    std::u16string out;
    do {
        out.insert(out.begin(), kDigits[v & 15]);
        v >>= 4;
    } while (v);
    return u"0x" + out;
}

std::u16string num(int64_t v) {
    std::u16string out;
    bool neg = v < 0;
    uint64_t u = neg ? uint64_t(-v) : uint64_t(v);
    do {
        out.insert(out.begin(), char16_t(u'0' + u % 10));
        u /= 10;
    } while (u);
    return neg ? u"-" + out : out;
}

std::u16string quoted(std::u16string_view s) { return u"\"" + std::u16string(s) + u"\""; }

std::u16string call_text(std::u16string_view api, std::u16string_view verb, std::u16string_view file,
                         std::u16string_view parameters, std::u16string_view directory, int show) {
    return std::u16string(api) + u" verb=" + quoted(verb) + u" file=" + quoted(file) + u" params=" + quoted(parameters) +
           u" dir=" + quoted(directory) + u" show=" + num(show);
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
    log.push_back(call_text(u"ShellExecuteExW", r.verb, r.file, r.parameters, r.directory, r.show) + u" mask=" +
                  hex(r.mask) + u" owner=" + num(r.owner) + u" idlist=" + num(r.item_list));
    return take<uint32_t>(execute_ex_results, 0);
}

void FakeShell::add_search_result(std::u16string_view name, std::u16string_view full) {
    search_results[upper(name)] = std::u16string(full);
}

uint32_t FakeShell::search_path(std::u16string_view name, std::u16string& out) {
    log.push_back(u"SearchPathW " + quoted(name));
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
    log.push_back(u"SetSuspendState hibernate=" + num(hibernate) + u" force=" + num(force) +
                  u" disable_wake=" + num(disable_wake_events));
    return suspend_result;
}

int32_t FakeShell::empty_recycle_bin(uint32_t flags) {
    log.push_back(u"SHEmptyRecycleBinW flags=" + hex(flags));
    return recycle_result;
}

int32_t FakeShell::run_and_wait(std::u16string_view command_line) {
    log.push_back(u"CreateProcessW " + quoted(command_line));
    return take<int32_t>(exit_codes, 0);
}
