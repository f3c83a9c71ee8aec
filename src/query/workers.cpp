#include "query/workers.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "core/arena.h"
#include "core/auto_event.h"
#include "core/row.h"
#include "core/text.h"
#include "core/utf.h"
#include "platform/platform.h"
#include "query/indexer_backend.h"
#include "query/pipeline.h"
#include "query/pipeline_sources.h"
#include "query/query_parser.h"
#include "query/result_messages.h"
#include "store/options.h"

namespace {

constexpr uint64_t kResultBlockSize = 64 * 1024;
constexpr auto kStopWait = std::chrono::milliseconds(2000);

// One lane's wake-up event and its exit notice. The thread holds its own reference, so a lane
// abandoned at shutdown keeps what it uses until it ends.
struct Lane {
    AutoEvent event;
    std::atomic<bool> leave{false};
    std::mutex exit_mutex;
    std::condition_variable exited_cv;
    bool exited = false;
};

std::mutex g_request_lock;
SearchRequest g_request{};
std::atomic<int32_t> g_generation{0};
std::atomic<bool> g_shutdown{false};

// Owned by the window thread (start, stop and the request functions).
std::shared_ptr<Lane> g_fast;
std::shared_ptr<Lane> g_slow;
std::thread g_fast_thread;
std::thread g_slow_thread;
std::atomic<bool> g_slow_available{false};
int g_fail_thread_start = 0;
std::atomic<int> g_threads_alive{0};

bool leaving(const Lane& lane) {
    return g_shutdown.load(std::memory_order_acquire) || lane.leave.load(std::memory_order_acquire);
}

bool newest(int32_t generation) { return g_generation.load(std::memory_order_acquire) == generation; }

RowList* new_list(Arena* arena) {
    auto* list = arena_new_array<RowList>(arena, 1);
    if (list) rowlist_init(list, arena);
    return list;
}

// True when the window took the list (and with it the arena).
bool post(uint32_t message, int32_t generation, RowList* list) {
    WindowPost* wp = platform().window_post;
    if (!wp) return false;
    return wp->post(message, static_cast<uintptr_t>(static_cast<uint32_t>(generation)), list);
}

void lane_exited(Lane& lane) {
    scratch_release();
    g_threads_alive.fetch_sub(1, std::memory_order_acq_rel);
    {
        std::lock_guard<std::mutex> lock(lane.exit_mutex);
        lane.exited = true;
    }
    lane.exited_cv.notify_all();
}

void fast_lane_main(std::shared_ptr<Lane> self) {
    Arena* arena = nullptr;
    for (;;) {
        self->event.wait();
        if (leaving(*self)) break;
        SearchRequest req = read_request();
        arena = arena_create(kResultBlockSize);
        if (!arena) continue;
        RowList* list = new_list(arena);
        if (!list) {
            arena_destroy(arena);
            arena = nullptr;
            continue;
        }
        uint32_t message;
        int32_t generation;
        if (req.tool_generation > req.search_generation && req.tool_generation > req.apps_generation) {
            list->view = kViewTool;
            if (auto fn = pipeline_sources().run_tool) fn(req.tool_index, req.tool_text, list);
            message = WM_APP_VIEW_ROWS;
            generation = req.tool_generation;
        } else if (req.search_generation < req.apps_generation) {
            list->view = kViewApps;
            if (auto fn = pipeline_sources().apps_view_search) fn(req.apps_text, list, req.apps_generation);
            message = WM_APP_VIEW_ROWS;
            generation = req.apps_generation;
        } else {
            generation = req.search_generation;
            bool posted = false;
            if (req.scope_folder[0] && run_scoped_preview(req.search_text, req.scope_folder, list) && list->count > 0) {
                if (leaving(*self)) break;
                if (newest(generation)) posted = post(WM_APP_PREVIEW, generation, list);
            }
            if (g_slow_available.load(std::memory_order_acquire) &&
                is_scoped_query(req.search_text, req.scope_folder)) {
                // The slow lane delivers the full result.
                if (!posted) arena_destroy(arena);
                arena = nullptr;
                continue;
            }
            bool handed_over = posted;
            if (!handed_over && indexer_backend()->id == kIndexerWindowsSearch) {
                list->count = 0;
                if (run_local_preview(req.search_text, req.scope_folder, list) && !leaving(*self) &&
                    newest(generation) && post(WM_APP_PREVIEW, generation, list)) {
                    handed_over = true;
                }
            }
            if (handed_over) {
                // The window owns the preview's arena now; the full result needs one of its own.
                arena = arena_create(kResultBlockSize);
                if (!arena) continue;
                list = new_list(arena);
                if (!list) {
                    arena_destroy(arena);
                    arena = nullptr;
                    continue;
                }
            } else {
                list->count = 0;
            }
            run_query(req.search_text, req.scope_folder, list, generation);
            message = WM_APP_RESULTS;
        }
        if (leaving(*self)) break;
        if (!newest(generation) || !post(message, generation, list)) arena_destroy(arena);
        arena = nullptr;
    }
    arena_destroy(arena);
    lane_exited(*self);
}

void slow_lane_main(std::shared_ptr<Lane> self) {
    for (;;) {
        self->event.wait();
        if (leaving(*self)) break;
        SearchRequest req = read_request();
        if (req.search_generation < req.apps_generation || req.search_generation < req.tool_generation ||
            !newest(req.search_generation) ||
            !is_scoped_query(req.search_text, req.scope_folder)) {
            continue;
        }
        Arena* arena = arena_create(kResultBlockSize);
        if (!arena) continue;
        RowList* list = new_list(arena);
        if (!list) {
            arena_destroy(arena);
            continue;
        }
        run_query(req.search_text, req.scope_folder, list, req.search_generation);
        if (leaving(*self)) {
            arena_destroy(arena);
            break;
        }
        if (!newest(req.search_generation) || !post(WM_APP_RESULTS, req.search_generation, list)) arena_destroy(arena);
    }
    lane_exited(*self);
}

// Starts one lane; null when its thread cannot be started (the event goes with it).
std::shared_ptr<Lane> start_lane(void (*body)(std::shared_ptr<Lane>), std::thread& thread, int fail_bit) {
    auto lane = std::make_shared<Lane>();
    if (g_fail_thread_start & fail_bit) return nullptr;
    g_threads_alive.fetch_add(1, std::memory_order_acq_rel);
    try {
        thread = std::thread(body, lane);
    } catch (const std::system_error&) {
        g_threads_alive.fetch_sub(1, std::memory_order_acq_rel);
        return nullptr;
    }
    return lane;
}

void stop_lane(std::shared_ptr<Lane>& lane, std::thread& thread) {
    if (!lane) return;
    bool ended;
    {
        std::unique_lock<std::mutex> lock(lane->exit_mutex);
        ended = lane->exited_cv.wait_for(lock, kStopWait, [&] { return lane->exited; });
    }
    if (thread.joinable()) {
        if (ended) thread.join();
        else thread.detach();  // abandoned: it frees its own work when it gets there
    }
    lane.reset();
}

}  // namespace

