// The Windows Search client: the SQL it sends, the rows it reads through the fake provider in
// batches, its failures and staleness, the merge of the two forms, the guidance rows and the
// status text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/wiring.h"
#include "core/arena.h"
#include "core/row.h"
#include "core/text.h"
#include "indexers/windows_search.h"
#include "indexers/windows_search_sql.h"
#include "platform/fake/fake_world.h"
#include "query/indexer_backend.h"
#include "query/pipeline.h"
#include "query/pipeline_sources.h"
#include "query/query_cache.h"
#include "query/workers.h"
#include "store/options.h"
#include "support/u16.h"

namespace {

const std::string kHead = "SELECT TOP 50 System.ItemName, System.ItemFolderPathDisplay FROM SYSTEMINDEX WHERE ";
const std::string kHead2000 = "SELECT TOP 2000 System.ItemName, System.ItemFolderPathDisplay FROM SYSTEMINDEX WHERE ";
const std::string kFolderX =
    " AND (System.ItemFolderPathDisplay = 'C:\\X' OR System.ItemFolderPathDisplay LIKE 'C:\\X\\%')";

struct SqlCase {
    const char* query;
    const char16_t* folder;
    const char16_t* extensions;
    int32_t limit;
    std::string contains;  // empty: the form fails
    std::string like;
};

std::string build(bool contains_form, const SqlCase& c) {
    char16_t buf[kWsSqlCap];
    std::u16string q = u16(c.query);
    bool ok = contains_form ? ws_sql_contains(q.c_str(), c.folder, c.extensions, c.limit, buf, kWsSqlCap)
                            : ws_sql_like(q.c_str(), c.folder, c.extensions, c.limit, buf, kWsSqlCap);
    std::string text = u8(text_view(buf));
    EXPECT_EQ(ok, !text.empty()) << c.query;  // a failed build leaves no text behind
    return text;
}

TEST(WindowsSearchSql, BuildsBothFormsCharacterForCharacter) {
    const SqlCase cases[] = {
        {"terminal", nullptr, nullptr, 50, kHead + "CONTAINS(System.FileName, '\"terminal*\"')",
         kHead + "System.FileName LIKE '%terminal%'"},
        {"quarterly report", nullptr, nullptr, 50,
         kHead + "CONTAINS(System.FileName, '\"quarterly*\"') AND CONTAINS(System.FileName, '\"report*\"')",
         kHead + "System.FileName LIKE '%quarterly%report%'"},
        {"*.pdf", nullptr, nullptr, 50, kHead + "(System.FileExtension = '.pdf')",
         kHead + "System.FileName LIKE '%' AND (System.FileExtension = '.pdf')"},
        {"ext:.png", nullptr, nullptr, 50, kHead + "(System.FileExtension = '.png')",
         kHead + "System.FileName LIKE '%' AND (System.FileExtension = '.png')"},
        {"report*.pdf", nullptr, nullptr, 50, kHead + "CONTAINS(System.FileName, '\"report.pdf*\"')",
         kHead + "System.FileName LIKE '%report%.pdf%'"},
        {"o'brien", nullptr, nullptr, 50, kHead + "CONTAINS(System.FileName, '\"o''brien*\"')",
         kHead + "System.FileName LIKE '%o''brien%'"},
        {"report", u"C:\\X\\", u"exe;lnk", 2000,
         kHead2000 + "CONTAINS(System.FileName, '\"report*\"') AND (System.FileExtension = '.exe' OR "
                     "System.FileExtension = '.lnk')" + kFolderX,
         kHead2000 + "System.FileName LIKE '%report%' AND (System.FileExtension = '.exe' OR System.FileExtension = '.lnk')" +
             kFolderX},
        {"*", nullptr, nullptr, 50, "", kHead + "System.FileName LIKE '%%%'"},
        {"", nullptr, nullptr, 50, "", kHead + "System.FileName LIKE '%'"},
        // A folder alone is a condition; the first clause has no AND. A drive root keeps its backslash.
        {"*", u"C:\\o'b_x\\", nullptr, 50,
         kHead + "(System.ItemFolderPathDisplay = 'C:\\o''b_x' OR System.ItemFolderPathDisplay LIKE 'C:\\o''b[_]x\\%')",
         kHead + "System.FileName LIKE '%%%' AND (System.ItemFolderPathDisplay = 'C:\\o''b_x' OR "
                 "System.ItemFolderPathDisplay LIKE 'C:\\o''b[_]x\\%')"},
        {"a", u"C:\\", nullptr, 50,
         kHead + "CONTAINS(System.FileName, '\"a*\"') AND (System.ItemFolderPathDisplay = 'C:\\' OR "
                 "System.ItemFolderPathDisplay LIKE 'C:\\%')",
         kHead + "System.FileName LIKE '%a%' AND (System.ItemFolderPathDisplay = 'C:\\' OR "
                 "System.ItemFolderPathDisplay LIKE 'C:\\%')"},
        // Wildcards and quotes: LIKE escapes, CONTAINS drops the wildcards and doubles both quotes.
        {"50%_[a] say\"hi? x", nullptr, nullptr, 50,
         kHead + "CONTAINS(System.FileName, '\"50%_[a]*\"') AND CONTAINS(System.FileName, '\"say\"\"hi*\"') AND "
                 "CONTAINS(System.FileName, '\"x*\"')",
         kHead + "System.FileName LIKE '%50[%][_][[]a]%say\"hi_%x%'"},
        // Only the first extension word filters; a second one is an ordinary word.
        {"*.pdf *.doc report", nullptr, nullptr, 50,
         kHead + "CONTAINS(System.FileName, '\".doc*\"') AND CONTAINS(System.FileName, '\"report*\"') AND "
                 "(System.FileExtension = '.pdf')",
         kHead + "System.FileName LIKE '%%.doc%report%' AND (System.FileExtension = '.pdf')"},
        // Empty entries of a given list add nothing; the query's own extension words are then plain.
        {"*.txt", nullptr, u";a;;b;", 7, "SELECT TOP 7 System.ItemName, System.ItemFolderPathDisplay FROM SYSTEMINDEX WHERE "
                                         "CONTAINS(System.FileName, '\".txt*\"') AND (System.FileExtension = '.a' OR "
                                         "System.FileExtension = '.b')",
         "SELECT TOP 7 System.ItemName, System.ItemFolderPathDisplay FROM SYSTEMINDEX WHERE System.FileName LIKE "
         "'%%.txt%' AND (System.FileExtension = '.a' OR System.FileExtension = '.b')"},
        {"x", nullptr, u";", 50, "", ""},
        {"ext:;;", nullptr, nullptr, 50, "", ""},
        {"EXT:.Png's", nullptr, nullptr, 0, kHead + "(System.FileExtension = '.Png''s')",
         kHead + "System.FileName LIKE '%' AND (System.FileExtension = '.Png''s')"},
    };
    for (const SqlCase& c : cases) {
        EXPECT_EQ(build(true, c), c.contains) << "CONTAINS of " << c.query;
        EXPECT_EQ(build(false, c), c.like) << "LIKE of " << c.query;
    }
}

TEST(WindowsSearchSql, LimitsAndCuts) {
    struct Limit {
        int32_t given, used;
    };
    for (Limit l : {Limit{0, 50}, Limit{-3, 50}, Limit{1, 1}, Limit{10000, 10000}, Limit{10001, 10000}, Limit{INT32_MAX, 10000}})
        EXPECT_EQ(ws_limit(l.given), l.used) << l.given;

    // A term stops at 253 units, an extension entry at 126.
    char16_t buf[kWsSqlCap];
    std::u16string long_word(400, u'w');
    ASSERT_TRUE(ws_sql_contains(long_word.c_str(), nullptr, nullptr, 50, buf, kWsSqlCap));
    EXPECT_NE(std::u16string(buf).find(u"'\"" + std::u16string(253, u'w') + u"*\"'"), std::u16string::npos);
    std::u16string long_ext = u"ext:" + std::u16string(300, u'e');
    ASSERT_TRUE(ws_sql_contains(long_ext.c_str(), nullptr, nullptr, 50, buf, kWsSqlCap));
    EXPECT_NE(std::u16string(buf).find(u"'." + std::u16string(63, u'e') + u"'"), std::u16string::npos);  // the list holds 63
    std::u16string given(200, u'g');
    ASSERT_TRUE(ws_sql_contains(u"x", nullptr, given.c_str(), 50, buf, kWsSqlCap));
    EXPECT_NE(std::u16string(buf).find(u"'." + std::u16string(63, u'g') + u"'"), std::u16string::npos);

    // Too long for 4096 units: the whole build fails and leaves nothing.
    std::u16string many;
    for (int i = 0; i < 300; ++i) many += u"ab ";
    EXPECT_FALSE(ws_sql_contains(many.c_str(), nullptr, nullptr, 50, buf, kWsSqlCap));
    EXPECT_EQ(buf[0], 0);
    EXPECT_TRUE(ws_sql_like(many.c_str(), nullptr, nullptr, 50, buf, kWsSqlCap));
    std::u16string percent_folder = u"C:\\" + std::u16string(250, u'%') + u"\\";
    std::u16string percents(1000, u'%');
    EXPECT_FALSE(ws_sql_like(percents.c_str(), percent_folder.c_str(), nullptr, 50, buf, kWsSqlCap));
    EXPECT_EQ(buf[0], 0);
    // An exact fit and one unit more.
    ASSERT_TRUE(ws_sql_like(u"a", nullptr, nullptr, 50, buf, kWsSqlCap));
    size_t need = text_len(buf) + 1;
    EXPECT_TRUE(ws_sql_like(u"a", nullptr, nullptr, 50, buf, need));
    EXPECT_FALSE(ws_sql_like(u"a", nullptr, nullptr, 50, buf, need - 1));
}

TEST(WindowsSearchSql, SplitsTheFirstExtensionWord) {
    struct Case {
        const char* query;
        const char* words;
        const char* extensions;
    };
    const Case cases[] = {
        {"ext:.png", "", ".png"},
        {"*.pdf", "", "pdf"},
        {"extension:pdf", "", "pdf"},
        {"ExTeNsIoN:a;b", "", "a;b"},
        {"report*.pdf", "report*.pdf", ""},
        {"ext:", "ext:", ""},
        {"extension:", "extension:", ""},
        {"*.p", "", "p"},
        {"?.7z", "", "7z"},
        {"*._x", "*._x", ""},
        {"*.", "*.", ""},
        {"  a   b  *.pdf c ", "a b c", "pdf"},
        {"*.pdf *.doc", "*.doc", "pdf"},
    };
    for (const Case& c : cases) {
        char16_t words[kWsWordsCap], ext[kWsExtensionsCap];
        ws_split_extension(u16(c.query).c_str(), words, ext);
        EXPECT_EQ(u8(words), c.words) << c.query;
        EXPECT_EQ(u8(ext), c.extensions) << c.query;
    }
    // A word that would not fit the 1024-unit buffer is dropped; later short ones still come.
    std::u16string q = std::u16string(1000, u'a') + u" " + std::u16string(100, u'b') + u" c";
    char16_t words[kWsWordsCap], ext[kWsExtensionsCap];
    ws_split_extension(q.c_str(), words, ext);
    EXPECT_EQ(std::u16string(words), std::u16string(1000, u'a') + u" c");
}

// ---------------------------------------------------------------------------------------------

FakeOleDbRow result(std::u16string folder, std::u16string name) { return FakeOleDbRow{std::move(name), std::move(folder)}; }

std::vector<FakeOleDbRow> numbered(const char16_t* folder, int n, const char16_t* prefix = u"f") {
    std::vector<FakeOleDbRow> rows;
    for (int i = 0; i < n; ++i) rows.push_back(result(folder, prefix + u16(std::to_string(i)) + u".txt"));
    return rows;
}

class WindowsSearch : public ::testing::Test {
protected:
    WindowsSearch() : scope_(world_.platform()) {
        db().connect_result = 0;
        arena_ = arena_create(64 * 1024);
        rowlist_init(&rows_, arena_);
    }
    ~WindowsSearch() override { arena_destroy(arena_); }
    FakeOleDb& db() { return world_.ole_db; }
    void expect_all_released() {
        EXPECT_EQ(db().live_rowsets, 0);
        EXPECT_EQ(db().held_batches, 0);
    }
    std::vector<std::string> paths() const {
        std::vector<std::string> p;
        for (int32_t i = 0; i < rows_.count; ++i) p.push_back(u8(text_view(rows_.items[i].path)));
        return p;
    }
    FakeWorld world_;
    PlatformScope scope_;
    Arena* arena_;
    RowList rows_{};
};

TEST_F(WindowsSearch, ReadsEveryBatchAndKeepsTheDataSource) {
    for (bool end_flag_with_rows : {true, false}) {
        rowlist_init(&rows_, arena_);
        int calls = 0;
        db().on_next_rows = [&](int32_t) { ++calls; };
        db().answers.push_back(FakeOleDbAnswer{.rows = numbered(u"C:\\d", 150), .end_flag_with_rows = end_flag_with_rows});
        EXPECT_EQ(ws_execute(u"SELECT x", nullptr, &rows_, 0), 0);
        EXPECT_EQ(rows_.count, 150);
        EXPECT_EQ(calls, end_flag_with_rows ? 3 : 4);  // 64 + 64 + 22, then an empty batch without the flag
        expect_all_released();
    }
    EXPECT_EQ(db().sources_created, 1);  // one data source for the thread, kept between queries
    EXPECT_TRUE(db().has_source);
    EXPECT_EQ(u8(db().statements.back()), "SELECT x");
    EXPECT_EQ(ws_execute(u"", nullptr, &rows_, 0), -1);
}

TEST_F(WindowsSearch, SkipsRowsThatDidNotComeBackWhole) {
    FakeOleDbAnswer a;
    a.rows = {result(u"C:\\ok", u"one.txt"),
              result(u"C:\\ok", std::u16string(512, u'n')),   // name cut at 511 characters
              result(u"C:\\ok", std::u16string(511, u'm')),   // the longest whole name
              result(u"C:\\" + std::u16string(1021, u'f'), u"deep.txt"),  // folder of 1024: cut
              result(u"C:\\" + std::u16string(1020, u'g'), u"fits.txt"),  // folder of 1023: whole
              FakeOleDbRow{u"nofolder.txt", std::nullopt},
              result(u"C:\\ok", u""),
              result(u"C:\\ok", u"getdata-fails.txt"),
              result(u"C:\\ok", u"two.txt")};
    a.fail_get_data = {7};
    db().answers.push_back(a);
    EXPECT_EQ(ws_execute(u"SELECT x", nullptr, &rows_, 0), 0);
    ASSERT_EQ(rows_.count, 4);
    EXPECT_EQ(text_view(rows_.items[0].title), u"one.txt");
    EXPECT_EQ(text_len(rows_.items[1].title), 511u);
    EXPECT_EQ(text_view(rows_.items[2].title), u"fits.txt");
    EXPECT_EQ(text_view(rows_.items[3].title), u"two.txt");
    expect_all_released();
}

TEST_F(WindowsSearch, FileRowsJoinWithOneSeparator) {
    db().answers.push_back(FakeOleDbAnswer{.rows = {result(u"C:\\dl", u".gitignore"), result(u"C:\\", u"boot.ini")}});
    ASSERT_EQ(ws_execute(u"SELECT x", u"gitignore", &rows_, 0), 0);
    ASSERT_EQ(rows_.count, 2);
    const Row& r = rows_.items[0];
    EXPECT_EQ(text_view(r.title), u".gitignore");
    EXPECT_EQ(text_view(r.path), u"C:\\dl\\.gitignore");
    EXPECT_EQ(text_view(r.subtitle), u"C:\\dl\\.gitignore");
    EXPECT_EQ(text_view(r.target), u"C:\\dl\\.gitignore");
    EXPECT_EQ(r.kind, kKindOpen);
    EXPECT_EQ(r.tag, tag::kWindowsSearch);
    EXPECT_GE(r.score, 1);
    EXPECT_EQ(r.is_folder, 0);
    EXPECT_EQ(r.has_size, 0);
    EXPECT_EQ(text_view(rows_.items[1].path), u"C:\\boot.ini");

    rowlist_init(&rows_, arena_);
    db().answers.push_back(FakeOleDbAnswer{.rows = {result(u"C:\\dl", u".gitignore")}});
    ASSERT_EQ(ws_execute(u"SELECT x", nullptr, &rows_, 0), 0);
    EXPECT_EQ(rows_.items[0].score, 0);
}

TEST_F(WindowsSearch, AFailedStepReleasesEverythingAndTheNextQueryStartsAfresh) {
    struct Case {
        const char* what;
        FakeOleDbAnswer answer;
        int32_t rows_kept;  // what the batches before the failure delivered
    };
    const Case cases[] = {
        {"execute", FakeOleDbAnswer{.execute_result = win::kEFail}, 0},
        {"first batch", FakeOleDbAnswer{.rows = numbered(u"C:\\d", 100), .fail_next_rows_call = 0}, 0},
        {"second batch", FakeOleDbAnswer{.rows = numbered(u"C:\\d", 100), .fail_next_rows_call = 1}, 64},
    };
    int created = 0;
    for (const Case& c : cases) {
        rowlist_init(&rows_, arena_);
        db().answers.push_back(c.answer);
        EXPECT_EQ(ws_execute(u"SELECT x", nullptr, &rows_, 0), -1) << c.what;
        EXPECT_EQ(rows_.count, c.rows_kept) << c.what;
        EXPECT_FALSE(db().has_source) << c.what;  // dropped: it may be stale
        expect_all_released();
        EXPECT_EQ(db().sources_created, ++created) << c.what;
    }
    db().answers.push_back(FakeOleDbAnswer{.rows = numbered(u"C:\\d", 3)});
    rowlist_init(&rows_, arena_);
    EXPECT_EQ(ws_execute(u"SELECT x", nullptr, &rows_, 0), 0);
    EXPECT_EQ(rows_.count, 3);
    EXPECT_EQ(db().sources_created, created + 1);

    // No provider at all (wine, a server without Windows Search): nothing is executed.
    FakeWorld bare;
    PlatformScope s(bare.platform());
    EXPECT_EQ(ws_execute(u"SELECT x", nullptr, &rows_, 0), -1);
    EXPECT_TRUE(bare.ole_db.statements.empty());
}

// A request is live only while the lanes are not shut down, and an earlier lane test may have
// stopped them: this clears that without starting a lane thread.
void lanes_up_without_threads() {
    workers_fail_thread_start(3);
    workers_start();
}

TEST_F(WindowsSearch, AStaleRequestStopsBeforeTheNextBatch) {
    lanes_up_without_threads();
    int32_t generation = search_generation_next();
    db().on_next_rows = [](int32_t call) {
        if (call == 0) search_generation_next();  // the user typed on while the first batch came
    };
    db().answers.push_back(FakeOleDbAnswer{.rows = numbered(u"C:\\d", 200)});
    EXPECT_EQ(ws_execute(u"SELECT x", nullptr, &rows_, generation), 0);
    EXPECT_EQ(rows_.count, 64);
    expect_all_released();
    EXPECT_TRUE(db().has_source);
}

TEST_F(WindowsSearch, LikeRunsOnlyWhenContainsIsNotConclusive) {
    // An exact title from CONTAINS: done.
    db().answers.push_back(FakeOleDbAnswer{.rows = {result(u"C:\\a", u"Report"), result(u"C:\\a", u"report-2.txt")}});
    EXPECT_EQ(ws_search(u"report", nullptr, nullptr, u"report", &rows_, 50, 0), 0);
    EXPECT_EQ(db().statements.size(), 1u);
    // As many rows as the limit: done.
    db().statements.clear();
    rowlist_init(&rows_, arena_);
    db().answers.push_back(FakeOleDbAnswer{.rows = numbered(u"C:\\a", 5, u"report-")});
    EXPECT_EQ(ws_search(u"report", nullptr, nullptr, u"report", &rows_, 5, 0), 0);
    EXPECT_EQ(db().statements.size(), 1u);
    // Otherwise the LIKE form runs too, and what it finds again is dropped (ignoring case).
    db().statements.clear();
    rowlist_init(&rows_, arena_);
    db().answers.push_back(FakeOleDbAnswer{.rows = {result(u"C:\\a", u"my-report.txt"), result(u"C:\\a", u"report.doc")}});
    db().answers.push_back(FakeOleDbAnswer{.rows = {result(u"C:\\A", u"REPORT.DOC"), result(u"C:\\a", u"the-report.txt"),
                                                    result(u"C:\\a", u"The-Report.txt"), result(u"C:\\a", u"my-report.txt")}});
    EXPECT_EQ(ws_search(u"report", nullptr, nullptr, u"report", &rows_, 50, 0), 0);
    ASSERT_EQ(db().statements.size(), 2u);
    EXPECT_TRUE(text_contains_ci(db().statements[0].c_str(), u"CONTAINS("));
    EXPECT_TRUE(text_contains_ci(db().statements[1].c_str(), u"LIKE '%report%'"));
    EXPECT_EQ(paths(), (std::vector<std::string>{"C:\\a\\my-report.txt", "C:\\a\\report.doc", "C:\\a\\the-report.txt"}));
    // "*" has no CONTAINS form: the LIKE form alone.
    db().statements.clear();
    EXPECT_EQ(ws_search(u"*", nullptr, nullptr, nullptr, &rows_, 50, 0), 0);
    ASSERT_EQ(db().statements.size(), 1u);
    EXPECT_TRUE(text_contains_ci(db().statements[0].c_str(), u"LIKE '%%%'"));
}

TEST_F(WindowsSearch, ALikeFailureKeepsWhatContainsFound) {
    db().answers.push_back(FakeOleDbAnswer{.rows = {result(u"C:\\a", u"notes.txt")}});
    db().answers.push_back(FakeOleDbAnswer{.execute_result = win::kEFail});
    EXPECT_EQ(ws_search(u"note", nullptr, nullptr, u"note", &rows_, 50, 0), 0);
    EXPECT_EQ(paths(), std::vector<std::string>{"C:\\a\\notes.txt"});
    // With nothing found before it, the failure is the answer.
    rowlist_init(&rows_, arena_);
    db().answers.push_back(FakeOleDbAnswer{});
    db().answers.push_back(FakeOleDbAnswer{.execute_result = win::kEFail});
    EXPECT_EQ(ws_search(u"note", nullptr, nullptr, u"note", &rows_, 50, 0), -1);
    // A CONTAINS failure is one too.
    db().answers.push_back(FakeOleDbAnswer{.execute_result = win::kEFail});
    EXPECT_EQ(ws_search(u"note", nullptr, nullptr, u"note", &rows_, 50, 0), -1);
    // And SQL that does not fit in its LIKE form.
    db().statements.clear();
    std::u16string folder = u"C:\\" + std::u16string(250, u'%') + u"\\";
    EXPECT_EQ(ws_search(std::u16string(1000, u'%').c_str(), folder.c_str(), nullptr, nullptr, &rows_, 50, 0), -1);
    EXPECT_TRUE(db().statements.empty());
}

void expect_guidance(const RowList& rows) {
    ASSERT_EQ(rows.count, 2);
    const Row& off = rows.items[0];
    EXPECT_EQ(text_view(off.title), u"Windows Search is off");
    EXPECT_EQ(text_view(off.subtitle), u"Turn it on in Indexing Options, or switch indexer in Options");
    EXPECT_EQ(off.target, nullptr);
    EXPECT_EQ(off.kind, kKindIndexingOptions);
    EXPECT_EQ(off.score, 100);
    const Row& get = rows.items[1];
    EXPECT_EQ(text_view(get.title), u"Get Everything");
    EXPECT_EQ(text_view(get.subtitle), u"Instant search by voidtools - www.voidtools.com/downloads/");
    EXPECT_EQ(text_view(get.target), u"https://www.voidtools.com/downloads/");
    EXPECT_EQ(get.kind, kKindSettings);
    EXPECT_EQ(get.score, 90);
    for (int32_t i = 0; i < rows.count; ++i) EXPECT_EQ(rows.items[i].tag, tag::kInfo);
}

TEST_F(WindowsSearch, TheRecordAnswersWithGuidanceWhenWindowsSearchIsOff) {
    EXPECT_EQ(kWindowsSearchBackend.id, 1);
    db().connect_result = win::kClassNotRegistered;
    kWindowsSearchBackend.search(u"anything", 0, nullptr, u"anything", &rows_, 0, 0);
    expect_guidance(rows_);
    rowlist_init(&rows_, arena_);
    kWindowsSearchBackend.search_in_folder(u"anything", u"C:\\X\\", nullptr, &rows_, 0);
    expect_guidance(rows_);
    EXPECT_TRUE(db().statements.empty());
}

TEST_F(WindowsSearch, TheRecordsLimitsFolderAndScoring) {
    db().answers.push_back(FakeOleDbAnswer{.rows = {result(u"C:\\a", u"zz.txt")}});
    db().answers.push_back(FakeOleDbAnswer{});
    kWindowsSearchBackend.search(u"zz", 0, nullptr, nullptr, &rows_, 0, 1);  // many; the query scores
    ASSERT_EQ(db().statements.size(), 2u);
    EXPECT_TRUE(text_starts_with_ci(db().statements[0].c_str(), u"SELECT TOP 2000 "));
    ASSERT_EQ(rows_.count, 1);
    EXPECT_GT(rows_.items[0].score, 0);

    db().statements.clear();
    rowlist_init(&rows_, arena_);
    db().answers.push_back(FakeOleDbAnswer{.rows = {result(u"C:\\X", u"zz.txt")}});
    db().answers.push_back(FakeOleDbAnswer{});
    kWindowsSearchBackend.search_in_folder(u"zz", u"C:\\X\\", nullptr, &rows_, 0);
    ASSERT_EQ(db().statements.size(), 2u);
    EXPECT_TRUE(text_starts_with_ci(db().statements[0].c_str(), u"SELECT TOP 2000 "));
    EXPECT_TRUE(text_contains_ci(db().statements[0].c_str(), u"System.ItemFolderPathDisplay = 'C:\\X'"));
    ASSERT_EQ(rows_.count, 1);
    EXPECT_EQ(rows_.items[0].score, 0);  // no highlight query: unscored, ordered by path later
}

TEST(IndexerStatus, TextAndCodeForEveryState) {
    struct Case {
        int32_t selected;
        bool search, everything;
        const char* text;
        int32_t code;
    };
    const Case cases[] = {
        {kIndexerWindowsSearch, true, true, "Windows Search running - Everything also ready", 0},
        {kIndexerWindowsSearch, true, false, "Windows Search running - Everything not found", 2},
        {kIndexerWindowsSearch, false, true, "Windows Search is off - turn it on or pick Everything", 1},
        {kIndexerWindowsSearch, false, false, "Windows Search is off - turn it on or pick Everything", 1},
        {kIndexerEverything, true, true, "Everything running - Windows Search also ready", 0},
        {kIndexerEverything, false, true, "Everything running - Windows Search is off", 0},
        {kIndexerEverything, true, false, "Everything is not running - install it or pick Windows Search", 1},
    };
    for (const Case& c : cases) {
        char16_t buf[160];
        EXPECT_EQ(indexer_status_format(c.selected, c.search, c.everything, buf, 160), c.code) << c.text;
        EXPECT_EQ(u8(buf), c.text);
    }
    char16_t small[8];
    indexer_status_format(kIndexerEverything, true, true, small, 8);
    EXPECT_EQ(u8(small), "Everyth");

    FakeWorld w;
    PlatformScope scope(w.platform());
    options_reset();
    w.ole_db.service_running = true;
    char16_t buf[160];
    int32_t code = -1;
    indexer_status_text(buf, 160, &code);  // Windows Search selected, no Everything probe joined
    EXPECT_EQ(code, 2);
    w.ole_db.service_running = false;
    indexer_status_text(buf, 160, &code);
    EXPECT_EQ(code, 1);
    EXPECT_FALSE(ws_service_running());
}

// The mended scoped search: with Windows Search off (guidance rows), the folder is walked.
TEST(ScopedSearchWithWindowsSearchOff, WalksTheFolderAndKeepsEachFileOnce) {
    FakeWorld w;
    PlatformScope scope(w.platform());
    options_reset();
    PipelineSources saved = pipeline_sources_install(PipelineSources{});
    const IndexerBackend* saved_indexer = indexer_backend_install(&kWindowsSearchBackend);
    wiring_join_all();
    w.files.add_file(u"C:\\Work\\zzzshallow_a.txt", "");
    w.files.add_file(u"C:\\Work\\sub\\deeper\\zzzdeep_b.txt", "");
    w.files.add_file(u"C:\\Work\\sub\\other.txt", "");
    Arena* arena = arena_create(64 * 1024);
    RowList out;
    for (const char16_t* q : {u"zzzdeep", u"zzzshallow"}) {
        rowlist_init(&out, arena);
        run_query(q, u"C:\\Work\\", &out, 0);
        ASSERT_EQ(out.count, 1) << u8(q);
        EXPECT_EQ(out.items[0].tag, tag::kFolder);
        EXPECT_TRUE(text_contains_ci(out.items[0].title, q));
    }
    EXPECT_EQ(u8(text_view(out.items[0].path)), "C:\\Work\\zzzshallow_a.txt");
    rowlist_init(&out, arena);
    run_query(u"qqqnothing", u"C:\\Work\\", &out, 0);
    ASSERT_EQ(out.count, 1);
    EXPECT_EQ(out.items[0].kind, kKindInfo);
    EXPECT_EQ(u8(text_view(out.items[0].title)), "No Everything results");
    arena_destroy(arena);
    cache_free();
    indexer_backend_install(saved_indexer);
    pipeline_sources_install(saved);
}

}  // namespace
