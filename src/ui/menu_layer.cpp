#include "ui/menu_layer.h"

#include <cstring>

#include "actions/context_menu.h"
#include "core/arena.h"
#include "core/row.h"
#include "core/text.h"
#include "platform/platform.h"
#include "store/verb_cache.h"
#include "ui/main_view.h"
#include "ui/scope.h"

namespace {

bool exists(const char16_t* p, bool* is_directory) {
    if (!p || !p[0]) return false;
    const uint32_t a = os_files().attributes(text_view(p));
    if (a == win::kInvalidAttributes) return false;
    if (is_directory) *is_directory = (a & win::kAttrDirectory) != 0;
    return true;
}

// The verbs the menu offers now, as the verb records they came from (at most 64).
int32_t collect_verbs(const RowList* entries, ShellVerb* out) {
    int32_t n = 0;
    for (int32_t i = 0; entries && i < entries->count && n < kMenuMaxVerbs; ++i) {
        const Row& e = entries->items[i];
        if (e.kind != kKindShellVerb) continue;
        ShellVerb& v = out[n++];
        text_copy_to(v.label, 128, text_view(e.title));
        text_copy_to(v.verb, 128, text_view(e.argument));
        text_copy_to(v.icon, 260, text_view(e.icon_source));
    }
    return n;
}

// A copy of the open menu's entries, to merge into before it replaces them.
RowList* entries_copy(const RowList* entries) {
    RowList* out = view_list_new();
    if (!out || !entries) return out;
    if (rowlist_reserve(out, entries->count) != 0) {
        view_list_free(out);
        return nullptr;
    }
    for (int32_t i = 0; i < entries->count; ++i) {
        Row r;
        if (row_clone(&entries->items[i], &r, out->arena) == 0) rowlist_add(out, &r);
    }
    return out;
}

bool same_verbs(const VerbCacheEntry* cached, const ShellVerb* verbs, int32_t count) {
    if (!cached || cached->count != count) return false;
    for (int32_t i = 0; i < count; ++i)
        if (text_compare_ci(cached->verbs[i].verb, verbs[i].verb) != 0 ||
            std::u16string_view(cached->verbs[i].label) != std::u16string_view(verbs[i].label))
            return false;
    return true;
}

}  // namespace

bool menu_verb_target(const Row* row, std::u16string* target, bool* is_directory) {
    if (!row) return false;
    for (const char16_t* p : {row->target, row->path}) {
        if (!p || !p[0] || text_starts_with_ci(text_view(p), u"shell:")) continue;
        if (!exists(p, is_directory)) continue;
        if (target) target->assign(p);
        return true;
    }
    return false;
}

void menu_type_key(std::u16string_view target, bool is_directory, char16_t* out, size_t capacity) {
    if (!out || capacity == 0) return;
    std::u16string key;
    if (target.size() <= 3 && target.size() >= 2 && target[1] == u':') {
        key = u"drive";
    } else if (is_directory) {
        key = u"dir";
    } else {
        const size_t slash = target.find_last_of(u"\\/");
        const std::u16string_view name = slash == std::u16string_view::npos ? target : target.substr(slash + 1);
        const size_t dot = name.rfind(u'.');
        key = u"file:";
        if (dot != std::u16string_view::npos)
            for (char16_t c : name.substr(dot)) key += text_fold(c);
    }
    text_copy_to(out, capacity, key);
}

