#include "platform/sdl/WaylandOutputScale.h"

#include <SDL.h>

#if defined(SWOOPY_HAVE_WAYLAND) && defined(SDL_VIDEO_DRIVER_WAYLAND)
#include <wayland-client.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>
#endif

namespace platform {

#if defined(SWOOPY_HAVE_WAYLAND) && defined(SDL_VIDEO_DRIVER_WAYLAND)

namespace {

struct Outputs {
    std::vector<wl_output*> outputs;
    int scale = 1;
};
void OutputGeometry(void*, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                    const char*, const char*, std::int32_t) {}
void OutputMode(void*, wl_output*, std::uint32_t, std::int32_t, std::int32_t, std::int32_t) {}
void OutputDone(void*, wl_output*) {}
void OutputScale(void* data, wl_output*, std::int32_t factor) {
    auto* o = static_cast<Outputs*>(data);
    o->scale = std::max(o->scale, static_cast<int>(factor));
}
// Bound at version 2: the later events (name, description) never come.
const wl_output_listener kOutputListener = [] {
    wl_output_listener l{};
    l.geometry = OutputGeometry;
    l.mode = OutputMode;
    l.done = OutputDone;
    l.scale = OutputScale;
    return l;
}();

void OutputGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t version) {
    if (std::strcmp(interface, wl_output_interface.name) != 0 || version < 2) return;
    auto* o = static_cast<Outputs*>(data);
    auto* output = static_cast<wl_output*>(wl_registry_bind(registry, name, &wl_output_interface, 2));
    wl_output_add_listener(output, &kOutputListener, o);
    o->outputs.push_back(output);
}
void GlobalRemoved(void*, wl_registry*, std::uint32_t) {}
const wl_registry_listener kOutputRegistryListener{OutputGlobal, GlobalRemoved};

}  // namespace

int WaylandOutputScale() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr || std::strcmp(driver, "wayland") != 0) return 0;
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) return 0;
    Outputs o;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &kOutputRegistryListener, &o);
    // The first round binds the outputs, the second brings their scales.
    wl_display_roundtrip(display);
    wl_display_roundtrip(display);
    for (wl_output* output : o.outputs) wl_output_destroy(output);
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return o.scale;
}

#else

int WaylandOutputScale() { return 0; }

#endif

}  // namespace platform
