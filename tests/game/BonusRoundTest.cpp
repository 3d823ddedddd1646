#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <optional>

#include "game/Random.h"
#include "game/ShopSupport.h"

namespace {

using gametest::ClickOn;
using gametest::GameHarness;
using gametest::PlayFolder;
using gametest::Point;
using gametest::RunTo;
using gametest::StartGame;
using layout::TForm1;

constexpr double kBonusTickMs = 109.375;
constexpr std::array<int, 5> kSizes = {145, 113, 105, 89, 65};
constexpr int kTwoSeconds = 44100;

std::array<scene::TImage*, 5> Pictures(TForm1& f) { return {&f.BONUS1, &f.Bonus2, &f.Bonus3, &f.Bonus4, &f.Bonus5}; }

// Where the seeded generator puts the five pictures: Left then Top for each.
std::array<Point, 5> PlacesFrom(std::uint32_t seed, int leftRange = 750, int topRange = 350) {
    game::RandSeed = seed;
    std::array<Point, 5> places{};
    for (Point& p : places) {
        p.x = game::Random(leftRange);
        p.y = game::Random(topRange);
    }
    return places;
}

// A seed whose scatter differs from that of either range one off.
bool TellsScatter(std::uint32_t seed) {
    const std::array<Point, 5> places = PlacesFrom(seed);
    return places != PlacesFrom(seed, 749) && places != PlacesFrom(seed, 751) && places != PlacesFrom(seed, 750, 349) &&
           places != PlacesFrom(seed, 750, 351);
}

// Lets the offers tick show "Bonus 50$" for these coins (during a round nothing
// refreshes it) and buys the round with the generator at seed; returns when.
double BuyRound(GameHarness& game, std::optional<int> money, std::uint32_t seed = 7) {
    TForm1& f = *game.form;
    if (money) {
        f.State.money = *money;
        RunTo(game, f.Timer4.DueMs());
    }
    EXPECT_TRUE(f.Label4.Visible()) << "expected the offer on show";
    game::RandSeed = seed;
    const double at = game.app.NowMs();
    ClickOn(game, f.Label4);
    return at;
}

// The cover, timers and music of a running round, or of the game back after it.
// After it every picture is gone; during it those not yet clicked show.
void ExpectRoundRunning(TForm1& f, bool running) {
    if (!running) {
        for (scene::TImage* p : Pictures(f)) EXPECT_FALSE(p->Visible()) << p->Name();
    }
    EXPECT_EQ(f.BONUSgray.Visible(), running);
    EXPECT_EQ(f.Label8.Visible(), running);
    for (scene::TTimer* t : {&f.Timer1, &f.Timer2, &f.Timer3, &f.Timer4})
        EXPECT_EQ(t->Enabled(), !running) << t->Name();
    EXPECT_EQ(f.State.musicLoop, running ? 0 : 1);
    EXPECT_EQ(f.State.bonusMusicLoop, running ? 1 : 0);
    EXPECT_EQ(f.MediaPlayer4.Channel().Playing(), running) << "bonus music";
    EXPECT_EQ(f.MediaPlayer2.Channel().Playing(), !running) << "game music";
}

TEST(BonusRoundTest, ALostRoundShowsNoBonusFromItsTwentySecondTickToItsTwentyNinth) {
    PlayFolder folder;
    GameHarness game;
    TForm1& f = StartGame(game);
    const std::uint32_t seed = gametest::FindSeed(TellsScatter);
    const std::array<Point, 5> places = PlacesFrom(seed);
    // Where two tiles meet, out of every picture's reach: a black outline until the cover comes.
    EXPECT_EQ(game.Pixel(845, 505), (scene::Rgb{0, 0, 0}));
    const double boughtAt = BuyRound(game, 200, seed);
    const scene::TRect moverAtBuy = f.zvierkant4.BoundsRect();
    const int timeAtBuy = f.State.timeLeft;

    EXPECT_EQ(f.State.money, 150);
    EXPECT_TRUE(f.MediaPlayer3.Channel().Playing());
    EXPECT_EQ(f.Label8.Caption(), "Label8") << "the first round shows the layout's caption until its first tick";
    for (int i = 0; i < 5; ++i) {
        scene::TImage& p = *Pictures(f)[i];
        EXPECT_EQ(p.BoundsRect(), (scene::TRect{places[i].x, places[i].y, kSizes[i], kSizes[i]})) << p.Name();
        EXPECT_TRUE(p.Visible()) << p.Name();
    }
    ExpectRoundRunning(f, true);
    EXPECT_TRUE(f.Timer5.Enabled());
    game.app.RunFor(1);
    EXPECT_EQ(game.Pixel(845, 505), (scene::Rgb{192, 192, 192}));

    for (int tick = 1; tick <= 29; ++tick) {
        SCOPED_TRACE("bonus tick " + std::to_string(tick));
        RunTo(game, boughtAt + tick * kBonusTickMs - 1);
        EXPECT_EQ(f.State.bonusCountdown, 300 - 14 * (tick - 1)) << "not yet due";
        RunTo(game, boughtAt + tick * kBonusTickMs);
        const int value = 300 - 14 * tick;
        EXPECT_EQ(f.Label8.Caption(), std::to_string(value));
        EXPECT_EQ(f.State.bonusCountdown, tick < 29 ? value : 300);
        for (int i = 0; i < 5; ++i) {
            const int size = kSizes[i] - tick;
            EXPECT_EQ(Pictures(f)[i]->BoundsRect(), (scene::TRect{places[i].x, places[i].y, size, size}));
            EXPECT_EQ(Pictures(f)[i]->Visible(), tick < 22);
        }
        EXPECT_EQ(f.NOBONUS.Visible(), tick >= 22 && tick < 29);
        EXPECT_FALSE(f.BONUSgehaald.Visible());
        EXPECT_EQ(f.Timer5.Enabled(), tick < 29);
        ExpectRoundRunning(f, tick < 22);
        if (tick == 21) {
            EXPECT_EQ(f.zvierkant4.BoundsRect(), moverAtBuy) << "the movers wait out the round";
            EXPECT_EQ(f.State.timeLeft, timeAtBuy) << "so does the clock";
        }
    }
    // Afterwards the game runs on, the game music loops and the bonus music stays stopped.
    game.app.RunFor(1000);
    EXPECT_NE(f.zvierkant4.BoundsRect(), moverAtBuy);
    EXPECT_EQ(f.State.timeLeft, timeAtBuy - 1) << "the clock's next second came a full second after the round";
    EXPECT_TRUE(f.MediaPlayer2.Channel().Playing());
    EXPECT_FALSE(f.MediaPlayer4.Channel().Playing());

    // The next round shows the last value of this one until its first tick, and
    // the looping game music's Stop report does not bring it back.
    const double againAt = BuyRound(game, 100);
    EXPECT_TRUE(f.Label8.Visible());
    EXPECT_EQ(f.Label8.Caption(), "-106");
    RunTo(game, againAt + kBonusTickMs);
    EXPECT_EQ(f.Label8.Caption(), "286");
    ExpectRoundRunning(f, true);
}

TEST(BonusRoundTest, AWonRoundTakesThePicturesInOrderOnly) {
    PlayFolder folder;
    GameHarness game;
    TForm1& f = StartGame(game);
    BuyRound(game, 200);
    const auto pictures = Pictures(f);
    const int scoreBefore = f.State.score;

    // A pause, then a click far enough from the last not to make a double click.
    Point last{-100, -100};
    const auto clickApart = [&](const scene::TImage& picture, double pauseMs) {
        game.app.RunFor(pauseMs);
        const Point at = ClickOn(game, picture);
        EXPECT_GT(std::abs(at.x - last.x) + std::abs(at.y - last.y), 8)
            << "two clicks this close would be a double click";
        last = at;
    };

    // Out of order each picture stays, silently, while the one just before it
    // shows, even with all earlier ones gone.
    game.app.RunFor(200);
    for (int i = 1; i < 5; ++i) {
        SCOPED_TRACE(pictures[i]->Name() + " out of order");
        for (int j = 0; j < 5; ++j) pictures[j]->SetVisible(j >= i - 1);
        clickApart(*pictures[i], 100);
        EXPECT_TRUE(pictures[i]->Visible());
        EXPECT_FALSE(f.MediaPlayer5.Channel().Playing());
    }
    for (scene::TImage* p : pictures) p->SetVisible(true);

    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(pictures[i]->Name());
        clickApart(*pictures[i], 150);
        EXPECT_FALSE(pictures[i]->Visible());
        EXPECT_TRUE(f.MediaPlayer5.Channel().Playing());
        if (i < 4) ExpectRoundRunning(f, true);
    }
    EXPECT_EQ(f.State.score, scoreBefore + 1000);
    EXPECT_TRUE(f.BONUSgehaald.Visible());
    ExpectRoundRunning(f, false);
    EXPECT_TRUE(f.Timer5.Enabled()) << "the countdown runs on to take the message away";

