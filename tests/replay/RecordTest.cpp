// A record is small: a minute of play with the pointer always moving.
#include <gtest/gtest.h>

#include "app/VerifyRecord.h"
#include "replay/Record.h"
#include "replay/RecordedGame.h"

namespace {

using RecordTest = gametest::RecordedGameTest;
using gametest::Played;

TEST_F(RecordTest, AMinuteOfConstantPointerMotionStaysSmall) {
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

}  // namespace
