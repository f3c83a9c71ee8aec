// The rows of the views whose modules live elsewhere (help, options, tools, terminal chooser):
// each module registers the builder of its view, and one dispatcher behind ViewHooks::build_rows
// calls the builder of the view being opened.
#pragma once
#include <cstdint>

#include "ui/main_view.h"

// Sets the builder of a view (1 to 8; others are ignored); null removes it.
void view_rows_set(int32_t view, ViewRowsFn fn);
// The dispatcher: the registered builder of the view, or nothing.
void view_rows_build(int32_t view, RowList* out);
// Installs the dispatcher as view_hooks().build_rows.
void view_rows_install();
