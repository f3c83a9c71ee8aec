#include "actions/context_menu.h"

#include <cstring>
#include <string_view>

#include "core/arena.h"
#include "core/format.h"
#include "core/row.h"
#include "core/text.h"
#include "platform/platform.h"
#include "store/menu_usage.h"
#include "store/pins.h"

namespace {

constexpr std::u16string_view kBlockedVerbs[] = {u"open",  u"runas", u"openas", u"copyaspath", u"opencontainingfolder",
                                                 u"PreviousVersions", u"cut", u"copy", u"paste", u"link", u"delete"};

constexpr char16_t kPinLabel[] = u"Pin to Quick Access";
constexpr char16_t kPinDetail[] = u"Pin - shows up at the top of results";
constexpr char16_t kUnpinLabel[] = u"Remove from Quick Access";
constexpr char16_t kUnpinDetail[] = u"Unpin - no longer jumps to the top";
constexpr int32_t kMaxEntries = 256;  // far above any menu; bounds the ordering scratch

bool has_text(const char16_t* s) { return s && s[0]; }

bool exists_on_disk(const char16_t* path) {
    return has_text(path) && os_files().attributes(text_view(path)) != win::kInvalidAttributes;
}

// Appends one entry; marked entries carry the launcher's name after their detail.
struct Builder {
    RowList* list;

    Row* add(const char16_t* label, const char16_t* detail, bool marked, int32_t kind, const char16_t* target,
             const char16_t* argument = nullptr, int32_t number = 0) {
        Arena* a = list->arena;
        Row r{};
        r.title = text_copy(label, a);
        if (!r.title) return nullptr;  // an entry whose label cannot be copied is left out
        if (marked) {
            std::u16string sub;
            if (has_text(detail)) sub.append(detail).append(kMenuMark);
            else sub = u"Kestrune";
            r.subtitle = text_copy_view(sub, a);
        } else {
            r.subtitle = text_copy(detail ? detail : u"", a);
        }
        r.target = has_text(target) ? text_copy(target, a) : nullptr;
        r.argument = has_text(argument) ? text_copy(argument, a) : nullptr;
        r.number = number;
        r.kind = kind;
        r.score = 100 - list->count;
        if (rowlist_add(list, &r) != 0) return nullptr;
        return &list->items[list->count - 1];
    }

