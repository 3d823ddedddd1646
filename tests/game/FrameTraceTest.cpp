// The frame trace of SWOOPY_TRACE, written by the real window on the virtual
// clock: one well-formed line per presented frame, its input and its ticks.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "game/GameHarness.h"

namespace {

using gametest::GameHarness;
using gametest::PlayFolder;

struct TracedInput {
    std::string kind;
    double age = 0;
    std::string effect;
};

struct TracedFrame {
    long frame = 0, beat = 0;
    double at = 0;
    int ticks = 0;
    std::vector<TracedInput> inputs;
    double handlers = 0, compose = 0, present = 0;
};

// Parses one line; fails the test when it is malformed.
TracedFrame Parse(const std::string& line) {
    static const std::regex form(
        R"(frame=(\d+) beat=(\d+) at=(\d+\.\d{3}) ticks=(\d+) input=(-|[a-z]+/\d+\.\d{3}/(?:shown|none)(?:,[a-z]+/\d+\.\d{3}/(?:shown|none))*) handlers=(\d+\.\d{3}) compose=(\d+\.\d{3}) present=(\d+\.\d{3}))");
    std::smatch m;
    TracedFrame f;
    EXPECT_TRUE(std::regex_match(line, m, form)) << "expected a trace line, got \"" << line << "\"";
    if (m.empty()) return f;
    f.frame = std::stol(m[1]);
    f.beat = std::stol(m[2]);
    f.at = std::stod(m[3]);
    f.ticks = std::stoi(m[4]);
    f.handlers = std::stod(m[6]);
    f.compose = std::stod(m[7]);
    f.present = std::stod(m[8]);
    static const std::regex one(R"(([a-z]+)/(\d+\.\d{3})/(shown|none))");
    const std::string list = m[5];
    for (std::sregex_iterator it(list.begin(), list.end(), one), end; it != end; ++it)
        f.inputs.push_back({(*it)[1], std::stod((*it)[2]), (*it)[3]});
    return f;
}

TEST(FrameTraceTest, OneWellFormedLinePerPresentedFrameWithItsInputAndTicks) {
    PlayFolder folder;
    const std::string path = (folder.Path() / "trace.txt").string();
    GameHarness game;
    game.app.TraceFrames(path);
    auto& f = game.Start();
    const int presentsAtStart = game.platform.Window(game.MainWindow()).presents;

    auto& p = game.platform;
    p.MouseMove(300, 300);   // over the introduction panel: nothing changes
    p.ScriptAfter(20);
    p.Click(f.Edit1.Left() + 5, f.Edit1.Top() + 5);
    p.ScriptAfter(20);
    p.Type("Ann");
    p.ScriptAfter(20);
    p.Click(f.Button1.Left() + 5, f.Button1.Top() + 5);
    game.app.RunFor(2000);
    const int presents = game.platform.Window(game.MainWindow()).presents;

    std::ifstream in(path);
    std::vector<TracedFrame> frames;
    for (std::string line; std::getline(in, line);) frames.push_back(Parse(line));
    ASSERT_EQ(static_cast<int>(frames.size()), presents) << "expected a line for each present";
    ASSERT_GT(presents, presentsAtStart);

    int ticks = 0;
    std::vector<std::string> kinds;
    std::vector<double> ages;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const TracedFrame& fr = frames[i];
        EXPECT_EQ(fr.frame, static_cast<long>(i + 1));
        EXPECT_EQ(fr.beat, static_cast<long>(std::floor(fr.at / scene::kClockBeatMs)));
        if (i > 0) {
            EXPECT_GE(fr.at, frames[i - 1].at);
        }
        ticks += fr.ticks;
        for (const TracedInput& input : fr.inputs) {
            kinds.push_back(input.kind + "/" + input.effect);
            ages.push_back(input.age);
        }
    }
    EXPECT_GT(ticks, 60) << "expected the game's timers to tick in two seconds of play";
    const std::vector<std::string> expected = {"move/none", "down/shown", "up/none", "text/shown",
                                               "down/shown", "up/shown"};
    EXPECT_EQ(kinds, expected);
    // The virtual clock stands still while the loop works, so an input is as old
    // as the wait for the frame that follows it: the move without effect waits
    // for the click 20 ms later.
    const std::vector<double> expectedAges = {20, 0, 0, 0, 0, 0};
    EXPECT_EQ(ages, expectedAges);
}

}  // namespace
