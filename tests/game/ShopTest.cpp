#include <gtest/gtest.h>

#include "game/PlayHarness.h"
#include "game/Random.h"
#include "game/ShopSupport.h"

namespace {

using gametest::ClickOn;
using gametest::GameHarness;
using gametest::PlayFolder;
using gametest::StartGame;
using layout::TForm1;

constexpr int kTwoSeconds = 44100;  // frames of a WAV piece long enough not to end between clicks

TEST(ShopTest, EachPurchaseTakesItsPriceGivesItsGoodsAndPlaysTheClick) {
    struct Row {
        scene::TLabel TForm1::*offer;
        int money, lives;
        int moneyAfter, timeAfter, livesAfter;
        bool redGone;
    };
    const Row rows[] = {
        {&TForm1::Label2, 31, 3, 1, 90, 3, false},
        {&TForm1::Label2, 0, 3, -30, 90, 3, false},  // no purchase asks whether the coins suffice
        {&TForm1::Label3, 25, 3, 5, 60, 3, true},
        {&TForm1::Label5, 81, 0, 1, 60, 1, false},
    };
    for (const Row& row : rows) {
        PlayFolder folder;
        GameHarness game;
        TForm1& f = StartGame(game);
        scene::TLabel& offer = f.*row.offer;
        SCOPED_TRACE(offer.Caption());
        f.State.money = row.money;
        f.State.lives = row.lives;
        f.State.redDelay = 5;
        offer.SetVisible(true);
        for (scene::TShape* red : {&f.Rvierkant1, &f.rvierkant2, &f.rvierkant3, &f.rvierkant4}) red->SetVisible(true);
        ASSERT_FALSE(f.MediaPlayer3.Channel().Playing());

        ClickOn(game, offer);
        EXPECT_EQ(f.State.money, row.moneyAfter);
        EXPECT_EQ(f.State.timeLeft, row.timeAfter);
        EXPECT_EQ(f.State.lives, row.livesAfter);
        EXPECT_EQ(f.State.redDelay, row.redGone ? 0 : 5);
        for (scene::TShape* red : {&f.Rvierkant1, &f.rvierkant2, &f.rvierkant3, &f.rvierkant4})
            EXPECT_EQ(red->Visible(), !row.redGone) << red->Name();
        EXPECT_TRUE(f.MediaPlayer3.Channel().Playing()) << "expected the click channel to sound";
        game.app.RunFor(f.Timer4.DueMs() - game.app.NowMs());
        EXPECT_FALSE(offer.Visible()) << "the next offers tick takes the spent offer away";
    }
}

TEST(ShopTest, NoRedAtSixHitsBringsTheFirstRedSquareBackOnTheNextCheckTick) {
    PlayFolder folder;
    GameHarness game;
    TForm1& f = StartGame(game);
    f.State.money = 21;
    f.State.hits = 6;
    gametest::RunTo(game, f.Timer3.DueMs());  // the offer shows, and the stage shows Rvierkant1
    ASSERT_TRUE(f.Label3.Visible());
    ASSERT_TRUE(f.Rvierkant1.Visible());

    ClickOn(game, f.Label3);
    for (scene::TShape* red : {&f.Rvierkant1, &f.rvierkant2, &f.rvierkant3, &f.rvierkant4})
        EXPECT_FALSE(red->Visible()) << red->Name();
    EXPECT_EQ(f.State.money, 1);
    EXPECT_EQ(f.State.redDelay, 0);

    gametest::RunTo(game, f.Timer3.DueMs());
    EXPECT_TRUE(f.Rvierkant1.Visible());
    for (scene::TShape* red : {&f.rvierkant2, &f.rvierkant3, &f.rvierkant4})
        EXPECT_FALSE(red->Visible()) << red->Name();
}

TEST(ShopTest, ALifeBoughtAtNoLivesLeftTakesOneMoreRedTouch) {
    game::RandSeed = 20240601u;
    game::SetPerformanceCounter([n = std::uint64_t{0}]() mutable { return n += 104729; });
    gametest::PlayHarness play;
    TForm1& f = play.f;
    play.MovePointer(100, 590);  // the bottom bar: nothing there can be touched
    play.game.app.RunFor(8100);  // the red squares come in at the eighth second
    f.State.lives = 0;
    f.State.money = 80;
    f.Label5.SetVisible(true);
    ClickOn(play.game, f.Label5);
    ASSERT_EQ(f.State.lives, 1);
    play.MovePointer(100, 590);

    play.TouchARedSquare();
    play.game.app.RunFor(50);
    EXPECT_EQ(f.State.lives, 0);
    play.MovePointer(100, 590);
    const double checkedAt = f.Timer3.DueMs();
    gametest::RunTo(play.game, checkedAt + 1);
    EXPECT_FALSE(f.witeinde.Visible()) << "the bought life keeps the game going through the check tick";
    EXPECT_TRUE(f.Timer3.Enabled());
    EXPECT_EQ(f.State.lives, 0);

    play.TouchARedSquare();
    play.StepUntil([&] { return f.witeinde.Visible(); });
    EXPECT_EQ(f.State.lives, -1);
    EXPECT_TRUE(f.geenlevens.Visible());
    EXPECT_EQ(f.geenlevens.Caption(), "You hit a red square!");
    EXPECT_FALSE(f.geentijd.Visible());
}

// One click each, far enough apart in time not to make a double click.
void ClickSoundLabel(GameHarness& game) {
    game.app.RunFor(scene::Form::kDoubleClickMs + 100);
    ClickOn(game, game.form->Label6);
}

TEST(ShopTest, SoundSwitchOnTheStartScreenPlaysOnThenStopsThenResumes) {
    PlayFolder folder(std::string("hi\r\n"), kTwoSeconds);
    GameHarness game;
    TForm1& f = game.Start();
    const sound::SoundChannel& intro = f.MediaPlayer1.Channel();
    const long before = intro.Position();

    ClickSoundLabel(game);
    EXPECT_EQ(f.State.soundSwitch, 0);
    EXPECT_TRUE(intro.Playing());
    EXPECT_GT(intro.Position(), before) << "the first click lets the playing song go on, no restart";

    ClickSoundLabel(game);
    EXPECT_EQ(f.State.soundSwitch, 1);
    EXPECT_FALSE(intro.Playing());
    const long stoppedAt = intro.Position();
    game.app.RunFor(300);
    EXPECT_FALSE(intro.Playing());

    ClickSoundLabel(game);
    EXPECT_EQ(f.State.soundSwitch, 0);
    EXPECT_TRUE(intro.Playing());
    EXPECT_GE(intro.Position(), stoppedAt);
    EXPECT_LT(intro.Position(), stoppedAt + 2048) << "expected the song to resume where it stopped";
}

TEST(ShopTest, SoundSwitchCannotStopTheIntroOnceItHasLoopedBetweenTheClicks) {
    PlayFolder folder(std::string("hi\r\n"), 2205);  // 100 ms: it ends between the clicks
    GameHarness game;
    TForm1& f = game.Start();
    ClickSoundLabel(game);
    ClickSoundLabel(game);
    game.app.RunFor(50);
    EXPECT_EQ(f.State.soundSwitch, 1);
    EXPECT_TRUE(f.MediaPlayer1.Channel().Playing()) << "the loop armed Notify, so the Stop's report plays it on";
}

TEST(ShopTest, SoundSwitchDuringAGameResumesTheIntroWhereStartStoppedIt) {
    PlayFolder folder(std::string("hi\r\n"), kTwoSeconds);
    GameHarness game;
    TForm1& f = StartGame(game, "Bo", 400);
    const sound::SoundChannel& intro = f.MediaPlayer1.Channel();
    ASSERT_FALSE(intro.Playing());
    const long stoppedAt = intro.Position();
    ASSERT_GT(stoppedAt, 0);

    ClickSoundLabel(game);  // it shows the name now
    EXPECT_EQ(f.Label6.Caption(), "Bo");
    EXPECT_EQ(f.State.soundSwitch, 0);
    EXPECT_TRUE(intro.Playing());
    EXPECT_LT(intro.Position(), stoppedAt + 2048);
    EXPECT_TRUE(f.MediaPlayer2.Channel().Playing()) << "the game music sounds alongside";

    ClickSoundLabel(game);
    EXPECT_EQ(f.State.soundSwitch, 1);
    EXPECT_FALSE(intro.Playing());
}

}  // namespace
