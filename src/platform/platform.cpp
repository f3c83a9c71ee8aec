#include "platform/platform.h"

#include <atomic>

namespace {
Platform g_platform;
std::atomic<uint64_t> g_serial{0};
}  // namespace

Platform& platform() { return g_platform; }

Platform platform_install(const Platform& p) {
    Platform old = g_platform;
    g_platform = p;
    g_serial.fetch_add(1, std::memory_order_acq_rel);
    return old;
}

uint64_t platform_serial() { return g_serial.load(std::memory_order_acquire); }
