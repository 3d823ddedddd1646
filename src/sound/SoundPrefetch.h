// Sound files read ahead, one task a file, while the rest of the program starts:
// reading them is most of what opening the channels costs. The service's Open
// takes a file from here instead of reading it again, as long as the file is
// still the one that was read. The first file, the one the start screen plays,
// is read before the others begin, which would otherwise share the machine with it.
#pragma once

#include <atomic>
#include <future>
#include <optional>
#include <string>
#include <vector>

#include "sound/SoundFile.h"

namespace sound {

class SoundPrefetch {
public:
    // The paths in the order the program needs them. Channels beyond
    // maxChannels are folded down as the files are read (the count the output
    // is asked for before it is open).
    SoundPrefetch(const std::vector<std::string>& paths, int maxChannels);
    ~SoundPrefetch();  // waits for the files being read; the others are not begun
    SoundPrefetch(const SoundPrefetch&) = delete;
    SoundPrefetch& operator=(const SoundPrefetch&) = delete;

    // The file as read ahead, for an output of `channels` channels, handed out
    // once; waits while it is being read. Nothing when it was not asked for, was
    // taken already, could not be read (the caller reads it itself and meets the
    // reason), was folded to fewer channels than the output has, or has changed since.
    std::optional<DecodedSound> Take(const std::string& path, int channels);

private:
    struct Entry {
        std::string path;
        std::future<std::optional<DecodedSound>> sound;
    };
    std::atomic<bool> stop_{false};
    std::promise<void> firstRead_;  // before entries_, whose tasks set it or wait for it
    std::vector<Entry> entries_;    // after stop_: their tasks read it until they end
};

}  // namespace sound
