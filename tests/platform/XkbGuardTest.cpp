// The keyboard calls SDL makes before a keymap has come: they do nothing
// instead of ending the game (the keymap's own case is played end to end in
// tests/e2e/wayland/test_keyboard_gone.sh).
#include <gtest/gtest.h>

#include <xkbcommon/xkbcommon.h>

#include "platform/sdl/XkbGuard.h"

namespace platform_test {
namespace {

void CountKey(struct xkb_keymap*, xkb_keycode_t, void* data) { ++*static_cast<int*>(data); }

TEST(XkbGuard, WithoutAKeymapModifiersAndKeyWalksDoNothing) {
    platform::UseXkbGuard();
    EXPECT_EQ(xkb_state_update_mask(nullptr, 1, 0, 2, 0, 0, 1), 0);
    int keys = 0;
    xkb_keymap_key_for_each(nullptr, CountKey, &keys);
    EXPECT_EQ(keys, 0) << "expected no keys walked, got " << keys;
}

}  // namespace
}  // namespace platform_test
