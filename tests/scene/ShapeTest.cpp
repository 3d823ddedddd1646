#include <gtest/gtest.h>

#include "FormSupport.h"
#include "PaintSupport.h"
#include "scene/HeapInUse.h"
#include "scene/Painter.h"
#include "scene/TShape.h"

using namespace scene;
using painttest::Px;
using painttest::TestFrame;

namespace {

constexpr std::uint32_t kBlack = Px(clBlack), kSilver = Px(clSilver), kRed = Px(clRed), kWhite = Px(clWhite);

}  // namespace

TEST(RectangleDrawing, OutlineOnTheOutermostPixelsAndBrushInside) {
    TestFrame frame(100, 100, clSilver);
    {
        Painter painter(frame.Buffer());
        painter.DrawRect({10, 20, 65, 65}, clBlack, 1, clRed);
    }
    EXPECT_EQ(frame.CountNot({10, 20, 65, 1}, kBlack), 0) << "top row";
    EXPECT_EQ(frame.CountNot({10, 84, 65, 1}, kBlack), 0) << "bottom row";
    EXPECT_EQ(frame.CountNot({10, 20, 1, 65}, kBlack), 0) << "left column";
    EXPECT_EQ(frame.CountNot({74, 20, 1, 65}, kBlack), 0) << "right column";
    EXPECT_EQ(frame.CountNot({11, 21, 63, 63}, kRed), 0) << "inside";
    // Nothing outside the box.
    EXPECT_EQ(frame.CountNot({0, 0, 100, 20}, kSilver), 0);
    EXPECT_EQ(frame.CountNot({0, 85, 100, 15}, kSilver), 0);
    EXPECT_EQ(frame.CountNot({0, 20, 10, 65}, kSilver), 0);
    EXPECT_EQ(frame.CountNot({75, 20, 25, 65}, kSilver), 0);
}

TEST(RectangleDrawing, TwoTilesSideBySideShowATwoPixelLine) {
    TestFrame frame(140, 70, clSilver);
    {
        Painter painter(frame.Buffer());
        painter.DrawRect({0, 0, 65, 65}, clBlack, 1, clGray);
        painter.DrawRect({65, 0, 65, 65}, clBlack, 1, clSilver);
    }
    for (int y = 1; y < 64; ++y) {
        EXPECT_EQ(frame.At(63, y), Px(clGray)) << "y " << y;
        EXPECT_EQ(frame.At(64, y), kBlack) << "y " << y;
        EXPECT_EQ(frame.At(65, y), kBlack) << "y " << y;
        EXPECT_EQ(frame.At(66, y), kSilver) << "y " << y;
    }
}

TEST(RectangleDrawing, WidePenStaysInsideAndThinBoxesAreAllPen) {
    TestFrame frame(40, 40, clSilver);
    {
        Painter painter(frame.Buffer());
        painter.DrawRect({0, 0, 20, 20}, clBlack, 3, clWhite);
        painter.DrawRect({25, 0, 5, 30}, clRed, 3, clWhite);
    }
    EXPECT_EQ(frame.CountNot({0, 0, 20, 3}, kBlack), 0);
    EXPECT_EQ(frame.CountNot({17, 0, 3, 20}, kBlack), 0);
    EXPECT_EQ(frame.CountNot({3, 3, 14, 14}, kWhite), 0);
    EXPECT_EQ(frame.CountNot({25, 0, 5, 30}, kRed), 0);
}

TEST(RoundDrawing, RoundRectLeavesItsCornersAndKeepsStraightEdges) {
    TestFrame frame(80, 80, clSilver);
    {
        Painter painter(frame.Buffer());
        painter.DrawRoundRect({5, 5, 65, 65}, 16, 16, clBlack, 1, clRed);
    }
    for (const auto& [x, y] : {std::pair{5, 5}, {69, 5}, {5, 69}, {69, 69}, {6, 6}, {68, 68}})
        EXPECT_EQ(frame.At(x, y), kSilver) << "corner " << x << "," << y;
    for (const auto& [x, y] : {std::pair{37, 5}, {37, 69}, {5, 37}, {69, 37}})
        EXPECT_EQ(frame.At(x, y), kBlack) << "edge middle " << x << "," << y;
    EXPECT_EQ(frame.At(37, 6), kRed);
    EXPECT_EQ(frame.At(37, 37), kRed);
    EXPECT_EQ(frame.CountNot({0, 0, 80, 5}, kSilver), 0);
    EXPECT_EQ(frame.CountNot({70, 0, 10, 80}, kSilver), 0);
}

