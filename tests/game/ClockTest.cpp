#include <gtest/gtest.h>

#include <string>

#include "game/PlayHarness.h"
#include "scene/Painter.h"
#include "scene/TLabel.h"

namespace {

using gametest::PlayHarness;
using layout::TForm1;

bool AnyRedShown(const TForm1& f) {
    return f.Rvierkant1.Visible() || f.rvierkant2.Visible() || f.rvierkant3.Visible() || f.rvierkant4.Visible();
}
bool AllRedsShown(const TForm1& f) {
    return f.Rvierkant1.Visible() && f.rvierkant2.Visible() && f.rvierkant3.Visible() && f.rvierkant4.Visible();
}

TEST(ClockTest, SixtyFirstZeroLastAPointASecondAndTheRedsOnceAtSecondEight) {
    PlayHarness play;
    TForm1& f = play.f;
    EXPECT_EQ(f.Label7.Caption(), "") << "the time text is empty until the first clock second";
    play.Tick();
    EXPECT_EQ(f.FINALSCORE.Caption(), "Score: 0");
    EXPECT_EQ(f.Lives.Caption(), "Lives: 3");
    EXPECT_EQ(f.Label1.Caption(), "Money: 0 $");

    play.Second();
    EXPECT_EQ(f.Label7.Caption(), "Time:  60 s");
    EXPECT_EQ(f.State.timeLeft, 59);
    EXPECT_EQ(f.State.score, 1);
    play.Tick();
    EXPECT_EQ(f.FINALSCORE.Caption(), "Score: 1");

    play.Second(6);
    EXPECT_EQ(f.Label7.Caption(), "Time:  54 s");
    EXPECT_FALSE(AnyRedShown(f)) << "no red square before the eighth second";
    play.Second();
    EXPECT_TRUE(AllRedsShown(f)) << "the four red squares come in on the eighth second";
    EXPECT_EQ(f.State.redDelay, 8);

    // The count stops at nine, so the reds are shown only once.
    for (scene::TShape* red : {&f.Rvierkant1, &f.rvierkant2, &f.rvierkant3, &f.rvierkant4}) red->SetVisible(false);
    play.Second(10);
    EXPECT_EQ(f.State.redDelay, 9);
    EXPECT_FALSE(AnyRedShown(f));

    play.Second(43);  // 61 in all
    EXPECT_EQ(f.Label7.Caption(), "Time:  0 s");
    EXPECT_EQ(f.State.timeLeft, -1);
    EXPECT_EQ(f.State.score, 61) << "one point a second and no touch: the pointer never moved";
}

// While the loop is idle after a clock second, the next eight times and scores
// are laid out and drawn ahead (readying one again then costs no text work); a
// score that leaves the run, as a catch's does, has the next second ready a new one.
TEST(ClockTest, TheComingSecondsTimesAndScoresAreReadiedWhileIdle) {
    PlayHarness play;
    TForm1& f = play.f;
    const auto ready = [](const scene::TLabel& label, const std::string& caption) {
        const scene::TextWork before = scene::TextWorkDone();
        label.PrepareCaption(caption);
        return scene::TextWorkDone() == before;
    };
    play.Second();
    EXPECT_EQ(f.Label7.Caption(), "Time:  60 s");
    for (const char* time : {"Time:  59 s", "Time:  52 s"}) EXPECT_TRUE(ready(f.Label7, time)) << time;
    for (const char* score : {"Score: 1", "Score: 8"}) EXPECT_TRUE(ready(f.FINALSCORE, score)) << score;
    EXPECT_FALSE(ready(f.Label7, "Time:  51 s")) << "beyond the run";
    EXPECT_FALSE(ready(f.FINALSCORE, "Score: 9")) << "beyond the run";

    f.State.score += 43;  // the green circle's points
    play.Second();
    EXPECT_EQ(f.State.score, 45);
    EXPECT_TRUE(ready(f.FINALSCORE, "Score: 52"));
    EXPECT_TRUE(ready(f.Label7, "Time:  58 s")) << "the times' run still holds";

    // Nothing is readied below "Time:  0 s", the last second shown.
    play.Second(55);
    EXPECT_EQ(f.Label7.Caption(), "Time:  4 s");
    EXPECT_TRUE(ready(f.Label7, "Time:  0 s"));
    EXPECT_FALSE(ready(f.Label7, "Time:  -1 s"));
}

TEST(ClockTest, AStageOverridesTheRedsOfSecondEight) {
    PlayHarness play;
    TForm1& f = play.f;
    f.State.hits = 7;
    play.Second(8);
    play.Tick();  // the ticks due with the clock's may have come before it
    EXPECT_TRUE(f.Rvierkant1.Visible());
    EXPECT_FALSE(f.rvierkant2.Visible() || f.rvierkant3.Visible() || f.rvierkant4.Visible())
        << "the check tick after second eight hides the reds outside the stage";
}

TEST(ClockTest, OffersShowOnlyWhileTheCoinsExceedTheirPrice) {
    struct Case {
        int money;
        bool time, noRed, bonus, life;
    };
    const Case cases[] = {
        {0, false, false, false, false},  {20, false, false, false, false}, {21, false, true, false, false},
        {30, false, true, false, false},  {31, true, true, false, false},   {50, true, true, false, false},
        {51, true, true, true, false},    {80, true, true, true, false},    {81, true, true, true, true},
        {-5, false, false, false, false},
    };
    PlayHarness play;
    TForm1& f = play.f;
    for (const Case& c : cases) {
        SCOPED_TRACE("money " + std::to_string(c.money));
        f.State.money = c.money;
        play.Tick();
        EXPECT_EQ(f.Label2.Visible(), c.time);
        EXPECT_EQ(f.Label3.Visible(), c.noRed);
        EXPECT_EQ(f.Label4.Visible(), c.bonus);
        EXPECT_EQ(f.Label5.Visible(), c.life);
        EXPECT_EQ(f.Label1.Caption(), "Money: " + std::to_string(c.money) + " $");
    }
}

}  // namespace
