#include "platform/sdl/DisplayWait.h"

#include <SDL_syswm.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#if defined(SWOOPY_WAIT_WAYLAND) && defined(SDL_VIDEO_DRIVER_WAYLAND)
#include <wayland-client.h>
#endif

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <stdexcept>
#include <string>
#include <utility>

namespace platform {

namespace {

// What the signal handler may touch: the wake-up of the platform that catches.
std::atomic<int> signalWakeFd{-1};
std::atomic<bool> quitSignalled{false};

struct CaughtSignal {
    int number;
    bool caught = false;
    struct sigaction previous {};
};
CaughtSignal quitSignals[] = {{SIGINT}, {SIGTERM}};

void OnQuitSignal(int) {
    const int savedErrno = errno;
    quitSignalled = true;
    const std::uint64_t one = 1;
    const int fd = signalWakeFd.load();
    if (fd >= 0) [[maybe_unused]]
        const ssize_t n = ::write(fd, &one, sizeof one);
    errno = savedErrno;
}

// Installs the handler unless the signal is ignored (as under nohup).
void Catch(CaughtSignal& s) {
    if (::sigaction(s.number, nullptr, &s.previous) != 0 || s.previous.sa_handler == SIG_IGN) return;
    struct sigaction action {};
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    s.caught = ::sigaction(s.number, &action, nullptr) == 0;
}

// A day is as good as for ever: the sleep is looked at again when it ends.
constexpr double kLongestSleepMs = 24 * 3600 * 1000.0;

timespec Timespec(double ms) {
    if (!(ms > 0)) return {0, 0};
    ms = std::min(ms, kLongestSleepMs);
    const double whole = std::floor(ms / 1000.0);
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(whole);
    ts.tv_nsec = static_cast<long>((ms - whole * 1000.0) * 1e6);
    if (ts.tv_nsec >= 1000000000L) ts.tv_nsec = 999999999L;
    return ts;
}

}  // namespace

DisplayWait::DisplayWait() : wakeFd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (wakeFd_ < 0) throw std::runtime_error(std::string("Cannot make the loop's wake-up: ") + std::strerror(errno));
}

DisplayWait::~DisplayWait() {
    if (catching_) {
        for (CaughtSignal& sig : quitSignals) {
            if (std::exchange(sig.caught, false)) ::sigaction(sig.number, &sig.previous, nullptr);
        }
        signalWakeFd = -1;
    }
    ::close(wakeFd_);
}

void DisplayWait::CatchQuitSignals() {
    if (catching_) return;
    catching_ = true;
    signalWakeFd = wakeFd_;
    for (CaughtSignal& sig : quitSignals) Catch(sig);
}

bool DisplayWait::TakeQuitSignal() { return quitSignalled.exchange(false); }

void DisplayWait::WatchDisplayOf(SDL_Window* window) {
    if (fd_ >= 0 || window == nullptr) return;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE) return;
    switch (info.subsystem) {
#if defined(SWOOPY_WAIT_X11) && defined(SDL_VIDEO_DRIVER_X11)
        case SDL_SYSWM_X11:
            driver_ = Driver::X11;
            display_ = info.info.x11.display;
            fd_ = ConnectionNumber(info.info.x11.display);
            break;
#endif
#if defined(SWOOPY_WAIT_WAYLAND) && defined(SDL_VIDEO_DRIVER_WAYLAND)
        case SDL_SYSWM_WAYLAND:
            driver_ = Driver::Wayland;
            display_ = info.info.wl.display;
            fd_ = wl_display_get_fd(info.info.wl.display);
            break;
#endif
        default: break;
    }
}

DisplayWait::Woke DisplayWait::Sleep(double timeoutMs) {
    bool waylandRead = false;
#if defined(SWOOPY_WAIT_X11) && defined(SDL_VIDEO_DRIVER_X11)
    // A reply read on the way (a present waits for one) may have brought events
    // along into Xlib's queue; the socket no longer shows them.
    if (driver_ == Driver::X11 && XEventsQueued(static_cast<Display*>(display_), QueuedAlready) > 0) {
        return Woke::Input;
    }
#endif
#if defined(SWOOPY_WAIT_WAYLAND) && defined(SDL_VIDEO_DRIVER_WAYLAND)
    if (driver_ == Driver::Wayland) {
        auto* display = static_cast<wl_display*>(display_);
        // Events already read but not dispatched make prepare_read refuse.
        if (wl_display_prepare_read(display) != 0) return Woke::Input;
        waylandRead = true;
        wl_display_flush(display);
    }
#endif
    pollfd fds[2] = {{wakeFd_, POLLIN, 0}, {fd_, POLLIN, 0}};
    const nfds_t count = fd_ >= 0 ? 2 : 1;
    const timespec timeout = Timespec(timeoutMs);
    int ready = ::ppoll(fds, count, &timeout, nullptr);
    if (ready < 0) ready = 0;  // a signal: the caller looks again
#if defined(SWOOPY_WAIT_WAYLAND) && defined(SDL_VIDEO_DRIVER_WAYLAND)
    if (waylandRead) {
        auto* display = static_cast<wl_display*>(display_);
        // What came is read here, each event into its queue: the buffers'
        // releases, which come as often as the game presents, go to the
        // window's own queue and cost SDL no poll (MayHaveInput stays false);
        // SDL dispatches what is its own when it is polled next.
        if (ready > 0 && fds[1].revents != 0) {
            wl_display_read_events(display);
        } else {
            wl_display_cancel_read(display);
        }
    }
#else
    (void)waylandRead;
#endif
    if (ready == 0) return Woke::Deadline;
    // Input first: the wake-up stays pending for the next wait.
    if (count > 1 && fds[1].revents != 0) return Woke::Input;
    return Woke::Wake;
}

bool DisplayWait::MayHaveInput() {
#if defined(SWOOPY_WAIT_X11) && defined(SDL_VIDEO_DRIVER_X11)
    if (driver_ == Driver::X11) {
        if (XEventsQueued(static_cast<Display*>(display_), QueuedAlready) > 0) return true;
        pollfd fd{fd_, POLLIN, 0};
        return ::poll(&fd, 1, 0) != 0;
    }
#endif
#if defined(SWOOPY_WAIT_WAYLAND) && defined(SDL_VIDEO_DRIVER_WAYLAND)
    // Events read off the socket along with something else (our own queue's
    // dispatch, a roundtrip) make prepare_read refuse; otherwise the socket
    // alone tells. SDL's poll on Wayland reads and dispatches the connection
    // every time, which the loop's several looks a beat would otherwise pay.
    if (driver_ == Driver::Wayland) {
        auto* display = static_cast<wl_display*>(display_);
        if (wl_display_prepare_read(display) != 0) return true;
        pollfd fd{fd_, POLLIN, 0};
        const bool ready = ::poll(&fd, 1, 0) != 0;
        wl_display_cancel_read(display);
        return ready;
    }
#endif
    return true;
}

void DisplayWait::Wake() {
    const std::uint64_t one = 1;
    // A full counter already means "woken"; nothing else can go wrong here.
    [[maybe_unused]] const ssize_t n = ::write(wakeFd_, &one, sizeof one);
}

bool DisplayWait::TakeWake() {
    std::uint64_t count = 0;
    return ::read(wakeFd_, &count, sizeof count) == static_cast<ssize_t>(sizeof count) && count > 0;
}

}  // namespace platform
