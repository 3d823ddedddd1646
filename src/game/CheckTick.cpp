// The check tick: first whether the game is over, then which movers are in play.
#include "layout/TForm1.h"

namespace layout {

void TForm1::Timer3Timer(scene::TTimer& /*Sender*/) {
    CheckEndOfGame();
    ShowMoverStage();
}

}  // namespace layout
