// One player bound to one WAV file for the whole run: open, play from the current
// position, stop, and a one-shot request to be told when a command has finished.
#pragma once

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

namespace sound {

class SoundService;

class EMCIDeviceError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class NotifyValue { Successful, Superseded, Aborted, Failure };

class SoundChannel {
public:
    SoundChannel(SoundService& service, std::string name = {});
    ~SoundChannel();
    SoundChannel(const SoundChannel&) = delete;
    SoundChannel& operator=(const SoundChannel&) = delete;

    const std::string& Name() const { return name_; }

    std::string FileName;
    bool AutoOpen = true;
    bool AutoRewind = true;

    void Open();
    void Play();
    void Stop();
    void Rewind();
    long Position() const;
    long Length() const;
    void Close();
    bool IsOpen() const;

    // Sets the request and arms it for the next Open, Play or Stop only.
    void SetNotify(bool v);
    bool Notify() const { return notify_; }
    NotifyValue GetNotifyValue() const { return notifyValue_; }

    std::function<void(SoundChannel& Sender)> OnNotify;

private:
    SoundService& service_;
    std::string name_;
    bool notify_ = false;
    bool armed_ = false;
    NotifyValue notifyValue_ = NotifyValue::Successful;
    int handle_ = -1;
    long lastResult_ = 0;
};

}  // namespace sound
