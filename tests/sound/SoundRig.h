// A sound service on the headless platform, its notifications posted to a real
// event loop. The virtual clock moves one audio block at a time, and the loop runs
// the posted work between blocks, as it would wake for it on a real device.
#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <vector>

#include "WavFiles.h"
#include "platform/headless/HeadlessPlatform.h"
#include "scene/Application.h"
#include "sound/SoundChannel.h"
#include "sound/SoundService.h"

namespace soundtest {

class SoundRig {
public:
    static constexpr int kBlock = platform::HeadlessPlatform::kAudioBlockFrames;

    explicit SoundRig(scene::AudioFormat format = {22050, 1});
    ~SoundRig();

    sound::SoundService& Service() { return *service_; }
    scene::Application& App() { return app_; }
    platform::HeadlessPlatform& Platform() { return platform_; }
    TempDir& Dir() { return dir_; }

    // A channel named name on the file name.wav written to the rig's folder; opened
    // unless told otherwise.
    enum class Opening { Open, Closed };
    std::unique_ptr<sound::SoundChannel> Channel(const std::string& name, const std::vector<std::uint8_t>& wav,
                                                 Opening opening = Opening::Open);

    // Runs the loop while the output renders whole blocks covering `frames` frames,
    // then once more for what the last block posted. Returns what was rendered.
    std::vector<float> RunFrames(long frames);
    // Runs the loop without moving the clock: the posted work only.
    void RunPosted();
    // Notifications posted and not yet run by the loop.
    int PostedCount() const { return posted_ - ran_; }

private:
    TempDir dir_;
    platform::HeadlessPlatform platform_;
    scene::Application app_;
    std::unique_ptr<sound::SoundService> service_;
    int rate_ = 0;
    long framesDone_ = 0;
    int posted_ = 0;
    int ran_ = 0;
};

// Records each notification as the value the channel held when OnNotify ran.
struct NoticeLog {
    std::vector<std::pair<std::string, sound::NotifyValue>> entries;
    void Attach(sound::SoundChannel& channel);
};

}  // namespace soundtest

namespace sound {
// Lets failing expectations name the outcome.
void PrintTo(NotifyValue v, std::ostream* os);
}  // namespace sound
