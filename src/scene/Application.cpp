#include "scene/Application.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <utility>

#include "scene/Cp1252.h"
#include "scene/ErrorBox.h"
#include "scene/Form.h"
#include "scene/FrameTrace.h"
#include "scene/TTimer.h"

namespace scene {

namespace {

constexpr double kForever = std::numeric_limits<double>::infinity();

}  // namespace

Application::Application(Platform& platform, const std::string& programPath)
    : platform_(platform), programPath_(programPath), title_(TitleFromPath(programPath)) {}

Application::~Application() = default;

std::string Application::FileNameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Application::TitleFromPath(const std::string& path) {
    std::string title = FileNameOf(path);
    title = title.substr(0, title.find('.'));
    // The first letter stays as the file name has it; only the rest goes to lower case.
    for (std::size_t i = 1; i < title.size(); ++i)
        title[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(title[i])));
    return title;
}

// ---- The loop ----

void Application::Run(Form& form) {
    mainForm_ = &form;
    if (!form.Showing()) form.Show();
    while (!terminated_) RunPass(kForever);
}

void Application::RunFor(double ms) {
    const double end = platform_.NowMs() + ms;
    while (!terminated_) {
        // Ends on a pass that found nothing to do once the end had come.
        const bool atEnd = platform_.NowMs() >= end;
        if (RunPass(end) == Pass::Idle && atEnd) break;
    }
}

bool Application::Step(double deadlineMs) {
    if (!terminated_) RunPass(deadlineMs);
    return !terminated_;
}

void Application::Terminate() {
    terminated_ = true;
    platform_.Wake();
}

Application::Pass Application::RunPass(double deadlineMs) {
    if (RunPosted() || RunInput() || RunRepaint() || RunDueTimer() || RunReplayEntry()) return Pass::Worked;
    if (mainForm_ && !openBox_) Timed([this] { Guard([this] { mainForm_->IdleCheck(); }); });
    // What idle work marked is painted, and work posted meanwhile is run, before
    // the loop waits: neither may sit until the next event.
    if (HasPosted() || RunRepaint() || RunIdleWork()) return Pass::Worked;
    const double until = std::min(deadlineMs, EarliestDueMs());
    InputEvent ev;
    if (!platform_.WaitEvent(ev, until)) return Pass::Idle;
    Dispatch(ev);
    return Pass::Worked;
}

bool Application::RunPosted() {
    std::function<void()> fn;
    {
        const std::lock_guard<std::mutex> lock(postedMutex_);
        if (posted_.empty()) return false;
        fn = std::move(posted_.front());
        posted_.pop_front();
    }
    Timed([&fn, this] { Guard(fn); });
    return true;
}

void Application::PostWhenIdle(std::function<void()> fn, const void* owner) {
    idleWork_.push_back({std::move(fn), owner});
}

void Application::DropIdleWork(const void* owner) {
    std::erase_if(idleWork_, [owner](const IdleWork& w) { return w.owner == owner; });
    std::erase_if(afterPresent_, [owner](const IdleWork& w) { return w.owner == owner; });
}

void Application::AfterNextPresent(std::function<void()> fn, const void* owner) {
    afterPresent_.push_back({std::move(fn), owner});
}

bool Application::RunIdleWork() {
    if (idleWork_.empty() || openBox_ || terminated_) return false;
    const std::function<void()> fn = std::move(idleWork_.front().fn);
    idleWork_.pop_front();
    Timed([&fn, this] { Guard(fn); });
    return true;
}

bool Application::HasPosted() {
    const std::lock_guard<std::mutex> lock(postedMutex_);
    return !posted_.empty();
}

bool Application::RunInput() {
    InputEvent ev;
    if (!platform_.WaitEvent(ev, platform_.NowMs())) return false;
    Dispatch(ev);
    return true;
}

bool Application::RunRepaint() {
    bool worked = false;
    if (mainForm_ && mainForm_->NeedsRepaint()) {
        Form::RepaintCost cost;
        Guard([this, &cost] { cost = mainForm_->Repaint(); });
        if (trace_) trace_->FramePresented(platform_.NowMs(), cost.composeMs, cost.presentMs, ShortestPeriodMs());
        if (cost.presented) RunAfterPresent();
        worked = true;
    }
    if (openBox_ && openBox_->NeedsRepaint()) {
        openBox_->Repaint();
        worked = true;
    }
    return worked;
}

