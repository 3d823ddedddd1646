// The event loop on the SDL backend: work posted from other threads runs within
// a beat wherever in the loop's pass it lands, and never waits for input.
#include <atomic>
#include <thread>

#include "platform/SdlTestSupport.h"
#include "scene/Application.h"

namespace platform_test {
namespace {

// Passes every call to the SDL platform; just before the loop's first poll for
// input it runs a hook, so work can be posted at exactly that point of a pass.
class PollHook : public scene::Platform {
public:
    explicit PollHook(scene::Platform& inner) : inner_(inner) {}
    std::function<void()> BeforePoll;

    double NowMs() override { return inner_.NowMs(); }
    bool WaitEvent(scene::InputEvent& out, double deadlineMs) override {
        if (deadlineMs <= inner_.NowMs() && BeforePoll) std::exchange(BeforePoll, nullptr)();
        return inner_.WaitEvent(out, deadlineMs);
    }
    void Wake() override { inner_.Wake(); }
    std::unique_ptr<scene::PlatformWindow> CreateWindow(const scene::WindowOptions& o) override {
        return inner_.CreateWindow(o);
    }
    std::string ClipboardText() override { return inner_.ClipboardText(); }
    void SetClipboardText(const std::string& utf8) override { inner_.SetClipboardText(utf8); }
    std::unique_ptr<scene::AudioOut> OpenAudio(scene::AudioRender render) override {
        return inner_.OpenAudio(std::move(render));
    }

private:
    scene::Platform& inner_;
};

class SdlLoop : public SdlBackendTest {};

// Deadlines far beyond a beat: work that waited for one is plainly late.
constexpr double kFar = 3000;

TEST_F(SdlLoop, WorkPostedJustBeforeTheInputPollRunsWithoutWaitingForTheDeadline) {
    OpenWindow();
    PollHook hooked(*platform);
    scene::Application app(hooked, "/tmp/swoopy");
    bool ran = false;
    hooked.BeforePoll = [&] { app.Post([&] { ran = true; }); };

    const double start = platform->NowMs();
    while (!ran && platform->NowMs() < start + kFar) app.Step(start + kFar);
    EXPECT_TRUE(ran);
    EXPECT_LT(platform->NowMs() - start, kFar / 2) << "the posted work waited for the deadline";
}

TEST_F(SdlLoop, WorkPostedFromAnotherThreadAtAnyMomentRunsSoon) {
    OpenWindow();
    scene::Application app(*platform, "/tmp/swoopy");
    constexpr int kPosts = 100;
    std::atomic<int> ran = 0;
    std::atomic<double> postedAt = 0;
    double latest = 0;
    std::thread poster([&] {
        for (int i = 0; i < kPosts; ++i) {
            // A varying spin moves each post to another point of the loop's pass.
            for (int spin = 0; spin < (i * 7919) % 20000; ++spin) std::atomic_signal_fence(std::memory_order_seq_cst);
            postedAt = platform->NowMs();
            app.Post([&] {
                latest = std::max(latest, platform->NowMs() - postedAt);
                ++ran;
            });
            while (ran <= i) std::this_thread::yield();
        }
    });
    const double start = platform->NowMs();
    while (ran < kPosts && platform->NowMs() < start + 60 * kFar) app.Step(platform->NowMs() + kFar);
    poster.join();
    EXPECT_EQ(ran, kPosts);
    EXPECT_LT(latest, kFar / 2) << "a posted function waited for the loop's deadline";
}

}  // namespace
}  // namespace platform_test
