// Drives, folder listings, the walk and the Windows Search client over the real calls under wine:
// C: and Z: from the volume calls, a real folder's children, a scoped search that walks a folder
// no indexer knows, and the guidance rows of a machine without Windows Search.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "app/wiring.h"
#include "core/arena.h"
#include "core/row.h"
#include "core/text.h"
#include "indexers/windows_search.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_platform.h"
#include "query/indexer_backend.h"
#include "query/pipeline.h"
#include "query/pipeline_sources.h"
#include "query/query_cache.h"
#include "sources/drives.h"
#include "sources/folder_walk.h"
#include "store/options.h"
#include "support/u16.h"

namespace {

class DrivesWin32 : public ::testing::Test {
protected:
    void SetUp() override {
        scope_ = std::make_unique<PlatformScope>(win32_platform());
        arena_ = arena_create(64 * 1024);
        rowlist_init(&rows_, arena_);
    }
    void TearDown() override {
        arena_destroy(arena_);
        scope_.reset();
    }
    const Row* find_title_end(std::u16string_view end) const {
        for (int32_t i = 0; i < rows_.count; ++i)
            if (text_ends_with_ci(text_view(rows_.items[i].title), end)) return &rows_.items[i];
        return nullptr;
    }
    // A fresh folder under the temp folder, removed afterwards.
    std::u16string make_folder(const char16_t* leaf) {
        std::u16string f = path_join(os_files().temp_folder(), leaf);
        remove_tree(f);
        EXPECT_EQ(os_files().create_folder(f), 0u);
        made_.push_back(f);
        return f;
    }
    void remove_tree(const std::u16string& folder) {
        std::vector<FileEntry> entries;
        if (os_files().list(folder, entries) == 0)
            for (const auto& e : entries) {
                std::u16string p = path_join(folder, e.name);
                if (e.attributes & win::kAttrDirectory) remove_tree(p);
                else os_files().remove(p);
            }
        os_files().remove_folder(folder);
    }
    ~DrivesWin32() override {
        PlatformScope s(win32_platform());
        for (const auto& f : made_) remove_tree(f);
    }

