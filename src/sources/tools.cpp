#include "sources/tools.h"

#include <atomic>

#include "actions/actions.h"
#include "core/format.h"
#include "core/row.h"
#include "query/pipeline_sources.h"
#include "sources/commands.h"
#include "sources/tools_table.h"
#include "ui/view_rows.h"
#include "ui/view_state.h"

namespace {

constexpr size_t kToolSubtitleCap = 256;  // 255 units

// Read by the search workers, set at start-up.
std::atomic<ToolBuilder> g_builders[3] = {nullptr, nullptr, system_rows};

}  // namespace

void tool_set_builder(int32_t tool, ToolBuilder builder) {
    if (tool < 0 || tool >= tool_count()) return;
    g_builders[tool].store(builder, std::memory_order_release);
}

void run_tool(int32_t tool, const char16_t* argument, RowList* out) {
    if (!out || tool < 0 || tool >= tool_count()) return;
    ToolBuilder b = g_builders[tool].load(std::memory_order_acquire);
    if (b) b(argument ? argument : u"", out);
}

void tool_list_rows(RowList* out) {
    if (!out) return;
    char16_t subtitle[kToolSubtitleCap];
    for (int32_t i = 0; i < tool_count(); ++i) {
        text_format(subtitle, kToolSubtitleCap, "%s \u00b7 %s", tool_example(i), tool_description(i));
        if (rowlist_add_fields(out, tool_name(i), subtitle, nullptr, nullptr, kKindToolPage, 100 - i) != 0) continue;
        Row& r = out->items[out->count - 1];
        r.number = i;
        r.tag = tag::kUtility;
    }
}

void tools_join() {
    PipelineSources sources = pipeline_sources();
    sources.run_tool = run_tool;
    sources.search_commands = search_commands;
    pipeline_sources_install(sources);
    action_services().command_subtitle = command_subtitle;
    view_rows_set(kViewTools, tool_list_rows);
}
