// Partial extents from GDI for placing the caret under the mouse.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "platform/fake/fake_world.h"
#include "ui/fonts.h"
#include "ui/search_box.h"
#include "ui/text_extents.h"
#include "ui/text_measure.h"

namespace {

class GdiExtents : public ::testing::Test {
protected:
    void SetUp() override {
        text_measure_install(text_measure_gdi());
        fonts_create();
        ASSERT_NE(font_medium(), nullptr);
    }
    void TearDown() override {
        fonts_destroy();
        text_measure_install(nullptr);
    }
};

TEST_F(GdiExtents, EdgesGrowToTheWholeWidth) {
    const char16_t text[] = u"Wi \U0001F600x";
    const int n = 6;
    int edges[n] = {};
    ASSERT_TRUE(text_extents_gdi()->extents(text, n, edges));
    for (int i = 1; i < n; ++i) EXPECT_GE(edges[i], edges[i - 1]) << i;
    EXPECT_GT(edges[0], 0);
    EXPECT_GT(edges[1], edges[0]);
    EXPECT_EQ(edges[n - 1], text_width(font_medium(), "Wi \xF0\x9F\x98\x80x", -1));
}

TEST_F(GdiExtents, TheCaretLandsOnTheNearestBoundary) {
    FakeWorld world;
    PlatformScope scope(world.platform());
    auto b = std::make_unique<SearchBox>();
    box_clear(*b);
    box_set_text(*b, "abcdef", 6);
    b->text_origin = 20;
    int edges[6] = {};
    ASSERT_TRUE(text_extents_gdi()->extents(u"abcdef", 6, edges));
    EXPECT_EQ(box_hit(*b, 20 + edges[2] + 1, *text_extents_gdi()), 3);
    EXPECT_EQ(box_hit(*b, 20 + edges[5] + 50, *text_extents_gdi()), 6);
    EXPECT_EQ(box_hit(*b, 19, *text_extents_gdi()), 0);
}

}  // namespace
