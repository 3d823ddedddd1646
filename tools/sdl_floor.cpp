// The floor that the game's start and idle are measured against: a bare SDL
// program that opens a window of the game's size, fills its frame with one
// memset (white), presents it once, and then waits for events in SDL until its
// window is closed or it is told to end. It draws through the window's surface
// as the game does. Used by scripts/startup_time.sh and scripts/idle_cpu.sh.
//
// With --beat it is the floor of a played minute (scripts/play_cpu.sh): 64 times
// a second, nine mover-sized boxes move on, and each box's old and new place is
// filled (one memset a row) and presented, as the game presents its movers;
// between beats it waits for events in SDL.
#include <SDL.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr int kMovers = 9, kMoverSize = 65, kStep = 4;
constexpr double kBeatMs = 1000.0 / 64;

// One beat: every box moves kStep pixels along its own diagonal, bouncing off the
// frame's edges, and the union of its old and new place is filled and presented.
void Beat(SDL_Window* window, SDL_Surface* surface, int beat) {
    std::vector<SDL_Rect> rects;
    for (int i = 0; i < kMovers; ++i) {
        const int spanX = surface->w - kMoverSize - kStep, spanY = surface->h - kMoverSize - kStep;
        const auto bounce = [](int v, int span) {
            v = (v % (2 * span) + 2 * span) % (2 * span);
            return v < span ? v : 2 * span - v;
        };
        const int x = bounce(i * 97 + beat * kStep, spanX);
        const int y = bounce(i * 53 + beat * kStep * (i % 2 ? 1 : -1), spanY);
        rects.push_back({x, y, kMoverSize + kStep, kMoverSize + kStep});
    }
    const auto colour = static_cast<std::uint8_t>(beat & 0xFF);
    for (const SDL_Rect& r : rects)
        for (int y = r.y; y < r.y + r.h; ++y)
            std::memset(
                static_cast<std::uint8_t*>(surface->pixels) + static_cast<std::ptrdiff_t>(y) * surface->pitch + r.x * 4,
                colour, static_cast<std::size_t>(r.w) * 4);
    SDL_UpdateWindowSurfaceRects(window, rects.data(), static_cast<int>(rects.size()));
}

}  // namespace

int main(int argc, char** argv) {
    const bool beats = argc > 1 && std::strcmp(argv[1], "--beat") == 0;
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "sdl_floor: %s\n", SDL_GetError());
        return 1;
    }
    // As the game does: X11's own surface where there is one.
    if (std::strcmp(SDL_GetCurrentVideoDriver(), "x11") == 0) SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    SDL_Window* window = SDL_CreateWindow("SDL floor", 192, 112, 1109, 607, 0);
    SDL_Surface* surface = window != nullptr ? SDL_GetWindowSurface(window) : nullptr;
    if (surface == nullptr) {
        std::fprintf(stderr, "sdl_floor: %s\n", SDL_GetError());
        SDL_Quit();
        return 1;
    }
    std::memset(surface->pixels, 0xFF, static_cast<std::size_t>(surface->pitch) * static_cast<std::size_t>(surface->h));
    SDL_UpdateWindowSurface(window);
    SDL_Event event;
    const Uint64 start = SDL_GetPerformanceCounter();
    const double ticksPerMs = static_cast<double>(SDL_GetPerformanceFrequency()) / 1000.0;
    int beat = 0;
    for (;;) {
        int timeout = -1;
        if (beats) {
            const double now = static_cast<double>(SDL_GetPerformanceCounter() - start) / ticksPerMs;
            if (now >= (beat + 1) * kBeatMs) {
                Beat(window, surface, ++beat);
                continue;
            }
            timeout = static_cast<int>((beat + 1) * kBeatMs - now) + 1;
        }
        if (SDL_WaitEventTimeout(&event, timeout) != 1) continue;
        if (event.type == SDL_QUIT) break;
        if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE) break;
    }
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
