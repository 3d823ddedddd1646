// One whole game at presentation scales 1, 1.5 and 2, and full screen: the
// window is the layout times the factor (full screen: the screen, the game at
// 1920/1109 on it), and a player who aims at layout places, given in each
// factor's device pixels, plays exactly the same game and leaves the same
// high-score file.
#include <gtest/gtest.h>

#include <fstream>
#include <initializer_list>
#include <iterator>
#include <sstream>
#include <string>

#include "game/GameHarness.h"
#include "game/Random.h"

namespace {

using gametest::GameHarness;
using gametest::PlayFolder;

struct Outcome {
    std::string state;   // every field of GameState
    std::string scores;  // the high-score file's bytes
    int clientWidth = 0, clientHeight = 0;
    int shopClicks = 0, bonusClicks = 0;
};

std::string Describe(const game::GameState& s) {
    std::ostringstream out;
    out << "money " << s.money << ", hits " << s.hits << ", score " << s.score << ", soundSwitch " << s.soundSwitch
        << ", timeLeft " << s.timeLeft << ", redDelay " << s.redDelay << ", bonusCountdown " << s.bonusCountdown
        << ", lives " << s.lives << ", musicLoop " << int{s.musicLoop} << ", bonusMusicLoop " << int{s.bonusMusicLoop};
    return out.str();
}

// The middle of e lies where nothing covers the playfield.
bool InOpenField(const scene::SceneElement& e) {
    const int x = e.Left() + e.Width() / 2, y = e.Top() + e.Height() / 2;
    const bool underTopBar = x >= 296 && x < 601 && y < 73;
    return e.Visible() && x >= 0 && x < 885 && y >= 0 && y < 506 && !underTopBar;
}

// A player looking at the window every 20 ms: the bonus pictures in order while
// a round runs, an offer when the coins allow it, otherwise the pointer onto a
// black square or the green circle in the open playfield.
class Player {
public:
    Player(GameHarness& game, layout::TForm1& form) : game_(game), f_(form) {}

    void Step(int step) {
        const int money = f_.State.money;
        if (scene::TImage* picture = NextBonusPicture()) {
            if (step % 8 == 0) Click(*picture, bonusClicks);
        } else if (f_.Label4.Visible() && money >= 50) {
            Click(f_.Label4, shopClicks);
        } else if (f_.Label5.Visible() && money >= 80 && f_.State.lives < 2) {
            Click(f_.Label5, shopClicks);
        } else if (f_.Label2.Visible() && money >= 30 && f_.State.timeLeft < 10) {
            Click(f_.Label2, shopClicks);
        } else if (f_.Label3.Visible() && money >= 20 && f_.State.hits > 100) {
            Click(f_.Label3, shopClicks);
        } else {
            for (scene::TShape* e : {&f_.zround1, &f_.Zvierkant1, &f_.zvierkant2, &f_.zvierkant3, &f_.zvierkant4}) {
                if (!InOpenField(*e)) continue;
                game_.platform.MouseMove(DeviceX(Middle(*e).first), DeviceY(Middle(*e).second));
                break;
            }
        }
    }

    int shopClicks = 0, bonusClicks = 0;

private:
    scene::TImage* NextBonusPicture() const {
        for (scene::TImage* p : {&f_.BONUS1, &f_.Bonus2, &f_.Bonus3, &f_.Bonus4, &f_.Bonus5})
            if (p->Visible()) return p;
        return nullptr;
    }
    static std::pair<int, int> Middle(const scene::SceneElement& e) {
        return {e.Left() + e.Width() / 2, e.Top() + e.Height() / 2};
    }
    int DeviceX(int x) const { return f_.ShownAt().left + f_.ShownAt().scale.ToDevice(x); }
    int DeviceY(int y) const { return f_.ShownAt().top + f_.ShownAt().scale.ToDevice(y); }
    void Click(const scene::SceneElement& e, int& count) {
        game_.platform.Click(DeviceX(Middle(e).first), DeviceY(Middle(e).second));
        ++count;
    }

    GameHarness& game_;
    layout::TForm1& f_;
};

Outcome PlayAt(double factor, scene::WindowMode mode = scene::WindowMode::Windowed) {
    PlayFolder folder;
    GameHarness game(scene::DisplayScale::FromFactor(factor));
    // The generator follows the virtual clock, so every run draws the same numbers.
    game::RandSeed = 0;
    game::SetPerformanceCounter([&game] { return static_cast<std::uint64_t>(game.platform.NowMs() * 1000); });
    auto& form = game.Start();
    auto& p = game.platform;
    if (mode == scene::WindowMode::FullScreen) {
        p.Key(scene::kF11);
        game.app.RunFor(0);
    }
    const scene::Placement at = form.ShownAt();
    p.Click(at.left + at.scale.ToDevice(780), at.top + at.scale.ToDevice(140));
    p.Type("Zed");
    p.ScriptAfter(100);
    p.Click(at.left + at.scale.ToDevice(785), at.top + at.scale.ToDevice(176));
    game.app.RunFor(200);

    Player player(game, form);
    for (int step = 0; step < 10000 && !form.witeinde.Visible(); ++step) {
        player.Step(step);
        game.app.RunFor(20);
    }
    game.app.RunFor(1000);

    std::ifstream scores("scores.txt", std::ios::binary);
    const auto& window = p.Window(game.MainWindow());
    Outcome out{Describe(form.State), std::string(std::istreambuf_iterator<char>(scores), {}),
                window.width,         window.height,
                player.shopClicks,    player.bonusClicks};
    game::SetPerformanceCounter({});
    return out;
}

TEST(GameAtScale, SameGameAndHighScoresAtEveryFactor) {
    const Outcome one = PlayAt(1);
    EXPECT_EQ(one.clientWidth, 1109);
    EXPECT_EQ(one.clientHeight, 607);
    EXPECT_GT(one.shopClicks, 10) << one.state;
    EXPECT_EQ(one.bonusClicks, 5) << "one bonus round, its five pictures clicked: " << one.state;
    EXPECT_NE(one.scores, "100      Anna\r\n") << "the game should have ended and entered its score";
    for (const double factor : {1.5, 2.0}) {
        const Outcome scaled = PlayAt(factor);
        EXPECT_EQ(scaled.clientWidth, factor == 2 ? 2218 : 1664) << "at " << factor;
        EXPECT_EQ(scaled.clientHeight, factor == 2 ? 1214 : 911) << "at " << factor;
        EXPECT_EQ(scaled.state, one.state) << "at " << factor;
        EXPECT_EQ(scaled.scores, one.scores) << "at " << factor;
        EXPECT_EQ(scaled.shopClicks, one.shopClicks) << "at " << factor;
    }
    const Outcome full = PlayAt(1, scene::WindowMode::FullScreen);
    EXPECT_EQ(full.clientWidth, 1920) << "full screen covers the screen";
    EXPECT_EQ(full.clientHeight, 1080) << "full screen covers the screen";
    EXPECT_EQ(full.state, one.state) << "full screen";
    EXPECT_EQ(full.scores, one.scores) << "full screen";
    EXPECT_EQ(full.shopClicks, one.shopClicks) << "full screen";
}

}  // namespace
