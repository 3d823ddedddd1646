// Whole games on the virtual clock, from Start to the end screen, with a seeded
// generator and the pointer moved only where a test means to touch.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "game/PlayHarness.h"
#include "game/Random.h"
#include "game/ShopSupport.h"

namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class WholeGameTest : public ::testing::Test {
protected:
    void SetUp() override {
        play_.folder.Write("scores.txt", "500      Ann\r\n");
        game::RandSeed = 20240601u;
        game::SetPerformanceCounter([n = std::uint64_t{0}]() mutable { return n += 104729; });
        play_.MovePointer(100, 590);  // the bottom bar: nothing there can be touched
    }

    layout::TForm1& Form() { return play_.f; }
    bool Ended() const { return play_.f.witeinde.Visible(); }
    // The file after a game that put score in second place behind Ann.
    std::string FileWithSecond(int score) const {
        return "500      Ann\r\n" + std::to_string(score) + "      " + play_.f.Label6.Caption() +
               "\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n";
    }
    std::string ScoresFile() const { return ReadBytes(play_.folder.Path() / "scores.txt"); }

    gametest::PlayHarness play_;
};

TEST_F(WholeGameTest, TimeRunningOutWithNoTouchScoresSixtyOne) {
    play_.game.app.RunFor(60500);
    EXPECT_FALSE(Ended()) << "sixty seconds of play and the clock still at 0";
    play_.StepUntil([&] { return Ended(); });
    auto& f = Form();
    EXPECT_EQ(f.State.score, 61);
    EXPECT_EQ(f.State.timeLeft, -1);
    EXPECT_EQ(f.Label7.Caption(), "Time:  0 s");
    EXPECT_TRUE(f.geentijd.Visible());
    EXPECT_FALSE(f.geenlevens.Visible());
    EXPECT_EQ(f.eindscore.Caption(), "Final score:  61 points");
    EXPECT_EQ(f.Scoreseind.Lines()[1], "61        " + f.Label6.Caption());
    EXPECT_EQ(ScoresFile(), FileWithSecond(61));
    for (scene::TTimer* t : {&f.Timer1, &f.Timer2, &f.Timer3, &f.Timer4, &f.Timer5}) EXPECT_FALSE(t->Enabled());
    for (scene::SceneElement* e : {&f.Label1, &f.Label2, &f.Label3, &f.Label4, &f.Label5}) EXPECT_FALSE(e->Visible());
    EXPECT_TRUE(f.MediaPlayer1.Channel().Playing()) << "the intro song is back";
    EXPECT_FALSE(f.MediaPlayer2.Channel().Playing());
    EXPECT_TRUE(f.Label6.Visible()) << "the sound label stays";

    // The end comes once: nothing writes the file again.
    play_.folder.Write("scores.txt", "changed since\r\n");
    play_.game.app.RunFor(3000);
    EXPECT_EQ(ScoresFile(), "changed since\r\n");
    EXPECT_EQ(play_.game.app.ShownBoxes().size(), 0u);
}

TEST_F(WholeGameTest, ThreeRedTouchesLeaveTheGameRunningAndTheFourthEndsIt) {
    play_.game.app.RunFor(8100);  // the red squares come in at the eighth second
    for (int touch = 1; touch <= 3; ++touch) {
        play_.TouchARedSquare();
        play_.game.app.RunFor(50);
        EXPECT_EQ(Form().State.lives, 3 - touch);
    }
    EXPECT_FALSE(Ended()) << "no life left, yet still playing";
    EXPECT_EQ(Form().Lives.Caption(), "Lives: 0");

    play_.TouchARedSquare();
    play_.StepUntil([&] { return Form().State.lives == -1; });
    play_.StepUntil([&] { return Ended(); });
    auto& f = Form();
    EXPECT_TRUE(f.geenlevens.Visible());
    EXPECT_FALSE(f.geentijd.Visible());
    EXPECT_GE(f.State.timeLeft, 0);
    const int score = f.State.score;
    EXPECT_EQ(score, 60 - f.State.timeLeft) << "a point for each clock second and none for red squares";
    EXPECT_EQ(f.eindscore.Caption(), "Final score:  " + std::to_string(score) + " points");
    EXPECT_EQ(ScoresFile(), FileWithSecond(score));
}

