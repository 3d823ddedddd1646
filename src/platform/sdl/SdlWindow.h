// A top-level SDL window whose surface the toolkit composes into directly, so
// presenting a frame is one copy of the changed rectangles to the display (on
// Wayland, into buffers of the window's own: WaylandFrame).
#pragma once

#include <string>
#include <vector>

#include "platform/sdl/SdlHandles.h"
#include "platform/sdl/WaylandFrame.h"
#include "scene/Platform.h"

namespace platform {

class SdlWindow;

// What a window asks of the platform that made it.
class WindowHost {
public:
    virtual ~WindowHost() = default;
    virtual void SelectCursor(scene::TCursor cursor) = 0;
    virtual void RequestTextInput(int delta) = 0;  // +1 wants typed text, -1 no longer
    virtual void WindowClosed(int id) = 0;
    // Device pixels a point of a new window takes: a guess at Wayland's output
    // scale, else 1. A shown window follows its output's (SdlWindow::PointScale).
    virtual int PointScale() const = 0;
    // Points a layout pixel: the presentation scale over the pixels a point.
    virtual scene::DisplayScale SizeScale() const = 0;
    // The window's last present waits for the compositor to give a buffer back:
    // the loop calls PresentHeldBack after each read of the connection until it
    // is done or the window closes.
    virtual void FrameHeldBack(SdlWindow& window) = 0;
};

enum class TextInput { Off, On };

class SdlWindow final : public scene::PlatformWindow {
public:
    // Throws std::runtime_error naming SDL's reason when the window cannot be made.
    SdlWindow(WindowHost& host, const scene::WindowOptions& options);
    ~SdlWindow() override;
    SdlWindow(const SdlWindow&) = delete;
    SdlWindow& operator=(const SdlWindow&) = delete;

    // The SdlWindow that made an SDL window, null for any other.
    static SdlWindow* Of(Uint32 windowId);

    int Id() const override { return id_; }
    scene::DisplayScale Scale() const override { return host_.SizeScale().Times(PointScale()); }
    // Device pixels a point of this window: its Wayland output's scale, else 1.
    int PointScale() const { return wayland_ ? wayland_->PointScale() : 1; }
    // See WaylandFrame::FollowOutput.
    bool FollowOutput(WindowMoved moved) { return wayland_ && wayland_->FollowOutput(moved); }
    void Show() override;
    scene::FrameBuffer Frame() override;
    // Writes the whole frame once, so that its memory is in place (and shared with
    // the display) before the first frame is composed into it.
    void TouchFrame();
    void Present(const std::vector<scene::TRect>& changed) override;
    // True once nothing is held back any more.
    bool PresentHeldBack();
    void SetCursor(scene::TCursor cursor) override;
    void StartTextInput() override;
    void StopTextInput() override;
    void SetMode(scene::WindowMode mode) override;

private:
    void SetIcon(const scene::WindowOptions& options);
    void PlaceOuterCorner();
    SDL_Surface* Surface();
    void SetTextInput(TextInput wanted);

    WindowHost& host_;
    scene::WindowOptions spec_;
    SdlWindowHandle window_;
    int id_ = 0;
    // Only when the window's surface is not laid out like Cairo's RGB24: the
    // toolkit composes here and Present converts the changed rectangles.
    SdlSurfaceHandle shadow_;
    // On Wayland the frame lives in buffers of our own instead of the window's surface.
    std::unique_ptr<WaylandFrame> wayland_;
    TextInput textInput_ = TextInput::Off;
};

}  // namespace platform
