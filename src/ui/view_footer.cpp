// The footer: the view's badge, the count (with the selected file's size and time in the search
// view), the version and the key hint, "searching..." while a search is late.
#include <cstdio>
#include <cstring>
#include <string_view>

#include "core/format.h"
#include "core/text.h"
#include "core/utf.h"
#include "platform/platform.h"
#include "sources/tools_table.h"
#include "ui/fonts.h"
#include "ui/main_view.h"
#include "ui/metrics.h"
#include "ui/palette.h"
#include "ui/text_measure.h"
#include "ui/view_draw.h"

namespace {

constexpr char kVersionText[] = "v0.4";
constexpr uint64_t kSearchingAfterMs = 250;
constexpr uint32_t kAttrDirectory = 0x10;
constexpr uint32_t kInvalidAttributes = 0xFFFFFFFFu;

struct ViewTexts {
    const char* badge;
    const char* one;
    const char* many;
    const char* hint;
    const char* hint_empty;
};

// Index = view id; view 0's hint comes from search_hint.
constexpr ViewTexts kViewTexts[kViewCount] = {
    {"", "%d result", "%d results", "", ""},
    {"RECENTS", "%d recent", "%d recents", "Esc default | Enter open", "Esc default | Enter open"},
    {"APPS", "%d application", "%d applications", "Tab menu | ctrl+x help", "ctrl+x help"},
    {"SETTINGS", "%d setting", "%d settings", "Esc default | Enter open", "Esc default | Enter open"},
    {"HELP", "%d shortcut", "%d shortcuts", "Esc default | Enter open", "Esc default | Enter open"},
    {"OPTIONS", "%d option", "%d options", "Esc back | Enter +/- | click -/+", "Esc back | Enter +/- | click -/+"},
    {"PINS", "%d pin", "%d pins", "Enter open | Tab menu | Esc back", "Esc back"},
    {"TOOLS", "%d tool", "%d tools", "Esc default | Enter open", "Esc default | Enter open"},
    {"TERMINAL", "%d shell", "%d shells", "Esc back | Enter select", "Esc back | Enter select"},
};

void copy_text(char* out, size_t cap, const char* s) { std::snprintf(out, cap, "%s", s); }

// Attributes of the row's file: its path, else (with_subtitle) its subtitle.
uint32_t row_file(const Row& r, FileInfo* info, bool with_subtitle = true) {
    for (const char16_t* p : {r.path, with_subtitle ? r.subtitle : nullptr}) {
        if (!p || !p[0]) continue;
        FileInfo fi = os_files().info(text_view(p));
        if (fi.attributes != kInvalidAttributes) {
            if (info) *info = fi;
            return fi.attributes;
        }
    }
    return kInvalidAttributes;
}

void search_count(char* out, size_t cap, const ViewState& s, int n) {
    int len = std::snprintf(out, cap, n == 1 ? "%d result" : "%d results", n);
    const Row* row = view_selected_row();
    if (!row || len < 0 || static_cast<size_t>(len) >= cap) return;
    FileInfo info;
    const bool folder = row_is_folder(row);
    const bool file = !folder && row_file(*row, &info) != kInvalidAttributes && !(info.attributes & kAttrDirectory);
    char16_t size16[64];
    bool has_size = false;
    if (row->has_size) {
        format_size(row->size, size16, 64);
        has_size = true;
    } else if (file) {
        format_size(info.size, size16, 64);
        has_size = true;
    }
    if (has_size) {
        char size8[128];
        utf16_to_utf8(text_view(size16), size8, sizeof size8);
        len += std::snprintf(out + len, cap - static_cast<size_t>(len), " \xC2\xB7 %s", size8);
    }
    if (static_cast<size_t>(len) >= cap) return;
    if (!folder && row_file(*row, &info) != kInvalidAttributes && info.write_time != 0) {
        char when[64];
        if (format_filetime(&info.write_time, when, sizeof when))
            std::snprintf(out + len, cap - static_cast<size_t>(len), " \xC2\xB7 %s", when);
    }
    (void)s;
}

const char* search_hint(const ViewState& s, int n) {
    const uint64_t due = view_searching_due_ms();
    if (due && platform().clock && os_clock().tick_ms() >= due) return "searching...";
    const bool scope = s.scope_folder[0] != 0;
    if (n == 0) return (s.box.length > 0 || scope) ? "ctrl+x help" : "type to search | ext:pdf *.pdf | kill";
    if (scope && s.folders_only) return "Enter dive | Tab menu";
    if (scope) return "Enter dive | Bksp up | Tab menu";
    if (s.folders_only) return "folders only | ctrl+f all | Tab menu";
    const Row* row = view_selected_row();
    if (row && row_is_folder(row)) return "Enter dive | Tab menu";
    if (row && row_file(*row, nullptr, false) != kInvalidAttributes) return "Enter open | Tab menu";
    if (row && row->kind == kKindSettings) return "Enter open settings | Tab menu";
    if (row && row->kind == kKindProcess) return "Enter end process | Tab menu";
    return "Tab menu | ctrl+x help";
}

}  // namespace

