// A Wayland window's pixels in shared-memory buffers of the game's own. SDL's
// Wayland driver has no window surface of its own: SDL_GetWindowSurface goes
// through a GL texture that is uploaded, drawn and swapped whole every frame.
// Here the toolkit composes into a frame in memory, and presenting copies only
// the changed rectangles into a buffer the compositor is not reading, and tells
// it only of those.
#pragma once

#include <memory>
#include <vector>

#include <SDL.h>

#include "scene/Platform.h"

namespace platform {

// Whether SDL moved the window, as it does when the window enters or leaves an output.
enum class WindowMoved { No, Yes };

class WaylandFrame {
public:
    // Null unless the window is a Wayland one and its compositor shares memory.
    // With a scale above 1 the window takes that many of its frame's pixels a
    // point: the compositor shows them one to one on an output of that scale.
    // The scale is a first guess, until the window is on an output.
    static std::unique_ptr<WaylandFrame> For(SDL_Window* window, int scale);
    ~WaylandFrame();
    WaylandFrame(const WaylandFrame&) = delete;
    WaylandFrame& operator=(const WaylandFrame&) = delete;

    // The frame, as large as the window's pixels; after a change of size a new
    // one, whose content the toolkit composes again.
    scene::FrameBuffer Frame();
    // Shows the frame's changed rectangles, with those of presents held back
    // before, or the whole frame when the compositor has not been shown it
    // since the window was last shown. Never waits for the compositor: false
    // when it holds every buffer, and then the rectangles wait for the next
    // present (an empty one will do) once a buffer has come back.
    bool Present(const std::vector<SDL_Rect>& changed);

    // Frame pixels a point of the window.
    int PointScale() const;
    // Takes the scale of the output the window is on, once SDL has put it on
    // one, when SDL moves it and whenever an output's scale changes. True when
    // the scale changed: the frame is then a new one, to be composed again.
    bool FollowOutput(WindowMoved moved);

private:
    struct Impl;
    explicit WaylandFrame(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform
