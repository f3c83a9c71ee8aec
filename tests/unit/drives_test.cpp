// Drive rows, folder listings, the indexed probe and the bounded walk over the fake machine.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/arena.h"
#include "core/row.h"
#include "core/text.h"
#include "platform/fake/fake_world.h"
#include "query/indexer_backend.h"
#include "query/workers.h"
#include "sources/drives.h"
#include "sources/folder_walk.h"
#include "support/u16.h"

namespace {

class Rows {
public:
    Rows() : arena_(arena_create(64 * 1024)) { rowlist_init(&list, arena_); }
    ~Rows() { arena_destroy(arena_); }
    Rows(const Rows&) = delete;
    Rows& operator=(const Rows&) = delete;
    const Row* find(std::u16string_view title) const {
        for (int32_t i = 0; i < list.count; ++i)
            if (text_view(list.items[i].title) == title) return &list.items[i];
        return nullptr;
    }
    std::vector<std::string> titles() const {
        std::vector<std::string> t;
        for (int32_t i = 0; i < list.count; ++i) t.push_back(u8(text_view(list.items[i].title)));
        return t;
    }
    RowList list{};

private:
    Arena* arena_;
};

class Drives : public ::testing::Test {
protected:
    Drives() : scope_(world_.platform()) {}
    FakeWorld world_;
    PlatformScope scope_;
};

TEST_F(Drives, RowsNameEveryDriveTypeWhenUnlabelled) {
    struct Case {
        char16_t letter;
        uint32_t type;
        const char* title;
    };
    const Case cases[] = {
        {u'A', win::kDriveRemovable, "Removable (A:)"}, {u'D', win::kDriveRemote, "Network Drive (D:)"},
        {u'E', win::kDriveCdrom, "CD-ROM (E:)"},        {u'F', win::kDriveRamdisk, "RAM Disk (F:)"},
        {u'G', win::kDriveUnknown, "Drive (G:)"},       {u'H', win::kDriveNoRootDir, "Drive (H:)"},
        {u'I', 7, "Drive (I:)"},
    };
    for (const Case& c : cases) world_.volumes.add(c.letter, FakeDrive{.type = c.type, .total = 1 << 20, .available = 0});
    Rows rows;
    list_drives(&rows.list);
    std::vector<std::string> want{"Removable (A:)", "Local Disk (C:)"};
    for (const Case& c : cases)
        if (c.letter != u'A') want.push_back(c.title);
    EXPECT_EQ(rows.titles(), want);  // A to Z
    for (int32_t i = 0; i < rows.list.count; ++i) {
        const Row& r = rows.list.items[i];
        EXPECT_EQ(r.kind, kKindOpen);
        EXPECT_EQ(r.score, 100);
        EXPECT_EQ(r.tag, tag::kDrive);
        EXPECT_EQ(r.is_folder, 1);
        std::u16string root{r.title[text_len(r.title) - 3], u':', u'\\'};
        EXPECT_EQ(text_view(r.path), root);
        EXPECT_EQ(text_view(r.target), root);
    }
}

TEST_F(Drives, LabelFileSystemAndUsage) {
    world_.volumes.add(u'D', FakeDrive{.label = u"Data", .total = 2000ull << 30, .available = 500ull << 30});
    // A CD-ROM drive without a disc: its type name, no file system, no usage.
    world_.volumes.add(u'E', FakeDrive{.type = win::kDriveCdrom, .label = u"Disc", .readable = false});
    // More reported free than the total (a quota quirk): used is 0, not a huge number.
    world_.volumes.add(u'F', FakeDrive{.file_system = u"FAT32", .total = 1000, .available = 5000});
    // No size: the file system alone.
    world_.volumes.add(u'G', FakeDrive{.file_system = u"exFAT", .total = 0});
    Rows rows;
    list_drives(&rows.list);

    const Row* c = rows.find(u"Local Disk (C:)");
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->has_usage, 1);
    EXPECT_EQ(c->total_bytes, 256ull << 30);
    EXPECT_EQ(c->used_bytes, 156ull << 30);
    EXPECT_EQ(u8(text_view(c->subtitle)), "NTFS \xC2\xB7 156.00 used \xC2\xB7 100.00 free of 256.00 GiB");

    const Row* d = rows.find(u"Data (D:)");
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(text_starts_with_ci(d->subtitle, u"NTFS \u00B7 "));
    EXPECT_TRUE(text_contains_ci(d->subtitle, u"free of"));

    const Row* e = rows.find(u"CD-ROM (E:)");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(text_view(e->subtitle), u"");
    EXPECT_EQ(e->has_usage, 0);

