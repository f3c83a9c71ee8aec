// The launcher's own checks, run by "--selftest" on the machine it runs on. Each subsystem
// registers a few smoke checks with SELFTEST_CHECK; the runner prints one PASS or FAIL line each.
#pragma once

using SelfCheckFn = bool (*)();

struct SelfCheck {
    const char* name;
    SelfCheckFn fn;
};

void selftest_register(const char* name, SelfCheckFn fn);
int selftest_count();
const SelfCheck* selftest_at(int i);

// Runs every check; print receives each output line (with its newline). Returns the failures.
int selftest_run(void (*print)(const char* text, void* ctx), void* ctx);

struct SelfCheckRegistrar {
    SelfCheckRegistrar(const char* name, SelfCheckFn fn) { selftest_register(name, fn); }
};

#define SELFTEST_CONCAT2(a, b) a##b
#define SELFTEST_CONCAT(a, b) SELFTEST_CONCAT2(a, b)
#define SELFTEST_CHECK(fn_name, label)                                                   \
    static bool fn_name();                                                               \
    static const SelfCheckRegistrar SELFTEST_CONCAT(fn_name, _registrar){label, fn_name}; \
    static bool fn_name()
