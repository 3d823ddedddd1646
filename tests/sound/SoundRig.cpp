#include "SoundRig.h"

namespace soundtest {

namespace {

class ScriptedAudioOut : public scene::AudioOut {
public:
    explicit ScriptedAudioOut(scene::AudioFormat format) : format_(format) {}
    scene::AudioFormat Format() const override { return format_; }
    void Lock() override {}
    void Unlock() override {}

private:
    scene::AudioFormat format_;
};

}  // namespace

std::unique_ptr<scene::AudioOut> ScriptedAudioPlatform::OpenAudio(scene::AudioRender render) {
    render_ = std::move(render);
    ++opened_;
    return std::make_unique<ScriptedAudioOut>(format_);
}

std::vector<float> ScriptedAudioPlatform::Render(int frames) {
    std::vector<float> out(static_cast<std::size_t>(frames) * format_.channels, 0.0f);
    if (render_) render_(out.data(), frames);
    return out;
}

SoundRig::SoundRig(scene::AudioFormat format) : platform_(format) {
    service_ = std::make_unique<sound::SoundService>(platform_, [this](std::function<void()> fn) {
        const std::lock_guard lock(mutex_);
        posted_.push_back(std::move(fn));
    });
}

std::unique_ptr<sound::SoundChannel> SoundRig::Channel(const std::string& name, const std::vector<std::uint8_t>& wav,
                                                       Opening opening) {
    auto channel = std::make_unique<sound::SoundChannel>(*service_, name);
    channel->FileName = dir_.Write(name + ".wav", wav);
    if (opening == Opening::Open) channel->Open();
    return channel;
}

std::vector<float> SoundRig::RunFrames(long frames) {
    std::vector<float> all;
    for (long done = 0; done < frames; done += kBlock) {
        const std::vector<float> block = platform_.Render(kBlock);
        all.insert(all.end(), block.begin(), block.end());
        RunPosted();
    }
    return all;
}

void SoundRig::RunPosted() {
    for (;;) {
        std::function<void()> fn;
        {
            const std::lock_guard lock(mutex_);
            if (posted_.empty()) return;
            fn = std::move(posted_.front());
            posted_.pop_front();
        }
        fn();
    }
}

std::size_t SoundRig::PostedCount() {
    const std::lock_guard lock(mutex_);
    return posted_.size();
}

void NoticeLog::Attach(sound::SoundChannel& channel) {
    channel.OnNotify = [this](sound::SoundChannel& sender) { entries.emplace_back(sender.Name(), sender.GetNotifyValue()); };
}

}  // namespace soundtest

namespace sound {
void PrintTo(NotifyValue v, std::ostream* os) {
    static const char* const names[] = {"Successful", "Superseded", "Aborted", "Failure"};
    *os << names[static_cast<int>(v)];
}
}  // namespace sound
