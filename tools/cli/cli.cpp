#include "tools/cli/cli.h"

#include <cstdio>
#include <cstring>

#include "core/utf.h"

namespace {
constexpr int kMaxCommands = 64;
CliCommand g_commands[kMaxCommands];
int g_count = 0;
}  // namespace

void cli_register(const CliCommand& cmd) {
    if (g_count < kMaxCommands) g_commands[g_count++] = cmd;
}

void cli_out(std::string_view text) { std::fwrite(text.data(), 1, text.size(), stdout); }
void cli_err(std::string_view text) { std::fwrite(text.data(), 1, text.size(), stderr); }

std::string cli_read_stdin() {
    std::string all;
    // A file given as input is read in one piece into room made for it; a pipe in blocks of 1 MiB,
    // the room doubling as it fills so that no byte is copied more than a few times.
    const long here = std::ftell(stdin);
    if (here >= 0 && std::fseek(stdin, 0, SEEK_END) == 0) {
        const long end = std::ftell(stdin);
        if (std::fseek(stdin, here, SEEK_SET) != 0) return all;
        if (end > here) all.reserve(static_cast<size_t>(end - here) + 1);
    }
    if (all.capacity() < (1 << 20)) all.reserve(1 << 20);
    for (;;) {
        if (all.capacity() - all.size() < 4096) all.reserve(all.capacity() * 2);
        const size_t filled = all.size();
        all.resize(all.capacity());
        const size_t got = std::fread(all.data() + filled, 1, all.size() - filled, stdin);
        all.resize(filled + got);
        if (got == 0) break;
    }
    return all;
}

std::string cli_field(std::u16string_view text) {
    std::string s = utf16_to_utf8(text);
    for (char& c : s) {
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    }
    return s;
}

int cli_run(const std::vector<std::string>& args) {
    if (!args.empty()) {
        for (int i = 0; i < g_count; ++i) {
            if (args[0] == g_commands[i].name) {
                return g_commands[i].fn(std::vector<std::string>(args.begin() + 1, args.end()));
            }
        }
        cli_err("kestrune-cli: unknown command '" + args[0] + "'\n");
    }
    cli_err("usage: kestrune-cli COMMAND [ARGS]\n");
    for (int i = 0; i < g_count; ++i) cli_err(std::string("  ") + g_commands[i].usage + "\n");
    return 2;
}
