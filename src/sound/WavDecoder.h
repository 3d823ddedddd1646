// Our own RIFF/WAVE reader: PCM 8-bit unsigned, 16/24/32-bit signed and 32/64-bit
// float (plain or WAVE_FORMAT_EXTENSIBLE), any channel count and common rate.
// Pure C++, so tests decode exactly like the game. Every read is bounds-checked:
// a truncated or garbage file gives a WavError naming the reason, never a crash.
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace sound {

class WavError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Interleaved float samples in [-1, 1] at the file's own rate and channel count.
struct PcmSound {
    int sampleRate = 0;
    int channels = 0;
    std::vector<float> samples;

    long Frames() const { return channels > 0 ? static_cast<long>(samples.size()) / channels : 0; }
};

// Throws WavError with the reason ("the file is empty", "not a RIFF/WAVE file",
// "unsupported sample format ...", "truncated data ...").
PcmSound DecodeWav(std::span<const std::uint8_t> bytes);

// Reads and decodes a whole file; a file that cannot be read throws WavError too.
PcmSound LoadWavFile(const std::string& path);

}  // namespace sound
