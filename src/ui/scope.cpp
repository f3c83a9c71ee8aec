#include "ui/scope.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/row.h"
#include "core/text.h"
#include "core/utf.h"
#include "platform/platform.h"
#include "ui/fonts.h"
#include "ui/main_view.h"
#include "ui/metrics.h"
#include "ui/palette.h"
#include "ui/text_fit.h"
#include "ui/text_measure.h"
#include "ui/view_draw.h"

namespace {

constexpr size_t kScopeMaxUnits = kScopeFolderCap - 1;  // 259
constexpr char kEllipsis[] = "\xE2\x80\xA6";            // "…"

Breadcrumbs g_crumbs{};

bool is_sep(char16_t c) { return c == u'\\' || c == u'/'; }
bool is_letter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }
bool is_unc(std::u16string_view p) { return p.size() >= 2 && is_sep(p[0]) && is_sep(p[1]); }
bool has_drive(std::u16string_view p) { return p.size() >= 2 && is_letter(p[0]) && p[1] == u':'; }

// "X:" or "X:\" (one separator at most).
bool is_drive_text(std::u16string_view t) {
    return has_drive(t) && (t.size() == 2 || (t.size() == 3 && is_sep(t[2])));
}

// The root of a scope: "C:\" for a drive path, "\\srv\share\" for a share; empty otherwise.
std::u16string scope_root(std::u16string_view scope) {
    if (has_drive(scope)) return std::u16string(scope.substr(0, 2)) + u"\\";
    if (!is_unc(scope)) return {};
    size_t seps = 0;
    for (size_t i = 0; i < scope.size(); ++i)
        if (is_sep(scope[i]) && ++seps == 4) return std::u16string(scope.substr(0, i + 1));
    return std::u16string(scope) + u"\\";
}

// Index of the n-th separator (1-based) in p, or npos.
size_t nth_sep(std::u16string_view p, size_t n) {
    size_t seen = 0;
    for (size_t i = 0; i < p.size(); ++i)
        if (is_sep(p[i]) && ++seen == n) return i;
    return std::u16string_view::npos;
}

// The folder an absolute candidate names, in scope form; false when it is none.
bool resolve_folder(std::u16string_view candidate, std::u16string& out) {
    if (candidate.empty() || candidate.find(u'"') != std::u16string_view::npos) return false;
    std::u16string full, long_form;
    if (os_files().full_path(candidate, full) != 0 || full.empty()) return false;
    // The existence test first: it is the cheap answer for most texts, which name nothing.
    const uint32_t attributes = os_files().attributes(full);
    if (attributes == win::kInvalidAttributes || !(attributes & win::kAttrDirectory)) return false;
    // Only a short (8.3) name differs from its long form, and those always hold a tilde; looking
    // every name up again costs a directory search per component (about a millisecond under wine).
    if (full.find(u'~') == std::u16string::npos || os_files().long_path(full, long_form) != 0 || long_form.empty())
        long_form = std::move(full);
    if (long_form.find(u'"') != std::u16string::npos) return false;
    if (!is_sep(long_form.back())) long_form += u'\\';
    if (long_form.size() >= 2 && long_form[1] == u':' && long_form[0] >= u'a' && long_form[0] <= u'z')
        long_form[0] = static_cast<char16_t>(long_form[0] - 32);
    if (long_form.size() > kScopeMaxUnits) return false;
    out = std::move(long_form);
    return true;
}

// Puts a new scope in place (empty leaves it): selection and scroll reset, box focused, search re-run.
void scope_set(std::u16string_view folder, bool clear_text) {
    ViewState& s = view_state();
    text_copy_to(s.scope_folder, kScopeFolderCap, folder);
    if (clear_text) {
        box_clear(s.box);
        box_change_handled(s.box);
    }
    s.shown.selection = -1;
    s.shown.scroll = 0;
    s.req.focus_box = true;
    view_search_rerun();
}

int chip_text_width(const char* text) { return text_width(font_medium(), text, -1); }

}  // namespace

bool scope_resolve_text(std::u16string_view text, std::u16string_view scope, std::u16string& out) {
    if (text.empty()) return false;
    if (is_drive_text(text)) {
        const uint32_t bit = 1u << (text_fold(text[0]) - u'a');
        if (!(os_files().logical_drives() & bit)) return false;
        // The drive itself, never the working folder GetFullPathNameW gives for "C:".
        const char16_t root[4] = {text[0], u':', u'\\', 0};
        return resolve_folder(root, out);
    }
    if (std::none_of(text.begin(), text.end(), is_sep)) return false;
    if (!scope.empty() && !has_drive(text) && !is_unc(text)) {
        // Inside a scope a path is read the way an address bar reads it.
        std::u16string candidate = is_sep(text[0]) ? scope_root(scope) + std::u16string(text.substr(1))
                                                   : std::u16string(scope) + std::u16string(text);
        return resolve_folder(candidate, out);
    }
    return resolve_folder(text, out);
}

bool scope_check_text(const char* utf8_text) {
    const ViewState& s = view_state();
    if (s.view != kViewSearch || !utf8_text || !utf8_text[0]) return false;
    char16_t text[kBoxTextSize];
    const size_t n = utf8_to_utf16(std::string_view(utf8_text), text, kBoxTextSize);
    std::u16string folder;
    if (!scope_resolve_text(std::u16string_view(text, n), text_view(s.scope_folder), folder)) return false;
    scope_set(folder, true);
    return true;
}

bool scope_enter(std::u16string_view path) {
    std::u16string folder;
    if (!resolve_folder(path, folder)) return false;
    scope_set(folder, true);
    return true;
}

std::u16string scope_parent(std::u16string_view scope) {
    while (!scope.empty() && is_sep(scope.back())) scope.remove_suffix(1);
    if (scope.empty()) return {};
    if (scope.size() == 2 && has_drive(scope)) return {};  // a drive root: the scope ends
    if (is_unc(scope)) {
        // "\\srv\share" is the top of a share, as a drive root is.
        const size_t seps = static_cast<size_t>(std::count_if(scope.begin(), scope.end(), is_sep));
        if (seps <= 3) return {};
    }
    const size_t at = scope.find_last_of(u"\\/");
    if (at == std::u16string_view::npos) return {};
    return std::u16string(scope.substr(0, at + 1));
}

void scope_up() {
    const ViewState& s = view_state();
    if (!s.scope_folder[0]) return;
    scope_set(scope_parent(text_view(s.scope_folder)), false);
}

std::u16string scope_cut_at_segment(std::u16string_view scope, int32_t k) {
    if (k < 1) return {};
    const size_t at = nth_sep(scope, is_unc(scope) ? static_cast<size_t>(k) + 3 : static_cast<size_t>(k));
    if (at == std::u16string_view::npos) return {};
    return std::u16string(scope.substr(0, at + 1));
}

void scope_to_segment(int32_t k) {
    const ViewState& s = view_state();
    const std::u16string cut = scope_cut_at_segment(text_view(s.scope_folder), k);
    if (cut.empty()) return;
    scope_set(cut, false);
}

bool scope_dive(const Row* row) {
    if (!row) return false;
    const char16_t* path = row->path && row->path[0] ? row->path : row->subtitle;
    if (!path || !path[0]) return false;
    if (!row_is_folder(row)) return false;
    std::u16string folder;
    if (!resolve_folder(text_view(path), folder)) return false;
    if (view_state().view != kViewSearch) view_close();
    scope_set(folder, true);
    return true;
}

int32_t scope_segments(std::u16string_view scope, std::u16string* out, int32_t max) {
    int32_t n = 0;
    size_t i = 0;
    auto push = [&](std::u16string_view seg) {
        if (n < max) out[n++] = std::u16string(seg.substr(0, kSegmentNameMax));
    };
    if (has_drive(scope)) {
        push(scope.substr(0, 2));
        i = 2;
    } else if (is_unc(scope)) {
        const size_t share_end = nth_sep(scope, 4);
        const size_t server_end = nth_sep(scope, 3);
        if (server_end != std::u16string_view::npos) {
            const std::u16string_view server = scope.substr(2, server_end - 2);
            const std::u16string_view share =
                scope.substr(server_end + 1, (share_end == std::u16string_view::npos ? scope.size() : share_end) - server_end - 1);
            // The share's own segment holds the server and the share, as Explorer writes it.
            std::u16string first = u"\\\\";
            first.append(server).append(u"\\").append(share.substr(0, kSegmentNameMax));
            if (n < max) out[n++] = first;
            i = share_end == std::u16string_view::npos ? scope.size() : share_end;
        } else {
            i = 2;
        }
    }
    while (i < scope.size() && n < max) {
        while (i < scope.size() && is_sep(scope[i])) ++i;
        size_t j = i;
        while (j < scope.size() && !is_sep(scope[j])) ++j;
        if (j > i) push(scope.substr(i, j - i));
        i = j;
    }
    return n;
}

// --- breadcrumbs ---------------------------------------------------------------------------------

const Breadcrumbs& breadcrumbs() { return g_crumbs; }

