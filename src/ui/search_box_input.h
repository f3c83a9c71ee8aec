// The search box fed through the UI core: typed characters travel in the core's input_text and
// reach the box in the next frame, when it has the focus; editing keys go straight to the box.
//
// Backspace is handled in full by box_on_key (the window procedure does not feed it to the UI
// core): the core keeps one pressed bit per frame, so two presses between frames would count once.
// For the same reason of order, characters still waiting in input_text go into the box before
// any editing key is applied.
#pragma once
#include "ui/search_box.h"
#include "uicore/uicore.h"

// WM_CHAR with one UTF-16 unit. ignored: a key is being suppressed, or hotkey capture or a
// confirmation dialog is open. Control characters and DEL are dropped, a surrogate pair is
// taken whole, and a character goes into input_text only when it fits whole below 32 bytes
// (nothing once input_text holds more than 30).
void box_on_char(SearchBox& b, UiContext* ctx, char16_t unit, bool ignored);

// Moves the characters waiting in input_text into the box (one typing step) when it has focus.
void box_flush_typed(SearchBox& b, UiContext* ctx, bool focused);

// An editing key (WM_KEYDOWN): waiting characters first, then the key.
BoxKey box_on_key(SearchBox& b, UiContext* ctx, bool focused, int key, int mods);

// The box's step in the frame, after its control was updated: the typed characters.
inline void box_frame_input(SearchBox& b, UiContext* ctx, bool focused) { box_flush_typed(b, ctx, focused); }
