#include "actions/drag_drop.h"

#include "core/row.h"
#include "platform/platform.h"
#include "ui/main_view.h"
#include "ui/metrics.h"

int32_t drag_row_at(int y) {
    const ViewState& s = view_state();
    if (!s.visible || s.menu.open || s.dialog_open || s.capture_active) return -1;
    const ShownList& list = s.shown;  // with the menu closed, the rows drawn
    if (!list.rows || list.rows->count <= 0) return -1;
    const int rh = row_height();
    const int top = list_top();
    if (rh <= 0 || y < top) return -1;
    // The last visible row ends at the list bottom or where the rows end, whichever comes first.
    const int64_t rows_end = static_cast<int64_t>(top) + static_cast<int64_t>(list.rows->count) * rh - list.scroll;
    const int64_t bottom = rows_end < list_bottom() ? rows_end : list_bottom();
    if (y >= bottom) return -1;
    const int64_t index = (static_cast<int64_t>(y) + list.scroll - top) / rh;
    if (index < 0 || index >= list.rows->count) return -1;
    const Row& row = list.rows->items[index];
    if (row.kind != kKindOpen || !row.path || !row.path[0]) return -1;
    // A vanished file is no drag source; one we may not read still is (the receiver decides).
    if (os_files().attributes(row.path) == win::kInvalidAttributes) return -1;
    return static_cast<int32_t>(index);
}

int32_t drag_format_count(uint32_t preferred_effect_format) { return preferred_effect_format ? 2 : 1; }

uint32_t drag_format_at(uint32_t preferred_effect_format, int32_t i) {
    if (i == 0) return kCfHdrop;
    if (i == 1 && preferred_effect_format) return preferred_effect_format;
    return 0;
}

DragData drag_data_for(uint32_t format, uint32_t tymed, uint32_t aspect, uint32_t preferred_effect_format) {
    if (!(tymed & kTymedHglobal) || !(aspect & kAspectContent) || format == 0) return DragData::BadFormat;
    if (format == kCfHdrop) return DragData::Hdrop;
    if (format == preferred_effect_format) return DragData::PreferredEffect;
    return DragData::BadFormat;
}

DragEnumStep drag_enum_next(int32_t* pos, int32_t total, uint32_t wanted) {
    DragEnumStep step{*pos, 0, false};
    const int32_t left = *pos < total ? total - *pos : 0;
    step.copied = wanted < static_cast<uint32_t>(left) ? static_cast<int32_t>(wanted) : left;
    *pos += step.copied;
    step.all = static_cast<uint32_t>(step.copied) == wanted;
    return step;
}

bool drag_enum_skip(int32_t* pos, int32_t total, uint32_t n) {
    const int32_t left = *pos < total ? total - *pos : 0;
    if (n > static_cast<uint32_t>(left)) {
        *pos = total;
        return false;
    }
    *pos += static_cast<int32_t>(n);
    return true;
}
