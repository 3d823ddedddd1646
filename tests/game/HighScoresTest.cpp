#include "game/HighScores.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

TEST(HighScoresTest, ScoreTokens) {
    struct Case {
        const char* token;
        std::optional<std::int32_t> score;
    };
    const Case cases[] = {
        // clang-format off
        {"0", 0},           {"-0", 0},           {"+17", 17},         {"007", 7},
        {"$1f", 31},        {"0X1F", 31},        {"-$80000000", -2147483647 - 1},
        {"$80000000", {}},  {"$FFFFFFFF", {}},   {"2147483647", 2147483647},
        {"+", {}},          {"-", {}},           {"$", {}},           {"0x", {}},
        {"x10", {}},        {"$-1", {}},         {"--1", {}},         {"1e3", {}},
        {"12a", {}},        {"0x0x1", {}},       {"99999999999999999999999999999999", {}},
        // clang-format on
    };
    for (const Case& c : cases) {
        const auto got = game::ParseScore(c.token);
        EXPECT_EQ(got, c.score) << "token " << c.token << ": expected "
                                << (c.score ? std::to_string(*c.score) : "no number") << ", got "
                                << (got ? std::to_string(*got) : "no number");
    }
}

}  // namespace
