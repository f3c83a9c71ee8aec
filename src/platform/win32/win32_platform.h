// The real backend: every platform interface implemented with Win32 calls.
#pragma once
#include "platform/platform.h"

Platform win32_platform();

// The clipboard backend (win32_clipboard.cpp). The clipboard is opened with the owner window when
// one was given (the launcher's window, an HWND); until then with a hidden message-only window of
// the calling thread, because emptying a clipboard opened without an owner makes setting it fail.
Clipboard* win32_clipboard();
void win32_clipboard_set_owner(void* hwnd);

// The shell backend (win32_shell.cpp). Requests that name the launcher window as their owner use
// the window given here (an HWND), or none before it exists.
Shell* win32_shell();
void win32_shell_set_owner(void* hwnd);

// The hand-off of results to the launcher window (win32_window_post.cpp): posts go to the window
// given here (an HWND), and fail while there is none.
WindowPost* win32_window_post();
void win32_set_result_window(void* hwnd);

// Processes and services (win32_processes.cpp) and the monitors (win32_display.cpp).
Processes* win32_processes();
Display* win32_display();
