// The folder scope: a folder the search is confined to, entered by typing its path or diving into
// a folder row, shown as breadcrumb chips left of the text, left one level at a time. Window thread.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "uicore/uicore.h"

struct Row;

constexpr int32_t kBreadcrumbMax = 32;
constexpr int32_t kBreadcrumbTextCap = 256;  // bytes, terminator included
constexpr int32_t kSegmentNameMax = 80;      // units of one folder name

// A text in view 0 changed: enters a scope when it names a drive or an existing directory. Inside a
// scope a relative path is taken from the scope folder and "\name" from its root, as an address bar
// does. True when a scope was entered (the box is then empty).
bool scope_check_text(const char* utf8_text);
// The folder a typed text names, checked and in scope form (absolute, long names, a trailing
// backslash, an upper-case drive letter); false when it names none. scope may be empty.
bool scope_resolve_text(std::u16string_view text, std::u16string_view scope, std::u16string& out);
// Makes path the scope when it resolves to an existing directory; true when it did.
bool scope_enter(std::u16string_view path);
// Up one level; a drive root or a share root leaves the scope.
void scope_up();
// Keeps the scope up to and including its k-th segment (1-based).
void scope_to_segment(int32_t k);
// Activating a folder row: its path (or subtitle) becomes the scope. False when it names no folder.
bool scope_dive(const Row* row);

// The scope folder as breadcrumb segments ("C:", "Users"; "\\srv\share" for a share). Names are
// cut to 80 units; at most 32 segments. Returns the count.
int32_t scope_segments(std::u16string_view scope, std::u16string* out, int32_t max);
// The scope after cutting it at its k-th segment; empty when k is out of range.
std::u16string scope_cut_at_segment(std::u16string_view scope, int32_t k);
// The scope one level up; empty when that leaves it.
std::u16string scope_parent(std::u16string_view scope);

struct BreadcrumbChip {
    int32_t left, right;  // [left, right) in window pixels
    int32_t segment;      // 1-based
    char text[kBreadcrumbTextCap];
};
struct Breadcrumbs {
    int32_t count;
    BreadcrumbChip chips[kBreadcrumbMax];
    bool ellipsis;
    int32_t ellipsis_x, ellipsis_w;
    int32_t band_top, band_bottom;  // the box inset 11 px top and bottom
};
// Lays the chips out from left_x within available pixels (the current scope, medium font).
void breadcrumbs_layout(int32_t left_x, int32_t available);
// Lays out and draws the chips in the box; the x right after the last chip, 0 without a scope.
int32_t breadcrumbs_draw(UiContext* ctx, UiRect box);
const Breadcrumbs& breadcrumbs();
// The segment of the chip at (x, y), or 0.
int32_t breadcrumb_hit(int32_t x, int32_t y);
bool ellipsis_hit(int32_t x, int32_t y);
// A press in the search box: a chip cuts the scope, the ellipsis goes up. True when it took it.
bool scope_box_press(int32_t x, int32_t y);

// Fills the view's hooks for the scope (scope check, up, dive, chips).
void scope_join_view();
