// The sound service under the channels: every open file decoded once, each with
// its own position, all playing ones mixed into one audio output. The audio
// thread only mixes; every notification is posted to the event loop.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "scene/Platform.h"

namespace sound {

class SoundService {
public:
    using PostFn = std::function<void(std::function<void()>)>;
    // post queues work on the event loop's thread (Application::Post).
    SoundService(scene::Platform& platform, PostFn post);
    ~SoundService();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    friend class SoundChannel;
};

}  // namespace sound
