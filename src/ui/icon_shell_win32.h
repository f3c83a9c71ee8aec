// The real icon shell: HICONs from ExtractIconExW, the system image list, SHGFI_ICON, shortcuts and
// shell:AppsFolder items. Windows build only; no <windows.h> needed here.
#pragma once
#include "ui/icon_loader.h"

struct HWND__;

// The process's win32 icon shell; window is the one the loader repaints (null: none).
IconShell& icon_shell_win32(HWND__* window);

// Starts the loader for the launcher window, at the window's DPI, and draws the queued icons in
// every paint through the renderer's hook.
void icons_start_win32(HWND__* window, int dpi);
// Stops the loader and removes the renderer's hook.
void icons_stop_win32();