TEST(RoundDrawing, CircleTouchesItsSidesAndLeavesItsCorners) {
    TestFrame frame(70, 70, clSilver);
    {
        Painter painter(frame.Buffer());
        painter.DrawEllipse({5, 5, 60, 60}, clBlack, 1, clLime);
    }
    for (const auto& [x, y] : {std::pair{5, 5}, {64, 5}, {5, 64}, {64, 64}, {9, 9}})
        EXPECT_EQ(frame.At(x, y), kSilver) << "corner " << x << "," << y;
    for (const auto& [x, y] : {std::pair{34, 5}, {35, 64}, {5, 35}, {64, 34}})
        EXPECT_TRUE(painttest::Dark(frame.At(x, y))) << "side " << x << "," << y;
    EXPECT_EQ(frame.At(35, 35), Px(clLime));
    EXPECT_EQ(frame.CountNot({0, 0, 70, 5}, kSilver), 0);
    EXPECT_EQ(frame.CountNot({65, 0, 5, 70}, kSilver), 0);
}

// Movers change size and colour all game long: the figures kept for them stay
// within bounds on a dense screen too, and one drawn again after many others
// looks as it did.
TEST(RoundDrawing, FiguresKeptForReuseStayBoundedAndComeBackTheSame) {
    const DisplayScale scale = DisplayScale::FromFactor(2);
    TestFrame first(240, 240, clSilver), scratch(240, 240, clSilver), again(240, 240, clSilver);
    Painter(first.Buffer(), scale).DrawEllipse({0, 0, 110, 110}, clBlack, 1, clLime);
    const double before = testheap::HeapInUseMb();
    // 250 figures of about 200 KB each at this scale.
    for (int i = 0; i < 250; ++i)
        Painter(scratch.Buffer(), scale).DrawEllipse({0, 0, 90 + i % 21, 90 + i / 21 * 2}, clBlack, 1, TColor(i));
    EXPECT_LT(testheap::HeapInUseMb() - before, 25.0);
    Painter(again.Buffer(), scale).DrawEllipse({0, 0, 110, 110}, clBlack, 1, clLime);
    EXPECT_TRUE(again.SameAs(first));
}

// A mover enters the window edge first and is repainted in pieces: a figure
// cut by a clip anywhere shows, inside the clip, exactly what the whole figure
// shows there, and nothing outside it.
TEST(RoundDrawing, AClippedFigureKeepsEveryPixelOfTheWholeOne) {
    struct Case {
        const char* what;
        double scale;
        bool ellipse;
        TRect box;
        int penWidth;
    };
    const Case cases[] = {
        {"round rect", 1, false, {3, 4, 65, 65}, 1}, {"round rect, wide pen", 1, false, {3, 4, 49, 41}, 5},
        {"circle", 1, true, {3, 4, 60, 60}, 1},      {"round rect at 1.5", 1.5, false, {3, 4, 33, 33}, 1},
        {"circle at 2", 2, true, {3, 4, 41, 41}, 2},
    };
    for (const Case& c : cases) {
        const DisplayScale scale = DisplayScale::FromFactor(c.scale);
        const auto draw = [&](Painter& painter) {
            if (c.ellipse)
                painter.DrawEllipse(c.box, clBlack, c.penWidth, clLime);
            else
                painter.DrawRoundRect(c.box, 16, 12, clBlack, c.penWidth, clRed);
        };
        TestFrame whole(160, 160, clSilver);
        {
            Painter painter(whole.Buffer(), scale);
            draw(painter);
        }
        for (const TRect clip : {TRect{0, 0, 20, 160}, TRect{21, 0, 3, 160}, TRect{30, 7, 41, 9},
                                 TRect{47, 0, 113, 160}, TRect{0, 60, 160, 4}, TRect{9, 9, 1, 90}}) {
            TestFrame cut(160, 160, clSilver);
            {
                Painter painter(cut.Buffer(), scale);
                painter.ClipDeviceRect(clip);
                draw(painter);
            }
            int wrong = 0;
            for (int y = 0; y < 160; ++y)
                for (int x = 0; x < 160; ++x) wrong += cut.At(x, y) != (clip.Contains(x, y) ? whole.At(x, y) : kSilver);
            EXPECT_EQ(wrong, 0) << c.what << ", clip at " << clip.Left << "," << clip.Top;
        }
    }
}

