// Keeps the record of the game being played: installed before the window is
// made, so that the create handler's reseeds are in it too, it sees every seed,
// every input and tick the loop hands the window and every sound notification.
#pragma once

#include <functional>

#include "replay/Record.h"
#include "scene/Application.h"
#include "sound/SoundService.h"

namespace replay {

class Recorder : public scene::DispatchRecorder {
public:
    Recorder(scene::Application& app, sound::SoundService& sounds, std::string gameVersion);
    ~Recorder() override;
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    // The record so far; the caller fills in the name, score and tile field.
    const Record& Kept() const { return record_; }

    void Input(double nowMs, const scene::InputEvent& layoutEvent) override;
    void Tick(double nowMs, const scene::TTimer& timer) override;
    void Pasted(const std::string& utf8) override;

private:
    void SoundEnded(const sound::SoundChannel& channel, sound::NotifyValue outcome);
    std::int64_t Since(double nowMs) const;
    Entry& Add(EntryKind kind, double nowMs);

    scene::Application& app_;
    sound::SoundService& sounds_;
    double originMs_;
    std::function<std::uint64_t()> previousCounter_;  // what the reseeds read, now through here
    Record record_;
};

// The index of name in names, added at the end when it is new.
std::uint32_t IndexOf(std::vector<std::string>& names, const std::string& name);

}  // namespace replay
