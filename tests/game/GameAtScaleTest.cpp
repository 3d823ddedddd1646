// One scripted game at presentation scales 1, 1.5 and 2: the window is the
// layout times the factor, and the same pointer path in layout pixels, given
// in each factor's device pixels, plays exactly the same game.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "game/GameHarness.h"
#include "game/Random.h"

namespace {

using gametest::GameHarness;
using gametest::PlayFolder;

struct Outcome {
    std::string state;    // every field of GameState
    std::string scores;   // the high-score file's bytes
    int hits = 0;
    int clientWidth = 0, clientHeight = 0;
};

std::string Describe(const game::GameState& s) {
    std::ostringstream out;
    out << "money " << s.money << ", hits " << s.hits << ", score " << s.score << ", soundSwitch " << s.soundSwitch
        << ", timeLeft " << s.timeLeft << ", redDelay " << s.redDelay << ", bonusCountdown " << s.bonusCountdown
        << ", lives " << s.lives << ", musicLoop " << int{s.musicLoop} << ", bonusMusicLoop "
        << int{s.bonusMusicLoop};
    return out.str();
}

Outcome PlayAt(double factor) {
    PlayFolder folder;
    GameHarness game(scene::DisplayScale::FromFactor(factor));
    // The generator follows the virtual clock, so every run draws the same numbers.
    game::RandSeed = 0;
    game::SetPerformanceCounter([&game] { return static_cast<std::uint64_t>(game.platform.NowMs() * 1000); });
    auto& form = game.Start();
    auto& p = game.platform;
    const auto device = [&p](int layout) { return p.DevicePoint(layout); };

    p.Click(device(780), device(140));
    p.Type("Zed");
    p.ScriptAfter(100);
    p.Click(device(785), device(176));
    // The pointer sweeps the playfield in a fixed figure, now and then offering
    // the coins to the shop's four offers.
    const int offers[][2] = {{1000, 165}, {1000, 253}, {1000, 333}, {1000, 413}};
    for (int i = 0; i < 4000; ++i) {
        p.ScriptAfter(20);
        p.MouseMove(device(15 + (i * 37) % 860), device(15 + (i * 53) % 480));
        if (i % 200 == 199) p.Click(device(offers[i / 200 % 4][0]), device(offers[i / 200 % 4][1]));
    }
    game.app.RunFor(90000);

    std::ifstream scores("scores.txt", std::ios::binary);
    Outcome out{Describe(form.State), std::string(std::istreambuf_iterator<char>(scores), {}), form.State.hits};
    const auto& window = p.Window(game.MainWindow());
    out.clientWidth = window.options.clientWidth;
    out.clientHeight = window.options.clientHeight;
    game::SetPerformanceCounter({});
    return out;
}

TEST(GameAtScale, SameGameAndHighScoresAtEveryFactor) {
    const Outcome one = PlayAt(1);
    EXPECT_EQ(one.clientWidth, 1109);
    EXPECT_EQ(one.clientHeight, 607);
    EXPECT_GT(one.hits, 20) << "the script should touch black squares: " << one.state;
    for (const double factor : {1.5, 2.0}) {
        const Outcome scaled = PlayAt(factor);
        EXPECT_EQ(scaled.clientWidth, factor == 2 ? 2218 : 1664) << "at " << factor;
        EXPECT_EQ(scaled.clientHeight, factor == 2 ? 1214 : 911) << "at " << factor;
        EXPECT_EQ(scaled.state, one.state) << "at " << factor;
        EXPECT_EQ(scaled.scores, one.scores) << "at " << factor;
    }
}

}  // namespace
