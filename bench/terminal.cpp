// Reading Windows Terminal's settings.json: a 512 KiB file (the largest that is read) of many
// profiles with comments, nested objects and long strings, as the terminal chooser reads it.
#include <benchmark/benchmark.h>

#include <string>

#include "actions/terminal_json.h"

namespace {

std::string big_settings() {
    std::string s = "// generated\n{\n  \"$schema\": \"https://aka.ms/terminal-profiles-schema\",\n"
                    "  \"actions\": [";
    for (int i = 0; i < 400; ++i) s += "{ \"command\": { \"action\": \"copy\", \"singleLine\": false }, \"keys\": \"ctrl+c\" },\n";
    s += "],\n  \"profiles\": {\n    \"defaults\": { \"font\": { \"face\": \"Cascadia Mono\" } },\n    \"list\": [\n";
    int i = 0;
    while (s.size() < 524288 - 400) {
        s += "      /* profile */ { \"guid\": \"{" + std::to_string(100000 + i) + "-c2c6-5271-96e7-009a87ff44bf}\", "
             "\"name\": \"Profile " + std::to_string(i) + "\", \"commandline\": \"C:\\\\Windows\\\\System32\\\\cmd.exe /k echo \\\"hi\\\"\", "
             "\"icon\": \"ms-appx:///ProfileIcons/{0caa0dad-35be-5f56-a8ff-afceeeaa6101}.png\", \"hidden\": " +
             (i % 3 ? std::string("false") : std::string("true")) + " },\n";
        ++i;
    }
    s += "    ]\n  },\n  \"schemes\": []\n}\n";
    return s;
}

void BM_TerminalJsonProfiles512KiB(benchmark::State& state) {
    static const std::string text = big_settings();
    static TerminalProfile profiles[32];
    int n = 0;
    for (auto _ : state) {
        n = terminal_json_profiles(text, profiles, 32);
        benchmark::DoNotOptimize(n);
    }
    state.counters["bytes"] = static_cast<double>(text.size());
    state.counters["profiles"] = n;
}
BENCHMARK(BM_TerminalJsonProfiles512KiB)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
