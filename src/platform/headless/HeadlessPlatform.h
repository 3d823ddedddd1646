// The platform for tests: a virtual clock, scripted input, windows that keep their
// frames in memory, an in-memory clipboard and an audio output rendered as the
// clock advances. Nothing here waits on real time or touches a device.
//
// Clock. NowMs() starts at 0 and moves only forward, inside WaitEvent (to the
// next scripted event's time or to the deadline, whichever is first) or by
// Advance()/AdvanceTo(). WaitEvent throws std::logic_error when it would have to
// wait for ever (no deadline, no scripted event, no WhenIdle hook that adds one).
//
// Scripted input. Each helper queues events at the script time, which is the
// later of NowMs() and the time set by ScriptAt()/ScriptAfter(). Events come out
// in time order, then in the order they were queued. Like the SDL backend,
// MouseMove events for the same window that are due together come out as one,
// the latest. Events address a window by id, or kMainWindow (the first non-dialog
// window still open) or kTopDialog (the newest dialog still open), resolved when
// the event is taken; an event whose window does not exist then keeps id 0.
//
// Scale. Windows present at PresentationScale(), 1 unless SetPresentationScale()
// says otherwise: their frames, pixels and scripted pointer positions are in
// device pixels, DevicePoint() turns a layout position into one.
// ChangeWindowScale() moves a window to a screen of another density, as a
// Wayland window between monitors of different scales.
//
// Audio. OpenAudio() returns an output of AudioFormatUsed() (22050 Hz mono by
// default). While it is open, every advance of the clock calls its render
// callback synchronously, in blocks of kAudioBlockFrames frames, for every whole
// block of time that has passed since it opened; RenderedAudio() holds what the
// callback produced (interleaved floats). WaitEvent moves the clock one block at a
// time and returns as soon as a block woke the loop, so notices posted by the
// audio output run right after the block that produced them.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "scene/Platform.h"

namespace platform {

constexpr int kMainWindow = 0;
constexpr int kTopDialog = -1;

// What the headless platform knows of one window it made; kept after the window closes.
struct HeadlessWindowState {
    int id = 0;
    scene::WindowOptions options;
    scene::DisplayScale scale;                  // device pixels a layout pixel of its frame
    int windowedWidth = 0, windowedHeight = 0;  // the frame out of full screen
    bool alive = true;
    bool shown = false;
    std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, width per row
    int width = 0, height = 0;          // the frame: the client area, or the screen in full screen
    scene::WindowMode mode = scene::WindowMode::Windowed;
    int presents = 0;                         // Present calls
    std::vector<scene::TRect> lastPresented;  // rectangles of the latest Present
    std::vector<scene::TRect> presented;      // every rectangle presented, in order
    scene::TCursor cursor = scene::TCursor::crDefault;
    int cursorChanges = 0;   // SetCursor calls
    bool textInput = false;  // between StartTextInput and StopTextInput
};

class HeadlessPlatform : public scene::Platform {
public:
    static constexpr int kAudioBlockFrames = 256;

    HeadlessPlatform();
    ~HeadlessPlatform() override;
    HeadlessPlatform(const HeadlessPlatform&) = delete;
    HeadlessPlatform& operator=(const HeadlessPlatform&) = delete;

    // ---- Platform ----
    double NowMs() override { return nowMs_; }
    bool WaitEvent(scene::InputEvent& out, double deadlineMs) override;
    void Wake() override { woken_ = true; }
    scene::DisplayScale PresentationScale() override { return scale_; }
    std::unique_ptr<scene::PlatformWindow> CreateWindow(const scene::WindowOptions& options) override;
    std::string ClipboardText() override { return clipboard_; }
    void SetClipboardText(const std::string& utf8) override { clipboard_ = utf8; }
    std::unique_ptr<scene::AudioOut> OpenAudio(scene::AudioRender render) override;

    // ---- Clock ----
    // Moves the clock forward, rendering audio on the way; delivers no events.
    void Advance(double ms) { AdvanceTo(nowMs_ + ms); }
    void AdvanceTo(double ms);

