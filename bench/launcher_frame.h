// A launcher-like frame (set eight rows with metrics_rows_set for all eight to show) for measuring the UI core and the painter: the "main" window, a search box,
// eight result rows (letter tile, title, subtitle; one selected, one hovered), a scrollbar thumb and
// the footer. Uses only the renderer's palette, fonts and scaled metrics, as the views do.
#pragma once
#include <cstdio>
#include <cstring>

#include "ui/fonts.h"
#include "ui/metrics.h"
#include "ui/palette.h"
#include "uicore/uicore.h"

inline void launcher_frame_build(UiContext* ctx) {
    static const char* const kTitles[8] = {"Visual Studio Code", "Notepad", "Windows Terminal", "Settings: Display",
                                           "Calculator", "Paint", "Task Manager", "Control Panel"};
    static const char* const kSubtitles[8] = {
        "C:\\Users\\me\\AppData\\Local\\Programs\\Microsoft VS Code\\Code.exe", "C:\\Windows\\System32\\notepad.exe",
        "shell:AppsFolder\\Microsoft.WindowsTerminal_8wekyb3d8bbwe!App", "ms-settings:display",
        "shell:AppsFolder\\Microsoft.WindowsCalculator_8wekyb3d8bbwe!App", "C:\\Windows\\System32\\mspaint.exe",
        "C:\\Windows\\System32\\Taskmgr.exe", "control.exe"};
    const int w = window_width(), h = window_height();
    ui_frame_begin(ctx);
    ui_container_find(ctx, "main")->rect = ui_rect(0, 0, w, h);
    if (ui_window_begin(ctx, "main", ui_rect(0, 0, w, h), OPT_NO_RESIZE | OPT_NO_SCROLL | OPT_NO_CLOSE | OPT_NO_TITLE)) {
        // Search box.
        int width = -1;
        ui_row_set(ctx, 1, &width, scale(kSearchBoxHeight));
        UiRect box = ui_cell_next(ctx);
        UiId box_id = ui_id_of(ctx, "searchbox", 9);
        ui_control_update(ctx, box_id, box, OPT_HOLD_FOCUS);
        ui_control_frame(ctx, box_id, box, UI_COLOR_BASE, 0);
        ui_text_at(ctx, font_medium(), "code", -1, ui_vec(box.x + scale(14), box.y + scale(14)), palette_color(kSlotText));
        ui_fill_rect(ctx, ui_rect(box.x + scale(50), box.y + scale(12), 1, scale(22)), palette_color(kSlotText));

        // Rows.
        const int top = list_top(), bottom = list_bottom(), rh = row_height();
        ui_clip_push(ctx, ui_rect(0, top, w, bottom - top));
        for (int i = 0; i < 8; i++) {
            UiRect row = ui_rect(scale(14), top + i * rh, w - scale(28), rh);
            if (row.y >= bottom) break;
            ui_control_update(ctx, UiId(1000 + i), row, 0);
            if (i == 0) {
                ui_fill_rect(ctx, row, palette_color(kSlotSelected));
                ui_fill_rect(ctx, ui_rect(row.x, row.y, scale(3), row.h), palette_color(kSlotAccent));
            } else if (i == 2) {
                ui_fill_rect(ctx, row, palette_color(kSlotHover));
            }
            UiRect tile = ui_rect(row.x + scale(12), row.y + (rh - scale(20)) / 2, scale(20), scale(20));
            ui_fill_rect(ctx, tile, palette_color(kSlotTile));
            char letter[2] = {kTitles[i][0], 0};
            ui_text_at(ctx, font_small(), letter, 1, ui_vec(tile.x + scale(6), row.y + (rh - scale(13)) / 2), palette_color(kSlotTileLetter));
            // Title and subtitle, each in two pieces: the matched start in the match colour, then the rest.
            const int tx = row.x + scale(44);
            int cut = ctx->text_width(font_medium(), kTitles[i], 2);
            ui_text_at(ctx, font_medium(), kTitles[i], 2, ui_vec(tx, row.y + scale(5)), palette_color(kSlotMatch));
            ui_text_at(ctx, font_medium(), kTitles[i] + 2, -1, ui_vec(tx + cut, row.y + scale(5)), palette_color(kSlotText));
            cut = ctx->text_width(font_small(), kSubtitles[i], 3);
            ui_text_at(ctx, font_small(), kSubtitles[i], 3, ui_vec(tx, row.y + scale(29)), palette_color(kSlotMatch));
            ui_text_at(ctx, font_small(), kSubtitles[i] + 3, -1, ui_vec(tx + cut, row.y + scale(29)), palette_color(kSlotDim));
        }
        ui_clip_pop(ctx);
        ui_fill_rect(ctx, ui_rect(w - scale(10), top, scale(8), scale(120)), palette_color(kSlotSelected));

        // Footer.
        const int fy = bottom + scale(6);
        ui_fill_rect(ctx, ui_rect(scale(10), fy - scale(4), scale(60), scale(20)), palette_color(kSlotSelected));
        ui_text_at(ctx, font_small(), "apps", -1, ui_vec(scale(14), fy), palette_color(kSlotText));
        ui_text_at(ctx, font_small(), "8 results", -1, ui_vec(scale(80), fy), palette_color(kSlotDim));
        ui_text_at(ctx, font_small(), "v0.4", -1, ui_vec(w / 2 - scale(10), fy), palette_color(kSlotTile));
        ui_text_at(ctx, font_small(), "Enter run  Tab menu  Esc hide", -1, ui_vec(w - scale(200), fy), palette_color(kSlotDim));
        ui_window_end(ctx);
    }
    ui_frame_end(ctx);
}

inline int launcher_frame_command_count(UiContext* ctx) {
    int n = 0;
    UiCommand* cmd = nullptr;
    while (ui_cmd_next(ctx, &cmd)) n++;
    return n;
}
