// Audio output without a sound card: asked for SDL's dummy driver, or for a
// driver that does not exist, the output is silent and still consumes samples
// on the clock.
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "platform/SdlTestSupport.h"

namespace platform_test {
namespace {

// Records what the output asks of the render callback.
class RenderProbe {
public:
    scene::AudioRender Callback() {
        return [this](float* out, int frames) {
            std::lock_guard lock(mutex_);
            bool silent = true;
            for (int i = 0; i < frames; ++i) silent = silent && out[i] == 0.0f;
            allSilentOnEntry_ = allSilentOnEntry_ && silent;
            for (int i = 0; i < frames; ++i) out[i] = 0.25f;  // dirty it for the next call
            lastFrames_ = frames;
            totalFrames_ += frames;
            ++calls_;
            changed_.notify_all();
        };
    }
    // Waits, at most a few seconds, for the output to have asked `n` times.
    bool WaitForCalls(int n) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(5), [&] { return calls_ >= n; });
    }
    int LastFrames() {
        std::lock_guard lock(mutex_);
        return lastFrames_;
    }
    long TotalFrames() {
        std::lock_guard lock(mutex_);
        return totalFrames_;
    }
    bool AllSilentOnEntry() {
        std::lock_guard lock(mutex_);
        return allSilentOnEntry_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int calls_ = 0;
    int lastFrames_ = 0;
    long totalFrames_ = 0;
    bool allSilentOnEntry_ = true;
};

class SdlAudio : public SdlBackendTest {
protected:
    void TearDown() override {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        SdlBackendTest::TearDown();
    }
};

// Samples go on the clock, never ahead of it; and the output's thread does
// not hold up the program's end for the rest of its block. How closely it keeps
// to the clock, and how soon it ends, a busy machine decides: not checked here.
TEST_F(SdlAudio, TheDummyDriverGivesASilentMonoOutputAt22050HzThatKeepsToTheClockAndEnds) {
    using Clock = std::chrono::steady_clock;
    RenderProbe probe;
    const Clock::time_point opened = Clock::now();
    auto out = platform->OpenAudio(probe.Callback());
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(out->Format().sampleRate, 22050);
    EXPECT_EQ(out->Format().channels, 1);
    ASSERT_TRUE(probe.WaitForCalls(6)) << "the output stopped asking for samples";
    const long firstBlock = probe.LastFrames();
    EXPECT_GT(firstBlock, 0);
    EXPECT_TRUE(probe.AllSilentOnEntry()) << "render should get a silent buffer each time";
    // Counted before the clock is read: a late block only lowers the count.
    const long taken = probe.TotalFrames();
    const double seconds = std::chrono::duration<double>(Clock::now() - opened).count();
    // Each block is taken at its start: ahead by one, and a little for rounding.
    EXPECT_LE(taken, static_cast<long>(seconds * 22050) + 2 * firstBlock) << "ran ahead of the clock";

    const Clock::time_point ending = Clock::now();
    out.reset();
    EXPECT_LT(Clock::now() - ending, std::chrono::seconds(5)) << "the output slept on after being closed";
}

TEST_F(SdlAudio, AnUnknownDriverFallsBackToASilentOutputThatStillConsumes) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    RenderProbe probe;
    auto out = platform->OpenAudio(probe.Callback());
    ASSERT_NE(out, nullptr);
    EXPECT_GT(out->Format().sampleRate, 0);
    EXPECT_GT(out->Format().channels, 0);
    ASSERT_TRUE(probe.WaitForCalls(3)) << "the fallback output never asked for samples";
    EXPECT_GT(probe.LastFrames(), 0);
}

}  // namespace
}  // namespace platform_test
