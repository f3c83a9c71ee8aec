// The client for Everything (voidtools) over its window-message interface: a query is sent to the
// window of class "EVERYTHING_TASKBAR_NOTIFICATION" with WM_COPYDATA, and the reply comes back to
// the launcher's own reply window, handled by the thread that owns it. Queries are one at a time
// and block the calling worker for at most two sends and one reply wait.
#pragma once
#include <cstddef>
#include <cstdint>

struct RowList;

// everything_query's results.
enum EverythingResult : int32_t {
    kEverythingDone = 0,         // rows appended, possibly none
    kEverythingUnavailable = 1,  // no reply window, or no Everything window
    kEverythingNoReply = 2,      // the send or the reply wait timed out
    kEverythingRefused = 3,      // Everything answered 0 to both query records
};

// How one WM_COPYDATA send ended.
enum EverythingSend : int32_t {
    kEverythingSendAccepted = 0,  // the call completed and Everything answered non-zero
    kEverythingSendRefused = 1,   // the call completed and Everything answered 0
    kEverythingSendFailed = 2,    // the call failed or timed out (a busy or hung Everything)
};

// What the client needs of the OS. The Windows build installs the real one; tests put their own
// in place. send runs under the query lock but never under the reply slot's lock, so a reply may
// be delivered while the send is still in progress.
struct EverythingTransport {
    // Creates the reply window on the calling thread (which must dispatch its messages from then
    // on); 0, or -1. The window hands every WM_COPYDATA to everything_client_deliver.
    int (*open)();
    void (*close)();
    // Low 32 bits of the reply window handle; 0 when there is none.
    uint32_t (*reply_window)();
    // Everything's window, or 0 when it is not running.
    uintptr_t (*find_everything)();
    EverythingSend (*send)(uintptr_t everything, uint32_t code, const void* record, uint32_t size, uint32_t timeout_ms);
    // Runs fn(ctx) on another thread while the calling thread dispatches the reply window's
    // messages, and returns when fn has returned.
    void (*run_serviced)(void (*fn)(void*), void* ctx);
};

// Puts a transport in place (null: none, every query is "unavailable"); returns the previous one.
// Only while no client is open.
const EverythingTransport* everything_transport_install(const EverythingTransport* transport);

// Opens the client on the calling thread: 0, or -1 when the reply window cannot be made (queries
// then report the receiver unavailable).
int everything_ipc_init();
// Closes the client. A query that still runs after a short wait keeps the client's memory, which
// is then left to the process exit instead of being freed under it.
void everything_ipc_shutdown();
bool everything_ipc_ready();
bool everything_is_running();
// Runs fn(ctx) on a worker while this thread keeps the reply window serviced (a program without
// the launcher's message loop, such as kestrune-cli, queries this way); without a transport it
// just calls fn.
void everything_ipc_run_serviced(void (*fn)(void*), void* ctx);

// The reply window's WM_COPYDATA: copies the reply for the query that is waiting, if any. Returns
// 1 when the reply was taken, 0 when it was ignored (wrong tag, empty, or no query waiting).
int everything_client_deliver(uintptr_t code, const void* data, size_t size);

// One query: rows appended to rows for up to max_results (0: 50) items from offset, scored against
// scoring_text (null or empty: score 0). Blocks; never call it on the reply window's thread.
int32_t everything_query(const char16_t* text, RowList* rows, uint32_t max_results, uint32_t offset,
                         const char16_t* scoring_text);

// Up to limit rows (0: no limit) in pages of 2000, or exactly one explanatory row (kind 0, tag ?).
void everything_search_paged(const char16_t* text, const char16_t* scoring_text, RowList* rows, int32_t generation,
                             int32_t limit);
// Up to 50 rows scored against the text itself, or one explanatory row.
void everything_search_capped(const char16_t* text, RowList* rows);

// The backend operations (the Everything IndexerBackend record).
void everything_backend_search(const char16_t* query, int folders_only, const char16_t* extension_filter,
                               const char16_t* highlight_query, RowList* out, int32_t generation, int many);
void everything_backend_search_in_folder(const char16_t* name, const char16_t* folder, const char16_t* highlight_query,
                                         RowList* out, int32_t generation);

// The reply wait (1500 ms); tests shorten it.
uint32_t everything_reply_wait_ms();
void everything_set_reply_wait_ms(uint32_t ms);
