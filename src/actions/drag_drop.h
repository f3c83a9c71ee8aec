// Dragging a file row out of the launcher window: which press may start a drag, and what the
// data object offers (CF_HDROP with the file, and a preferred effect of copy). The OLE objects and
// the drag loop are in drag_drop_win32.cpp; the decisions are here.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// The shown row a left-button press at client y may drag, or -1: the window is shown, no menu,
// dialog or hotkey capture is open, y lies on one of the rows shown (list top to the bottom of the
// last visible row), and that row opens a file or folder (kind 1) whose path exists.
int32_t drag_row_at(int y);

// The formats offered, in this order: CF_HDROP, then "Preferred DropEffect" when it could be
// registered (format 0: not offered).
constexpr uint32_t kCfHdrop = 15;
constexpr uint32_t kTymedHglobal = 1;
constexpr uint32_t kAspectContent = 1;
constexpr uint32_t kDropEffectCopy = 1;
constexpr int32_t kDragFormatsMax = 2;
int32_t drag_format_count(uint32_t preferred_effect_format);
// The clipboard format at position i (0 past the end).
uint32_t drag_format_at(uint32_t preferred_effect_format, int32_t i);

// What GetData and QueryGetData answer for a request.
enum class DragData { Hdrop, PreferredEffect, BadFormat };
DragData drag_data_for(uint32_t format, uint32_t tymed, uint32_t aspect, uint32_t preferred_effect_format);

// IEnumFORMATETC's position arithmetic over `total` formats.
struct DragEnumStep {
    int32_t first;   // position of the first format handed out
    int32_t copied;  // how many
    bool all;        // S_OK (every one asked for) rather than S_FALSE
};
// Next: up to `wanted` formats from position pos; pos moves past them.
DragEnumStep drag_enum_next(int32_t* pos, int32_t total, uint32_t wanted);
// Skip: advances by n, never past the end; false (S_FALSE) when fewer than n were left.
bool drag_enum_skip(int32_t* pos, int32_t total, uint32_t n);