uint64_t view_searching_due_ms() {
    const ViewState& s = view_state();
    if (s.view != kViewSearch || s.menu.open || s.last_request == 0 || s.last_final == s.last_request) return 0;
    return s.last_request_ms + kSearchingAfterMs;
}

void view_footer_texts(FooterTexts* out) {
    const ViewState& s = view_state();
    const int n = view_row_count();
    out->badge[0] = out->count[0] = out->hint[0] = 0;
    if (s.menu.open) {
        copy_text(out->badge, sizeof out->badge, "context menu");
        if (s.menu.title[0]) {
            char title[400];  // cut at a character boundary to fit the count text
            utf16_to_utf8(text_view(s.menu.title), title, sizeof title);
            std::snprintf(out->count, sizeof out->count, "%d options - %s", n, title);
        } else {
            std::snprintf(out->count, sizeof out->count, "%d options", n);
        }
        copy_text(out->hint, sizeof out->hint, "\xE2\x86\x90 Back | Enter run | Tab same");
        return;
    }
    const int view = s.view >= 0 && s.view < kViewCount ? s.view : kViewSearch;
    const ViewTexts& t = kViewTexts[view];
    if (view == kViewSearch) {
        if (s.folders_only) copy_text(out->badge, sizeof out->badge, "FOLDERS");
        search_count(out->count, sizeof out->count, s, n);
        copy_text(out->hint, sizeof out->hint, search_hint(s, n));
        return;
    }
    copy_text(out->badge, sizeof out->badge, t.badge);
    std::snprintf(out->count, sizeof out->count, n == 1 ? t.one : t.many, n);
    copy_text(out->hint, sizeof out->hint, n == 0 ? t.hint_empty : t.hint);
    if (view == kViewTools && s.tool_page >= 0) {
        utf16_to_utf8(text_view(tool_label(s.tool_page)), out->badge, sizeof out->badge);
        utf16_to_utf8(text_view(tool_hint(s.tool_page)), out->hint, sizeof out->hint);
    }
}

void view_draw_footer(UiContext* ctx, ViewState& s, int w) {
    (void)s;
    FooterTexts t;
    view_footer_texts(&t);
    UiFont font = font_small();
    const int y = list_bottom() + scale(6);
    int x = scale(10);
    if (t.badge[0]) {
        const int bw = text_width(font, t.badge, -1);
        const int th = text_height(font);
        ui_fill_rect(ctx, ui_rect(x, y - scale(4), bw + 2 * scale(4), th + scale(8)), palette_color(kSlotSelected));
        ui_text_at(ctx, font, t.badge, -1, ui_vec(x + scale(4), y), palette_color(kSlotText));
        x += bw + 2 * scale(4) + scale(10);
    }
    const int count_w = text_width(font, t.count, -1);
    if (t.count[0]) ui_text_at(ctx, font, t.count, -1, ui_vec(x, y), palette_color(kSlotDim));
    const int hint_w = text_width(font, t.hint, -1);
    const int hint_x = w - scale(10) - hint_w;
    const int vw = text_width(font, kVersionText, -1);
    const int vx = (w - vw) / 2;
    if (vx >= x + count_w + scale(8) && vx + vw <= hint_x - scale(8))
        ui_text_at(ctx, font, kVersionText, -1, ui_vec(vx, y), palette_color(kSlotTile));
    if (t.hint[0]) ui_text_at(ctx, font, t.hint, -1, ui_vec(hint_x, y), palette_color(kSlotDim));
}
