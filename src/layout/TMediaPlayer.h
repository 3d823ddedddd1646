// A sound channel's control strip: a windowed element with a place in the tab
// order whose load step opens the channel's file. The layout puts every strip
// below the client area, so none is ever seen.
#pragma once

#include <string>

#include "scene/TWinControl.h"
#include "sound/SoundChannel.h"

namespace layout {

class TMediaPlayer : public scene::TWinControl {
public:
    TMediaPlayer(scene::Form& owner, std::string name, sound::SoundService& service);

    void Paint(scene::Painter& painter) override;
    // Opens the file when AutoOpen is set; an error here abandons the window.
    void Loaded() override;

    sound::SoundChannel& Channel() { return channel_; }
    // The channel's operations, under the names the handlers use.
    void Play() { channel_.Play(); }
    void Stop() { channel_.Stop(); }
    void SetNotify(bool v) { channel_.SetNotify(v); }
    sound::NotifyValue NotifyValue() const { return channel_.GetNotifyValue(); }

private:
    sound::SoundChannel channel_;
};

}  // namespace layout
