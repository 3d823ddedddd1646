// Owning handles for the SDL objects the backend keeps.
#pragma once

#include <memory>

#include <SDL.h>

namespace platform {

struct SdlWindowFree {
    void operator()(SDL_Window* w) const { SDL_DestroyWindow(w); }
};
struct SdlSurfaceFree {
    void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
struct SdlCursorFree {
    void operator()(SDL_Cursor* c) const { SDL_FreeCursor(c); }
};

using SdlWindowHandle = std::unique_ptr<SDL_Window, SdlWindowFree>;
using SdlSurfaceHandle = std::unique_ptr<SDL_Surface, SdlSurfaceFree>;
using SdlCursorHandle = std::unique_ptr<SDL_Cursor, SdlCursorFree>;

}  // namespace platform
