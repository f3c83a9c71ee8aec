#include "core/arena.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<int64_t> g_reserved{0};
std::atomic<int64_t> g_used{0};
std::atomic<int64_t> g_peak{0};
std::atomic<int64_t> g_blocks{0};

// The allocation count is the one counter touched on every allocation that nobody compares
// against, so each of the first threads gets a slot of its own that only it writes (a plain atomic
// store, no locked instruction); later threads share the last slot with atomic adds. A snapshot
// adds the slots up. Slots are never given back: a process has a handful of long-lived threads.
constexpr int kCounterSlots = 64;
struct alignas(64) CounterSlot {
    std::atomic<int64_t> count{0};
};
CounterSlot g_allocation_slots[kCounterSlots + 1];
std::atomic<int> g_next_slot{0};
thread_local int t_slot = -1;

inline void count_allocation() {
    if (t_slot < 0) {
        int slot = g_next_slot.fetch_add(1, std::memory_order_relaxed);
        t_slot = slot < kCounterSlots ? slot : kCounterSlots;
    }
    std::atomic<int64_t>& c = g_allocation_slots[t_slot].count;
    if (t_slot < kCounterSlots) c.store(c.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
    else c.fetch_add(1, std::memory_order_relaxed);
}

int64_t allocations_total() {
    int64_t sum = 0;
    for (const CounterSlot& slot : g_allocation_slots) sum += slot.count.load(std::memory_order_relaxed);
    return sum;
}

constexpr uint64_t kDefaultBlockSize = 65536;
// The header is padded to 16 bytes so the data area keeps the heap's alignment.
constexpr uint64_t kHeaderSize = (sizeof(ArenaBlock) + 15) & ~uint64_t{15};

unsigned char* block_data(ArenaBlock* b) { return reinterpret_cast<unsigned char*>(b) + kHeaderSize; }

void add_used(int64_t delta) {
    int64_t now = g_used.fetch_add(delta, std::memory_order_relaxed) + delta;
    int64_t peak = g_peak.load(std::memory_order_relaxed);
    while (now > peak && !g_peak.compare_exchange_weak(peak, now, std::memory_order_relaxed)) {
    }
}

ArenaBlock* block_new(uint64_t capacity) {
    if (capacity > UINT64_MAX - kHeaderSize) return nullptr;
    void* mem = std::malloc(static_cast<size_t>(kHeaderSize + capacity));
    if (!mem) return nullptr;
    auto* b = static_cast<ArenaBlock*>(mem);
    b->next = nullptr;
    b->capacity = capacity;
    b->used = 0;
    g_reserved.fetch_add(static_cast<int64_t>(capacity), std::memory_order_relaxed);
    g_blocks.fetch_add(1, std::memory_order_relaxed);
    return b;
}

void block_free(ArenaBlock* b) {
    g_reserved.fetch_sub(static_cast<int64_t>(b->capacity), std::memory_order_relaxed);
    g_blocks.fetch_sub(1, std::memory_order_relaxed);
    std::free(b);
}

}  // namespace

void arena_init(Arena* arena, uint64_t block_size) {
    *arena = Arena{};
    arena->block_size = block_size ? block_size : kDefaultBlockSize;
}

Arena* arena_create(uint64_t block_size) {
    auto* a = static_cast<Arena*>(std::malloc(sizeof(Arena)));
    if (!a) return nullptr;
    arena_init(a, block_size);
    return a;
}

void arena_destroy(Arena* arena) {
    if (!arena) return;
    arena_release(arena);
    std::free(arena);
}

namespace {
thread_local int64_t t_allocations_left = -1;  // -1: no injected failure
}  // namespace

void arena_fail_after(int64_t allocations) { t_allocations_left = allocations < 0 ? -1 : allocations; }

void* arena_alloc(Arena* arena, uint64_t n) {
    if (!arena) return nullptr;
    if (t_allocations_left >= 0) {
        if (t_allocations_left == 0) return nullptr;
        --t_allocations_left;
    }
    if (n > UINT64_MAX - 7) return nullptr;
    uint64_t size = (n + 7) & ~uint64_t{7};
    ArenaBlock* b = arena->current;
    if (!b || b->capacity - b->used < size) {
        ArenaBlock** link = &arena->free_list;
        b = nullptr;
        while (*link) {
            if ((*link)->capacity >= size) {
                b = *link;
                *link = b->next;
                break;
            }
            link = &(*link)->next;
        }
        if (!b) {
            uint64_t block_size = arena->block_size ? arena->block_size : kDefaultBlockSize;
            b = block_new(size > block_size ? size : block_size);
            if (!b) return nullptr;
        }
        b->next = arena->chain;
        b->used = 0;
        arena->chain = b;
        arena->current = b;
    }
    void* result = block_data(b) + b->used;
    b->used += size;
    arena->used += size;
    arena->allocations += 1;
    count_allocation();
    add_used(static_cast<int64_t>(size));
    return result;
}

