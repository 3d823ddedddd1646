// Marking and composing: no change marks nothing, one repaint per pass, the
// marked region only, stacking order and the cost of what lies outside.
#include <gtest/gtest.h>

#include <memory>

#include "Harness.h"
#include "scene/TButton.h"
#include "scene/TMemo.h"
#include "scene/TShape.h"

namespace {

using namespace scene;
using scenetest::Harness;
using scenetest::Probe;
using scenetest::RgbOf;

class Repaint : public ::testing::Test, public Harness {
protected:
    bool Covered(const TRect& r) const {
        for (const TRect& d : form.DirtyRegion())
            if (d.Intersect(r) == r) return true;
        return false;
    }
};

TEST_F(Repaint, SettingAValueItAlreadyHasMarksNothing) {
    TShape tile(form, "tile");
    tile.SetBounds(10, 10, 65, 65);
    tile.SetBrushColor(clRed);
    Start();
    const int presents = Window().presents;
    tile.SetLeft(10);
    tile.SetBounds(10, 10, 65, 65);
    tile.SetVisible(true);
    tile.SetEnabled(true);
    tile.SetBrushColor(clRed);
    form.SendToBack(tile);  // already at the bottom
    EXPECT_FALSE(form.NeedsRepaint());
    app.RunFor(100);
    EXPECT_EQ(Window().presents, presents);
}

TEST_F(Repaint, MovingMarksOldAndNewRectangleAndShowsOnlyThat) {
    Probe a(form, "a", {10, 10, 20, 20});
    Probe far(form, "far", {300, 200, 20, 20}, clBlue);
    Start();
    const int farPaints = far.paints;
    a.SetLeft(40);
    EXPECT_TRUE(Covered({10, 10, 20, 20}));
    EXPECT_TRUE(Covered({40, 10, 20, 20}));
    app.RunFor(0);
    EXPECT_EQ(Window().lastPresented, (std::vector<TRect>{{10, 10, 50, 20}}));
    EXPECT_EQ(far.paints, farPaints) << "an element outside the marked region is not drawn";
    EXPECT_EQ(Pixel(15, 15), RgbOf(form.Color));
    EXPECT_EQ(Pixel(45, 15), RgbOf(clRed));
}

TEST_F(Repaint, HidingMarksTheRectangleAndAHiddenElementIsNotDrawn) {
    Probe a(form, "a", {10, 10, 20, 20});
    Start();
    a.SetVisible(false);
    EXPECT_TRUE(Covered({10, 10, 20, 20}));
    const int paints = a.paints;
    app.RunFor(0);
    EXPECT_EQ(a.paints, paints);
    EXPECT_EQ(Pixel(15, 15), RgbOf(form.Color));
    a.SetLeft(100);  // changes while hidden need no repaint
    EXPECT_FALSE(form.NeedsRepaint());
    a.SetVisible(true);
    app.RunFor(0);
    EXPECT_EQ(Pixel(105, 15), RgbOf(clRed));
}

TEST_F(Repaint, ElementsOutsideTheClientAreaCostNothing) {
    Probe above(form, "above", {100, -120, 60, 60});
    Start();
    EXPECT_EQ(above.paints, 0);
    above.SetTop(-80);
    EXPECT_FALSE(form.NeedsRepaint());
    above.SetTop(-30);  // partly inside now
    app.RunFor(0);
    EXPECT_EQ(above.paints, 1);
    EXPECT_EQ(Pixel(120, 0), RgbOf(clRed));
}

TEST_F(Repaint, LaterElementsCoverEarlierOnesAndWindowedOnesCoverAll) {
    Probe bottom(form, "bottom", {0, 0, 100, 100}, clRed);
    Probe top(form, "top", {50, 50, 100, 100}, clBlue);
    Start();
    EXPECT_EQ(Pixel(75, 75), RgbOf(clBlue));
    form.SendToBack(top);
    EXPECT_EQ(form.StackIndex(top), 0);
    EXPECT_EQ(form.StackIndex(bottom), 1);
    app.RunFor(0);
    EXPECT_EQ(Pixel(75, 75), RgbOf(clRed));
    EXPECT_EQ(Pixel(120, 120), RgbOf(clBlue));

    TButton button(form, "button");
    button.SetBounds(60, 60, 30, 30);
    TShape made(form, "made");  // made after the button, still beneath it
    made.SetBounds(60, 60, 30, 30);
    made.SetBrushColor(clLime);
    app.RunFor(0);
    EXPECT_NE(Pixel(75, 75), RgbOf(clLime));
}

TEST_F(Repaint, RunTimeShapesGoOnTopAndSendToBackKeepsTheOthersInOrder) {
    Probe a(form, "a", {0, 0, 10, 10});
    Probe b(form, "b", {0, 0, 10, 10});
    TShape& made = form.MakeShape();
    EXPECT_EQ(form.StackIndex(made), 2);
    EXPECT_EQ(made.Width(), 65);
    EXPECT_EQ(made.Height(), 65);
    EXPECT_EQ(made.BrushColor(), clWhite);
    form.SendToBack(b);
    EXPECT_EQ(form.Stacking(), (std::vector<SceneElement*>{&b, &a, &made}));
}

// Elements come and go while the game runs (the bonus pictures, the run-time
// shapes): one destroyed after it was drawn leaves the rest drawn and moved
// where they are.
TEST_F(Repaint, AnElementDestroyedAfterItWasDrawnLeavesTheOthersInTheirPlaces) {
    auto gone = std::make_unique<Probe>(form, "gone", TRect{10, 10, 20, 20}, clBlue);
    Probe a(form, "a", {50, 10, 20, 20}, clRed);
    Probe b(form, "b", {90, 10, 20, 20}, clLime);
    Start();
    gone.reset();
    app.RunFor(0);
    EXPECT_EQ(Pixel(15, 15), RgbOf(form.Color));
    b.SetLeft(130);
    a.SetTop(40);
    app.RunFor(0);
    EXPECT_EQ(Pixel(95, 15), RgbOf(form.Color));
    EXPECT_EQ(Pixel(135, 15), RgbOf(clLime));
    EXPECT_EQ(Pixel(55, 15), RgbOf(form.Color));
    EXPECT_EQ(Pixel(55, 45), RgbOf(clRed));
}

TEST_F(Repaint, ExposedWindowIsPresentedWhole) {
    Probe a(form, "a", {10, 10, 20, 20});
    Start();
    platform.Expose();
    app.RunFor(0);
    EXPECT_EQ(Window().lastPresented, (std::vector<TRect>{form.ClientRect()}));
}

TEST(DirtyRegion, NearbyMarksMergeAndScatteredOnesStaySeparate) {
    Harness h;
    h.form.InvalidateRect({0, 0, 10, 10});
    h.form.InvalidateRect({5, 5, 10, 10});
    EXPECT_EQ(h.form.DirtyRegion(), (std::vector<TRect>{{0, 0, 15, 15}}));
    h.form.InvalidateRect({300, 200, 10, 10});
    EXPECT_EQ(h.form.DirtyRegion().size(), 2u);
    h.form.InvalidateRect({2, 2, 3, 3});  // inside what is marked
    EXPECT_EQ(h.form.DirtyRegion().size(), 2u);
    h.form.InvalidateRect({-50, -50, 20, 20});  // wholly outside the client area
    EXPECT_EQ(h.form.DirtyRegion().size(), 2u);
    for (int i = 0; i < 40; ++i) h.form.InvalidateRect({(i % 8) * 50, (i / 8) * 60, 2, 2});
    EXPECT_LE(h.form.DirtyRegion().size(), 24u) << "the region stays a short list";
}

}  // namespace

