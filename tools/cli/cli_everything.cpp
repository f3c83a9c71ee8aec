// kestrune-cli everything TEXT... [--max N] [--offset N] [--pause MS]: queries to the running
// Everything one after another in one client (MS apart), each as a line "result N TEXT" (0 done,
// 1 unavailable, 2 no reply in time, 3 refused) followed by its rows.
// kestrune-cli everything-bench TEXT [queries]: the median time of a whole query round trip.
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "core/arena.h"
#include "core/row.h"
#include "core/text.h"
#include "core/utf.h"
#include "indexers/everything_client.h"
#include "tools/cli/cli.h"

namespace {

struct QueryJob {
    std::vector<std::u16string> texts;  // the texts of the "everything" command, in turn
    uint32_t pause_ms = 0;
    std::string report;
    std::u16string text;
    uint32_t max = 0;
    uint32_t offset = 0;
    int repeat = 1;
    RowList* rows = nullptr;
    int32_t result = -1;
    std::vector<double> micros;
};

std::string row_line(const Row& r);

void run_texts(void* p) {
    auto* job = static_cast<QueryJob*>(p);
    for (size_t i = 0; i < job->texts.size(); ++i) {
        if (i && job->pause_ms) std::this_thread::sleep_for(std::chrono::milliseconds(job->pause_ms));
        job->rows->count = 0;
        const int32_t result =
            everything_query(job->texts[i].c_str(), job->rows, job->max, job->offset, job->texts[i].c_str());
        job->report += "result " + std::to_string(result) + " " + utf16_to_utf8(job->texts[i]) + "\n";
        for (int32_t k = 0; k < job->rows->count; ++k) job->report += row_line(job->rows->items[k]);
    }
}

void run_job(void* p) {
    auto* job = static_cast<QueryJob*>(p);
    for (int i = 0; i < job->repeat; ++i) {
        job->rows->count = 0;
        arena_reset(job->rows->arena);
        rowlist_init(job->rows, job->rows->arena);
        const auto t0 = std::chrono::steady_clock::now();
        job->result = everything_query(job->text.c_str(), job->rows, job->max, job->offset, job->text.c_str());
        const auto t1 = std::chrono::steady_clock::now();
        job->micros.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
    }
}

std::string row_line(const Row& r) {
    std::string line = std::to_string(r.score) + "\t" + std::to_string(r.kind) + "\t";
    if (r.tag) line += r.tag;
    for (const char16_t* field : {r.title, r.subtitle, r.path, r.target}) {
        line += '\t';
        line += cli_field(text_view(field));
    }
    line += "\t" + std::to_string(r.is_folder) + "\t" + (r.has_size ? std::to_string(r.size) : std::string("-")) +
            "\t" + (r.has_modified ? std::to_string(r.modified) : std::string("-")) + "\n";
    return line;
}

// Runs the job with the client open on this thread and the queries on a worker; the rows of the
// last query as lines, or false when there is no memory for them.
bool run(QueryJob& job, std::string& lines, int32_t& count) {
    Arena* arena = arena_create(64 * 1024);
    if (!arena) return false;
    RowList rows;
    rowlist_init(&rows, arena);
    job.rows = &rows;
    const bool open = everything_ipc_init() == 0;
    everything_ipc_run_serviced(run_job, &job);
    if (open) everything_ipc_shutdown();
    for (int32_t i = 0; i < rows.count; ++i) lines += row_line(rows.items[i]);
    count = rows.count;
    job.rows = nullptr;
    arena_destroy(arena);
    return true;
}

}  // namespace

CLI_COMMAND(cli_everything, "everything", "everything TEXT... [--max N] [--offset N] [--pause MS]") {
    QueryJob job;
    for (size_t i = 0; i < args.size(); ++i) {
        const bool valued = args[i] == "--max" || args[i] == "--offset" || args[i] == "--pause";
        if (valued && i + 1 < args.size()) {
            const uint32_t v = static_cast<uint32_t>(std::strtoul(args[i + 1].c_str(), nullptr, 10));
            (args[i] == "--max" ? job.max : args[i] == "--offset" ? job.offset : job.pause_ms) = v;
            ++i;
        } else if (valued) {
            job.texts.clear();
            break;
        } else {
            job.texts.push_back(utf8_to_utf16(args[i]));
        }
    }
    if (job.texts.empty()) {
        cli_err("usage: kestrune-cli everything TEXT... [--max N] [--offset N] [--pause MS]\n");
        return 2;
    }
    Arena* arena = arena_create(64 * 1024);
    if (!arena) return 1;
    RowList rows;
    rowlist_init(&rows, arena);
    job.rows = &rows;
    const bool open = everything_ipc_init() == 0;
    everything_ipc_run_serviced(run_texts, &job);
    if (open) everything_ipc_shutdown();
    cli_out(job.report);
    arena_destroy(arena);
    return 0;
}

CLI_COMMAND(cli_everything_bench, "everything-bench", "everything-bench TEXT [queries]") {
    if (args.empty()) {
        cli_err("usage: kestrune-cli everything-bench TEXT [queries]\n");
        return 2;
    }
    QueryJob job;
    job.text = utf8_to_utf16(args[0]);
    job.max = 50;
    job.repeat = args.size() > 1 ? std::max(1, std::atoi(args[1].c_str())) : 100;
    std::string lines;
    int32_t count = 0;
    if (!run(job, lines, count)) return 1;
    if (job.result != 0) {
        cli_err("everything-bench: result " + std::to_string(job.result) + "\n");
        return 1;
    }
    std::vector<double> v = job.micros;
    std::sort(v.begin(), v.end());
    cli_out("everything round trip, " + std::to_string(count) + " results: median " +
            std::to_string(static_cast<long long>(v[v.size() / 2])) + " us, best " +
            std::to_string(static_cast<long long>(v.front())) + " us over " + std::to_string(v.size()) + " queries\n");
    return 0;
}