ArenaMark arena_mark(const Arena* arena) {
    ArenaMark m{};
    if (!arena) return m;
    m.block = arena->current;
    m.block_used = arena->current ? arena->current->used : 0;
    m.used = arena->used;
    m.allocations = arena->allocations;
    return m;
}

void arena_rewind(Arena* arena, ArenaMark mark) {
    if (!arena) return;
    while (arena->chain && arena->chain != mark.block) {
        ArenaBlock* b = arena->chain;
        arena->chain = b->next;
        b->next = arena->free_list;
        arena->free_list = b;
    }
    arena->current = arena->chain;
    if (mark.block && arena->current) arena->current->used = mark.block_used;
    add_used(static_cast<int64_t>(mark.used) - static_cast<int64_t>(arena->used));
    arena->used = mark.used;
    arena->allocations = mark.allocations;
}

void arena_reset(Arena* arena) {
    if (!arena) return;
    add_used(-static_cast<int64_t>(arena->used));
    arena->used = 0;
    arena->allocations = 0;
    if (arena->chain) {
        ArenaBlock* last = arena->chain;
        while (last->next) last = last->next;
        last->next = arena->free_list;
        arena->free_list = arena->chain;
    }
    arena->chain = nullptr;
    arena->current = nullptr;
}

void arena_release(Arena* arena) {
    if (!arena) return;
    for (ArenaBlock* list : {arena->chain, arena->free_list}) {
        while (list) {
            ArenaBlock* next = list->next;
            block_free(list);
            list = next;
        }
    }
    add_used(-static_cast<int64_t>(arena->used));
    uint64_t block_size = arena->block_size;
    *arena = Arena{};
    arena->block_size = block_size;
}

uint64_t arena_used(const Arena* arena) { return arena ? arena->used : 0; }

uint64_t arena_reserved(const Arena* arena) {
    if (!arena) return 0;
    uint64_t sum = 0;
    for (const ArenaBlock* b = arena->chain; b; b = b->next) sum += b->capacity;
    for (const ArenaBlock* b = arena->free_list; b; b = b->next) sum += b->capacity;
    return sum;
}

ArenaStats arena_stats() {
    ArenaStats s;
    s.reserved = g_reserved.load(std::memory_order_relaxed);
    s.used = g_used.load(std::memory_order_relaxed);
    s.peak = g_peak.load(std::memory_order_relaxed);
    s.allocations = allocations_total();
    s.blocks = g_blocks.load(std::memory_order_relaxed);
    return s;
}

namespace {
// A thread's scratch arena is never released. Each one is also pushed on a process-wide list so that
// it stays reachable after its thread ends (leak checkers see it as held, not lost). The thread-local
// slot is a plain pointer on purpose: mingw-w64 under wine can hang joining a thread whose
// thread_local objects have destructors.
struct ScratchNode {
    Arena* arena;
    ScratchNode* next;
};
std::atomic<ScratchNode*> g_scratch_arenas{nullptr};
thread_local Arena* t_scratch = nullptr;
thread_local ScratchNode* t_scratch_node = nullptr;

ScratchNode* keep_reachable(Arena* arena) {
    auto* node = static_cast<ScratchNode*>(std::malloc(sizeof(ScratchNode)));
    if (!node) return nullptr;
    node->arena = arena;
    node->next = g_scratch_arenas.load(std::memory_order_relaxed);
    while (!g_scratch_arenas.compare_exchange_weak(node->next, node, std::memory_order_release, std::memory_order_relaxed)) {
    }
    return node;
}
}  // namespace

Arena* scratch_arena() {
    if (!t_scratch) {
        t_scratch = arena_create(kDefaultBlockSize);
        if (t_scratch) t_scratch_node = keep_reachable(t_scratch);
    }
    return t_scratch;
}

void scratch_reset() {
    if (t_scratch) arena_reset(t_scratch);
}

void scratch_release() {
    if (!t_scratch) return;
    if (t_scratch_node) t_scratch_node->arena = nullptr;
    arena_destroy(t_scratch);
    t_scratch = nullptr;
}
