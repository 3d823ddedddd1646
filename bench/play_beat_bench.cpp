// What one beat of play costs in the game's own window: the movement, check and
// offers ticks of TForm1 with all nine movers in play, then the repaint of what
// they marked (composed, and presented through SDL or kept in memory). The game
// is started as the player starts it, with sixteen black squares counted as
// touched so that the first check tick puts every mover in play; the clock is
// never ticked, so the game never ends. 64 beats make a second of play.
//
// BM_PlaySecondHeadlessColdCaches ticks the clock too, once every 64 beats, in a
// game given seconds enough never to end.
//
// BM_PlayBeatRealWindow needs an X display (e.g. Xvfb); without one it is
// skipped with SDL's reason. BM_PlayBeatHeadless is the same work without the
// way to the screen.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "RealWindow.h"
#include "layout/TForm1.h"
#include "platform/headless/HeadlessPlatform.h"
#include "platform/sdl/SdlPlatform.h"
#include "scene/Application.h"
#include "sound/SoundService.h"

namespace {

class PlayRig {
public:
    explicit PlayRig(std::unique_ptr<scene::Platform> platform) : platform_(std::move(platform)) {
        if (chdir(SWOOPY_ASSETS_DIR) != 0) throw std::runtime_error("cannot enter " SWOOPY_ASSETS_DIR);
        form_ = std::make_unique<layout::TForm1>(app_, sounds_);
        form_->LoadAll();
        form_->OnCreate(*form_);
        app_.SetMainForm(form_.get());
        form_->Show();
        form_->State.hits = 16;
        form_->Button1Click(form_->Button1);
        for (scene::TTimer* t : {&form_->Timer1, &form_->Timer2, &form_->Timer3, &form_->Timer4})
            t->SetEnabled(false);
        for (int i = 0; i < 64; ++i) Beat();   // every mover in play, every picture decoded
    }

    // The three fast ticks in the loop's order, then the repaint.
    void Beat() {
        form_->Timer2Timer(form_->Timer2);
        form_->Timer3Timer(form_->Timer3);
        form_->Timer4Timer(form_->Timer4);
        form_->Repaint();
    }

    // A beat that starts a second: the clock's tick first (a new time and score
    // to show), and afterwards whatever the loop would do while idle.
    void ClockBeat() {
        form_->Timer1Timer(form_->Timer1);
        Beat();
        app_.RunFor(0);
    }
    // Seconds enough that the clock never runs out.
    void LongGame() { form_->State.timeLeft = 1 << 30; }

    int MoversShown() const {
        const scene::TShape* movers[] = {&form_->Zvierkant1, &form_->zvierkant2, &form_->zvierkant3,
                                         &form_->zvierkant4, &form_->Rvierkant1, &form_->rvierkant2,
                                         &form_->rvierkant3, &form_->rvierkant4, &form_->zround1};
        int n = 0;
        for (const scene::TShape* e : movers) n += e->Visible();
        return n;
    }

private:
    std::unique_ptr<scene::Platform> platform_;
    scene::Application app_{*platform_, "/opt/games/swoopy"};
    sound::SoundService sounds_{*platform_, [this](std::function<void()> fn) { app_.Post(std::move(fn)); }};
    std::unique_ptr<layout::TForm1> form_;
};

void RunBeats(benchmark::State& state, PlayRig& rig) {
    for (auto _ : state) rig.Beat();
    state.counters["movers"] = rig.MoversShown();
}

void BM_PlayBeatRealWindow(benchmark::State& state) {
    if (PlayRig* rig = RealWindowRig<PlayRig>(state)) RunBeats(state, *rig);
}
BENCHMARK(BM_PlayBeatRealWindow)->Unit(benchmark::kMicrosecond)->MinTime(1.0);

void BM_PlayBeatHeadless(benchmark::State& state) {
    static PlayRig rig(std::make_unique<platform::HeadlessPlatform>());
    RunBeats(state, rig);
}
BENCHMARK(BM_PlayBeatHeadless)->Unit(benchmark::kMicrosecond)->MinTime(1.0);

// In play the loop sleeps a beat between frames, and what else the machine ran
// meanwhile has taken the caches: each beat is timed after a walk through a
// buffer twice the size of a core's second-level cache.
class ColdCaches {
public:
    // Seconds that work takes, run after the walk.
    template <typename Work>
    double Time(Work work) {
        for (std::size_t i = 0; i < other_.size(); i += 8) sum_ += other_[i]++;
        const auto start = std::chrono::steady_clock::now();
        work();
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    ~ColdCaches() { benchmark::DoNotOptimize(sum_); }

private:
    std::vector<std::uint64_t> other_ = std::vector<std::uint64_t>((8u << 20) / sizeof(std::uint64_t), 1);
    std::uint64_t sum_ = 0;
};

void BM_PlayBeatHeadlessColdCaches(benchmark::State& state) {
    static PlayRig rig(std::make_unique<platform::HeadlessPlatform>());
    ColdCaches cold;
    for (auto _ : state) state.SetIterationTime(cold.Time([] { rig.Beat(); }));
    state.counters["movers"] = rig.MoversShown();
}
BENCHMARK(BM_PlayBeatHeadlessColdCaches)->Unit(benchmark::kMicrosecond)->UseManualTime()->MinTime(1.0);

// A second of play as the loop has it: 64 beats, the first with the clock's
// tick, each after the caches were taken as in the previous benchmark. Every
// second shows a new time and score; the figure is per second of play.
void BM_PlaySecondHeadlessColdCaches(benchmark::State& state) {
    static PlayRig rig(std::make_unique<platform::HeadlessPlatform>());
    rig.LongGame();
    ColdCaches cold;
    for (auto _ : state) {
        double seconds = cold.Time([] { rig.ClockBeat(); });
        for (int beat = 1; beat < 64; ++beat) seconds += cold.Time([] { rig.Beat(); });
        state.SetIterationTime(seconds);
    }
}
BENCHMARK(BM_PlaySecondHeadlessColdCaches)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(5.0);

}  // namespace

BENCHMARK_MAIN();
