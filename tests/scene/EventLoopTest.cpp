// The loop's order of work, posting from other threads, ending the loop, and the
// application title.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "Harness.h"

namespace {

using namespace scene;
using scenetest::EventLog;
using scenetest::Harness;
using scenetest::Probe;
using scenetest::RgbOf;

class Loop : public ::testing::Test, public Harness {};

// A pad that logs the pointer's moves over it and a timer on the beat that logs its ticks.
struct MovesAndTicks {
    explicit MovesAndTicks(Form& form) : pad(form, "pad", {0, 0, 100, 100}), t(form, "t") {
        pad.OnMouseMove = [this](SceneElement&, TShiftState, int, int) { log.Add("move"); };
        t.SetInterval(1);
        t.SetOnTimer([this](TTimer&) { log.Add("tick"); });
    }
    EventLog log;
    Probe pad;
    TTimer t;
};

TEST_F(Loop, InputComesBeforeADueTickAndPostedWorkBeforeInput) {
    MovesAndTicks m(form);
    EventLog& log = m.log;
    Start();
    platform.ScriptAt(15.625);  // the move arrives when the tick falls due
    platform.MouseMove(10, 10);
    app.RunFor(15.625);
    EXPECT_EQ(log.Text(), "move tick");

    log.Clear();
    platform.MouseMove(11, 10);
    app.Post([&] { log.Add("posted"); });
    app.RunFor(0);
    EXPECT_EQ(log.Text(), "posted move");
}

// Work queued for idle time waits for everything else: posted work, input, the
// repaint and due ticks come first, and input arriving between two idle steps is
// handled before the next step.
TEST_F(Loop, IdleWorkRunsOneStepAtATimeWhenNothingElseIsDue) {
    MovesAndTicks m(form);
    EventLog& log = m.log;
    Start();
    app.RunFor(15.625 - platform.NowMs());  // up to the first tick
    log.Clear();
    app.PostWhenIdle([&] {
        log.Add("idle1");
        platform.MouseMove(12, 10);  // arrives while the step runs
    });
    app.PostWhenIdle([&] { log.Add("idle2"); });
    app.Post([&] { log.Add("posted"); });
    platform.MouseMove(10, 10);
    app.RunFor(0);
    EXPECT_EQ(log.Text(), "posted move idle1 move idle2");

    log.Clear();
    app.PostWhenIdle([&] { log.Add("idle3"); });
    app.RunFor(15.625);
    EXPECT_EQ(log.Text(), "idle3 tick") << "nothing was due before the step";
    log.Clear();
    m.pad.SetLeft(1);  // a repaint is due
    app.PostWhenIdle([&] { log.Add(form.NeedsRepaint() ? "idle before the repaint" : "idle4"); });
    app.RunFor(0);
    EXPECT_EQ(log.Text(), "idle4");
}

// Idle work and work waiting for a present, left by a form that has gone, are
// dropped with it; other work stays.
TEST_F(Loop, AFormThatGoesTakesItsIdleWorkWithIt) {
    Start();
    EventLog log;
    {
        Form other(app, "other");
        app.PostWhenIdle([&] { log.Add("other's"); }, &other);
        app.AfterNextPresent([&] { log.Add("other's after the present"); }, &other);
        app.PostWhenIdle([&] { log.Add("the app's"); });
    }
    form.InvalidateAll();
    app.RunFor(0);
    EXPECT_EQ(log.Text(), "the app's");
}

// Work waiting for the next present runs right after the main window's frame is
// out, ahead of anything else, and once.
TEST_F(Loop, WorkAfterThePresentRunsOnceTheFrameIsOut) {
    EventLog log;
    app.AfterNextPresent([&] { log.Add("after present " + std::to_string(Window().presents)); });
    app.PostWhenIdle([&] { log.Add("idle"); });
    Start();
    EXPECT_EQ(log.Text(), "after present 1 idle");
    log.Clear();
    form.InvalidateAll();
    app.RunFor(0);
    EXPECT_EQ(log.Text(), "") << "run once only";
}

TEST_F(Loop, EveryTickIsOnScreenBeforeTheNextOne) {
    Probe mover(form, "mover", {0, 0, 20, 20});
    std::vector<int> presentsAtTick;
    TTimer t(form, "t");
    t.SetInterval(1);
    t.SetOnTimer([&](TTimer&) {
        presentsAtTick.push_back(Window().presents);
        for (int i = 0; i < 50; ++i)  // many marks, one repaint
            mover.SetLeft(mover.Left() + 1);
    });
    Start();
    app.RunFor(100);
    ASSERT_EQ(presentsAtTick.size(), 6u);
    for (std::size_t i = 1; i < presentsAtTick.size(); ++i)
        EXPECT_EQ(presentsAtTick[i], presentsAtTick[i - 1] + 1) << "tick " << i;
}

TEST_F(Loop, WaitingJumpsStraightToTheNextDueTick) {
    int ticks = 0;
    TTimer t(form, "t");
    t.SetOnTimer([&](TTimer&) { ++ticks; });
    Start();
    EXPECT_TRUE(app.Step(5000)) << "the loop goes on";
    EXPECT_EQ(platform.NowMs(), 1000.0) << "one pass waits until the tick is due, no further";
    EXPECT_EQ(ticks, 0);
    app.Step(5000);
    EXPECT_EQ(ticks, 1);
}

TEST_F(Loop, WhatAnEnterHandlerChangesIsOnScreenBeforeTheLoopWaits) {
    Probe pad(form, "pad", {0, 0, 100, 100}, clBlue);
    Probe flag(form, "flag", {200, 0, 20, 20}, clRed);
    pad.OnMouseEnter = [&](SceneElement&) { flag.SetLeft(300); };
    Start();
    platform.MouseMove(10, 10);
    app.RunFor(0);  // no time passes, so nothing after the enter check may paint
    EXPECT_EQ(Pixel(305, 5), RgbOf(clRed)) << "the moved element is not drawn at its new place";
    EXPECT_NE(Pixel(205, 5), RgbOf(clRed)) << "the old place is not drawn over";
}

TEST_F(Loop, PostedWorkFromAnotherThreadRunsOnTheLoop) {
    const std::thread::id loopThread = std::this_thread::get_id();
    std::thread::id ranOn;
    int runs = 0;
    std::thread other([&] {
        app.Post([&] {
            ++runs;
            ranOn = std::this_thread::get_id();
        });
    });
    other.join();
    app.RunFor(0);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(ranOn, loopThread);
}

TEST_F(Loop, CloseBoxEndsRunAfterTheRunningHandlerReturns) {
    EventLog log;
    Probe pad(form, "pad", {0, 0, 100, 100});
    pad.OnClick = [&](SceneElement&) {
        form.Close();
        log.Add("after close");
    };
    pad.OnMouseMove = [&](SceneElement&, TShiftState, int, int) { log.Add("move"); };
    form.LoadAll();
    platform.Click(10, 10);
    platform.MouseMove(20, 20);
    app.Run(form);
    EXPECT_TRUE(app.Terminated());
    EXPECT_EQ(log.Text(), "after close");

    Harness other;
    other.form.LoadAll();
    other.platform.Close();
    other.app.Run(other.form);
    EXPECT_TRUE(other.app.Terminated());
}

TEST_F(Loop, RunWithNothingToWaitForIsReportedNotHung) {
    form.LoadAll();
    EXPECT_THROW(app.Run(form), std::logic_error);
}

TEST(ApplicationTitle, ProgramNameWithoutFolderAndExtensionInTitleCase) {
    EXPECT_EQ(Application::TitleFromPath("C:\\GAMES\\GAME.EXE"), "Game");
    EXPECT_EQ(Application::TitleFromPath("/x/swoopy"), "swoopy");
    EXPECT_EQ(Application::TitleFromPath("/x/SwOOpy.tar.gz"), "Swoopy");
    EXPECT_EQ(Application::TitleFromPath("/home/me/.hidden"), "");
    EXPECT_EQ(Application::FileNameOf("/opt/games/SWOOPY.EXE"), "SWOOPY.EXE");
}

}  // namespace
