#include "actions/actions.h"
#include "core/row.h"
#include "core/text.h"

PinToggleArgs pin_toggle_args(const Row& row) {
    PinToggleArgs a;
    a.title.assign(text_view(row.argument));
    switch (row.sub_kind) {
    case 0:
    case 1:  // a file or folder
        a.path.assign(text_view(row.target));
        a.kind = kKindOpen;
        break;
    case 2:  // a settings page, pinned with its subtitle
        a.param.assign(text_view(row.target));
        a.sub.assign(text_view(row.path));
        a.kind = kKindSettings;
        break;
    default: {  // a built-in command, run as its own kind
        a.path.assign(text_view(row.target));
        const char16_t* sub = action_services().command_subtitle ? action_services().command_subtitle(row.sub_kind) : nullptr;
        a.sub.assign(text_view(sub));
        a.kind = row.sub_kind;
        break;
    }
    }
    return a;
}
