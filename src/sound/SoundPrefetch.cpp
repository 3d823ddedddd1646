#include "sound/SoundPrefetch.h"

#include <algorithm>
#include <exception>

#include "scene/AheadThread.h"

namespace sound {

SoundPrefetch::SoundPrefetch(const std::vector<std::string>& paths, int maxChannels) {
    const std::shared_future<void> firstRead = firstRead_.get_future().share();
    for (const std::string& path : paths) {
        const bool first = entries_.empty();
        entries_.push_back({path, std::async(std::launch::async, [this, path, maxChannels, first, firstRead] {
                                scene::BeginThreadAhead("swoopy sounds");
                                if (!first) firstRead.wait();
                                // Told done however the first file ends, read or refused.
                                struct Done {
                                    std::promise<void>* promise;
                                    ~Done() {
                                        if (promise) promise->set_value();
                                    }
                                } done{first ? &firstRead_ : nullptr};
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
