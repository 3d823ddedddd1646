#include "platform/sdl/SdlPlatform.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/sdl/ComposeCache.h"
#include "platform/sdl/DisplayWait.h"
#include "platform/sdl/SdlAudio.h"
#include "platform/sdl/SdlDisplayScale.h"
#include "platform/sdl/SdlEvents.h"
#include "platform/sdl/SdlHandles.h"
#include "platform/sdl/SdlWindow.h"
#include "platform/sdl/WaylandEgl.h"
#include "platform/sdl/WaylandOutputScale.h"
#include "platform/sdl/XkbGuard.h"

namespace platform {

namespace {

// Owns SDL's video and event subsystems for the platform's lifetime.
class SdlVideo {
public:
    SdlVideo() {
        // A windowed game should not switch off the desktop's compositor or screen saver.
        SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
        SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
        // Full screen stays when an error box takes the focus.
        SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
        // The click that activates the window is a click in the game too.
        SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
        // Closing the window is the window's close request alone, not a second one from SDL_QUIT.
        SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
        // SIGINT and SIGTERM are caught by the loop's own wait (DisplayWait), which
        // SDL's handlers would leave asleep.
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        // A poll must see every queued event; SDL's sentinel would end it early.
        SDL_SetHint(SDL_HINT_POLL_SENTINEL, "0");
        if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) Fail(SDL_GetError());
        // Without a display SDL settles for a driver that shows nothing; a game
        // nobody can see is only wanted when asked for by name (tests).
        const std::string driver = SDL_GetCurrentVideoDriver();
        if (SDL_GetHint(SDL_HINT_VIDEODRIVER) == nullptr && (driver == "offscreen" || driver == "dummy")) {
            Fail("no display found (is DISPLAY set?)");
        }
        // Under X11, drawing straight into the window's shared-memory surface; SDL's
        // default goes through a software GL framebuffer that costs several times as
        // much per frame. Wayland has no such surface; there the windows present
        // through shared-memory buffers of their own (WaylandFrame).
        if (driver == "x11") SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    }
    ~SdlVideo() { SDL_Quit(); }
    SdlVideo(const SdlVideo&) = delete;
    SdlVideo& operator=(const SdlVideo&) = delete;

private:
    [[noreturn]] static void Fail(const std::string& reason) {
        SDL_Quit();
        throw std::runtime_error("Cannot open the display: " + reason);
    }
};

class SdlPlatform final : public scene::Platform, private WindowHost {
public:
    SdlPlatform();

    double NowMs() override;
    bool WaitEvent(scene::InputEvent& out, double deadlineMs) override;
    void Wake() override;
    scene::DisplayScale PresentationScale() override { return scale_; }
    std::unique_ptr<scene::PlatformWindow> CreateWindow(const scene::WindowOptions& options) override;
    void MakeWindowAhead(const scene::WindowOptions& options) override;
    std::string ClipboardText() override;
    void SetClipboardText(const std::string& utf8) override;
    std::unique_ptr<scene::AudioOut> OpenAudio(scene::AudioRender render) override;

private:
    void SelectCursor(scene::TCursor cursor) override;
    void RequestTextInput(int delta) override;
    void WindowClosed(int id) override;
    int PointScale() const override { return pointScale_; }
    scene::DisplayScale SizeScale() const override { return sizeScale_; }
    void FrameHeldBack(SdlWindow& window) override;
    void PresentHeldBack();
    void FollowOutput(SdlWindow& window, WindowMoved moved);
    int PointScaleOf(const SDL_Event& ev) const;

    bool NextSdlEvent(SDL_Event& ev, double deadlineMs);
    bool PollSdl(SDL_Event& ev);
    void CreateCursors();