TEST(PainterState, TranslateAndClipNestAndRestore) {
    TestFrame frame(50, 50, clSilver);
    {
        Painter painter(frame.Buffer());
        painter.Save();
        painter.Translate(10, 10);
        painter.ClipRect({0, 0, 20, 20});
        EXPECT_TRUE(painter.Visible({15, 15, 10, 10}));
        EXPECT_FALSE(painter.Visible({20, 0, 5, 5}));
        painter.Save();
        painter.Translate(5, 0);
        painter.ClipRect({0, 0, 5, 100});
        painter.FillRect({-100, -100, 300, 300}, clRed);  // lands on x 15..19, y 10..29
        painter.Restore();
        painter.DrawRoundRect({10, 10, 30, 30}, 8, 8, clBlack, 1, clWhite);  // cut at 30, 30
        painter.Restore();
        painter.FillRect({45, 45, 10, 10}, clBlue);  // cut by the frame
        EXPECT_FALSE(painter.Visible({50, 0, 10, 10}));
    }
    EXPECT_EQ(frame.CountNot({15, 10, 5, 10}, kRed), 0);
    EXPECT_EQ(frame.At(14, 12), kSilver);
    EXPECT_EQ(frame.At(20, 12), kSilver);
    EXPECT_EQ(frame.CountNot({30, 0, 20, 45}, kSilver), 0) << "nothing right of the clip";
    EXPECT_EQ(frame.CountNot({0, 30, 45, 20}, kSilver), 0) << "nothing below the clip";
    EXPECT_EQ(frame.CountNot({45, 45, 5, 5}, Px(clBlue)), 0);
}

TEST(PainterState, SystemColoursAndEdges) {
    TestFrame frame(30, 30, clRed);
    {
        Painter painter(frame.Buffer());
        painter.FillRect({0, 0, 30, 30}, clWindow);
        painter.DrawEdge({0, 0, 30, 30}, EdgeStyle::Sunken);
    }
    const Rgb shadow = ResolveColor(clBtnShadow), highlight = ResolveColor(clBtnHighlight);
    EXPECT_EQ(frame.At(10, 0), (std::uint32_t{shadow.r} << 16) | (shadow.g << 8) | shadow.b);
    EXPECT_EQ(frame.At(10, 29), (std::uint32_t{highlight.r} << 16) | (highlight.g << 8) | highlight.b);
    EXPECT_NE(frame.At(1, 10), frame.At(28, 10)) << "inner ring: dark left, light right";
    EXPECT_EQ(frame.CountNot({2, 2, 26, 26}, kWhite), 0);
}

TEST(PainterState, FocusRectangleInvertsDotsAndTwiceRestores) {
    TestFrame frame(20, 20, clWhite);
    TestFrame before(20, 20, clWhite);
    {
        Painter painter(frame.Buffer());
        painter.DrawFocusRect({2, 2, 16, 16});
    }
    EXPECT_EQ(frame.At(2, 2), kBlack);
    EXPECT_EQ(frame.At(3, 2), kWhite);
    EXPECT_EQ(frame.At(10, 10), kWhite);
    {
        Painter painter(frame.Buffer());
        painter.DrawFocusRect({2, 2, 16, 16});
    }
    EXPECT_TRUE(frame.SameAs(before));
}

// ---------------------------------------------------------------------------
// The shape element on a window.

namespace {

class ShapeElementTest : public painttest::FormTest {};

}  // namespace

