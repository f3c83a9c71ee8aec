// The application shell: the launcher window, its placement, the global hotkey, the tray icon and
// the state they share. Implemented in the *_win32.cpp files of this folder; the rules they apply
// are portable (placement.h, hotkey_press.h, focus_rules.h). Window thread only.
#pragma once
#include <cstdint>

#include "app/hotkey_press.h"
#include "app/focus_rules.h"

struct HWND__;
struct HINSTANCE__;
struct Row;

constexpr uint32_t WM_APP_TRAY = 0x8000 + 4;
constexpr uint32_t WM_APP_VERBS = 0x8000 + 6;
constexpr int kHotkeyId = 1;
constexpr int kTrayIconId = 1;
constexpr int kTrayCmdShow = 1101;
constexpr int kTrayCmdExit = 1104;
constexpr uint8_t kAlphaActive = 255;
constexpr uint8_t kAlphaInactive = 220;

struct ShellState {
    HWND__* window;
    HINSTANCE__* instance;
    bool visible;  // shown
    bool active;   // the active window: painted in the full look, else dimmed
    bool painting;
    ForegroundRetries fg;
    uint32_t start_input_time;
    bool start_input_known;
    uint32_t taskbar_created_msg;
    bool moving;
    int32_t grab_x, grab_y;  // cursor offset from the window's top-left during a move
    int suppressed_key;      // a key whose next character and release are swallowed; 0 for none
    bool exit_requested;
    HotkeyPress hotkey;
    HWND__* fullscreen;  // the full-screen window in front when the window was shown
    bool had_fullscreen;
    bool tray_added;
};
ShellState& shell();

// The row executor (run after the paint that queued it). Returns true when the action succeeded.
// Until an executor is installed, a queued row is dropped.
using ShellActionFn = bool (*)(const Row* row, int32_t mods);
void shell_action_set(ShellActionFn fn);
// What follows a successful action (records, hide or stay); installed with the executor.
using ShellAfterActionFn = void (*)(const Row* row, bool succeeded);
void shell_after_action_set(ShellAfterActionFn fn);

// --- window (window_win32.cpp) ---------------------------------------------------------------------
bool window_class_register();
bool window_create();
int message_loop();
void window_repaint();
void shell_request_exit();  // the window is destroyed after the current paint

// --- placement (placement_win32.cpp) --------------------------------------------------------------
void window_show();
void window_hide();
void window_bring_forward();
void window_place();
void window_fit_dpi();
void window_recenter();
void window_move_to_monitor(int n);  // 1-based, enumeration order
void window_move_begin(int client_x, int client_y);
void window_move_track();
void window_move_end();
void on_dpi_changed(int dpi, const void* suggested_rect);  // a RECT
void on_activate(int state);
void on_foreground_timer();
// True when the foreground window is the launcher.
bool window_is_foreground();
// The foreground window is another program's full-screen window.
bool foreground_is_fullscreen();

// --- hotkey (hotkey_win32.cpp) ------------------------------------------------------------------------
void hotkey_register();
void on_hotkey();
// A key-up while armed; true when it was swallowed.
bool on_key_up_hotkey(int vk);

// --- tray (tray_win32.cpp) --------------------------------------------------------------------------------
void tray_add();
void tray_remove();
void tray_menu();
void on_tray(uint32_t mouse_message);
