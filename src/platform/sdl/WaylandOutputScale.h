// The scale a Wayland compositor asks of its outputs, probed before the first
// window exists: the first guess at the pixels a point of a window takes,
// until the window is on an output and follows it (WaylandFrame).
#pragma once

namespace platform {

// The largest whole scale among the compositor's outputs, asked over a
// connection of its own; 0 when SDL's video driver is not Wayland's.
int WaylandOutputScale();

}  // namespace platform
