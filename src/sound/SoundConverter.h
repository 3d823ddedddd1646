// Brings a decoded sound to the output's format: channel mapping, then linear
// resampling to the output's rate.
#pragma once

#include <vector>

#include "scene/Platform.h"
#include "sound/WavDecoder.h"

namespace sound {

// Interleaved frames at format.sampleRate with format.channels samples each. Mono
// spreads to every output channel, several channels fold to mono by averaging,
// otherwise output channel c takes input channel c (wrapping around). The frame count
// scales with the rate ratio, rounded, at least 1 for a non-empty sound.
std::vector<float> ConvertSound(const PcmSound& sound, const scene::AudioFormat& format);

}  // namespace sound
