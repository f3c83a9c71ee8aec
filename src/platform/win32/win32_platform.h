// The real backend: every platform interface implemented with Win32 calls.
#pragma once
#include "platform/platform.h"

Platform win32_platform();
// The window that results are posted to (an HWND); null before it exists and after it is destroyed.
void win32_set_result_window(void* hwnd);