    void pin(const char16_t* target, const char16_t* title, bool pinned) {
        add(pinned ? kUnpinLabel : kPinLabel, pinned ? kUnpinDetail : kPinDetail, true, kKindPinToggle, target, title);
    }
};

// Orders entries [from, count) by use, highest first; equal counts keep their order.
void order_by_use(RowList* list, int32_t from) {
    const int32_t n = list->count - from;
    if (n < 2 || n > kMaxEntries) return;
    int32_t counts[kMaxEntries];
    Row* items = list->items + from;
    bool any = false;
    for (int32_t i = 0; i < n; ++i) {
        counts[i] = menu_usage_count(items[i].kind, items[i].title, items[i].argument);
        any |= counts[i] > 0;
    }
    if (!any) return;
    for (int32_t i = 1; i < n; ++i) {
        const Row moving = items[i];
        const int32_t c = counts[i];
        int32_t j = i;
        while (j > 0 && counts[j - 1] < c) {
            items[j] = items[j - 1];
            counts[j] = counts[j - 1];
            --j;
        }
        items[j] = moving;
        counts[j] = c;
    }
}

// The last component of a path ("" for a drive root such as "C:\").
std::u16string_view last_component(std::u16string_view path) {
    while (!path.empty() && (path.back() == u'\\' || path.back() == u'/')) {
        // A root keeps its separator and has no name of its own.
        if (path.size() <= 3 && path.size() >= 2 && path[1] == u':') return {};
        path.remove_suffix(1);
    }
    const size_t at = path.find_last_of(u"\\/");
    std::u16string_view name = at == std::u16string_view::npos ? path : path.substr(at + 1);
    if (name.size() == 2 && name[1] == u':') return {};  // "C:" alone is a drive, not a name
    return name;
}

void add_verb_entries(Builder& b, const std::u16string& file, const ShellVerb* verbs, int32_t count) {
    const std::u16string name(last_component(file));
    // Every verb acts on the same file: one copy of its path serves them all (and their icons).
    char16_t* shared = nullptr;
    // The verbs already in the menu, by the hash of their name, so that a repeat is found at once.
    uint32_t seen[kMaxEntries];
    int32_t seen_count = 0;
    for (int32_t k = 0; k < b.list->count && seen_count < kMaxEntries; ++k)
        if (b.list->items[k].kind == kKindShellVerb) seen[seen_count++] = text_hash_ci(text_view(b.list->items[k].argument));
    for (int32_t i = 0; i < count; ++i) {
        const ShellVerb& v = verbs[i];
        if (!v.verb[0] || !v.label[0] || menu_verb_blocked(v.verb)) continue;
        const std::u16string_view verb(v.verb);
        const uint32_t h = text_hash_ci(verb);
        bool repeated = false;
        for (int32_t k = 0; k < seen_count && !repeated; ++k) {
            if (seen[k] != h) continue;
            // Equal hashes: make sure with the names themselves.
            for (int32_t e = 0; e < b.list->count && !repeated; ++e) {
                const Row& r = b.list->items[e];
                repeated = r.kind == kKindShellVerb && text_equal_ci(text_view(r.argument), verb);
            }
        }
        if (repeated) continue;
        if (!shared) shared = text_copy_view(file, b.list->arena);
        Row* e = b.add(v.label, name.c_str(), false, kKindShellVerb, nullptr, v.verb);
        if (!e) continue;
        e->target = shared;
        if (v.icon[0]) e->icon_source = text_copy(v.icon, b.list->arena);
        if (seen_count < kMaxEntries) seen[seen_count++] = h;
    }
}

// Uninstall rows: their own entries only, then ordering by use.
void build_uninstall(Builder& b, const Row* row) {
    b.add(u"Uninstall", row->title, true, kKindUninstall, row->target);
    MenuUninstallInfo info;
    if (has_text(row->title) && menu_services().uninstall_lookup && menu_services().uninstall_lookup(row->title, row->target, &info)) {
        if (!info.quiet_command.empty())
            b.add(u"Quiet uninstall", row->title, true, kKindQuietUninstall, info.quiet_command.c_str());
        if (!info.install_location.empty())
            b.add(u"Open install location", info.install_location.c_str(), true, kKindInstallLocation,
                  info.install_location.c_str());
    }
    if (has_text(row->target)) b.add(u"Copy uninstall command", row->target, true, kKindCopyText, row->target);
    if (has_text(row->title)) b.add(u"Copy name", row->title, true, kKindCopyText, row->title);
}

void build_process(Builder& b, const Row* row) {
    char16_t pid[32];
    const char16_t* detail = row->subtitle;
    if (!has_text(detail)) {
        if (row->number != 0) {
            text_format(pid, 32, "PID %lu", static_cast<unsigned long>(static_cast<uint32_t>(row->number)));
            detail = pid;
        } else if (has_text(row->argument)) {
            detail = row->argument;
        } else {
            detail = u"all matching processes";
        }
    }
    b.add(row->number != 0 ? u"End process" : u"End all processes", detail, true, kKindProcess, nullptr,
          row->argument, row->number);
}

void build_file_entries(Builder& b, const Row* row, const std::u16string& f, bool is_dir, bool with_verbs) {
    const char16_t* file = f.c_str();
    MenuTerminalEntry term;
    if (is_dir && menu_services().terminal_default_entry && menu_services().terminal_default_entry(&term)) {
        Row* e = b.add(u"Open in Terminal", term.display_name.c_str(), true, kKindOpenInTerminal, file, term.key.c_str());
        if (e && !term.icon.empty()) e->icon_source = text_copy_view(term.icon, b.list->arena);
        b.add(u"Choose shell...", u"All shells and profiles", true, kKindChooseShell, file);
    }
    const size_t cut = f.find_last_of(u'\\');
    const std::u16string folder = cut == std::u16string::npos ? f : f.substr(0, cut);
    b.add(u"Open containing folder", folder.c_str(), false, kKindContainingFolder, file);
    if (!is_dir) b.add(u"Open with...", u"Choose an app to open this file", false, kKindOpenWith, file);
    b.pin(file, row->title, pin_is_pinned(file, nullptr, kKindOpen));
    if (!is_dir) b.add(u"Run as administrator", row->title, false, kKindRunAsAdmin, file);
    if (with_verbs && menu_services().shell_verbs_list) {
        ShellVerb* verbs = arena_new_array<ShellVerb>(b.list->arena, kMenuMaxVerbs);
        const int32_t n = verbs ? menu_services().shell_verbs_list(file, verbs, kMenuMaxVerbs) : 0;
        add_verb_entries(b, f, verbs, n > kMenuMaxVerbs ? kMenuMaxVerbs : n);
    }
    b.add(u"Copy path", file, true, kKindCopyText, file);
    const std::u16string name(last_component(f));
    if (!name.empty()) b.add(u"Copy name", name.c_str(), true, kKindCopyText, name.c_str());
    b.add(u"Copy file", u"Paste it into Explorer with Ctrl+V", true, kKindCopyFile, file);
}

void build_no_file(Builder& b, const Row* row) {
    const int32_t kind = row->kind;
    const bool command = kind == kKindExit || (kind >= kKindShutdown && kind <= kKindOpenDataFolder);
    const bool settings = kind == kKindSettings && has_text(row->target);
    if (command || settings) {
        const bool pinned = settings ? pin_is_pinned(nullptr, row->target, kKindSettings)
                                     : pin_is_pinned(u"", nullptr, kind);
        const char16_t* label = pinned ? kUnpinLabel : kPinLabel;
        const char16_t* detail = !pinned ? kPinDetail : settings ? u"Unpin this settings page" : u"Unpin this command";
        Row* e = b.add(label, detail, true, kKindPinToggle, settings ? row->target : nullptr, row->title);
        if (e) {
            e->sub_kind = kind;
            if (settings && row->subtitle) e->path = text_copy(row->subtitle, b.list->arena);
        }
    }
    if (has_text(row->title)) b.add(u"Copy title", row->title, true, kKindCopyText, row->title);
    if (has_text(row->subtitle)) b.add(u"Copy details", row->subtitle, true, kKindCopyText, row->subtitle);
}

}  // namespace

