// Whole headless games played and recorded as the program records them, for
// the tests of the records and of their checking and playback.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "app/GameRecord.h"
#include "files/WholeFile.h"
#include "game/GameHarness.h"
#include "game/Random.h"

namespace gametest {

struct Script {
    double pauseMs = 0;      // a pause this long when ten seconds have gone, or none
    int movesPerTick = 0;    // 0: a move every ninth tick, else this many every tick
    bool touchOnce = false;  // note the move that touches a black square first
};

struct Played {
    std::string bytes;                 // the record the game left
    std::int32_t score = 0;            // the end screen's
    std::optional<std::size_t> touch;  // the entry of the first touching move
};

class RecordedGameTest : public ::testing::Test {
protected:
    Played Play(const Script& script, scene::DisplayScale scale = {}) {
        game::SetPerformanceCounter([n = std::uint64_t{0}]() mutable { return n += 104729; });
        gametest::GameHarness game(scale);
        app::GameRecording recording(game.app, game.sounds);
        layout::TForm1& f = game.Start();
        recording.Attach(f);
        const auto click = [&game](int x, int y) {
            game.platform.Click(game.platform.DevicePoint(x), game.platform.DevicePoint(y));
        };
        click(760, 140);  // the name field
        game.platform.Key('a', scene::kmCtrl);
        game.platform.Type("Rita");
        click(785, 176);  // Start
        game.app.RunFor(1);
        Played played;
        std::uint32_t path = 12345;
        bool paused = false;
        for (int step = 0; step < 30000 && !f.witeinde.Visible(); ++step) {
            const int moves = script.movesPerTick ? script.movesPerTick : step % 9 == 0;
            for (int m = 0; m < moves; ++m) {
                path = path * 1103515245u + 12345u;
                game.platform.ScriptAfter(m * 15.625 / moves);
                game.platform.MouseMove(game.platform.DevicePoint(static_cast<int>((path >> 8) % 880)),
                                        game.platform.DevicePoint(static_cast<int>((path >> 20) % 500)));
            }
            const int hits = f.State.hits;
            game.app.RunFor(0);
            if (script.touchOnce && !played.touch && f.State.hits > hits)
                played.touch = recordingEntries(recording) - 1;
            if (script.pauseMs > 0 && !paused && f.State.timeLeft == 50) {
                paused = true;
                game.platform.Key('p');
                game.app.RunFor(script.pauseMs);
                game.platform.Key('p');
                game.app.RunFor(1600);
            }
            game.app.RunFor(f.Timer2.Armed() ? f.Timer2.DueMs() - game.app.NowMs() : 20);
        }
        EXPECT_TRUE(f.witeinde.Visible()) << "expected the game to reach its end screen";
        played.score = f.State.score;
        EXPECT_FALSE(recording.Written().empty()) << "expected the end screen to leave a record";
        if (!recording.Written().empty()) played.bytes = files::ReadWholeFile(recording.Written(), 1 << 24);
        game::SetPerformanceCounter({});
        return played;
    }
    static std::size_t recordingEntries(const app::GameRecording& r) { return r.Recorder().Kept().entries.size(); }

    gametest::PlayFolder folder_;
};

}  // namespace gametest
