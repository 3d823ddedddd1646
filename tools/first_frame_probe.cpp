// Times a program's start as the player sees it: from just before it is forked
// and executed to the moment its window is mapped and to the moment a chosen pixel of that window
// first shows a chosen colour (the first presented frame). Then the program is
// asked to end (SIGTERM) and reaped.
//
// The probe sleeps until the X server tells it something changed (a window made,
// mapped or renamed; the window's contents drawn, through the DAMAGE extension):
// polling, it took CPU from the program it timed and kept the X server busy.
//
//   first_frame_probe [-t TITLE] [-x X] [-y Y] [-c RRGGBB] [-s SECONDS] -- PROGRAM [ARGS...]
//
// Prints "map_ms=... frame_ms=..." on success; exit code 1 on a timeout or when
// the program ends first, 2 on bad usage. Needs $DISPLAY; runs PROGRAM in the
// current working folder.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
    std::string title = "Swoopy!";
    int x = 850;
    int y = 480;
    unsigned long colour = 0xFFFFFF;
    double timeoutSeconds = 10.0;
    std::vector<char*> command;
};

struct DisplayCloser {
    void operator()(Display* d) const { XCloseDisplay(d); }
};
using DisplayHandle = std::unique_ptr<Display, DisplayCloser>;

// A window that vanishes between two requests is no error for us.
int IgnoreXErrors(Display*, XErrorEvent*) { return 0; }

int Usage() {
    std::fprintf(stderr,
                 "usage: first_frame_probe [-t TITLE] [-x X] [-y Y] [-c RRGGBB] [-s SECONDS] -- PROGRAM [ARGS...]\n");
    return 2;
}

bool ParseOptions(int argc, char** argv, Options& options) {
    int i = 1;
    for (; i < argc && std::strcmp(argv[i], "--") != 0; i += 2) {
        if (i + 1 >= argc) return false;
        const std::string flag = argv[i];
        const char* value = argv[i + 1];
        if (flag == "-t")
            options.title = value;
        else if (flag == "-x")
            options.x = std::atoi(value);
        else if (flag == "-y")
            options.y = std::atoi(value);
        else if (flag == "-c")
            options.colour = std::strtoul(value, nullptr, 16);
        else if (flag == "-s")
            options.timeoutSeconds = std::atof(value);
        else
            return false;
    }
    for (++i; i < argc; ++i) options.command.push_back(argv[i]);
    options.command.push_back(nullptr);
    return options.command.size() > 1;
}

bool HasTitle(Display* display, Window window, const std::string& title) {
    char* name = nullptr;
    if (XFetchName(display, window, &name) == 0 || name == nullptr) return false;
    const bool same = title == name;
    XFree(name);
    return same;
}

bool IsShown(Display* display, Window window) {
    XWindowAttributes attributes{};
    return XGetWindowAttributes(display, window, &attributes) != 0 && attributes.map_state == IsViewable;
}

// The shown window with the title among the root's children and, under a
// window manager, their children (the frames' clients); 0 when there is none.
Window FindShownWindow(Display* display, Window parent, const std::string& title, int depth) {
    Window root = 0;
    Window ignored = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, parent, &root, &ignored, &children, &count) == 0) return 0;
    Window found = 0;
    for (unsigned int i = 0; i < count && found == 0; ++i) {
        if (HasTitle(display, children[i], title) && IsShown(display, children[i]))
            found = children[i];
        else if (depth > 0)
            found = FindShownWindow(display, children[i], title, depth - 1);
    }
    if (children != nullptr) XFree(children);
    return found;
}

// Pixels read as 0xRRGGBB, as on a 24-bit true-colour screen such as Xvfb's.
bool PixelIs(Display* display, Window window, int x, int y, unsigned long colour) {
    XImage* image = XGetImage(display, window, x, y, 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr) return false;
    const unsigned long pixel = XGetPixel(image, 0, 0) & 0xFFFFFF;
    XDestroyImage(image);
    return pixel == colour;
}

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The program under test; reaped at most once, so its id is never reused by mistake.
class Child {
public:
    explicit Child(pid_t pid) : pid_(pid) {}
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child() { End(); }