MenuServices& menu_services() {
    static MenuServices services;
    return services;
}

bool menu_verb_blocked(const char16_t* verb) {
    const std::u16string_view v = text_view(verb);
    for (std::u16string_view b : kBlockedVerbs)
        if (text_equal_ci(v, b)) return true;
    return false;
}

bool menu_row_file(const Row* row, std::u16string* file, bool* is_directory) {
    if (!row) return false;
    for (const char16_t* p : {row->path, row->target, row->subtitle}) {
        if (!has_text(p)) continue;
        const uint32_t attributes = os_files().attributes(text_view(p));
        if (attributes == win::kInvalidAttributes) continue;
        if (file) file->assign(p);
        if (is_directory) *is_directory = (attributes & win::kAttrDirectory) != 0;
        return true;
    }
    return false;
}

void menu_build(const Row* row, RowList* entries, bool with_verbs) {
    if (!row || !entries || !entries->arena) return;
    Builder b{entries};
    const int32_t n = entries->count;
    switch (row->kind) {
    case kKindOpen:
    case kKindSettings:
        if (has_text(row->target)) b.add(u"Open", row->title, false, row->kind, row->target);
        break;
    case kKindProcess: build_process(b, row); break;
    case kKindUninstall:
    case kKindQuietUninstall:
    case kKindInstallLocation:
        build_uninstall(b, row);
        order_by_use(entries, n);
        return;
    default: break;
    }

    if (row->from_history) b.add(u"Remove from Recent", u"Forget this launch", true, kKindForget, row->target, row->title);
    std::u16string file;
    bool is_dir = false;
    if (row->kind == kKindOpen && text_starts_with_ci(text_view(row->target), u"shell:")) {
        b.pin(row->target, row->title, pin_is_pinned(row->target, nullptr, kKindOpen));
        b.add(u"Copy app ID", row->target, true, kKindCopyText, row->target);
    } else if (menu_row_file(row, &file, &is_dir)) {
        build_file_entries(b, row, file, is_dir, with_verbs);
    } else {
        build_no_file(b, row);
    }
    order_by_use(entries, n);
}

