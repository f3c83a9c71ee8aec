// Helpers shared by the UI core's own files; not for callers of the core.
#pragma once
#include "uicore/uicore.h"

inline UiJumpCommand* ui_jump_at(UiContext* ctx, int pos) { return reinterpret_cast<UiJumpCommand*>(ctx->command_list.items + pos); }

// Appends a jump command and returns its position in the command list.
inline int ui_jump_push(UiContext* ctx, int dst) {
    int pos = ctx->command_list.idx;
    UiCommand* cmd = ui_command_push(ctx, UI_COMMAND_JUMP, sizeof(UiJumpCommand));
    cmd->jump.dst = dst;
    cmd->jump.reserved = 0;
    return pos;
}

void ui_layout_push(UiContext* ctx, UiRect body, UiVec scroll);
void ui_layout_pop(UiContext* ctx);
