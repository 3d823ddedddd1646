// The music loops: a piece that played to its end starts again while its switch is on.
#include "layout/TForm1.h"

namespace layout {

namespace {

void LoopOn(TMediaPlayer& player, std::uint8_t loopSwitch) {
    if (player.NotifyValue() == sound::NotifyValue::Successful && loopSwitch == 1) {
        player.Play();
        player.SetNotify(true);
    }
}

}  // namespace

void TForm1::MediaPlayer1Notify(sound::SoundChannel& /*Sender*/) { LoopOn(MediaPlayer1, State.musicLoop); }
void TForm1::MediaPlayer2Notify(sound::SoundChannel& /*Sender*/) { LoopOn(MediaPlayer2, State.musicLoop); }
void TForm1::MediaPlayer4Notify(sound::SoundChannel& /*Sender*/) { LoopOn(MediaPlayer4, State.bonusMusicLoop); }

}  // namespace layout
