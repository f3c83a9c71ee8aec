#include "indexers/everything_client.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

#include "core/arena.h"
#include "core/format.h"
#include "core/row.h"
#include "core/text.h"
#include "indexers/everything_wire.h"
#include "query/workers.h"

namespace {

constexpr uint32_t kSendTimeoutMs = 1500;
constexpr uint64_t kArenaBlock = 65536;
constexpr uint32_t kPageSize = 2000;
constexpr uint32_t kCappedMax = 50;
constexpr size_t kSentTextMax = 2047;
constexpr size_t kQuotedQueryMax = 259;
// How long shutdown waits for a running query before it leaves the client's memory alone.
constexpr auto kShutdownLockWait = std::chrono::milliseconds(200);

// The reply slot and its event live under slot_lock. The worker fills the arena (reset, query
// record) only while no query is waiting; the reply window's thread copies a reply into it only
// while one is. So the two never write it at the same time, and a reply that comes after its
// query gave up is dropped instead of being taken by the next query.
//
// What the fixed reply tag cannot tell apart: a late reply to an earlier query that arrives
// during a later query's wait, before that query's own reply, is taken as the later query's.
struct Client {
    std::mutex query_lock;  // held for the whole of one query
    std::mutex slot_lock;
    std::condition_variable reply_event;
    bool waiting = false;     // a query waits for a reply now
    bool signalled = false;   // a reply was handed over to the waiting query
    const uint8_t* reply = nullptr;
    size_t reply_size = 0;    // 0: no reply, or its copy could not be made
    Arena* arena = nullptr;   // query record and reply copy; reset at the start of every query
    std::atomic<bool> open{false};
};

// Never destroyed: a worker abandoned at exit may still hold its locks.
Client& client() {
    static Client* c = new Client;
    return *c;
}

std::atomic<const EverythingTransport*> g_transport{nullptr};
std::atomic<uint32_t> g_reply_wait_ms{1500};

EverythingSend send_record(Client& c, const EverythingTransport* t, uintptr_t everything, uint32_t code,
                           EverythingRecord record) {
    {
        std::lock_guard<std::mutex> slot(c.slot_lock);
        c.reply = nullptr;
        c.reply_size = 0;
        c.signalled = false;
        c.waiting = true;  // before the send: Everything may answer while it handles the query
    }
    const EverythingSend sent = t->send(everything, code, record.data, record.size, kSendTimeoutMs);
    if (sent != kEverythingSendAccepted) {
        std::lock_guard<std::mutex> slot(c.slot_lock);
        c.waiting = false;
        c.signalled = false;
        c.reply = nullptr;
        c.reply_size = 0;
    }
    return sent;
}

// Waits for the reply of an accepted query; the reply bytes, or an empty record on time-out.
EverythingRecord await_reply(Client& c) {
    std::unique_lock<std::mutex> slot(c.slot_lock);
    c.reply_event.wait_for(slot, std::chrono::milliseconds(g_reply_wait_ms.load()), [&c] { return c.signalled; });
    c.waiting = false;
    EverythingRecord got{nullptr, 0};
    if (c.signalled && c.reply_size > 0) got = {const_cast<uint8_t*>(c.reply), static_cast<uint32_t>(c.reply_size)};
    c.signalled = false;
    return got;
}

int32_t query_locked(Client& c, const EverythingTransport* t, uint32_t reply_window, const char16_t* text,
                     RowList* rows, uint32_t max_results, uint32_t offset, const char16_t* scoring) {
    if (!c.arena) c.arena = arena_create(kArenaBlock);
    if (c.arena) arena_reset(c.arena);
    const uintptr_t everything = t->find_everything();
    if (!everything) return kEverythingUnavailable;

    EverythingRecord v2 = everything_build_query_v2(c.arena, reply_window, text, offset, max_results);
    // A record that cannot be built counts as not accepted.
    const EverythingSend sent = v2.data ? send_record(c, t, everything, kEverythingCodeQueryV2, v2) : kEverythingSendRefused;
    if (sent == kEverythingSendAccepted) {
        EverythingRecord reply = await_reply(c);
        if (!reply.data) return kEverythingNoReply;
        everything_parse_list_v2(reply.data, reply.size, scoring, rows);
        return kEverythingDone;
    }
    // Only an Everything that answered 0 gets the older record; one that did not answer in time
    // is busy or hung, and a second record would only be late as well.
    if (sent == kEverythingSendFailed) return kEverythingNoReply;

    EverythingRecord v1 = everything_build_query_v1(c.arena, reply_window, text, offset, max_results);
    if (!v1.data) return kEverythingRefused;
    const EverythingSend sent1 = send_record(c, t, everything, kEverythingCodeQueryV1, v1);
    if (sent1 == kEverythingSendFailed) return kEverythingNoReply;
    if (sent1 == kEverythingSendRefused) return kEverythingRefused;
    EverythingRecord reply = await_reply(c);
    if (!reply.data) return kEverythingNoReply;
    everything_parse_list_v1(reply.data, reply.size, scoring, rows);
    return kEverythingDone;
}

void add_info(RowList* rows, const char16_t* title, const char16_t* subtitle, int32_t score) {
    if (rowlist_add_fields(rows, title, subtitle, nullptr, nullptr, kKindInfo, score) == 0)
        rows->items[rows->count - 1].tag = tag::kInfo;
}

void add_error_row(RowList* rows, int32_t result) {
    const char16_t* why = u"Everything rejected the IPC query";
    if (result == kEverythingUnavailable)
        why = everything_ipc_ready() ? u"Everything is not running or IPC is disabled" : u"Kestrune IPC receiver is unavailable";
    else if (result == kEverythingNoReply)
        why = u"Everything did not reply before the query timed out";
    add_info(rows, u"Everything IPC error", why, 100);
}

void add_no_results_row(RowList* rows, const char16_t* text) {
    char16_t quoted[kQuotedQueryMax + 1];
    text_copy_to(quoted, sizeof quoted / sizeof quoted[0], text_view(text));
    char16_t subtitle[kQuotedQueryMax + 16];
    text_format(subtitle, sizeof subtitle / sizeof subtitle[0], "Filename: \"%s\"", quoted);
    add_info(rows, u"No Everything results", subtitle, 1);
}

std::u16string cut_sent(std::u16string s) {
    if (s.size() > kSentTextMax) s.resize(kSentTextMax);
    return s;
}

}  // namespace