    while (f.Timer5.Enabled()) {
        game.app.RunFor(kBonusTickMs);
        EXPECT_FALSE(f.NOBONUS.Visible()) << "countdown " << f.State.bonusCountdown;
        if (f.State.bonusCountdown < 0) ExpectRoundRunning(f, false);
    }
    EXPECT_EQ(f.Label8.Caption(), "-106");
    EXPECT_FALSE(f.BONUSgehaald.Visible());
    EXPECT_EQ(f.State.bonusCountdown, 300);
    EXPECT_TRUE(f.MediaPlayer2.Channel().Playing()) << "the game music loops after a won round too";
}

TEST(BonusRoundTest, BuyingAgainDuringARoundRescattersWhileTheCountdownAndMusicGoOn) {
    PlayFolder folder(std::string("hi\r\n"), kTwoSeconds);
    GameHarness game;
    TForm1& f = StartGame(game);
    const double boughtAt = BuyRound(game, 60);
    RunTo(game, boughtAt + 5 * kBonusTickMs + 1);
    ClickOn(game, f.BONUS1);
    const long bonusMusicAt = f.MediaPlayer4.Channel().Position();

    const std::array<Point, 5> places = PlacesFrom(99);
    BuyRound(game, std::nullopt, 99);  // the offer is still shown: nothing refreshed it
    EXPECT_EQ(f.State.money, -40);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(Pictures(f)[i]->BoundsRect(), (scene::TRect{places[i].x, places[i].y, kSizes[i], kSizes[i]}));
    ExpectRoundRunning(f, true);
    EXPECT_EQ(f.Label8.Caption(), "230");
    EXPECT_GE(f.MediaPlayer4.Channel().Position(), bonusMusicAt) << "the bonus music goes on, no restart";

    RunTo(game, boughtAt + 6 * kBonusTickMs);
    EXPECT_EQ(f.State.bonusCountdown, 216) << "the countdown keeps its beat";
    EXPECT_FALSE(f.MediaPlayer2.Channel().Playing()) << "the game music's Stop report does not loop it";
    RunTo(game, boughtAt + 22 * kBonusTickMs);
    ExpectRoundRunning(f, false);
    EXPECT_TRUE(f.NOBONUS.Visible());
}

