#include "sound/SoundPrefetch.h"

#include <algorithm>
#include <exception>

#include "scene/AheadThread.h"

namespace sound {

SoundPrefetch::SoundPrefetch(const std::vector<std::string>& paths, int maxChannels) {
    for (const std::string& path : paths) {
        entries_.push_back({path, std::async(std::launch::async, [this, path, maxChannels] {
                                scene::BeginThreadAhead("swoopy sounds");
                                return stop_ ? std::nullopt : std::optional(DecodeSoundFile(path, maxChannels));
                            })});
    }
}

SoundPrefetch::~SoundPrefetch() { stop_ = true; }

std::optional<DecodedSound> SoundPrefetch::Take(const std::string& path, int channels) {
    const auto it = std::find_if(entries_.begin(), entries_.end(),
                                 [&](const Entry& e) { return e.path == path && e.sound.valid(); });
    if (it == entries_.end()) return std::nullopt;
    std::optional<DecodedSound> sound;
    try {
        sound = it->sound.get();
    } catch (const std::exception&) {
        return std::nullopt;  // the caller reads the file again and reports the reason
    }
    if (sound->channels != std::min(sound->fileChannels, std::max(1, channels)) || !SameFile(path, sound->stamp))
        return std::nullopt;
    return sound;
}

}  // namespace sound
