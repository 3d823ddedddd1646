// A timer owned by the window. It is armed exactly while it has an interval, is
// enabled and has a handler; its ticks come from the event loop.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>

namespace scene {

class Form;
class TTimer;
using TTimerEvent = std::function<void(TTimer& Sender)>;

// What a timer does while the application's timers are frozen: stand still and
// go on with the time it had left, or keep ticking (for whatever shows the freeze).
enum class WhenFrozen { Stands, Runs };

// Raised to the code that asked for one timer more than the platform has.
class TimerLimitError : public std::runtime_error {
public:
    TimerLimitError() : std::runtime_error("Not enough timers available") {}
};

class TTimer {
public:
    TTimer(Form& owner, std::string name = {});
    ~TTimer();
    TTimer(const TTimer&) = delete;
    TTimer& operator=(const TTimer&) = delete;

    const std::string& Name() const { return name_; }
    Form& Owner() const { return owner_; }
    unsigned Interval() const { return interval_; }
    // A new value re-arms the timer, so its next tick is one full period away.
    // Throws TimerLimitError when arming fails; the timer then stays disarmed.
    void SetInterval(unsigned ms);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool e);
    void SetOnTimer(TTimerEvent handler);
    WhenFrozen Freezing() const { return whenFrozen_; }
    void SetFreezing(WhenFrozen f) { whenFrozen_ = f; }
    bool Armed() const { return armed_; }
    // When the next tick falls due on the platform clock; meaningful while armed.
    double DueMs() const { return dueMs_; }

    // The interval raised to 10 ms and rounded up to whole 15.625 ms beats.
    static double PeriodMs(unsigned interval);

    // Called by the event loop; does nothing while the handler is already running.
    void Tick();
    // Arms the timer if its three conditions hold; the window calls this once loaded.
    void Rearm();

private:
    Form& owner_;
    std::string name_;
    unsigned interval_ = 1000;
    bool enabled_ = true;
    bool armed_ = false;
    bool running_ = false;
    WhenFrozen whenFrozen_ = WhenFrozen::Stands;
    TTimerEvent onTimer_;
    friend class Application;
    double dueMs_ = 0;
};

}  // namespace scene
