// A game past its start screen on the headless platform: Start pressed as the
// player presses it, the loop stepped tick by tick on the virtual clock, and the
// random generator's reseeds under the test's control.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>

#include "game/GameHarness.h"
#include "game/Random.h"

namespace gametest {

class PlayHarness {
public:
    PlayFolder folder;
    GameHarness game;
    layout::TForm1& f;
    int reseeds = 0;  // counted once SeedReseeds() has been called

    PlayHarness() : f(game.Start()) {
        game.platform.Click(760, 140);  // the name field
        game.platform.Type("x");
        game.platform.Click(785, 176);  // Start
        game.app.RunFor(0);
    }
    ~PlayHarness() { game::SetPerformanceCounter({}); }
    PlayHarness(const PlayHarness&) = delete;
    PlayHarness& operator=(const PlayHarness&) = delete;

    // Runs the loop through the next movement tick; the check and offers ticks
    // fall due with it, and the clock every 64th time.
    void Tick(int n = 1) {
        for (int i = 0; i < n; ++i) game.app.RunFor(f.Timer2.DueMs() - game.app.NowMs());
    }
    // Runs the loop through the next clock tick.
    void Second(int n = 1) {
        for (int i = 0; i < n; ++i) game.app.RunFor(f.Timer1.DueMs() - game.app.NowMs());
    }
    // Moves the pointer and lets the loop handle it (no tick is due then).
    void MovePointer(int x, int y) {
        game.platform.MouseMove(x, y);
        game.app.RunFor(0);
    }
    // Runs the loop one event or tick at a time until cond holds.
    template <typename Cond>
    void StepUntil(Cond cond) {
        for (int i = 0; i < 100000 && !cond(); ++i) game.app.Step(game.app.NowMs() + 1);
        ASSERT_TRUE(cond());
    }
    // A visible red square whose middle lies in the open playfield, away from
    // the bars and the shop panel, or none.
    scene::TShape* RedSquareInTheOpen() {
        for (scene::TShape* red : {&f.Rvierkant1, &f.rvierkant2, &f.rvierkant3, &f.rvierkant4}) {
            const scene::TRect r = red->BoundsRect();
            const int x = r.Left + r.Width / 2, y = r.Top + r.Height / 2;
            if (red->Visible() && x > 10 && x < 870 && y > 80 && y < 495) return red;
        }
        return nullptr;
    }
    // Moves the pointer onto the middle of a red square in the open; the move is
    // handled before the next tick.
    void TouchRedSquareNow() {
        scene::TShape* red = RedSquareInTheOpen();
        ASSERT_NE(red, nullptr);
        const scene::TRect r = red->BoundsRect();
        game.platform.MouseMove(r.Left + r.Width / 2, r.Top + r.Height / 2);
    }
    // Waits on the virtual clock for a red square in the open, then touches it.
    void TouchARedSquare() {
        StepUntil([&] { return RedSquareInTheOpen() != nullptr; });
        TouchRedSquareNow();
    }
    // From now on every reseed counts and sets the generator to `seed`.
    void SeedReseeds(std::uint32_t seed) {
        reseeds = 0;
        game::SetPerformanceCounter([this, seed] {
            ++reseeds;
            return 0x1234'5678'0000'0000ull | seed;
        });
    }
};

}  // namespace gametest
