// How large the game presents itself on this desktop. On X11, in pixels: the
// first source that says anything decides: SWOOPY_SCALE (a factor from 1 to 4,
// e.g. 1.5), then the desktop's own setting (a SWOOPY_SCALE outside 1 to 4 is
// reported and left out): GDK_SCALE, the X resource Xft.dpi, the display's
// density as SDL reports it. Densities count against 96 per inch; every factor
// is rounded to a quarter step and held within 1 to 4. Nothing at all means 1.
// On Wayland, in the compositor's points: SWOOPY_SCALE, else 1; the density is
// the compositor's business, and each window draws as many pixels a point as
// the output it is on takes (WaylandFrame).
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "scene/DisplayScale.h"

namespace platform {

struct ScaleSources {
    const char* swoopyScale = nullptr;  // environment values, null when unset
    const char* gdkScale = nullptr;
    // Asked only when everything before them said nothing.
    std::function<std::optional<double>()> xftDpi;
    std::function<std::optional<double>()> displayDpi;
    bool wayland = false;  // sizes in points: the desktop's settings are left to the compositor
    // Told, once, why a SWOOPY_SCALE that is set was not taken.
    std::function<void(const std::string&)> report;
};

scene::DisplayScale ChooseDisplayScale(const ScaleSources& sources);

// This desktop's sources; needs SDL's video started.
scene::DisplayScale DesktopDisplayScale();

}  // namespace platform