TEST_F(WholeGameTest, LivesAndTimeRunningOutBeforeTheSameCheckTickEndByLives) {
    play_.game.app.RunFor(8100);
    for (int touch = 1; touch <= 3; ++touch) {
        play_.TouchARedSquare();
        play_.game.app.RunFor(50);
    }
    ASSERT_EQ(Form().State.lives, 0);
    play_.StepUntil([&] { return Form().State.timeLeft == 0; });
    // The last check tick before the clock's last tick has run; a red touch now
    // and the clock's tick both come before the next check tick.
    play_.StepUntil([&] { return Form().Timer1.DueMs() <= Form().Timer3.DueMs() && play_.RedSquareInTheOpen(); });
    play_.TouchRedSquareNow();
    play_.StepUntil([&] { return Ended(); });
    EXPECT_EQ(Form().State.lives, -1);
    EXPECT_EQ(Form().State.timeLeft, -1);
    EXPECT_TRUE(Form().geenlevens.Visible());
    EXPECT_FALSE(Form().geentijd.Visible());
    EXPECT_EQ(ScoresFile(), FileWithSecond(61));
}

// ---- A pause changes nothing ----

using Phase = layout::TForm1::PausePhase;

// Where a pause goes in the scripted game: the first tick at which it holds.
enum class PauseAt { Play, BonusRound, Aftermath };
// How the player goes on: P, the Pause key or a click (on the shop, which must not buy).
enum class GoOn { P, PauseKey, Click };
struct PauseRow {
    PauseAt at;
    double ms;
    GoOn goOn;
};

std::vector<scene::SceneElement*> Watched(layout::TForm1& f) {
    return {&f.Zvierkant1, &f.zvierkant2,   &f.zvierkant3, &f.zvierkant4, &f.Rvierkant1, &f.rvierkant2,
            &f.rvierkant3, &f.rvierkant4,   &f.zround1,    &f.BONUS1,     &f.Bonus2,     &f.Bonus3,
            &f.Bonus4,     &f.Bonus5,       &f.Label2,     &f.Label3,     &f.Label4,     &f.Label5,
            &f.NOBONUS,    &f.BONUSgehaald, &f.BONUSgray,  &f.witeinde,   &f.Label8};
}

// Everything the rules keep and show, as one line.
std::string Fingerprint(layout::TForm1& f) {
    std::ostringstream s;
    const game::GameState& st = f.State;
    s << st.score << ' ' << st.money << ' ' << st.hits << ' ' << st.lives << ' ' << st.timeLeft << ' '
      << st.bonusCountdown << ' ' << f.Label7.Caption() << ' ' << f.Lives.Caption() << '|';
    for (scene::SceneElement* e : Watched(f))
        s << e->Visible() << e->Left() << ',' << e->Top() << ',' << e->Width() << ' ';
    for (const auto& column : f.tiles)
        for (const scene::TShape* tile : column) s << tile->BrushColor() << ' ';
    return s.str();
}

bool Holds(layout::TForm1& f, PauseAt at) {
    switch (at) {
        case PauseAt::Play: return f.State.timeLeft == 50;
        case PauseAt::BonusRound: return f.Timer5.Enabled() && f.BONUSgray.Visible() && !f.BONUS1.Visible();
        case PauseAt::Aftermath: return f.BONUSgehaald.Visible() || f.NOBONUS.Visible();
    }
    return false;
}

