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

// Where the toolkit composes the next frame. Composing straight into a buffer
// the compositor may take spares a copy of every changed pixel; a buffer other
// than the last one composed into is first brought up to date from it.
enum class ComposeTarget {
    Latest,     // the buffer composed into last, not held by the compositor
    Other,      // another buffer the compositor gave back
    NewBuffer,  // fewer buffers than the most: one more
    Spare,      // every buffer held: memory of the window's own, copied out once one comes back
};

ComposeTarget ChooseComposeTarget(bool latestFree, bool otherFree, std::size_t buffers);

}  // namespace platform
