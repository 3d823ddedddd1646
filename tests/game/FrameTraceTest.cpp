// The frame trace of SWOOPY_TRACE, written by the real window on the virtual
// clock: one well-formed line per presented frame, its input and its ticks.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <algorithm>
#include <iterator>
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
    double period = 0;  // 0 for "-"
    std::vector<TracedInput> inputs;
    double handlers = 0, compose = 0, present = 0;
};

// "123", or "12.345" with exactly three decimals.
bool IsCount(const std::string& v) { return !v.empty() && v.find_first_not_of("0123456789") == std::string::npos; }
bool IsMs(const std::string& v) {
    const std::size_t dot = v.find('.');
    return dot != std::string::npos && IsCount(v.substr(0, dot)) && v.size() == dot + 4 && IsCount(v.substr(dot + 1));
}

std::vector<std::string> Split(const std::string& s, char by) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t at; (at = s.find(by, start)) != std::string::npos; start = at + 1)
        parts.push_back(s.substr(start, at - start));
    parts.push_back(s.substr(start));
    return parts;
}

// Parses one line; fails the test when it is malformed.
TracedFrame Parse(const std::string& line) {
    static const char* const names[] = {"frame", "beat",     "at",      "ticks",  "period",
                                        "input", "handlers", "compose", "present"};
    const std::vector<std::string> fields = Split(line, ' ');
    TracedFrame f;
    std::vector<std::string> values;
    for (std::size_t i = 0; i < fields.size() && i < std::size(names); ++i) {
        const std::string name = std::string(names[i]) + "=";
        EXPECT_EQ(fields[i].rfind(name, 0), 0u) << "expected " << name << " in \"" << line << "\"";
        values.push_back(fields[i].substr(std::min(name.size(), fields[i].size())));
    }
    EXPECT_EQ(fields.size(), std::size(names)) << "in \"" << line << "\"";
    if (values.size() != std::size(names)) return f;
    for (int i : {0, 1, 3}) EXPECT_TRUE(IsCount(values[i])) << names[i] << " in \"" << line << "\"";
    for (int i : {2, 6, 7, 8}) EXPECT_TRUE(IsMs(values[i])) << names[i] << " in \"" << line << "\"";
    EXPECT_TRUE(values[4] == "-" || IsMs(values[4])) << "period in \"" << line << "\"";
    f.frame = std::stol(values[0]);
    f.beat = std::stol(values[1]);
    f.at = std::stod(values[2]);
    f.ticks = std::stoi(values[3]);
    if (values[4] != "-") f.period = std::stod(values[4]);
    f.handlers = std::stod(values[6]);
    f.compose = std::stod(values[7]);
    f.present = std::stod(values[8]);
    if (values[5] == "-") return f;
    for (const std::string& one : Split(values[5], ',')) {
        const std::vector<std::string> parts = Split(one, '/');
        const bool wellFormed = parts.size() == 3 && !parts[0].empty() &&
                                parts[0].find_first_not_of("abcdefghijklmnopqrstuvwxyz") == std::string::npos &&
                                IsMs(parts[1]) && (parts[2] == "shown" || parts[2] == "none");
        EXPECT_TRUE(wellFormed) << "expected kind/age/effect, got \"" << one << "\"";
        if (wellFormed) f.inputs.push_back({parts[0], std::stod(parts[1]), parts[2]});
    }
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
    p.MouseMove(300, 300);  // over the introduction panel: nothing changes
    p.ScriptAfter(20);
    p.Click(f.Edit1.Left() + 5, f.Edit1.Top() + 5);
    p.ScriptAfter(20);
    p.Type("Ann");
    p.ScriptAfter(20);
    const double startClickAt = p.ScriptTime();
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
        // Before Start nothing of the game is timed; from Start on its 1 ms
        // timers tick every beat.
        EXPECT_EQ(fr.period, fr.at < startClickAt ? 0.0 : scene::kClockBeatMs) << "frame " << fr.frame;
        for (const TracedInput& input : fr.inputs) {
            kinds.push_back(input.kind + "/" + input.effect);
            ages.push_back(input.age);
        }
    }
    EXPECT_GT(ticks, 60) << "expected the game's timers to tick in two seconds of play";
    const std::vector<std::string> expected = {"move/none",  "down/shown", "up/none",
                                               "text/shown", "down/shown", "up/shown"};
    EXPECT_EQ(kinds, expected);
    // The virtual clock stands still while the loop works, so an input is as old
    // as the wait for the frame that follows it: the move without effect waits
    // for the click 20 ms later.
    const std::vector<double> expectedAges = {20, 0, 0, 0, 0, 0};
    EXPECT_EQ(ages, expectedAges);
}

}  // namespace
