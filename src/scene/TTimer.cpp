#include "scene/TTimer.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "scene/Application.h"
#include "scene/Form.h"
#include "scene/Platform.h"

namespace scene {

namespace {

constexpr unsigned kMinimumIntervalMs = 10;

}  // namespace

TTimer::TTimer(Form& owner, std::string name) : owner_(owner), name_(std::move(name)) { owner_.Register(*this); }

TTimer::~TTimer() {
    if (armed_) owner_.App().DisarmTimer(*this);
    owner_.Unregister(*this);
}

double TTimer::PeriodMs(unsigned interval) {
    const std::uint64_t ms = std::max(interval, kMinimumIntervalMs);
    // A beat is 1000/64 ms: round ms * 64 / 1000 up to whole beats.
    const std::uint64_t beats = (ms * 64 + 999) / 1000;
    return static_cast<double>(beats) * kClockBeatMs;
}

void TTimer::SetInterval(unsigned ms) {
    if (ms == interval_) return;
    interval_ = ms;
    Rearm();
}

void TTimer::SetEnabled(bool e) {
    if (e == enabled_) return;
    enabled_ = e;
    Rearm();
}

void TTimer::SetOnTimer(TTimerEvent handler) {
    onTimer_ = std::move(handler);
    Rearm();
}

void TTimer::Rearm() {
    Application& app = owner_.App();
    if (armed_) app.DisarmTimer(*this);
    if (interval_ != 0 && enabled_ && onTimer_ && owner_.Loaded()) app.ArmTimer(*this);
}

void TTimer::Tick() {
    if (running_ || !onTimer_) return;
    struct RunningMark {
        bool& flag;
        explicit RunningMark(bool& f) : flag(f) { flag = true; }
        ~RunningMark() { flag = false; }
    } mark(running_);
    // The handler may replace itself; keep the one being run alive until it returns.
    const TTimerEvent handler = onTimer_;
    handler(*this);
}

}  // namespace scene
