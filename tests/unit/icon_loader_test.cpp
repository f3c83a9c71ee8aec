#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <algorithm>
#include <functional>

#include "core/text.h"
#include "core/utf.h"
#include "ui/icon_loader.h"
#include "ui/icon_location.h"
#include "ui/metrics.h"

namespace {

TEST(IconLocation, ParsesFileCommaIndex) {
    struct Case {
        const char16_t* text;
        bool location;
        const char16_t* file;
        int32_t index;
        bool extractable;
    };
    const Case cases[] = {
        {u"C:\\Windows\\explorer.exe,0", true, u"C:\\Windows\\explorer.exe", 0, true},
        {u"C:\\app\\tool.EXE,-101", true, u"C:\\app\\tool.EXE", -101, true},
        {u"%SystemRoot%\\system32\\shell32.dll,12", true, u"%SystemRoot%\\system32\\shell32.dll", 12, true},
        {u"C:\\icons\\a.ico,65535", true, u"C:\\icons\\a.ico", 65535, true},
        {u"C:\\icons\\a.ico,65536", false, nullptr, 0, false},  // beyond a resource index
        {u"C:\\docs\\report.txt,3", true, u"C:\\docs\\report.txt", 3, false},
        {u"C:\\a,b\\notes.txt", false, nullptr, 0, false},    // the comma is inside the path
        {u"C:\\tool.exe,", false, nullptr, 0, false},
        {u"C:\\tool.exe,-", false, nullptr, 0, false},
        {u"C:\\tool.exe,1a", false, nullptr, 0, false},
        {u"C:\\tool.exe, 1", false, nullptr, 0, false},
        {u"C:\\tool.exe,--1", false, nullptr, 0, false},
        {u"x,1", false, nullptr, 0, false},  // the file part must be longer than one character
        {u"C:\\Program Files\\app.exe", false, nullptr, 0, false},
    };
    for (const Case& c : cases) {
        IconLocation loc;
        const bool parsed = icon_location_parse(c.text, &loc);
        EXPECT_EQ(parsed, c.location) << utf16_to_utf8(c.text);
        if (!parsed) {
            EXPECT_EQ(icon_examined_path(c.text), std::u16string_view(c.text));
            continue;
        }
        EXPECT_EQ(loc.file, std::u16string_view(c.file));
        EXPECT_EQ(loc.index, c.index);
        EXPECT_EQ(icon_location_extractable(loc), c.extractable) << utf16_to_utf8(c.text);
        EXPECT_EQ(icon_examined_path(c.text), std::u16string_view(c.file));
    }
    // The file part must fit a MAX_PATH buffer.
    const std::u16string long_file = u"C:\\" + std::u16string(256, u'a') + u".exe";
    EXPECT_FALSE(icon_location_parse(long_file + u",1", nullptr));
    EXPECT_TRUE(icon_location_parse(long_file.substr(0, 259) + u",1", nullptr));
}

// A shell that hands out numbered icons, remembers what it was asked and what it destroyed, and
// can hold the loader inside a load until the test lets it go.
class FakeIconShell : public IconShell {
public:
    std::set<std::u16string> files;  // existing paths, compared ignoring case as Windows does
    std::set<std::u16string> no_icon;
    uint32_t types[26] = {};

    bool path_exists(std::u16string_view path) override {
        std::lock_guard<std::mutex> hold(m);
        ++exists_calls;
        for (const std::u16string& f : files)
            if (text_compare_ci(f, path) == 0) return true;
        return false;
    }
    uint32_t drive_type(char16_t letter) override {
        std::lock_guard<std::mutex> hold(m);
        drive_calls.push_back(letter);
        return types[letter - u'A'] ? types[letter - u'A'] : 3;
    }
    IconHandle load(std::u16string_view path) override {
        std::unique_lock<std::mutex> hold(m);
        loaded.emplace_back(path);
        cv.wait(hold, [&] { return !gate_closed; });
        if (no_icon.count(std::u16string(path))) return nullptr;
        return reinterpret_cast<IconHandle>(++next);
    }
    void destroy(IconHandle icon) override {
        std::lock_guard<std::mutex> hold(m);
        destroyed.push_back(reinterpret_cast<intptr_t>(icon));
    }
    void invalidate() override {
        std::lock_guard<std::mutex> hold(m);
        ++invalidations;
    }

