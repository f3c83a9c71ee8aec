#include "platform/platform.h"

namespace {
Platform g_platform;
}

Platform& platform() { return g_platform; }

Platform platform_install(const Platform& p) {
    Platform old = g_platform;
    g_platform = p;
    return old;
}
