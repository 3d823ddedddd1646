// How a Wayland window's next present goes. The compositor reads a buffer until
// it gives it back, and may hold all of them for a while (a window out of
// sight, a busy compositor): the game keeps playing rather than wait for it,
// and what the compositor has not been shown waits for the next present.
#pragma once

#include <cstddef>

#include "platform/sdl/StaleRects.h"

namespace platform {

enum class PresentStep {
    Nothing,    // the compositor already shows the frame
    Reuse,      // copy into a buffer the compositor gave back
    NewBuffer,  // fewer buffers than the most: one more
    HoldBack,   // every buffer held: keep the damage until one comes back
};

// Three are enough for a compositor that reads one while it shows another.
constexpr std::size_t kMostBuffers = 3;

// unshown: where what the compositor shows differs from the frame.
PresentStep ChoosePresentStep(const StaleRects& unshown, bool bufferFree, std::size_t buffers);

}  // namespace platform
