#include "sound/SoundConverter.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace sound {

namespace {

// Same rate, output channel layout.
std::vector<float> MapChannels(const PcmSound& sound, int outChannels) {
    const int in = sound.channels;
    const long frames = sound.Frames();
    if (in == outChannels) return sound.samples;
    std::vector<float> out(static_cast<std::size_t>(frames) * outChannels, 0.0f);
    for (long f = 0; f < frames; ++f) {
        const float* src = sound.samples.data() + f * in;
        float* dst = out.data() + f * outChannels;
        if (outChannels == 1) {
            float sum = 0.0f;
            for (int c = 0; c < in; ++c) sum += src[c];
            dst[0] = sum / static_cast<float>(in);
        } else {
            for (int c = 0; c < outChannels; ++c) dst[c] = src[c % in];
        }
    }
    return out;
}

std::vector<float> Resample(const std::vector<float>& in, int channels, int fromRate, int toRate) {
    const long inFrames = static_cast<long>(in.size()) / channels;
    if (fromRate == toRate || inFrames == 0) return in;
    const long outFrames = std::max<long>(1, std::lround(static_cast<double>(inFrames) * toRate / fromRate));
    std::vector<float> out(static_cast<std::size_t>(outFrames) * channels, 0.0f);
    for (long f = 0; f < outFrames; ++f) {
        // Source position f * fromRate / toRate, kept exact in integers.
        const std::int64_t num = static_cast<std::int64_t>(f) * fromRate;
        const long i = static_cast<long>(num / toRate);
        const float frac = static_cast<float>(num % toRate) / static_cast<float>(toRate);
        const long j = std::min(i + 1, inFrames - 1);
        const long a = std::min(i, inFrames - 1);
        for (int c = 0; c < channels; ++c) {
            const float x = in[a * channels + c];
            const float y = in[j * channels + c];
            out[f * channels + c] = x + (y - x) * frac;
        }
    }
    return out;
}

}  // namespace

std::vector<float> ConvertSound(const PcmSound& sound, const scene::AudioFormat& format) {
    const int channels = std::max(1, format.channels);
    return Resample(MapChannels(sound, channels), channels, sound.sampleRate, format.sampleRate);
}

}  // namespace sound