// Whatever lies wholly under an opaque element is not painted at all. A filled
// figure, a picture or a text panel over the marked area hides what lies below;
// a round figure's corners, a hidden cover or an area reaching past the cover do
// not, and between scales the cover's own edge pixels do not count.
TEST(Covering, WhatAnOpaqueElementHidesIsNotPainted) {
    struct Case {
        const char* what;
        double scale;
        TShapeType shape;
        bool shown;
        TRect marked;
        bool belowPainted;
        TColor seen;  // 2 pixels into the marked area
    };
    const Case cases[] = {
        {"rectangle over the area", 1, TShapeType::stRectangle, true, {20, 20, 20, 20}, false, clBlue},
        {"the rectangle exactly", 1, TShapeType::stRectangle, true, {0, 0, 100, 100}, false, clBlue},
        {"area reaching past it", 1, TShapeType::stRectangle, true, {90, 90, 30, 30}, true, clBlue},
        {"round rectangle's middle", 1, TShapeType::stRoundRect, true, {20, 20, 60, 60}, false, clBlue},
        {"round rectangle's corner", 1, TShapeType::stRoundRect, true, {0, 0, 6, 6}, true, clRed},
        {"circle's middle", 1, TShapeType::stCircle, true, {35, 35, 30, 30}, false, clBlue},
        {"circle's corner", 1, TShapeType::stCircle, true, {0, 0, 20, 20}, true, clRed},
        {"hidden cover", 1, TShapeType::stRectangle, false, {20, 20, 20, 20}, true, clRed},
        {"between scales, inside", 1.5, TShapeType::stRectangle, true, {20, 20, 20, 20}, false, clBlue},
        {"between scales, to its edge", 1.5, TShapeType::stRectangle, true, {0, 0, 100, 100}, true, clBlue},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        scenetest::Harness h;
        h.platform.SetPresentationScale(DisplayScale::FromFactor(c.scale));
        Probe below(h.form, "below", {0, 0, 150, 150}, clRed);
        TShape cover(h.form, "cover");
        cover.SetBounds(0, 0, 100, 100);
        cover.SetShape(c.shape);
        cover.SetBrushColor(clBlue);
        cover.SetVisible(c.shown);
        h.Start();
        below.paints = 0;
        h.form.InvalidateRect(c.marked);
        h.app.RunFor(0);
        EXPECT_EQ(below.paints > 0, c.belowPainted);
        const int x = h.form.Scale().ToDevice(c.marked.Left + 2);
        const int y = h.form.Scale().ToDevice(c.marked.Top + 2);
        EXPECT_EQ(h.Pixel(x, y), RgbOf(c.seen));
    }
}