// Pauses, pokes at everything, waits ms, goes on and waits out the count; the
// game must not have moved on in the meantime.
void PauseAndGoOn(gametest::GameHarness& game, const PauseRow& row) {
    layout::TForm1& f = *game.form;
    auto& platform = game.platform;
    auto& app = game.app;
    const std::string before = Fingerprint(f);
    platform.Key(row.goOn == GoOn::PauseKey ? int{scene::kPause} : int{'p'});
    platform.Type("p");
    app.RunFor(0);
    ASSERT_EQ(f.Pausing(), Phase::Paused);
    ASSERT_NE(f.PauseCover(), nullptr);
    EXPECT_TRUE(f.PauseCover()->Visible());
    for (const gametest::Point p : {gametest::Point{10, 10}, {440, 256}, {887, 511}})
        EXPECT_EQ(f.HitTest(p.x, p.y), f.PauseCover()) << "expected the cover on top at " << p.x << "," << p.y;
    // Moves over every square while paused: no touch counts.
    for (scene::SceneElement* e : Watched(f))
        platform.MouseMove(e->Left() + e->Width() / 2, e->Top() + e->Height() / 2);
    app.RunFor(row.ms);
    EXPECT_EQ(f.Pausing(), Phase::Paused);
    EXPECT_EQ(Fingerprint(f), before) << "the game moved on while paused";

    if (row.goOn == GoOn::Click)
        platform.Click(f.Label2.Left() + 5, f.Label2.Top() + 5);  // the shop's first offer
    else
        platform.Key(row.goOn == GoOn::PauseKey ? int{scene::kPause} : int{'p'});
    app.RunFor(0);
    EXPECT_EQ(f.Pausing(), Phase::Counting);
    EXPECT_EQ(f.PauseCover()->Caption(), "3");
    // Neither a click nor a move during the count counts.
    platform.Click(f.Label3.Left() + 5, f.Label3.Top() + 5);
    for (scene::SceneElement* e : Watched(f))
        platform.MouseMove(e->Left() + e->Width() / 2, e->Top() + e->Height() / 2);
    app.RunFor(1400);
    EXPECT_EQ(f.Pausing(), Phase::Counting) << "the count is a second and a half";
    EXPECT_EQ(f.PauseCover()->Caption(), "1");
    EXPECT_EQ(Fingerprint(f), before) << "the game moved on during the count";
    for (int i = 0; i < 1000 && f.Pausing() != Phase::Running; ++i) app.Step(app.NowMs() + 1);
    EXPECT_EQ(f.Pausing(), Phase::Running);
    EXPECT_FALSE(f.PauseCover()->Visible());
    EXPECT_EQ(Fingerprint(f), before);
}

// A whole game with the pointer on a fixed path, a bonus round bought and its
// pictures clicked in turn; a fingerprint after every tick, and the pauses of
// rows made where they first hold.
std::vector<std::string> PlayScripted(const std::vector<PauseRow>& rows) {
    gametest::PlayFolder folder;
    folder.Write("scores.txt", "500      Ann\r\n");
    game::RandSeed = 20240601u;
    game::SetPerformanceCounter([n = std::uint64_t{0}]() mutable { return n += 104729; });
    gametest::GameHarness game;
    layout::TForm1& f = gametest::StartGame(game);
    std::vector<std::string> trace;
    std::vector<bool> done(rows.size(), false);
    std::uint32_t path = 12345;
    bool bought = false;
    for (int step = 0; step < 20000 && !f.witeinde.Visible(); ++step) {
        if (step % 9 == 0) {
            path = path * 1103515245u + 12345u;
            game.platform.MouseMove(static_cast<int>((path >> 8) % 880), static_cast<int>((path >> 20) % 500));
        }
        if (f.State.timeLeft == 40 && !bought) f.State.money = 120;
        if (!bought && f.Label4.Visible()) {
            game::RandSeed = 99;
            gametest::ClickOn(game, f.Label4);
            bought = true;
        }
        if (f.Timer5.Enabled() && f.BONUSgray.Visible() && step % 4 == 0)
            for (scene::TImage* picture : {&f.BONUS1, &f.Bonus2, &f.Bonus3, &f.Bonus4, &f.Bonus5})
                if (picture->Visible()) {
                    gametest::ClickOn(game, *picture);
                    break;
                }
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (!done[i] && Holds(f, rows[i].at)) {
                done[i] = true;
                PauseAndGoOn(game, rows[i]);
            }
        double due = std::numeric_limits<double>::infinity();
        for (scene::TTimer* t : {&f.Timer1, &f.Timer2, &f.Timer3, &f.Timer4, &f.Timer5})
            if (t->Armed()) due = std::min(due, t->DueMs());
        game.app.RunFor(due - game.app.NowMs());
        trace.push_back(Fingerprint(f));
    }
    EXPECT_TRUE(f.witeinde.Visible()) << "expected the game to end";
    EXPECT_EQ(std::count(done.begin(), done.end(), true), static_cast<long>(rows.size())) << "a pause never came";
    trace.push_back(f.eindscore.Caption() + (f.geenlevens.Visible() ? " lives" : " time"));
    trace.push_back(ReadBytes(folder.Path() / "scores.txt"));
    game::SetPerformanceCounter({});
    return trace;
}

// The index of the first line where b leaves a, or -1.
long FirstDifference(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    const auto [ia, ib] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    return ia == a.end() && ib == b.end() ? -1 : static_cast<long>(ia - a.begin());
}

