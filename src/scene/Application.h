// The event loop. It owns the clock: posted events first, then input, then one
// repaint, then a due timer tick, then idle work and waiting. A handler's error
// is caught here and shown in the error box.
#pragma once

#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "scene/DispatchLog.h"
#include "scene/Platform.h"

namespace scene {

class Form;
class TTimer;
class ErrorBox;
class FrameTrace;

class Application {
public:
    Application(Platform& platform, const std::string& programPath);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    Platform& GetPlatform() const { return platform_; }
    double NowMs() const { return platform_.NowMs(); }
    // The program file's name without folder and extension, letters after the first in lower case.
    const std::string& Title() const { return title_; }
    const std::string& ProgramPath() const { return programPath_; }
    static std::string TitleFromPath(const std::string& path);
    // The program file's name without its folder.
    static std::string FileNameOf(const std::string& path);

    // Runs the loop with form as the main window until it closes or Terminate().
    // Shows the window first if it is not showing yet.
    void Run(Form& form);
    // Tests: runs the loop until the clock reaches NowMs() + ms and nothing is
    // left to do at that moment (or the loop ends).
    void RunFor(double ms);
    // One pass of the loop; waits at most until deadlineMs. Returns false once terminated.
    bool Step(double deadlineMs);
    // The loop ends once the running handler has returned.
    void Terminate();
    bool Terminated() const { return terminated_; }
    Form* MainForm() const { return mainForm_; }
    void SetMainForm(Form* f) { mainForm_ = f; }

    // Writes the frame trace (FrameTrace.h) to path from now on; throws
    // std::runtime_error when the file cannot be made.
    void TraceFrames(const std::string& path);

    // Thread-safe: queues fn to run on the loop thread, ahead of input.
    void Post(std::function<void()> fn);
    // Loop thread: queues fn for when the loop has nothing else to do (no posted
    // work, input, repaint or due timer, no error box), one per pass, so input
    // waits at most for one of them. For work done ahead of need. Work given an
    // owner is dropped unrun by DropIdleWork(owner), as a form does when it goes.
    void PostWhenIdle(std::function<void()> fn, const void* owner = nullptr);
    void DropIdleWork(const void* owner);
    // Loop thread: runs fn once the main window's next frame is presented, for
    // work started after the first frame. DropIdleWork(owner) drops it too.
    void AfterNextPresent(std::function<void()> fn, const void* owner = nullptr);

    // Timers.
    void ArmTimer(TTimer& t);
    void DisarmTimer(TTimer& t);
    // How many timers may be armed at once; beyond it arming fails.
    void SetTimerLimit(int n) { timerLimit_ = n; }
    int ArmedTimers() const { return static_cast<int>(armed_.size()); }
    // Freezing stops every timer that stands when frozen; thawing gives each the
    // time it had left, so a freeze of any length changes no tick's order.
    void FreezeTimers();
    void ThawTimers();
    bool TimersFrozen() const { return frozen_; }

    // A gate sees the main window's input before the window does; what it
    // returns true for never reaches the window's elements or their handlers.
    using InputGate = std::function<bool(const InputEvent& ev)>;
    void SetInputGate(InputGate gate) { gate_ = std::move(gate); }

    // Recording: the recorder sees the main window's input (before the gate, in
    // layout pixels; the window's own mode keys left out), every timer tick and
    // every paste. Null stops it.
    void SetRecorder(DispatchRecorder* recorder) { recorder_ = recorder; }
    // Replaying: the source's entries run when due and the window's timers no
    // longer run on the clock; the platform's input reaches the window only to
    // close it, expose it or switch its mode, and the viewer's keys go to the
    // source. Null ends it.
    void SetReplaySource(ReplaySource* source) { replay_ = source; }
    bool Replaying() const { return replay_ != nullptr; }
    // One recorded input, pointer in layout pixels, through the gate to the window.
    void ReplayInput(const InputEvent& layoutEvent);
    // One tick of the window's armed, running timer of that name; false when
    // there is none, as a game that went another way than the record has.
    bool ReplayTick(const std::string& name);
    // The clipboard as the window's controls read it: the platform's, or the record's.
    std::string ClipboardText();

    // When set, an error the tap returns true for is taken by it and no box shows.
    using ErrorTap = std::function<bool(const std::string& message)>;
    void SetErrorTap(ErrorTap tap) { errorTap_ = std::move(tap); }

    // Runs fn, showing any error it raises in the error box.
    void Guard(const std::function<void()>& fn);
    // The error box: cancels the pointer capture, then shows the message and waits
    // for OK; while another box is open the message is held back until it closes.
    void ShowError(const std::string& message);
    // Message text as the box shows it: a "." added after a letter or digit.
    static std::string BoxText(const std::string& message);
    ErrorBox* OpenErrorBox() const { return openBox_; }
    // Every box shown so far, in order, as caption and text.
    struct ShownBox {
        std::string caption, text;
    };
    const std::vector<ShownBox>& ShownBoxes() const { return shownBoxes_; }
    int HeldBackErrors() const { return static_cast<int>(heldErrors_.size()); }

    // Startup failures, before any window exists: the "Application Error" box.
    void ShowStartupError(const std::string& kind, const std::string& message);
    static std::string StartupErrorText(const std::string& kind, const std::string& programPath,
                                        const std::string& message);

private:
    enum class Pass { Worked, Idle };
    Pass RunPass(double deadlineMs);
    bool RunPosted();
    bool HasPosted();
    bool RunInput();
    bool RunRepaint();
    bool RunDueTimer();
    bool RunReplayEntry();
    // The input that reaches the window while a record plays: none of the viewer's.
    void DispatchWhileReplaying(Form& form, const InputEvent& ev);
    static bool Recordable(const InputEvent& ev);
    bool RunIdleWork();
    void RunAfterPresent();
    void Dispatch(const InputEvent& ev);
    double EarliestDueMs() const;
    // The shortest period among the armed timers, 0 when none is armed.
    double ShortestPeriodMs() const;
    bool Standing(const TTimer& t) const;
    void ShowBox(const std::string& caption, const std::string& text);
    void ReportWithoutBox(const std::string& caption, const std::string& text, const std::string& why) const;
    void CancelCapture();
    // Runs fn and, while tracing, counts its time as handler time.
    template <typename Fn>
    void Timed(const Fn& fn);

    Platform& platform_;
    std::string programPath_;
    std::string title_;
    Form* mainForm_ = nullptr;
    bool terminated_ = false;

    std::mutex postedMutex_;
    std::deque<std::function<void()>> posted_;

    struct IdleWork {
        std::function<void()> fn;
        const void* owner;
    };
    std::deque<IdleWork> idleWork_;
    std::vector<IdleWork> afterPresent_;

    std::vector<TTimer*> armed_;
    int timerLimit_ = 256;
    bool frozen_ = false;
    double frozenAtMs_ = 0;
    InputGate gate_;
    DispatchRecorder* recorder_ = nullptr;
    ReplaySource* replay_ = nullptr;
    ErrorTap errorTap_;

    ErrorBox* openBox_ = nullptr;
    std::deque<std::string> heldErrors_;
    std::vector<ShownBox> shownBoxes_;

    std::unique_ptr<FrameTrace> trace_;
};

}  // namespace scene
