#include "query/pipeline_sources.h"

namespace {
// The sources' modules put their entry points here as they join the build.
PipelineSources g_sources{};
}  // namespace

const PipelineSources& pipeline_sources() { return g_sources; }

PipelineSources pipeline_sources_install(const PipelineSources& sources) {
    PipelineSources old = g_sources;
    g_sources = sources;
    return old;
}
