// The real backend: every platform interface implemented with Win32 calls.
#pragma once
#include "platform/platform.h"

Platform win32_platform();

// The clipboard backend (win32_clipboard.cpp). The clipboard is opened with the owner window when
// one was given (the launcher's window, an HWND); until then with a hidden message-only window of
// the calling thread, because emptying a clipboard opened without an owner makes setting it fail.
Clipboard* win32_clipboard();
void win32_clipboard_set_owner(void* hwnd);
// The window that results are posted to (an HWND); null before it exists and after it is destroyed.
void win32_set_result_window(void* hwnd);