void breadcrumbs_layout(int32_t left_x, int32_t available) {
    Breadcrumbs& c = g_crumbs;
    const int32_t band_top = c.band_top, band_bottom = c.band_bottom;
    c = Breadcrumbs{};
    c.band_top = band_top, c.band_bottom = band_bottom;
    const ViewState& s = view_state();
    if (!s.scope_folder[0]) return;
    std::u16string segs[kBreadcrumbMax];
    const int32_t n = scope_segments(text_view(s.scope_folder), segs, kBreadcrumbMax);
    if (n == 0) return;
    const int32_t pad = scale(6), gap = scale(4);
    BreadcrumbChip all[kBreadcrumbMax];
    int32_t widths[kBreadcrumbMax];
    int32_t total = 0;
    for (int32_t i = 0; i < n; ++i) {
        char utf8[kBreadcrumbTextCap], fit[kBreadcrumbTextCap];
        utf16_to_utf8(segs[i], utf8, sizeof utf8);
        const char* shown = text_fit(font_medium(), utf8, scale(180), fit, sizeof fit);
        std::snprintf(all[i].text, sizeof all[i].text, "%s", shown);
        all[i].segment = i + 1;
        widths[i] = chip_text_width(all[i].text) + 2 * pad;
        total += widths[i] + (i > 0 ? gap : 0);
    }
    auto place = [&](int32_t i, int32_t x) {
        BreadcrumbChip& chip = c.chips[c.count++];
        chip = all[i];
        chip.left = x;
        chip.right = x + widths[i];
        return chip.right + gap;
    };
    int32_t x = left_x;
    if (total <= available) {
        for (int32_t i = 0; i < n; ++i) x = place(i, x);
        return;
    }
    // The first chip, the ellipsis, then the last chips that still fit.
    x = place(0, x);
    c.ellipsis = true;
    c.ellipsis_x = x;
    c.ellipsis_w = text_width(font_large(), kEllipsis, -1) + 2 * pad;
    x += c.ellipsis_w + gap;
    int32_t room = available - (x - left_x);
    int32_t first_last = n;
    while (first_last - 1 > 0 && widths[first_last - 1] + gap <= room) {
        --first_last;
        room -= widths[first_last] + gap;
    }
    for (int32_t i = first_last; i < n; ++i) x = place(i, x);
}

int32_t breadcrumbs_draw(UiContext* ctx, UiRect box) {
    const ViewState& s = view_state();
    g_crumbs.band_top = box.y + scale(11);
    g_crumbs.band_bottom = box.y + box.h - scale(11);
    if (!s.scope_folder[0]) {
        breadcrumbs_layout(0, 0);
        return 0;
    }
    const int32_t text_w = text_width(font_medium(), s.box.text, s.box.length);
    const int32_t available =
        std::max(scale(120), box.w - scale(14) - scale(8) - text_w - scale(40) - scale(8));
    breadcrumbs_layout(scale(14), available);
    const Breadcrumbs& c = g_crumbs;
    const int32_t band_h = c.band_bottom - c.band_top;
    int32_t end = 0;
    auto chip_rect = [&](int32_t left, int32_t w) { ui_fill_rect(ctx, ui_rect(left, c.band_top, w, band_h), palette_color(kSlotKeyCap)); };
    for (int32_t i = 0; i < c.count; ++i) {
        const BreadcrumbChip& chip = c.chips[i];
        chip_rect(chip.left, chip.right - chip.left);
        const int32_t ty = c.band_top + (band_h - text_height(font_medium())) / 2;
        ui_text_at(ctx, font_medium(), chip.text, -1, ui_vec(chip.left + scale(6), ty), palette_color(kSlotText));
        end = std::max(end, chip.right);
    }
    if (c.ellipsis) {
        chip_rect(c.ellipsis_x, c.ellipsis_w);
        const int32_t ty = c.band_top + (band_h - text_height(font_large())) / 2;
        ui_text_at(ctx, font_large(), kEllipsis, -1, ui_vec(c.ellipsis_x + scale(6), ty), palette_color(kSlotDim));
        end = std::max(end, c.ellipsis_x + c.ellipsis_w);
    }
    return end;
}

int32_t breadcrumb_hit(int32_t x, int32_t y) {
    const Breadcrumbs& c = g_crumbs;
    if (y < c.band_top || y >= c.band_bottom) return 0;
    for (int32_t i = 0; i < c.count; ++i)
        if (x >= c.chips[i].left && x < c.chips[i].right) return c.chips[i].segment;
    return 0;
}

bool ellipsis_hit(int32_t x, int32_t y) {
    const Breadcrumbs& c = g_crumbs;
    return c.ellipsis && y >= c.band_top && y < c.band_bottom && x >= c.ellipsis_x && x < c.ellipsis_x + c.ellipsis_w;
}

bool scope_box_press(int32_t x, int32_t y) {
    if (!view_state().scope_folder[0]) return false;
    if (const int32_t k = breadcrumb_hit(x, y)) {
        scope_to_segment(k);
        return true;
    }
    if (ellipsis_hit(x, y)) {
        scope_up();
        return true;
    }
    return false;
}

void scope_join_view() {
    ViewHooks& h = view_hooks();
    h.scope_check = scope_check_text;
    h.scope_up = scope_up;
    h.folder_dive = scope_dive;
    h.box_press = scope_box_press;
    view_draw_hooks().draw_chips = [](UiContext* ctx, UiRect box) { return static_cast<int>(breadcrumbs_draw(ctx, box)); };
}