    // ---- Scripted input ----
    void ScriptAt(double ms) { scriptMs_ = ms; }
    // Later events come ms after the script time (or after now, if that is later).
    void ScriptAfter(double ms);
    double ScriptTime() const;
    void MouseMove(int x, int y, int window = kMainWindow);
    void MouseDown(int x, int y, scene::TMouseButton button = scene::TMouseButton::mbLeft, int window = kMainWindow);
    void MouseUp(int x, int y, scene::TMouseButton button = scene::TMouseButton::mbLeft, int window = kMainWindow);
    // A press and a release at one point and instant.
    void Click(int x, int y, int window = kMainWindow);
    // KeyDown then KeyUp. Printable keys are their lower-case ASCII code. No text
    // comes of it: use Type() for characters.
    void Key(int key, unsigned mods = 0, int window = kMainWindow);
    // One TextInput event carrying utf8.
    void Type(const std::string& utf8, int window = kMainWindow);
    // The window's close box.
    void Close(int window = kMainWindow);
    void Expose(int window = kMainWindow);
    void LeaveWindow(int window = kMainWindow);
    // Any event; its timeMs is replaced by the script time.
    void Push(scene::InputEvent ev);
    std::size_t PendingEvents() const { return queue_.size(); }
    void DropPendingEvents() { queue_.clear(); }
    // Called when WaitEvent finds nothing due and would move the clock; it may
    // script input (which WaitEvent then considers) or look at the program's state.
    std::function<void()> WhenIdle;

    // ---- Windows ----
    // For windows made from now on.
    void SetPresentationScale(scene::DisplayScale scale) { scale_ = scale; }
    // The window as on a screen of another density: its scale and windowed
    // frame size change (the frame made anew), and an Exposed event is scripted.
    void ChangeWindowScale(scene::DisplayScale scale, int width, int height, int window = kMainWindow);
    // The screen a full-screen window covers; 1920 x 1080 unless set.
    void SetScreenSize(int width, int height);
    // A desktop that will not go full screen: SetMode throws std::runtime_error.
    void RefuseFullScreen(bool refuse) { *fullScreenRefused_ = refuse; }
    // The first device pixel of a layout position, where a pointer hits what
    // lies at that layout position.
    int DevicePoint(int layout) const { return scale_.ToDevice(layout); }
    // When set and true for the options asked for, CreateWindow fails as a
    // platform out of windows would, with std::runtime_error.
    std::function<bool(const scene::WindowOptions&)> RefuseWindow;
    int MainWindowId() const;            // 0 when none is open
    int TopDialogId() const;             // 0 when none is open
    std::vector<int> WindowIds() const;  // every window ever made, in order
    // Throws std::out_of_range for an unknown id.
    const HeadlessWindowState& Window(int id) const;
    HeadlessWindowState& Window(int id);
    scene::Rgb Pixel(int id, int x, int y) const;
    // Writes the window's frame as a PNG picture; false when that fails.
    bool SavePng(int id, const std::string& path) const;

    // ---- Audio ----
    void SetAudioFormat(scene::AudioFormat f) { audioFormat_ = f; }
    scene::AudioFormat AudioFormatUsed() const { return audioFormat_; }
    int AudioOutputsOpened() const { return static_cast<int>(audio_.size()); }
    // What the output opened index-th (default: the latest) has rendered so far.
    const std::vector<float>& RenderedAudio(int index = -1) const;
    void ClearRenderedAudio();

    struct AudioState;

private:
    bool TakeDue(scene::InputEvent& out);
    int Resolve(int window) const;
    void RenderAudio();
    double NextAudioBlockMs() const;
    void QueueMouse(scene::EventKind kind, int x, int y, scene::TMouseButton button, int window);

    double nowMs_ = 0;
    double scriptMs_ = 0;
    scene::DisplayScale scale_;
    std::shared_ptr<std::pair<int, int>> screen_ = std::make_shared<std::pair<int, int>>(1920, 1080);
    std::shared_ptr<bool> fullScreenRefused_ = std::make_shared<bool>(false);
    std::atomic<bool> woken_{false};
    bool inIdleHook_ = false;
    std::deque<scene::InputEvent> queue_;
    std::vector<std::shared_ptr<HeadlessWindowState>> windows_;
    std::string clipboard_;
    scene::AudioFormat audioFormat_;
    std::vector<std::shared_ptr<AudioState>> audio_;
};

}  // namespace platform
