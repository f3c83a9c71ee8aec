// kestrune-cli: a console companion over the same engine. Subcommands register themselves.
#pragma once
#include <string>
#include <string_view>
#include <vector>

using CliFn = int (*)(const std::vector<std::string>& args);  // UTF-8 arguments after the subcommand

struct CliCommand {
    const char* name;
    const char* usage;
    CliFn fn;
};

void cli_register(const CliCommand& cmd);
int cli_run(const std::vector<std::string>& args);  // args after the program name

// UTF-8 output; a row is one line of tab-separated fields (tabs and line breaks become spaces).
void cli_out(std::string_view text);
void cli_err(std::string_view text);
std::string cli_read_stdin();
// The file's bytes, read up to one byte past max_bytes (so a caller sees that it is larger);
// false when it cannot be opened.
bool cli_read_file(const std::string& name, std::string& bytes, size_t max_bytes);
std::string cli_field(std::u16string_view text);

struct CliRegistrar {
    explicit CliRegistrar(const CliCommand& cmd) { cli_register(cmd); }
};
#define CLI_CONCAT2(a, b) a##b
#define CLI_CONCAT(a, b) CLI_CONCAT2(a, b)
#define CLI_COMMAND(fn, name, usage)                                                   \
    static int fn(const std::vector<std::string>& args);                               \
    static const CliRegistrar CLI_CONCAT(fn, _registrar){CliCommand{name, usage, fn}}; \
    static int fn(const std::vector<std::string>& args)
