// The sound service under the channels: every open file decoded once into the
// output's format, each with its own position, all playing ones mixed into one
// audio output. The audio thread only mixes; every notification is posted to the
// event loop and delivered there to the channel that asked for it.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "scene/Platform.h"
#include "sound/NotifyValue.h"

namespace sound {

class SoundChannel;
class SoundPrefetch;
class Mixer;

// A device handle: one open file of one channel; 0 is no handle.
using DeviceHandle = int;

// Result codes of the service's commands; nothing in the game reads them.
enum DeviceResult : long { kDeviceOk = 0, kDeviceInvalidHandle = 1 };

// The layout stores the names with backslashes (".\click.wav"): each
// backslash becomes this platform's separator.
std::string NativePath(const std::string& fileName);

class SoundService {
public:
    using PostFn = std::function<void(std::function<void()>)>;
    // post queues work on the event loop's thread (Application::Post) and must be
    // thread-safe. The audio output is opened here and kept for the service's life.
    // The service must outlive its channels. Files read ahead are taken from
    // prefetch, which must outlive the service.
    SoundService(scene::Platform& platform, PostFn post, SoundPrefetch* prefetch = nullptr);
    ~SoundService();
    SoundService(const SoundService&) = delete;
    SoundService& operator=(const SoundService&) = delete;

    scene::AudioFormat Format() const;

    // The commands of the service. Open decodes the whole file once; on failure it
    // returns 0 and sets errorText to the reason (left empty when there is none).
    // A notification, when requested, is delivered to owner on the loop thread.
    DeviceHandle Open(const std::string& fileName, SoundChannel& owner, NotifyRequest request, std::string& errorText);
    DeviceResult Play(DeviceHandle h, NotifyRequest request, AtEnd atEnd = AtEnd::Complete);
    DeviceResult Stop(DeviceHandle h, NotifyRequest request);
    DeviceResult SeekToStart(DeviceHandle h);
    // In frames of the output; Position() == Length() once a playback has finished.
    long Position(DeviceHandle h) const;
    long Length(DeviceHandle h) const;
    bool Playing(DeviceHandle h) const;
    // Stops and forgets the file; nothing more is delivered for this handle.
    void Close(DeviceHandle h);
    // Holds every sound where it is, and lets them all go on from there; a
    // held sound neither plays nor ends, whatever the channels ask meanwhile.
    void HoldAll();
    void GoOnAll();
    bool Held() const;

    // Sees every notification on the loop thread before its channel does; one
    // it returns true for is not delivered. A record keeps them this way, and a
    // replay holds back the live ones to deliver the recorded ones instead.
    using DeliveryTap = std::function<bool(SoundChannel& channel, NotifyValue outcome)>;
    void SetDeliveryTap(DeliveryTap tap);
    // Delivers a notification as if the channel's command had just ended so.
    static void DeliverRecorded(SoundChannel& channel, NotifyValue outcome);

private:
    struct Registry;
    void Post(DeviceHandle h, NotifyValue outcome);
    static void Deliver(SoundChannel& channel, NotifyValue outcome);

    PostFn post_;
    SoundPrefetch* prefetch_;
    std::shared_ptr<Registry> registry_;
    std::unique_ptr<Mixer> mixer_;
    std::unique_ptr<scene::AudioOut> out_;  // last: stopped before the mixer goes
    scene::AudioFormat format_;
};

}  // namespace sound
