#include "replay/Recorder.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>

#include "game/Random.h"
#include "scene/TTimer.h"
#include "sound/SoundChannel.h"

namespace replay {

namespace {

using scene::EventKind;

EntryKind KindOf(EventKind kind) {
    switch (kind) {
        case EventKind::MouseMove: return EntryKind::Move;
        case EventKind::MouseDown: return EntryKind::Down;
        case EventKind::MouseUp: return EntryKind::Up;
        case EventKind::KeyDown: return EntryKind::KeyDown;
        case EventKind::KeyUp: return EntryKind::KeyUp;
        case EventKind::TextInput: return EntryKind::Text;
        case EventKind::FocusGained: return EntryKind::FocusGained;
        case EventKind::FocusLost: return EntryKind::FocusLost;
        default: return EntryKind::PointerLeft;
    }
}

}  // namespace

std::uint32_t IndexOf(std::vector<std::string>& names, const std::string& name) {
    const auto it = std::find(names.begin(), names.end(), name);
    if (it != names.end()) return static_cast<std::uint32_t>(it - names.begin());
    names.push_back(name);
    return static_cast<std::uint32_t>(names.size() - 1);
}

Recorder::Recorder(scene::Application& app, sound::SoundService& sounds, std::string gameVersion)
    : app_(app), sounds_(sounds), originMs_(app.NowMs()), previousCounter_(game::PerformanceCounter()) {
    record_.gameVersion = std::move(gameVersion);
    record_.startedUnix =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
    // The generator's state before the first reseed is where a replay starts it.
    record_.seeds.push_back(game::RandSeed);
    game::SetPerformanceCounter([this, counted = previousCounter_] {
        const std::uint64_t counter = counted();
        record_.seeds.push_back(static_cast<std::uint32_t>(counter));
        return counter;
    });
    sounds_.SetDeliveryTap([this](sound::SoundChannel& channel, sound::NotifyValue outcome) {
        SoundEnded(channel, outcome);
        return false;
    });
    app_.SetRecorder(this);
}

Recorder::~Recorder() {
    app_.SetRecorder(nullptr);
    sounds_.SetDeliveryTap({});
    game::SetPerformanceCounter(previousCounter_);
}

std::int64_t Recorder::Since(double nowMs) const {
    return std::max<std::int64_t>(0, std::llround((nowMs - originMs_) * 1000));
}

Entry& Recorder::Add(EntryKind kind, double nowMs) {
    Entry e;
    e.kind = kind;
    // The loop's clock never goes back, but an entry's time is kept in order regardless.
    e.timeUs = std::max(Since(nowMs), record_.entries.empty() ? 0 : record_.entries.back().timeUs);
    if (!record_.entries.empty()) {
        e.x = record_.entries.back().x;
        e.y = record_.entries.back().y;
    }
    record_.entries.push_back(e);
    return record_.entries.back();
}

void Recorder::Input(double nowMs, const scene::InputEvent& ev) {
    Entry& e = Add(KindOf(ev.kind), nowMs);
    switch (ev.kind) {
        case EventKind::MouseDown: e.eventUs = Since(ev.timeMs); [[fallthrough]];
        case EventKind::MouseUp: e.button = static_cast<std::uint8_t>(ev.button); [[fallthrough]];
        case EventKind::MouseMove:
            e.x = ev.x;
            e.y = ev.y;
            e.mods = ev.mods;
            break;
        case EventKind::KeyDown:
        case EventKind::KeyUp:
            e.key = ev.key;
            e.mods = ev.mods;
            e.repeat = ev.repeat;
            break;
        case EventKind::TextInput:
            e.index = static_cast<std::uint32_t>(record_.texts.size());
            record_.texts.push_back(ev.text);
            break;
        default: break;
    }
}

void Recorder::Tick(double nowMs, const scene::TTimer& timer) {
    Add(EntryKind::Tick, nowMs).index = IndexOf(record_.timers, timer.Name());
}

void Recorder::Pasted(const std::string& utf8) { record_.pastes.push_back(utf8); }

void Recorder::SoundEnded(const sound::SoundChannel& channel, sound::NotifyValue outcome) {
    Entry& e = Add(EntryKind::Sound, app_.NowMs());
    e.index = IndexOf(record_.channels, channel.Name());
    e.value = static_cast<std::uint32_t>(outcome);
}

}  // namespace replay