void workers_start() {
    if (g_fast || g_slow) return;
    g_shutdown.store(false, std::memory_order_release);
    g_fast = start_lane(fast_lane_main, g_fast_thread, 1);
    g_slow = start_lane(slow_lane_main, g_slow_thread, 2);
    g_slow_available.store(g_slow != nullptr, std::memory_order_release);
    g_fail_thread_start = 0;
}

void workers_stop() {
    g_shutdown.exchange(true, std::memory_order_acq_rel);
    for (Lane* lane : {g_fast.get(), g_slow.get()}) {
        if (!lane) continue;
        lane->leave.store(true, std::memory_order_release);
        lane->event.signal();
    }
    stop_lane(g_fast, g_fast_thread);
    stop_lane(g_slow, g_slow_thread);
    g_slow_available.store(false, std::memory_order_release);
}

bool workers_fast_lane_running() { return g_fast != nullptr; }
bool workers_slow_lane_available() { return g_slow_available.load(std::memory_order_acquire); }
int workers_threads_alive() { return g_threads_alive.load(std::memory_order_acquire); }

void search_request(std::string_view text, const char16_t* scope_folder) {
    char16_t converted[kRequestTextCap];
    utf8_to_utf16(text, converted, kRequestTextCap);
    int32_t generation = search_generation_next();
    uint64_t now = platform().clock ? os_clock().tick_ms() : 0;
    {
        std::lock_guard<std::mutex> lock(g_request_lock);
        text_copy_to(g_request.search_text, kRequestTextCap, converted);
        text_copy_to(g_request.scope_folder, kRequestScopeCap, text_view(scope_folder));
        g_request.search_generation = generation;
        g_request.submitted_at = now;
    }
    if (g_fast) g_fast->event.signal();
    if (g_slow) g_slow->event.signal();
}

void apps_filter_request(std::string_view text) {
    int32_t generation = search_generation_next();
    char16_t converted[kRequestTextCap];
    utf8_to_utf16(text, converted, kRequestTextCap);
    {
        std::lock_guard<std::mutex> lock(g_request_lock);
        text_copy_to(g_request.apps_text, kRequestTextCap, converted);
        g_request.apps_generation = generation;
    }
    if (g_fast) g_fast->event.signal();
}

void tool_rows_request(int32_t tool, std::string_view text) {
    int32_t generation = search_generation_next();
    char16_t converted[kRequestTextCap];
    utf8_to_utf16(text, converted, kRequestTextCap);
    {
        std::lock_guard<std::mutex> lock(g_request_lock);
        text_copy_to(g_request.tool_text, kRequestTextCap, converted);
        g_request.tool_index = tool;
        g_request.tool_generation = generation;
    }
    if (g_fast) g_fast->event.signal();
}

SearchRequest read_request() {
    std::lock_guard<std::mutex> lock(g_request_lock);
    return g_request;
}

int32_t search_generation_newest() { return g_generation.load(std::memory_order_acquire); }

int32_t search_generation_next() { return g_generation.fetch_add(1, std::memory_order_acq_rel) + 1; }

int is_stale(int32_t generation) {
    if (generation == 0) return 0;
    return (!newest(generation) || g_shutdown.load(std::memory_order_acquire)) ? 1 : 0;
}

void result_destroy(RowList* list) {
    if (!list) return;
    // The record itself lives in the arena, so read the arena before it goes.
    Arena* arena = list->arena;
    if (arena) arena_destroy(arena);
}

void workers_fail_thread_start(int lanes) { g_fail_thread_start = lanes; }
