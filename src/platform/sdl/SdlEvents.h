// Translation of SDL's events into the toolkit's input events. This is the one
// place that reads an SDL_Event; everything above it sees only scene::InputEvent.
#pragma once

#include <SDL.h>

#include <string>

#include "scene/Platform.h"

namespace platform {

// What a translation needs to know beyond the event itself.
struct TranslateContext {
    double nowMs = 0;     // the platform clock at translation time
    Uint32 nowTicks = 0;  // SDL_GetTicks() at the same moment, to date the event
    int mainWindow = 0;   // receives the close request of a quit
    int pointScale = 1;   // device pixels a point of the pointer's position (Wayland's output scale)
    // For a key down: the text SDL queued right behind it, typed by that key.
    std::string followingText;
    // The keymap makes the right Alt AltGr (a level-three shift), though SDL
    // still calls it the right Alt.
    bool rightAltIsAltGr = false;
};

// Whether this desktop's keymap makes the right Alt AltGr; needs SDL's video started.
bool RightAltIsAltGr();

// Printable keys become their lower-case ASCII code, the rest scene::Key values.
int TranslateKey(SDL_Keycode sym);
unsigned TranslateMods(Uint16 sdlMods);

// Fills `out` and returns true when the event means something to the toolkit.
bool TranslateEvent(const SDL_Event& ev, const TranslateContext& ctx, scene::InputEvent& out);

// The text of a text input queued right behind the event just taken, empty
// when the next event is something else.
std::string FollowingText();

// `ev` is a motion event just taken from the queue: swallows the motion events
// queued right behind it for the same window and leaves the latest in `ev`.
void CoalesceMotion(SDL_Event& ev);

}  // namespace platform
