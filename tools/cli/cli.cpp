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
    char buf[1 << 16];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, stdin)) > 0) all.append(buf, n);
    return all;
}

bool cli_read_file(const std::string& name, std::string& bytes, size_t max_bytes) {
    std::FILE* f = std::fopen(name.c_str(), "rb");
    if (!f) return false;
    char buf[1 << 16];
    size_t n;
    while (bytes.size() <= max_bytes && (n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
    std::fclose(f);
    return true;
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