    SdlVideo video_;
    WaylandEgl egl_;  // before any window is made
    // On a Wayland output of scale 2 a window's point is 2 device pixels: the
    // game draws that many and the compositor shows them one to one. New
    // windows start at the largest output's, and follow the one they are on.
    int pointScale_ = std::max(WaylandOutputScale(), 1);
    scene::DisplayScale sizeScale_ = DesktopDisplayScale();
    scene::DisplayScale scale_ = sizeScale_.Times(pointScale_);
    bool rightAltIsAltGr_ = RightAltIsAltGr();
    Uint64 start_ = SDL_GetPerformanceCounter();
    double ticksPerMs_ = static_cast<double>(SDL_GetPerformanceFrequency()) / 1000.0;
    DisplayWait wait_;
    // When the events SDL hands out next arrived, as closely as we know: the
    // moment a sleep ended on input, else the last moment SDL was seen empty.
    double arrivedMs_ = 0;
    double polledMs_ = -1e9;                  // when SDL last read the connection
    std::array<SdlCursorHandle, 5> cursors_;  // indexed by scene::TCursor
    SDL_Cursor* shown_ = nullptr;
    std::vector<int> windows_;  // open windows, oldest first
    // Made hidden ahead of time, for the first CreateWindow with its options.
    std::unique_ptr<SdlWindow> ahead_;
    scene::WindowOptions aheadOptions_;
    int textInputUsers_ = 0;
    std::vector<SdlWindow*> heldBack_;  // windows whose last present waits for a buffer
};

SdlPlatform::SdlPlatform() {
    wait_.CatchQuitSignals();
    // Text input starts off and follows the windows' requests.
    SDL_StopTextInput();
    CreateCursors();
}

void SdlPlatform::CreateCursors() {
    // Video drivers without pointer shapes give none; the pointer then keeps its shape.
    auto make = [](SDL_SystemCursor id) { return SdlCursorHandle(SDL_CreateSystemCursor(id)); };
    cursors_[static_cast<int>(scene::TCursor::crDefault)] = make(SDL_SYSTEM_CURSOR_ARROW);
    cursors_[static_cast<int>(scene::TCursor::crArrow)] = make(SDL_SYSTEM_CURSOR_ARROW);
    cursors_[static_cast<int>(scene::TCursor::crHandPoint)] = make(SDL_SYSTEM_CURSOR_HAND);
    cursors_[static_cast<int>(scene::TCursor::crIBeam)] = make(SDL_SYSTEM_CURSOR_IBEAM);
    cursors_[static_cast<int>(scene::TCursor::crCross)] = make(SDL_SYSTEM_CURSOR_CROSSHAIR);
}

double SdlPlatform::NowMs() { return static_cast<double>(SDL_GetPerformanceCounter() - start_) / ticksPerMs_; }

bool SdlPlatform::WaitEvent(scene::InputEvent& out, double deadlineMs) {
    SDL_Event ev{};
    while (NextSdlEvent(ev, deadlineMs)) {
        if (ev.type == SDL_MOUSEMOTION) CoalesceMotion(ev);
        if (ev.type == SDL_KEYMAPCHANGED) rightAltIsAltGr_ = RightAltIsAltGr();
        if (ev.type == SDL_WINDOWEVENT && ev.window.event == SDL_WINDOWEVENT_MOVED) {
            if (SdlWindow* window = SdlWindow::Of(ev.window.windowID)) FollowOutput(*window, WindowMoved::Yes);
        }
        TranslateContext ctx{NowMs(), SDL_GetTicks(),  windows_.empty() ? 0 : windows_.front(), PointScaleOf(ev),
                             {},      rightAltIsAltGr_};
        // Whether a chord types tells AltGr from Alt; SDL queues the text behind its key.
        if (ev.type == SDL_KEYDOWN) ctx.followingText = FollowingText();
        if (TranslateEvent(ev, ctx, out)) {
            // SDL dates events in whole milliseconds, when it takes them in.
            out.timeMs = arrivedMs_;
            return true;
        }
    }
    return false;
}

// Never waits inside SDL. While SDL's X11 backend waits with a window open, every
// event it queues (the close request among them) sends that window a wake-up over
// a second X connection; when the window is destroyed before the server gets to
// it, Xlib ends the program on the BadWindow error. So SDL is only polled, and
// between polls the loop sleeps on the display connection until the deadline
// or Wake(). A signal that SDL turns into a quit ends the sleep too.
bool SdlPlatform::NextSdlEvent(SDL_Event& ev, double deadlineMs) {
    for (;;) {
        if (wait_.TakeQuitSignal()) {
            // Queued from this thread, as SDL itself would on its next poll.
            SDL_Event quit{};
            quit.type = SDL_QUIT;
            SDL_PushEvent(&quit);
        }
        const double looked = NowMs();
        if (PollSdl(ev)) return true;
        // The poll read the compositor's buffer releases and news of its outputs
        // too, if any came.
        PresentHeldBack();
        for (const int id : windows_) {
            if (SdlWindow* window = SdlWindow::Of(static_cast<Uint32>(id))) FollowOutput(*window, WindowMoved::No);
        }
        arrivedMs_ = looked;
        const double now = NowMs();
        if (!(deadlineMs > now)) return false;
        if (wait_.TakeWake()) return false;
        // The input method reaches SDL over a bus of its own, not the display's
        // socket: while text is typed, and without the socket, SDL is polled
        // every beat. Otherwise the loop sleeps until it has work.
        const bool pollEveryBeat = !wait_.WatchesDisplay() || textInputUsers_ > 0;
        const double slice = pollEveryBeat ? std::min(deadlineMs - now, scene::kClockBeatMs) : deadlineMs - now;
        const DisplayWait::Woke woke = wait_.Sleep(slice);
        // A sleep on the socket that ended without input saw nothing arrive;
        // a sleep without the socket knows nothing of when input came.
        if (woke == DisplayWait::Woke::Input || wait_.WatchesDisplay()) arrivedMs_ = NowMs();
        if (woke == DisplayWait::Woke::Wake) {
            wait_.TakeWake();
            return false;
        }
    }
}

// Every poll of SDL reads the display's socket a dozen times over, mostly to
// find it empty, and the loop looks for input several times a beat (before each
// tick and repaint). So SDL is polled only when it may have something: an event
// it queued itself, bytes on the socket or events Xlib read with a reply. Once a
// beat it is polled all the same for what it does on time alone (a focus change
// it holds back), and always while text is typed (the input method's bus).
bool SdlPlatform::PollSdl(SDL_Event& ev) {
    const double now = NowMs();
    if (textInputUsers_ == 0 && now - polledMs_ < scene::kClockBeatMs &&
        SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT) == SDL_FALSE && !wait_.MayHaveInput()) {
        return false;
    }
    polledMs_ = now;
    return SDL_PollEvent(&ev) == 1;
}

