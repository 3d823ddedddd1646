// The frame trace (SWOOPY_TRACE=FILE): one line for every frame the main window
// presents, telling what the loop did for it. Fields, space-separated name=value:
//
//   frame=N        frames presented so far, this one included
//   beat=B         the platform clock's beat (15.625 ms) the present ended in
//   at=MS          the platform clock when the present ended
//   ticks=N        timer ticks run since the previous frame
//   period=MS      the shortest period of the timers armed when the present
//                  ended, or "-" when none is: frames of a 1 ms timer come a
//                  beat apart, those of a slower one (a paused game's) farther
//   input=LIST     input events the window handled since the previous frame, as
//                  kind/age/effect joined by ",", or "-" for none: kind is move,
//                  down, up, key, keyup, text, close, focus, blur, expose or
//                  leave; age the milliseconds
//                  from the event's arrival to the end of this present; effect
//                  "shown" when its handling marked part of the window for
//                  repaint, else "none"
//   handlers=MS    time in handlers, ticks, posted work and idle work since the
//                  previous frame
//   compose=MS     time composing this frame
//   present=MS     time putting it on the screen
//
// Times are milliseconds with three decimals. Each line is written out whole as
// it is made, so a trace cut short by a kill ends at a frame's end.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "scene/Platform.h"

namespace scene {

class Application;

// Starts the trace into the file SWOOPY_TRACE names, if it names one; a file
// that cannot be made is reported on standard error and the program goes on.
void TraceFramesAsAsked(Application& app);

class FrameTrace {
public:
    // Throws std::runtime_error naming the file and the reason.
    explicit FrameTrace(const std::string& path);

    void HandlerRan(double ms) { handlersMs_ += ms; }
    void TickRan() { ++ticks_; }
    void InputHandled(EventKind kind, double arrivedMs, bool marked);
    // Writes the frame's line and starts the next frame's counts.
    // periodMs is 0 when no timer is armed.
    void FramePresented(double atMs, double composeMs, double presentMs, double periodMs);

private:
    struct FileCloser {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };

    std::unique_ptr<std::FILE, FileCloser> file_;
    long long frames_ = 0;
    int ticks_ = 0;
    double handlersMs_ = 0;
    // Kind, arrival and effect of each input, until the present dates them.
    struct Input {
        const char* kind;
        double arrivedMs;
        bool marked;
    };
    std::vector<Input> pending_;
};

}  // namespace scene
