// SDL 2.26's Wayland driver updates its keyboard state on wl_keyboard.modifiers
// without asking whether a keymap has come yet, and sway sends enter and
// modifiers before any keymap when the seat's keyboard used last has gone (as
// after any wtype run): the game died of SIGSEGV at start. The system's SDL
// calls libxkbcommon through the dynamic linker, so the game's own definitions
// of the two calls that meet a missing keymap come first: they ignore a null
// state or keymap, and otherwise hand on to libxkbcommon. SDL takes the keymap
// when it comes, and with it a state of its own.
#pragma once

namespace platform {

// Keeps the definitions in the program: nothing else of the game calls them.
void UseXkbGuard();

}  // namespace platform
