// Timer arming, periods on the 64 Hz beat, coalesced ticks and the timer limit.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "Harness.h"

namespace {

using namespace scene;
using scenetest::Harness;
using scenetest::Probe;

class Timers : public ::testing::Test, public Harness {
protected:
    std::vector<double> ticks;
    TTimerEvent Recorder() {
        return [this](TTimer&) { ticks.push_back(platform.NowMs()); };
    }
};

TEST(TimerPeriod, IntervalsRiseToTenMsAndRoundUpToWholeBeats) {
    EXPECT_DOUBLE_EQ(TTimer::PeriodMs(0), 15.625);
    EXPECT_DOUBLE_EQ(TTimer::PeriodMs(1), 15.625);
    EXPECT_DOUBLE_EQ(TTimer::PeriodMs(10), 15.625);
    EXPECT_DOUBLE_EQ(TTimer::PeriodMs(15), 15.625);
    EXPECT_DOUBLE_EQ(TTimer::PeriodMs(16), 31.25);
    EXPECT_DOUBLE_EQ(TTimer::PeriodMs(100), 109.375);
    EXPECT_DOUBLE_EQ(TTimer::PeriodMs(1000), 1000.0);
    EXPECT_DOUBLE_EQ(TTimer::PeriodMs(1001), 1015.625);
}

TEST_F(Timers, ArmedExactlyWithIntervalEnabledAndHandlerOnceLoaded) {
    TTimer t(form, "t");
    t.SetInterval(1);
    EXPECT_FALSE(t.Armed()) << "no handler";
    t.SetOnTimer(Recorder());
    EXPECT_FALSE(t.Armed()) << "the window is not loaded yet";
    TTimer zero(form, "zero");
    zero.SetInterval(0);
    zero.SetOnTimer(Recorder());
    TTimer off(form, "off");
    off.SetEnabled(false);
    off.SetOnTimer(Recorder());
    form.LoadAll();
    EXPECT_TRUE(t.Armed());
    EXPECT_FALSE(zero.Armed());
    EXPECT_FALSE(off.Armed());
    EXPECT_TRUE(ticks.empty()) << "no tick before the loop runs";
    t.SetOnTimer(nullptr);
    EXPECT_FALSE(t.Armed());
}

TEST_F(Timers, OneMsTimerTicks64TimesASecond) {
    TTimer t(form, "t");
    t.SetInterval(1);
    t.SetOnTimer(Recorder());
    form.LoadAll();
    app.RunFor(1000);
    ASSERT_EQ(ticks.size(), 64u);
    EXPECT_DOUBLE_EQ(ticks.front(), 15.625);
    EXPECT_DOUBLE_EQ(ticks.back(), 1000.0);
}

TEST_F(Timers, HundredMsTimerTicksEvery109AndAThirdMs) {
    TTimer t(form, "t");
    t.SetInterval(100);
    t.SetOnTimer(Recorder());
    form.LoadAll();
    app.RunFor(440);
    EXPECT_EQ(ticks, (std::vector<double>{109.375, 218.75, 328.125, 437.5}));
}

TEST_F(Timers, EnablingAnEnabledTimerKeepsItsPeriodButReEnablingRestartsIt) {
    TTimer t(form, "t");
    t.SetOnTimer(Recorder());
    form.LoadAll();
    app.RunFor(600);
    t.SetEnabled(true);
    app.RunFor(500);
    EXPECT_EQ(ticks, (std::vector<double>{1000.0}));
    t.SetEnabled(false);
    t.SetEnabled(true);  // at 1100
    app.RunFor(1500);
    EXPECT_EQ(ticks, (std::vector<double>{1000.0, 2100.0}));
    t.SetInterval(1000);  // the same value: no restart
    t.SetInterval(500);   // at 2600
    app.RunFor(600);
    EXPECT_EQ(ticks, (std::vector<double>{1000.0, 2100.0, 3100.0}));
}

TEST_F(Timers, LongHandlerGetsOneLateTickAndNoBurst) {
    TTimer t(form, "t");
    t.SetInterval(1);
    bool first = true;
    t.SetOnTimer([&](TTimer&) {
        ticks.push_back(platform.NowMs());
        if (first) platform.Advance(100);  // a handler that takes 100 ms
        first = false;
    });
    form.LoadAll();
    app.RunFor(150);
    ASSERT_GE(ticks.size(), 4u);
    EXPECT_DOUBLE_EQ(ticks[0], 15.625);
    EXPECT_DOUBLE_EQ(ticks[1], 115.625) << "the missed tick comes as soon as the loop is free";
    EXPECT_DOUBLE_EQ(ticks[2], 125.0) << "then the beat resumes";
    EXPECT_DOUBLE_EQ(ticks[3], 140.625);
    EXPECT_EQ(ticks.size(), 4u);
}

TEST_F(Timers, HandlerIsNeverEnteredAgainWhileItRuns) {
    TTimer t(form, "t");
    t.SetInterval(1);
    int depth = 0;
    int deepest = 0;
    int calls = 0;
    t.SetOnTimer([&](TTimer&) {
        ++calls;
        ++depth;
        deepest = std::max(deepest, depth);
        if (calls == 1) app.RunFor(100);  // a loop inside the handler runs while the timer comes due again
        --depth;
    });
    form.LoadAll();
    app.RunFor(200);
    EXPECT_EQ(deepest, 1);
    EXPECT_GT(calls, 1);
}

TEST_F(Timers, ArmingBeyondTheLimitFailsAndLeavesTheTimerDisarmed) {
    app.SetTimerLimit(2);
    TTimer a(form, "a"), b(form, "b"), c(form, "c");
    for (TTimer* t : {&a, &b, &c}) {
        t->SetEnabled(false);
        t->SetOnTimer(Recorder());
    }
    form.LoadAll();
    a.SetEnabled(true);
    b.SetEnabled(true);
    try {
        c.SetEnabled(true);
        FAIL() << "expected the timer limit error";
    } catch (const TimerLimitError& e) {
        EXPECT_EQ(std::string(e.what()), "Not enough timers available");
    }
    EXPECT_FALSE(c.Armed());
    EXPECT_EQ(app.ArmedTimers(), 2);
    a.SetEnabled(false);
    c.SetInterval(500);
    EXPECT_TRUE(c.Armed());
}

TEST_F(Timers, TimerLimitErrorFromAHandlerGoesToTheErrorBox) {
    app.SetTimerLimit(1);
    TTimer a(form, "a"), b(form, "b");
    a.SetOnTimer(Recorder());
    b.SetEnabled(false);
    b.SetOnTimer(Recorder());
    form.LoadAll();
    form.Show();
    Probe button(form, "button", {0, 0, 50, 50});
    button.OnClick = [&](SceneElement&) { b.SetEnabled(true); };
    platform.Click(10, 10);
    platform.WhenIdle = [&] {
        if (app.OpenErrorBox()) platform.Key(kReturn, 0, platform::kTopDialog);
    };
    app.RunFor(100);
    ASSERT_EQ(app.ShownBoxes().size(), 1u);
    EXPECT_EQ(app.ShownBoxes()[0].text, "Not enough timers available.");
    EXPECT_FALSE(b.Armed());
}

TEST_F(Timers, DestroyedTimerStopsTicking) {
    auto t = std::make_unique<TTimer>(form, "t");
    t->SetInterval(1);
    t->SetOnTimer(Recorder());
    form.LoadAll();
    app.RunFor(20);
    t.reset();
    EXPECT_EQ(app.ArmedTimers(), 0);
    app.RunFor(100);
    EXPECT_EQ(ticks.size(), 1u);
}

// A freeze shifts every standing timer by its length, a timer that runs through
// it keeps its beat, and one armed during it starts its period at the thaw.
TEST_F(Timers, AFreezeKeepsEachStandingTimersPhaseAndRunningOnesGoOn) {
    std::vector<std::string> order;
    const auto named = [&](const char* name) {
        return [&order, name, this](TTimer&) {
            order.push_back(name + std::string("@") + std::to_string(platform.NowMs()));
        };
    };
    TTimer slow(form, "slow");
    slow.SetInterval(1000);
    slow.SetOnTimer(named("slow"));
    TTimer count(form, "count");
    count.SetInterval(500);
    count.SetFreezing(WhenFrozen::Runs);
    count.SetOnTimer(named("count"));
    TTimer late(form, "late");
    late.SetEnabled(false);
    late.SetInterval(300);
    late.SetOnTimer(named("late"));
    form.LoadAll();
    app.RunFor(600);  // slow has 400 ms to go
    order.clear();
    app.FreezeTimers();
    EXPECT_TRUE(app.TimersFrozen());
    late.SetEnabled(true);
    app.RunFor(10000);
    EXPECT_EQ(order.size(), 20u) << "only the running timer ticks while frozen";
    EXPECT_TRUE(
        std::all_of(order.begin(), order.end(), [](const std::string& s) { return s.rfind("count@", 0) == 0; }));
    order.clear();
    count.SetEnabled(false);
    app.ThawTimers();
    EXPECT_FALSE(app.TimersFrozen());
    app.RunFor(1000);
    EXPECT_EQ(order, (std::vector<std::string>{"late@10912.500000", "slow@11000.000000", "late@11225.000000",
                                               "late@11537.500000"}));
}

}  // namespace
