// Sound files read ahead on a thread of their own, in the order given, while the
// rest of the program starts: reading them is most of what opening the channels
// costs. The service's Open takes a file from here instead of reading it again,
// as long as the file is still the one that was read.
#pragma once

#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "sound/SoundFile.h"

namespace sound {

class SoundPrefetch {
public:
    // paths as the files are opened; channels beyond maxChannels are folded down
    // as they are read (the count the output is asked for).
    SoundPrefetch(std::vector<std::string> paths, int maxChannels);
    ~SoundPrefetch();   // stops after the file being read
    SoundPrefetch(const SoundPrefetch&) = delete;
    SoundPrefetch& operator=(const SoundPrefetch&) = delete;

    // The file as read ahead, handed out once; waits while it is being read.
    // Nothing when it was not asked for, was taken already, could not be read
    // (the caller reads it itself and meets the reason) or has changed since. A
    // caller given nothing may read files itself at once: nothing is read here
    // any more by then.
    std::optional<DecodedSound> Take(const std::string& path);
    // Waits until every file asked for has been read or has failed.
    void WaitForAll();

private:
    struct Entry {
        std::string path;
        bool done = false;
        std::optional<DecodedSound> sound;
    };
    void Run();
    std::optional<DecodedSound> Nothing(std::unique_lock<std::mutex>& lock);

    int maxChannels_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Entry> entries_;
    bool stop_ = false;
    bool finished_ = false;
    std::thread thread_;   // last: starts once everything above is ready
};

}  // namespace sound
