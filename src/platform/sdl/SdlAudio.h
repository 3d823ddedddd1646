// Audio output: an SDL device playing float samples, 22050 Hz mono when the
// device agrees. Without a sound device the game must still run, with its
// sound positions and end-of-play notices advancing as if heard, so without a
// device (or with SDL's dummy driver asked for) a thread of our own consumes
// samples on the clock, in large blocks.
#pragma once

#include <memory>

#include "scene/Platform.h"

namespace platform {

// Never fails. The returned output must be destroyed before SDL is shut down.
std::unique_ptr<scene::AudioOut> OpenSdlAudio(const scene::AudioRender& render);

}  // namespace platform