TEST_F(ShapeElementTest, FigureBoxFollowsPenAndSquareKinds) {
    TShape shape(form);
    EXPECT_EQ(shape.Width(), 65);
    EXPECT_EQ(shape.Height(), 65);
    EXPECT_EQ(shape.BrushColor(), clWhite);
    EXPECT_EQ(shape.Pen(), (TPen{clBlack, 1}));
    EXPECT_EQ(shape.FigureBox(), (TRect{0, 0, 65, 65}));

    shape.SetPen({clBlack, 3});
    EXPECT_EQ(shape.FigureBox(), (TRect{1, 1, 63, 63}));
    shape.SetPen({clBlack, 0});
    EXPECT_EQ(shape.FigureBox(), (TRect{0, 0, 65, 65}));
    shape.SetPen({clBlack, 4});
    EXPECT_EQ(shape.FigureBox(), (TRect{2, 2, 62, 62}));

    shape.SetPen({clBlack, 1});
    shape.SetBounds(0, 0, 65, 41);
    shape.SetShape(TShapeType::stRoundSquare);
    EXPECT_EQ(shape.FigureBox(), (TRect{12, 0, 41, 41}));
    EXPECT_EQ(shape.CornerSize(), 10);
    shape.SetShape(TShapeType::stRoundRect);
    EXPECT_EQ(shape.FigureBox(), (TRect{0, 0, 65, 41}));
    shape.SetBounds(0, 0, 60, 70);
    shape.SetShape(TShapeType::stCircle);
    EXPECT_EQ(shape.FigureBox(), (TRect{0, 5, 60, 60}));
    shape.SetBounds(0, 0, 65, 65);
    EXPECT_EQ(shape.CornerSize(), 16);
}

TEST_F(ShapeElementTest, BrushColourIsKeptExactlyAndOnlyAChangeRepaints) {
    TShape tile(form);
    Start();
    tile.SetBrushColor(clWhite);
    tile.SetShape(TShapeType::stRectangle);
    tile.SetPen({clBlack, 1});
    EXPECT_FALSE(form.NeedsRepaint());
    tile.SetBrushColor(clWindow);
    EXPECT_TRUE(form.NeedsRepaint());
    EXPECT_EQ(tile.BrushColor(), clWindow) << "a system colour stays a system colour";
    Settle();
    tile.SetBrushColor(clWindow);
    EXPECT_FALSE(form.NeedsRepaint());
    tile.SetShape(TShapeType::stEllipse);
    EXPECT_TRUE(form.NeedsRepaint());
}

TEST_F(ShapeElementTest, TilesComposeWithSharedTwoPixelLines) {
    TShape left(form), right(form), below(form);
    left.SetBrushColor(clGray);
    right.SetLeft(65);
    right.SetBrushColor(clSilver);
    below.SetTop(65);
    below.SetBrushColor(clGray);
    Start();
    const TestFrame f = Compose();
    EXPECT_EQ(f.CountNot({64, 1, 2, 63}, kBlack), 0);
    EXPECT_EQ(f.CountNot({1, 64, 63, 2}, kBlack), 0);
    EXPECT_EQ(f.CountNot({1, 1, 63, 63}, Px(clGray)), 0);
    EXPECT_EQ(f.CountNot({66, 1, 63, 63}, kSilver), 0);
    EXPECT_EQ(f.CountNot({130, 0, 190, 65}, kSilver), 0) << "the window's colour beside them";
}

TEST_F(ShapeElementTest, EqualSidesLookTheSameInBothKinds) {
    TShape a(form), b(form);
    a.SetShape(TShapeType::stRoundRect);
    b.SetShape(TShapeType::stRoundSquare);
    b.SetLeft(100);
    a.SetBrushColor(clRed);
    b.SetBrushColor(clRed);
    Start();
    const TestFrame f = Compose();
    for (int y = 0; y < 65; ++y)
        for (int x = 0; x < 65; ++x) ASSERT_EQ(f.At(x, y), f.At(100 + x, y)) << "at " << x << "," << y;
    EXPECT_EQ(f.At(0, 0), kSilver) << "a round corner shows the ground";
    EXPECT_EQ(f.At(32, 0), kBlack);
}

TEST_F(ShapeElementTest, HiddenOrOutsideShapesDrawNothing) {
    TShape hidden(form), above(form);
    hidden.SetBrushColor(clBlack);
    hidden.SetVisible(false);
    above.SetBounds(216, -80, 65, 65);
    above.SetBrushColor(clBlack);
    Start();
    const TestFrame f = Compose();
    EXPECT_EQ(f.CountNot(form.ClientRect(), kSilver), 0);
}
