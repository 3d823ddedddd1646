#include "sound/SoundService.h"

#include <algorithm>
#include <map>
#include <new>
#include <optional>

#include "sound/Mixer.h"
#include "sound/SoundChannel.h"
#include "sound/SoundFile.h"
#include "sound/SoundPrefetch.h"

namespace sound {

// Which channel owns each open handle. Touched only on the loop thread: by Open,
// Close and the delivery of posted notifications.
struct SoundService::Registry {
    std::map<DeviceHandle, SoundChannel*> owners;
    SoundService::DeliveryTap tap;
};

std::string NativePath(const std::string& fileName) {
    std::string path = fileName;
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

SoundService::SoundService(scene::Platform& platform, PostFn post, SoundPrefetch* prefetch)
    : post_(std::move(post)),
      prefetch_(prefetch),
      registry_(std::make_shared<Registry>()),
      mixer_(std::make_unique<Mixer>(1, [this](Mixer::VoiceId id, NotifyValue v) { Post(id, v); })) {
    Mixer* mixer = mixer_.get();
    out_ = platform.OpenAudio([mixer](float* out, int frames) { mixer->Render(out, frames); });
    format_ = out_->Format();
    format_.channels = std::max(1, format_.channels);
    if (format_.sampleRate <= 0) format_.sampleRate = scene::AudioFormat{}.sampleRate;
    mixer_->SetChannels(format_.channels);
}

SoundService::~SoundService() {
    // The output goes first, so the audio thread never sees a half-destroyed mixer.
    out_.reset();
}

scene::AudioFormat SoundService::Format() const { return format_; }

DeviceHandle SoundService::Open(const std::string& fileName, SoundChannel& owner, NotifyRequest request,
                                std::string& errorText) {
    errorText.clear();
    Samples samples;
    try {
        const std::string path = NativePath(fileName);
        std::optional<DecodedSound> ahead = prefetch_ ? prefetch_->Take(path, format_.channels) : std::nullopt;
        if (ahead)
            samples = ConvertSound(std::move(*ahead), format_);
        else
            samples = LoadSound(path, format_);
    } catch (const SoundFileError& e) {
        errorText = "Cannot open sound file \"" + fileName + "\": " + e.what();
        return 0;
    } catch (const std::bad_alloc&) {
        return 0;  // no text of our own for this one
    }
    const DeviceHandle h = mixer_->Add(std::move(samples));
    registry_->owners[h] = &owner;
    if (request == NotifyRequest::Requested) Post(h, NotifyValue::Successful);
    return h;
}

DeviceResult SoundService::Play(DeviceHandle h, NotifyRequest request, AtEnd atEnd) {
    return mixer_->Play(h, request, atEnd) ? kDeviceOk : kDeviceInvalidHandle;
}

DeviceResult SoundService::Stop(DeviceHandle h, NotifyRequest request) {
    return mixer_->Stop(h, request) ? kDeviceOk : kDeviceInvalidHandle;
}

DeviceResult SoundService::SeekToStart(DeviceHandle h) { return mixer_->Seek(h, 0) ? kDeviceOk : kDeviceInvalidHandle; }

long SoundService::Position(DeviceHandle h) const { return mixer_->Position(h); }

long SoundService::Length(DeviceHandle h) const { return mixer_->Length(h); }

bool SoundService::Playing(DeviceHandle h) const { return mixer_->Playing(h); }

void SoundService::Close(DeviceHandle h) {
    mixer_->Remove(h);
    registry_->owners.erase(h);
}

void SoundService::HoldAll() { mixer_->SetHeld(true); }

void SoundService::GoOnAll() { mixer_->SetHeld(false); }

bool SoundService::Held() const { return mixer_->Held(); }

void SoundService::Post(DeviceHandle h, NotifyValue outcome) {
    // Runs on whichever thread produced the outcome; the registry is looked at only
    // when the loop runs the notice, and not at all once the service is gone.
    std::weak_ptr<Registry> weak = registry_;
    post_([weak, h, outcome] {
        const std::shared_ptr<Registry> registry = weak.lock();
        if (!registry) return;
        const auto it = registry->owners.find(h);
        if (it == registry->owners.end()) return;
        if (registry->tap && registry->tap(*it->second, outcome)) return;
        Deliver(*it->second, outcome);
    });
}

void SoundService::SetDeliveryTap(DeliveryTap tap) { registry_->tap = std::move(tap); }

void SoundService::DeliverRecorded(SoundChannel& channel, NotifyValue outcome) { Deliver(channel, outcome); }

}  // namespace sound
