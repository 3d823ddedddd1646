// Rectangles keep whatever they are given, so their edges and containment must
// hold however far out an element lies or however large it is.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "Harness.h"

namespace {

using namespace scene;
using scenetest::Harness;
using scenetest::Probe;

constexpr int kMax = std::numeric_limits<int>::max();
constexpr int kMin = std::numeric_limits<int>::min();

TEST(TRectTest, EdgesAndContainmentHoldAtTheEndsOfTheIntRange) {
    struct Case {
        TRect r;
        int x, y;
        bool inside;
    };
    const Case cases[] = {
        {{kMax - 10, 0, 65, 65}, kMax - 5, 5, true},
        {{kMax - 10, 0, 65, 65}, kMax - 11, 5, false},
        {{0, kMax - 10, 65, 65}, 5, kMax, true},
        {{100, 0, kMax, 50}, 150, 10, true},
        {{100, 0, kMax, 50}, kMax, 49, true},
        {{100, 0, kMax, 50}, 99, 10, false},
        {{kMin, kMin, 65, 65}, kMin + 64, kMin + 64, true},
        {{kMin, kMin, 65, 65}, kMin + 65, kMin, false},
        {{kMin, 0, kMax, 1}, -2, 0, true},
        {{kMin, 0, kMax, 1}, -1, 0, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.r.Contains(c.x, c.y), c.inside) << "(" << c.x << "," << c.y << ") in {" << c.r.Left << ","
                                                    << c.r.Top << "," << c.r.Width << "," << c.r.Height << "}";
    }
    EXPECT_EQ((TRect{kMax - 10, 0, 65, 65}.Right()), std::int64_t{kMax} + 55);
    EXPECT_EQ((TRect{0, kMax, 1, kMax}.Bottom()), 2 * std::int64_t{kMax});
}

TEST(TRectTest, IntersectionAndUnionOfFarRectanglesStayInRange) {
    const TRect client{0, 0, 1109, 607};
    EXPECT_EQ((TRect{100, 0, kMax, 50}.Intersect(client)), (TRect{100, 0, 1009, 50}));
    EXPECT_TRUE((TRect{-50, kMin, 100, kMax}.Intersect(client)).Empty()) << "its bottom edge is at -1";
    EXPECT_TRUE((TRect{kMax - 10, 0, 65, 65}.Intersect(client)).Empty());
    EXPECT_EQ((TRect{kMin, kMin, kMax, kMax}.Intersect({kMin, kMin, 10, 10})), (TRect{kMin, kMin, 10, 10}));
    // A union wider than any int holds as much as it can.
    const TRect both = TRect{kMin, 0, 10, 10}.Union({kMax - 10, 0, 10, 10});
    EXPECT_EQ(both.Left, kMin);
    EXPECT_EQ(both.Width, kMax);
}

class FarElements : public ::testing::Test, public Harness {};

TEST_F(FarElements, AnElementReachingPastTheLargestCoordinateIsDrawnAndHit) {
    Probe wide(form, "wide", {100, 0, kMax, 50}, clBlue);
    Probe far(form, "far", {kMax - 10, 0, 65, 65}, clBlue);
    Start();
    EXPECT_EQ(form.HitTest(150, 10), &wide);
    EXPECT_EQ(form.HitTest(399, 49), &wide);
    EXPECT_EQ(form.HitTest(99, 10), nullptr);
    EXPECT_EQ(Pixel(399, 10), scenetest::RgbOf(clBlue));
    EXPECT_EQ(Pixel(99, 10), scenetest::RgbOf(clSilver));
    EXPECT_EQ(far.paints, 0) << "wholly outside the client area costs no drawing";

    wide.SetLeft(kMax - 10);  // marks the old place, which must be repainted
    app.RunFor(10);
    EXPECT_EQ(Pixel(399, 10), scenetest::RgbOf(clSilver));
}

}  // namespace
