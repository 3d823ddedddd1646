#include "game/Random.h"

#include <gtest/gtest.h>

namespace {

TEST(RandomTest, FollowsTheLinearCongruentialSequence) {
    game::RandSeed = 0;
    EXPECT_EQ(game::Random(1000), 0);  // seed 1: 1000 * 1 >> 32
    EXPECT_EQ(game::RandSeed, 1u);
    EXPECT_EQ(game::Random(1000), 31);  // seed 134775814
    EXPECT_EQ(game::RandSeed, 134775814u);
    game::RandSeed = 0xFFFFFFFFu;  // wraps: -1 * 134775813 + 1
    game::Random(2);
    EXPECT_EQ(game::RandSeed, static_cast<std::uint32_t>(0u - 134775813u + 1u));
}

TEST(RandomTest, StaysWithinRangeAndCoversIt) {
    game::RandSeed = 12345;
    bool seen[15] = {};
    for (int i = 0; i < 2000; ++i) {
        const int v = game::Random(15);
        ASSERT_GE(v, 0);
        ASSERT_LT(v, 15);
        seen[v] = true;
    }
    for (int v = 0; v < 15; ++v) EXPECT_TRUE(seen[v]) << "value " << v << " never drawn";
}

TEST(RandomTest, ReseedTakesTheLow32BitsOfTheCounter) {
    game::SetPerformanceCounter([] { return 0x123456789ABCDEF0ull; });
    game::Reseed();
    EXPECT_EQ(game::RandSeed, 0x9ABCDEF0u);
    game::SetPerformanceCounter({});
    game::Reseed();
    const auto first = game::RandSeed;
    game::Reseed();
    EXPECT_NE(first, game::RandSeed) << "the real clock should move between two reseeds";
}

}  // namespace
