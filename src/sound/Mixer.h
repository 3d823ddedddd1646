// The sound device's own state: every open sound as 16-bit samples in the
// device's rate and channels, with its own play position, and the rendering of
// all playing ones into one output. It is the only state the audio thread
// touches, always under the mixer's one lock.
// Each voice remembers whether its running Play asked to be told of its end; every
// outcome is handed to the notice function, still under the lock, in the order the
// outcomes arise, so that function must only queue (never call back in).
#pragma once

#include <functional>
#include <mutex>
#include <vector>

#include "sound/NotifyValue.h"
#include "sound/Samples.h"

namespace sound {

class Mixer {
public:
    using VoiceId = int;
    using NoticeFn = std::function<void(VoiceId, NotifyValue)>;

    explicit Mixer(int channels = 1, NoticeFn notice = {});
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    // Output samples per frame; set before the first voice is added.
    void SetChannels(int channels);
    int Channels() const;

    // A new voice, stopped at its start; samples hold whole frames. Ids are never reused.
    VoiceId Add(Samples samples);
    // Forgets the voice at once; its pending request ends without a notice.
    void Remove(VoiceId id);

    // Each returns false for an unknown voice and then changes nothing.
    // Plays on from the current position; a Play on a playing voice does not restart
    // it and ends the earlier request as Superseded (request given) or Aborted.
    // Whether the voice is at its end is decided under the same lock as the start,
    // so the audio thread cannot reach the end in between.
    bool Play(VoiceId id, NotifyRequest request, AtEnd atEnd = AtEnd::Complete);
    // Stops at once keeping the position; a pending Play ends as Aborted, and a
    // requested Stop reports Successful whether or not anything played.
    bool Stop(VoiceId id, NotifyRequest request);
    // Stops, ends a pending Play as Aborted and moves to frame (clamped to the sound).
    bool Seek(VoiceId id, long frame);

    // In frames; a finished voice has Position() == Length(). Unknown voices give 0.
    long Position(VoiceId id) const;
    long Length(VoiceId id) const;
    bool Playing(VoiceId id) const;

    // Held, every voice keeps its place and nothing sounds or ends until it goes on.
    void SetHeld(bool held);
    bool Held() const;

    // Fills out with frames * Channels() samples: the sum of all playing voices,
    // clipped to [-1, 1]. Voices that reach their end stop there and report Successful.
    void Render(float* out, int frames);

private:
    struct Voice {
        VoiceId id = 0;
        Samples samples;
        long frames = 0;
        long position = 0;
        bool playing = false;
        bool pending = false;  // the running Play asked to be told of its end
    };

    Voice* Find(VoiceId id);
    const Voice* Find(VoiceId id) const;
    void EndPending(Voice& v, NotifyValue outcome);
    void MixVoice(Voice& v, float* out, int frames);

    mutable std::mutex mutex_;
    int channels_ = 1;
    bool held_ = false;
    NoticeFn notice_;
    std::vector<Voice> voices_;
    VoiceId nextId_ = 1;
};

}  // namespace sound
