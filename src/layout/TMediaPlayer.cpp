#include "layout/TMediaPlayer.h"

#include "scene/Painter.h"

namespace layout {

TMediaPlayer::TMediaPlayer(scene::Form& owner, std::string name, sound::SoundService& service)
    : scene::TWinControl(owner, name, 253, 30), channel_(service, name) {}

void TMediaPlayer::Paint(scene::Painter& painter) {
    // A row of nine small buttons, as a media strip shows them.
    const int buttonWidth = Width() / 9;
    for (int i = 0; i < 9; ++i) {
        const scene::TRect button{i * buttonWidth, 0, buttonWidth, Height()};
        painter.FillRect(button, scene::clBtnFace);
        painter.DrawEdge(button, false);
    }
}

void TMediaPlayer::Loaded() {
    if (channel_.AutoOpen) channel_.Open();
}

}  // namespace layout
