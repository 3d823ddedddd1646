// Audio output without a sound card: SDL's dummy driver, and the fallback when
// the configured driver does not exist, both still consume samples.
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
            for (int i = 0; i < frames; ++i) out[i] = 0.25f;   // dirty it for the next call
            lastFrames_ = frames;
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
    bool AllSilentOnEntry() {
        std::lock_guard lock(mutex_);
        return allSilentOnEntry_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int calls_ = 0;
    int lastFrames_ = 0;
    bool allSilentOnEntry_ = true;
};

class SdlAudio : public SdlBackendTest {
protected:
    void TearDown() override {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        SdlBackendTest::TearDown();
    }
};

TEST_F(SdlAudio, DummyDeviceTakesMonoSamplesAt22050HzFromRender) {
    RenderProbe probe;
    auto out = platform->OpenAudio(probe.Callback());
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(out->Format().sampleRate, 22050);
    EXPECT_EQ(out->Format().channels, 1);
    ASSERT_TRUE(probe.WaitForCalls(3)) << "the output never asked for samples";
    EXPECT_GT(probe.LastFrames(), 0);
    EXPECT_TRUE(probe.AllSilentOnEntry()) << "render should get a silent buffer each time";

    out->Lock();   // holds the callback out; must not deadlock with it
    out->Unlock();
    ASSERT_TRUE(probe.WaitForCalls(4)) << "the output stopped after Unlock";
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
