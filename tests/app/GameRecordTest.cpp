// Whole headless games recorded as the program records them, then checked by
// playing the record again; records changed in the ways a cheat or a damaged
// disk would change them are refused, and the folder keeps what it should.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "app/GameRecord.h"
#include "app/VerifyRecord.h"
#include "files/WholeFile.h"
#include "game/GameHarness.h"
#include "game/Random.h"

namespace {

namespace fs = std::filesystem;

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

class GameRecordTest : public ::testing::Test {
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

TEST_F(GameRecordTest, AWholeGameRecordedVerifiesAgainAndAgainAtAnyScaleAndWithAPause) {
    const Played plain = Play({});
    ASSERT_FALSE(plain.bytes.empty());
    for (int i = 0; i < 3; ++i) {
        const app::Verdict v = app::VerifyRecord(plain.bytes);
        EXPECT_TRUE(v.holds) << "expected the record to hold on check " << i << ", got: " << v.reason;
        EXPECT_EQ(v.score, plain.score);
        EXPECT_EQ(v.name, "Rita");
    }
    // The record keeps layout pixels: a game at scale 2 is the same game.
    const Played scaled = Play({}, scene::DisplayScale::FromFactor(2));
    EXPECT_EQ(scaled.score, plain.score);
    EXPECT_TRUE(app::VerifyRecord(scaled.bytes).holds) << app::VerifyRecord(scaled.bytes).reason;

    const Played paused = Play({.pauseMs = 4321});
    const app::Verdict v = app::VerifyRecord(paused.bytes);
    EXPECT_TRUE(v.holds) << v.reason;
    EXPECT_EQ(v.score, paused.score);
}

TEST_F(GameRecordTest, ChangedRecordsAreRefusedWithTheirReason) {
    const Played played = Play({.touchOnce = true});
    ASSERT_TRUE(played.touch.has_value()) << "expected the pointer's path to touch a black square";
    const replay::Record record = replay::Decode(played.bytes);

    replay::Record missed = record;
    missed.entries[*played.touch].x = 100;  // the bottom bar: nothing there is touched
    missed.entries[*played.touch].y = 590;
    replay::Record claimed = record;
    claimed.score += 9;
    replay::Record older = record;
    older.gameVersion = "0.9";
    std::string flipped = played.bytes;
    flipped[flipped.size() / 2] ^= 0x20;
    std::string format2 = played.bytes;
    format2[8] = 2;

    struct Row {
        const char* what;
        std::string bytes;
        const char* reason;
    };
    const Row rows[] = {
        {"a touch missed", replay::Encode(missed), ""},
        {"a score edited", replay::Encode(claimed), "points, not the"},
        {"a byte changed", flipped, "damaged"},
        {"cut in half", played.bytes.substr(0, played.bytes.size() / 2), "damaged or cut"},
        {"cut to its name", played.bytes.substr(0, 20), "cut short"},
        {"another version", replay::Encode(older), "cannot replay faithfully"},
        {"a later format", format2, "format 2 is unknown"},
        {"not a record", "100      Anna\r\n", "not a game record"},
    };
    for (const Row& row : rows) {
        const app::Verdict v = app::VerifyRecord(row.bytes);
        EXPECT_FALSE(v.holds) << row.what << ": expected the record refused";
        EXPECT_NE(v.reason.find(row.reason), std::string::npos)
            << row.what << ": expected a reason with '" << row.reason << "', got '" << v.reason << "'";
    }
}

TEST_F(GameRecordTest, AMinuteOfConstantPointerMotionStaysSmall) {
    const Played played = Play({.movesPerTick = 2});
    const replay::Record record = replay::Decode(played.bytes);
    ASSERT_FALSE(record.entries.empty());
    const double seconds = static_cast<double>(record.entries.back().timeUs) / 1e6;
    ASSERT_GT(seconds, 10) << "expected a game long enough to measure";
    const double perMinute = static_cast<double>(played.bytes.size()) * 60 / seconds;
    RecordProperty("bytes_per_minute", static_cast<int>(perMinute));
    EXPECT_LT(perMinute, 100 * 1024) << "expected at most 100 KB a minute, got " << perMinute << " bytes";
    EXPECT_TRUE(app::VerifyRecord(played.bytes).holds);
}

TEST_F(GameRecordTest, WatchingPlaysTheRecordAtItsPaceWhateverTheViewerDoes) {
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

TEST_F(GameRecordTest, VerifyFilesPrintsEachRecordThatHoldsAndOneLineForEachThatDoesNot) {
    const Played played = Play({});
    folder_.Write("good.swoopyrec", played.bytes);
    folder_.Write("cut.swoopyrec", played.bytes.substr(0, 100));
    std::ostringstream out, err;
    EXPECT_EQ(app::VerifyFiles({"good.swoopyrec"}, folder_.Path().string(), out, err), 0);
    EXPECT_EQ(out.str(), "good.swoopyrec: " + std::to_string(played.score) + " points, Rita\n");
    out.str("");
    EXPECT_EQ(
        app::VerifyFiles({"good.swoopyrec", "cut.swoopyrec", "none.swoopyrec"}, folder_.Path().string(), out, err), 1);
    EXPECT_EQ(out.str(), "good.swoopyrec: " + std::to_string(played.score) + " points, Rita\n");
    const std::string lines = err.str();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 2) << lines;
    EXPECT_NE(lines.find("swoopy: cut.swoopyrec: "), std::string::npos) << lines;
    EXPECT_NE(lines.find("swoopy: none.swoopyrec: No such file"), std::string::npos) << lines;
}

TEST(RecordFolderTest, KeepsEachPlacesLatestRecordAndTheLatestOthers) {
    game::ScoreTable table{};
    table[0] = {900, "      Ann"};
    table[1] = {500, "      Bob"};
    const std::vector<app::RecordListing> listing = {
        {"2026-01-01_10-00-00_900-points.swoopyrec", 900, "Ann"},  // place 1, older of two
        {"2026-01-02_10-00-00_900-points.swoopyrec", 900, "Ann"},  // place 1, kept
        {"2026-01-03_10-00-00_500-points.swoopyrec", 500, "Bob"},  // place 2, kept
        {"2026-01-04_10-00-00_500-points.swoopyrec", 500, "Eve"},  // same score, other name
        {"2026-01-05_10-00-00_10-points.swoopyrec", 10, "Ann"},
        {"2026-01-06_10-00-00_20-points.swoopyrec", 20, "Ann"},
    };
    EXPECT_EQ(app::RecordsToRemove(listing, table, 2),
              (std::vector<std::string>{"2026-01-04_10-00-00_500-points.swoopyrec",
                                        "2026-01-01_10-00-00_900-points.swoopyrec"}));
    EXPECT_TRUE(app::RecordsToRemove(listing, table, 20).empty());
    EXPECT_EQ(app::RecordFileName(0, 1234).substr(19), "_1234-points.swoopyrec");
}

}  // namespace
