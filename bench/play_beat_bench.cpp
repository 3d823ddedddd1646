// What one beat of play costs in the game's own window: the movement, check and
// offers ticks of TForm1 with all nine movers in play, then the repaint of what
// they marked (composed, and presented through SDL or kept in memory). The game
// is started as the player starts it, with sixteen black squares counted as
// touched so that the first check tick puts every mover in play; the clock is
// never ticked, so the game never ends. 64 beats make a second of play.
//
// BM_PlayBeatAfterSleep and BM_PlaySecondAfterSleep time each beat after a
// sleep of a beat, as the game's loop sleeps between beats; the second ticks the
// clock too, once every 64 beats, in a game given seconds enough never to end.
//
// BM_PlayBeatRealWindow needs an X display (e.g. Xvfb); without one it is
// skipped with SDL's reason. BM_PlayBeatHeadless is the same work without the
// way to the screen.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "GameRig.h"
#include "RealWindow.h"
#include "layout/TForm1.h"
#include "platform/headless/HeadlessPlatform.h"

namespace {

class PlayRig : GameRig {
public:
    explicit PlayRig(std::unique_ptr<scene::Platform> platform) : GameRig(std::move(platform)) {
        form_->State.hits = 16;
        StartWithTimersStopped();
        for (int i = 0; i < 64; ++i) Beat();  // every mover in play, every picture decoded
    }

    // The three fast ticks in the loop's order, then the repaint.
    void Beat() {
        Ticks();
        form_->Repaint();
    }
    void Ticks() {
        form_->Timer2Timer(form_->Timer2);
        form_->Timer3Timer(form_->Timer3);
        form_->Timer4Timer(form_->Timer4);
    }
    // The repaint of what the ticks marked; says how many pixels it composed.
    double Repaint() {
        double pixels = 0;
        for (const scene::TRect& r : form_->DirtyRegion()) pixels += static_cast<double>(r.Width) * r.Height;
        form_->Repaint();
        return pixels;
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

// In play the loop sleeps between beats, and whatever the machine runs
// meanwhile (here the hypervisor's other guests too) takes the caches and the
// address translations: a beat after a sleep costs several times a beat that
// follows another at once, and an 8 MB walk through memory between beats, which
// these benchmarks once used, no longer came near it. So each beat is timed
// after a sleep of a beat, as in the game's loop: this function says how many
// seconds work took, run after such a sleep.
template <typename Work>
double TimeAfterSleep(Work work) {
    std::this_thread::sleep_for(std::chrono::microseconds(15625));
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The beat in its two parts: the ticks, and the repaint with the pixels composed.
void BM_PlayBeatAfterSleep(benchmark::State& state) {
    static PlayRig rig(std::make_unique<platform::HeadlessPlatform>());
    double ticks = 0, repaint = 0, pixels = 0;
    for (auto _ : state) {
        const double t = TimeAfterSleep([] { rig.Ticks(); });
        const auto start = std::chrono::steady_clock::now();
        pixels += rig.Repaint();
        const double r = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        ticks += t;
        repaint += r;
        state.SetIterationTime(t + r);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["ticks_us"] = ticks * 1e6 / n;
    state.counters["repaint_us"] = repaint * 1e6 / n;
    state.counters["pixels"] = pixels / n;
    state.counters["movers"] = rig.MoversShown();
}
BENCHMARK(BM_PlayBeatAfterSleep)->Unit(benchmark::kMicrosecond)->UseManualTime()->Iterations(640)->Repetitions(3);

// What a wake-up costs by itself: the CPU time the thread is charged for one
// sleep of a beat with nothing done after it (the CPU column; the wall time is
// the sleep). The loop pays it on every wake, each beat and each pointer event,
// and so does any program that presents 64 times a second.
void BM_SleepOfABeat(benchmark::State& state) {
    for (auto _ : state) std::this_thread::sleep_for(std::chrono::microseconds(15625));
}
BENCHMARK(BM_SleepOfABeat)->Unit(benchmark::kMicrosecond)->Iterations(640)->Repetitions(3);

// A second of play as the loop has it: 64 beats, the first with the clock's
// tick, each after a beat's sleep. Every second shows a new time and score; the
// figure is per second of play.
void BM_PlaySecondAfterSleep(benchmark::State& state) {
    static PlayRig rig(std::make_unique<platform::HeadlessPlatform>());
    rig.LongGame();
    for (auto _ : state) {
        double seconds = TimeAfterSleep([] { rig.ClockBeat(); });
        for (int beat = 1; beat < 64; ++beat) seconds += TimeAfterSleep([] { rig.Beat(); });
        state.SetIterationTime(seconds);
    }
}
BENCHMARK(BM_PlaySecondAfterSleep)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(10)->Repetitions(3);

}  // namespace

BENCHMARK_MAIN();