    void close_gate() {
        std::lock_guard<std::mutex> hold(m);
        gate_closed = true;
    }
    void open_gate() {
        {
            std::lock_guard<std::mutex> hold(m);
            gate_closed = false;
        }
        cv.notify_all();
    }
    size_t loaded_count() {
        std::lock_guard<std::mutex> hold(m);
        return loaded.size();
    }

    std::mutex m;
    std::condition_variable cv;
    bool gate_closed = false;
    intptr_t next = 0;
    int exists_calls = 0;
    int invalidations = 0;
    std::vector<char16_t> drive_calls;
    std::vector<std::u16string> loaded;
    std::vector<intptr_t> destroyed;
};

void wait_until(const std::function<bool()>& done) {
    for (int i = 0; i < 2000 && !done(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_TRUE(done());
}

class IconLoaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        dpi_set(96);
        icons_set_dpi(96);
        icons_start(&shell);
    }
    void TearDown() override {
        shell.open_gate();
        icons_stop();
        icons_set_dpi(96);
    }
    // One paint of a row: true when an icon was queued.
    bool draw_row(const std::u16string& path, int y = 100) { return icon_queue_draw(path, 10, y, 50, 400) == 1; }
    void settle() { wait_until([] { return icons_idle(); }); }
    std::vector<std::pair<intptr_t, int>> drawn() {
        std::vector<std::pair<intptr_t, int>> out;
        icons_draw(
            [](IconHandle icon, int x, int, int, void* user) {
                static_cast<std::vector<std::pair<intptr_t, int>>*>(user)->push_back({reinterpret_cast<intptr_t>(icon), x});
            },
            &out);
        return out;
    }
    std::u16string file(int i) {
        std::u16string p = u"C:\\files\\f" + utf8_to_utf16(std::to_string(i)) + u".txt";
        shell.files.insert(p);
        return p;
    }

    FakeIconShell shell;
};

TEST_F(IconLoaderTest, TileFirstThenIconAfterTheRepaint) {
    const std::u16string path = file(1);
    EXPECT_FALSE(draw_row(path));  // not loaded yet: the caller draws the tile
    settle();
    EXPECT_EQ(shell.invalidations, 1);
    // Cached, case-insensitively, and drawn centred on the 20-pixel box (a 24-pixel icon overhangs by 2).
    EXPECT_TRUE(draw_row(u"c:\\FILES\\F1.TXT"));
    auto d = drawn();
    ASSERT_EQ(d.size(), 1u);
    EXPECT_EQ(d[0], std::make_pair(intptr_t{1}, 8));
    EXPECT_TRUE(drawn().empty());  // the queue is emptied by drawing
    EXPECT_EQ(shell.loaded_count(), 1u);
}

TEST_F(IconLoaderTest, RowsOutsideTheListAndEmptyPathsAreNotAsked) {
    const std::u16string path = file(1);
    EXPECT_EQ(icon_queue_draw(path, 10, 400, 50, 400), 0);  // the box starts at the list bottom
    EXPECT_EQ(icon_queue_draw(path, 10, 30, 50, 400), 0);   // its bottom is the list top
    EXPECT_EQ(icon_queue_draw(u"", 10, 100, 50, 400), 0);
    EXPECT_EQ(icons_stats().pending + static_cast<int>(shell.loaded_count()), 0);
}

TEST_F(IconLoaderTest, UncNetworkDrivesAndMissingPathsNeverReachTheLoader) {
    shell.types[u'N' - u'A'] = kDriveRemote;
    shell.files.insert(u"N:\\share\\doc.txt");
    shell.files.insert(u"\\\\server\\share\\doc.txt");
    for (int paint = 0; paint < 3; ++paint) {
        EXPECT_FALSE(draw_row(u"\\\\server\\share\\doc.txt"));
        EXPECT_FALSE(draw_row(u"N:\\share\\doc.txt"));
        EXPECT_FALSE(draw_row(u"n:\\share\\other.exe,1"));  // an icon location on that drive too
        EXPECT_FALSE(draw_row(u"C:\\gone\\file.txt"));
    }
    settle();
    EXPECT_EQ(shell.loaded_count(), 0u);
    // The drive type is asked once per letter, with the letter (the root), not per paint.
    EXPECT_EQ(shell.drive_calls, (std::vector<char16_t>{u'N', u'C'}));
}

TEST_F(IconLoaderTest, AFailedPathIsNotAskedAgainUntilTheNextShow) {
    const std::u16string bad = file(1);
    shell.no_icon.insert(bad);
    for (int paint = 0; paint < 5; ++paint) {
        EXPECT_FALSE(draw_row(bad));
        settle();
    }
    EXPECT_EQ(shell.loaded_count(), 1u);
    EXPECT_EQ(shell.invalidations, 0);  // nothing was stored: no repaint, no load-and-repaint loop
    icons_show_reset();
    EXPECT_FALSE(draw_row(bad));
    settle();
    EXPECT_EQ(shell.loaded_count(), 2u);
}

TEST_F(IconLoaderTest, NewestRequestsLoadFirstAndARepeatMovesToTheTop) {
    shell.close_gate();
    const std::u16string first = file(0);
    draw_row(first);
    wait_until([&] { return shell.loaded_count() == 1; });  // the loader is held inside this load
    const std::u16string a = file(1), b = file(2), c = file(3);
    draw_row(a);
    draw_row(b);
    draw_row(c);
    draw_row(a);  // drawn again: on top
    EXPECT_EQ(icons_stats().pending, 3);
    shell.open_gate();
    settle();
    EXPECT_EQ(shell.loaded, (std::vector<std::u16string>{first, a, c, b}));
}

TEST_F(IconLoaderTest, RepaintsComeInBatchesOfEight) {
    shell.close_gate();
    draw_row(file(0));
    wait_until([&] { return shell.loaded_count() == 1; });
    for (int i = 1; i < 20; ++i) draw_row(file(i));
    shell.open_gate();
    settle();
    EXPECT_EQ(shell.loaded_count(), 20u);
    EXPECT_EQ(shell.invalidations, 3);  // after the 8th, the 16th and the last
}

TEST_F(IconLoaderTest, EvictedIconsAreDestroyedOnlyAfterTheDraw) {
    for (int i = 0; i < kIconCacheSize; ++i) {
        draw_row(file(i));
        settle();
    }
    EXPECT_EQ(icons_stats().cached, kIconCacheSize);
    // The first icon is queued in this paint; the loader then evicts it for the 129th.
    ASSERT_TRUE(draw_row(file(0)));
    draw_row(file(kIconCacheSize));
    settle();
    EXPECT_EQ(icons_stats().cached, kIconCacheSize);
    EXPECT_TRUE(shell.destroyed.empty());  // still queued for drawing: alive
    auto d = drawn();
    ASSERT_EQ(d.size(), 1u);
    EXPECT_EQ(d[0].first, 1);
    EXPECT_EQ(shell.destroyed, (std::vector<intptr_t>{1}));
    // Gone from the cache: asked for again, and the 129th is there.
    EXPECT_TRUE(draw_row(file(kIconCacheSize)));
    EXPECT_FALSE(draw_row(file(0)));
    drawn();
}

TEST_F(IconLoaderTest, StopDestroysEveryCachedIcon) {
    for (int i = 0; i < 3; ++i) draw_row(file(i));
    settle();
    icons_stop();
    std::sort(shell.destroyed.begin(), shell.destroyed.end());
    EXPECT_EQ(shell.destroyed, (std::vector<intptr_t>{1, 2, 3}));
    EXPECT_EQ(icons_stats().cached, 0);
    EXPECT_FALSE(draw_row(file(1)));  // stopped: tiles only
}

TEST_F(IconLoaderTest, AtMostSixtyFourIconsPerFrame) {
    for (int i = 0; i < 70; ++i) draw_row(file(i));
    settle();
    for (int i = 0; i < 70; ++i) EXPECT_TRUE(draw_row(file(i)));  // 1 even when not queued
    EXPECT_EQ(drawn().size(), static_cast<size_t>(kIconDrawMax));
}

TEST(IconSize, FollowsTheDpiAndNeverGoesBelowTwenty) {
    const int cases[][2] = {{96, 24}, {120, 30}, {144, 36}, {192, 48}, {72, 20}, {80, 20}, {100, 25}};
    for (const auto& c : cases) {
        icons_set_dpi(c[0]);
        EXPECT_EQ(icons_size(), c[1]) << c[0];
    }
    icons_set_dpi(0);
    icons_set_dpi(-5);
    EXPECT_EQ(icons_size(), 25);  // unchanged
    icons_set_dpi(96);
}

}  // namespace
