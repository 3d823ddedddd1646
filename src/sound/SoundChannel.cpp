#include "sound/SoundChannel.h"

namespace sound {

std::string DeviceErrorText(const std::string& serviceText) {
    return serviceText.empty() ? "Unknown error code" : serviceText;
}

SoundChannel::SoundChannel(SoundService& service, std::string name) : service_(service), name_(std::move(name)) {}

SoundChannel::~SoundChannel() { Close(); }

void SoundChannel::Open() {
    if (IsOpen()) Close();
    const NotifyRequest request = TakeRequest(NotifyRequest::None);
    std::string error;
    const DeviceHandle h = service_.Open(FileName, *this, request, error);
    if (h == 0) throw EMCIDeviceError(DeviceErrorText(error));
    handle_ = h;
    lastResult_ = kDeviceOk;
}

void SoundChannel::Play() {
    RequireOpen();
    // The rewind at the end is part of the service's Play: asked apart, the audio
    // thread could reach the end between the question and the Play, and the Play
    // would find nothing left to sound.
    const AtEnd atEnd = AutoRewind ? AtEnd::Rewind : AtEnd::Complete;
    lastResult_ = service_.Play(handle_, TakeRequest(NotifyRequest::Requested), atEnd);
}

void SoundChannel::Stop() {
    RequireOpen();
    lastResult_ = service_.Stop(handle_, TakeRequest(NotifyRequest::None));
}

void SoundChannel::Rewind() {
    RequireOpen();
    lastResult_ = service_.SeekToStart(handle_);
}

long SoundChannel::Position() const {
    RequireOpen();
    return service_.Position(handle_);
}

long SoundChannel::Length() const {
    RequireOpen();
    return service_.Length(handle_);
}

bool SoundChannel::Playing() const { return IsOpen() && service_.Playing(handle_); }

void SoundChannel::Close() {
    if (!IsOpen()) return;
    service_.Close(handle_);
    handle_ = 0;
    lastResult_ = kDeviceOk;
}

void SoundChannel::SetNotify(bool v) {
    notify_ = v;
    armed_ = true;
}

// An armed request decides once and is used up; without one the command's own
// default holds.
NotifyRequest SoundChannel::TakeRequest(NotifyRequest whenUnarmed) {
    if (!armed_) return whenUnarmed;
    armed_ = false;
    return notify_ ? NotifyRequest::Requested : NotifyRequest::None;
}

void SoundChannel::RequireOpen() const {
    if (!IsOpen()) throw EMCIDeviceError("No MCI device open");
}

void SoundChannel::Deliver(NotifyValue outcome) {
    notifyValue_ = outcome;
    if (OnNotify) OnNotify(*this);
}

void SoundService::Deliver(SoundChannel& channel, NotifyValue outcome) { channel.Deliver(outcome); }

}  // namespace sound