    bool Running() {
        if (reaped_) return false;
        int status = 0;
        reaped_ = waitpid(pid_, &status, WNOHANG) != 0;
        return !reaped_;
    }

    // Asks it to end, then makes sure it has.
    void End() {
        if (!Running()) return;
        kill(pid_, SIGTERM);
        for (int i = 0; i < 300 && Running(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (!Running()) return;
        kill(pid_, SIGKILL);
        int status = 0;
        waitpid(pid_, &status, 0);
        reaped_ = true;
    }

private:
    pid_t pid_ = 0;
    bool reaped_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) return Usage();
    DisplayHandle display(XOpenDisplay(nullptr));
    if (!display) {
        std::fprintf(stderr, "first_frame_probe: cannot open the display\n");
        return 1;
    }
    XSetErrorHandler(IgnoreXErrors);
    const Window root = DefaultRootWindow(display.get());
    int damageEvent = 0;
    int damageError = 0;
    if (!XDamageQueryExtension(display.get(), &damageEvent, &damageError)) {
        std::fprintf(stderr, "first_frame_probe: the display has no DAMAGE extension\n");
        return 1;
    }
    XSelectInput(display.get(), root, SubstructureNotifyMask);

    const Clock::time_point start = Clock::now();
    const pid_t pid = fork();
    if (pid < 0) {
        std::perror("first_frame_probe: fork");
        return 1;
    }
    if (pid == 0) {
        execvp(options.command[0], options.command.data());
        std::perror("first_frame_probe: exec");
        _exit(127);
    }
    Child child(pid);

    const auto deadline = start + std::chrono::duration<double>(options.timeoutSeconds);
    Window window = 0;
    Damage damage = 0;
    double mapMs = 0.0;
    double frameMs = -1.0;
    // Looks again only when something changed; the window is searched for, not
    // taken from the event, so that a window manager's frames are looked into.
    auto look = [&] {
        if (window == 0) {
            window = FindShownWindow(display.get(), root, options.title, 1);
            if (window == 0) return;
            mapMs = MillisecondsSince(start);
            damage = XDamageCreate(display.get(), window, XDamageReportNonEmpty);
        }
        if (PixelIs(display.get(), window, options.x, options.y, options.colour)) frameMs = MillisecondsSince(start);
    };
    look();
    while (frameMs < 0.0 && Clock::now() < deadline && child.Running()) {
        bool changed = false;
        while (XPending(display.get()) > 0) {
            XEvent event;
            XNextEvent(display.get(), &event);
            if (event.type == damageEvent + XDamageNotify) {
                XDamageSubtract(display.get(), damage, None, None);
                changed = true;
            } else if (event.type == CreateNotify) {
                // Its title may come after it is made: ask to hear of it.
                XSelectInput(display.get(), event.xcreatewindow.window, PropertyChangeMask);
                changed = true;
            } else if (event.type == MapNotify || event.type == PropertyNotify || event.type == ReparentNotify) {
                changed = true;
            }
        }
        if (changed || window == 0) look();
        if (frameMs >= 0.0) break;
        // Woken by the server at once; every 20 ms regardless, to see whether the
        // program ended. Events the last look read with its replies are already queued.
        if (XPending(display.get()) > 0) continue;
        pollfd fd{ConnectionNumber(display.get()), POLLIN, 0};
        poll(&fd, 1, 20);
    }
    if (damage != 0) XDamageDestroy(display.get(), damage);
    const bool ran = child.Running();
    child.End();
    if (frameMs < 0.0) {
        std::fprintf(stderr, "first_frame_probe: %s\n",
                     !ran          ? "the program ended before its first frame"
                     : window == 0 ? "no window with that title was shown in time"
                                   : "the pixel never showed the colour in time");
        return 1;
    }
    std::printf("map_ms=%.1f frame_ms=%.1f\n", mapMs, frameMs);
    return 0;
}
