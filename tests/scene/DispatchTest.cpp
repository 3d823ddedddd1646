// Which element a pointer report reaches, when a click counts, enter/leave and
// pointer shapes.
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "Harness.h"
#include "scene/TButton.h"
#include "scene/TEdit.h"
#include "scene/TImage.h"
#include "scene/TLabel.h"
#include "scene/TShape.h"

namespace {

using namespace scene;
using scenetest::EventLog;
using scenetest::Harness;
using scenetest::Probe;

class Dispatch : public ::testing::Test, public Harness {
protected:
    EventLog log;
    void Move(int x, int y) {
        platform.MouseMove(x, y);
        app.RunFor(10);
    }
    void Down(int x, int y, TMouseButton b = TMouseButton::mbLeft) {
        platform.MouseDown(x, y, b);
        app.RunFor(10);
    }
    void Up(int x, int y, TMouseButton b = TMouseButton::mbLeft) {
        platform.MouseUp(x, y, b);
        app.RunFor(10);
    }
    // A click well apart from any earlier one, so it is never a double click.
    void SingleClick(int x, int y) {
        app.RunFor(1000);
        platform.Click(x, y);
        app.RunFor(10);
    }
};

TEST_F(Dispatch, ShapeSlidingUnderRestingPointerIsNotTouchedUntilThePointerMoves) {
    TShape mover(form, "mover");
    mover.SetBounds(0, 0, 65, 65);
    log.Watch(mover);
    Start();
    Move(200, 200);
    mover.SetBounds(180, 180, 65, 65);
    mover.SetVisible(false);
    mover.SetVisible(true);
    app.RunFor(500);
    EXPECT_EQ(log.Text(), "");
    Move(201, 200);
    EXPECT_EQ(log.Text(), "mover.move(21,20)");
}

TEST_F(Dispatch, RectangleDecidesTheHitEvenInACirclesCorners) {
    TShape circle(form, "circle");
    circle.SetShape(TShapeType::stCircle);
    circle.SetBounds(100, 100, 60, 60);
    log.Watch(circle);
    Start();
    Move(100, 100);
    Move(159, 159);
    Move(160, 159);
    Move(99, 120);
    EXPECT_EQ(log.Text(), "circle.move(0,0) circle.move(59,59)");
}

TEST_F(Dispatch, CoverAbsorbsWithoutHandlerButHiddenOrDisabledCoverDoesNot) {
    TShape mover(form, "mover");
    mover.SetBounds(50, 50, 65, 65);
    TLabel cover(form, "cover");
    cover.SetAutoSize(false);
    cover.SetTransparent(true);
    cover.SetBounds(80, 50, 100, 30);
    log.Watch(mover);
    Start();
    Move(90, 60);  // over the overlap: the label takes it, and it has no handler
    EXPECT_EQ(log.Text(), "");
    Move(60, 60);
    EXPECT_EQ(log.Text(), "mover.move(10,10)");
    log.Clear();
    cover.SetVisible(false);
    Move(91, 60);
    cover.SetVisible(true);
    cover.SetEnabled(false);
    Move(92, 60);
    EXPECT_EQ(log.Text(), "mover.move(41,10) mover.move(42,10)");
}

TEST_F(Dispatch, PressOnTileHoldsThePointerSoNoOtherShapeHearsMoves) {
    Probe tile(form, "tile", {0, 0, 400, 300});
    Probe shape(form, "shape", {200, 200, 50, 50});
    log.Watch(tile);
    log.Watch(shape);
    Start();
    Down(10, 10);
    Move(210, 210);
    Move(220, 220);
    Up(220, 220);
    EXPECT_EQ(log.Text(), "tile.down(10,10) tile.move(210,210) tile.move(220,220) tile.click tile.up(220,220)");
    log.Clear();
    Move(221, 220);
    EXPECT_EQ(log.Text(), "shape.move(21,20)");
}

TEST_F(Dispatch, HoldFollowsThePressedShapeWhereverItGoes) {
    Probe shape(form, "shape", {200, 200, 50, 50});
    log.Watch(shape);
    Start();
    Down(210, 210);
    shape.SetLeft(300);
    shape.SetVisible(false);
    Move(50, 50);
    Move(-30, 500);  // outside the window, still reported while held
    Up(50, 50);
    EXPECT_EQ(log.Text(), "shape.down(10,10) shape.move(-250,-150) shape.move(-330,300) shape.up(-250,-150)");
    EXPECT_EQ(form.Capture(), nullptr);
}

TEST_F(Dispatch, AnElementThatNeverHoldsThePointerHearsEveryMoveOverItWhoeverHoldsIt) {
    Probe tile(form, "tile", {0, 0, 300, 300});  // the bare window to its right
    Probe mover(form, "mover", {200, 200, 50, 50});
    TLabel cover(form, "cover");
    cover.SetAutoSize(false);
    cover.SetBounds(230, 200, 100, 20);
    TButton button(form, "button");
    button.SetBounds(10, 250, 80, 30);
    mover.SetHold(PointerHold::Never);
    log.Watch(tile);
    log.Watch(mover);
    log.Watch(button);
    EventLog hover;
    hover.WatchHover(mover);
    Start();

    // Pressed on, it takes no hold and no click: once it has gone from under
    // the pointer, the moves and the release go to what lies there.
    Down(210, 210);
    EXPECT_EQ(form.Capture(), nullptr);
    Move(211, 210);
    mover.SetLeft(100);
    Move(212, 210);
    Up(212, 210);
    mover.SetLeft(200);
    EXPECT_EQ(log.Text(), "mover.down(10,10) mover.move(11,10) tile.move(212,210) tile.up(212,210)");
    // Pressed twice in quick succession, it is no double click either.
    log.Clear();
    app.RunFor(1000);
    platform.Click(210, 210);
    platform.Click(210, 210);
    app.RunFor(10);
    EXPECT_EQ(log.Text(), "mover.down(10,10) mover.up(10,10) mover.down(10,10) mover.up(10,10)");

    // A tile, the bare window or a button holds the pointer: the holder hears
    // every move as before, the mover those over it where nothing covers it,
    // and only the holder's own release clicks.
    log.Clear();
    Down(10, 10);
    Move(210, 230);
    Move(240, 210);  // beneath the cover
    Up(10, 10);
    EXPECT_EQ(log.Text(),
              "tile.down(10,10) tile.move(210,230) mover.move(10,30) tile.move(240,210) "
              "tile.click tile.up(10,10)");
    log.Clear();
    Down(350, 150);
    Move(220, 220);
    Up(220, 220);
    EXPECT_EQ(log.Text(), "mover.move(20,20)");
    log.Clear();
    Down(20, 260);
    Move(221, 220);
    Up(30, 260);
    EXPECT_EQ(log.Text(), "button.down(10,10) button.move(211,-30) mover.move(21,20) button.click button.up(20,10)");

    // It hears its own enter and leave while the tile holds the pointer.
    hover.Clear();
    Move(100, 100);
    Down(100, 100);
    Move(210, 240);
    Move(100, 100);
    Up(100, 100);
    EXPECT_EQ(hover.Text(), "mover.enter mover.leave");
}

// Whoever holds the pointer, what lies above a mover shields it: a bar or a
// panel (graphic) and a windowed control, enabled or not.
TEST_F(Dispatch, WhatLiesAboveAnElementThatNeverHoldsThePointerShieldsItWhileAButtonIsHeld) {
    Probe tile(form, "tile", {0, 0, 300, 300});  // the bare window to its right
    Probe mover(form, "mover", {200, 200, 60, 60});
    mover.SetHold(PointerHold::Never);
    TLabel bar(form, "bar");
    bar.SetAutoSize(false);
    bar.SetBounds(200, 200, 60, 10);
    TEdit field(form, "field");
    field.SetBounds(200, 240, 60, 20);
    TButton button(form, "button");
    button.SetBounds(10, 250, 80, 30);
    log.Watch(mover);
    Start();
    const struct {
        const char* holder;
        int x, y;
        bool fieldEnabled;
    } holders[] = {
        {"a tile", 10, 10, true},
        {"the bare window", 350, 150, true},
        {"a button", 20, 260, true},
        {"a tile", 10, 10, false},  // a disabled control still covers
    };
    for (const auto& h : holders) {
        field.SetEnabled(h.fieldEnabled);
        log.Clear();
        app.RunFor(1000);
        Down(h.x, h.y);
        Move(230, 205);  // under the bar
        Move(230, 250);  // under the field
        Move(231, 225);  // uncovered
        Up(h.x, h.y);
        EXPECT_EQ(log.Text(), "mover.move(31,25)")
            << "while " << h.holder << " holds the pointer" << (h.fieldEnabled ? "" : ", the field disabled");
    }
}

TEST_F(Dispatch, ClickNeedsPressAndReleaseOnTheSameElement) {
    Probe a(form, "a", {10, 10, 50, 50});
    Probe b(form, "b", {100, 10, 50, 50});
    log.Watch(a);
    log.Watch(b);
    Start();
    SingleClick(20, 20);
    EXPECT_EQ(log.Text(), "a.down(10,10) a.click a.up(10,10)");
    log.Clear();

    app.RunFor(1000);
    Down(20, 20);
    Up(120, 20);  // released over b: the release goes to a, outside it
    EXPECT_EQ(log.Text(), "a.down(10,10) a.up(110,10)");
    log.Clear();

    app.RunFor(1000);
    Down(200, 200);  // on the window itself, which keeps the release
    Up(20, 20);
    EXPECT_EQ(log.Text(), "");
}

TEST_F(Dispatch, ReleaseClicksOnlyInsideTheRectangleRightAndBottomEdgesExcluded) {
    Probe a(form, "a", {100, 100, 50, 40});
    int clicks = 0;
    a.OnClick = [&](SceneElement&) { ++clicks; };
    Start();
    struct Case {
        int x, y;
        bool click;
    };
    const Case cases[] = {
        {100, 100, true},  {149, 139, true},   // the first and last pixels inside
        {150, 120, false}, {120, 140, false},  // the first pixels right and below
        {99, 120, false},  {120, 99, false},   // the last pixels left and above
    };
    for (const Case& c : cases) {
        clicks = 0;
        app.RunFor(1000);
        Down(120, 120);
        Up(c.x, c.y);
        EXPECT_EQ(clicks, c.click ? 1 : 0) << "released at (" << c.x << "," << c.y << ")";
    }
}

TEST_F(Dispatch, PressOnTheBareWindowHoldsThePointerUntilTheRelease) {
    Probe shape(form, "shape", {100, 100, 50, 50});
    Probe label(form, "label", {300, 10, 50, 50});
    log.Watch(shape);
    log.Watch(label);
    log.WatchHover(label);
    Start();
    Move(5, 5);
    Down(5, 5);
    Move(110, 110);  // dragged over a shape: it hears nothing
    Move(310, 20);   // and over a label: no enter either
    Up(310, 20);
    EXPECT_EQ(log.Text(), "");
    EXPECT_EQ(form.Capture(), nullptr);

    // The button is up: the shape hears moves again. The label was passed over
    // silently while held, so only its leaving is told.
    Move(120, 120);
    EXPECT_EQ(log.Text(), "shape.move(20,20) label.leave");
    log.Clear();

    // A cancelled hold ends too.
    Down(5, 5);
    form.CancelCapture();
    Move(121, 120);
    EXPECT_EQ(log.Text(), "shape.move(21,20)");
}

TEST_F(Dispatch, DoubleClickIsOneClick) {
    Probe a(form, "a", {10, 10, 50, 50});
    int clicks = 0;
    int doubles = 0;
    a.OnClick = [&](SceneElement&) { ++clicks; };
    a.OnDblClick = [&](SceneElement&) { ++doubles; };
    Start();
    platform.Click(20, 20);
    platform.ScriptAfter(200);
    platform.Click(22, 23);
    app.RunFor(300);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(doubles, 1);

    // A third quick press starts afresh and clicks again.
    platform.ScriptAfter(100);
    platform.Click(20, 20);
    app.RunFor(200);
    EXPECT_EQ(clicks, 2);

    // Too slow, or too far apart: two clicks.
    app.RunFor(1000);
    platform.Click(20, 20);
    platform.ScriptAfter(Form::kDoubleClickMs + 1);
    platform.Click(20, 20);
    platform.ScriptAfter(1000);
    platform.Click(20, 20);
    platform.ScriptAfter(100);
    platform.Click(20 + Form::kDoubleClickDistance + 1, 20);
    app.RunFor(3000);
    EXPECT_EQ(clicks, 6);
    EXPECT_EQ(doubles, 1);
}

TEST_F(Dispatch, LabelHiddenBetweenPressAndReleaseStillClicks) {
    TLabel offer(form, "offer");
    offer.SetAutoSize(false);
    offer.SetBounds(10, 10, 100, 30);
    log.Watch(offer);
    Start();
    Down(20, 20);
    offer.SetVisible(false);
    Up(20, 20);
    EXPECT_EQ(log.Text(), "offer.down(10,10) offer.click offer.up(10,10)");

    // Moved away between press and release: the release point is outside it now.
    log.Clear();
    offer.SetVisible(true);
    app.RunFor(1000);
    Down(20, 20);
    offer.SetLeft(200);
    Up(20, 20);
    EXPECT_EQ(log.Text(), "offer.down(10,10) offer.up(-180,10)");
}

TEST_F(Dispatch, RightAndMiddleButtonsTakeNoCaptureAndMakeNoClick) {
    Probe a(form, "a", {10, 10, 50, 50});
    Probe b(form, "b", {100, 10, 50, 50});
    log.Watch(a);
    log.Watch(b);
    Start();
    Down(20, 20, TMouseButton::mbRight);
    Move(120, 20);
    Up(120, 20, TMouseButton::mbRight);
    Down(20, 20, TMouseButton::mbMiddle);
    Up(20, 20, TMouseButton::mbMiddle);
    EXPECT_EQ(log.Text(), "a.rdown(10,10) b.move(20,10) b.rup(20,10) a.rdown(10,10) a.rup(10,10)");
    EXPECT_EQ(form.Capture(), nullptr);
}

TEST_F(Dispatch, CancelledCaptureDeliversAReleaseOutsideAndNoClick) {
    Probe a(form, "a", {10, 10, 50, 50});
    log.Watch(a);
    Start();
    Down(20, 20);
    form.CancelCapture();
    Up(20, 20);
    EXPECT_EQ(log.Text(), "a.down(10,10) a.up(-1,-1) a.up(10,10)");
}

TEST_F(Dispatch, AButtonReleasedWhileAnErrorBoxWasOpenIsNoLongerHeld) {
    Probe a(form, "a", {10, 10, 50, 50});
    a.OnMouseDown = [](SceneElement&, TMouseButton, TShiftState, int, int) { throw std::runtime_error("boom"); };
    std::vector<TShiftState> shifts;
    a.OnMouseMove = [&](SceneElement&, TShiftState shift, int, int) { shifts.push_back(shift); };
    Start();
    platform.WhenIdle = [this] {
        if (app.OpenErrorBox() && platform.PendingEvents() == 0) {
            platform.MouseUp(20, 20);  // the box holds the input: the window never hears of it
            platform.Key(kReturn, 0, platform::kTopDialog);
        }
    };
    Down(20, 20);
    platform.WhenIdle = nullptr;
    ASSERT_EQ(app.ShownBoxes().size(), 1u);
    Move(21, 20);
    ASSERT_EQ(shifts.size(), 1u);
    EXPECT_EQ(shifts[0] & ssLeft, 0u) << "expected the left button up after the box, got Shift " << shifts[0];
}

TEST_F(Dispatch, QueuedMovesArriveAsTheLatestOnly) {
    Probe a(form, "a", {0, 0, 400, 300});
    log.Watch(a);
    Start();
    platform.MouseMove(1, 1);
    platform.MouseMove(2, 2);
    platform.MouseMove(3, 3);
    platform.MouseDown(3, 3);
    platform.MouseMove(4, 4);
    app.RunFor(10);
    EXPECT_EQ(log.Text(), "a.move(3,3) a.down(3,3) a.move(4,4)");
}

TEST_F(Dispatch, WindowedControlShieldsEverythingBeneathIt) {
    Probe mover(form, "mover", {0, 0, 200, 200});
    TButton button(form, "button");
    button.SetBounds(50, 50, 80, 30);
    log.Watch(mover);
    log.Watch(button);
    Start();
    Move(60, 60);
    button.SetEnabled(false);
    Move(61, 60);  // a disabled control still covers the mover
    button.SetVisible(false);
    Move(62, 60);
    EXPECT_EQ(log.Text(), "button.move(10,10) mover.move(62,60)");
}

TEST_F(Dispatch, PressOnWindowedControlFocusesItAndHoldsThePointer) {
    TEdit edit(form, "edit");
    edit.SetBounds(10, 10, 120, 25);
    TButton button(form, "button");
    button.SetBounds(10, 100, 80, 30);
    int clicks = 0;
    button.OnClick = [&](SceneElement&) { ++clicks; };
    Start();
    Down(20, 20);
    EXPECT_EQ(form.FocusedControl(), &edit);
    EXPECT_TRUE(Window().textInput);
    Up(20, 20);
    Down(20, 110);
    EXPECT_EQ(form.FocusedControl(), &button);
    EXPECT_FALSE(Window().textInput);
    Move(300, 250);
    Move(30, 110);
    Up(30, 110);
    EXPECT_EQ(clicks, 1);
}

TEST_F(Dispatch, EnterAndLeaveAtIdleTellOnlyTheCapturingElementWhileHeld) {
    TLabel a(form, "a");
    a.SetAutoSize(false);
    a.SetBounds(10, 10, 50, 50);
    TLabel b(form, "b");
    b.SetAutoSize(false);
    b.SetBounds(100, 10, 50, 50);
    EventLog hover;
    hover.WatchHover(a);
    hover.WatchHover(b);
    Start();
    Move(20, 20);
    Move(120, 20);
    Move(200, 200);
    EXPECT_EQ(hover.Text(), "a.enter a.leave b.enter b.leave");

    hover.Clear();
    Move(20, 20);
    Down(20, 20);
    Move(120, 20);  // a holds the pointer: only a hears of the change
    Move(20, 20);
    EXPECT_EQ(hover.Text(), "a.enter a.leave a.enter");

    // A disabled label is still found; leaving the window leaves it.
    hover.Clear();
    Up(20, 20);
    a.SetEnabled(false);
    Move(21, 20);
    platform.LeaveWindow();
    app.RunFor(10);
    EXPECT_EQ(hover.Text(), "a.leave");

    // A pressed windowed control holds the pointer just the same.
    TButton button(form, "button");
    button.SetBounds(10, 200, 80, 30);
    hover.WatchHover(button);
    hover.Clear();
    Move(20, 210);
    Down(20, 210);
    Move(120, 20);
    Move(20, 210);
    Up(20, 210);
    EXPECT_EQ(hover.Text(), "button.enter button.leave button.enter");
}

TEST_F(Dispatch, PointerShapeFollowsTheElementUnderItAndIsSetOnlyOnChange) {
    TImage panel(form, "panel");
    panel.SetBounds(200, 0, 200, 300);
    panel.SetCursor(TCursor::crArrow);
    TLabel offer(form, "offer");
    offer.SetAutoSize(false);
    offer.SetBounds(220, 20, 100, 30);
    TEdit edit(form, "edit");
    edit.SetBounds(10, 200, 100, 25);
    TButton start(form, "start");
    start.SetBounds(10, 250, 80, 30);
    start.SetCursor(TCursor::crHandPoint);
    start.SetEnabled(false);
    Start();
    Move(10, 10);
    EXPECT_EQ(Window().cursor, TCursor::crHandPoint);
    const int changes = Window().cursorChanges;
    Move(11, 10);
    EXPECT_EQ(Window().cursorChanges, changes);
    Move(300, 200);
    EXPECT_EQ(Window().cursor, TCursor::crArrow);
    Move(230, 25);
    EXPECT_EQ(Window().cursor, TCursor::crHandPoint);
    Move(20, 210);
    EXPECT_EQ(Window().cursor, TCursor::crIBeam);
    Move(20, 260);
    EXPECT_EQ(Window().cursor, TCursor::crHandPoint);
    EXPECT_EQ(Window().cursorChanges, changes + 4);
}

}  // namespace
