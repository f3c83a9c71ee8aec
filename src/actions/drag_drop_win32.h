// The OLE side of dragging a file row out: the data object, its format enumerator, the drop source
// and the drag itself. Windows build only; no <windows.h> needed here.
#pragma once
#include <string>

struct HWND__;
struct IDataObject;
struct IDropSource;

// A left-button press at client x, y (after the UI core has seen it). False when the press is no
// drag candidate (the caller goes on as usual); true when DragDetect took the press, whether or
// not a drag followed: the caller then gives the UI core the release at the cursor.
// DoDragDrop runs a modal loop that dispatches paints and posted results: no Row pointer is held
// across it (the path is copied first).
bool drag_try_start(HWND__* window, int x, int y);

// The objects of one drag, each with a reference count of 1 (for tests and the drag above).
IDataObject* drag_data_object_new(const std::u16string& path);
IDropSource* drag_source_new();
// The registered "Preferred DropEffect" format, 0 when it could not be registered.
unsigned drag_preferred_effect_format();
