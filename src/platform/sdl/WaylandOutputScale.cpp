#include "platform/sdl/WaylandOutputScale.h"

#include <SDL.h>

#include <cstring>

#include "platform/sdl/WaylandOutputs.h"

#if defined(SWOOPY_HAVE_WAYLAND) && defined(SDL_VIDEO_DRIVER_WAYLAND)
#include <wayland-client.h>
#endif

namespace platform {

#if defined(SWOOPY_HAVE_WAYLAND) && defined(SDL_VIDEO_DRIVER_WAYLAND)

int WaylandOutputScale() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr || std::strcmp(driver, "wayland") != 0) return 0;
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) return 0;
    int scale = 1;
    {
        WaylandOutputs outputs(display, nullptr);
        // The first round binds the outputs, the second brings their scales.
        wl_display_roundtrip(display);
        wl_display_roundtrip(display);
        scale = ChooseOutputScale(outputs.Seen(), "", 1);
    }
    wl_display_disconnect(display);
    return scale;
}

#else

int WaylandOutputScale() { return 0; }

#endif

}  // namespace platform