// A text panel hides what lies below it; what reaches out from under it is
// painted there only, not under the panel again.
TEST(Covering, ATextPanelHidesTheGraphicElementsBelowIt) {
    scenetest::Harness h;
    Probe below(h.form, "below", {10, 10, 150, 150}, clRed);
    below.watch = {20, 20, 10, 10};  // under the panel
    TMemo panel(h.form, "panel");
    panel.SetBounds(0, 0, 120, 120);
    h.Start();
    below.paints = 0;
    below.watchedPainted = false;
    h.form.InvalidateRect({20, 20, 20, 20});
    h.app.RunFor(0);
    EXPECT_EQ(below.paints, 0);
    EXPECT_EQ(h.Pixel(30, 30), RgbOf(clWindow));
    h.form.InvalidateRect({0, 0, 140, 140});  // reaches out past the panel
    h.app.RunFor(0);
    EXPECT_GT(below.paints, 0);
    EXPECT_FALSE(below.watchedPainted);
    EXPECT_EQ(h.Pixel(30, 30), RgbOf(clWindow));
    EXPECT_EQ(h.Pixel(130, 130), RgbOf(clRed));
}

// Figures moving a step at a time over tiles, as in play, at every scale: each
// frame composed from the marked areas alone is the frame composed whole, when
// figures overlap and move top first or bottom first, one moves twice in a
// frame, or one changes colour as it moves.
TEST(Covering, MovingFiguresLeaveTheFrameAsAWholeRepaintWouldDrawIt) {
    for (const double scale : {1.0, 1.25, 1.5, 2.0}) {
        SCOPED_TRACE(scale);
        scenetest::Harness h;
        h.platform.SetPresentationScale(DisplayScale::FromFactor(scale));
        std::vector<std::unique_ptr<TShape>> shapes;
        auto add = [&](TRect r, TShapeType kind, TColor brush, int pen) -> TShape& {
            shapes.push_back(std::make_unique<TShape>(h.form, "s" + std::to_string(shapes.size())));
            TShape& s = *shapes.back();
            s.SetBounds(r.Left, r.Top, r.Width, r.Height);
            s.SetShape(kind);
            s.SetBrushColor(brush);
            s.SetPen({clBlack, pen});
            return s;
        };
        for (int c = 0; c < 6; ++c)
            for (int r = 0; r < 4; ++r)
                add({c * 65, r * 65, 65, 65}, TShapeType::stRectangle, (c + r) % 3 ? clGray : clSilver, 1);
        const TShapeType kinds[] = {TShapeType::stRoundRect, TShapeType::stRoundSquare, TShapeType::stCircle,
                                    TShapeType::stEllipse,   TShapeType::stRectangle,   TShapeType::stRoundRect};
        const TColor brushes[] = {clBlack, clRed, clLime, clBlue, clFuchsia, clBlack};
        std::vector<TShape*> movers;
        for (int i = 0; i < 6; ++i)
            movers.push_back(&add({20 + 30 * i, 30 + 12 * i, 40 + 7 * i, 33 + 5 * i}, kinds[i], brushes[i], i % 3));
        TMemo panel(h.form, "panel");
        panel.SetBounds(250, 150, 120, 100);
        h.Start();
        const int width = h.form.Scale().ToDevice(h.form.ClientWidth);
        const int height = h.form.Scale().ToDevice(h.form.ClientHeight);
        auto frame = [&] {
            std::vector<Rgb> pixels;
            pixels.reserve(static_cast<std::size_t>(width) * height);
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) pixels.push_back(h.Pixel(x, y));
            return pixels;
        };
        for (int step = 1; step <= 24; ++step) {
            for (std::size_t n = 0; n < movers.size(); ++n) {
                const std::size_t i = step % 2 ? n : movers.size() - 1 - n;
                TShape& m = *movers[i];
                const int dx = (i % 2 ? 3 : -2) * (step % 8 < 4 ? 1 : -1);
                if (i == 1 && step % 3 == 0) {
                    m.SetLeft(m.Left() + dx);
                    m.SetTop(m.Top() - 1);
                } else {
                    m.SetBounds(m.Left() + dx, m.Top() + static_cast<int>(i) - 2, m.Width(), m.Height());
                }
                if (i == 2 && step % 5 == 0) m.SetBrushColor(m.BrushColor() == clLime ? clOlive : clLime);
            }
            h.app.RunFor(0);
            if (step % 6) continue;
            const std::vector<Rgb> marked = frame();
            h.form.InvalidateAll();
            h.app.RunFor(0);
            ASSERT_TRUE(marked == frame()) << "step " << step;
        }
    }
}