void SdlPlatform::Wake() { wait_.Wake(); }

void SdlPlatform::MakeWindowAhead(const scene::WindowOptions& options) {
    ahead_.reset();
    try {
        auto window = std::make_unique<SdlWindow>(static_cast<WindowHost&>(*this), options);
        window->TouchFrame();
        ahead_ = std::move(window);
        aheadOptions_ = options;
    } catch (const std::exception&) {
        // CreateWindow tries again and reports what fails.
    }
}

std::unique_ptr<scene::PlatformWindow> SdlPlatform::CreateWindow(const scene::WindowOptions& options) {
    // A window made ahead for other options goes unused.
    std::unique_ptr<SdlWindow> window = std::move(ahead_);
    if (!window || !(aheadOptions_ == options))
        window = std::make_unique<SdlWindow>(static_cast<WindowHost&>(*this), options);
    wait_.WatchDisplayOf(SDL_GetWindowFromID(static_cast<Uint32>(window->Id())));
    windows_.push_back(window->Id());
    return window;
}

void SdlPlatform::WindowClosed(int id) {
    std::erase(windows_, id);
    std::erase_if(heldBack_, [id](SdlWindow* w) { return w->Id() == id; });
}

void SdlPlatform::FrameHeldBack(SdlWindow& window) {
    if (std::find(heldBack_.begin(), heldBack_.end(), &window) == heldBack_.end()) heldBack_.push_back(&window);
}

void SdlPlatform::PresentHeldBack() {
    std::erase_if(heldBack_, [](SdlWindow* w) { return w->PresentHeldBack(); });
}

// A window drawn at a new scale has a new frame, which the toolkit composes
// again on the Exposed event that SDL translates.
void SdlPlatform::FollowOutput(SdlWindow& window, WindowMoved moved) {
    if (!window.FollowOutput(moved)) return;
    SDL_Event exposed{};
    exposed.type = SDL_WINDOWEVENT;
    exposed.window.event = SDL_WINDOWEVENT_EXPOSED;
    exposed.window.windowID = static_cast<Uint32>(window.Id());
    SDL_PushEvent(&exposed);
}

int SdlPlatform::PointScaleOf(const SDL_Event& ev) const {
    Uint32 id = 0;
    if (ev.type == SDL_MOUSEMOTION) id = ev.motion.windowID;
    if (ev.type == SDL_MOUSEBUTTONDOWN || ev.type == SDL_MOUSEBUTTONUP) id = ev.button.windowID;
    const SdlWindow* window = id != 0 ? SdlWindow::Of(id) : nullptr;
    return window != nullptr ? window->PointScale() : pointScale_;
}

std::string SdlPlatform::ClipboardText() {
    char* text = SDL_GetClipboardText();
    if (text == nullptr) return {};
    std::string copy(text);
    SDL_free(text);
    return copy;
}

void SdlPlatform::SetClipboardText(const std::string& utf8) { SDL_SetClipboardText(utf8.c_str()); }

std::unique_ptr<scene::AudioOut> SdlPlatform::OpenAudio(scene::AudioRender render) { return OpenSdlAudio(render); }

void SdlPlatform::SelectCursor(scene::TCursor cursor) {
    SDL_Cursor* wanted = cursors_[static_cast<int>(cursor)].get();
    if (wanted == nullptr || wanted == shown_) return;
    shown_ = wanted;
    SDL_SetCursor(wanted);
}

void SdlPlatform::RequestTextInput(int delta) {
    const int before = textInputUsers_;
    textInputUsers_ = std::max(0, textInputUsers_ + delta);
    if (before == 0 && textInputUsers_ > 0) SDL_StartTextInput();
    if (before > 0 && textInputUsers_ == 0) SDL_StopTextInput();
}

}  // namespace

std::unique_ptr<scene::Platform> CreateSdlPlatform() { return std::make_unique<SdlPlatform>(); }

void PrepareSdlEnvironment() {
    UseComposeCache();
    UseXkbGuard();
}

}  // namespace platform
