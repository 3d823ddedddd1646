// The sound loading path on any bytes: a file is either refused with a reason
// or gives whole frames, as decoded and at the output's two usual formats.
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzFiles.h"
#include "sound/SoundFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = fuzz::ScratchFolder::Get().Write("click.wav", data, size);
    try {
        const sound::DecodedSound decoded = sound::DecodeSoundFile(path, 2);
        fuzz::Check(decoded.channels > 0 && decoded.samples.size() % static_cast<std::size_t>(decoded.channels) == 0,
                    "decoded samples of partial frames");
    } catch (const sound::SoundFileError&) {
        // Refused: the reason is checked below, where the whole path meets it.
    }
    for (const scene::AudioFormat format : {scene::AudioFormat{22050, 1}, scene::AudioFormat{48000, 2}}) {
        sound::Samples samples;
        try {
            samples = sound::LoadSound(path, format);
        } catch (const sound::SoundFileError& e) {
            fuzz::Check(e.what()[0] != '\0', "a file refused without a reason");
            continue;
        }
        fuzz::Check(!samples.empty() && samples.size() % static_cast<std::size_t>(format.channels) == 0,
                    "a sound of no or partial frames");
    }
    return 0;
}
