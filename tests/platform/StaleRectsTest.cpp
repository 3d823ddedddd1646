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
    // Rectangles apart from each other, as many as the bound.
    for (std::size_t i = 0; i < StaleRects::kBound; ++i) s.Add(StaleRect{static_cast<int>(i) * 3, 0, 1, 1});
    EXPECT_FALSE(s.Whole()) << "expected the bound itself to be kept as rectangles";
    EXPECT_EQ(s.Rects().size(), StaleRects::kBound);
    // A buffer the compositor keeps through many presents.
    for (int present = 0; present < 10000; ++present) s.Add(StaleRect{present * 3, 5, 1, 1});
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

TEST(StaleRects, RectanglesThatShareEnoughJoinSoThatNoPixelIsCopiedTwice) {
    StaleRects s = UpToDate();
    s.Add(StaleRect{100, 50, 40, 30});  // a mover's old place
    s.Add(StaleRect{104, 50, 40, 30});  // and its new one, 4 pixels on
    s.Add(StaleRect{110, 55, 10, 10});  // inside what is listed
    s.Add(StaleRect{100, 50, 40, 30});  // the same place again, a present later
    ASSERT_EQ(s.Rects().size(), 1u) << "expected one joined rectangle, got " << s.Rects().size();
    const StaleRect joined = s.Rects()[0];
    EXPECT_EQ(joined.x, 100);
    EXPECT_EQ(joined.y, 50);
    EXPECT_EQ(joined.w, 44);
    EXPECT_EQ(joined.h, 30);
    // Far apart, or overlapping only at a corner, joining would copy more than it saves.
    s.Add(StaleRect{400, 300, 20, 20});
    s.Add(StaleRect{140, 75, 30, 30});
    EXPECT_EQ(s.Rects().size(), 3u) << "expected three rectangles, got " << s.Rects().size();
}

}  // namespace
}  // namespace platform_test
