// What reaches the main window's handlers, in the order it reaches them: input,
// timer ticks and pasted text. A recorder sees it as it happens; a replay
// source feeds it back in place of the player and the clock.
#pragma once

#include <string>

#include "scene/Platform.h"

namespace scene {

class TTimer;

class DispatchRecorder {
public:
    virtual ~DispatchRecorder() = default;
    // Pointer positions in layout pixels; nowMs on the platform clock.
    virtual void Input(double nowMs, const InputEvent& layoutEvent) = 0;
    virtual void Tick(double nowMs, const TTimer& timer) = 0;
    virtual void Pasted(const std::string& utf8) = 0;
};

class ReplaySource {
public:
    virtual ~ReplaySource() = default;
    // When the next entry is due on the platform clock; infinity once all have run.
    virtual double NextDueMs() = 0;
    virtual void RunNext() = 0;
    // The clipboard's text as the recorded game read it, the next one each call.
    virtual std::string Pasted() = 0;
    // The viewer's own keys (a recorded game takes none of them).
    virtual void ViewerKey(const InputEvent& /*ev*/) {}
};

}  // namespace scene
