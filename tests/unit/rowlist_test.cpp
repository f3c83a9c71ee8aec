#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/arena.h"
#include "core/row.h"
#include "platform/fake/fake_world.h"

namespace {

std::vector<std::u16string> titles(const RowList& l) {
    std::vector<std::u16string> out;
    for (int i = 0; i < l.count; ++i) out.emplace_back(l.items[i].title ? l.items[i].title : u"<null>");
    return out;
}

TEST(RowList, AddCloneAndFree) {
    RowList a, b;
    rowlist_init(&a, nullptr);
    rowlist_init(&b, nullptr);
    ASSERT_EQ(rowlist_add_fields(&a, u"one", u"sub", u"C:\\x", nullptr, kKindOpen, 10), 0);
    ASSERT_EQ(rowlist_add_fields(&a, u"two", nullptr, nullptr, nullptr, kKindInfo, 5), 0);
    EXPECT_EQ(a.count, 2);
    EXPECT_EQ(a.items[1].subtitle, nullptr);
    Row copy;
    ASSERT_EQ(row_clone(&a.items[0], &copy, nullptr), 0);
    ASSERT_EQ(rowlist_add(&b, &copy), 0);
    EXPECT_EQ(std::u16string(b.items[0].title), u"one");
    EXPECT_NE(b.items[0].title, a.items[0].title);
    rowlist_free(&a);
    rowlist_free(&b);
    EXPECT_EQ(a.items, nullptr);
    EXPECT_EQ(a.count, 0);
    EXPECT_EQ(b.items, nullptr);
    EXPECT_EQ(b.count, 0);
}

TEST(RowList, NullTitleStoredAsEmptyAndArenaListsGrow) {
    Arena* arena = arena_create(0);
    RowList l;
    rowlist_init(&l, arena);
    for (int i = 0; i < 100; ++i) ASSERT_EQ(rowlist_add_fields(&l, nullptr, nullptr, nullptr, nullptr, 0, i), 0);
    EXPECT_EQ(l.count, 100);
    EXPECT_GE(l.capacity, 100);
    EXPECT_EQ(std::u16string(l.items[99].title), u"");
    EXPECT_EQ(l.items[99].score, 99);
    rowlist_truncate(&l, 10);
    EXPECT_EQ(l.count, 10);
    rowlist_truncate(&l, 50);  // larger than count: nothing happens
    EXPECT_EQ(l.count, 10);
    arena_destroy(arena);
}

TEST(RowList, TagAppliesFromCount) {
    RowList l;
    rowlist_init(&l, nullptr);
    rowlist_add_fields(&l, u"a", nullptr, nullptr, nullptr, 0, 0);
    rowlist_set_tag(&l, 0, 'S');
    int32_t from = l.count;
    rowlist_add_fields(&l, u"b", nullptr, nullptr, nullptr, 0, 0);
    rowlist_add_fields(&l, u"c", nullptr, nullptr, nullptr, 0, 0);
    rowlist_set_tag(&l, from, 'A');
    EXPECT_EQ(l.items[0].tag, 'S');
    EXPECT_EQ(l.items[1].tag, 'A');
    EXPECT_EQ(l.items[2].tag, 'A');
    rowlist_free(&l);
}

TEST(RowList, SortByScoreThenDedupKeepsBest) {
    RowList l;
    rowlist_init(&l, nullptr);
    rowlist_add_fields(&l, u"a", nullptr, nullptr, u"p1", kKindOpen, 20);
    rowlist_add_fields(&l, u"A", nullptr, nullptr, u"P1", kKindOpen, 30);
    rowlist_add_fields(&l, u"a", nullptr, nullptr, u"p2", kKindOpen, 10);
    rowlist_add_fields(&l, u"b", nullptr, nullptr, nullptr, kKindOpen, 30);
    rowlist_sort_by_score(&l);
    EXPECT_EQ(titles(l), (std::vector<std::u16string>{u"A", u"b", u"a", u"a"}));
    rowlist_dedup(&l);
    ASSERT_EQ(l.count, 3);
    EXPECT_EQ(std::u16string(l.items[0].title), u"A");
    EXPECT_EQ(l.items[0].score, 30);
    EXPECT_EQ(std::u16string(l.items[2].target), u"p2");
    rowlist_free(&l);
}

TEST(RowList, DedupKeepsFirstAndOrder) {
    RowList l;
    rowlist_init(&l, nullptr);
    const char16_t* names[] = {u"x", u"y", u"X", u"z", u"Y", u"x"};
    for (int i = 0; i < 6; ++i) rowlist_add_fields(&l, names[i], nullptr, nullptr, nullptr, 0, i);
    rowlist_dedup(&l);
    ASSERT_EQ(l.count, 3);
    EXPECT_EQ(titles(l), (std::vector<std::u16string>{u"x", u"y", u"z"}));
    EXPECT_EQ(l.items[0].score, 0);
    EXPECT_EQ(l.items[1].score, 1);
    rowlist_free(&l);
}

TEST(RowList, ShortestPathOrder) {
    RowList l;
    rowlist_init(&l, nullptr);
    const char16_t* paths[] = {u"C:\\X\\b.txt", u"C:\\X\\A\\c.txt", nullptr, u"C:\\X\\a.txt", u"C:\\X\\A\\B\\d.txt"};
    const char16_t* names[] = {u"b", u"c", u"none", u"a", u"d"};
    for (int i = 0; i < 5; ++i) rowlist_add_fields(&l, names[i], nullptr, paths[i], nullptr, 0, 0);
    rowlist_sort_shortest_path(&l);
    EXPECT_EQ(titles(l), (std::vector<std::u16string>{u"a", u"b", u"c", u"d", u"none"}));
    rowlist_free(&l);
}

TEST(RowList, ShortestPathKeepsOrderOfEqualPaths) {
    Arena* arena = arena_create(0);
    RowList l;
    rowlist_init(&l, arena);
    for (int i = 0; i < 300; ++i) {
        const char16_t* p = (i % 3 == 0) ? u"C:\\same" : (i % 3 == 1) ? u"C:\\SAME" : u"C:\\s";
        rowlist_add_fields(&l, u"r", nullptr, p, nullptr, 0, i);
    }
    rowlist_sort_shortest_path(&l);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(l.items[i].score, 3 * i + 2);
    int last = -1;
    for (int i = 100; i < 300; ++i) {
        EXPECT_GT(l.items[i].score, last);
        last = l.items[i].score;
    }
    arena_destroy(arena);
}

TEST(RowList, KeepFoldersAsksTheFileSystem) {
    FakeWorld world;
    PlatformScope scope(world.platform());
    world.files.add_folder(u"C:\\Data\\Sub");
    world.files.add_file(u"C:\\Data\\file.txt", "x");
    RowList l;
    rowlist_init(&l, nullptr);
    rowlist_add_fields(&l, u"sub", nullptr, u"c:/data/SUB", nullptr, 0, 0);
    rowlist_add_fields(&l, u"file", nullptr, u"C:\\Data\\file.txt", nullptr, 0, 0);
    rowlist_add_fields(&l, u"drive", nullptr, nullptr, nullptr, 0, 0);
    l.items[2].is_folder = 1;
    rowlist_add_fields(&l, u"gone", nullptr, u"C:\\Nope", nullptr, 0, 0);
    rowlist_keep_folders(&l);
    EXPECT_EQ(titles(l), (std::vector<std::u16string>{u"sub", u"drive"}));
    rowlist_free(&l);
}

}  // namespace
