#include "replay/Playback.h"

#include <limits>

#include "game/Random.h"
#include "sound/SoundChannel.h"

namespace replay {

namespace {

using scene::EventKind;

constexpr double kNever = std::numeric_limits<double>::infinity();
constexpr double kFastest = 16;

EventKind EventOf(EntryKind kind) {
    switch (kind) {
        case EntryKind::Move: return EventKind::MouseMove;
        case EntryKind::Down: return EventKind::MouseDown;
        case EntryKind::Up: return EventKind::MouseUp;
        case EntryKind::KeyDown: return EventKind::KeyDown;
        case EntryKind::KeyUp: return EventKind::KeyUp;
        case EntryKind::Text: return EventKind::TextInput;
        case EntryKind::FocusGained: return EventKind::FocusGained;
        case EntryKind::FocusLost: return EventKind::FocusLost;
        default: return EventKind::PointerLeft;
    }
}

scene::InputEvent EventFrom(const Entry& e, const Record& record) {
    scene::InputEvent ev;
    ev.kind = EventOf(e.kind);
    ev.timeMs = static_cast<double>(e.kind == EntryKind::Down ? e.eventUs : e.timeUs) / 1000;
    ev.x = e.x;
    ev.y = e.y;
    ev.button = static_cast<scene::TMouseButton>(e.button > 2 ? 0 : e.button);
    ev.key = e.key;
    ev.mods = e.mods;
    ev.repeat = e.repeat;
    if (e.kind == EntryKind::Text) ev.text = record.texts[e.index];
    return ev;
}

std::string At(const Entry& e) { return "at " + std::to_string(e.timeUs / 1000) + " ms"; }

}  // namespace

Playback::Playback(scene::Application& app, sound::SoundService& sounds, const Record& record, ChannelNamed channels)
    : app_(app),
      sounds_(sounds),
      record_(record),
      channels_(std::move(channels)),
      previousCounter_(game::PerformanceCounter()) {
    if (record_.seeds.empty())
        Differ("the record holds no seed");
    else
        game::RandSeed = record_.seeds[nextSeed_++];
    game::SetPerformanceCounter([this] { return NextSeed(); });
    sounds_.SetDeliveryTap([](sound::SoundChannel&, sound::NotifyValue) { return true; });
}

Playback::~Playback() {
    if (app_.Replaying()) app_.SetReplaySource(nullptr);
    sounds_.SetDeliveryTap({});
    game::SetPerformanceCounter(previousCounter_);
}

void Playback::Differ(const std::string& what) {
    if (difference_.empty()) difference_ = what;
}

std::uint32_t Playback::NextSeed() {
    if (nextSeed_ < record_.seeds.size()) return record_.seeds[nextSeed_++];
    Differ("the game drew more seeds than the record holds");
    return 0;
}

std::string Playback::Pasted() {
    if (nextPaste_ < record_.pastes.size()) return record_.pastes[nextPaste_++];
    Differ("the game read the clipboard more often than the record did");
    return {};
}

void Playback::RunAll() {
    while (!Done() && difference_.empty()) RunNext();
}

void Playback::RunNext() {
    if (Done()) return;
    const Entry& e = record_.entries[next_++];
    switch (e.kind) {
        case EntryKind::Tick:
            if (!app_.ReplayTick(record_.timers[e.index]))
                Differ(At(e) + " the record ticks " + record_.timers[e.index] + ", which is not running");
            if (!paced_) {
                paced_ = true;
                Anchor();
            }
            break;
        case EntryKind::Sound:
            if (sound::SoundChannel* channel = channels_(record_.channels[e.index]))
                sound::SoundService::DeliverRecorded(*channel, static_cast<sound::NotifyValue>(e.value));
            else
                Differ("the record names a sound channel the game does not have: " + record_.channels[e.index]);
            break;
        default: app_.ReplayInput(EventFrom(e, record_)); break;
    }
}

double Playback::TimeMs(std::size_t entry) const { return static_cast<double>(record_.entries[entry].timeUs) / 1000; }

// From here on entry times count from now, at the current speed.
void Playback::Anchor() { originMs_ = app_.NowMs() - (next_ > 0 ? TimeMs(next_ - 1) : 0) / speed_; }

double Playback::NextDueMs() {
    if (Done() || held_) return kNever;
    if (!paced_) return app_.NowMs();
    return originMs_ + TimeMs(next_) / speed_;
}

void Playback::ViewerKey(const scene::InputEvent& ev) {
    if (ev.repeat) return;
    if (ev.key == scene::kSpace) {
        held_ = !held_;
        if (held_) {
            soundsWereHeld_ = sounds_.Held();
            sounds_.HoldAll();
        } else {
            if (!soundsWereHeld_) sounds_.GoOnAll();
            Anchor();
        }
    } else if (ev.key == scene::kRight || ev.key == scene::kLeft) {
        speed_ = ev.key == scene::kLeft ? 1 : std::min(kFastest, speed_ * 2);
        Anchor();
    }
}

}  // namespace replay
