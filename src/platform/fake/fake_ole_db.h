// A scripted Windows Search provider. Each execute takes the next answer: its rows are served in
// batches of the answer's size, written into the caller's bound columns as the provider would
// (a value that does not fit comes back cut, with the truncated status; a missing one as null).
// A step can be made to fail, and on_next_rows lets a test act between batches (make the request
// stale). The counters show what was opened and whether all of it was released again.
#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/ole_db.h"

struct FakeOleDbRow {
    std::optional<std::u16string> name;
    std::optional<std::u16string> folder;
};

struct FakeOleDbAnswer {
    std::vector<FakeOleDbRow> rows;
    int32_t batch = 64;                 // rows per GetNextRows, at most what the caller asks
    bool end_flag_with_rows = true;     // the last rows come with DB_S_ENDOFROWSET
    int32_t execute_result = 0;         // a failure makes the execute fail
    int32_t fail_next_rows_call = -1;   // this GetNextRows call (0-based) fails
    std::vector<size_t> fail_get_data;  // rows (index into rows) whose GetData fails
};

class FakeOleDb : public OleDb {
public:
    int32_t connect() override;
    void disconnect() override;
    int32_t execute(std::u16string_view sql, const OleDbColumn* columns, int32_t column_count,
                    std::unique_ptr<OleDbRowset>& out) override;
    bool search_service_running() override { return service_running; }

    // Script. A fresh fake is a machine without the provider, as under wine.
    int32_t connect_result = win::kClassNotRegistered;
    bool service_running = false;
    std::deque<FakeOleDbAnswer> answers;  // an execute past the last answer gets no rows
    std::function<void(int32_t call)> on_next_rows;

    // What happened.
    std::vector<std::u16string> statements;
    int sources_created = 0;
    int sources_released = 0;
    bool has_source = false;
    int live_rowsets = 0;
    int held_batches = 0;  // batches obtained and not released

    std::mutex mutex;  // guards the counters for tests that search from other threads
};