    const Row* f = rows.find(u"Local Disk (F:)");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->used_bytes, 0u);
    EXPECT_EQ(f->total_bytes, 1000u);
    EXPECT_EQ(u8(text_view(f->subtitle)), "FAT32 \xC2\xB7 0 used \xC2\xB7 5000 free of 1000 B");

    const Row* g = rows.find(u"Local Disk (G:)");
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->has_usage, 0);
    EXPECT_EQ(text_view(g->subtitle), u"exFAT");
}

TEST_F(Drives, ALongLabelIsCutAndNoBackendMeansNoRows) {
    world_.volumes.add(u'D', FakeDrive{.label = std::u16string(300, u'x'), .total = 1});
    Rows rows;
    list_drives(&rows.list);
    // The label comes back in 260 units (259 and the terminator).
    EXPECT_EQ(text_view(rows.list.items[1].title), std::u16string(259, u'x') + u" (D:)");

    Platform p = world_.platform();
    p.volumes = nullptr;
    PlatformScope none(p);
    Rows empty;
    list_drives(&empty.list);
    EXPECT_EQ(empty.list.count, 0);
}

TEST_F(Drives, ChildrenOfAFolder) {
    world_.files.add_file(u"C:\\Work\\b.txt", "12345", 777);
    world_.files.add_file(u"C:\\Work\\a.txt", "123", 555, win::kAttrHidden | win::kAttrSystem);
    world_.files.add_folder(u"C:\\Work\\sub");
    for (const char16_t* folder : {u"C:\\Work\\", u"C:\\Work"}) {
        Rows rows;
        list_children(folder, &rows.list);
        ASSERT_EQ(rows.list.count, 3) << u8(folder);
        const Row* sub = rows.find(u"sub");
        ASSERT_NE(sub, nullptr);
        EXPECT_EQ(sub->is_folder, 1);
        EXPECT_EQ(sub->score, 100);
        EXPECT_EQ(sub->has_size, 0);
        EXPECT_EQ(text_view(sub->path), u"C:\\Work\\sub");
        const Row* a = rows.find(u"a.txt");  // hidden and system entries are listed too
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->score, 90);
        EXPECT_EQ(a->has_size, 1);
        EXPECT_EQ(a->size, 3u);
        EXPECT_EQ(a->modified, 555u);
        EXPECT_EQ(a->tag, tag::kFolder);
        EXPECT_EQ(a->kind, kKindOpen);
        const Row* b = rows.find(u"b.txt");
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->size, 5u);
        EXPECT_EQ(text_view(b->subtitle), u"C:\\Work\\b.txt");
        EXPECT_EQ(text_view(b->target), u"C:\\Work\\b.txt");
    }
    // A drive root lists its entries, not itself.
    Rows root;
    list_children(u"C:\\", &root.list);
    ASSERT_NE(root.find(u"Work"), nullptr);
    EXPECT_EQ(root.find(u""), nullptr);
    EXPECT_EQ(text_view(root.find(u"Work")->path), u"C:\\Work");
    Rows none;
    list_children(u"C:\\Missing\\", &none.list);
    list_children(u"", &none.list);
    list_children(nullptr, &none.list);
    EXPECT_EQ(none.list.count, 0);
}

TEST_F(Drives, AChildWhosePathWouldBeCutIsLeftOut) {
    std::u16string folder = u"C:\\" + std::u16string(250, u'd') + u"\\";  // 254 units
    world_.files.add_file(folder + std::u16string(13, u'k'), "");         // 267 units: whole
    world_.files.add_file(folder + std::u16string(14, u'l'), "");         // 268 units: would be cut
    Rows rows;
    list_children(folder.c_str(), &rows.list);
    ASSERT_EQ(rows.list.count, 1);
    EXPECT_EQ(text_len(rows.list.items[0].path), kChildPathCap);
    EXPECT_EQ(rows.list.items[0].title[0], u'k');
}

// An indexer whose answer the test chooses; it notes the name it was asked for.
struct ProbeIndexer {
    static inline std::u16string asked;
    static inline std::function<void(RowList*)> answer;
    static void search_in_folder(const char16_t* name, const char16_t*, const char16_t*, RowList* out, int32_t) {
        asked = name;
        if (answer) answer(out);
    }
};

void add_tagged(RowList* out, int32_t kind, char letter) {
    int32_t from = out->count;
    rowlist_add_fields(out, u"x", u"", nullptr, nullptr, kind, 100);
    rowlist_set_tag(out, from, letter);
}

