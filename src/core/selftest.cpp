#include "core/selftest.h"

#include <cstdio>

namespace {
constexpr int kMaxChecks = 256;
SelfCheck g_checks[kMaxChecks];
int g_count = 0;
}  // namespace

void selftest_register(const char* name, SelfCheckFn fn) {
    if (g_count < kMaxChecks) g_checks[g_count++] = SelfCheck{name, fn};
}

int selftest_count() { return g_count; }

const SelfCheck* selftest_at(int i) { return i >= 0 && i < g_count ? &g_checks[i] : nullptr; }

int selftest_run(void (*print)(const char* text, void* ctx), void* ctx) {
    int passed = 0, failed = 0;
    char line[512];
    for (int i = 0; i < g_count; ++i) {
        bool ok = g_checks[i].fn();
        std::snprintf(line, sizeof line, ok ? "  PASS %s\n" : "  FAIL %s\n", g_checks[i].name);
        print(line, ctx);
        (ok ? passed : failed)++;
    }
    std::snprintf(line, sizeof line, "\nminitest: %d passed, %d failed\n", passed, failed);
    print(line, ctx);
    return failed;
}
