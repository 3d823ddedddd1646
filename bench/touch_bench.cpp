// What one black-square touch costs when it turns all 112 tiles: the pointer
// move through the window's dispatch, the touch handler with the tile field's
// evolution, and the repaint after it (composing the marked region and putting
// it on the screen). The game's own window, layout and handlers, started as the
// player starts it, with its timers stopped so that only the touch is timed.
//
// BM_TouchRealWindow presents through SDL and needs an X display (e.g. Xvfb);
// without one it is skipped with SDL's reason. BM_TouchHeadless keeps its
// frames in memory: the same work without the way to the screen.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <string>

#include "GameRig.h"
#include "RealWindow.h"
#include "layout/TForm1.h"
#include "platform/headless/HeadlessPlatform.h"

namespace {

// The square waits here, in the open playfield, and the pointer moves onto it.
constexpr int kSquareLeft = 300, kSquareTop = 250, kSquareSize = 65;

class TouchRig : GameRig {
public:
    explicit TouchRig(std::unique_ptr<scene::Platform> platform) : GameRig(std::move(platform)) {
        StartWithTimersStopped();
        app_.RunFor(100);  // the window shown and every picture decoded before anything is timed
    }

    // Every tile silver, the first stage of the field: the touch turns all of them white.
    void Prepare() {
        for (auto& column : form_->tiles)
            for (scene::TShape* tile : column) tile->SetBrushColor(scene::clSilver);
        form_->State.hits = 50;
        form_->zvierkant4.SetBounds(kSquareLeft, kSquareTop, kSquareSize, kSquareSize);
        form_->Repaint();
    }

    void Touch() {
        scene::InputEvent move;
        move.kind = scene::EventKind::MouseMove;
        move.window = form_->WindowId();
        move.timeMs = app_.NowMs();
        move.x = kSquareLeft + 10 + (++nudge_ % 2);
        move.y = kSquareTop + 10;
        form_->HandleInput(move);
        form_->Repaint();
    }

    int WhiteTiles() const {
        int n = 0;
        for (const auto& column : form_->tiles)
            for (const scene::TShape* tile : column) n += tile->BrushColor() == scene::clWhite;
        return n;
    }

private:
    int nudge_ = 0;
};

void RunTouches(benchmark::State& state, TouchRig& rig) {
    int whiteAfterTouch = 112;
    for (auto _ : state) {
        state.PauseTiming();
        rig.Prepare();
        state.ResumeTiming();
        rig.Touch();
        state.PauseTiming();
        whiteAfterTouch = std::min(whiteAfterTouch, rig.WhiteTiles());
        state.ResumeTiming();
    }
    // Every touch must have turned every tile, or the figure measures less than it says.
    if (whiteAfterTouch != 112) state.SkipWithError("a touch left tiles unturned");
    state.counters["tiles"] = whiteAfterTouch;
}

void BM_TouchRealWindow(benchmark::State& state) {
    if (TouchRig* rig = RealWindowRig<TouchRig>(state)) RunTouches(state, *rig);
}
BENCHMARK(BM_TouchRealWindow)->Unit(benchmark::kMicrosecond)->MinTime(0.5);

void BM_TouchHeadless(benchmark::State& state) {
    static TouchRig rig(std::make_unique<platform::HeadlessPlatform>());
    RunTouches(state, rig);
}
BENCHMARK(BM_TouchHeadless)->Unit(benchmark::kMicrosecond)->MinTime(0.5);

}  // namespace

BENCHMARK_MAIN();
