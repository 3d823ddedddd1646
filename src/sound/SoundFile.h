// A WAV file of the working folder, read once when its channel opens and kept in
// the output's format. Players swap in their own files, so anything may arrive:
// libsndfile decodes whatever a WAV file can hold (PCM 8 to 32 bits, float,
// A-law, µ-law, IMA and MS ADPCM, plain or WAVE_FORMAT_EXTENSIBLE), libsamplerate's
// sinc converter brings it to the output's rate, and a file that is damaged,
// cut off or not a sound is refused with the reason. Nothing here knows SDL.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "scene/Platform.h"

namespace sound {

class SoundFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The longest sound taken; a longer one would hold hundreds of megabytes.
constexpr int kMaxSoundSeconds = 10 * 60;

// Interleaved samples of whole frames at format's rate and channel count. Mono
// spreads to every output channel, several channels fold to mono by averaging,
// otherwise output channel c takes input channel c (wrapping around). The length
// is the file's, scaled by the rate ratio and rounded, and at least one frame.
// Throws SoundFileError with the reason ("file not found", "not a WAV file",
// "truncated data: ...", ...).
std::vector<float> LoadSound(const std::string& path, const scene::AudioFormat& format);

}  // namespace sound
