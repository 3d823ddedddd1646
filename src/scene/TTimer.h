// A timer owned by the window. It is armed exactly while it has an interval, is
// enabled and has a handler; its ticks come from the event loop.
#pragma once

#include <functional>
#include <string>

namespace scene {

class Form;
class TTimer;
using TTimerEvent = std::function<void(TTimer& Sender)>;

class TTimer {
public:
    TTimer(Form& owner, std::string name = {});
    ~TTimer();
    TTimer(const TTimer&) = delete;
    TTimer& operator=(const TTimer&) = delete;

    const std::string& Name() const { return name_; }
    unsigned Interval() const { return interval_; }
    void SetInterval(unsigned ms);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool e);
    void SetOnTimer(TTimerEvent handler);
    bool Armed() const { return armed_; }

    // The interval raised to 10 ms and rounded up to whole 15.625 ms beats.
    static double PeriodMs(unsigned interval);

    // Called by the event loop.
    void Tick();

private:
    void Rearm();

    Form& owner_;
    std::string name_;
    unsigned interval_ = 1000;
    bool enabled_ = true;
    bool armed_ = false;
    bool running_ = false;
    TTimerEvent onTimer_;
    friend class Application;
    double dueMs_ = 0;
    bool pending_ = false;
};

}  // namespace scene
