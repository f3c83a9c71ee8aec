// Block arena with process-wide statistics, and the per-thread scratch arena.
#pragma once
#include <cstddef>
#include <cstdint>

struct ArenaBlock {
    ArenaBlock* next;
    uint64_t capacity;  // size of the data area that follows the header
    uint64_t used;      // offset of the first free byte in the data area
};

struct Arena {
    ArenaBlock* chain;      // blocks handed out since the last reset, most recent first
    ArenaBlock* current;    // head of chain
    ArenaBlock* free_list;  // blocks kept for reuse
    uint64_t block_size;
    uint64_t used;
    uint64_t allocations;
};

struct ArenaMark {
    ArenaBlock* block;
    uint64_t block_used;
    uint64_t used;
    uint64_t allocations;
};

struct ArenaStats {
    int64_t reserved;
    int64_t used;
    int64_t peak;
    int64_t allocations;
    int64_t blocks;
};

Arena* arena_create(uint64_t block_size);
void arena_destroy(Arena* arena);
void arena_init(Arena* arena, uint64_t block_size);  // for arenas embedded in other records
void* arena_alloc(Arena* arena, uint64_t n);
// Tests: the calling thread's next `allocations` arena allocations succeed and every later one fails
// (as when memory runs out), until called again; -1 turns the failure off.
void arena_fail_after(int64_t allocations);
ArenaMark arena_mark(const Arena* arena);
void arena_rewind(Arena* arena, ArenaMark mark);
void arena_reset(Arena* arena);
void arena_release(Arena* arena);
uint64_t arena_used(const Arena* arena);
uint64_t arena_reserved(const Arena* arena);
ArenaStats arena_stats();

Arena* scratch_arena();
void scratch_reset();
// A thread that ends gives its scratch arena back with this as its last step (the arena is
// otherwise kept for the life of the process).
void scratch_release();

// Typed helper: n objects of T, uninitialised, or null.
template <typename T>
T* arena_new_array(Arena* arena, uint64_t n) {
    if (n > UINT64_MAX / sizeof(T)) return nullptr;
    return static_cast<T*>(arena_alloc(arena, n * sizeof(T)));
}

// Marks the scratch arena on construction and rewinds it on destruction.
class ScratchScope {
public:
    ScratchScope() : arena_(scratch_arena()), mark_(arena_ ? arena_mark(arena_) : ArenaMark{}) {}
    ~ScratchScope() {
        if (arena_) arena_rewind(arena_, mark_);
    }
    ScratchScope(const ScratchScope&) = delete;
    ScratchScope& operator=(const ScratchScope&) = delete;
    Arena* arena() const { return arena_; }

private:
    Arena* arena_;
    ArenaMark mark_;
};
