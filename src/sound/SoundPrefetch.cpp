#include "sound/SoundPrefetch.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "scene/AheadThread.h"

namespace sound {

SoundPrefetch::SoundPrefetch(std::vector<std::string> paths, int maxChannels) : maxChannels_(maxChannels) {
    for (std::string& p : paths) entries_.push_back({std::move(p), false, std::nullopt});
    thread_ = std::thread([this] {
        scene::BeginThreadAhead("swoopy sounds");
        Run();
    });
}

SoundPrefetch::~SoundPrefetch() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    thread_.join();
}

void SoundPrefetch::Run() {
    for (std::size_t i = 0;; ++i) {
        std::string path;
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            if (stop_ || i == entries_.size()) break;
            path = entries_[i].path;
        }
        std::optional<DecodedSound> sound;
        try {
            sound = DecodeSoundFile(path, maxChannels_);
        } catch (const std::exception&) {
            // Left to the caller, who reads the file again and reports the reason.
        }
        const std::lock_guard<std::mutex> lock(mutex_);
        entries_[i].sound = std::move(sound);
        entries_[i].done = true;
        changed_.notify_all();
    }
    const std::lock_guard<std::mutex> lock(mutex_);
    finished_ = true;
    changed_.notify_all();
}

void SoundPrefetch::WaitForAll() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return finished_; });
}

std::optional<DecodedSound> SoundPrefetch::Nothing(std::unique_lock<std::mutex>& lock) {
    // libsndfile keeps the reason for a failed open in one global: the caller's
    // own reading must never run beside ours.
    changed_.wait(lock, [this] { return finished_; });
    return std::nullopt;
}

std::optional<DecodedSound> SoundPrefetch::Take(const std::string& path) {
    std::unique_lock<std::mutex> lock(mutex_);
    const auto it = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.path == path; });
    if (it == entries_.end()) return Nothing(lock);
    changed_.wait(lock, [&] { return it->done || finished_; });
    if (!it->sound) return Nothing(lock);
    std::optional<DecodedSound> sound = std::exchange(it->sound, std::nullopt);
    lock.unlock();
    if (!SameFile(path, sound->stamp)) {
        lock.lock();
        return Nothing(lock);
    }
    return sound;
}

}  // namespace sound
