// Row icons: a cache of loaded icons looked up by path on the window thread, and one background
// thread that loads missing icons from the shell, newest request first. A row whose icon is not
// there yet keeps its letter tile; the loader repaints the window when it stored icons.
//
// The shell work (HICONs, COM, the system image list) sits behind IconShell: icon_shell_win32.cpp
// is the real one, tests give a fake.
#pragma once
#include <cstdint>
#include <string_view>

#include "platform/apps_folder.h"  // IconHandle

class IconShell {
public:
    virtual ~IconShell() = default;
    // Called on the loader thread when it starts and before it ends (the apartment for COM).
    virtual void thread_begin() {}
    virtual void thread_end() {}
    // Window thread, cheap checks only: GetFileAttributesW succeeds or fails with access denied.
    virtual bool path_exists(std::u16string_view path) = 0;
    // GetDriveTypeW of the root "X:\".
    virtual uint32_t drive_type(char16_t letter) = 0;
    // Loader thread: an icon for the path (a file, a folder, a drive root, "file,index", a shortcut
    // or a "shell:" item), or null when none can be had.
    virtual IconHandle load(std::u16string_view path) = 0;
    // DestroyIcon; only ever called for icons that no paint can still draw.
    virtual void destroy(IconHandle icon) = 0;
    // InvalidateRect of the launcher window (any thread).
    virtual void invalidate() = 0;
};

constexpr int kIconCacheSize = 128;
constexpr int kIconPendingMax = 128;
constexpr int kIconDrawMax = 64;
constexpr uint32_t kDriveRemote = 4;  // DRIVE_REMOTE

// Starts the loader thread with shell (which must outlive icons_stop). Without a thread every
// request stays pending and rows keep their tiles. Does nothing while started.
void icons_start(IconShell* shell);
// Stops and joins the loader, destroys every cached and retired icon and empties the request
// stack and the failure memory. Safe to call when not started.
void icons_stop();
// The window's DPI changed; non-positive values are ignored.
void icons_set_dpi(int dpi);
// The icon's drawn size: MulDiv(24, dpi, 96), at least 20.
int icons_size();
// The window is shown again: paths that yielded no icon may be asked for once more, and drive
// types are looked up afresh.
void icons_show_reset();

// Row drawing: the row's 20 x 20 (scaled) icon box has its top-left at x, y. Returns 0 when nothing
// can be drawn now (the caller draws the letter tile), else 1 (the icon is queued for icons_draw,
// centred on the box, unless 64 are queued already).
int icon_queue_draw(std::u16string_view path, int x, int y, int list_top, int list_bottom);

// Draws the queued icons through draw (at the icon size), empties the queue, then destroys the
// icons that the loader evicted from the cache since the last call. Window thread.
using IconDrawFn = void (*)(IconHandle icon, int x, int y, int size, void* user);
void icons_draw(IconDrawFn draw, void* user);

// For tests and diagnostics.
struct IconStats {
    int32_t cached;
    int32_t pending;
    int32_t failed;
    int32_t queued;
    int32_t retired;
    int64_t loads;   // loads attempted by the loader since start
    int64_t repaints;  // invalidations asked by the loader since start
};
IconStats icons_stats();
// True when the loader thread is waiting with nothing pending (tests wait for it).
bool icons_idle();

// Puts the icon lookup into the main view's row drawing (rows without a loader keep their tiles).
void icons_join_view();