TEST(PausedGameTest, APauseOfAnyLengthAnywhereLeavesTheSameGame) {
    const std::vector<std::string> plain = PlayScripted({});
    ASSERT_GT(plain.size(), 100u);
    // clang-format off
    const std::vector<PauseRow> runs[] = {
        {{PauseAt::Play,       5000,   GoOn::P}},
        {{PauseAt::BonusRound, 777,    GoOn::Click}},
        {{PauseAt::Aftermath,  123457, GoOn::PauseKey}},
        {{PauseAt::Play,       31.25,  GoOn::Click}, {PauseAt::BonusRound, 60000, GoOn::P},
         {PauseAt::Aftermath,  2001,   GoOn::P}},
    };
    // clang-format on
    for (const std::vector<PauseRow>& rows : runs) {
        SCOPED_TRACE("a run with " + std::to_string(rows.size()) + " pauses, the first " + std::to_string(rows[0].ms) +
                     " ms long");
        const std::vector<std::string> paused = PlayScripted(rows);
        const long at = FirstDifference(plain, paused);
        EXPECT_EQ(at, -1) << "expected the same game, got at tick " << at << ":\n  "
                          << (at >= 0 && at < static_cast<long>(plain.size()) ? plain[at] : "(none)") << "\n  "
                          << (at >= 0 && at < static_cast<long>(paused.size()) ? paused[at] : "(none)");
    }
}

TEST(PausedGameTest, LosingTheFocusPausesAndComingBackDoesNotGoOn) {
    gametest::PlayFolder folder(std::string("Line one\r\n"), 22050 * 30);  // music that lasts
    gametest::GameHarness game;
    layout::TForm1& f = gametest::StartGame(game);
    auto& platform = game.platform;
    game.app.RunFor(3000);
    const std::string clock = f.Label7.Caption();
    ASSERT_TRUE(f.MediaPlayer2.Channel().Playing()) << "the game's music";
    const long music = f.MediaPlayer2.Channel().Position();
    scene::InputEvent lost;
    lost.kind = scene::EventKind::FocusLost;
    lost.window = platform.MainWindowId();
    platform.Push(lost);
    game.app.RunFor(0);
    EXPECT_EQ(f.Pausing(), Phase::Paused);
    scene::InputEvent gained = lost;
    gained.kind = scene::EventKind::FocusGained;
    platform.Push(gained);
    game.app.RunFor(10000);
    EXPECT_EQ(f.Pausing(), Phase::Paused) << "coming back does not go on by itself";
    EXPECT_EQ(f.Label7.Caption(), clock);
    EXPECT_EQ(f.MediaPlayer2.Channel().Position(), music) << "the music holds where it was";

    // Losing the focus again during the count goes back to the pause.
    platform.Click(400, 300);
    game.app.RunFor(600);
    EXPECT_EQ(f.PauseCover()->Caption(), "2");
    platform.Push(lost);
    game.app.RunFor(5000);
    EXPECT_EQ(f.Pausing(), Phase::Paused);
    EXPECT_EQ(f.PauseCover()->Caption(), "Paused \x97 press P or click to go on");
    EXPECT_EQ(f.Label7.Caption(), clock);

    platform.Key(scene::kPause);
    game.app.RunFor(1600);
    EXPECT_EQ(f.Pausing(), Phase::Running);
    game.app.RunFor(2000);
    EXPECT_NE(f.Label7.Caption(), clock) << "the clock goes on after the count";
    EXPECT_GT(f.MediaPlayer2.Channel().Position(), music) << "and so does the music";
}

TEST(PausedGameTest, PDoesNothingOnTheStartAndEndScreensAndTypesInTheNameField) {
    gametest::PlayFolder folder;
    gametest::GameHarness game;
    layout::TForm1& f = game.Start();
    game.platform.Key('p');
    game.app.RunFor(100);
    EXPECT_EQ(f.Pausing(), Phase::Running) << "nothing runs on the start screen";
    game.platform.Click(760, 140);  // the name field
    game.platform.Key('p');
    game.platform.Type("p");
    game.app.RunFor(100);
    EXPECT_EQ(f.Pausing(), Phase::Running);
    EXPECT_NE(f.Edit1.Text().find('p'), std::string::npos) << "expected P typed into the name, got " << f.Edit1.Text();
    EXPECT_EQ(f.PauseCover(), nullptr);

    game.platform.Click(785, 176);  // Start
    game.app.RunFor(70000);
    ASSERT_TRUE(f.witeinde.Visible());
    game.platform.Key('p');
    game.platform.Key(scene::kPause);
    game.app.RunFor(100);
    EXPECT_EQ(f.Pausing(), Phase::Running) << "nothing runs on the end screen";
}

}  // namespace
