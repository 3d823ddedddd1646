#include "sound/Mixer.h"

#include <algorithm>
#include <stdexcept>

namespace sound {

Mixer::Mixer(int channels, NoticeFn notice) : notice_(std::move(notice)) { SetChannels(channels); }

void Mixer::SetChannels(int channels) {
    if (channels < 1) throw std::invalid_argument("a mixer needs at least one output channel");
    const std::lock_guard lock(mutex_);
    if (!voices_.empty()) throw std::logic_error("the mixer's channel count is fixed once it holds sounds");
    channels_ = channels;
}

int Mixer::Channels() const {
    const std::lock_guard lock(mutex_);
    return channels_;
}

Mixer::VoiceId Mixer::Add(Samples samples) {
    const std::lock_guard lock(mutex_);
    Voice v;
    v.id = nextId_++;
    v.frames = static_cast<long>(samples.size()) / channels_;
    v.samples = std::move(samples);
    voices_.push_back(std::move(v));
    return voices_.back().id;
}

void Mixer::Remove(VoiceId id) {
    const std::lock_guard lock(mutex_);
    std::erase_if(voices_, [id](const Voice& v) { return v.id == id; });
}

bool Mixer::Play(VoiceId id, NotifyRequest request, AtEnd atEnd) {
    const std::lock_guard lock(mutex_);
    Voice* v = Find(id);
    if (!v) return false;
    if (atEnd == AtEnd::Rewind && v->position >= v->frames) {
        EndPending(*v, NotifyValue::Aborted);  // as a seek to the start would
        v->position = 0;
    }
    const bool wanted = request == NotifyRequest::Requested;
    EndPending(*v, wanted ? NotifyValue::Superseded : NotifyValue::Aborted);
    if (v->position >= v->frames) {
        // Nothing left to play: the command is complete at once.
        v->playing = false;
        if (wanted && notice_) notice_(id, NotifyValue::Successful);
        return true;
    }
    v->playing = true;
    v->pending = wanted;
    return true;
}

bool Mixer::Stop(VoiceId id, NotifyRequest request) {
    const std::lock_guard lock(mutex_);
    Voice* v = Find(id);
    if (!v) return false;
    EndPending(*v, NotifyValue::Aborted);
    v->playing = false;
    if (request == NotifyRequest::Requested && notice_) notice_(id, NotifyValue::Successful);
    return true;
}

bool Mixer::Seek(VoiceId id, long frame) {
    const std::lock_guard lock(mutex_);
    Voice* v = Find(id);
    if (!v) return false;
    EndPending(*v, NotifyValue::Aborted);
    v->playing = false;
    v->position = std::clamp(frame, 0L, v->frames);
    return true;
}

long Mixer::Position(VoiceId id) const {
    const std::lock_guard lock(mutex_);
    const Voice* v = Find(id);
    return v ? v->position : 0;
}

long Mixer::Length(VoiceId id) const {
    const std::lock_guard lock(mutex_);
    const Voice* v = Find(id);
    return v ? v->frames : 0;
}

bool Mixer::Playing(VoiceId id) const {
    const std::lock_guard lock(mutex_);
    const Voice* v = Find(id);
    return v && v->playing;
}

void Mixer::SetHeld(bool held) {
    const std::lock_guard lock(mutex_);
    held_ = held;
}

bool Mixer::Held() const {
    const std::lock_guard lock(mutex_);
    return held_;
}

void Mixer::Render(float* out, int frames) {
    const std::lock_guard lock(mutex_);
    const std::size_t count = static_cast<std::size_t>(std::max(frames, 0)) * channels_;
    std::fill(out, out + count, 0.0f);
    if (held_) return;
    for (Voice& v : voices_) {
        if (v.playing) MixVoice(v, out, frames);
    }
    for (std::size_t i = 0; i < count; ++i) out[i] = std::clamp(out[i], -1.0f, 1.0f);
}

void Mixer::MixVoice(Voice& v, float* out, int frames) {
    const long n = std::min<long>(frames, v.frames - v.position);
    const Sample* src = v.samples.data() + v.position * channels_;
    const long count = n * channels_;
    for (long i = 0; i < count; ++i) out[i] += static_cast<float>(src[i]) * kSampleScale;
    v.position += n;
    if (v.position < v.frames) return;
    v.playing = false;
    if (v.pending) {
        v.pending = false;
        if (notice_) notice_(v.id, NotifyValue::Successful);
    }
}

void Mixer::EndPending(Voice& v, NotifyValue outcome) {
    if (!v.pending) return;
    v.pending = false;
    if (notice_) notice_(v.id, outcome);
}

Mixer::Voice* Mixer::Find(VoiceId id) {
    auto it = std::find_if(voices_.begin(), voices_.end(), [id](const Voice& v) { return v.id == id; });
    return it == voices_.end() ? nullptr : &*it;
}

const Mixer::Voice* Mixer::Find(VoiceId id) const {
    auto it = std::find_if(voices_.begin(), voices_.end(), [id](const Voice& v) { return v.id == id; });
    return it == voices_.end() ? nullptr : &*it;
}

}  // namespace sound
