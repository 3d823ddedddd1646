// The service with its output rendered on a thread of its own, as on a real
// device: commands from the loop thread race with the mixing, yet every command
// that asked to be told is answered exactly once, and only the loop runs handlers.
#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <mutex>
#include <random>
#include <thread>

#include "WavFiles.h"
#include "sound/SoundChannel.h"
#include "sound/SoundService.h"

namespace {

// Keeps the render callback for a thread of the test's own; nothing else is used.
class ThreadedAudioPlatform : public scene::Platform {
public:
    double NowMs() override { return 0; }
    bool WaitEvent(scene::InputEvent&, double) override { return false; }
    void Wake() override {}
    std::unique_ptr<scene::PlatformWindow> CreateWindow(const scene::WindowOptions&) override { return nullptr; }
    std::string ClipboardText() override { return {}; }
    void SetClipboardText(const std::string&) override {}
    std::unique_ptr<scene::AudioOut> OpenAudio(scene::AudioRender render) override {
        render_ = std::move(render);
        return std::make_unique<Out>();
    }
    void RenderBlock() {
        float block[256] = {};
        render_(block, 256);
    }

private:
    struct Out : scene::AudioOut {
        scene::AudioFormat Format() const override { return {22050, 1}; }
        void Lock() override {}
        void Unlock() override {}
    };
    scene::AudioRender render_;
};

class PostQueue {
public:
    void Post(std::function<void()> fn) {
        const std::lock_guard lock(mutex_);
        queue_.push_back(std::move(fn));
    }
    void RunAll() {
        for (;;) {
            std::function<void()> fn;
            {
                const std::lock_guard lock(mutex_);
                if (queue_.empty()) return;
                fn = std::move(queue_.front());
                queue_.pop_front();
            }
            fn();
        }
    }

private:
    std::mutex mutex_;
    std::deque<std::function<void()>> queue_;
};

}  // namespace

TEST(AudioThread, EveryRequestIsAnsweredOnceWhileTheMixerRunsAlongside) {
    soundtest::TempDir dir;
    ThreadedAudioPlatform platform;
    PostQueue queue;
    sound::SoundService service(platform, [&queue](std::function<void()> fn) { queue.Post(std::move(fn)); });
    const std::thread::id loopThread = std::this_thread::get_id();

    std::vector<std::unique_ptr<sound::SoundChannel>> channels;
    int answered = 0;
    for (int i = 0; i < 3; ++i) {
        auto c = std::make_unique<sound::SoundChannel>(service, "c" + std::to_string(i));
        c->FileName = dir.Write("c" + std::to_string(i) + ".wav", soundtest::ConstantWav(300 + 500 * i, 0.1));
        c->Open();
        c->OnNotify = [&](sound::SoundChannel&) {
            EXPECT_EQ(std::this_thread::get_id(), loopThread);
            ++answered;
        };
        channels.push_back(std::move(c));
    }

    std::atomic<bool> done{false};
    std::thread audio([&] {
        while (!done) platform.RenderBlock();
    });
    std::mt19937 rng(42);
    int requested = 0;
    for (int command = 0; command < 20000; ++command) {
        sound::SoundChannel& c = *channels[rng() % channels.size()];
        const bool arm = rng() % 2 == 0;
        const bool value = rng() % 2 == 0;
        if (arm) c.SetNotify(value);
        if (rng() % 3 == 0) {
            c.Stop();
            requested += arm && value;
        } else {
            c.Play();
            requested += !arm || value;
        }
        queue.RunAll();
    }
    done = true;
    audio.join();
    for (auto& c : channels) c->Stop();   // ends whatever still waits as Aborted
    queue.RunAll();
    EXPECT_GT(requested, 0);
    EXPECT_EQ(answered, requested) << "one notification per command that asked for one";
}
