// The real backend: every platform interface implemented with Win32 calls.
#pragma once
#include "platform/platform.h"

Platform win32_platform();
