// The SDL backend's loop on a real X server: pointer input that arrives while the
// loop sleeps is taken at once, dated when it arrived, and work posted from
// another thread runs at once too. Needs $DISPLAY (the ctest entry brings Xvfb).
// gtest first: Xlib's macros (None, Bool, ...) would spoil its headers.
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

#include <unistd.h>

#include "platform/sdl/SdlPlatform.h"
#include "scene/Application.h"

namespace {

// Far beyond a beat: a wait that ran into it is plainly a missed wake-up.
constexpr double kFar = 2000;
constexpr int kRounds = 30;

struct DisplayCloser {
    void operator()(Display* d) const { XCloseDisplay(d); }
};

class LoopWake : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(std::getenv("DISPLAY"), nullptr) << "expected an X server in $DISPLAY";
        unsetenv("SDL_VIDEODRIVER");
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        platform = platform::CreateSdlPlatform();
        scene::WindowOptions options;
        options.title = "loop wake";
        options.clientWidth = 200;
        options.clientHeight = 150;
        window = platform->CreateWindow(options);
        window->Show();
        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        ASSERT_EQ(SDL_GetWindowWMInfo(SDL_GetWindowFromID(static_cast<Uint32>(window->Id())), &info), SDL_TRUE);
        ASSERT_EQ(info.subsystem, SDL_SYSWM_X11) << "expected SDL on X11";
        xwindow = info.info.x11.window;
        injector.reset(XOpenDisplay(nullptr));
        ASSERT_TRUE(injector) << "expected a second connection to the X server";
        Drain();
    }
    void TearDown() override {
        injector.reset();
        window.reset();
        platform.reset();
    }

    void Drain() {
        scene::InputEvent ignored;
        while (platform->WaitEvent(ignored, platform->NowMs() + 50)) {
        }
    }

    // Moves the real pointer inside the window from the other connection, as a
    // player's hand would; returns the platform time just before.
    double MovePointer(int x, int y) {
        const double at = platform->NowMs();
        XWarpPointer(injector.get(), None, xwindow, 0, 0, 0, 0, x, y);
        XFlush(injector.get());
        return at;
    }

    static double Median(std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    }

    std::unique_ptr<scene::Platform> platform;
    std::unique_ptr<scene::PlatformWindow> window;
    std::unique_ptr<Display, DisplayCloser> injector;
    Window xwindow = 0;
};

TEST_F(LoopWake, PointerInputEndsTheSleepAtOnceAndIsDatedOnArrival) {
    std::vector<double> delays;
    for (int i = 0; i < kRounds; ++i) {
        std::atomic<double> movedAt = -1;
        // The mover starts while the loop is (most likely) asleep; either way
        // the event must be taken within moments of its sending.
        std::thread mover([&, i] {
            std::this_thread::sleep_for(std::chrono::milliseconds(2 + i % 5));
            movedAt = MovePointer(20 + 3 * i, 30 + i);
        });
        scene::InputEvent ev;
        bool moved = false;
        const double start = platform->NowMs();
        while (!moved && platform->NowMs() < start + kFar) {
            if (platform->WaitEvent(ev, start + kFar)) moved = ev.kind == scene::EventKind::MouseMove;
        }
        const double takenAt = platform->NowMs();
        mover.join();
        ASSERT_TRUE(moved) << "round " << i << ": expected a pointer move, got none";
        EXPECT_EQ(ev.x, 20 + 3 * i);
        EXPECT_GE(ev.timeMs, movedAt.load()) << "round " << i << ": dated before it was sent";
        EXPECT_LE(ev.timeMs, takenAt) << "round " << i << ": dated after it was taken";
        delays.push_back(takenAt - movedAt);
    }
    // Sleeping a beat between polls would take 7.8 ms in the median.
    EXPECT_LT(Median(delays), 2.0) << "expected the move taken within 2 ms of its sending, got "
                                   << Median(delays) << " ms in the median";
    EXPECT_LT(*std::max_element(delays.begin(), delays.end()), kFar / 2);
}

TEST_F(LoopWake, WorkPostedWhileTheLoopSleepsRunsWithinABeat) {
    scene::Application app(*platform, "/tmp/swoopy");
    std::vector<double> delays;
    for (int i = 0; i < kRounds; ++i) {
        std::atomic<double> postedAt = -1;
        double ranAt = -1;
        std::thread poster([&, i] {
            std::this_thread::sleep_for(std::chrono::milliseconds(1 + i % 4));
            postedAt = platform->NowMs();
            app.Post([&] { ranAt = platform->NowMs(); });
        });
        const double start = platform->NowMs();
        while (ranAt < 0 && platform->NowMs() < start + kFar) app.Step(start + kFar);
        poster.join();
        ASSERT_GE(ranAt, 0) << "round " << i << ": the posted work never ran";
        delays.push_back(ranAt - postedAt);
    }
    EXPECT_LT(*std::max_element(delays.begin(), delays.end()), scene::kClockBeatMs);
    EXPECT_LT(Median(delays), 2.0) << "expected posted work to run within 2 ms, got " << Median(delays)
                                   << " ms in the median";
}

// Input that comes while the loop is busy, not asleep, is taken by the next
// look that does not wait: whether it is still on the socket or was read into
// Xlib's queue along with the reply a present waits for.
TEST_F(LoopWake, InputThatCameWhileTheLoopWorkedIsTakenWithoutWaiting) {
    for (int i = 0; i < 20; ++i) {
        const bool readWithAReply = i % 2 == 1;
        Drain();
        MovePointer(40 + i, 50 + i);
        XSync(injector.get(), False);
        if (readWithAReply) window->Present({{0, 0, 10, 10}});
        // Looks that never wait, for well under a beat: a loop that only saw
        // the move at its next beat would be late by up to 15 ms.
        scene::InputEvent ev;
        bool moved = false;
        const double start = platform->NowMs();
        while (!moved && platform->NowMs() < start + 5) {
            if (platform->WaitEvent(ev, platform->NowMs())) moved = ev.kind == scene::EventKind::MouseMove;
        }
        ASSERT_TRUE(moved) << "round " << i << (readWithAReply ? " (after a present)" : " (on the socket)")
                           << ": the pointer move was not taken";
        EXPECT_EQ(ev.x, 40 + i);
        EXPECT_EQ(ev.y, 50 + i);
    }
}

// With no timer armed and no text typed the loop sleeps until its deadline; a
// SIGTERM sent to the process, whichever thread takes it, ends the sleep as the
// window's close request.
TEST_F(LoopWake, AQuitSignalEndsTheSleepAsTheCloseRequest) {
    std::thread sender([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        ::kill(::getpid(), SIGTERM);
    });
    scene::InputEvent ev;
    bool closed = false;
    const double start = platform->NowMs();
    while (!closed && platform->NowMs() < start + kFar) {
        if (platform->WaitEvent(ev, start + kFar)) closed = ev.kind == scene::EventKind::CloseRequest;
    }
    sender.join();
    EXPECT_TRUE(closed) << "expected the close request before the deadline";
    EXPECT_EQ(ev.window, window->Id());
}

}  // namespace
