#include "platform/sdl/XkbGuard.h"

#include <dlfcn.h>
#include <xkbcommon/xkbcommon.h>

namespace {

// libxkbcommon's own definition of the call, found past ours.
template <typename Fn>
Fn Next(const char* name) {
    return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" {

enum xkb_state_component xkb_state_update_mask(struct xkb_state* state, xkb_mod_mask_t depressed_mods,
                                               xkb_mod_mask_t latched_mods, xkb_mod_mask_t locked_mods,
                                               xkb_layout_index_t depressed_layout, xkb_layout_index_t latched_layout,
                                               xkb_layout_index_t locked_layout) {
    using Fn = decltype(&xkb_state_update_mask);
    static const Fn next = Next<Fn>("xkb_state_update_mask");
    if (state == nullptr || next == nullptr) return static_cast<xkb_state_component>(0);
    return next(state, depressed_mods, latched_mods, locked_mods, depressed_layout, latched_layout, locked_layout);
}

void xkb_keymap_key_for_each(struct xkb_keymap* keymap, xkb_keymap_key_iter_t iter, void* data) {
    using Fn = decltype(&xkb_keymap_key_for_each);
    static const Fn next = Next<Fn>("xkb_keymap_key_for_each");
    if (keymap == nullptr || next == nullptr) return;
    next(keymap, iter, data);
}

}  // extern "C"

namespace platform {

void UseXkbGuard() {
    // Taking the addresses is enough for the linker to keep this file.
    [[maybe_unused]] volatile auto update = &xkb_state_update_mask;
    [[maybe_unused]] volatile auto forEach = &xkb_keymap_key_for_each;
}

}  // namespace platform