bool Application::RunDueTimer() {
    if (replay_) return false;
    const double now = platform_.NowMs();
    TTimer* next = nullptr;
    for (TTimer* t : armed_)
        if (!Standing(*t) && t->dueMs_ <= now && (!next || t->dueMs_ < next->dueMs_)) next = t;
    if (!next) return false;
    // One tick however late: the missed periods are dropped and the beat goes on.
    const double period = TTimer::PeriodMs(next->interval_);
    next->dueMs_ += (std::floor((now - next->dueMs_) / period) + 1) * period;
    if (recorder_) recorder_->Tick(now, *next);
    Timed([this, next] { Guard([next] { next->Tick(); }); });
    if (trace_) trace_->TickRan();
    return true;
}

bool Application::RunReplayEntry() {
    if (!replay_ || openBox_ || replay_->NextDueMs() > platform_.NowMs()) return false;
    replay_->RunNext();
    return true;
}

void Application::ReplayInput(const InputEvent& layoutEvent) {
    Form* form = mainForm_;
    if (!form) return;
    if (gate_ && gate_(layoutEvent)) return;
    Timed([this, form, &layoutEvent] { Guard([form, &layoutEvent] { form->HandleLayoutInput(layoutEvent); }); });
}

bool Application::ReplayTick(const std::string& name) {
    for (TTimer* t : armed_) {
        if (t->Name() != name || Standing(*t)) continue;
        Timed([this, t] { Guard([t] { t->Tick(); }); });
        return true;
    }
    return false;
}

std::string Application::ClipboardText() {
    if (replay_) return replay_->Pasted();
    std::string text = platform_.ClipboardText();
    if (recorder_) recorder_->Pasted(text);
    return text;
}

bool Application::Recordable(const InputEvent& ev) {
    switch (ev.kind) {
        case EventKind::CloseRequest:
        case EventKind::Exposed: return false;
        case EventKind::KeyDown: return !Form::IsFullScreenKey(ev.key, ev.mods);
        default: return true;
    }
}

void Application::DispatchWhileReplaying(Form& form, const InputEvent& ev) {
    const bool windowKey = ev.kind == EventKind::KeyDown && Form::IsFullScreenKey(ev.key, ev.mods);
    if (ev.kind == EventKind::CloseRequest || ev.kind == EventKind::Exposed || windowKey)
        Guard([&form, &ev] { form.HandleInput(ev); });
    else if (ev.kind == EventKind::KeyDown)
        Guard([this, &ev] { replay_->ViewerKey(ev); });
}

void Application::RunAfterPresent() {
    std::vector<IdleWork> due;
    due.swap(afterPresent_);
    for (const IdleWork& w : due) Guard(w.fn);
}

double Application::ShortestPeriodMs() const {
    double shortest = 0;
    for (const TTimer* t : armed_) {
        const double period = TTimer::PeriodMs(t->interval_);
        if (shortest == 0 || period < shortest) shortest = period;
    }
    return shortest;
}

double Application::EarliestDueMs() const {
    if (replay_) return replay_->NextDueMs();
    double earliest = kForever;
    for (const TTimer* t : armed_)
        if (!Standing(*t)) earliest = std::min(earliest, t->dueMs_);
    return earliest;
}

void Application::Dispatch(const InputEvent& ev) {
    if (openBox_ && ev.window == openBox_->WindowId()) {
        openBox_->HandleInput(ev);
        return;
    }
    Form* form = mainForm_;
    if (!form || !form->Showing() || ev.window != form->WindowId()) return;
    if (openBox_) {
        // The box is modal: the game window takes no input meanwhile.
        if (ev.kind == EventKind::Exposed) form->InvalidateAll();
        return;
    }
    if (replay_) {
        DispatchWhileReplaying(*form, ev);
        return;
    }
    if (recorder_ && Recordable(ev)) recorder_->Input(platform_.NowMs(), form->InLayout(ev));
    if (gate_ && gate_(ev)) return;
    const std::uint64_t marksBefore = form->Marks();
    Timed([this, form, &ev] { Guard([form, &ev] { form->HandleInput(ev); }); });
    if (trace_) trace_->InputHandled(ev.kind, ev.timeMs, form->Marks() != marksBefore);
}

template <typename Fn>
void Application::Timed(const Fn& fn) {
    if (!trace_) {
        fn();
        return;
    }
    const double start = platform_.NowMs();
    fn();
    trace_->HandlerRan(platform_.NowMs() - start);
}

void Application::TraceFrames(const std::string& path) { trace_ = std::make_unique<FrameTrace>(path); }

void Application::Post(std::function<void()> fn) {
    {
        const std::lock_guard<std::mutex> lock(postedMutex_);
        posted_.push_back(std::move(fn));
    }
    platform_.Wake();
}

// ---- Timers ----

