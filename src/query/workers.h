// The two search lanes. Every keystroke stores the newest request under the request lock, takes a
// fresh generation and wakes the lanes; the fast lane answers every request (an early preview,
// then the full result), the slow lane takes the full result of scoped searches. Results reach
// the window through os_window_post() with their generation; from a successful post on the window
// owns the result's arena, and a result that is not the newest is destroyed by whoever holds it.
#pragma once
#include <cstdint>
#include <string_view>

struct RowList;

constexpr int32_t kRequestTextCap = 1024;   // at most 1023 units
constexpr int32_t kRequestScopeCap = 260;   // at most 259 units

struct SearchRequest {
    char16_t search_text[kRequestTextCap];
    int32_t search_generation;
    char16_t apps_text[kRequestTextCap];
    int32_t apps_generation;
    char16_t tool_text[kRequestTextCap];
    int32_t tool_index;
    int32_t tool_generation;
    char16_t scope_folder[kRequestScopeCap];
    uint64_t submitted_at;  // tick count when the search request was made
};

// Starts both lanes (after the launcher window exists). A lane whose thread cannot be started is
// left out; without a slow lane the fast lane delivers scoped results too.
void workers_start();
// Sets the shutdown flag, wakes both lanes and waits for each at most 2000 ms; a lane that does not
// end in time is abandoned and frees its own work when it gets there.
void workers_stop();
bool workers_fast_lane_running();
bool workers_slow_lane_available();
// Lane threads that have not returned yet, abandoned ones included.
int workers_threads_alive();

// A search-box edit: text is the box's UTF-8 text, scope_folder the folder the user dived into
// (ends with a backslash; null or "" for none).
void search_request(std::string_view text, const char16_t* scope_folder);
// A filter edit in the all-apps view; wakes the fast lane only.
void apps_filter_request(std::string_view text);
// A tool page of the tools view needs its rows for the text (some tools scan the system, so
// they are built on the fast lane, never on the window thread); wakes the fast lane only.
void tool_rows_request(int32_t tool, std::string_view text);
SearchRequest read_request();

// The newest generation, a fresh one, and an increment that makes every pending result useless
// (the window does that when it opens a menu or switches views).
int32_t search_generation_newest();
int32_t search_generation_next();
// 1 when generation is non-zero and is not the newest, or shutdown has begun. Generation 0 (a
// search run directly, outside the lanes) is never stale.
int is_stale(int32_t generation);

// Frees a posted result: the list record lives inside its own arena.
void result_destroy(RowList* list);

// Test seam: the lanes whose thread start is made to fail at the next workers_start (bit 0 fast,
// bit 1 slow), to exercise running without them.
void workers_fail_thread_start(int lanes);
