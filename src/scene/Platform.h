// The one interface between the toolkit and the machine: a clock, input events,
// top-level windows with a frame to compose into, the clipboard and audio out.
// The SDL backend implements it for the game, the headless backend for tests.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "scene/DisplayScale.h"
#include "scene/Types.h"

namespace scene {

// Keys other than printable characters; printable keys use their lower-case ASCII code.
enum Key : int {
    kUnknown = 0,
    kReturn = 0x10000,
    kEscape,
    kTab,
    kBackspace,
    kDelete,
    kLeft,
    kRight,
    kUp,
    kDown,
    kHome,
    kEnd,
    kSpace,
    kF4,
    kF11,
    kPause
};

// AltGr is the right Alt where the keyboard types with it: a typing key, never Alt.
enum KeyMod : unsigned { kmShift = 1, kmCtrl = 2, kmAlt = 4, kmAltGr = 8 };

// The platform clock's beat, 64 a second: timers tick on it, and a loop that
// waits looks at work posted from other threads at least this often.
constexpr double kClockBeatMs = 1000.0 / 64;

enum class EventKind {
    MouseMove,
    MouseDown,
    MouseUp,
    KeyDown,
    KeyUp,
    TextInput,     // text holds UTF-8 typed by the player
    CloseRequest,  // the window's close box or the platform's close keystroke
    FocusGained,
    FocusLost,
    Exposed,      // the platform lost the window's pixels; everything must be presented again
    PointerLeft,  // the pointer left the window's client area (no position)
};

struct InputEvent {
    EventKind kind = EventKind::MouseMove;
    int window = 0;     // id of the top-level window the event belongs to
    double timeMs = 0;  // on the platform clock
    int x = 0, y = 0;   // pointer, client coordinates of that window in device pixels
    TMouseButton button = TMouseButton::mbLeft;
    int key = kUnknown;
    unsigned mods = 0;    // KeyMod bits held at the time
    bool repeat = false;  // a key down the keyboard repeats while the key is held
    std::string text;
};

// 32-bit pixels, 0x00RRGGBB in native byte order (Cairo's RGB24 layout).
struct FrameBuffer {
    std::uint8_t* pixels = nullptr;
    int width = 0, height = 0, stride = 0;
};

// Places and sizes in device pixels: the toolkit scales the layout's own.
struct WindowOptions {
    std::string title;
    int left = 0, top = 0;  // outer top-left corner on the screen; < 0 lets the platform centre it
    int clientWidth = 0, clientHeight = 0;
    int ownerId = 0;                      // a dialog names the window it belongs to
    bool dialog = false;                  // a modal box: no resize, takes the keyboard focus
    std::vector<std::uint32_t> iconArgb;  // optional icon, ARGB pixels
    int iconSize = 0;
    bool operator==(const WindowOptions&) const = default;
};

enum class WindowMode { Windowed, FullScreen };

class PlatformWindow {
public:
    virtual ~PlatformWindow() = default;
    virtual int Id() const = 0;
    // Device pixels a layout pixel of the frame: the presentation scale the
    // window was made at, until the platform moves it to a screen of another
    // pixel density (a Wayland window between monitors of different scales).
    // Then the frame takes its new size and an Exposed event follows.
    virtual DisplayScale Scale() const = 0;
    virtual void Show() = 0;
    // The frame to compose into; its contents stay between frames.
    virtual FrameBuffer Frame() = 0;
    // Puts the listed rectangles of the frame on the screen.
    virtual void Present(const std::vector<TRect>& changed) = 0;
    virtual void SetCursor(TCursor cursor) = 0;
    virtual void StartTextInput() = 0;
    virtual void StopTextInput() = 0;
    // Full screen covers the window's screen without a frame, and the frame
    // takes the screen's size once the platform has made the change; Windowed
    // gives the window back its place and size.
    virtual void SetMode(WindowMode mode) = 0;
};

// Interleaved float samples at the device's rate and channel count.
struct AudioFormat {
    int sampleRate = 22050;
    int channels = 1;
};

// Called on the audio thread (SDL) or the loop thread (headless) to fill `frames` frames.
using AudioRender = std::function<void(float* out, int frames)>;

class AudioOut {
public:
    virtual ~AudioOut() = default;
    virtual AudioFormat Format() const = 0;
};

class Platform {
public:
    virtual ~Platform() = default;

    // Monotonic milliseconds.
    virtual double NowMs() = 0;
    // Waits until an input event arrives, the clock reaches deadlineMs or Wake() is
    // called, whichever is first; deadlineMs <= NowMs() only polls, and a poll
    // leaves a wake-up for the next wait. Returns false when no event came.
    virtual bool WaitEvent(InputEvent& out, double deadlineMs) = 0;
    // Thread-safe: makes the running or the next wait return within one beat, so
    // posted work runs. It never calls into the windowing system.
    virtual void Wake() = 0;

    // How large new windows present the layout: the device pixels of a layout
    // pixel. Windows, frames and pointer positions are in device pixels.
    virtual DisplayScale PresentationScale() { return {}; }
    virtual std::unique_ptr<PlatformWindow> CreateWindow(const WindowOptions& options) = 0;
    // Makes, hidden, the window that a later CreateWindow with the same options
    // hands over, and touches its frame's memory: done while the program readies
    // other things, showing it later costs less. A failure here is left for
    // CreateWindow to meet and report. A platform may make nothing ahead.
    virtual void MakeWindowAhead(const WindowOptions& /*options*/) {}

    virtual std::string ClipboardText() = 0;
    virtual void SetClipboardText(const std::string& utf8) = 0;

    // Opens the audio output; never fails: without a device the output is silent
    // but still consumes samples in real time.
    virtual std::unique_ptr<AudioOut> OpenAudio(AudioRender render) = 0;
};

}  // namespace scene
