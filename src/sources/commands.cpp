#include "sources/commands.h"

#include <vector>

#include "app/placement.h"
#include "core/format.h"
#include "core/row.h"
#include "core/text.h"
#include "platform/display.h"
#include "platform/platform.h"
#include "query/fuzzy.h"

namespace {

constexpr SystemCommand kCommands[kSystemCommandCount] = {
    {u"Shutdown", u"Shut down this computer", kKindShutdown},
    {u"Restart", u"Restart this computer", kKindRestart},
    {u"Restart With Advanced Boot Options", u"Restart into Safe Mode and recovery options", kKindRestartAdvanced},
    {u"Log Off", u"Log off / sign out", kKindLogOff},
    {u"Lock", u"Lock this computer", kKindLock},
    {u"Sleep", u"Put the computer to sleep", kKindSleep},
    {u"Hibernate", u"Hibernate this computer", kKindHibernate},
    {u"Indexing Options", u"Windows Search indexing options", kKindIndexingOptions},
    {u"Empty Recycle Bin", u"Empty the Recycle Bin", kKindEmptyRecycleBin},
    {u"Open Recycle Bin", u"Open the Recycle Bin", kKindOpenRecycleBin},
    {u"Exit", u"Close Kestrune", kKindExit},
    {u"Restart Kestrune", u"Restart Kestrune", kKindRestartLauncher},
    {u"Reload Plugin Data", u"Re-index Start Menu apps", kKindReloadApps},
    {u"Kestrune Data Folder", u"Open where pins are stored", kKindOpenDataFolder},
};

constexpr size_t kIconCap = 261;      // 260 units
constexpr size_t kSubtitleCap = 256;  // 255 units

// The title tiers, else the subtitle tiers; -1 when neither matches.
int32_t title_or_subtitle(const char16_t* query, const char16_t* title, const char16_t* subtitle) {
    int32_t s = fuzzy_score(query, title, 110, 100, 85);
    if (s < 0) s = fuzzy_score(query, subtitle, 100, 90, 80);
    return s;
}

// control.exe under the system root, once per call and only when the row is added.
struct ControlIcon {
    bool done = false;
    char16_t path[kIconCap] = {};
    const char16_t* get() {
        if (!done) {
            done = true;
            if (platform().env && platform().files) {
                char16_t pattern[kIconCap];
                text_format(pattern, kIconCap, "%%SystemRoot%%\\%s", u"System32\\control.exe");
                std::u16string expanded = os_env().expand(pattern);
                uint32_t a = expanded.size() < kIconCap ? os_files().attributes(expanded) : win::kInvalidAttributes;
                if (a != win::kInvalidAttributes && !(a & win::kAttrDirectory)) text_copy_to(path, kIconCap, expanded);
            }
        }
        return path[0] ? path : nullptr;
    }
};

void add_command(RowList* out, const SystemCommand& c, int32_t score, ControlIcon& icon) {
    if (rowlist_add_fields(out, c.title, c.subtitle, nullptr, nullptr, c.kind, score) != 0) return;
    Row& r = out->items[out->count - 1];
    r.tag = tag::kCommand;
    if (c.kind == kKindIndexingOptions) {
        if (const char16_t* p = icon.get()) r.icon_source = text_copy(p, out->arena);
    }
}

int32_t clamp0(int32_t v) { return v < 0 ? 0 : v; }

}  // namespace

const SystemCommand* system_commands() { return kCommands; }

const char16_t* command_subtitle(int32_t kind) {
    for (const auto& c : kCommands)
        if (c.kind == kind) return c.subtitle;
    return nullptr;
}

void monitor_rows(const char16_t* query, RowList* out) {
    if (!out || !platform().display) return;
    std::vector<DisplayMonitor> monitors;
    os_display().monitors(monitors);
    const bool scored = query && *query;
    const size_t n = monitors.size() < size_t(kMonitorRowCap) ? monitors.size() : size_t(kMonitorRowCap);
    char16_t title[64], subtitle[kSubtitleCap], name[kMonitorDeviceCap];
    for (size_t i = 0; i < n; ++i) {
        const DisplayMonitor& m = monitors[i];
        if (!m.info_ok) continue;
        monitor_device_clean(m.device, name, kMonitorDeviceCap);
        const int32_t number = static_cast<int32_t>(i + 1);
        text_format(title, sizeof title / sizeof title[0], "Move to monitor %d", number);
        text_format(subtitle, kSubtitleCap, "%s \u00b7 %dx%d work area", name[0] ? name : u"display",
                    clamp0(m.work.right - m.work.left), clamp0(m.work.bottom - m.work.top));
        int32_t score = 100;
        if (scored) {
            score = title_or_subtitle(query, title, subtitle);
            if (score < 0) continue;
        }
        if (rowlist_add_fields(out, title, subtitle, nullptr, nullptr, kKindMoveToMonitor, score) != 0) continue;
        Row& r = out->items[out->count - 1];
        r.number = number;
        r.tag = tag::kCommand;
    }
}

void list_commands(RowList* out) {
    if (!out) return;
    ControlIcon icon;
    for (const auto& c : kCommands) add_command(out, c, 100, icon);
    monitor_rows(nullptr, out);
}

void search_commands(const char16_t* query, RowList* out) {
    if (!out || !query) return;
    ControlIcon icon;
    for (const auto& c : kCommands) {
        int32_t s = title_or_subtitle(query, c.title, c.subtitle);
        if (s >= 0) add_command(out, c, s, icon);
    }
    monitor_rows(query, out);
}

void system_rows(const char16_t* text, RowList* out) {
    const char16_t* t = text ? text : u"";
    while (*t == u' ' || *t == u'\t') ++t;
    if (!*t) list_commands(out);
    else search_commands(t, out);
}
