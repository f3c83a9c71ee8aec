// The private window messages that carry search results to the launcher window. wParam is the
// search generation, lParam a RowList record that lives inside its own arena (list->arena).
#pragma once
#include <cstdint>

constexpr uint32_t kWmApp = 0x8000;                     // WM_APP
constexpr uint32_t WM_APP_RESULTS = kWmApp + 1;         // full result of run_query
constexpr uint32_t WM_APP_APPS_CHANGED = kWmApp + 2;    // the app index was rebuilt
constexpr uint32_t WM_APP_VIEW_ROWS = kWmApp + 3;       // filtered apps view or a tool page; the list carries its view
constexpr uint32_t WM_APP_PREVIEW = kWmApp + 5;         // scoped or local preview

constexpr int32_t kViewApps = 2;   // the all-apps view a WM_APP_VIEW_ROWS list belongs to
constexpr int32_t kViewTool = 7;   // the tools view, for the rows of its open tool page
