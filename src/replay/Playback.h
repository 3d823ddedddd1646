// Plays a record back through the window's own handlers: the seeds fed to the
// generator in their order, the inputs through the loop's gate, the ticks to
// the timers of those names, the sound notifications to their channels (the
// live ones held back). Either as fast as it goes (RunAll, for checking) or at
// the recorded pace as the loop's replay source (watching); a game that goes
// another way than the record is noted as the first difference.
#pragma once

#include <functional>
#include <string>

#include "replay/Record.h"
#include "scene/Application.h"
#include "sound/SoundService.h"

namespace replay {

class Playback : public scene::ReplaySource {
public:
    using ChannelNamed = std::function<sound::SoundChannel*(const std::string& name)>;
    // Takes over the generator at once: make the window afterwards.
    Playback(scene::Application& app, sound::SoundService& sounds, const Record& record, ChannelNamed channels);
    ~Playback() override;
    Playback(const Playback&) = delete;
    Playback& operator=(const Playback&) = delete;

    // Runs every entry at once, stopping at the first difference.
    void RunAll();
    bool Done() const { return next_ == record_.entries.size(); }
    // The first way the game left the record, empty while it follows it.
    const std::string& Difference() const { return difference_; }
    // Seeds the record holds that the game has not asked for.
    std::size_t SeedsLeft() const { return record_.seeds.size() - nextSeed_; }

    // The loop's replay source, at the recorded pace from the game's first
    // tick on; what comes before (the start screen) runs at once.
    double NextDueMs() override;
    void RunNext() override;
    std::string Pasted() override;
    // Space holds the playback and lets it go on; the right arrow doubles its
    // speed, up to 16 times, the left arrow brings it back to the recorded pace.
    void ViewerKey(const scene::InputEvent& ev) override;

private:
    void Differ(const std::string& what);
    std::uint32_t NextSeed();
    void Anchor();
    double TimeMs(std::size_t entry) const;

    scene::Application& app_;
    sound::SoundService& sounds_;
    const Record& record_;
    ChannelNamed channels_;
    std::function<std::uint64_t()> previousCounter_;
    std::size_t next_ = 0, nextSeed_ = 0, nextPaste_ = 0;
    std::string difference_;
    bool paced_ = false;  // once the first tick has run
    bool held_ = false, soundsWereHeld_ = false;
    double speed_ = 1;
    double originMs_ = 0;  // platform time of the record's time 0 at this speed
};

}  // namespace replay
