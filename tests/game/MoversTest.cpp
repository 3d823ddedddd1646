#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "game/PlayHarness.h"
#include "game/Random.h"
#include "sound/SoundChannel.h"

namespace {

using gametest::PlayHarness;
using layout::TForm1;
using scene::TShape;

enum class Axis { Left, Top };

// The movers' rules, one row each, in the order the movement tick takes them.
struct MoverRule {
    TShape TForm1::*shape;
    Axis axis;  // the coordinate it steps along
    int sign;   // +1 right or down, -1 left or up
    int stepRange, stepMin;
    int leaveBeyond, entry;
    int sizeRange;
};
const MoverRule kMovers[] = {
    // clang-format off
    {&TForm1::Zvierkant1, Axis::Left, +1, 8, 4,  900,   -80, 50},
    {&TForm1::zvierkant2, Axis::Top,  +1, 5, 4,  600,   -80, 50},
    {&TForm1::zvierkant3, Axis::Top,  -1, 5, 4,  -80,   700, 50},
    {&TForm1::zvierkant4, Axis::Left, -1, 4, 4,  -50,   900, 50},
    {&TForm1::Rvierkant1, Axis::Left, -1, 4, 4,  -50,   900, 50},
    {&TForm1::rvierkant2, Axis::Left, +1, 8, 4,  900,   -80, 50},
    {&TForm1::rvierkant3, Axis::Top,  +1, 5, 4,  600,   -80, 50},
    {&TForm1::rvierkant4, Axis::Top,  -1, 5, 4,  -80,   700, 50},
    {&TForm1::zround1,    Axis::Top,  +1, 5, 7,  600, -1500, 10},
    // clang-format on
};
constexpr int kMoverCount = static_cast<int>(std::size(kMovers));

// Where every mover waits between cases: in the open middle of the playfield.
constexpr int kHomeLeft = 300, kHomeTop = 250, kHomeSize = 50;

int Along(const TShape& s, Axis a) { return a == Axis::Left ? s.Left() : s.Top(); }
int Across(const TShape& s, Axis a) { return a == Axis::Left ? s.Top() : s.Left(); }
void SetAlong(TShape& s, Axis a, int v) { a == Axis::Left ? s.SetLeft(v) : s.SetTop(v); }

void PlaceAllAtHome(TForm1& f) {
    for (const MoverRule& m : kMovers) (f.*m.shape).SetBounds(kHomeLeft, kHomeTop, kHomeSize, kHomeSize);
}

// The steps the first `count` movers draw from `seed`, one draw each, in table order.
std::vector<int> StepsFrom(std::uint32_t seed, int count) {
    game::RandSeed = seed;
    std::vector<int> steps;
    for (int i = 0; i < count; ++i) steps.push_back(game::Random(kMovers[i].stepRange) + kMovers[i].stepMin);
    return steps;
}

// A new lane and size as a re-entry draws them from `seed`; leaves the generator after them.
struct Reentry {
    int lane, size;
};
Reentry ReentryFrom(std::uint32_t seed, const MoverRule& m) {
    game::RandSeed = seed;
    const int lane = m.axis == Axis::Left ? game::Random(350) + 100 : game::Random(750) + 100;
    return {lane, game::Random(m.sizeRange) + 25};
}

// A seed whose lane draw and then size draw tell every range of the table from
// the ranges one off.
bool TellsLaneAndSize(std::uint32_t seed) {
    const std::uint32_t next = gametest::NextSeed(seed);
    return gametest::Tells(seed, 350) && gametest::Tells(seed, 750) && gametest::Tells(next, 50) &&
           gametest::Tells(next, 10);
}

std::string NameOf(TForm1& f, const MoverRule& m) { return (f.*m.shape).Name(); }

TEST(MoversTest, EveryMoverStepsByItsOwnDrawInTableOrderHiddenOrNot) {
    PlayHarness play;
    TForm1& f = play.f;
    EXPECT_FALSE(f.Zvierkant1.Visible()) << "most movers are hidden at first and move all the same";
    std::vector<int> lowest(kMoverCount, 1000), highest(kMoverCount, -1000);
    play.SeedReseeds(1);
    for (std::uint32_t seed = 1; seed < 400; seed += 1) {
        PlaceAllAtHome(f);
        const std::uint32_t start = seed * 2654435761u;
        const std::vector<int> steps = StepsFrom(start, kMoverCount);
        game::RandSeed = start;
        play.Tick();
        for (int i = 0; i < kMoverCount; ++i) {
            const MoverRule& m = kMovers[i];
            const TShape& s = f.*m.shape;
            const int home = m.axis == Axis::Left ? kHomeLeft : kHomeTop;
            ASSERT_EQ(Along(s, m.axis), home + m.sign * steps[i]) << NameOf(f, m) << ", seed " << start;
            ASSERT_EQ(Across(s, m.axis), m.axis == Axis::Left ? kHomeTop : kHomeLeft) << NameOf(f, m);
            ASSERT_EQ(s.Width(), kHomeSize);
            ASSERT_EQ(s.Height(), kHomeSize);
            lowest[i] = std::min(lowest[i], steps[i]);
            highest[i] = std::max(highest[i], steps[i]);
        }
    }
    EXPECT_EQ(play.reseeds, 0) << "no mover left the playfield, so nothing reseeded";
    for (int i = 0; i < kMoverCount; ++i) {
        EXPECT_EQ(lowest[i], kMovers[i].stepMin) << NameOf(f, kMovers[i]);
        EXPECT_EQ(highest[i], kMovers[i].stepMin + kMovers[i].stepRange - 1) << NameOf(f, kMovers[i]);
    }
}

TEST(MoversTest, LeavingIsStrictAndComesBackWithAReseededLaneAndSize) {
    PlayHarness play;
    TForm1& f = play.f;
    constexpr std::uint32_t kStart = 0x5EED;
    const std::uint32_t kReseed = gametest::FindSeed(TellsLaneAndSize);
    for (int i = 0; i < kMoverCount; ++i) {
        const MoverRule& m = kMovers[i];
        TShape& s = f.*m.shape;
        SCOPED_TRACE(NameOf(f, m));
        const int step = StepsFrom(kStart, i + 1)[i];

        // Landing exactly on the bound is still inside.
        PlaceAllAtHome(f);
        SetAlong(s, m.axis, m.leaveBeyond - m.sign * step);
        play.SeedReseeds(kReseed);
        game::RandSeed = kStart;
        play.Tick();
        EXPECT_EQ(Along(s, m.axis), m.leaveBeyond);
        EXPECT_EQ(play.reseeds, 0);

        // One pixel further leaves: reseed, entry edge, new lane, new size, Width = Height.
        PlaceAllAtHome(f);
        SetAlong(s, m.axis, m.leaveBeyond - m.sign * step + m.sign);
        play.SeedReseeds(kReseed);
        game::RandSeed = kStart;
        play.Tick();
        EXPECT_EQ(play.reseeds, 1);
        const Reentry back = ReentryFrom(kReseed, m);
        EXPECT_EQ(Along(s, m.axis), m.entry);
        EXPECT_EQ(Across(s, m.axis), back.lane);
        EXPECT_EQ(s.Height(), back.size);
        EXPECT_EQ(s.Width(), back.size);
        // The next mover draws on from the reseeded generator.
        if (i + 1 < kMoverCount) {
            const MoverRule& next = kMovers[i + 1];
            const int home = next.axis == Axis::Left ? kHomeLeft : kHomeTop;
            ReentryFrom(kReseed, m);
            const int nextStep = game::Random(next.stepRange) + next.stepMin;
            EXPECT_EQ(Along(f.*next.shape, next.axis), home + next.sign * nextStep) << "then " << NameOf(f, next);
        }
    }
}

// What touching each mover does, one row per mover in the table above.
struct TouchRule {
    int mover;
    int money, hits, score, lives;
    bool alarm;    // the alarm channel sounds instead of the click channel
    bool reseeds;  // the new lane and size come from a fresh seed
    int entry;     // where along its way the touch puts the mover
    bool evolvesTiles;
};
constexpr bool kAlarm = true, kClick = false;
constexpr bool kReseeds = true, kSameSeed = false;
constexpr bool kEvolves = true, kKeepsTiles = false;
const TouchRule kTouches[] = {
    // clang-format off
    {0, 1, 1, 11,  0, kClick, kSameSeed,   -80, kEvolves},
    {1, 1, 1, 17,  0, kClick, kSameSeed,   -80, kEvolves},
    {2, 1, 1, 12,  0, kClick, kSameSeed,   700, kEvolves},
    {3, 1, 1,  9,  0, kClick, kSameSeed,   900, kEvolves},
    {4, 0, 0,  0, -1, kAlarm, kReseeds,    900, kKeepsTiles},
    {5, 0, 0,  0, -1, kAlarm, kReseeds,    -80, kKeepsTiles},
    {6, 0, 0,  0, -1, kAlarm, kReseeds,    -80, kKeepsTiles},
    {7, 0, 0,  0, -1, kAlarm, kReseeds,    700, kKeepsTiles},
    {8, 5, 0, 43,  0, kClick, kReseeds,  -5050, kKeepsTiles},
    // clang-format on
};

void MoveAllAway(TForm1& f) {
    for (const MoverRule& m : kMovers) (f.*m.shape).SetBounds(-500, -500, kHomeSize, kHomeSize);
}

void PaintTiles(TForm1& f, scene::TColor colour) {
    for (auto& column : f.tiles)
        for (TShape* tile : column) tile->SetBrushColor(colour);
}

int TilesOf(const TForm1& f, scene::TColor colour) {
    int n = 0;
    for (const auto& column : f.tiles)
        for (const TShape* tile : column) n += tile->BrushColor() == colour;
    return n;
}

TEST(MoversTest, EachTouchScoresOnceWithItsValuesSoundPlaceAndTiles) {
    PlayHarness play;
    TForm1& f = play.f;
    const std::uint32_t kSeed = gametest::FindSeed(TellsLaneAndSize);
    const std::uint32_t kReseed = gametest::FindSeed(TellsLaneAndSize, kSeed + 1);
    int nudge = 0;
    for (const TouchRule& t : kTouches) {
        const MoverRule& m = kMovers[t.mover];
        TShape& s = f.*m.shape;
        SCOPED_TRACE(s.Name());
        MoveAllAway(f);
        s.SetBounds(kHomeLeft, kHomeTop, kHomeSize, kHomeSize);
        s.SetVisible(true);
        // At 101 hits the field turns every tile but white ones grey: the touch reads the new count.
        f.State.hits = 100;
        PaintTiles(f, scene::clSilver);
        f.MediaPlayer3.Stop();
        f.MediaPlayer6.Stop();
        const game::GameState before = f.State;
        play.SeedReseeds(kReseed);
        game::RandSeed = kSeed;

        play.MovePointer(kHomeLeft + 10 + nudge++ % 2, kHomeTop + 10);

        EXPECT_EQ(f.State.money - before.money, t.money);
        EXPECT_EQ(f.State.hits - before.hits, t.hits);
        EXPECT_EQ(f.State.score - before.score, t.score);
        EXPECT_EQ(f.State.lives - before.lives, t.lives);
        EXPECT_EQ(f.MediaPlayer3.Channel().Playing(), t.alarm == kClick);
        EXPECT_EQ(f.MediaPlayer6.Channel().Playing(), t.alarm == kAlarm);
        EXPECT_EQ(play.reseeds, t.reseeds ? 1 : 0);
        const Reentry back = ReentryFrom(t.reseeds ? kReseed : kSeed, m);
        EXPECT_EQ(Along(s, m.axis), t.entry);
        EXPECT_EQ(Across(s, m.axis), back.lane);
        EXPECT_EQ(s.Height(), back.size);
        EXPECT_EQ(s.Width(), back.size);
        EXPECT_EQ(TilesOf(f, t.evolvesTiles ? scene::clGray : scene::clSilver), 112);

        // The mover has gone: moving on over the same spot touches nothing.
        const game::GameState after = f.State;
        play.MovePointer(kHomeLeft + 20, kHomeTop + 20);
        EXPECT_EQ(f.State.score, after.score);
        EXPECT_EQ(f.State.lives, after.lives);
    }
    // The status line follows at the next movement tick.
    play.Tick();
    EXPECT_EQ(f.FINALSCORE.Caption(), "Score: " + std::to_string(f.State.score));
    EXPECT_EQ(f.Label1.Caption(), "Money: " + std::to_string(f.State.money) + " $");
    EXPECT_EQ(f.Lives.Caption(), "Lives: -1") << "four red touches; the end of the game is not the touch's business";
}

// A mover placed at a spot, shown or hidden, and the pointer moved onto it.
struct ShieldCase {
    const char* what;
    TShape TForm1::*shape;
    int left, top;
    bool shown;
    int pointerX, pointerY;
    bool touched;
};

TEST(MoversTest, OnlyAShownMoverOnTopUnderAMovingPointerIsTouched) {
    const ShieldCase cases[] = {
        // clang-format off
        {"beneath the shop panel",          &TForm1::zvierkant2, 890, 200, true,  900, 220, false},
        {"left of the shop panel",          &TForm1::zvierkant2, 840, 200, true,  880, 220, true},
        {"beneath the top bar",             &TForm1::zvierkant2, 330,  10, true,  350,  30, false},
        {"beneath the bottom bar",          &TForm1::zvierkant2, 300, 480, true,  320, 510, false},
        {"just above the bottom bar",       &TForm1::zvierkant2, 300, 480, true,  320, 505, true},
        {"hidden",                          &TForm1::Zvierkant1, 300, 250, false, 320, 270, false},
        {"circle over the shop panel",      &TForm1::zround1,    900, 200, true,  920, 220, true},
        {"circle beneath the bottom bar",   &TForm1::zround1,    300, 480, true,  320, 510, false},
        {"circle's corner, off its figure", &TForm1::zround1,    300, 250, true,  301, 251, true},
        // clang-format on
    };
    for (const ShieldCase& c : cases) {
        SCOPED_TRACE(c.what);
        PlayHarness play;
        TForm1& f = play.f;
        TShape& s = f.*c.shape;
        s.SetBounds(c.left, c.top, 50, 50);
        s.SetVisible(c.shown);
        play.MovePointer(c.pointerX, c.pointerY);
        EXPECT_EQ(f.State.score > 0, c.touched);
    }
}

TEST(MoversTest, NoTouchUnderAPointerAtRest) {
    PlayHarness play;
    TForm1& f = play.f;
    // zvierkant4 slides left under the resting pointer.
    play.MovePointer(400, 300);
    f.zvierkant4.SetBounds(402, 280, 50, 50);
    int ticks = 0;
    while (f.zvierkant4.Left() > 380 && ticks < 10) {
        play.Tick();
        ++ticks;
    }
    ASSERT_LE(f.zvierkant4.Left(), 380);
    EXPECT_EQ(f.State.hits, 0) << "the square came under the pointer, which did not move";
    play.MovePointer(401, 300);
    EXPECT_EQ(f.State.hits, 1) << "one pixel of movement touches it";
    EXPECT_EQ(f.State.score, 9);
}

// A left button pressed somewhere and held while the pointer moves along a row
// at y 270, from `fromX` to `toX` by `stepX`, then released: only the movers
// the pointer moves over count, each once, wherever the press was.
struct HeldCase {
    const char* what;
    bool black, red;  // zvierkant4 at (300, 250), Rvierkant1 at (400, 250), 50 x 50
    int pressX, pressY;
    const char* pressedOn;  // the element the press lands on; tiles have no name
    int fromX, toX, stepX;
    int coins, lives;
};

TEST(MoversTest, AHeldButtonNeitherFarmsTouchesNorShieldsFromThem) {
    const HeldCase cases[] = {
        // clang-format off
        {"press on a black square, twenty moves held", true,  false, 310, 270, "zvierkant4", 311, 330,   1, 1,  0},
        {"press on a tile, sweep over a red square",   false, true,  100, 270, "",           110, 600,  10, 0, -1},
        {"press on a tile, sweep over a black square", true,  false, 100, 270, "",           110, 600,  10, 1,  0},
        {"press on a black square, on to a red one",   true,  true,  310, 270, "zvierkant4", 320, 420, 100, 1, -1},
        {"press on a shop offer, dragged over both",   true,  true,  950, 255, "Label3",     940, 200, -10, 1, -1},
        // clang-format on
    };
    for (const HeldCase& c : cases) {
        SCOPED_TRACE(c.what);
        PlayHarness play;
        TForm1& f = play.f;
        MoveAllAway(f);
        f.State.money = 25;  // enough for the no-red offer, which must not be bought
        f.Label3.SetVisible(true);
        // The squares come under the resting pointer; the press is no movement.
        play.MovePointer(c.pressX, c.pressY);
        if (c.black) f.zvierkant4.SetBounds(300, 250, 50, 50);
        if (c.red) f.Rvierkant1.SetBounds(400, 250, 50, 50);
        f.Rvierkant1.SetVisible(c.red);
        ASSERT_NE(f.HitTest(c.pressX, c.pressY), nullptr);
        ASSERT_EQ(f.HitTest(c.pressX, c.pressY)->Name(), c.pressedOn);
        play.game.platform.MouseDown(c.pressX, c.pressY);
        play.game.app.RunFor(0);
        for (int x = c.fromX; c.stepX > 0 ? x <= c.toX : x >= c.toX; x += c.stepX) play.MovePointer(x, 270);
        play.game.platform.MouseUp(c.toX, 270);
        play.game.app.RunFor(0);
        EXPECT_EQ(f.State.money - 25, c.coins) << "a purchase would have taken 20";
        EXPECT_EQ(f.State.hits, c.coins);
        EXPECT_EQ(f.State.lives - 3, c.lives);
        EXPECT_EQ(f.Capture(), nullptr);
    }
}

// The mover stages by hits: which of Rvierkant1, rvierkant2, rvierkant3,
// rvierkant4, Zvierkant1, zvierkant2, zvierkant3, zround1 are shown.
TShape TForm1::*const kStaged[] = {&TForm1::Rvierkant1, &TForm1::rvierkant2, &TForm1::rvierkant3, &TForm1::rvierkant4,
                                   &TForm1::Zvierkant1, &TForm1::zvierkant2, &TForm1::zvierkant3, &TForm1::zround1};

TEST(MoversTest, StagesShowTheirMoversStrictlyInsideTheirBounds) {
    struct Stage {
        int hits;
        const char* shown;  // one letter per staged mover: y shown, n hidden, - left as it was
    };
    const Stage stages[] = {
        {5, "--------"},  {6, "ynnnynnn"},  {9, "ynnnynnn"},  {10, "--------"}, {11, "yynnyynn"}, {14, "yynnyynn"},
        {15, "--------"}, {16, "yyyyyyyy"}, {19, "yyyyyyyy"}, {20, "--------"}, {0, "--------"},
    };
    PlayHarness play;
    TForm1& f = play.f;
    for (const Stage& st : stages) {
        for (bool start : {true, false}) {
            SCOPED_TRACE("hits " + std::to_string(st.hits) + (start ? ", all shown before" : ", all hidden before"));
            for (auto shape : kStaged) (f.*shape).SetVisible(start);
            f.State.hits = st.hits;
            play.Tick();
            for (int i = 0; i < 8; ++i) {
                const bool expected = st.shown[i] == '-' ? start : st.shown[i] == 'y';
                EXPECT_EQ((f.*kStaged[i]).Visible(), expected) << (f.*kStaged[i]).Name();
            }
            EXPECT_TRUE(f.zvierkant4.Visible());
        }
    }
}

}  // namespace
