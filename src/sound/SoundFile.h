// A WAV file of the working folder, read once when its channel opens and kept as
// 16-bit samples at the output's rate and channels. Players swap in their own
// files, so anything may arrive: libsndfile decodes whatever a WAV file can hold
// (PCM 8 to 32 bits, float, A-law, µ-law, IMA and MS ADPCM, plain or
// WAVE_FORMAT_EXTENSIBLE), libsamplerate's sinc converter brings it to the
// output's rate, and a file that is damaged, cut off or not a sound is refused
// with the reason. Nothing here knows SDL.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "scene/Platform.h"
#include "sound/Samples.h"

namespace sound {

class SoundFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The longest sound taken; a longer one would hold hundreds of megabytes.
constexpr int kMaxSoundSeconds = 10 * 60;

// Which file was read: a file replaced or rewritten since has another stamp.
struct FileStamp {
    unsigned long long device = 0, inode = 0;
    long long size = 0, modifiedSeconds = 0, modifiedNanoseconds = 0;
    bool operator==(const FileStamp&) const = default;
};
// Whether path is still the file that was stamped.
bool SameFile(const std::string& path, const FileStamp& stamp);

// A file's own samples, interleaved, at its own rate; its channels folded down
// to at most the number asked for. Kinds of more than 16 bits are rounded to 16.
struct DecodedSound {
    int sampleRate = 0;
    int fileChannels = 0;  // in the file
    int channels = 0;      // in samples
    Samples samples;
    FileStamp stamp;
};

// The two halves of LoadSound: reading and checking the file, which needs
// nothing of the output and so can run ahead on another thread, and bringing
// the samples to the output's format. Files are decoded side by side; only
// their opening takes turns.
DecodedSound DecodeSoundFile(const std::string& path, int maxChannels);
// Tests: called with the path once a file is open, before its samples are read.
void SetDecodeHook(std::function<void(const std::string&)> hook);
Samples ConvertSound(DecodedSound sound, const scene::AudioFormat& format);

// Interleaved samples of whole frames at format's rate and channel count. Mono
// spreads to every output channel, several channels fold to mono by averaging,
// otherwise output channel c takes input channel c (wrapping around). The length
// is the file's, scaled by the rate ratio and rounded, and at least one frame.
// Throws SoundFileError with the reason ("file not found", "not a WAV file",
// "truncated data: ...", ...).
Samples LoadSound(const std::string& path, const scene::AudioFormat& format);

}  // namespace sound
