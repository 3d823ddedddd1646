// The floor that the game's start and idle are measured against: a bare SDL
// program that opens a window of the game's size, fills its frame with one
// memset (white), presents it once, and then waits for events in SDL until its
// window is closed or it is told to end. It draws through the window's surface
// as the game does. Used by scripts/startup_time.sh and scripts/idle_cpu.sh.
#include <SDL.h>

#include <cstdio>
#include <cstring>

int main(int, char**) {
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "sdl_floor: %s\n", SDL_GetError());
        return 1;
    }
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
    while (SDL_WaitEvent(&event) == 1) {
        if (event.type == SDL_QUIT) break;
        if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE) break;
    }
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
