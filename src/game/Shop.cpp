// The shop's purchases and the sound switch. No purchase looks at the coins:
// the offers tick shows an offer only while it is affordable, and a hidden
// label cannot be clicked.
#include "layout/TForm1.h"

namespace layout {

void TForm1::Label2Click(SceneElement& /*Sender*/) {
    State.timeLeft += 30;
    State.money -= 30;
    MediaPlayer3.Play();
}

// The clock brings the red squares back eight seconds later; a mover stage may
// show some of them again on the next check tick.
void TForm1::Label3Click(SceneElement& /*Sender*/) {
    MediaPlayer3.Play();
    State.money -= 20;
    for (SceneElement* red : {&Rvierkant1, &rvierkant2, &rvierkant3, &rvierkant4}) red->SetVisible(false);
    State.redDelay = 0;
}

void TForm1::Label5Click(SceneElement& /*Sender*/) {
    MediaPlayer3.Play();
    State.lives += 1;
    State.money -= 80;
}

// The switch starts at 1 while the intro song already plays, so the first click
// on the start screen plays on what is playing and only the second stops it.
void TForm1::Label6Click(SceneElement& /*Sender*/) {
    if (State.soundSwitch == 1) {
        MediaPlayer1.Play();
        State.soundSwitch = 0;
    } else {
        MediaPlayer1.Stop();
        State.soundSwitch = 1;
    }
}

}  // namespace layout
