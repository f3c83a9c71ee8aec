// Painting the launcher's finished UI core frame with GDI, and the DPI lookups. Windows build only;
// this header itself does not need <windows.h> (the handle types are the Win32 STRICT ones).
#pragma once

struct HDC__;
struct HWND__;
struct HMONITOR__;

// Paints one frame of ui_ctx() into an off-screen DIB section of width x height and copies it to dc
// at the origin. Nothing happens for a null dc or a non-positive size; when the memory DC or the
// DIB cannot be made the frame is skipped. An inactive window is painted dimmed to 5/8.
// The DIB is kept for the next frame of the same size.
void render(HDC__* dc, int width, int height, bool active);

// Frees the off-screen bitmap kept between frames (at shutdown; render makes a new one as needed).
void render_release();

// Row icons, drawn after the command list into the memory DC with the clip set to the list area
// (list top to list bottom, full width). Set by the icon loader; null to draw none.
using RenderIconsFn = void (*)(HDC__* memdc, void* user);
void render_icons_hook_set(RenderIconsFn fn, void* user);

// Per-monitor-v2 DPI awareness (looked up by name), else SetProcessDPIAware.
void dpi_awareness_init();
// GetDpiForSystem (by name), else LOGPIXELSY of the screen DC, else 96.
int dpi_system();
// Effective DPI of a monitor through GetDpiForMonitor (shcore, by name); 0 when unknown.
int dpi_for_monitor(HMONITOR__* monitor);
// DPI of a window through GetDpiForWindow (user32, by name), else its monitor's; 0 when unknown.
int dpi_for_window(HWND__* window);
// A known DPI that differs from the current one becomes current and the fonts are recreated;
// returns true then (the caller updates the icon size and resizes the window).
bool dpi_update(int dpi);
