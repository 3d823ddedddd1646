// Sounds are kept as 16-bit samples, the depth of the game's own files: half the
// memory of floats, and half the fresh pages a start must be given for them.
// -32768..32767 stand for -1..1, as in a WAV file.
#pragma once

#include <cstdint>
#include <vector>

namespace sound {

using Sample = std::int16_t;
using Samples = std::vector<Sample>;

// One step of a sample as a share of full scale.
constexpr float kSampleScale = 1.0f / 32768.0f;

}  // namespace sound
