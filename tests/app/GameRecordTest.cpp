// Whole headless games recorded as the program records them, then checked by
// playing the record again; records changed in the ways a cheat or a damaged
// disk would change them are refused, and the folder keeps what it should.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "app/GameRecord.h"
#include "app/VerifyRecord.h"
#include "replay/RecordedGame.h"

namespace {

using GameRecordTest = gametest::RecordedGameTest;
using gametest::Played;

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

    // The game's files are needed where it checks: each missing one is named, with why.
    for (const char* file : {"intro.txt", "click.wav"}) {
        const std::string kept = folder_.Read(file);
        std::filesystem::remove(folder_.Path() / file);
        std::ostringstream none, why;
        EXPECT_EQ(app::VerifyFiles({"good.swoopyrec"}, folder_.Path().string(), none, why), 1);
        const std::string said = why.str();
        EXPECT_NE(said.find(file), std::string::npos) << "expected the missing " << file << " named, got " << said;
        EXPECT_NE(said.find("ot found"), std::string::npos) << "expected why, got " << said;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        folder_.Write(file, kept);
    }
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
