// Times a program's start as the player sees it: from just before it is forked
// and executed to the moment its window is mapped and to the moment a chosen pixel of that window
// first shows a chosen colour (the first presented frame). Then the program is
// asked to end (SIGTERM) and reaped.
//
//   first_frame_probe [-t TITLE] [-x X] [-y Y] [-c RRGGBB] [-s SECONDS] -- PROGRAM [ARGS...]
//
// Prints "map_ms=... frame_ms=..." on success; exit code 1 on a timeout or when
// the program ends first, 2 on bad usage. Needs $DISPLAY; runs PROGRAM in the
// current working folder.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
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
        if (flag == "-t") options.title = value;
        else if (flag == "-x") options.x = std::atoi(value);
        else if (flag == "-y") options.y = std::atoi(value);
        else if (flag == "-c") options.colour = std::strtoul(value, nullptr, 16);
        else if (flag == "-s") options.timeoutSeconds = std::atof(value);
        else return false;
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
        if (HasTitle(display, children[i], title) && IsShown(display, children[i])) found = children[i];
        else if (depth > 0) found = FindShownWindow(display, children[i], title, depth - 1);
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
    double mapMs = 0.0;
    double frameMs = -1.0;
    while (Clock::now() < deadline && child.Running()) {
        if (window == 0) {
            window = FindShownWindow(display.get(), root, options.title, 1);
            if (window != 0) mapMs = MillisecondsSince(start);
        }
        if (window != 0 && PixelIs(display.get(), window, options.x, options.y, options.colour)) {
            frameMs = MillisecondsSince(start);
            break;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(250));
    }
    const bool ran = child.Running();
    child.End();
    if (frameMs < 0.0) {
        std::fprintf(stderr, "first_frame_probe: %s\n",
                     !ran ? "the program ended before its first frame"
                     : window == 0 ? "no window with that title was shown in time"
                                   : "the pixel never showed the colour in time");
        return 1;
    }
    std::printf("map_ms=%.1f frame_ms=%.1f\n", mapMs, frameMs);
    return 0;
}
