// A sound service on a scripted audio output: the test decides when audio is
// rendered (in 256-frame blocks, as an output asks for it) and when the posted
// notifications run, like an event loop between two blocks.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <ostream>
#include <vector>

#include "WavFiles.h"
#include "scene/Platform.h"
#include "sound/SoundChannel.h"
#include "sound/SoundService.h"

namespace soundtest {

class ScriptedAudioPlatform : public scene::Platform {
public:
    explicit ScriptedAudioPlatform(scene::AudioFormat format) : format_(format) {}

    double NowMs() override { return 0; }
    bool WaitEvent(scene::InputEvent&, double) override { return false; }
    void Wake() override {}
    std::unique_ptr<scene::PlatformWindow> CreateWindow(const scene::WindowSpec&) override { return nullptr; }
    std::string ClipboardText() override { return {}; }
    void SetClipboardText(const std::string&) override {}
    std::unique_ptr<scene::AudioOut> OpenAudio(scene::AudioRender render) override;

    // Renders frames through the callback the service gave, as the device would.
    std::vector<float> Render(int frames);
    int Opened() const { return opened_; }

private:
    scene::AudioFormat format_;
    scene::AudioRender render_;
    int opened_ = 0;
};

class SoundRig {
public:
    static constexpr int kBlock = 256;

    explicit SoundRig(scene::AudioFormat format = {22050, 1});

    sound::SoundService& Service() { return *service_; }
    // A channel named name on the file name.wav written to the rig's folder; opened
    // unless told otherwise.
    enum class Opening { Open, Closed };
    std::unique_ptr<sound::SoundChannel> Channel(const std::string& name, const std::vector<std::uint8_t>& wav,
                                                 Opening opening = Opening::Open);

    // Renders whole blocks covering `frames` frames, running the posted work after each.
    // Returns what was rendered.
    std::vector<float> RunFrames(long frames);
    // Runs the posted work only, as the loop does between other events.
    void RunPosted();
    std::size_t PostedCount();

    TempDir& Dir() { return dir_; }
    ScriptedAudioPlatform& Platform() { return platform_; }

private:
    TempDir dir_;
    ScriptedAudioPlatform platform_;
    std::mutex mutex_;
    std::deque<std::function<void()>> posted_;
    std::unique_ptr<sound::SoundService> service_;
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
