// The sound loading path on any bytes: a file is either refused with a reason
// or gives whole frames of finite samples, at the output's two usual formats;
// what it decodes, before any rate conversion, lies within -1 to 1.
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzFiles.h"
#include "sound/SoundFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = fuzz::ScratchFolder::Get().Write("click.wav", data, size);
    try {
        const sound::DecodedSound decoded = sound::DecodeSoundFile(path, 2);
        for (const float s : decoded.samples) fuzz::Check(s >= -1.0f && s <= 1.0f, "a decoded sample out of range");
    } catch (const sound::SoundFileError&) {
        // Refused: the reason is checked below, where the whole path meets it.
    }
    for (const scene::AudioFormat format : {scene::AudioFormat{22050, 1}, scene::AudioFormat{48000, 2}}) {
        std::vector<float> samples;
        try {
            samples = sound::LoadSound(path, format);
        } catch (const sound::SoundFileError& e) {
            fuzz::Check(e.what()[0] != '\0', "a file refused without a reason");
            continue;
        }
        fuzz::Check(!samples.empty() && samples.size() % static_cast<std::size_t>(format.channels) == 0,
                    "a sound of no or partial frames");
        for (const float s : samples) fuzz::Check(std::isfinite(s), "a sample that is not a finite number");
    }
    return 0;
}
