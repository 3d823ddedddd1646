// SDL's Wayland driver gives every window an EGL surface, and so loads the
// system's EGL, Mesa's driver and LLVM (over 50 MB resident) for a game that
// presents through shared-memory buffers of its own. The game carries an EGL of
// its own that makes surfaces and nothing to draw with (surface_egl/) and hands
// it to SDL before the first window is made.
#pragma once

#include <cstddef>
#include <span>

namespace platform {

// Holds the carried EGL as SDL's GL library for its own lifetime. Only under
// SDL's Wayland driver, between SDL_Init and the first window; elsewhere, or if
// the library cannot be loaded, SDL is left to load the system's as it would.
class WaylandEgl {
public:
    WaylandEgl();
    ~WaylandEgl();
    WaylandEgl(const WaylandEgl&) = delete;
    WaylandEgl& operator=(const WaylandEgl&) = delete;

    bool Loaded() const { return loaded_; }

private:
    bool loaded_ = false;
};

// Loads LIBRARY (a shared library's bytes) as SDL's GL library; false, with
// SDL's error set, when it cannot.
bool LoadSdlGlLibrary(std::span<const unsigned char> library);

// The carried EGL's bytes, made at build time.
std::span<const unsigned char> SurfaceOnlyEglLibrary();

}  // namespace platform