void menu_assign_icons(const Row* row, RowList* entries, int32_t from) {
    if (!row || !entries || !entries->arena) return;
    const char16_t* fallback = has_text(row->icon_source) ? row->icon_source : row->path;
    // Verb entries share one target: remember the last answer instead of asking the disk again.
    const char16_t* last_target = nullptr;
    bool last_exists = false;
    for (int32_t i = from < 0 ? 0 : from; i < entries->count; ++i) {
        Row& e = entries->items[i];
        if (has_text(e.icon_source) || has_text(e.path)) continue;
        if (has_text(e.target)) {
            if (e.target != last_target) {
                last_target = e.target;
                last_exists = exists_on_disk(e.target);
            }
            if (last_exists) {
                // Entries that share their target share its copy as their icon too.
                e.icon_source = e.target;
                continue;
            }
        }
        if (has_text(fallback)) e.icon_source = text_copy(fallback, entries->arena);
    }
}

void menu_merge_verbs(const Row* row, RowList* entries, const ShellVerb* verbs, int32_t count) {
    if (!row || !entries || !entries->arena || !verbs || count <= 0) return;
    std::u16string file;
    if (!menu_row_file(row, &file, nullptr)) return;
    if (count > kMenuMaxVerbs) count = kMenuMaxVerbs;

    // 1-2. The copy block (and what follows it) moves aside while the verbs go in before it.
    int32_t at = entries->count;
    for (int32_t i = 0; i < entries->count; ++i)
        if (entries->items[i].kind == kKindCopyText || entries->items[i].kind == kKindCopyFile) {
            at = i;
            break;
        }
    const int32_t tail = entries->count - at;
    // Room for every verb up front, so that putting the copy block back cannot fail.
    if (rowlist_reserve(entries, count) != 0) return;
    Row* side = tail > 0 ? arena_new_array<Row>(entries->arena, static_cast<uint64_t>(tail)) : nullptr;
    if (tail > 0 && !side) return;
    if (tail > 0) std::memcpy(side, entries->items + at, sizeof(Row) * static_cast<size_t>(tail));
    entries->count = at;

    // 3. The verbs, then 4. the side list back after them.
    Builder b{entries};
    add_verb_entries(b, file, verbs, count);
    for (int32_t i = 0; i < tail; ++i) rowlist_add(entries, &side[i]);
    // 5. Icons from the insertion point on.
    menu_assign_icons(row, entries, at);

    // 6. A verb whose label doubles a built-in entry goes.
    uint32_t labels[kMaxEntries];
    int32_t label_count = 0;
    for (int32_t i = 0; i < entries->count && label_count < kMaxEntries; ++i)
        if (entries->items[i].kind != kKindShellVerb) labels[label_count++] = text_hash_ci(text_view(entries->items[i].title));
    int32_t w = 0;
    for (int32_t i = 0; i < entries->count; ++i) {
        const Row& e = entries->items[i];
        bool doubled = false;
        if (e.kind == kKindShellVerb) {
            const uint32_t h = text_hash_ci(text_view(e.title));
            bool maybe = false;
            for (int32_t k = 0; k < label_count && !maybe; ++k) maybe = labels[k] == h;
            for (int32_t k = 0; maybe && k < entries->count && !doubled; ++k) {
                const Row& o = entries->items[k];
                doubled = o.kind != kKindShellVerb && text_compare_ci(o.title, e.title) == 0;
            }
        }
        if (!doubled) entries->items[w++] = e;
    }
    entries->count = w;
    // 7. The whole menu by use.
    order_by_use(entries, 0);
}

int32_t menu_find_entry(const RowList* entries, int32_t kind, const char16_t* label, const char16_t* verb) {
    if (!entries) return -1;
    for (int32_t i = 0; i < entries->count; ++i) {
        const Row& e = entries->items[i];
        if (e.kind != kind || text_compare_ci(e.title, label) != 0) continue;
        if (kind == kKindShellVerb && text_compare_ci(e.argument, verb) != 0) continue;
        return i;
    }
    return -1;
}
