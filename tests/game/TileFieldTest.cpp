#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <optional>

#include "game/GameHarness.h"
#include "game/Random.h"

namespace {

using gametest::GameHarness;
using gametest::PlayFolder;
using scene::TColor;
using scene::TShape;

// A counter value whose reseed makes the draw of n win (Random(n) = 1) where a
// draw of n + 1 would lose, or lose (result 0) where a draw of n - 1 would win:
// together they tell a stage's n from both its neighbours.
std::uint32_t SeedDrawing(int n, int result) {
    using gametest::DrawFrom;
    return gametest::FindSeed([&](std::uint32_t s) {
        return result == 1 ? DrawFrom(s, n) == 1 && DrawFrom(s, n + 1) != 1
                           : DrawFrom(s, n) != 1 && DrawFrom(s, n - 1) == 1;
    });
}

class TileFieldTest : public ::testing::Test {
protected:
    void SetUp() override { f = &game.Start(); }
    void TearDown() override { game::SetPerformanceCounter({}); }

    // Every reseed from now on gives a draw of n that is `result`; the seed in
    // hand beforehand gives the opposite, so a draw made without reseeding shows.
    void DrawsGive(int n, int result) {
        const std::uint32_t seed = SeedDrawing(n, result);
        game::SetPerformanceCounter([seed] { return 0xABCD'0000'0000'0000ull | seed; });
        game::RandSeed = SeedDrawing(n, result == 1 ? 0 : 1);
    }
    void ForEachTile(const std::function<void(int, int, TShape&)>& fn) {
        for (int c = 0; c < 14; ++c)
            for (int r = 0; r < 8; ++r) fn(c, r, *f->tiles[c][r]);
    }
    static bool Even(int c, int r) { return (c + r) % 2 == 0; }
    // Tiles alternate between a and b, all shown.
    void Checkerboard(TColor a, TColor b) {
        ForEachTile([&](int c, int r, TShape& t) {
            t.SetBrushColor(Even(c, r) ? a : b);
            t.SetVisible(true);
        });
    }
    void Touch(int hits) {
        f->State.hits = hits;
        layout::EvolveTiles(*f);
    }
    // Expects tiles on even squares to be `even`, the others `odd`, shown or hidden as given.
    void ExpectField(TColor even, bool evenShown, TColor odd, bool oddShown, const char* what) {
        ForEachTile([&](int c, int r, TShape& t) {
            const bool isEven = Even(c, r);
            EXPECT_EQ(t.BrushColor(), isEven ? even : odd) << what << ", tile " << c << "," << r;
            EXPECT_EQ(t.Visible(), isEven ? evenShown : oddShown) << what << ", tile " << c << "," << r;
        });
    }

    PlayFolder folder;
    GameHarness game;
    layout::TForm1* f = nullptr;
};

constexpr bool kShown = true;
constexpr bool kHidden = false;

TEST_F(TileFieldTest, TheFirstStageWhitensEveryOtherTileAndTurnsSomeGreyOnesSilver) {
    for (int hits : {1, 99}) {
        Checkerboard(scene::clGray, scene::clSilver);
        DrawsGive(25, 0);
        Touch(hits);
        ExpectField(scene::clGray, kShown, scene::clWhite, kShown, "failed draws");

        Checkerboard(scene::clGray, scene::clSilver);
        DrawsGive(25, 1);
        Touch(hits);
        ExpectField(scene::clSilver, kShown, scene::clWhite, kShown, "won draws");
    }
}

struct ColourStage {
    int hits;
    int n;
    TColor watched, success, other;
};

TEST_F(TileFieldTest, StagesTwoToFourWatchTheirColourAtBothEnds) {
    const ColourStage stages[] = {
        {101, 25, scene::clWhite, scene::clGreen, scene::clGray},
        {199, 25, scene::clWhite, scene::clGreen, scene::clGray},
        {201, 25, scene::clGray, scene::clBlue, scene::clSilver},
        {299, 25, scene::clGray, scene::clBlue, scene::clSilver},
        {301, 25, scene::clSilver, scene::clOlive, scene::clGray},
        {399, 25, scene::clSilver, scene::clOlive, scene::clGray},
    };
    for (const ColourStage& s : stages) {
        SCOPED_TRACE("hits " + std::to_string(s.hits));
        Checkerboard(s.watched, scene::clFuchsia);
        DrawsGive(s.n, 0);
        Touch(s.hits);
        ExpectField(s.watched, kShown, s.other, kShown, "failed draws");

        Checkerboard(s.watched, scene::clFuchsia);
        DrawsGive(s.n, 1);
        Touch(s.hits);
        ExpectField(s.success, kShown, s.other, kShown, "won draws");
    }
}

TEST_F(TileFieldTest, TheFifthStageHidesAllButGreyAndFlashesGreyFuchsia) {
    for (int hits : {401, 549}) {
        SCOPED_TRACE("hits " + std::to_string(hits));
        Checkerboard(scene::clGray, scene::clOlive);
        DrawsGive(30, 0);
        Touch(hits);
        ExpectField(scene::clGray, kShown, scene::clOlive, kHidden, "failed draws");

        Checkerboard(scene::clGray, scene::clOlive);
        DrawsGive(30, 1);
        Touch(hits);
        ExpectField(scene::clFuchsia, kShown, scene::clOlive, kHidden, "won draws");
    }
}

TEST_F(TileFieldTest, TheSixthStageWhitensShownTilesAndBringsHiddenOnesBackBlue) {
    auto hideOdd = [&] {
        Checkerboard(scene::clGray, scene::clFuchsia);
        ForEachTile([&](int c, int r, TShape& t) { t.SetVisible(Even(c, r)); });
    };
    for (int hits : {551, 5000}) {
        SCOPED_TRACE("hits " + std::to_string(hits));
        hideOdd();
        DrawsGive(25, 0);
        Touch(hits);
        ExpectField(scene::clWhite, kShown, scene::clFuchsia, kHidden, "failed draws");

        hideOdd();
        DrawsGive(25, 1);
        Touch(hits);
        ExpectField(scene::clWhite, kShown, scene::clBlue, kShown, "won draws");
    }
}

TEST_F(TileFieldTest, TheRoundHundredsAndFiveHundredFiftyChangeNothing) {
    for (int hits : {100, 200, 300, 400, 550}) {
        SCOPED_TRACE("hits " + std::to_string(hits));
        for (TColor watched : {scene::clGray, scene::clWhite, scene::clSilver}) {
            Checkerboard(watched, scene::clGreen);
            f->tiles[3][3]->SetVisible(false);
            DrawsGive(25, 1);
            Touch(hits);
            ForEachTile([&](int c, int r, TShape& t) {
                EXPECT_EQ(t.BrushColor(), Even(c, r) ? watched : scene::clGreen) << "tile " << c << "," << r;
                EXPECT_EQ(t.Visible(), !(c == 3 && r == 3)) << "tile " << c << "," << r;
            });
        }
    }
}

TEST_F(TileFieldTest, EveryDrawReseedsFirstAndOnlyDrawsReseed) {
    int reseeds = 0;
    const std::uint32_t fail = SeedDrawing(25, 0);
    game::SetPerformanceCounter([&] {
        ++reseeds;
        return std::uint64_t{fail};
    });
    // Stage one draws for the 56 grey tiles only.
    Checkerboard(scene::clGray, scene::clSilver);
    Touch(5);
    EXPECT_EQ(reseeds, 56);
    // Stage six draws for the hidden tiles only.
    reseeds = 0;
    ForEachTile([](int c, int, TShape& t) { t.SetVisible(c != 0); });
    Touch(600);
    EXPECT_EQ(reseeds, 8);
}

TEST_F(TileFieldTest, TheStartingColoursComeFromOneReseedPerTile) {
    int reseeds = 0;
    std::uint32_t seed = SeedDrawing(15, 1);
    game::SetPerformanceCounter([&] {
        ++reseeds;
        return std::uint64_t{seed};
    });
    game::RandSeed = SeedDrawing(15, 0);
    layout::ColourTilesAtStart(*f);
    EXPECT_EQ(reseeds, 112);
    ForEachTile([](int c, int r, TShape& t) { EXPECT_EQ(t.BrushColor(), scene::clSilver) << c << "," << r; });

    seed = SeedDrawing(15, 0);
    layout::ColourTilesAtStart(*f);
    ForEachTile([](int c, int r, TShape& t) { EXPECT_EQ(t.BrushColor(), scene::clGray) << c << "," << r; });
}

TEST(TileFieldWithoutIntro, TouchesWithoutAFieldChangeNothingAndRaiseNothing) {
    PlayFolder folder(std::nullopt);
    GameHarness game;
    auto& f = game.Start();
    const auto stackBefore = f.Stacking();
    for (int hits : {1, 150, 250, 350, 450, 600}) {
        f.State.hits = hits;
        EXPECT_NO_THROW(layout::EvolveTiles(f)) << "hits " << hits;
    }
    EXPECT_EQ(f.Stacking(), stackBefore);
}

}  // namespace
