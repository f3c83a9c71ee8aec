#include "ui/view_rows.h"

#include "ui/view_state.h"

namespace {
ViewRowsFn g_builders[kViewCount] = {};
}

void view_rows_set(int32_t view, ViewRowsFn fn) {
    if (view <= kViewSearch || view >= kViewCount) return;
    g_builders[view] = fn;
}

void view_rows_build(int32_t view, RowList* out) {
    if (view <= kViewSearch || view >= kViewCount || !out) return;
    if (ViewRowsFn fn = g_builders[view]) fn(out);
}

void view_rows_install() { view_hooks().build_rows = view_rows_build; }