    std::unique_ptr<PlatformScope> scope_;
    Arena* arena_ = nullptr;
    RowList rows_{};
    std::vector<std::u16string> made_;
};

TEST_F(DrivesWin32, DrivesCAndZFromTheVolumeCalls) {
    list_drives(&rows_);
    for (const char16_t* root : {u"C:\\", u"Z:\\"}) {
        const char16_t suffix[] = {u'(', root[0], u':', u')', 0};
        const Row* r = find_title_end(suffix);
        ASSERT_NE(r, nullptr) << u8(root);
        wchar_t label[MAX_PATH + 1] = {}, fs[33] = {};
        ASSERT_TRUE(GetVolumeInformationW(as_wide(root), label, MAX_PATH + 1, nullptr, nullptr, nullptr, fs, 33));
        std::u16string want_title = (label[0] ? std::u16string(as_u16(label)) : std::u16string(u"Local Disk")) + u" " + suffix;
        EXPECT_EQ(text_view(r->title), want_title);
        ULARGE_INTEGER available, total;
        ASSERT_TRUE(GetDiskFreeSpaceExW(as_wide(root), &available, &total, nullptr));
        EXPECT_EQ(r->has_usage, 1);
        EXPECT_EQ(r->total_bytes, total.QuadPart);
        EXPECT_LE(r->used_bytes, r->total_bytes);
        EXPECT_TRUE(text_starts_with_ci(r->subtitle, (std::u16string(as_u16(fs)) + u" \u00B7 ").c_str())) << u8(text_view(r->subtitle));
        EXPECT_TRUE(text_contains_ci(r->subtitle, u"free of"));
        EXPECT_EQ(text_view(r->path), root);
        EXPECT_EQ(r->is_folder, 1);
        EXPECT_EQ(r->tag, tag::kDrive);
    }
}

// Drives of other types exist only where the run made them (wine's drive registry and a
// dosdevices link): KESTRUNE_FIXTURE_DRIVES lists them as "R=CD-ROM;N=Network Drive".
TEST_F(DrivesWin32, FixtureDrivesShowTheirTypeName) {
    auto fixtures = os_env().get(u"KESTRUNE_FIXTURE_DRIVES");
    if (!fixtures || fixtures->empty()) GTEST_SKIP() << "no fixture drives in this run";
    list_drives(&rows_);
    std::u16string_view rest = *fixtures;
    while (!rest.empty()) {
        size_t end = rest.find(u';');
        std::u16string_view item = rest.substr(0, end);
        rest = end == std::u16string_view::npos ? std::u16string_view() : rest.substr(end + 1);
        ASSERT_GE(item.size(), 3u);
        std::u16string want = std::u16string(item.substr(2)) + u" (" + item[0] + u":)";
        const Row* r = find_title_end(std::u16string(u"(") + item[0] + u":)");
        ASSERT_NE(r, nullptr) << u8(want);
        EXPECT_EQ(text_view(r->title), want);
    }
}

TEST_F(DrivesWin32, ChildrenOfARealFolderAndAWalkBelowIt) {
    std::u16string f = make_folder(u"kestrune-drives-test");
    ASSERT_EQ(os_files().write(path_join(f, u"a.txt"), "123"), 0u);
    ASSERT_EQ(os_files().write(path_join(f, u"b.txt"), "12345"), 0u);
    ASSERT_EQ(os_files().create_folder(path_join(f, u"sub")), 0u);
    ASSERT_EQ(os_files().write(path_join(f, u"sub\\zzzwalk_a.txt"), "x"), 0u);
    std::u16string folder = f + u"\\";
    list_children(folder.c_str(), &rows_);
    ASSERT_EQ(rows_.count, 3);
    for (int32_t i = 0; i < rows_.count; ++i) {
        const Row& r = rows_.items[i];
        EXPECT_EQ(text_view(r.path), folder + r.title);
        if (text_view(r.title) == u"sub") {
            EXPECT_EQ(r.is_folder, 1);
            EXPECT_EQ(r.score, 100);
            EXPECT_EQ(r.has_size, 0);
        } else {
            EXPECT_EQ(r.score, 90);
            EXPECT_EQ(r.size, text_view(r.title) == u"a.txt" ? 3u : 5u);
        }
    }
    rowlist_init(&rows_, arena_);
    WalkState s = walk_folder_state(folder.c_str(), u"zzzwalk", &rows_, 0);
    EXPECT_EQ(s.dirs_visited, 2u);
    ASSERT_EQ(rows_.count, 1);
    EXPECT_EQ(text_view(rows_.items[0].path), folder + u"sub\\zzzwalk_a.txt");
}

TEST_F(DrivesWin32, WithoutWindowsSearchTheGuidanceRowsAndAWalkAnswer) {
    EXPECT_FALSE(ws_service_running());
    kWindowsSearchBackend.search(u"notepad", 0, nullptr, u"notepad", &rows_, 0, 0);
    ASSERT_EQ(rows_.count, 2);
    EXPECT_EQ(text_view(rows_.items[0].title), u"Windows Search is off");
    EXPECT_EQ(rows_.items[0].kind, kKindIndexingOptions);
    EXPECT_EQ(text_view(rows_.items[1].title), u"Get Everything");
    EXPECT_EQ(rows_.items[1].kind, kKindSettings);
    for (int32_t i = 0; i < rows_.count; ++i) EXPECT_EQ(rows_.items[i].tag, tag::kInfo);

    // A scoped search in a folder no indexer knows walks it and finds the file.
    std::u16string f = make_folder(u"kestrune-scoped-test");
    ASSERT_EQ(os_files().create_folder(path_join(f, u"deeper")), 0u);
    ASSERT_EQ(os_files().write(path_join(f, u"deeper\\zzzfixture_q.txt"), "x"), 0u);
    std::u16string folder = f + u"\\";
    options_reset();
    PipelineSources saved = pipeline_sources_install(PipelineSources{});
    const IndexerBackend* saved_indexer = indexer_backend_install(&kWindowsSearchBackend);
    wiring_join_all();
    rowlist_init(&rows_, arena_);
    run_query(u"zzzfixture", folder.c_str(), &rows_, 0);
    ASSERT_EQ(rows_.count, 1);
    EXPECT_EQ(text_view(rows_.items[0].path), folder + u"deeper\\zzzfixture_q.txt");
    EXPECT_EQ(rows_.items[0].tag, tag::kFolder);
    cache_free();
    indexer_backend_install(saved_indexer);
    pipeline_sources_install(saved);
}

}  // namespace
