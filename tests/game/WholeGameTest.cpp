// Whole games on the virtual clock, from Start to the end screen, with a seeded
// generator and the pointer moved only where a test means to touch.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "game/PlayHarness.h"
#include "game/Random.h"

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

}  // namespace