// With no single cover, the window's colour is filled in only where no opaque
// element lies: a shape hidden across two tiles and the gap between them leaves
// the gap in the window's colour and the tiles whole, at scale 1 and between scales.
TEST(Covering, TheWindowColourFillsOnlyTheGapsBetweenCovers) {
    for (const double scale : {1.0, 1.5}) {
        SCOPED_TRACE(scale);
        scenetest::Harness h;
        h.platform.SetPresentationScale(DisplayScale::FromFactor(scale));
        TShape left(h.form, "left"), right(h.form, "right"), across(h.form, "across");
        left.SetBounds(0, 0, 50, 100);
        left.SetBrushColor(clBlue);
        right.SetBounds(60, 0, 50, 100);
        right.SetBrushColor(clLime);
        across.SetBounds(30, 40, 50, 20);
        across.SetBrushColor(clRed);
        h.Start();
        across.SetVisible(false);
        h.app.RunFor(0);
        const DisplayScale& s = h.form.Scale();
        EXPECT_EQ(h.Pixel(s.ToDevice(40), s.ToDevice(50)), RgbOf(clBlue));
        EXPECT_EQ(h.Pixel(s.ToDevice(55), s.ToDevice(50)), RgbOf(h.form.Color));
        EXPECT_EQ(h.Pixel(s.ToDevice(51), s.ToDevice(41)), RgbOf(h.form.Color));
        EXPECT_EQ(h.Pixel(s.ToDevice(59), s.ToDevice(59)), RgbOf(h.form.Color));
        EXPECT_EQ(h.Pixel(s.ToDevice(70), s.ToDevice(50)), RgbOf(clLime));
    }
}
