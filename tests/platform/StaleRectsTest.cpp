// The stale rectangles of a window buffer: collected while they are few, and
// no longer once the buffer must take the whole frame anyway.
#include <gtest/gtest.h>

#include "platform/sdl/StaleRects.h"

namespace platform_test {
namespace {

using platform::StaleRect;
using platform::StaleRects;

StaleRects UpToDate() {
    StaleRects s;
    s.Clear();
    return s;
}

TEST(StaleRects, ANewBufferIsWhollyStaleAndCollectsNothing) {
    StaleRects s;
    s.Add(StaleRect{1, 2, 3, 4});
    EXPECT_TRUE(s.Whole());
    EXPECT_TRUE(s.Rects().empty()) << "expected no rectangles, got " << s.Rects().size();
}

TEST(StaleRects, AnUpToDateBufferCollectsChangedRectanglesInOrderSkippingEmptyOnes) {
    StaleRects s = UpToDate();
    s.Add({StaleRect{1, 2, 3, 4}, StaleRect{5, 5, 0, 9}, StaleRect{7, 8, 9, 10}, StaleRect{0, 0, 4, -1}});
    EXPECT_FALSE(s.Whole());
    ASSERT_EQ(s.Rects().size(), 2u);
    EXPECT_EQ(s.Rects()[0].x, 1);
    EXPECT_EQ(s.Rects()[1].h, 10);
}

TEST(StaleRects, PastTheBoundTheBufferTurnsWhollyStaleAndStopsGrowing) {
    StaleRects s = UpToDate();
    for (std::size_t i = 0; i < StaleRects::kBound; ++i) s.Add(StaleRect{static_cast<int>(i), 0, 1, 1});
    EXPECT_FALSE(s.Whole()) << "expected the bound itself to be kept as rectangles";
    EXPECT_EQ(s.Rects().size(), StaleRects::kBound);
    // A buffer the compositor keeps through many presents.
    for (int present = 0; present < 10000; ++present) s.Add(StaleRect{0, 0, 2, 2});
    EXPECT_TRUE(s.Whole());
    EXPECT_TRUE(s.Rects().empty()) << "expected no rectangles, got " << s.Rects().size();
    EXPECT_EQ(s.Rects().capacity(), 0u) << "expected the long list's memory to be given back";
}

TEST(StaleRects, MarkedWholeItCollectsAgainOnlyOnceBroughtUpToDate) {
    StaleRects s = UpToDate();
    s.Add(StaleRect{1, 1, 1, 1});
    s.MarkWhole();
    s.Add(StaleRect{2, 2, 2, 2});
    EXPECT_TRUE(s.Whole());
    EXPECT_TRUE(s.Rects().empty());
    s.Clear();
    s.Add(StaleRect{3, 3, 3, 3});
    EXPECT_FALSE(s.Whole());
    ASSERT_EQ(s.Rects().size(), 1u);
    EXPECT_EQ(s.Rects()[0].x, 3);
}

}  // namespace
}  // namespace platform_test