void menu_open(const Row* row) {
    ViewState& s = view_state();
    if (!row || s.menu.open) return;
    RowList* entries = view_list_new();
    if (!entries) return;
    menu_build(row, entries, false);
    menu_assign_icons(row, entries, 0);

    std::u16string target;
    bool is_dir = false;
    char16_t key[kMenuTypeKeyCap] = {};
    const bool has_target = menu_verb_target(row, &target, &is_dir);
    bool merged = false;
    if (has_target) {
        menu_type_key(target, is_dir, key, kMenuTypeKeyCap);
        // Verbs cached for this type show in the menu's first frame; fresh ones follow.
        verb_cache_load();
        const int32_t at = verb_cache_find(key);
        if (const VerbCacheEntry* e = at >= 0 ? verb_cache_at(at) : nullptr) {
            menu_merge_verbs(row, entries, e->verbs, e->count);
            merged = true;
        }
    }
    view_menu_open_for(entries, row);
    ViewMenu& m = s.menu;
    if (!m.open) return;
    m.verbs_merged = merged;
    text_copy_to(m.verb_target, kScopeFolderCap, has_target ? std::u16string_view(target) : std::u16string_view());
    text_copy_to(m.type_key, kMenuTypeKeyCap, text_view(key));
    if (has_target && view_hooks().verbs_request) view_hooks().verbs_request(m.generation, m.verb_target, m.type_key);
}

void menu_rebuild(const Row* target) {
    ViewMenu& m = view_state().menu;
    if (!m.open || !target) return;
    RowList* fresh = view_list_new();
    if (!fresh) return;  // the entries shown stay
    ShellVerb* verbs = arena_new_array<ShellVerb>(fresh->arena, kMenuMaxVerbs);
    const int32_t n = verbs ? collect_verbs(m.entries, verbs) : 0;
    menu_build(target, fresh, false);
    menu_assign_icons(target, fresh, 0);
    if (n > 0) menu_merge_verbs(target, fresh, verbs, n);
    view_menu_replace(fresh);
}

void menu_on_verbs(int32_t generation, const char16_t* target, const ShellVerb* verbs, int32_t count, bool icons_phase) {
    ViewMenu& m = view_state().menu;
    // An answer for an earlier menu, or for another file, is of no use any more.
    if (!m.open || generation != m.generation || !m.has_target || !verbs || count <= 0) return;
    if (text_compare_ci(text_view(target), text_view(m.verb_target)) != 0) return;
    if (count > kMenuMaxVerbs) count = kMenuMaxVerbs;
    RowList* fresh = entries_copy(m.entries);
    if (!fresh) return;
    ShellVerb* copy = arena_new_array<ShellVerb>(fresh->arena, static_cast<uint64_t>(count));
    if (!copy) {
        view_list_free(fresh);
        return;
    }
    std::memcpy(copy, verbs, sizeof(ShellVerb) * static_cast<size_t>(count));

    verb_cache_load();
    const int32_t at = verb_cache_find(m.type_key);
    const VerbCacheEntry* cached = at >= 0 ? verb_cache_at(at) : nullptr;
    if (icons_phase) {
        verb_cache_update_icons(m.type_key, copy, count);
        // The verb entries already in the menu take their icons now.
        for (int32_t i = 0; i < fresh->count; ++i) {
            Row& e = fresh->items[i];
            if (e.kind != kKindShellVerb) continue;
            for (int32_t k = 0; k < count; ++k)
                if (copy[k].icon[0] && text_compare_ci(text_view(e.argument), copy[k].verb) == 0)
                    e.icon_source = text_copy(copy[k].icon, fresh->arena);
        }
    } else {
        // Known icons go into the fresh list; the cache is rewritten only when the verbs changed.
        for (int32_t k = 0; cached && k < count; ++k)
            for (int32_t c = 0; !copy[k].icon[0] && c < cached->count; ++c)
                if (std::u16string_view(cached->verbs[c].verb) == copy[k].verb)
                    text_copy_to(copy[k].icon, 260, cached->verbs[c].icon);
        if (!same_verbs(cached, copy, count)) {
            verb_cache_store(m.type_key, copy, count);
            verb_cache_save();
        }
    }
    menu_merge_verbs(&m.target, fresh, copy, count);
    view_menu_replace(fresh);
}

void menu_scope_join() {
    ViewHooks& h = view_hooks();
    h.open_menu = menu_open;
    h.menu_rebuild = menu_rebuild;
    scope_join_view();
}
