// How the loop sleeps between polls of SDL. It never waits inside SDL (see
// SdlPlatform.cpp); instead it sleeps on the display connection's socket and on
// an eventfd that Wake() writes, so input and posted work end the sleep at once.
// Video drivers whose connection we cannot reach sleep on the eventfd alone,
// and their input waits for the end of the sleep (the caller keeps it to a beat).
#pragma once

#include <SDL.h>

namespace platform {

class DisplayWait {
public:
    enum class Woke { Input, Wake, Deadline };

    // Throws std::runtime_error when the eventfd cannot be made.
    DisplayWait();
    ~DisplayWait();
    DisplayWait(const DisplayWait&) = delete;
    DisplayWait& operator=(const DisplayWait&) = delete;

    // Finds the display connection behind the window's video driver (X11 or
    // Wayland); once found it serves every later window of the same driver.
    void WatchDisplayOf(SDL_Window* window);
    bool WatchesDisplay() const { return fd_ >= 0; }

    // Sleeps until the connection has input, Wake() is called, a signal comes
    // or timeoutMs pass (a day at most, however long the timeout);
    // input is reported before a wake-up that came with it, which stays pending.
    // The caller has just polled SDL empty. Events that the connection's library
    // already read off the socket (with a reply, say) end the sleep at once.
    // On Wayland the sleep reads what came into its queues itself.
    Woke Sleep(double timeoutMs);

    // False only when it is known that nothing has come over the connection
    // since SDL last read it: Xlib (or libwayland) holds no event and the
    // socket has no bytes. Always true for drivers whose connection we cannot
    // look at.
    bool MayHaveInput();

    // Thread-safe; never touches the windowing system.
    void Wake();
    // Takes a pending wake-up, if there is one.
    bool TakeWake();

    // SIGINT and SIGTERM, unless ignored, end the sleep and are kept for
    // TakeQuitSignal; SDL's own handlers, which only set a flag for its next
    // poll, must be off (SDL_HINT_NO_SIGNAL_HANDLERS), or a sleep without a
    // deadline would never see them. The previous handlers return on destruction.
    void CatchQuitSignals();
    // True once for every time a quit signal came since the last call.
    bool TakeQuitSignal();

private:
    enum class Driver { None, X11, Wayland };

    int wakeFd_ = -1;
    bool catching_ = false;
    int fd_ = -1;
    Driver driver_ = Driver::None;
    void* display_ = nullptr;  // Display* or wl_display*, owned by SDL
};

}  // namespace platform
