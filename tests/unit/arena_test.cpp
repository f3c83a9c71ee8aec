#include <gtest/gtest.h>

#include <thread>

#include "core/arena.h"

namespace {

void expect_stats_consistent() {
    ArenaStats s = arena_stats();
    EXPECT_GE(s.peak, s.used);
    EXPECT_GE(s.reserved, s.used);
    EXPECT_GE(s.blocks, 0);
}

TEST(Arena, MarkRewindResetRelease) {
    ArenaStats base = arena_stats();
    Arena* a = arena_create(4096);
    ASSERT_NE(a, nullptr);
    void* p = arena_alloc(a, 100);
    ASSERT_NE(p, nullptr);
    EXPECT_GE(arena_used(a), 100u);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % 8, 0u);
    uint64_t used_at_mark = arena_used(a);
    uint64_t reserved_before = arena_reserved(a);
    ArenaMark m = arena_mark(a);
    ASSERT_NE(arena_alloc(a, 65536), nullptr);
    EXPECT_GE(arena_reserved(a), reserved_before + 65536);
    expect_stats_consistent();
    arena_rewind(a, m);
    EXPECT_EQ(arena_used(a), used_at_mark);
    // The big block went to the free list and is reused for the next big request.
    uint64_t reserved_after_rewind = arena_reserved(a);
    ASSERT_NE(arena_alloc(a, 60000), nullptr);
    EXPECT_EQ(arena_reserved(a), reserved_after_rewind);
    arena_reset(a);
    EXPECT_EQ(arena_used(a), 0u);
    EXPECT_NE(arena_reserved(a), 0u);
    arena_release(a);
    EXPECT_EQ(arena_used(a), 0u);
    EXPECT_EQ(arena_reserved(a), 0u);
    EXPECT_EQ(a->block_size, 4096u);
    arena_destroy(a);
    ArenaStats end = arena_stats();
    EXPECT_EQ(end.used, base.used);
    EXPECT_EQ(end.reserved, base.reserved);
    EXPECT_EQ(end.blocks, base.blocks);
    EXPECT_GE(end.allocations, base.allocations + 3);
    expect_stats_consistent();
}

TEST(Arena, AlignmentZeroSizeAndDefaults) {
    Arena* a = arena_create(0);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->block_size, 65536u);
    void* p1 = arena_alloc(a, 1);
    void* p2 = arena_alloc(a, 0);
    void* p3 = arena_alloc(a, 3);
    EXPECT_EQ(static_cast<char*>(p3) - static_cast<char*>(p1), 8);  // a request of 0 takes no room
    EXPECT_EQ(p2, p3);
    EXPECT_EQ(arena_used(a), 16u);
    EXPECT_EQ(a->allocations, 3u);
    EXPECT_EQ(arena_alloc(a, UINT64_MAX), nullptr);
    EXPECT_EQ(arena_alloc(nullptr, 8), nullptr);
    arena_destroy(a);
    arena_destroy(nullptr);
}

TEST(Arena, RewindToEmptyMarkReturnsEverything) {
    Arena* a = arena_create(1024);
    ArenaMark empty = arena_mark(a);
    for (int i = 0; i < 10; ++i) arena_alloc(a, 900);
    arena_rewind(a, empty);
    EXPECT_EQ(arena_used(a), 0u);
    EXPECT_EQ(a->chain, nullptr);
    EXPECT_NE(a->free_list, nullptr);
    arena_destroy(a);
}

TEST(Arena, ScratchIsPerThreadAndScopesRewind) {
    Arena* mine = scratch_arena();
    Arena* other = nullptr;
    std::thread t([&] { other = scratch_arena(); });
    t.join();
    EXPECT_NE(mine, other);
    uint64_t before = arena_used(mine);
    {
        ScratchScope scope;
        arena_alloc(scope.arena(), 5000);
        EXPECT_GT(arena_used(mine), before);
    }
    EXPECT_EQ(arena_used(mine), before);
}

}  // namespace
