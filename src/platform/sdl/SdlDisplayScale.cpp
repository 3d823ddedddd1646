#include "platform/sdl/SdlDisplayScale.h"

#include <SDL.h>

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <string_view>

#ifdef SWOOPY_HAVE_XLIB
#include <X11/Xlib.h>
#endif

namespace platform {

namespace {

constexpr double kLayoutDpi = 96;

// A positive number, spaces around it allowed; anything else says nothing.
std::optional<double> PositiveNumber(const char* text) {
    if (text == nullptr) return std::nullopt;
    std::string_view s(text);
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (error != std::errc() || end != s.data() + s.size() || s.empty() || !(value > 0)) return std::nullopt;
    return value;
}

std::optional<double> AskDpi(const std::function<std::optional<double>()>& source) {
    if (!source) return std::nullopt;
    const std::optional<double> dpi = source();
    if (!dpi || !(*dpi > 0)) return std::nullopt;
    return dpi;
}

// Xft.dpi as the desktop left it in the X server's resources.
std::optional<double> XftDpi() {
#ifdef SWOOPY_HAVE_XLIB
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr || std::strcmp(driver, "x11") != 0) return std::nullopt;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return std::nullopt;
    std::optional<double> dpi = PositiveNumber(XGetDefault(display, "Xft", "dpi"));
    XCloseDisplay(display);
    return dpi;
#else
    return std::nullopt;
#endif
}

std::optional<double> SdlDpi() {
    float diagonal = 0;
    if (SDL_GetDisplayDPI(0, &diagonal, nullptr, nullptr) != 0) return std::nullopt;
    return diagonal;
}

// The game's own setting is the player's word: taken within 1 to 4, else
// reported, since quietly clamping it would show a size nobody asked for.
std::optional<double> OwnScale(const ScaleSources& sources) {
    if (sources.swoopyScale == nullptr) return std::nullopt;
    const std::optional<double> f = PositiveNumber(sources.swoopyScale);
    if (f && *f >= 1 && *f <= 4) return f;
    if (sources.report)
        sources.report("SWOOPY_SCALE '" + std::string(sources.swoopyScale) +
                       "' is not a factor from 1 to 4; the desktop's scale is used");
    return std::nullopt;
}

}  // namespace

scene::DisplayScale ChooseDisplayScale(const ScaleSources& sources) {
    if (const std::optional<double> f = OwnScale(sources)) return scene::DisplayScale::FromFactor(*f);
    if (sources.wayland) return {};
    if (const std::optional<double> f = PositiveNumber(sources.gdkScale)) return scene::DisplayScale::FromFactor(*f);
    if (const std::optional<double> dpi = AskDpi(sources.xftDpi))
        return scene::DisplayScale::FromFactor(*dpi / kLayoutDpi);
    if (const std::optional<double> dpi = AskDpi(sources.displayDpi))
        return scene::DisplayScale::FromFactor(*dpi / kLayoutDpi);
    return {};
}

scene::DisplayScale DesktopDisplayScale() {
    ScaleSources sources;
    const char* driver = SDL_GetCurrentVideoDriver();
    sources.wayland = driver != nullptr && std::strcmp(driver, "wayland") == 0;
    sources.swoopyScale = std::getenv("SWOOPY_SCALE");
    sources.gdkScale = std::getenv("GDK_SCALE");
    sources.xftDpi = XftDpi;
    sources.displayDpi = SdlDpi;
    sources.report = [](const std::string& why) { std::cerr << "swoopy: " << why << "\n"; };
    return ChooseDisplayScale(sources);
}

}  // namespace platform
