// The compositor's outputs as a Wayland client sees them: each one's
// description and whole scale, kept up to date while the program runs (a
// monitor plugged in, its scale changed in the desktop's settings), and the
// choice of the scale a window presents at from the output it is on.
#pragma once

#include <memory>
#include <string>
#include <vector>

struct wl_display;
struct wl_event_queue;

namespace platform {

struct OutputSeen {
    std::string description;  // as the compositor describes it, e.g. "Dell U2720Q (DP-1)"
    int scale = 1;
    bool operator==(const OutputSeen&) const = default;
};

// Device pixels a point for a window on the output SDL describes as
// `windowOutput` (empty while it knows of none): that output's scale. When no
// output of ours has that description, the only output there is decides, and
// among several the largest scale, sharp wherever the window is (so too among
// outputs described alike). With no output known at all the window keeps
// `current`.
int ChooseOutputScale(const std::vector<OutputSeen>& outputs, const std::string& windowOutput, int current);

class WaylandOutputs {
public:
    // Binds every output the compositor has and will have; their events come
    // on `queue`, or on the display's own queue when that is null. Does nothing
    // in a build without Wayland.
    WaylandOutputs(wl_display* display, wl_event_queue* queue);
    ~WaylandOutputs();
    WaylandOutputs(const WaylandOutputs&) = delete;
    WaylandOutputs& operator=(const WaylandOutputs&) = delete;

    // The outputs whose description and scale have come in whole, in the order
    // the compositor announced them.
    std::vector<OutputSeen> Seen() const;
    // True once after an output came, went or changed its scale or description.
    bool TakeChanged();

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform
