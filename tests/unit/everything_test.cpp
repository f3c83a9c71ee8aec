// The Everything client: its query records, the reading of both reply lists, and a whole query
// against a stand-in transport that answers, refuses, times out or answers late.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/arena.h"
#include "core/row.h"
#include "indexers/everything_client.h"
#include "indexers/everything_wire.h"
#include "support/u16.h"
#include "unit/everything_reply.h"

namespace {

struct Rows {
    Arena* arena = arena_create(65536);
    RowList list{};
    Rows() { rowlist_init(&list, arena); }
    ~Rows() { arena_destroy(arena); }
    const Row& operator[](int32_t i) const { return list.items[i]; }
    int32_t count() const { return list.count; }
};

std::string s8(const char16_t* s) { return s ? u8(s) : std::string("(null)"); }

// ---- query records -------------------------------------------------------------------------------

uint32_t at32(const EverythingRecord& r, size_t at) {
    return uint32_t(r.data[at]) | uint32_t(r.data[at + 1]) << 8 | uint32_t(r.data[at + 2]) << 16 |
           uint32_t(r.data[at + 3]) << 24;
}

TEST(EverythingRecords, QueryRecordsCarryTheFieldsInOrder) {
    Arena* arena = arena_create(4096);
    EverythingRecord v2 = everything_build_query_v2(arena, 0xABCD, u"r\u00e9p", 7, 0);
    ASSERT_NE(v2.data, nullptr);
    ASSERT_EQ(v2.size, 28u + 2 * 4);
    const uint32_t want2[] = {0xABCD, 0x4B455354, 0, 7, 50, 0x153, 1};
    for (size_t i = 0; i < 7; ++i) EXPECT_EQ(at32(v2, 4 * i), want2[i]) << "field " << i;
    const uint8_t text2[] = {'r', 0, 0xE9, 0, 'p', 0, 0, 0};
    EXPECT_EQ(std::vector<uint8_t>(v2.data + 28, v2.data + 36), std::vector<uint8_t>(text2, text2 + 8));

    EverythingRecord v1 = everything_build_query_v1(arena, 0xABCD, u"ab", 0, 2000);
    ASSERT_NE(v1.data, nullptr);
    ASSERT_EQ(v1.size, 20u + 2 * 3);
    const uint32_t want1[] = {0xABCD, 0x4B455354, 0, 0, 2000};
    for (size_t i = 0; i < 5; ++i) EXPECT_EQ(at32(v1, 4 * i), want1[i]) << "field " << i;
    EXPECT_EQ(v1.data[20], 'a');
    EXPECT_EQ(v1.data[24] | v1.data[25], 0);
    arena_destroy(arena);
}

// ---- reply lists ---------------------------------------------------------------------------------

TEST(EverythingReplies, ListV2BecomesFileAndFolderRows) {
    const std::u16string long_name(4097, u'x');
    std::vector<EvItem> items = {
        {u"report.txt", u"C:\\Docs", 0, 1234, 0x01D9000000000001ull, 0x20},
        {u"Docs", u"C:\\", 1, 4096, 0x01D9000000000002ull, 0x10},  // a folder's size is not kept
        {u".", u"C:\\Docs", 1, 0, 0, 0x10},
        {u"..", u"C:\\Docs", 1, 0, 0, 0x10},
        {long_name, u"C:\\Docs", 0, 1, 1, 0x20},  // longer than a name may be: skipped
        {u"bare.txt", u"", 0, 5, 6, 0x20},
        {u"C:", u"", 1, 0, 7, 0x10},
    };
    std::vector<uint8_t> reply = ev_list_v2(items);
    Rows rows;
    EXPECT_EQ(everything_parse_list_v2(reply.data(), reply.size(), u"rep", &rows.list), 4);
    ASSERT_EQ(rows.count(), 4);
    struct Want {
        const char* title;
        const char* path;
        int is_folder, has_size;
        uint64_t size, modified;
    } want[] = {
        {"report.txt", "C:\\Docs\\report.txt", 0, 1, 1234, 0x01D9000000000001ull},
        {"Docs", "C:\\Docs", 1, 0, 0, 0x01D9000000000002ull},
        {"bare.txt", "bare.txt", 0, 1, 5, 6},
        {"C:", "C:\\", 1, 0, 0, 7},
    };
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(want[i].title);
        const Row& r = rows[i];
        EXPECT_EQ(s8(r.title), want[i].title);
        EXPECT_EQ(s8(r.subtitle), want[i].path);
        EXPECT_EQ(s8(r.path), want[i].path);
        EXPECT_EQ(s8(r.target), want[i].path);
        EXPECT_EQ(r.kind, kKindOpen);
        EXPECT_EQ(r.tag, 'E');
        EXPECT_EQ(r.is_folder, want[i].is_folder);
        EXPECT_EQ(r.has_size, want[i].has_size);
        EXPECT_EQ(r.size, want[i].size);
        EXPECT_EQ(r.has_modified, 1);
        EXPECT_EQ(r.modified, want[i].modified);
    }
    EXPECT_GT(rows[0].score, 55);   // "rep" starts "report.txt"
    EXPECT_EQ(rows[1].score, 55);   // no match still scores
}

TEST(EverythingReplies, ListV2ReadsOnlyThePropertiesItDeclares) {
    std::vector<EvItem> items = {{u"a.txt", u"C:\\x", 0, 9, 9, 0}};
    struct Case {
        uint32_t flags;
        int rows;
        const char* path;
    } cases[] = {
        {0x152, 0, ""},               // no name: nothing is read
        {0x1, 1, "a.txt"},            // the name alone: the bare name is the path
        {0x3, 1, "C:\\x\\a.txt"},
        {0xFFFFFFFF & ~0x1u, 0, ""},  // unknown bits are masked off, the name still missing
        {0xFFFFFFFF, 1, "C:\\x\\a.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        std::vector<uint8_t> reply = ev_list_v2(items, c.flags & 0x153);
        ev_set32(reply, 12, c.flags);
        Rows rows;
        everything_parse_list_v2(reply.data(), reply.size(), nullptr, &rows.list);
        ASSERT_EQ(rows.count(), c.rows);
        if (c.rows) {
            EXPECT_EQ(s8(rows[0].path), c.path);
            EXPECT_EQ(rows[0].has_size, (c.flags & 0x10) ? 1 : 0);
            EXPECT_EQ(rows[0].score, 0);  // no scoring text
        }
    }
}

TEST(EverythingReplies, MalformedListsSkipItemsAndNeverReadPastTheEnd) {
    std::vector<EvItem> items = {{u"one", u"C:\\a"}, {u"two", u"C:\\a"}, {u"three", u"C:\\a"}};
    const std::vector<uint8_t> good = ev_list_v2(items);
    const size_t second = good[32] | good[33] << 8;  // data offset of item 2 (its entry is at 28)
    struct Case {
        const char* what;
        std::function<void(std::vector<uint8_t>&)> spoil;
        std::vector<std::string> titles;
    } cases[] = {
        {"count overstates the table", [](auto& b) { ev_set32(b, 4, 1000000); }, {"one", "two", "three"}},
        {"data offset past the end", [](auto& b) { ev_set32(b, 32, uint32_t(b.size())); }, {"one", "three"}},
        {"name longer than the reply", [&](auto& b) { ev_set32(b, second, 0x7FFFFFFF); }, {"one", "three"}},
        {"path length above 32768", [&](auto& b) { ev_set32(b, second + 4 + 8, 32769); }, {"one", "three"}},
        {"reply cut inside the last item", [](auto& b) { b.resize(b.size() - 3); }, {"one", "two"}},
        {"reply cut inside the table", [](auto& b) { b.resize(20 + 8 + 4); }, {}},
        {"header only", [](auto& b) { b.resize(20); }, {}},
        {"shorter than a header", [](auto& b) { b.resize(19); }, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> bytes = good;
        c.spoil(bytes);
        // An exact-size heap copy, so that any read past the end is caught by the sanitizers.
        std::unique_ptr<uint8_t[]> exact(new uint8_t[bytes.size() ? bytes.size() : 1]);
        std::copy(bytes.begin(), bytes.end(), exact.get());
        Rows rows;
        everything_parse_list_v2(exact.get(), bytes.size(), nullptr, &rows.list);
        std::vector<std::string> titles;
        for (int32_t i = 0; i < rows.count(); ++i) titles.push_back(s8(rows[i].title));
        EXPECT_EQ(titles, c.titles);
    }
}

TEST(EverythingReplies, ListV1NamesAndPathsAtTheirOffsets) {
    std::vector<EvItem> items = {{u"b.exe", u"C:\\Tools", 1}, {u"..", u"C:\\"}, {u"loose", u""}, {u"last", u"C:\\Z"}};
    std::vector<uint8_t> reply = ev_list_v1(items);
    Rows rows;
    EXPECT_EQ(everything_parse_list_v1(reply.data(), reply.size(), u"b", &rows.list), 3);
    ASSERT_EQ(rows.count(), 3);
    EXPECT_EQ(s8(rows[0].path), "C:\\Tools\\b.exe");
    EXPECT_EQ(rows[0].is_folder, 0);  // the old list carries no folder flag, size or date
    EXPECT_EQ(rows[0].has_size, 0);
    EXPECT_EQ(rows[0].has_modified, 0);
    EXPECT_GT(rows[0].score, 55);
    EXPECT_EQ(s8(rows[1].path), "loose");
    EXPECT_EQ(s8(rows[2].path), "C:\\Z\\last");

    // A path offset past the end gives an empty path; a name that runs to the end without its
    // zero unit ends there; a name offset past the end is an empty name, which is skipped.
    std::vector<uint8_t> odd = ev_list_v1({{u"x", u"C:\\"}, {u"y", u"C:\\"}, {u"tail", u"D:\\"}});
    ev_set32(odd, 28 + 8, 0xFFFFFFF0);
    ev_set32(odd, 28 + 12 + 4, uint32_t(odd.size()));
    ev_set32(odd, 28 + 24 + 8, 0);  // the path at offset 0 reads header bytes: whatever they spell
    odd.resize(odd.size() - 2 - 8);  // drop D:\ and the end of "tail"
    Rows rows2;
    everything_parse_list_v1(odd.data(), odd.size(), nullptr, &rows2.list);
    ASSERT_EQ(rows2.count(), 2);
    EXPECT_EQ(s8(rows2[0].path), "x");
    EXPECT_EQ(s8(rows2[1].title).substr(0, 2), "ta");
}

// ---- whole queries against a stand-in transport ------------------------------------------------

struct Sent {
    uint32_t code;
    std::u16string text;
    uint32_t max;
    uint32_t offset;
};

// What the stand-in Everything does with each record it is sent.
struct Peer {
    bool running = true;
    std::function<EverythingSend(const Sent&)> on_send;
    std::mutex mutex;
    std::vector<Sent> sent;
};
Peer* g_peer = nullptr;

Sent decode(uint32_t code, const uint8_t* p, uint32_t size) {
    const uint32_t header = code == kEverythingCodeQueryV2 ? 28 : 20;
    Sent s{code, {}, uint32_t(p[16] | p[17] << 8 | p[18] << 16 | p[19] << 24),
           uint32_t(p[12] | p[13] << 8 | p[14] << 16 | p[15] << 24)};
    for (uint32_t at = header; at + 1 < size && (p[at] | p[at + 1]); at += 2) s.text += char16_t(p[at] | p[at + 1] << 8);
    return s;
}

const EverythingTransport kStandIn{
    [] { return 0; },
    [] {},
    [] { return uint32_t(0x1234); },
    [] { return uintptr_t(g_peer && g_peer->running ? 0x5678 : 0); },
    [](uintptr_t, uint32_t code, const void* record, uint32_t size, uint32_t) {
        Sent s = decode(code, static_cast<const uint8_t*>(record), size);
        {
            std::lock_guard<std::mutex> lock(g_peer->mutex);
            g_peer->sent.push_back(s);
        }
        return g_peer->on_send ? g_peer->on_send(s) : kEverythingSendRefused;
    },
    nullptr,
};

std::vector<uint8_t> reply_for(const std::u16string& text) { return ev_list_v2({{text + u".txt", u"C:\\q", 0, 1, 2, 0}}); }

void deliver(const std::vector<uint8_t>& bytes) { everything_client_deliver(kEverythingReplyTag, bytes.data(), bytes.size()); }

class EverythingQuery : public ::testing::Test {
protected:
    void SetUp() override {
        g_peer = &peer_;
        saved_ = everything_transport_install(&kStandIn);
        everything_set_reply_wait_ms(300);
        ASSERT_EQ(everything_ipc_init(), 0);
    }
    void TearDown() override {
        for (auto& t : threads_) t.join();
        everything_ipc_shutdown();
        everything_set_reply_wait_ms(1500);
        everything_transport_install(saved_);
        g_peer = nullptr;
    }
    std::vector<uint32_t> codes() {
        std::lock_guard<std::mutex> lock(peer_.mutex);
        std::vector<uint32_t> out;
        for (auto& s : peer_.sent) out.push_back(s.code);
        return out;
    }
    // Answers from another thread after ms, as Everything's reply reaches the reply window.
    void answer_later(std::vector<uint8_t> bytes, int ms, uintptr_t tag = kEverythingReplyTag) {
        threads_.emplace_back([bytes, ms, tag] {
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
            everything_client_deliver(tag, bytes.data(), bytes.size());
        });
    }

    Peer peer_;
    const EverythingTransport* saved_ = nullptr;
    std::vector<std::thread> threads_;
};

TEST_F(EverythingQuery, ResultsForEachWayEverythingAnswers) {
    const auto v2_rows = [](const Sent& s) {
        if (s.code != kEverythingCodeQueryV2) return kEverythingSendRefused;
        deliver(reply_for(s.text));  // answered while the send is still running
        return kEverythingSendAccepted;
    };
    const auto v1_only = [](const Sent& s) {
        if (s.code != kEverythingCodeQueryV1) return kEverythingSendRefused;
        deliver(ev_list_v1({{s.text + u".v1", u"C:\\old"}}));
        return kEverythingSendAccepted;
    };
    struct Case {
        const char* what;
        bool running;
        std::function<EverythingSend(const Sent&)> peer;
        int32_t result;
        std::vector<uint32_t> codes;
        const char* first_path;
    } cases[] = {
        {"V2 answered", true, v2_rows, 0, {18}, "C:\\q\\alpha.txt"},
        {"V2 refused, V1 answered", true, v1_only, 0, {18, 2}, "C:\\old\\alpha.v1"},
        {"both refused", true, [](const Sent&) { return kEverythingSendRefused; }, 3, {18, 2}, nullptr},
        // A send that times out is a busy Everything, not a refusal: no second record.
        {"V2 send timed out", true, [](const Sent&) { return kEverythingSendFailed; }, 2, {18}, nullptr},
        {"V2 accepted, never answered", true, [](const Sent&) { return kEverythingSendAccepted; }, 2, {18}, nullptr},
        {"V1 accepted, never answered", true,
         [](const Sent& s) { return s.code == 2 ? kEverythingSendAccepted : kEverythingSendRefused; }, 2, {18, 2}, nullptr},
        {"Everything not running", false, v2_rows, 1, {}, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        peer_.sent.clear();
        peer_.running = c.running;
        peer_.on_send = c.peer;
        Rows rows;
        EXPECT_EQ(everything_query(u"alpha", &rows.list, 0, 0, u"alpha"), c.result);
        EXPECT_EQ(codes(), c.codes);
        if (c.first_path) {
            ASSERT_EQ(rows.count(), 1);
            EXPECT_EQ(s8(rows[0].path), c.first_path);
            EXPECT_EQ(rows[0].score, 100);  // "alpha" is a prefix of the name
            EXPECT_EQ(peer_.sent[0].max, 50u);  // 0 asks for 50
        } else {
            EXPECT_EQ(rows.count(), 0);
        }
    }
    Rows rows;
    EXPECT_EQ(everything_query(u"", &rows.list, 0, 0, nullptr), 0);  // nothing is sent for no text
    EXPECT_EQ(rows.count(), 0);
}

TEST_F(EverythingQuery, RepliesThatAreNotForTheWaitingQueryAreIgnored) {
    peer_.on_send = [](const Sent&) { return kEverythingSendAccepted; };
    answer_later(reply_for(u"wrongtag"), 30, 2);  // another copy-data code
    answer_later({}, 60);                         // an empty copy
    Rows rows;
    EXPECT_EQ(everything_query(u"alpha", &rows.list, 0, 0, nullptr), 2);
    EXPECT_EQ(rows.count(), 0);
    // Nobody waits now: a reply is dropped, not kept for later.
    std::vector<uint8_t> stray = reply_for(u"stray");
    EXPECT_EQ(everything_client_deliver(kEverythingReplyTag, stray.data(), stray.size()), 0);
}

// A reply that comes after its query gave up must not become the next query's answer.
TEST_F(EverythingQuery, LateReplyNeverReachesTheNextQuery) {
    std::vector<uint8_t> late;
    peer_.on_send = [](const Sent&) { return kEverythingSendAccepted; };
    Rows beta;
    EXPECT_EQ(everything_query(u"beta", &beta.list, 0, 0, nullptr), 2);
    deliver(reply_for(u"beta"));  // beta's answer, after beta stopped waiting

    peer_.on_send = [this](const Sent& s) {
        answer_later(reply_for(s.text), 40);  // a prompt answer, but not inside the send
        return kEverythingSendAccepted;
    };
    for (const char16_t* text : {u"gamma", u"delta"}) {
        Rows rows;
        ASSERT_EQ(everything_query(text, &rows.list, 0, 0, nullptr), 0) << s8(text);
        ASSERT_EQ(rows.count(), 1);
        EXPECT_EQ(s8(rows[0].title), s8(text) + ".txt");
    }
}

TEST_F(EverythingQuery, ShutdownLeavesARunningQueryItsMemory) {
    everything_set_reply_wait_ms(1200);
    peer_.on_send = [](const Sent&) { return kEverythingSendAccepted; };
    std::atomic<int32_t> result{-1};
    std::thread worker([&] {
        Rows rows;
        result = everything_query(u"slow", &rows.list, 0, 0, nullptr);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const auto t0 = std::chrono::steady_clock::now();
    everything_ipc_shutdown();
    const auto waited = std::chrono::steady_clock::now() - t0;
    EXPECT_LT(waited, std::chrono::milliseconds(1000));  // shutdown does not wait the query out
    // The query's reply still lands in memory it owns (the sanitizers see any use after free).
    deliver(reply_for(u"slow"));
    worker.join();
    EXPECT_EQ(result.load(), 0);
    Rows after;
    EXPECT_EQ(everything_query(u"slow", &after.list, 0, 0, nullptr), 1);  // closed: unavailable
    ASSERT_EQ(everything_ipc_init(), 0);
}

TEST_F(EverythingQuery, ExplanatoryRowsForEachOutcome) {
    struct Case {
        const char* what;
        bool running;
        EverythingSend send;
        const char16_t* text;
        const char* title;
        const char* subtitle;
        int32_t score;
    } cases[] = {
        {"not running", false, kEverythingSendAccepted, u"x", "Everything IPC error",
         "Everything is not running or IPC is disabled", 100},
        {"no reply", true, kEverythingSendAccepted, u"x", "Everything IPC error",
         "Everything did not reply before the query timed out", 100},
        {"refused", true, kEverythingSendRefused, u"x", "Everything IPC error", "Everything rejected the IPC query", 100},
        {"empty text", true, kEverythingSendAccepted, u"", "No Everything results", "Filename: \"\"", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        peer_.running = c.running;
        const EverythingSend send = c.send;
        peer_.on_send = [send](const Sent&) { return send; };
        for (int paged = 0; paged < 2; ++paged) {
            Rows rows;
            if (paged) everything_search_paged(c.text, c.text, &rows.list, 0, 2000);
            else everything_search_capped(c.text, &rows.list);
            if (!paged && !*c.text) {
                EXPECT_EQ(rows.count(), 0);  // the capped search says nothing for no text
                continue;
            }
            ASSERT_EQ(rows.count(), 1);
            EXPECT_EQ(s8(rows[0].title), c.title);
            EXPECT_EQ(s8(rows[0].subtitle), c.subtitle);
            EXPECT_EQ(rows[0].kind, kKindInfo);
            EXPECT_EQ(rows[0].tag, '?');
            EXPECT_EQ(rows[0].score, c.score);
            EXPECT_EQ(rows[0].path, nullptr);
        }
    }
    // A matching query that finds nothing quotes it, cut to 259 characters.
    peer_.running = true;
    peer_.on_send = [](const Sent&) {
        deliver(ev_list_v2({}));
        return kEverythingSendAccepted;
    };
    const std::u16string very_long(300, u'q');
    Rows rows;
    everything_search_paged(very_long.c_str(), nullptr, &rows.list, 0, 2000);
    ASSERT_EQ(rows.count(), 1);
    EXPECT_EQ(s8(rows[0].subtitle), "Filename: \"" + std::string(259, 'q') + "\"");
}

TEST_F(EverythingQuery, ReceiverMissingIsSaidApart) {
    everything_ipc_shutdown();
    Rows rows;
    everything_search_paged(u"x", nullptr, &rows.list, 0, 2000);
    ASSERT_EQ(rows.count(), 1);
    EXPECT_EQ(s8(rows[0].subtitle), "Kestrune IPC receiver is unavailable");
    EXPECT_TRUE(codes().empty());
    ASSERT_EQ(everything_ipc_init(), 0);
}

TEST_F(EverythingQuery, BackendSendsEverythingsOwnSyntax) {
    peer_.on_send = [](const Sent& s) {
        deliver(reply_for(s.text.substr(0, 8)));
        return kEverythingSendAccepted;
    };
    struct Case {
        const char* what;
        std::function<void(RowList*)> call;
        const char* text;
        uint32_t max;
    } cases[] = {
        {"plain, capped", [](RowList* r) { everything_backend_search(u"abc", 0, nullptr, u"abc", r, 0, 0); }, "abc", 50},
        {"folders only with extensions, many",
         [](RowList* r) { everything_backend_search(u"abc", 1, u"exe;lnk;appref-ms", u"abc", r, 0, 1); },
         "folder: abc ext:exe;lnk;appref-ms", 2000},
        {"inside a folder", [](RowList* r) { everything_backend_search_in_folder(u"notes", u"C:\\Work\\", u"notes", r, 0); },
         "path:\"C:\\Work\\\" notes", 2000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        peer_.sent.clear();
        Rows rows;
        c.call(&rows.list);
        ASSERT_EQ(peer_.sent.size(), 1u);
        EXPECT_EQ(u8(peer_.sent[0].text), c.text);
        EXPECT_EQ(peer_.sent[0].max, c.max);
        EXPECT_EQ(peer_.sent[0].offset, 0u);
        EXPECT_EQ(rows.count(), 1);
    }
    // The text sent stops at 2047 characters.
    peer_.sent.clear();
    const std::u16string huge(5000, u'h');
    Rows rows;
    everything_backend_search(huge.c_str(), 1, u"exe", nullptr, &rows.list, 0, 0);
    ASSERT_EQ(peer_.sent.size(), 1u);
    EXPECT_EQ(peer_.sent[0].text.size(), 2047u);
}

TEST_F(EverythingQuery, PagedSearchAsksForTheNextPageOnlyWithoutALimit) {
    peer_.on_send = [](const Sent& s) {
        std::vector<EvItem> page(s.offset == 0 ? 2000 : 3, EvItem{u"f", u"C:\\p"});
        deliver(ev_list_v2(page));
        return kEverythingSendAccepted;
    };
    Rows limited;
    everything_search_paged(u"f", nullptr, &limited.list, 0, 2000);
    EXPECT_EQ(limited.count(), 2000);
    ASSERT_EQ(peer_.sent.size(), 1u);

    peer_.sent.clear();
    Rows all;
    everything_search_paged(u"f", nullptr, &all.list, 0, 0);
    EXPECT_EQ(all.count(), 2003);
    ASSERT_EQ(peer_.sent.size(), 2u);
    EXPECT_EQ(peer_.sent[1].offset, 2000u);
}

}  // namespace
