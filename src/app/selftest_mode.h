// The "--selftest" mode: a fresh temporary data folder, every registered check, and the
// process exit code (0 only when none failed).
#pragma once

// print receives every output line. Returns the exit code.
int selftest_mode_run(void (*print)(const char* text, void* ctx), void* ctx);
