// A record played back for watching: at the recorded pace whatever the viewer
// does with the game's own input, held by Space, faster with Right.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app/GameRecord.h"
#include "replay/Playback.h"
#include "replay/RecordedGame.h"

namespace {

using PlaybackTest = gametest::RecordedGameTest;
using gametest::Played;

TEST_F(PlaybackTest, WatchingPlaysTheRecordAtItsPaceWhateverTheViewerDoes) {
    const Played played = Play({.pauseMs = 2000});
    const replay::Record record = replay::Decode(played.bytes);
    const std::string table = folder_.Read("scores.txt");
    gametest::GameHarness game(scene::DisplayScale::FromFactor(1.5));
    replay::Playback playback(game.app, game.sounds, record, [&game](const std::string& name) {
        return game.form ? app::ChannelsOf(*game.form)(name) : nullptr;
    });
    layout::TForm1& f = game.Start();
    f.ScoresUse = layout::TForm1::ScoreFileUse::ShowOnly;
    game.app.SetReplaySource(&playback);
    const double started = game.app.NowMs();
    // The viewer sweeps over the field, clicks the shop and presses P: none of it plays.
    for (int i = 0; i < 400; ++i) {
        game.platform.ScriptAt(started + i * 100);
        game.platform.MouseMove(game.platform.DevicePoint((i * 37) % 880), game.platform.DevicePoint((i * 53) % 500));
        if (i % 50 == 0) game.platform.Click(game.platform.DevicePoint(1000), game.platform.DevicePoint(166));
        if (i % 70 == 0) game.platform.Key('p');
    }
    const double limit = started + static_cast<double>(record.entries.back().timeUs) / 1000 + 5000;
    while (!f.witeinde.Visible() && game.app.NowMs() < limit) game.app.RunFor(10);
    const double took = game.app.NowMs() - started;
    EXPECT_TRUE(playback.Done());
    EXPECT_EQ(playback.Difference(), "");
    EXPECT_TRUE(f.witeinde.Visible()) << "expected the end screen";
    EXPECT_EQ(f.State.score, played.score);
    EXPECT_EQ(folder_.Read("scores.txt"), table) << "watching wrote the high-score file";
    // At the record's pace: as long from the first tick to the end as the recorded game.
    const auto firstTick = std::find_if(record.entries.begin(), record.entries.end(),
                                        [](const replay::Entry& e) { return e.kind == replay::EntryKind::Tick; });
    const double span = static_cast<double>(record.entries.back().timeUs - firstTick->timeUs) / 1000;
    EXPECT_GE(took, span) << "expected the recorded pace";
    EXPECT_LT(took, span + 100) << "expected the recorded pace";
}

// The viewer's keys act on the playback, never on the game: Space holds it
// where it is and lets it go on, Right doubles its pace, Left brings it back.
TEST_F(PlaybackTest, SpaceHoldsThePlaybackAndRightSpeedsItUp) {
    const Played played = Play({});
    const replay::Record record = replay::Decode(played.bytes);
    gametest::GameHarness game;
    replay::Playback playback(game.app, game.sounds, record, [&game](const std::string& name) {
        return game.form ? app::ChannelsOf(*game.form)(name) : nullptr;
    });
    layout::TForm1& f = game.Start();
    f.ScoresUse = layout::TForm1::ScoreFileUse::ShowOnly;
    game.app.SetReplaySource(&playback);
    const auto press = [&game](int key) {
        game.platform.Key(key);
        game.app.RunFor(0);
    };
    while (f.State.timeLeft > 55 && !f.witeinde.Visible()) game.app.RunFor(10);
    ASSERT_EQ(f.State.timeLeft, 55) << "expected a recorded game that runs past its fifth second";

    press(scene::kSpace);
    const int heldAt = f.State.timeLeft;
    const int squareAt = f.zvierkant4.Left();
    game.app.RunFor(5000);
    EXPECT_EQ(f.State.timeLeft, heldAt) << "expected the clock to stand while held";
    EXPECT_EQ(f.zvierkant4.Left(), squareAt) << "expected the squares to stand while held";

    press(scene::kSpace);
    game.app.RunFor(2000);
    EXPECT_EQ(heldAt - f.State.timeLeft, 2) << "expected two seconds of the game in two after Space again";

    for (int i = 0; i < 4; ++i) press(scene::kRight);
    int before = f.State.timeLeft;
    game.app.RunFor(1000);
    if (!f.witeinde.Visible()) {
        EXPECT_GE(before - f.State.timeLeft, 15) << "expected sixteen seconds of the game in one after Right";
    }
    press(scene::kLeft);
    before = f.State.timeLeft;
    game.app.RunFor(2000);
    if (!f.witeinde.Visible()) {
        EXPECT_LE(before - f.State.timeLeft, 2) << "expected the recorded pace again after Left";
    }

    const double limit = game.app.NowMs() + static_cast<double>(record.entries.back().timeUs) / 1000;
    while (!f.witeinde.Visible() && game.app.NowMs() < limit) game.app.RunFor(10);
    EXPECT_TRUE(f.witeinde.Visible()) << "expected the end screen";
    EXPECT_EQ(playback.Difference(), "");
    EXPECT_EQ(f.State.score, played.score);
}

}  // namespace