TEST_F(Drives, IndexedProbeAsksForAPlainEntryAndCountsOnlyRealRows) {
    const IndexerBackend probe{1, nullptr, ProbeIndexer::search_in_folder};
    const IndexerBackend* saved = indexer_backend_install(&probe);
    world_.files.add_file(u"C:\\P\\desktop.ini", "", 0, win::kAttrHidden | win::kAttrSystem);
    world_.files.add_file(u"C:\\P\\report.txt", "");
    world_.files.add_folder(u"C:\\Empty");

    struct Case {
        const char* what;
        std::function<void(RowList*)> answer;
        int want;
    };
    const Case cases[] = {
        {"a file row", [](RowList* o) { add_tagged(o, kKindOpen, 'W'); }, 1},
        {"nothing", [](RowList*) {}, 0},
        {"an information row", [](RowList* o) { add_tagged(o, kKindInfo, '?'); }, 0},
        // The two guidance rows of a Windows Search that is off: kinds 18 and 2, tagged '?'.
        {"guidance rows",
         [](RowList* o) {
             add_tagged(o, kKindIndexingOptions, '?');
             add_tagged(o, kKindSettings, '?');
         },
         0},
    };
    for (const Case& c : cases) {
        ProbeIndexer::answer = c.answer;
        ProbeIndexer::asked.clear();
        EXPECT_EQ(folder_is_indexed(u"C:\\P\\", 0), c.want) << c.what;
        EXPECT_EQ(ProbeIndexer::asked, u"report.txt") << c.what;
    }
    // Nothing to ask about: counted as known, without asking.
    ProbeIndexer::asked.clear();
    EXPECT_EQ(folder_is_indexed(u"C:\\Empty\\", 0), 1);
    EXPECT_EQ(folder_is_indexed(u"C:\\Missing\\", 0), 1);
    EXPECT_EQ(folder_is_indexed(u"", 0), 1);
    EXPECT_EQ(folder_is_indexed(nullptr, 0), 1);
    EXPECT_EQ(ProbeIndexer::asked, u"");
    // Only hidden or system entries: the first one is asked for.
    world_.files.add_file(u"C:\\H\\thumbs.db", "", 0, win::kAttrHidden);
    ProbeIndexer::answer = nullptr;
    EXPECT_EQ(folder_is_indexed(u"C:\\H\\", 0), 0);
    EXPECT_EQ(ProbeIndexer::asked, u"thumbs.db");
    indexer_backend_install(saved);
}

// A file system whose folders list what the test computes, over the fake's other calls: loops,
// endless trees, a clock that moves with every listing, a request that goes stale.
class ScriptedFiles : public FakeFiles {
public:
    std::function<void(std::u16string_view folder, std::vector<FileEntry>& out)> lister;
    int lists = 0;
    uint32_t list(std::u16string_view folder, std::vector<FileEntry>& out) override {
        ++lists;
        out.clear();
        lister(folder, out);
        return 0;
    }
};

FileEntry dir_entry(std::u16string name, uint32_t extra = 0) { return FileEntry{std::move(name), win::kAttrDirectory | extra, 0, 0}; }
FileEntry file_entry(std::u16string name) { return FileEntry{std::move(name), win::kAttrArchive, 10, 0}; }

class Walk : public Drives {
protected:
    WalkState walk(const char16_t* folder, const char16_t* name, int32_t generation = 0) {
        Platform p = world_.platform();
        p.files = &files_;
        PlatformScope scope(p);
        return walk_folder_state(folder, name, &rows_.list, generation);
    }
    ScriptedFiles files_;
    Rows rows_;
};

TEST_F(Drives, WalkFindsMatchesAtAnyDepthWithTheirScores) {
    world_.files.add_file(u"C:\\T\\zzzwalk_a.txt", "abc");
    world_.files.add_file(u"C:\\T\\deep\\er\\zzzwalk.txt", "");
    world_.files.add_file(u"C:\\T\\deep\\other.txt", "");
    world_.files.add_folder(u"C:\\T\\zzzwalk_dir");
    Rows rows;
    WalkState s = walk_folder_state(u"C:\\T\\", u"zzzwalk", &rows.list, 0);
    EXPECT_EQ(s.stopped, 0);
    EXPECT_EQ(s.rows_found, 3u);
    EXPECT_EQ(s.dirs_visited, 4u);  // T, deep, er, zzzwalk_dir
    const Row* exact = rows.find(u"zzzwalk.txt");
    ASSERT_NE(exact, nullptr);
    EXPECT_EQ(text_view(exact->path), u"C:\\T\\deep\\er\\zzzwalk.txt");
    EXPECT_EQ(exact->tag, tag::kFolder);
    const Row* prefix = rows.find(u"zzzwalk_a.txt");
    ASSERT_NE(prefix, nullptr);
    EXPECT_EQ(prefix->score, 100);  // the walk's tiers, not the listing's 90
    EXPECT_EQ(prefix->size, 3u);
    const Row* dir = rows.find(u"zzzwalk_dir");
    ASSERT_NE(dir, nullptr);
    EXPECT_EQ(dir->is_folder, 1);

    Rows none;
    walk_folder(u"C:\\T\\", u"", &none.list, 0);
    walk_folder(u"", u"zzzwalk", &none.list, 0);
    walk_folder(u"C:\\Missing\\", u"zzzwalk", &none.list, 0);
    EXPECT_EQ(none.list.count, 0);
}