const EverythingTransport* everything_transport_install(const EverythingTransport* transport) {
    return g_transport.exchange(transport);
}

int everything_ipc_init() {
    Client& c = client();
    const EverythingTransport* t = g_transport.load();
    if (!t || !t->open || t->open() != 0) return -1;
    c.open.store(true);
    return 0;
}

void everything_ipc_shutdown() {
    Client& c = client();
    if (!c.open.exchange(false)) return;
    // A bounded wait by polling try_lock (a timed lock is not understood by every thread checker).
    std::unique_lock<std::mutex> lock(c.query_lock, std::defer_lock);
    const auto deadline = std::chrono::steady_clock::now() + kShutdownLockWait;
    while (!lock.try_lock() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (lock.owns_lock()) {
        arena_destroy(c.arena);
        c.arena = nullptr;
    }
    // Without the lock a query still runs: its arena stays for the process exit. The window is
    // closed either way; the query then only times out.
    if (const EverythingTransport* t = g_transport.load(); t && t->close) t->close();
}

bool everything_ipc_ready() {
    const EverythingTransport* t = g_transport.load();
    return client().open.load() && t && t->reply_window() != 0;
}

bool everything_is_running() {
    const EverythingTransport* t = g_transport.load();
    return t && t->find_everything() != 0;
}

void everything_ipc_run_serviced(void (*fn)(void*), void* ctx) {
    const EverythingTransport* t = g_transport.load();
    if (t && t->run_serviced && client().open.load()) t->run_serviced(fn, ctx);
    else fn(ctx);
}

int everything_client_deliver(uintptr_t code, const void* data, size_t size) {
    if (code != kEverythingReplyTag || !data || size == 0) return 0;
    Client& c = client();
    std::lock_guard<std::mutex> slot(c.slot_lock);
    if (!c.waiting || c.signalled) return 0;
    auto* copy = static_cast<uint8_t*>(arena_alloc(c.arena, size));
    if (copy) std::memcpy(copy, data, size);
    c.reply = copy;
    c.reply_size = copy ? size : 0;
    c.signalled = true;
    c.reply_event.notify_one();
    return 1;
}

int32_t everything_query(const char16_t* text, RowList* rows, uint32_t max_results, uint32_t offset,
                         const char16_t* scoring_text) {
    if (!text || !*text) return kEverythingDone;
    Client& c = client();
    const EverythingTransport* t = g_transport.load();
    if (!t || !c.open.load()) return kEverythingUnavailable;
    const uint32_t reply_window = t->reply_window();
    if (!reply_window) return kEverythingUnavailable;
    std::lock_guard<std::mutex> lock(c.query_lock);
    if (!c.open.load()) return kEverythingUnavailable;
    return query_locked(c, t, reply_window, text, rows, max_results, offset, scoring_text);
}

void everything_search_paged(const char16_t* text, const char16_t* scoring_text, RowList* rows, int32_t generation,
                             int32_t limit) {
    int32_t result = kEverythingDone;
    int32_t gathered = 0;
    if (!is_stale(generation)) {
        for (uint32_t offset = 0;; offset += kPageSize) {
            if (limit > 0 && gathered >= limit) break;
            const int32_t before = rows->count;
            result = everything_query(text, rows, kPageSize, offset, scoring_text);
            if (result != kEverythingDone) break;
            // Information rows among a page are dropped (freed here when the list owns heap rows).
            int32_t kept = before;
            for (int32_t i = before; i < rows->count; ++i) {
                if (rows->items[i].kind != kKindInfo) rows->items[kept++] = rows->items[i];
                else if (!rows->arena) row_free(&rows->items[i]);
            }
            rows->count = kept;
            const int32_t added = kept - before;
            gathered += added;
            if (added < static_cast<int32_t>(kPageSize) || is_stale(generation)) break;
        }
    }
    if (gathered > 0) return;
    if (result != kEverythingDone) add_error_row(rows, result);
    else add_no_results_row(rows, text);
}

void everything_search_capped(const char16_t* text, RowList* rows) {
    const int32_t before = rows->count;
    const int32_t result = everything_query(text, rows, kCappedMax, 0, text);
    if (result != kEverythingDone) add_error_row(rows, result);
    else if (text && *text && rows->count == before) add_no_results_row(rows, text);
}

void everything_backend_search(const char16_t* query, int folders_only, const char16_t* extension_filter,
                               const char16_t* highlight_query, RowList* out, int32_t generation, int many) {
    std::u16string sent = cut_sent(folders_only ? u"folder: " + std::u16string(text_view(query)) : std::u16string(text_view(query)));
    if (extension_filter && *extension_filter) sent = cut_sent(sent + u" ext:" + std::u16string(extension_filter));
    if (many) everything_search_paged(sent.c_str(), highlight_query, out, generation, kPageSize);
    else everything_search_capped(sent.c_str(), out);
}

void everything_backend_search_in_folder(const char16_t* name, const char16_t* folder, const char16_t* highlight_query,
                                         RowList* out, int32_t generation) {
    std::u16string sent = cut_sent(u"path:\"" + std::u16string(text_view(folder)) + u"\" " + std::u16string(text_view(name)));
    everything_search_paged(sent.c_str(), highlight_query, out, generation, kPageSize);
}

uint32_t everything_reply_wait_ms() { return g_reply_wait_ms.load(); }
void everything_set_reply_wait_ms(uint32_t ms) { g_reply_wait_ms.store(ms); }