// The check tick ends the game in a round's aftermath: the bonus tick stops with
// the others, so the score goes in once, every sound but the music stops, and
// the intro song and the game music, whose loop the round switched on, loop on.
TEST(BonusRoundTest, AGameEndingInTheAftermathEntersItsScoreOnceAndLeavesBothMusicsLooping) {
    PlayFolder folder(std::string("hi\r\n"), kTwoSeconds);
    GameHarness game;
    TForm1& f = StartGame(game);
    game.app.RunFor(3000);  // a few points to enter
    const double boughtAt = BuyRound(game, 200);
    RunTo(game, boughtAt + 20 * kBonusTickMs + 1);
    ClickOn(game, f.BONUS1);
    RunTo(game, boughtAt + 22 * kBonusTickMs);
    ASSERT_TRUE(f.NOBONUS.Visible());
    RunTo(game, f.Timer4.DueMs());
    ClickOn(game, f.Label2);
    ASSERT_TRUE(f.MediaPlayer3.Channel().Playing() && f.MediaPlayer5.Channel().Playing());
    f.State.timeLeft = -1;
    RunTo(game, f.Timer3.DueMs());
    ASSERT_TRUE(f.witeinde.Visible());
    EXPECT_FALSE(f.Timer5.Enabled());
    ASSERT_GT(f.State.score, 0);
    const std::string entered = "100      Anna\r\n" + std::to_string(f.State.score) + "      Ann\r\n";
    EXPECT_EQ(folder.Read("scores.txt").substr(0, entered.size()), entered);
    for (layout::TMediaPlayer* p : {&f.MediaPlayer3, &f.MediaPlayer4, &f.MediaPlayer5})
        EXPECT_FALSE(p->Channel().Playing()) << p->Name();
    EXPECT_TRUE(f.Label6.Visible()) << "the sound label stays";

    const int countdown = f.State.bonusCountdown;
    folder.Write("scores.txt", "changed since\r\n");
    game.app.RunFor(5000);
    EXPECT_EQ(folder.Read("scores.txt"), "changed since\r\n");
    EXPECT_EQ(f.State.bonusCountdown, countdown);
    EXPECT_TRUE(f.MediaPlayer1.Channel().Playing()) << "the intro song loops";
    EXPECT_TRUE(f.MediaPlayer2.Channel().Playing()) << "the game music loops";
    EXPECT_EQ(game.app.ShownBoxes().size(), 0u);
}

}  // namespace