TEST_F(Drives, WalkStopsAtExactlyTheRowLimit) {
    for (uint32_t i = 0; i <= kWalkMaxRows; ++i)
        world_.files.add_file(u"C:\\Many\\m" + u16(std::to_string(i)) + u".txt", "");
    Rows rows;
    WalkState s = walk_folder_state(u"C:\\Many\\", u"m", &rows.list, 0);
    EXPECT_EQ(rows.list.count, static_cast<int32_t>(kWalkMaxRows));
    EXPECT_EQ(s.stopped, 1);
}

TEST_F(Walk, NeverFollowsALinkBackUp) {
    // C:\T\loop is a symbolic link to C:\T: its listing is C:\T's again.
    files_.lister = [](std::u16string_view, std::vector<FileEntry>& out) {
        out.push_back(dir_entry(u"loop", win::kAttrReparsePoint));
        out.push_back(file_entry(u"zzz.txt"));
    };
    WalkState s = walk(u"C:\\T\\", u"zzz");
    EXPECT_EQ(files_.lists, 1);
    EXPECT_EQ(s.dirs_visited, 1u);
    EXPECT_EQ(rows_.titles(), std::vector<std::string>{"zzz.txt"});
}

TEST_F(Walk, AnUnmarkedLoopEndsAtThePathLimit) {
    // The same loop without the reparse mark (a bind mount): the path grows until it no longer fits.
    files_.lister = [](std::u16string_view, std::vector<FileEntry>& out) {
        out.push_back(dir_entry(u"loop"));
        out.push_back(file_entry(u"zzz.txt"));
    };
    WalkState s = walk(u"C:\\T\\", u"zzz");
    EXPECT_EQ(s.stopped, 0);
    // The deepest folder is "C:\T\" and 52 × "loop\" (265 units); a row's path with its trailing
    // backslash and terminator must stay within 268 units, which zzz.txt does down to depth 50.
    EXPECT_EQ(s.dirs_visited, 53u);
    for (int32_t i = 0; i < rows_.list.count; ++i) EXPECT_LT(text_len(rows_.list.items[i].path), 266u);
    EXPECT_EQ(rows_.list.count, 51);
}

TEST_F(Walk, EndsAfterTheFolderLimit) {
    files_.lister = [](std::u16string_view, std::vector<FileEntry>& out) {
        for (char16_t c = u'0'; c <= u'9'; ++c) out.push_back(dir_entry(std::u16string(1, c)));
    };
    WalkState s = walk(u"C:\\T\\", u"zzz");
    EXPECT_EQ(s.stopped, 1);
    EXPECT_EQ(s.dirs_visited, kWalkMaxFolders + 1);
    EXPECT_EQ(files_.lists, static_cast<int>(kWalkMaxFolders));
}

TEST_F(Walk, EndsAfterEightSecondsLookingAtTheClockEvery64Folders) {
    files_.lister = [this](std::u16string_view folder, std::vector<FileEntry>& out) {
        world_.clock.advance_ms(1);
        out.push_back(file_entry(u"zzz.txt"));
        // Ten sub-folders down to depth 7: a tree far larger than the walk may take.
        if (folder.size() < 20)
            for (char16_t c = u'0'; c <= u'9'; ++c) out.push_back(dir_entry(std::u16string(1, c)));
    };
    WalkState s = walk(u"C:\\T\\", u"zzz");
    EXPECT_EQ(s.stopped, 1);
    // Folder 8064 is the first multiple of 64 to see more than 8000 ms gone (8063 listings).
    EXPECT_EQ(s.dirs_visited, 8064u);
    EXPECT_EQ(rows_.list.count, 8063);  // what it found is kept
}

// A request is live only while the lanes are not shut down, and an earlier lane test may have
// stopped them: this clears that without starting a lane thread.
void lanes_up_without_threads() {
    workers_fail_thread_start(3);
    workers_start();
}

TEST_F(Walk, EndsWhenTheRequestGoesStale) {
    lanes_up_without_threads();
    int32_t generation = search_generation_next();
    files_.lister = [this](std::u16string_view, std::vector<FileEntry>& out) {
        if (files_.lists == 10) search_generation_next();  // the user typed on
        out.push_back(file_entry(u"zzz.txt"));
        for (char16_t c = u'0'; c <= u'9'; ++c) out.push_back(dir_entry(std::u16string(1, c)));
    };
    WalkState s = walk(u"C:\\T\\", u"zzz", generation);
    EXPECT_EQ(s.stopped, 0);
    EXPECT_EQ(files_.lists, 10);
    EXPECT_EQ(rows_.list.count, 9);  // the tenth listing saw the request stale before its first entry
}

}  // namespace
