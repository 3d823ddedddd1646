// One player bound to one WAV file for the whole run: open, play from the current
// position, stop, and a one-shot request to be told when a command has finished.
// All operations run on the loop thread; notifications arrive there too, posted by
// the service, never from inside an operation.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>

#include "sound/NotifyValue.h"
#include "sound/SoundService.h"

namespace sound {

class EMCIDeviceError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The message for a failed Open: the service's text, or "Unknown error code" without one.
std::string DeviceErrorText(const std::string& serviceText);

class SoundChannel {
public:
    SoundChannel(SoundService& service, std::string name = {});
    // Closes the file without a notification.
    ~SoundChannel();
    SoundChannel(const SoundChannel&) = delete;
    SoundChannel& operator=(const SoundChannel&) = delete;

    const std::string& Name() const { return name_; }

    std::string FileName;
    bool AutoOpen = true;
    bool AutoRewind = true;

    // Raises EMCIDeviceError naming the file and the reason; the channel then stays closed.
    void Open();
    // Plays from the current position (from the start once at the end) and returns
    // at once. Asks to be told of the end unless Notify is armed with false.
    void Play();
    // Stops at once, keeping the position. Asks to be told only if Notify is armed with true.
    void Stop();
    // Like Play and Stop, these raise "No MCI device open" on a closed channel.
    void Rewind();
    // In frames of the output; equal once playback has reached the end.
    long Position() const;
    long Length() const;
    void Close();
    bool IsOpen() const { return handle_ != 0; }
    bool Playing() const;

    // Sets the request and arms it for the next Open, Play or Stop only.
    void SetNotify(bool v);
    bool Notify() const { return notify_; }
    NotifyValue GetNotifyValue() const { return notifyValue_; }
    // The service's result code of the last command, 0 for success.
    long LastResult() const { return lastResult_; }

    // Called on the loop thread, with this channel, each time a notification arrives.
    std::function<void(SoundChannel& Sender)> OnNotify;

private:
    friend class SoundService;
    NotifyRequest TakeRequest(NotifyRequest whenUnarmed);
    void RequireOpen() const;
    void Deliver(NotifyValue outcome);

    SoundService& service_;
    std::string name_;
    bool notify_ = false;
    bool armed_ = false;
    NotifyValue notifyValue_ = NotifyValue::Successful;
    DeviceHandle handle_ = 0;
    long lastResult_ = 0;
};

}  // namespace sound
