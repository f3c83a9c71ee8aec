// The main view's frame: requests applied in their order, the search box with its text, selection
// and caret, the visible rows (selection bar, hover, letter tiles, highlighted titles and
// subtitles, drive usage bars), the scrollbar thumb and the footer.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "core/text.h"
#include "core/utf.h"
#include "query/highlight.h"
#include "ui/fonts.h"
#include "ui/activation.h"
#include "ui/main_view.h"
#include "ui/metrics.h"
#include "ui/palette.h"
#include "ui/text_fit.h"
#include "ui/text_measure.h"
#include "ui/view_draw.h"

namespace {

constexpr int kMainWindowOptions = OPT_NO_RESIZE | OPT_NO_SCROLL | OPT_NO_CLOSE | OPT_NO_TITLE;  // 240
constexpr int kBoxFrameColor = UI_COLOR_BASE;  // 9: the theme's background, so the box shows no frame
constexpr int kRangeCap = 64;
constexpr char kEverythingNotFound[] = "Everything not found";

// Byte offset in utf8 of UTF-16 position units (a position inside a pair goes past the pair).
int utf8_offset_of_unit(const char* utf8, int bytes, int units) {
    int off = 0, u = 0;
    while (off < bytes && u < units) {
        const unsigned char c = static_cast<unsigned char>(utf8[off]);
        const int len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        u += len == 4 ? 2 : 1;
        off = std::min(bytes, off + len);
    }
    return off;
}

// Draws text at pos, the given UTF-16 ranges in the match colour and the rest in base.
void draw_ranges(UiContext* ctx, UiFont font, const char* text, int bytes, UiVec pos, UiColor base,
                 const MatchRange* ranges, int count, UiColor match) {
    int done = 0;  // bytes drawn so far
    auto piece = [&](int from, int to, UiColor color) {
        if (to <= from) return;
        const int x = pos.x + (from > 0 ? text_width(font, text, from) : 0);
        ui_text_at(ctx, font, text + from, to - from, ui_vec(x, pos.y), color);
    };
    for (int i = 0; i < count; ++i) {
        const int a = std::max(done, utf8_offset_of_unit(text, bytes, ranges[i].start));
        const int b = std::max(a, utf8_offset_of_unit(text, bytes, ranges[i].start + ranges[i].length));
        piece(done, a, base);
        piece(a, b, match);
        done = b;
    }
    piece(done, bytes, base);
}

// The first ASCII letter or digit of the title, upper-cased; '#' when there is none.
char tile_letter(const char16_t* title) {
    for (const char16_t* p = title; p && *p; ++p) {
        char16_t c = *p;
        if (c >= u'a' && c <= u'z') return static_cast<char>(c - 32);
        if ((c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9')) return static_cast<char>(c);
    }
    return '#';
}

struct RowText {
    char text[kBoxTextSize];
    const char* fitted;
    int bytes;
    char16_t units[kBoxTextSize];
};

// Converts and shortens one row text; the fitted text as UTF-16 as well when ranges are wanted.
void fit_row_text(RowText& t, UiFont font, const char16_t* s, int width, bool want_units) {
    static char fit_buf[kBoxTextSize];
    utf16_to_utf8(text_view(s), t.text, sizeof t.text);
    t.fitted = text_fit(font, t.text, width, fit_buf, sizeof fit_buf);
    if (t.fitted == fit_buf) {
        // text_fit's buffer is reused by the next call: keep the result in the row's own buffer.
        std::memcpy(t.text, fit_buf, std::strlen(fit_buf) + 1);
        t.fitted = t.text;
    }
    t.bytes = static_cast<int>(std::strlen(t.fitted));
    if (want_units) utf8_to_utf16(std::string_view(t.fitted, static_cast<size_t>(t.bytes)), t.units, kBoxTextSize);
}

void draw_search_box(UiContext* ctx, ViewState& s) {
    const int width = -1;
    ui_row_set(ctx, 1, &width, scale(kSearchBoxHeight));
    UiRect box = ui_cell_next(ctx);
    s.box_x = box.x, s.box_y = box.y, s.box_w = box.w, s.box_h = box.h;
    const UiId id = view_box_id(ctx);
    ui_control_update(ctx, id, box, OPT_HOLD_FOCUS);
    // After the update: a press outside the box (on a row, in the list) clears the UI core focus
    // there, and that press is the one that asked for the box to keep it.
    if (s.req.focus_box) {
        ui_focus_set(ctx, id);
        s.req.focus_box = false;
    }
    s.box_has_focus = ctx->focus == id;
    view_consume_typing(ctx, s.box_has_focus);
    ui_control_frame(ctx, id, box, kBoxFrameColor, 0);

    SearchBox& b = s.box;
    box_clamp(b);
    UiFont font = font_medium();
    const FontMetrics m = text_metrics(font);
    const int text_y = std::max(box.y, box.y + (box.h - std::max(m.height - m.internal_leading, 8) + 1) / 2 +
                                           m.descent / 2 - m.internal_leading);
    const int caret_w = std::max(scale(2), 1), caret_h = std::max(m.height, 8);
    const int chips_end = view_draw_hooks().draw_chips ? view_draw_hooks().draw_chips(ctx, box) : 0;
    const int start = chips_end > 0 ? chips_end + scale(4) : scale(14);
    const int box_right = box.x + box.w;
    const int limit = box_right - scale(8) - 1;
    const int text_w = text_width(font, b.text, b.length);
    const int caret_dx = b.caret > 0 ? text_width(font, b.text, b.caret) : 0;
    int x = start;
    if (start + text_w > limit) x = limit - text_w;
    if (x + caret_dx < start) x = start - caret_dx;
    if (x + caret_dx + caret_w > box_right - scale(8) - 1) x = box_right - (scale(8) + 1) - caret_w - caret_dx;
    s.text_origin = b.text_origin = x;

    const UiColor color = ctx->style->colors[UI_COLOR_TEXT];
    ui_clip_push(ctx, ui_rect(start, box.y, std::max(0, box_right - start), box.h));
    if (box_has_selection(b)) {
        int a, e;
        box_selection(b, &a, &e);
        const int x0 = x + (a > 0 ? text_width(font, b.text, a) : 0);
        const int x1 = x + text_width(font, b.text, e);
        ui_fill_rect(ctx, ui_rect(x0, text_y, x1 - x0, caret_h), palette_color(kSlotSelected));
    }
    if (b.length > 0) ui_text_at(ctx, font, b.text, b.length, ui_vec(x, text_y), color);
    if (s.box_has_focus) ui_fill_rect(ctx, ui_rect(x + caret_dx, text_y, caret_w, caret_h), color);
    ui_clip_pop(ctx);
}

void draw_usage_bar(UiContext* ctx, const Row& row, UiRect r, int avail, int title_w, UiColor sub_color) {
    const int tx = r.x + scale(44);
    const UiRect bar = ui_rect(tx, r.y + scale(29), r.w - scale(44) - scale(12), scale(18));
    ui_fill_rect(ctx, bar, palette_color(kSlotToggleOff));
    double frac = row.total_bytes ? static_cast<double>(row.used_bytes) / static_cast<double>(row.total_bytes) : 0.0;
    frac = std::clamp(frac, 0.0, 1.0);
    const UiRect fill = ui_rect(bar.x, bar.y, static_cast<int>(bar.w * frac), bar.h);
    ui_fill_rect(ctx, fill, palette_color(frac >= 0.9 ? kSlotWarning : kSlotAccent));
    char pct[16];
    std::snprintf(pct, sizeof pct, "%d%%", static_cast<int>(frac * 100.0 + 0.5));
    UiFont small = font_small();
    const UiVec at = ui_vec(bar.x + (bar.w - text_width(small, pct, -1)) / 2, bar.y + (bar.h - text_height(small)) / 2);
    ui_text_at(ctx, small, pct, -1, at, palette_color(kSlotText));
    ui_clip_push(ctx, fill);
    ui_text_at(ctx, small, pct, -1, at, palette_color(kSlotBackground));
    ui_clip_pop(ctx);

    // The subtitle moves up to the title line, right-aligned, when there is room for it.
    const int room = avail - title_w - scale(8);
    if (room <= scale(24) || !row.subtitle || !row.subtitle[0]) return;
    RowText sub;
    fit_row_text(sub, small, row.subtitle, room, false);
    const int sw = text_width(small, sub.fitted, sub.bytes);
    const int y = r.y + scale(5) + (text_height(font_medium()) - text_height(small));
    ui_text_at(ctx, small, sub.fitted, sub.bytes, ui_vec(tx + avail - sw, y), sub_color);
}

void draw_row(UiContext* ctx, ViewState& s, const Row& row, int index, UiRect r, const char16_t* query) {
    const UiId id = static_cast<UiId>(1000 + index);
    ui_control_update(ctx, id, r, (s.dialog_open || s.capture_active) ? OPT_NO_INTERACT : 0);
    // A row takes hover and presses but never the keyboard focus: the box keeps it, so typing goes
    // on after a click on a row.
    if (ctx->focus == id) ui_focus_set(ctx, s.box_has_focus ? view_box_id(ctx) : 0);
    ShownList& list = view_current_list();
    const bool hovered = ctx->hover == id;
    if (hovered && (ctx->mouse_pressed & UI_MOUSE_LEFT) && !s.text_drag) list.selection = index;
    if (hovered && s.req.double_click) {
        list.selection = index;
        if (row.kind != kKindInfo) activate_selected(0);
        s.req.double_click = false;
    }
    const bool selected = list.selection == index;
    if (selected) {
        ui_fill_rect(ctx, r, palette_color(kSlotSelected));
        ui_fill_rect(ctx, ui_rect(r.x, r.y, scale(3), r.h), palette_color(kSlotAccent));
    } else if (hovered) {
        ui_fill_rect(ctx, r, palette_color(kSlotHover));
    }

    const int rh = r.h;
    const UiRect icon = ui_rect(r.x + scale(12), r.y + (rh - scale(20)) / 2, scale(20), scale(20));
    const char16_t* icon_source = row.icon_source && row.icon_source[0] ? row.icon_source : row.path;
    if (!(view_draw_hooks().draw_icon && view_draw_hooks().draw_icon(ctx, icon_source, icon))) {
        ui_fill_rect(ctx, icon, palette_color(kSlotTile));
        const char letter[2] = {tile_letter(row.title), 0};
        ui_text_at(ctx, font_small(), letter, 1, ui_vec(icon.x + scale(6), r.y + (rh - scale(13)) / 2),
                   palette_color(kSlotTileLetter));
    }

    if (s.view == kViewOptions && view_draw_hooks().draw_option_widget) view_draw_hooks().draw_option_widget(ctx, &row, r);

    const bool flagged = s.view == kViewOptions && row.state == 1;
    const UiColor title_color = palette_color(flagged ? kSlotWarning : kSlotText);
    const UiColor sub_color = palette_color(flagged ? kSlotWarningDim : kSlotDim);
    const UiColor match = palette_color(kSlotMatch);
    int avail = r.w - scale(44) - scale(16);
    if (s.view == kViewOptions && view_draw_hooks().option_widget_width)
        avail -= view_draw_hooks().option_widget_width(&row);
    const int tx = r.x + scale(44);
    const bool highlight = query && query[0];
    MatchRange ranges[kRangeCap];

    static RowText title;
    fit_row_text(title, font_medium(), row.title, avail, highlight);
    const UiVec title_at = ui_vec(tx, r.y + scale(5));
    int n = highlight ? highlight_title_ranges(query, title.units, ranges, kRangeCap) : 0;
    if (n > 0)
        draw_ranges(ctx, font_medium(), title.fitted, title.bytes, title_at, title_color, ranges, n, match);
    else
        ui_text_at(ctx, font_medium(), title.fitted, title.bytes, title_at, title_color);

    if (row.has_usage && row.total_bytes) {
        draw_usage_bar(ctx, row, r, avail, text_width(font_medium(), title.fitted, title.bytes), sub_color);
    } else if (row.subtitle && row.subtitle[0]) {
        static RowText sub;
        const bool indexer_missing = s.view == kViewOptions && row.kind == kKindOptIndexer && row.state == 2;
        fit_row_text(sub, font_small(), row.subtitle, avail, highlight && !indexer_missing);
        const UiVec sub_at = ui_vec(tx, r.y + scale(29));
        n = 0;
        if (indexer_missing) {
            const char* hit = std::strstr(sub.fitted, kEverythingNotFound);
            if (hit) {
                // One range, in UTF-16 units, over the phrase.
                char16_t before[kBoxTextSize];
                const int start = static_cast<int>(
                    utf8_to_utf16(std::string_view(sub.fitted, static_cast<size_t>(hit - sub.fitted)), before, kBoxTextSize));
                ranges[0] = MatchRange{start, static_cast<int32_t>(sizeof kEverythingNotFound - 1)};
                draw_ranges(ctx, font_small(), sub.fitted, sub.bytes, sub_at, sub_color, ranges, 1,
                            palette_color(kSlotWarning));
                return;
            }
        } else if (highlight) {
            n = highlight_path_ranges(query, sub.units, ranges, kRangeCap);
        }
        if (n > 0)
            draw_ranges(ctx, font_small(), sub.fitted, sub.bytes, sub_at, sub_color, ranges, n, match);
        else
            ui_text_at(ctx, font_small(), sub.fitted, sub.bytes, sub_at, sub_color);
    }
}

void draw_rows(UiContext* ctx, ViewState& s, int w) {
    ShownList& list = view_current_list();
    const int top = list_top(), bottom = list_bottom(), rh = row_height();
    const int n = list.rows ? list.rows->count : 0;
    char16_t query[kBoxTextSize];
    utf8_to_utf16(std::string_view(s.box.text, static_cast<size_t>(s.box.length)), query, kBoxTextSize);

    ui_clip_push(ctx, ui_rect(0, top, w, bottom - top));
    for (int i = std::max(0, list.scroll / rh); i < n; ++i) {
        const int y = top + i * rh - list.scroll;
        if (y >= bottom) break;
        if (y + rh <= top) continue;
        draw_row(ctx, s, list.rows->items[i], i, ui_rect(scale(14), y, w - scale(28), rh), query);
    }
    ui_clip_pop(ctx);
    s.req.double_click = false;

    ThumbGeometry g;
    if (view_thumb_geometry(&g)) {
        const UiRect thumb = ui_rect(g.x, g.y, scale(8), g.height);
        const UiVec m = ctx->mouse_pos;
        const bool over = m.x >= thumb.x && m.x < thumb.x + thumb.w && m.y >= thumb.y && m.y < thumb.y + thumb.h;
        ui_fill_rect(ctx, thumb, palette_color(over || s.thumb_drag ? kSlotDim : kSlotSelected));
    }
}

}  // namespace

ViewDrawHooks& view_draw_hooks() {
    static ViewDrawHooks hooks{};
    return hooks;
}

UiId view_box_id(UiContext* ctx) { return ui_id_of(ctx, "searchbox", 9); }

void view_frame(UiContext* ctx, int w, int h) {
    ViewState& s = view_state();
    s.window_w = w, s.window_h = h;
    // 1. An option step.
    if (s.req.option_step) {
        const Row* row = view_selected_row();
        if (s.view == kViewOptions && row && view_hooks().option_step) view_hooks().option_step(row, s.req.option_step);
        s.req.option_step = 0;
    }
    // 2-4. Navigation, Escape, Forward and Back.
    view_apply_navigation();
    view_apply_escape();
    view_apply_forward_back();

    // 5. The main window, with its rect set before every frame.
    UiContainer* main = ui_container_find(ctx, "main");
    if (main) main->rect = ui_rect(0, 0, w, h);
    if (!ui_window_begin(ctx, "main", ui_rect(0, 0, w, h), kMainWindowOptions)) return;

    // 6. The search box, then the change check.
    draw_search_box(ctx, s);
    view_text_changed();

    // 7. Selection and scroll inside the list.
    ShownList& list = view_current_list();
    const int n = list.rows ? list.rows->count : 0;
    if (list.selection >= n) list.selection = n > 0 ? 0 : -1;
    view_scroll_clamp();

    // 8. Rows and footer.
    draw_rows(ctx, s, w);
    view_draw_footer(ctx, s, w);

    // 9. Dialog popups.
    if ((s.capture_active || s.dialog_open) && view_hooks().draw_dialogs) view_hooks().draw_dialogs(ctx);
    ui_window_end(ctx);
}
