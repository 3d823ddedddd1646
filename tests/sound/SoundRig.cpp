#include "SoundRig.h"

namespace soundtest {

SoundRig::SoundRig(scene::AudioFormat format) : app_(platform_, "/tmp/swoopy"), rate_(format.sampleRate) {
    platform_.SetAudioFormat(format);
    service_ = std::make_unique<sound::SoundService>(platform_, [this](std::function<void()> fn) {
        ++posted_;
        app_.Post([this, fn = std::move(fn)] {
            ++ran_;
            fn();
        });
    });
}

SoundRig::~SoundRig() = default;

std::unique_ptr<sound::SoundChannel> SoundRig::Channel(const std::string& name, const std::vector<std::uint8_t>& wav,
                                                       Opening opening) {
    auto channel = std::make_unique<sound::SoundChannel>(*service_, name);
    channel->FileName = dir_.Write(name + ".wav", wav);
    if (opening == Opening::Open) channel->Open();
    return channel;
}

std::vector<float> SoundRig::RunFrames(long frames) {
    const std::size_t before = platform_.RenderedAudio().size();
    for (long done = 0; done < frames; done += kBlock) {
        framesDone_ += kBlock;
        // Half a frame past the block's end, so rounding never holds the block back.
        const double target = (static_cast<double>(framesDone_) + 0.5) * 1000.0 / rate_;
        app_.RunFor(target - platform_.NowMs());
    }
    RunPosted();
    const std::vector<float>& all = platform_.RenderedAudio();
    return std::vector<float>(all.begin() + static_cast<long>(before), all.end());
}

void SoundRig::RunPosted() { app_.RunFor(0); }

void NoticeLog::Attach(sound::SoundChannel& channel) {
    channel.OnNotify = [this](sound::SoundChannel& sender) {
        entries.emplace_back(sender.Name(), sender.GetNotifyValue());
    };
}

}  // namespace soundtest

namespace sound {
void PrintTo(NotifyValue v, std::ostream* os) {
    static const char* const names[] = {"Successful", "Superseded", "Aborted", "Failure"};
    *os << names[static_cast<int>(v)];
}
}  // namespace sound
