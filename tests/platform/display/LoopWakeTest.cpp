// The SDL backend's loop on a real X server: pointer input that arrives while the
// loop sleeps ends the sleep and is dated when it arrived, and work posted from
// another thread ends it too. Only what a busy machine cannot change is checked:
// a missed wake-up sleeps to a far deadline; how soon the loop wakes is a
// figure for the benchmarks. Needs $DISPLAY (the ctest entry brings Xvfb).
// gtest first: Xlib's macros (None, Bool, ...) would spoil its headers.
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <memory>
#include <thread>

#include <unistd.h>

#include "platform/sdl/SdlPlatform.h"
#include "scene/Application.h"

namespace {

// Far beyond a beat: a wait that ran into it is plainly a missed wake-up, which
// the loop shows by waking after half of it.
constexpr double kFar = 4000;
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

    std::unique_ptr<scene::Platform> platform;
    std::unique_ptr<scene::PlatformWindow> window;
    std::unique_ptr<Display, DisplayCloser> injector;
    Window xwindow = 0;
};

TEST_F(LoopWake, PointerInputEndsTheSleepAndIsDatedOnArrival) {
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
        ASSERT_LT(takenAt - movedAt, kFar / 2) << "round " << i << ": the move did not end the sleep";
    }
}

TEST_F(LoopWake, WorkPostedWhileTheLoopSleepsEndsTheSleep) {
    scene::Application app(*platform, "/tmp/swoopy");
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
        ASSERT_LT(ranAt - postedAt, kFar / 2) << "round " << i << ": the post did not end the sleep";
    }
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
        // A few looks that never wait: a loop that only looked again at its
        // next beat would not see the move in them.
        scene::InputEvent ev;
        bool moved = false;
        for (int look = 0; look < 20 && !moved; ++look) {
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