void Application::ArmTimer(TTimer& t) {
    if (t.armed_) DisarmTimer(t);
    if (static_cast<int>(armed_.size()) >= timerLimit_) throw TimerLimitError();
    t.armed_ = true;
    // Armed while frozen, it starts its period at the thaw.
    const double from = Standing(t) ? frozenAtMs_ : platform_.NowMs();
    t.dueMs_ = from + TTimer::PeriodMs(t.interval_);
    armed_.push_back(&t);
}

bool Application::Standing(const TTimer& t) const { return frozen_ && t.whenFrozen_ == WhenFrozen::Stands; }

void Application::FreezeTimers() {
    if (frozen_) return;
    frozen_ = true;
    frozenAtMs_ = platform_.NowMs();
}

void Application::ThawTimers() {
    if (!frozen_) return;
    const double frozenFor = platform_.NowMs() - frozenAtMs_;
    for (TTimer* t : armed_)
        if (Standing(*t)) t->dueMs_ += frozenFor;
    frozen_ = false;
}

void Application::DisarmTimer(TTimer& t) {
    const auto it = std::find(armed_.begin(), armed_.end(), &t);
    if (it != armed_.end()) armed_.erase(it);
    t.armed_ = false;
}

// ---- Errors ----

void Application::Guard(const std::function<void()>& fn) {
    try {
        fn();
    } catch (const std::exception& e) {
        ShowError(e.what());
    } catch (...) {
        ShowError({});
    }
}

// Opening a box takes the pointer from whoever holds it; should that element's
// release fail in turn, its report follows the first.
void Application::CancelCapture() {
    if (!mainForm_) return;
    try {
        mainForm_->CancelCapture();
    } catch (const std::exception& e) {
        heldErrors_.push_back(e.what());
    } catch (...) {
        heldErrors_.push_back({});
    }
}

std::string Application::BoxText(const std::string& message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > static_cast<unsigned char>('.'))
        return message + ".";
    return message;
}

void Application::ShowError(const std::string& message) {
    if (errorTap_ && errorTap_(message)) return;
    if (openBox_) {
        heldErrors_.push_back(message);
        return;
    }
    CancelCapture();
    ShowBox(title_, BoxText(message));
    while (!heldErrors_.empty() && !terminated_) {
        const std::string next = std::move(heldErrors_.front());
        heldErrors_.pop_front();
        ShowBox(title_, BoxText(next));
    }
}

void Application::ShowBox(const std::string& caption, const std::string& text) {
    const int owner = mainForm_ && mainForm_->Showing() ? mainForm_->WindowId() : 0;
    std::unique_ptr<ErrorBox> made;
    try {
        made = std::make_unique<ErrorBox>(platform_, caption, text, owner);
    } catch (const std::exception& e) {
        // The box is the last resort of a report; without it the report still counts.
        ReportWithoutBox(caption, text, e.what());
        return;
    }
    ErrorBox& box = *made;
    shownBoxes_.push_back({caption, text});
    struct OpenMark {
        ErrorBox*& slot;
        OpenMark(ErrorBox*& s, ErrorBox& b) : slot(s) { slot = &b; }
        ~OpenMark() { slot = nullptr; }
    } mark(openBox_, box);
    // The box's own loop: repaints, ticks and posted work go on, game input does not.
    while (!box.Closed() && !terminated_) RunPass(kForever);
}

void Application::ReportWithoutBox(const std::string& caption, const std::string& text, const std::string& why) const {
    std::string shown;
    for (char c : Cp1252ToUtf8(text))
        if (c != '\r') shown += c;
    while (!shown.empty() && shown.back() == '\n') shown.pop_back();
    const std::string program = FileNameOf(programPath_);
    std::fprintf(stderr, "%s: %s: %s\n%s: (no error box could be shown: %s)\n", program.c_str(),
                 Cp1252ToUtf8(caption).c_str(), shown.c_str(), program.c_str(), Cp1252ToUtf8(why).c_str());
}

std::string Application::StartupErrorText(const std::string& kind, const std::string& programPath,
                                          const std::string& message) {
    // The address of the code that reports, as a 32-bit module offset would read.
    const auto address =
        static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(&Application::StartupErrorText) & 0xFFFFFFFFu);
    char hex[16] = {};
    std::snprintf(hex, sizeof hex, "%08X", address);
    const bool endsWithStop = !message.empty() && message.back() == '.';
    return "Exception " + kind + " in module " + FileNameOf(programPath) + " at " + hex + ".\r\n" + message +
           (endsWithStop ? "" : ".") + "\r\n";
}

void Application::ShowStartupError(const std::string& kind, const std::string& message) {
    ShowBox("Application Error", StartupErrorText(kind, programPath_, message));
}

}  // namespace scene
