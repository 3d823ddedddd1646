// The service with its output rendered on a thread of its own, as on a real
// device: commands from the loop thread race with the mixing, yet every command
// that asked to be told is answered exactly once, and only the loop runs handlers.
#include <gtest/gtest.h>

#include <algorithm>
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
    void RenderBlock(int frames = 256) {
        float block[256] = {};
        render_(block, std::min(frames, 256));
    }

private:
    struct Out : scene::AudioOut {
        scene::AudioFormat Format() const override { return {22050, 1}; }
    };
    scene::AudioRender render_;
};

// Remembers for each notice whether the loop thread itself posted it, that is,
// whether the command answered at once instead of the mixer at a sound's end.
class PostQueue {
public:
    void Post(std::function<void()> fn) {
        const std::lock_guard lock(mutex_);
        queue_.push_back({std::move(fn), std::this_thread::get_id() == loopThread_});
    }
    void RunAll() {
        for (;;) {
            Entry e;
            {
                const std::lock_guard lock(mutex_);
                if (queue_.empty()) return;
                e = std::move(queue_.front());
                queue_.pop_front();
            }
            runningFromLoop_ = e.fromLoop;
            e.fn();
        }
    }
    // While RunAll runs a notice: whether the loop thread posted it.
    bool RunningFromLoop() const { return runningFromLoop_; }

private:
    struct Entry {
        std::function<void()> fn;
        bool fromLoop = false;
    };
    const std::thread::id loopThread_ = std::this_thread::get_id();
    std::mutex mutex_;
    std::deque<Entry> queue_;
    bool runningFromLoop_ = false;
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
    for (auto& c : channels) c->Stop();  // ends whatever still waits as Aborted
    queue.RunAll();
    EXPECT_GT(requested, 0);
    EXPECT_EQ(answered, requested) << "one notification per command that asked for one";
}

// The mixer may reach a sound's end between Play's look at the position and the
// start of playing; the Play must still sound, never end at once with nothing heard.
TEST(AudioThread, APlayRacingTheEndOfTheSoundAlwaysPlaysIt) {
    soundtest::TempDir dir;
    ThreadedAudioPlatform platform;
    PostQueue queue;
    sound::SoundService service(platform, [&queue](std::function<void()> fn) { queue.Post(std::move(fn)); });
    sound::SoundChannel click(service, "click");
    constexpr int kFrames = 16;  // one render block: every block after a Play ends the sound
    click.FileName = dir.Write("click.wav", soundtest::ConstantWav(kFrames, 0.5));
    click.Open();
    int silentPlays = 0;
    click.OnNotify = [&](sound::SoundChannel& c) {
        silentPlays += c.GetNotifyValue() == sound::NotifyValue::Successful && queue.RunningFromLoop();
    };

    std::atomic<bool> done{false};
    std::thread audio([&] {
        while (!done) platform.RenderBlock(kFrames);
    });
    for (int play = 0; play < 200000 && silentPlays == 0; ++play) {
        click.Play();
        queue.RunAll();
    }
    done = true;
    audio.join();
    queue.RunAll();
    EXPECT_EQ(silentPlays, 0) << "a Play found the sound just ended and played nothing";
}
